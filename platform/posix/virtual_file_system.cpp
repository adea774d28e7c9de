// Virtual file system on POSIX: every operation resolves its parent folder
// through the folder handle cache and then acts on the last component with
// the *at() calls, links never followed.
#include "platform/virtual_file_system.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <utility>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/posix/folder_handle_cache.h"
#include "platform/text_case.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

Attributes AttributesOf(const struct stat& st, std::string_view name) {
  Attributes attributes = kNormal;
  if (S_ISDIR(st.st_mode)) attributes |= kFolder;
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) attributes |= kReadOnly;
  if (IsHiddenName(name)) attributes |= kHidden;
  return attributes;
}

// Runs `action(name)` on the last component in `parentFd`; when the exact name
// is missing, retries once with the name that matches it without regard to
// case. Returns the action's error.
template <typename Action>
std::error_code WithLeafName(int parentFd, std::string_view leaf, Action action) {
  std::string name(leaf);
  if (action(name) == 0) return {};
  if (errno != ENOENT) return LastError();
  std::string actual;
  if (FindNameNoCase(parentFd, name, actual)) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (action(actual) == 0) return {};
  return LastError();
}

// Succeeds when the open entry lies on the same mount as its drive's root;
// errc::cross_device_link when it is (or lies below) another mount.
std::error_code OnDriveMount(FolderHandleCache& cache, char letter, int fd) {
  int rootFd = -1;
  const MountIdentity* rootMount = nullptr;
  if (std::error_code error = cache.Root(letter, rootFd, &rootMount)) return error;
  MountIdentity mount;
  if (std::error_code error = IdentifyMount(fd, mount)) return error;
  if (!mount.SameMount(*rootMount)) return std::make_error_code(std::errc::cross_device_link);
  return {};
}

enum class Purpose { Read, Change };

// Resolves a path to its parent folder's descriptor and its last component.
// A path with no component (the root) leaves `leaf` empty and `parentFd` the
// root. Nothing on a drive whose root is a spared folder may be changed.
std::error_code OpenParent(FolderHandleCache& cache, const DriveTable& drives, std::string_view path,
                           ParsedPath& parsed, int& parentFd, std::string_view& leaf,
                           Purpose purpose = Purpose::Read) {
  if (std::error_code error = ParseVirtualPath(drives, path, parsed)) return error;
  if (purpose == Purpose::Change && cache.RootSpared(parsed.letter)) {
    return std::make_error_code(std::errc::permission_denied);
  }
  if (parsed.components.empty()) {
    leaf = {};
    return cache.Root(parsed.letter, parentFd);
  }
  leaf = parsed.components.back();
  return cache.Open(parsed, parsed.components.size() - 1, parentFd);
}

}  // namespace

namespace {
constexpr std::size_t kDirectoryBlock = 32 * 1024;

// The kernel's directory entry as getdents64 returns it.
struct RawEntry {
  std::uint64_t inode;
  std::int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};
}  // namespace

FolderReader::FolderReader(FolderReader&& other) noexcept { *this = std::move(other); }

FolderReader& FolderReader::operator=(FolderReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    block_ = std::move(other.block_);
    filled_ = std::exchange(other.filled_, 0);
    next_ = std::exchange(other.next_, 0);
    ended_ = std::exchange(other.ended_, false);
  }
  return *this;
}

FolderReader::~FolderReader() { Close(); }

