// Text that came from the user (a command-line word, an environment value),
// made safe to quote in a one-line console message.
//
// What it promises: the result holds no control character and no byte that
// is not part of valid UTF-8, so a quoted value can neither break the
// message over two lines nor send commands to the terminal, and it is never
// longer than about `limit` bytes, so a huge argument gives a short message.
//   - control characters (bytes 0-31 and 127) are shown in caret notation
//     ("^J" for a line feed), as the deletion log shows them;
//   - C1 controls (U+0080 to U+009F) and bytes that are not valid UTF-8 are
//     shown as "\xHH", one per byte;
//   - valid UTF-8 is kept as it is;
//   - text past `limit` bytes of the result is cut at a character boundary
//     and "..." is appended.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidewell::session {

std::string ShownOnOneLine(std::string_view text, std::size_t limit = 64);

}  // namespace tidewell::session
