// The console the program writes to: whether a stream is a terminal, and
// the settings a console program makes before it prints anything.
#pragma once

#include <cstdio>

namespace tidewell::platform {

// True when `stream` writes to a terminal (a progress bar may be drawn there).
bool IsTerminal(std::FILE* stream);

// A reader that goes away (`tidewell-cli | head -1`) must not end the
// program: writes to a closed pipe then fail and are dropped instead (on
// POSIX, SIGPIPE is ignored).
void IgnoreBrokenPipe();

// Makes the console show UTF-8 output as such. Nothing to do on POSIX,
// where the terminal decodes the bytes as they come.
void PrepareConsoleOutput();

}  // namespace tidewell::platform
