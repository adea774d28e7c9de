// Stop requests on Windows: Ctrl+C, Ctrl+Break and the console's close set
// a flag; the second request ends the process at once, as on POSIX.
#include "platform/interrupts.h"

#include <windows.h>

#include <atomic>

namespace tidewell::platform {
namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      if (interrupted.exchange(true)) ExitProcess(STATUS_CONTROL_C_EXIT);
      return TRUE;
    default:
      return FALSE;  // logoff and shutdown: the system's default
  }
}

}  // namespace

void InstallInterruptHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return interrupted.load(); }

}  // namespace tidewell::platform
