// A request to stop from outside (Ctrl+C, a termination request): the first
// sets a flag that the program checks when it can stop cleanly (its log
// closed with the lines it holds); a second ends the process at once.
#pragma once

namespace tidewell::platform {

// Starts listening for stop requests (on POSIX, SIGINT and SIGTERM). Until
// then a request has the system's default effect.
void InstallInterruptHandlers();

// True once a stop request has come in since InstallInterruptHandlers().
bool InterruptRequested();

}  // namespace tidewell::platform
