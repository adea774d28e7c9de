// Stop requests on Windows: Ctrl+C, Ctrl+Break and the console's close set
// a flag; the second request ends the process at once, as on POSIX.
//
// The handler runs on a thread of its own. For Ctrl+C and Ctrl+Break,
// returning TRUE lets the process go on to its way out. For the console's
// close, Windows ends the process as soon as the handler returns (and in any
// case a few seconds later), so the handler waits there instead: the main
// thread finishes the log and exits, which ends this thread with it.
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
      if (interrupted.exchange(true)) ExitProcess(STATUS_CONTROL_C_EXIT);
      return TRUE;
    case CTRL_CLOSE_EVENT:
      interrupted.store(true);
      Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;  // logoff and shutdown: the system's default
  }
}

}  // namespace

void InstallInterruptHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return interrupted.load(); }

}  // namespace tidewell::platform
