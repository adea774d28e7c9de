// Reading a host file to its end under a size limit: the one loop that
// ReadTextFile and ReadTextFileTail run on every host, around the host's
// own read call (posix/text_file.cpp, win32/text_file.cpp).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <system_error>

namespace tidewell::platform {

// The host's read: at most `wanted` bytes into `buffer`, their number in
// `got`, 0 at the end of the file; an error when the read fails.
using ReadSome = std::function<std::error_code(char* buffer, std::size_t wanted, std::size_t& got)>;

// What reaching `limit` bytes means: the file is too large for a whole read
// (errc::file_too_large once a byte more comes), or the read of a tail ends
// there quietly.
enum class AtTheLimit { Fail, Stop };

// Reads from the file's current offset to its end into `text` (emptied
// first), at most `limit` bytes.
std::error_code ReadToLimit(const ReadSome& read, std::string& text, std::size_t limit, AtTheLimit atLimit);

}  // namespace tidewell::platform
