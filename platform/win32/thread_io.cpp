// Windows keeps per-process, not per-thread, I/O counters, and those count
// cached reads too: the question has no answer here (see thread_io.h).
#include "platform/thread_io.h"

namespace tidewell::platform {

std::uint64_t DiskBytesReadByThisThread() { return 0; }

}  // namespace tidewell::platform
