#include "platform/thread_io.h"

#include <sys/resource.h>

namespace tidewell::platform {

std::uint64_t DiskBytesReadByThisThread() {
  rusage usage{};
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
  return static_cast<std::uint64_t>(usage.ru_inblock) * 512;  // counted in 512-byte blocks
}

}  // namespace tidewell::platform
