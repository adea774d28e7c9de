// A thread that nobody joins: for a question that may never come back (a
// hung mount), which the program must be able to leave behind.
#pragma once

#include <functional>

namespace tidewell::platform {

// Runs `body` on a new thread that is never joined; false, and `body` never
// run, when no thread can be had. The thread ends with `body`, or with the
// process.
bool StartUnjoinedThread(std::function<void()> body);

}  // namespace tidewell::platform
