#include "ui/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tidewell::ui {

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

std::string InstanceLock::DefaultPath() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    return std::string(runtime) + "/Tidewell.lock";
  }
  return "/tmp/Tidewell-" + std::to_string(getuid()) + ".lock";
}

bool InstanceLock::Acquire(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return !held;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
  return true;
}

}  // namespace tidewell::ui
