// The instance lock on POSIX: flock() on a file in a private folder.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/host_paths.h"
#include "platform/posix/scoped_fd.h"
#include "platform/process_facts.h"

namespace tidewell::platform {
namespace {

// A folder (not a link to one) owned by this user that no one else can
// write: nothing in it can be replaced by another user.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st {};
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : "";
}

}  // namespace

// The lock is held as long as its descriptor stays open.
struct InstanceLock::Held {
  explicit Held(ScopedFd lockedFd) : fd(std::move(lockedFd)) {}
  ScopedFd fd;
};

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() = default;

std::string InstanceLock::DefaultPath() {
  if (const std::string runtime = AbsoluteVariable("XDG_RUNTIME_DIR"); !runtime.empty() && IsPrivateFolder(runtime)) {
    return JoinHostPath(runtime, "Tidewell.lock");
  }
  const std::string state = UserBaseFolder("XDG_STATE_HOME", ".local/state");
  if (state.empty()) return {};
  const std::string folder = JoinHostPath(state, "Tidewell");
  CreatePrivateFolders(folder);
  return IsPrivateFolder(folder) ? JoinHostPath(folder, "Tidewell.lock") : std::string();
}

bool InstanceLock::Acquire(const std::string& path) {
  if (path.empty()) return true;
  ScopedFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
  if (!fd.Valid()) return true;
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
  held_ = std::make_unique<Held>(std::move(fd));
  return true;
}

}  // namespace tidewell::platform
