// The kernel's directory entry as getdents64 returns it, and the size of the
// block a folder's entries are read into, for the readers that list folders
// with getdents64 directly (the walk's FolderReader and the warmer's threads).
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace tidewell::platform {

struct RawDirectoryEntry {
  std::uint64_t inode;
  std::int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

// Bytes read per getdents64 call: a few hundred entries of ordinary names.
constexpr std::size_t kDirectoryBlock = 32 * 1024;

// One getdents64 read of the folder open as `fd` into `block`: the bytes
// read, 0 at the folder's end, -1 on an error. A read interrupted by a signal
// before it read anything is made again. A read may end early for many
// reasons (a pending signal above all), so only 0 says the folder has no
// more.
inline long ReadListing(int fd, char* block, std::size_t size) {
  for (;;) {
    const long got = syscall(SYS_getdents64, fd, block, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace tidewell::platform
