#include "ui/rich_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/utf8.h"

namespace tidewell::ui {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kReplacementCharacter = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; the five positions the code page leaves
// unused keep their Latin-1 (C1 control) values.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t FromCp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementCharacter;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  return bytes;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const CharFormat&) const = default;
};

// Writes the converted text as HTML, opening and closing <b>, <i> and <u>
// only where the formatting changes.
class HtmlWriter {
 public:
  void Character(char32_t cp, const CharFormat& format) {
    if (cp < 0x20 && cp != '\t') return;  // control characters show as nothing
    SwitchTo(format);
    switch (cp) {
      case '&': body_ += "&amp;"; break;
      case '<': body_ += "&lt;"; break;
      case '>': body_ += "&gt;"; break;
      case '"': body_ += "&quot;"; break;
      default: AppendUtf8(body_, cp);
    }
  }

  void LineBreak() { body_ += "<br />"; }

  std::string Finish() {
    SwitchTo({});
    return "<html><head><meta charset=\"utf-8\" /></head>"
           "<body style=\"white-space: pre-wrap;\">" +
           body_ + "</body></html>";
  }

 private:
  static bool Wanted(char tag, const CharFormat& format) {
    return tag == 'b' ? format.bold : tag == 'i' ? format.italic : format.underline;
  }

  // Closes open tags from the innermost until none left open is unwanted,
  // then opens the wanted ones that are missing, so the tags nest properly.
  void SwitchTo(const CharFormat& format) {
    while (std::any_of(open_.begin(), open_.end(), [&](char tag) { return !Wanted(tag, format); })) {
      body_ += "</";
      body_ += open_.back();
      body_ += '>';
      open_.pop_back();
    }
    for (const char tag : {'b', 'i', 'u'}) {
      if (Wanted(tag, format) && std::find(open_.begin(), open_.end(), tag) == open_.end()) {
        body_ += '<';
        body_ += tag;
        body_ += '>';
        open_.push_back(tag);
      }
    }
  }

  std::string body_;
  std::vector<char> open_;  // the open tags, outermost first
};

// The destinations whose groups hold no text of the document.
constexpr std::array<std::string_view, 18> kSkippedDestinations = {
    "fonttbl", "colortbl", "stylesheet", "info",    "pict",      "header",
    "headerl", "headerr",  "headerf",    "footer",  "footerl",   "footerr",
    "footerf", "footnote", "object",     "filetbl", "listtable", "listoverridetable",
};

struct GroupState {
  CharFormat format;
  bool skip = false;     // inside a destination that is not shown
  int unicodeSkip = 1;   // \ucN: fallback characters after each \uN
};

class RtfReader {
 public:
  explicit RtfReader(std::string_view rtf) : in_(WithoutByteOrderMark(rtf)) {}

