// The host's side of the preferences file: flock() on the lock file, the
// store's folders and its default place, links in the file's place, and
// syncing the folder after a replacement.
#include "platform/preferences_file_host.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_paths.h"
#include "platform/interrupts.h"
#include "platform/posix/scoped_fd.h"
#include "platform/preferences_store.h"
#include "platform/process_facts.h"
#include "platform/text_file.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

std::error_code WithExclusiveLock(const std::string& lockPath, const std::function<std::error_code()>& work) {
  // Closing the descriptor, at the end of this call, releases the lock.
  const ScopedFd lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock.Get() < 0) return LastError();
  while (flock(lock.Get(), LOCK_EX) != 0) {
    if (errno != EINTR) return LastError();
    // A stop request (Ctrl+C) ends the wait: another copy may hold the lock
    // for a whole run, and the user asked to stop now. The write is not done.
    if (InterruptRequested()) return std::make_error_code(std::errc::interrupted);
  }
  return work();
}

std::error_code CreateFoldersFor(const std::string& filePath) { return CreatePrivateFolders(HostFolderOf(filePath)); }

std::string ReplacementTarget(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = HostFolderOf(target);
  const std::string name = HostNameOf(target);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (IsReplacementTemporaryOf(entry->d_name, name)) unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

std::error_code SyncFolderOf(const std::string& filePath) {
  const ScopedFd folder(open(HostFolderOf(filePath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) return LastError();
  // Some file systems cannot sync a folder (EINVAL); the rename stands anyway.
  if (fsync(folder.Get()) != 0 && errno != EINVAL) return LastError();
  return {};
}

std::string PreferencesFile::DefaultPath() {
  const std::string base = UserBaseFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return {};
  return JoinHostPath(base, "Tidewell/Tidewell.ini");
}

}  // namespace tidewell::platform
