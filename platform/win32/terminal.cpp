// The console on Windows: a console handle is a terminal; output is UTF-8
// through the console's code page. A closed pipe makes writes fail with
// ERROR_NO_DATA, which ends nothing, so there is nothing to ignore.
#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

namespace tidewell::platform {

bool IsTerminal(std::FILE* stream) {
  if (stream == nullptr) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void IgnoreBrokenPipe() {}

void PrepareConsoleOutput() {
  SetConsoleOutputCP(CP_UTF8);
  // Colours and the progress bar's carriage return need the console's
  // terminal sequences; where they cannot be had, plain text still shows.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
    SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

}  // namespace tidewell::platform
