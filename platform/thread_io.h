// How much the calling thread has read from disks itself.
#pragma once

#include <cstdint>

namespace tidewell::platform {

// Bytes the calling thread has had read from block devices so far (reads
// the page cache answered do not count); 0 where the system does not tell.
// One system call: meant for rare questions, not for every file.
std::uint64_t DiskBytesReadByThisThread();

}  // namespace tidewell::platform
