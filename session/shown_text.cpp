// Quoting user text in console messages: control bytes and broken UTF-8
// escaped, long text cut short.
#include "session/shown_text.h"

#include "platform/utf8.h"
#include "records/deletion_log.h"

namespace tidewell::session {
namespace {

void AppendHexByte(std::string& out, unsigned char value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[value >> 4];
  out += kDigits[value & 0x0F];
}

}  // namespace

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
      shown += EscapedForLog(text.substr(0, 1));
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

}  // namespace tidewell::session
