// The console on Windows: a console handle is a terminal; output is UTF-8
// through the console's code page. A closed pipe makes writes fail with
// ERROR_NO_DATA, which ends nothing, so there is nothing to ignore.
//
// The code page and the output modes belong to the console, not to this
// process: the shell that started the program shares them. Both are put
// back as they were when the program exits.
#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <initializer_list>

namespace tidewell::platform {
namespace {

UINT previousCodePage = 0;
struct ConsoleMode {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD mode = 0;
};
ConsoleMode previousModes[2];

void RestoreConsole() {
  if (previousCodePage != 0) SetConsoleOutputCP(previousCodePage);
  for (const ConsoleMode& saved : previousModes) {
    if (saved.handle != INVALID_HANDLE_VALUE) SetConsoleMode(saved.handle, saved.mode);
  }
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  if (stream == nullptr) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void IgnoreBrokenPipe() {}

void PrepareConsoleOutput() {
  const UINT codePage = GetConsoleOutputCP();
  if (codePage != 0 && codePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) previousCodePage = codePage;
  // Colours and the progress bar's carriage return need the console's
  // terminal sequences, on stderr (where the progress goes) as on stdout,
  // whichever of them is the console; where they cannot be had, plain text
  // still shows.
  int saved = 0;
  for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) continue;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) continue;
    if (SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) previousModes[saved++] = {handle, mode};
  }
  if (previousCodePage != 0 || saved > 0) std::atexit(RestoreConsole);
}

}  // namespace tidewell::platform
