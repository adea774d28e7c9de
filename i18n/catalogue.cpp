// The catalogue file's reader (a line-by-line state machine over the PO
// subset in catalogue.h) and the two lookups: exact, and by placeholders.
#include "i18n/catalogue.h"

#include <algorithm>

namespace tidewell::i18n {
namespace {

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// A quoted string with its escapes undone; nullopt when it is not one.
std::optional<std::string> Unquoted(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
  quoted = quoted.substr(1, quoted.size() - 2);
  std::string text;
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c == '"') return std::nullopt;  // an unescaped quote inside
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i == quoted.size()) return std::nullopt;
    switch (quoted[i]) {
      case '"': text += '"'; break;
      case '\\': text += '\\'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      default: return std::nullopt;
    }
  }
  return text;
}

// The fixed parts and placeholders of a text, alternating: fixed[0],
// numbers[0], fixed[1], ..., fixed[n] (fixed parts may be empty).
struct Pieces {
  std::vector<std::string_view> fixed;
  std::vector<int> numbers;
};

Pieces Split(std::string_view text) {
  Pieces pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') continue;
    std::size_t end = i + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == i + 1 || end == text.size() || text[end] != '}' || end - i > 4) continue;
    pieces.fixed.push_back(text.substr(start, i - start));
    pieces.numbers.push_back(std::stoi(std::string(text.substr(i + 1, end - i - 1))));
    start = end + 1;
    i = end;
  }
  pieces.fixed.push_back(text.substr(start));
  return pieces;
}

std::size_t FixedLength(std::string_view text) {
  std::size_t length = 0;
  for (std::string_view part : Split(text).fixed) length += part.size();
  return length;
}

// Fits `text` to the pattern's pieces; each placeholder takes at least one
// character and as few as the next fixed part allows (the last placeholder
// takes what is left before the final fixed part).
std::optional<std::vector<std::string>> Fit(const Pieces& pieces, std::string_view text) {
  if (!text.starts_with(pieces.fixed.front())) return std::nullopt;
  std::size_t at = pieces.fixed.front().size();
  int highest = 0;
  for (int number : pieces.numbers) highest = std::max(highest, number);
  std::vector<std::string> values(static_cast<std::size_t>(highest) + 1);
  for (std::size_t i = 0; i < pieces.numbers.size(); ++i) {
    const std::string_view next = pieces.fixed[i + 1];
    std::size_t end;
    if (i + 1 == pieces.numbers.size()) {
      if (text.size() < at + 1 + next.size() || !text.ends_with(next)) return std::nullopt;
      end = text.size() - next.size();
    } else {
      end = text.find(next, at + 1);
      if (end == std::string_view::npos || next.empty()) return std::nullopt;
    }
    values[static_cast<std::size_t>(pieces.numbers[i])] = std::string(text.substr(at, end - at));
    at = end + next.size();
  }
  if (pieces.numbers.empty() && at != text.size()) return std::nullopt;
  return values;
}

}  // namespace

std::vector<int> PlaceholdersOf(std::string_view text) { return Split(text).numbers; }

std::string FillPlaceholders(std::string_view pattern, const std::vector<std::string>& values) {
  const Pieces pieces = Split(pattern);
  std::string text(pieces.fixed.front());
  for (std::size_t i = 0; i < pieces.numbers.size(); ++i) {
    const auto number = static_cast<std::size_t>(pieces.numbers[i]);
    text += number < values.size() ? values[number] : "{" + std::to_string(number) + "}";
    text += pieces.fixed[i + 1];
  }
  return text;
}

std::optional<std::string> Catalogue::Parse(std::string_view text, Catalogue& into) {
  into = Catalogue{};
  std::vector<Entry> entries;
  enum class Field { None, Id, Str } field = Field::None;
  int number = 0;
  auto fail = [&](const std::string& what) -> std::optional<std::string> {
    return "line " + std::to_string(number) + ": " + what;
  };
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    std::string_view rest = line;
    Field starts = Field::None;
    if (line.starts_with("msgid ")) {
      starts = Field::Id;
      rest.remove_prefix(6);
    } else if (line.starts_with("msgstr ")) {
      starts = Field::Str;
      rest.remove_prefix(7);
    } else if (line.front() != '"') {
      return fail("expected msgid, msgstr, a quoted line or a comment");
    }
    const std::optional<std::string> value = Unquoted(Trimmed(rest));
    if (!value) return fail("not a well-formed quoted text");
    if (starts == Field::Id) {
      if (field == Field::Id) return fail("msgid without a msgstr before it");
      entries.push_back({*value, {}, number});
      field = Field::Id;
    } else if (starts == Field::Str) {
      if (field != Field::Id) return fail("msgstr without a msgid");
      entries.back().translated = *value;
      field = Field::Str;
    } else if (field == Field::Id) {
      entries.back().english += *value;
    } else if (field == Field::Str) {
      entries.back().translated += *value;
    } else {
      return fail("a quoted line outside an entry");
    }
  }
  if (field == Field::Id) return "line " + std::to_string(entries.back().line) + ": msgid without a msgstr";
  std::erase_if(entries, [](const Entry& entry) { return entry.english.empty(); });  // the header
  for (const Entry& entry : entries) {
    for (const Entry& other : entries) {
      if (&other == &entry) break;
      if (other.english == entry.english) {
        return "line " + std::to_string(entry.line) + ": msgid given before, on line " + std::to_string(other.line);
      }
    }
  }
  into.entries_ = std::move(entries);
  into.Index();
  return std::nullopt;
}

void Catalogue::Index() {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    if (entry.translated.empty()) continue;
    translated_.emplace(entry.english, entry.translated);
    if (!PlaceholdersOf(entry.english).empty()) patterns_.push_back(i);
  }
  std::stable_sort(patterns_.begin(), patterns_.end(), [this](std::size_t a, std::size_t b) {
    return FixedLength(entries_[a].english) > FixedLength(entries_[b].english);
  });
}

std::string_view Catalogue::Lookup(std::string_view english) const {
  const auto found = translated_.find(english);
  return found == translated_.end() ? english : std::string_view(found->second);
}

std::string Catalogue::Translate(std::string_view english) const {
  const auto found = translated_.find(english);
  if (found != translated_.end()) return found->second;
  for (const std::size_t index : patterns_) {
    const Entry& pattern = entries_[index];
    // Most patterns fail on their opening words; those are checked first,
    // without taking the pattern apart (status lines come often).
    if (!english.starts_with(std::string_view(pattern.english).substr(0, pattern.english.find('{')))) continue;
    if (const auto values = Fit(Split(pattern.english), english)) return FillPlaceholders(pattern.translated, *values);
  }
  return std::string(english);
}

}  // namespace tidewell::i18n