void FolderReader::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool FolderReader::Next(FolderEntry& entry) {
  if (fd_ < 0) return false;
  for (;;) {
    if (next_ >= filled_) {
      if (ended_) return false;
      if (!block_) block_ = std::make_unique<char[]>(kDirectoryBlock);
      const long got = syscall(SYS_getdents64, fd_, block_.get(), kDirectoryBlock);
      if (got <= 0) {
        ended_ = true;  // the end, or a read error: the listing stops here
        return false;
      }
      filled_ = static_cast<std::size_t>(got);
      next_ = 0;
    }
    const auto* found = reinterpret_cast<const RawEntry*>(block_.get() + next_);
    next_ += found->length;
    const std::string_view name(found->name);
    if (!IsDriveEntryName(name)) continue;
    bool isFolder = found->type == DT_DIR;
    if (found->type == DT_UNKNOWN) {
      struct stat st {};
      isFolder = fstatat(fd_, found->name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    entry.name.assign(name);
    entry.isFolder = isFolder;
    return true;
  }
}

VirtualFileSystem::VirtualFileSystem(DriveTable drives)
    : drives_(std::move(drives)), cache_(std::make_unique<FolderHandleCache>(drives_)) {}

VirtualFileSystem::~VirtualFileSystem() = default;

void VirtualFileSystem::ForgetOpenFolders() { cache_->Clear(); }

void VirtualFileSystem::SpareFolders(const std::vector<std::string>& hostFolders) {
  std::vector<FolderIdentity> spared;
  for (const std::string& folder : hostFolders) {
    if (folder.empty()) continue;
    const int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    FolderIdentity identity;
    if (!IdentifyFolder(fd, identity)) spared.push_back(identity);
    close(fd);
  }
  cache_->SetSparedFolders(std::move(spared));
}

void VirtualFileSystem::OnDriveRefused(std::function<void(const std::string&)> listener) {
  cache_->OnRootRefused(std::move(listener));
}

std::error_code VirtualFileSystem::OpenFolder(std::string_view folder, FolderReader& reader) {
  ParsedPath parsed;
  if (std::error_code error = ParseVirtualPath(drives_, folder, parsed)) return error;
  int listFd = -1;
  if (std::error_code error = cache_->Take(parsed, parsed.components.size(), listFd)) return error;
  reader = FolderReader();
  reader.fd_ = listFd;
  return {};
}

std::error_code VirtualFileSystem::Stat(std::string_view path, EntryFacts& facts) {
  ParsedPath parsed;
  int parentFd = -1;
  std::string_view leaf;
  if (std::error_code error = OpenParent(*cache_, drives_, path, parsed, parentFd, leaf)) return error;
  struct stat st {};
  std::string statName;
  std::error_code error;
  if (leaf.empty()) {
    if (fstat(parentFd, &st) != 0) error = LastError();
  } else {
    error = WithLeafName(parentFd, leaf, [&](const std::string& name) {
      statName = name;
      return fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    });
  }
  if (error) return error;
  facts.attributes = AttributesOf(st, statName);
  facts.length = static_cast<std::int64_t>(st.st_size);
  facts.isLink = S_ISLNK(st.st_mode);
  facts.device = static_cast<std::uint64_t>(st.st_dev);
  facts.inode = static_cast<std::uint64_t>(st.st_ino);
  return {};
}

std::error_code VirtualFileSystem::SetAttributes(std::string_view path, Attributes attributes) {
  ParsedPath parsed;
  int parentFd = -1;
  std::string_view leaf;
  if (std::error_code error = OpenParent(*cache_, drives_, path, parsed, parentFd, leaf, Purpose::Change)) return error;
  const auto WantedMode = [attributes](mode_t mode) {
    mode &= 07777;
    return (attributes & kReadOnly) ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
  };
  // Most files already have the wanted mode: one stat settles it. Links have
  // no permissions of their own and are left alone.
  std::string name;
  if (!leaf.empty()) {
    struct stat st {};
    std::error_code error = WithLeafName(parentFd, leaf, [&](const std::string& candidate) {
      name = candidate;
      return fstatat(parentFd, candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    });
    if (error) return error;
    if (S_ISLNK(st.st_mode) || (!S_ISDIR(st.st_mode) && WantedMode(st.st_mode) == (st.st_mode & 07777))) {
      return {};
    }
  }
  const int target = leaf.empty() ? openat(parentFd, ".", O_PATH | O_CLOEXEC)
                                  : openat(parentFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (target < 0) return LastError();
  std::error_code result;
  struct stat st {};
  if (fstat(target, &st) != 0) {
    result = LastError();
  } else if (!S_ISLNK(st.st_mode)) {
    if (std::error_code error = OnDriveMount(*cache_, parsed.letter, target)) {
      // A mount point inside the drive (a folder, or a single file bound
      // onto a name) belongs to another file system: its mode is not ours.
      result = error;
    } else if (const mode_t mode = WantedMode(st.st_mode); mode != (st.st_mode & 07777)) {
      // chmod through the descriptor's /proc entry acts on exactly the inode
      // opened above, never on whatever the name points to by now.
      const std::string self = "/proc/self/fd/" + std::to_string(target);
      if (chmod(self.c_str(), mode) != 0) result = LastError();
    }
  }
  close(target);
  return result;
}

std::error_code VirtualFileSystem::DeleteFile(std::string_view path) {
  ParsedPath parsed;
  int parentFd = -1;
  std::string_view leaf;
  if (std::error_code error = OpenParent(*cache_, drives_, path, parsed, parentFd, leaf, Purpose::Change)) return error;
  if (leaf.empty()) return std::make_error_code(std::errc::is_a_directory);
  return WithLeafName(parentFd, leaf,
                      [&](const std::string& name) { return unlinkat(parentFd, name.c_str(), 0); });
}

std::error_code VirtualFileSystem::RemoveFolder(std::string_view folder) {
  ParsedPath parsed;
  int parentFd = -1;
  std::string_view leaf;
  if (std::error_code error = OpenParent(*cache_, drives_, folder, parsed, parentFd, leaf, Purpose::Change)) return error;
  if (leaf.empty()) return std::make_error_code(std::errc::operation_not_permitted);
  // The chain of open folders ends at the parent, so the removed folder is
  // never left cached. A spared folder is never removed, even when empty.
  return WithLeafName(parentFd, leaf, [&](const std::string& name) {
    const int folder = openat(parentFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
      FolderIdentity identity;
      const bool spared = !IdentifyFolder(folder, identity) && cache_->IsSpared(identity);
      close(folder);
      if (spared) {
        errno = EACCES;
        return -1;
      }
    }
    return unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
  });
}

std::error_code VirtualFileSystem::CreateEmptyFile(std::string_view path) {
  ParsedPath parsed;
  int parentFd = -1;
  std::string_view leaf;
  if (std::error_code error = OpenParent(*cache_, drives_, path, parsed, parentFd, leaf, Purpose::Change)) return error;
  if (leaf.empty()) return std::make_error_code(std::errc::is_a_directory);
  std::string name(leaf);
  struct stat existing {};
  bool exists = fstatat(parentFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  std::string actual;
  if (!exists && errno == ENOENT && !FindNameNoCase(parentFd, name, actual)) {
    name = actual;
    exists = fstatat(parentFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  }
  // Only a regular file is ever opened in the name's place: opening a device
  // can act on it, and a link is never followed.
  if (exists && !S_ISREG(existing.st_mode)) return std::make_error_code(std::errc::file_exists);
  // O_NONBLOCK: a FIFO put in the file's place meanwhile must not hang the
  // program. No O_TRUNC: only a regular file on the drive's own mount is
  // emptied, never a file from elsewhere bound onto this name.
  const int fd = openat(parentFd, name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  struct stat st {};
  std::error_code result;
  if (fstat(fd, &st) != 0) {
    result = LastError();
  } else if (!S_ISREG(st.st_mode)) {
    result = std::make_error_code(std::errc::file_exists);
  } else if (std::error_code error = OnDriveMount(*cache_, parsed.letter, fd)) {
    result = error;
  } else if (st.st_size != 0 && ftruncate(fd, 0) != 0) {
    result = LastError();
  }
  if (close(fd) != 0 && !result) result = LastError();
  return result;
}

std::error_code VirtualFileSystem::FreeBytes(char driveLetter, std::uint64_t& bytes) {
  int rootFd = -1;
  if (std::error_code error = cache_->Root(driveLetter, rootFd)) return error;
  struct statvfs facts {};
  if (fstatvfs(rootFd, &facts) != 0) return LastError();
  bytes = static_cast<std::uint64_t>(facts.f_bfree) * static_cast<std::uint64_t>(facts.f_frsize);
  return {};
}

std::error_code VirtualFileSystem::HostPath(std::string_view path, std::string& hostPath) const {
  ParsedPath parsed;
  if (std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  hostPath = drives_.Find(parsed.letter)->hostRoot;
  // Each component by its name on disk, found as every other operation finds
  // it (another program opening the path compares case); as given from the
  // first folder that cannot be opened on.
  bool resolving = true;
  for (std::size_t i = 0; i < parsed.components.size(); ++i) {
    std::string name(parsed.components[i]);
    int folderFd = -1;
    resolving = resolving && !cache_->Open(parsed, i, folderFd);
    if (resolving) {
      struct stat st {};
      std::string actual;
      if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT &&
          !FindNameNoCase(folderFd, name, actual)) {
        name = actual;
      }
    }
    if (hostPath.empty() || hostPath.back() != '/') hostPath.push_back('/');
    hostPath.append(name);
  }
  return {};
}

std::string FindWindowsDir(VirtualFileSystem& files) {
  // Windows 95 to XP keep it in WINDOWS, NT and 2000 in WINNT; a drive
  // holding both prefers WINDOWS, whatever order the listing gives.
  std::string winnt;
  FolderReader reader;
  if (!files.OpenFolder("C:\\", reader)) {
    FolderEntry entry;
    while (reader.Next(entry)) {
      if (!entry.isFolder) continue;
      if (EqualsNoCase(entry.name, "windows")) return "C:\\" + entry.name;
      if (winnt.empty() && EqualsNoCase(entry.name, "winnt")) winnt = "C:\\" + entry.name;
    }
  }
  return winnt.empty() ? "C:\\WINDOWS" : winnt;
}

std::string CurrentVirtualFolder(const DriveTable& drives) {
  std::string buffer(PATH_MAX, '\0');
  if (getcwd(buffer.data(), buffer.size()) != nullptr) {
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    if (auto folder = drives.HostToVirtual(buffer)) return *folder;
  }
  return "C:\\";
}

}  // namespace tidewell::platform
