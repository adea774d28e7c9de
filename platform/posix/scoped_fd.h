// A file descriptor that closes itself: the one owner of every descriptor
// this layer keeps open (a folder being listed, a folder of the handle
// cache's chain, a drive's root, a record being appended to, the instance
// lock) or holds for a while. Movable, never copied, so a descriptor has one
// owner, is closed once, and no early return leaks it. ScopedDir does the
// same for a directory stream.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace tidewell::platform {

class ScopedFd {
 public:
  ScopedFd() = default;
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) close(fd_);
  }
  ScopedFd(ScopedFd&& other) noexcept : fd_(other.Release()) {}
  ScopedFd& operator=(ScopedFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes what is held (if anything) and holds `fd` instead.
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  // Hands the descriptor to the caller, who closes it from now on.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

struct CloseDir {
  void operator()(DIR* stream) const { closedir(stream); }
};
// A directory stream (opendir, fdopendir) closed with its owner.
using ScopedDir = std::unique_ptr<DIR, CloseDir>;

}  // namespace tidewell::platform
