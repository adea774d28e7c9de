// Folder identities through statx, folders opened with no link in their
// path (openat2 through open_beneath.h, or one component at a time), and
// the refusal of the host's own folders as drives.
#include "platform/posix/folder_identity.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/stat.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <utility>


namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

FolderIdentity IdentityOf(const struct statx& facts) {
  FolderIdentity identity;
  identity.device = (static_cast<std::uint64_t>(facts.stx_dev_major) << 32) | facts.stx_dev_minor;
  identity.inode = facts.stx_ino;
  identity.hasMountId = (facts.stx_mask & STATX_MNT_ID) != 0;
  identity.mountId = identity.hasMountId ? facts.stx_mnt_id : 0;
  return identity;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The identity of a host path, links followed (the system folders are named
// by their usual paths; /bin may be a link to /usr/bin, and then that is the
// folder refused). nullopt when it does not exist. One statx of the path
// gives what opening it and asking the descriptor would (the same walk, the
// same folder, the same mount) without the open and close: a drive check
// asks this of every system folder.
std::optional<FolderIdentity> IdentityOfPath(const std::string& path) {
  struct statx facts {};
  if (syscall(SYS_statx, AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_MNT_ID, &facts) != 0) {
    return std::nullopt;
  }
  return IdentityOf(facts);
}

// File systems that the kernel makes up from its own state: never a drive.
bool IsPseudoFileSystem(int fd) {
  struct statfs facts {};
  if (fstatfs(fd, &facts) != 0) return false;
  switch (static_cast<unsigned long>(facts.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case 0x62656570:  // configfs
    case 0x65735543:  // fusectl
    case 0x42494e4d:  // binfmt_misc
      return true;
    default:
      return false;
  }
}

}  // namespace

std::error_code IdentifyFolder(int fd, FolderIdentity& identity) { return IdentifyEntry(fd, "", identity); }

std::error_code IdentifyEntry(int folderFd, const char* name, FolderIdentity& identity) {
  struct statx facts {};
  const int flags = (*name == '\0' ? AT_EMPTY_PATH : 0) | AT_SYMLINK_NOFOLLOW;
  if (syscall(SYS_statx, folderFd, name, flags, STATX_BASIC_STATS | STATX_MNT_ID, &facts) != 0) {
    return LastError();
  }
  identity = IdentityOf(facts);
  return {};
}

std::error_code OpenRealFolder(Openat2 kernel, const std::string& absolutePath, FolderAccess access, ScopedFd& fd) {
  fd.Reset();
  const int flags = access == FolderAccess::List ? kFolderFlags : (kFolderFlags & ~O_RDONLY) | O_PATH;
  if (absolutePath.empty() || absolutePath.front() != '/') return std::make_error_code(std::errc::invalid_argument);
  if (std::error_code error = OpenWithOpenat2(kernel, AT_FDCWD, absolutePath.c_str(), flags, Confine::LinksOnly, fd);
      error != std::errc::function_not_supported) {
    return error;
  }
  // One component at a time, none of them followed if it is a link.
  ScopedFd current(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (current.Get() < 0) return LastError();
  std::string_view rest(absolutePath);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('/'), rest.size());
    const std::string name(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name.empty() || name == ".") continue;
    const int next = openat(current.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) return LastError();
    current.Reset(next);
  }
  if (access == FolderAccess::IdentityOnly) {
    fd = std::move(current);
    return {};
  }
  fd.Reset(openat(current.Get(), ".", kFolderFlags));
  return fd.Valid() ? std::error_code{} : LastError();
}

SystemFolders HostSystemFolders() {
  std::vector<std::string> rootNames;
  if (const ScopedDir top{opendir("/")}) {
    while (const dirent* entry = readdir(top.get())) rootNames.emplace_back(entry->d_name);
  }
  return HostSystemFoldersFrom(rootNames);
}

std::optional<std::string> ForbiddenDriveRoot(int fd, const SystemFolders& folders) {
  FolderIdentity self;
  if (IdentifyFolder(fd, self)) return "a folder whose identity cannot be read";
  // Each system folder's identity is taken once per check: a refused tree
  // is usually a refused folder too, and the host root is asked again below.
  std::vector<std::pair<std::string_view, std::optional<FolderIdentity>>> known;
  auto identityOf = [&](const std::string& path) {
    for (const auto& [name, identity] : known) {
      if (name == path) return identity;
    }
    known.emplace_back(path, IdentityOfPath(path));
    return known.back().second;
  };
  for (const std::string& path : folders.refused) {
    const std::optional<FolderIdentity> system = identityOf(path);
    if (system && system->SameFolder(self)) {
      return path == folders.refused.front() ? "the host's root folder \"" + path + "\""
                                             : "the system folder \"" + path + "\"";
    }
  }
  if (IsPseudoFileSystem(fd)) return "on a file system the kernel makes up (such as /proc or /sys)";

  std::vector<std::pair<std::string, FolderIdentity>> trees;
  std::vector<FolderIdentity> allowed;
  for (const std::string& path : folders.refusedTrees) {
    if (auto identity = identityOf(path)) trees.emplace_back(path, *identity);
  }
  for (const std::string& path : folders.allowedInTrees) {
    if (auto identity = identityOf(path)) allowed.push_back(*identity);
  }
  // Climb through ".." to the top: meeting an allowed folder first settles
  // it; meeting a refused tree refuses. A bind mount's ".." is its mount
  // point's parent, so an alias elsewhere is caught by the device test below.
  // Each folder on the way is identified once: the one checked is `self`,
  // and each parent's identity is the next step's.
  ScopedFd parentHeld;  // the folder being looked at, once above `fd`
  int current = fd;
  FolderIdentity here = self;
  bool insideAllowed = false;
  for (int depth = 0; depth < 4096; ++depth) {
    if (std::any_of(allowed.begin(), allowed.end(), [&](const FolderIdentity& a) { return a.SameFolder(here); })) {
      insideAllowed = true;
      break;
    }
    for (const auto& [path, tree] : trees) {
      if (tree.SameFolder(here)) return "inside the system folder \"" + path + "\"";
    }
    ScopedFd parent(openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    FolderIdentity above;
    if (!parent.Valid() || IdentifyFolder(parent.Get(), above) || above.SameFolder(here)) break;  // the top
    current = parent.Get();
    parentHeld = std::move(parent);
    here = above;
  }
  if (!insideAllowed && !folders.refused.empty()) {
    // A refused tree that is a file system of its own (devtmpfs on /dev):
    // anything on that device lies inside it, wherever it is mounted.
    const std::optional<FolderIdentity> hostRoot = identityOf(folders.refused.front());
    for (const auto& [path, tree] : trees) {
      if (hostRoot && tree.device != hostRoot->device && tree.device == self.device) {
        return "inside the system folder \"" + path + "\"";
      }
    }
  }
  return std::nullopt;
}

const SystemFolders& SystemFoldersOr(const std::optional<SystemFolders>& given) {
  if (given) return *given;
  static const SystemFolders host = HostSystemFolders();
  return host;
}

}  // namespace tidewell::platform
