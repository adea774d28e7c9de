// Quoting user text in console messages: control bytes and broken UTF-8
// escaped, long text cut short.
#include "cli/shown_text.h"

namespace tidewell::cli {
namespace {

void AppendHexByte(std::string& out, unsigned char value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[value >> 4];
  out += kDigits[value & 0x0F];
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

std::string ShownOnOneLine(std::string_view text, std::size_t limit) {
  std::string shown;
  while (!text.empty()) {
    if (shown.size() >= limit) {
      shown += "...";
      break;
    }
    const unsigned char c = static_cast<unsigned char>(text.front());
    std::size_t used = 1;
    if (c < 0x20 || c == 0x7F) {
      shown += '^';
      shown += static_cast<char>(c ^ 0x40);
    } else if (c < 0x80) {
      shown += static_cast<char>(c);
    } else if (const std::size_t length = Utf8SequenceLength(text);
               length == 0 || (c == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F)) {
      AppendHexByte(shown, c);  // broken UTF-8, or the lead byte of a C1 control
      if (length == 2) {
        AppendHexByte(shown, static_cast<unsigned char>(text[1]));
        used = 2;
      }
    } else {
      shown.append(text.substr(0, length));
      used = length;
    }
    text.remove_prefix(used);
  }
  return shown;
}

}  // namespace tidewell::cli
