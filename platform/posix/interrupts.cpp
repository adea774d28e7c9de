// Stop requests on POSIX: SIGINT and SIGTERM set a flag; the second one is
// raised again with its default action, which ends the process.
#include "platform/interrupts.h"

#include <csignal>

namespace tidewell::platform {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int signal) {
  if (interrupted) {
    // A second request: end now, with the default action of the signal.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  interrupted = 1;
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

}  // namespace tidewell::platform
