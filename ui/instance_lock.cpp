#include "ui/instance_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tidewell::ui {
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

std::string HomeFolder() {
  if (std::string home = AbsoluteVariable("HOME"); !home.empty()) return home;
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/' ? entry->pw_dir : "";
}

// Creates the folder and any missing folders above it with mode 0700;
// folders that exist stay as they are.
void CreateFolders(const std::string& folder) {
  for (std::size_t end = 1; end <= folder.size(); ++end) {
    if (end < folder.size() && folder[end] != '/') continue;
    mkdir(folder.substr(0, end).c_str(), 0700);
  }
}

}  // namespace

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);
}

std::string InstanceLock::DefaultPath() {
  if (const std::string runtime = AbsoluteVariable("XDG_RUNTIME_DIR"); !runtime.empty() && IsPrivateFolder(runtime)) {
    return runtime + "/Tidewell.lock";
  }
  std::string state = AbsoluteVariable("XDG_STATE_HOME");
  if (state.empty()) {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    state = home + "/.local/state";
  }
  const std::string folder = state + "/Tidewell";
  CreateFolders(folder);
  return IsPrivateFolder(folder) ? folder + "/Tidewell.lock" : std::string();
}

bool InstanceLock::Acquire(const std::string& path) {
  if (path.empty()) return true;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
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
