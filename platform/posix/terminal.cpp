// The console on POSIX: isatty for a terminal, SIGPIPE ignored for pipes.
#include "platform/terminal.h"

#include <csignal>
#include <unistd.h>

namespace tidewell::platform {

bool IsTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) != 0; }

void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

void PrepareConsoleOutput() {}

}  // namespace tidewell::platform
