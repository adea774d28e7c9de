// A file descriptor that closes itself: the one owner of every descriptor
// an object keeps open (a folder being listed, a record being appended to,
// the instance lock) or a function holds for a while.
#pragma once

#include <unistd.h>

#include <utility>

namespace tidewell::platform {

class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int Get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace tidewell::platform
