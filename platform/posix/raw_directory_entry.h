// The kernel's directory entry as getdents64 returns it, and the size of the
// block a folder's entries are read into, for the readers that list folders
// with getdents64 directly (the walk's FolderReader and the warmer's threads).
#pragma once

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

// The most bytes one entry takes: its fixed part, a 255-byte name and the
// closing NUL, rounded up to 8.
constexpr std::size_t kLargestListingEntry = (offsetof(RawDirectoryEntry, name) + 255 + 1 + 7) / 8 * 8;
static_assert(kLargestListingEntry == 280);

}  // namespace tidewell::platform
