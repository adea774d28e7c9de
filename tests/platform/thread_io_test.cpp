// What the calling thread reads from a disk: a read the page cache answers
// adds nothing, one the disk must serve (a file dropped from the cache, on a
// disk-backed temporary folder) adds at least its length.
#include "platform/thread_io.h"

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <linux/magic.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

constexpr std::size_t kLength = 256 * 1024;

// Writes the file, flushed to its disk.
void WriteFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const std::vector<char> bytes(kLength, 'x');
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ASSERT_EQ(fsync(fd), 0);
  close(fd);
}

// Reads the whole file; `uncached` drops it from the page cache first.
void ReadFile(const std::string& path, bool uncached) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  if (uncached) posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  std::vector<char> bytes(kLength);
  std::size_t total = 0;
  for (ssize_t got; (got = read(fd, bytes.data(), bytes.size())) > 0;) total += static_cast<std::size_t>(got);
  close(fd);
  EXPECT_EQ(total, kLength);
}

TEST(DiskBytesReadByThisThread, CachedReadsAddNothingAndDiskReadsAddTheirLength) {
  const testing::TempFolder folder;
  const std::string path = folder.Path() + "/data";
  WriteFile(path);
  ReadFile(path, false);  // now certainly in the page cache

  const std::uint64_t before = DiskBytesReadByThisThread();
  ReadFile(path, false);
  EXPECT_EQ(DiskBytesReadByThisThread(), before) << "a read from the page cache was counted";

  struct statfs facts {};
  ASSERT_EQ(statfs(folder.Path().c_str(), &facts), 0);
  if (facts.f_type == TMPFS_MAGIC || facts.f_type == RAMFS_MAGIC) {
    GTEST_SKIP() << "the temporary folder lives in memory: nothing is read from a disk";
  }
  ReadFile(path, true);
  EXPECT_GE(DiskBytesReadByThisThread(), before + kLength);
}

}  // namespace
}  // namespace tidewell::platform
