// Questions to a file system that may never answer, asked with a time limit.
//
// A file system can leave a call blocked for ever: a FUSE file system whose
// program hangs, a network share whose server is gone. Where the program
// meets a mapped folder for the first time (the drive table checks every
// mapping at load, also of drives a run does not clean), it asks on a helper
// thread and waits at most the mount time limit: the environment variable
// TIDEWELL_MOUNT_TIMEOUT in seconds (a decimal number, e.g. "0.5"; any value
// that is not a positive number counts as unset), 30 seconds by default. A
// thread that has not returned by then is left behind, detached, blocked
// where the file system keeps it: it holds nothing the program needs, and it
// does not keep the program from ending (the kernel ends it with the
// process).
#pragma once

#include <chrono>
#include <functional>

namespace tidewell::platform {

// The mount time limit (see above), read from the environment on each call.
std::chrono::milliseconds MountTimeLimit();

// Runs `question` on a helper thread and waits up to `limit` for it to
// return. True when it returned in time; false when it did not, and then
// `question` may still run later, so it must own (or share ownership of)
// everything it touches.
bool AnswersWithin(std::chrono::milliseconds limit, std::function<void()> question);

}  // namespace tidewell::platform