  std::string Convert() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      const bool groupStarted = justOpenedGroup_;
      justOpenedGroup_ = false;
      switch (c) {
        case '{':
          stack_.push_back(state_);
          pendingFallback_ = 0;
          justOpenedGroup_ = true;
          break;
        case '}':
          if (!stack_.empty()) {
            state_ = stack_.back();
            stack_.pop_back();
          }
          pendingFallback_ = 0;
          break;
        case '\\':
          ControlSequence(groupStarted);
          break;
        case '\r':
        case '\n':
          break;  // line ends in the file are not part of the text
        default:
          Text(FromCp1252(static_cast<unsigned char>(c)));
      }
    }
    return html_.Finish();
  }

 private:
  void ControlSequence(bool groupStarted) {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (IsLetter(c)) {
      ControlWord();
      return;
    }
    ++pos_;
    switch (c) {
      case '\'':
        if (pos_ + 2 <= in_.size() && HexValue(in_[pos_]) >= 0 && HexValue(in_[pos_ + 1]) >= 0) {
          const int byte = HexValue(in_[pos_]) * 16 + HexValue(in_[pos_ + 1]);
          pos_ += 2;
          Text(FromCp1252(static_cast<unsigned char>(byte)));
        }
        break;
      case '*':
        if (groupStarted) state_.skip = true;
        break;
      case '\\':
      case '{':
      case '}':
        Text(static_cast<unsigned char>(c));
        break;
      case '~': Text(0xA0); break;
      case '_': Text('-'); break;
      case '\r':
      case '\n': LineBreak(); break;
      default: break;  // \- (optional hyphen) and unknown symbols show nothing
    }
  }

  void ControlWord() {
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);

    std::optional<long> parameter;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    if (pos_ < in_.size() && IsDigit(in_[pos_])) {
      long value = 0;
      while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        value = std::min(value * 10 + (in_[pos_] - '0'), 10'000'000L);
        ++pos_;
      }
      parameter = negative ? -value : value;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word

    Apply(word, parameter);
  }

  void Apply(std::string_view word, std::optional<long> parameter) {
    const bool on = !parameter || *parameter != 0;
    if (word == "bin") {
      // Binary data: its bytes follow the word and are never text.
      const auto length = static_cast<std::size_t>(std::max(0L, parameter.value_or(0)));
      pos_ = std::min(in_.size(), pos_ + length);
      return;
    }
    if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
        kSkippedDestinations.end()) {
      state_.skip = true;
      return;
    }
    if (word == "b") {
      state_.format.bold = on;
    } else if (word == "i") {
      state_.format.italic = on;
    } else if (word == "ul") {
      state_.format.underline = on;
    } else if (word == "ulnone") {
      state_.format.underline = false;
    } else if (word == "plain") {
      state_.format = {};
    } else if (word == "uc") {
      state_.unicodeSkip = static_cast<int>(std::clamp(parameter.value_or(1), 0L, 16L));
    } else if (word == "u") {
      if (parameter) Unicode(*parameter);
    } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
      LineBreak();
    } else if (word == "tab") {
      Symbol('\t');
    } else if (word == "emdash") {
      Symbol(0x2014);
    } else if (word == "endash") {
      Symbol(0x2013);
    } else if (word == "bullet") {
      Symbol(0x2022);
    } else if (word == "lquote") {
      Symbol(0x2018);
    } else if (word == "rquote") {
      Symbol(0x2019);
    } else if (word == "ldblquote") {
      Symbol(0x201C);
    } else if (word == "rdblquote") {
      Symbol(0x201D);
    }
    // Every other word (fonts, sizes, colours, paragraph layout) is ignored.
  }

  // \uN: RTF writes N as a signed 16-bit number and characters beyond the
  // basic plane as two surrogates.
  void Unicode(long parameter) {
    if (state_.skip) return;
    const auto unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
    pendingFallback_ = 0;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_) {
      html_.Character(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), state_.format);
      highSurrogate_ = 0;
    } else {
      html_.Character(unit, state_.format);
      highSurrogate_ = 0;
    }
    pendingFallback_ = state_.unicodeSkip;
  }

  // A character of the text; the first characters after \uN are its fallback.
  void Text(char32_t cp) {
    if (state_.skip) return;
    if (pendingFallback_ > 0) {
      --pendingFallback_;
      return;
    }
    html_.Character(cp, state_.format);
  }

  // A character given by a control word: never a fallback.
  void Symbol(char32_t cp) {
    if (!state_.skip) html_.Character(cp, state_.format);
  }

  void LineBreak() {
    if (!state_.skip) html_.LineBreak();
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  GroupState state_;
  std::vector<GroupState> stack_;
  bool justOpenedGroup_ = false;
  int pendingFallback_ = 0;
  char32_t highSurrogate_ = 0;
  HtmlWriter html_;
};

}  // namespace

bool LooksLikeRtf(std::string_view bytes) { return WithoutByteOrderMark(bytes).starts_with("{\\rtf"); }

std::string RtfToHtml(std::string_view rtf) { return RtfReader(rtf).Convert(); }

std::string PlainTextToUtf8(std::string_view bytes) {
  const bool utf8 = IsValidUtf8(bytes);
  if (utf8) bytes = WithoutByteOrderMark(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      out += '\n';
    } else if (utf8 || static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, FromCp1252(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

}  // namespace tidewell::ui
