// Folder handle cache: component-wise, link-refusing, mount-bounded opening
// of folders, with the descriptors of the last path kept for reuse, each in
// a ScopedFd; openat2 only through open_beneath.h, as the cache's kernel
// value allows.
#include "platform/posix/folder_handle_cache.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/scoped_fd.h"
#include "platform/text_case.h"
#include "platform/virtual_file_system.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A listing of the folder open as `folderFd` on a fresh open file
// description, so its reading position is its own.
std::error_code OpenListing(int folderFd, ScopedDir& stream) {
  ScopedFd listFd(openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listFd.Valid()) return LastError();
  stream.reset(fdopendir(listFd.Get()));
  if (stream == nullptr) return LastError();
  listFd.Release();  // the stream's now
  return {};
}

}  // namespace

ScopedFd OpenEntryHere(Openat2 kernel, int parentFd, const char* name) {
  ScopedFd opened;
  const std::error_code error =
      OpenWithOpenat2(kernel, parentFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC, Confine::Beneath, opened);
  if (error == std::errc::function_not_supported) opened.Reset(openat(parentFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  else if (error) errno = error.value();
  return opened;
}

int StatEntryHere(Openat2 kernel, int parentFd, const char* name, struct stat& st) {
  const ScopedFd entry = OpenEntryHere(kernel, parentFd, name);
  return entry.Valid() ? fstat(entry.Get(), &st) : -1;
}

void FolderHandleCache::TellMountLeft(std::string_view folder) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path.push_back('\\');
  path.front() = ToUpperAscii(path.front());
  // Once per folder, however its path is spelled.
  if (!mountsTold_.insert(UpperCased(path)).second || !onRefused_) return;
  onRefused_(path + " is left alone: another file system is mounted there, and nothing is read from it or "
                    "deleted in it");
}

std::error_code FindNameNoCase(int folderFd, std::string_view name, std::string& actual) {
  ScopedDir stream;
  if (std::error_code error = OpenListing(folderFd, stream)) return error;
  while (const dirent* entry = readdir(stream.get())) {
    const std::string_view candidate(entry->d_name);
    if (IsDriveEntryName(candidate) && EqualsNoCase(candidate, name)) {
      actual.assign(candidate);
      return {};
    }
  }
  return std::make_error_code(std::errc::no_such_file_or_directory);
}

namespace {

// Opens the subfolder `name` of the folder open as `base` (on the drive's own
// mount), refusing a link and a folder on another mount. Where the kernel
// has openat2 this is one call that does all three; elsewhere the folder is
// opened with O_NOFOLLOW and its mount compared afterwards.
std::error_code OpenSubfolder(Openat2 kernel, int base, const std::string& name, const MountIdentity& rootMount,
                              ScopedFd& opened) {
  if (std::error_code error = OpenBeneath(kernel, base, name.c_str(), opened);
      error != std::errc::function_not_supported) {
    return error;
  }
  ScopedFd folder(openat(base, name.c_str(), kFolderFlags));
  if (!folder.Valid()) return LastError();
  MountIdentity mount;
  if (std::error_code error = IdentifyMount(folder.Get(), mount)) return error;
  if (!mount.SameMount(rootMount)) return std::make_error_code(std::errc::cross_device_link);
  opened = std::move(folder);
  return {};
}

// How many bytes of joined components one openat2 is given at most: well
// within PATH_MAX, so a deep chain is opened in a few calls.
constexpr std::size_t kMaxJoinedPath = 3072;

}  // namespace

std::error_code FolderHandleCache::Refuse(const DriveMapping& mapping, RootHandle& root, const std::string& why) {
  root.refused = true;
  if (onRefused_) {
    onRefused_("drive " + std::string(1, mapping.letter) + ": (\"" + mapping.hostRoot + "\") is not cleaned: " + why +
               ".");
  }
  return std::make_error_code(std::errc::no_such_device);
}

std::error_code DescribeSparedFolder(int fd, SparedFolder& spared) {
  spared = {};
  if (std::error_code error = IdentifyFolder(fd, spared.folder)) return error;
  // Up through "..", never further than the top of the folder's own mount
  // (where ".." is the folder itself or lies on another mount); a tree
  // deeper than any real one is left unknown.
  constexpr std::size_t kMostLevels = 4096;
  ScopedFd current;  // the folder above `fd` being looked at
  FolderIdentity here = spared.folder;
  while (spared.above.size() < kMostLevels) {
    current.Reset(openat(current.Valid() ? current.Get() : fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!current.Valid()) break;
    FolderIdentity up;
    if (IdentifyFolder(current.Get(), up)) break;
    if (up.SameFolder(here) || up.device != here.device ||
        (up.hasMountId && here.hasMountId && up.mountId != here.mountId)) {
      spared.aboveKnown = true;
      break;
    }
    spared.above.push_back(up);
    here = up;
  }
  return {};
}

void FolderHandleCache::MarkSpared(RootHandle& root) const {
  root.spared = IsSpared(root.folder);
  root.checkSpared = false;
  for (const SparedFolder& spared : spared_) {
    if (spared.folder.device != root.folder.device) continue;
    // Below the root only when the root is met on the way up; through
    // another mount of the device the way up says nothing about the root's.
    const bool sameMount = spared.folder.hasMountId && root.folder.hasMountId &&
                           spared.folder.mountId == root.folder.mountId;
    bool below = !spared.aboveKnown || !sameMount || spared.folder.SameFolder(root.folder);
    for (const FolderIdentity& above : spared.above) below = below || above.SameFolder(root.folder);
    if (below) root.checkSpared = true;
  }
}

bool FolderHandleCache::IsSpared(const FolderIdentity& identity) const {
  for (const SparedFolder& spared : spared_) {
    if (spared.folder.SameFolder(identity)) return true;
  }
  return false;
}

std::error_code FolderHandleCache::OpenRoot(const DriveMapping& mapping, RootHandle& root) {
  // The real path recorded when the mapping was added, with no link in it:
  // a folder swapped for a link since, or one that appeared as a link, is
  // never followed.
  ScopedFd opened;
  if (std::error_code error = OpenRealFolder(kernel_, mapping.hostRoot, FolderAccess::List, opened)) {
    if (error == std::errc::too_many_symbolic_link_levels || error == std::errc::not_a_directory) {
      return Refuse(mapping, root, "its path leads through a link now");
    }
    return error;  // missing (no disk yet), or not readable
  }
  FolderIdentity folder;
  MountIdentity mount;
  if (std::error_code error = IdentifyFolder(opened.Get(), folder)) return error;
  if (std::error_code error = IdentifyMount(opened.Get(), mount)) return error;
  std::optional<std::string> why;
  if (mapping.identity && !mapping.identity->SameFolderAndMount(folder)) {
    why = "it is no longer the folder that was checked when the drives were read (it was replaced, or another "
          "file system was mounted there)";
  } else if (std::optional<std::string> forbidden =
                 ForbiddenDriveRoot(opened.Get(), SystemFoldersOr(drives_.SystemFoldersGiven()))) {
    why = "it is " + *forbidden;
  }
  if (why) return Refuse(mapping, root, *why);
  root.fd = std::move(opened);
  root.identity = mount;
  root.folder = folder;
  MarkSpared(root);
  return {};
}

std::error_code FolderHandleCache::Root(char letter, int& fd, const MountIdentity** identity) {
  const DriveMapping* mapping = drives_.Find(letter);
  if (mapping == nullptr) return std::make_error_code(std::errc::no_such_device);
  RootHandle& root = roots_[static_cast<std::size_t>(mapping->letter - 'A')];
  // A folder that gave no answer when the table was read is never asked
  // again: a drive without a disk.
  if (root.refused || !mapping->answers) return std::make_error_code(std::errc::no_such_device);
  if (!root.fd.Valid()) {
    if (std::error_code error = OpenRoot(*mapping, root)) return error;
  }
  fd = root.fd.Get();
  if (identity != nullptr) *identity = &root.identity;
  return {};
}

FolderHandleCache::VolumeFacts* FolderHandleCache::Volume(std::uint64_t device) {
  for (auto& [known, facts] : volumes_) {
    if (known == device) return &facts;
  }
  return nullptr;
}

FolderHandleCache::VolumeFacts& FolderHandleCache::Learn(std::uint64_t device, VolumeRecord record) {
  if (VolumeFacts* known = Volume(device)) return *known;
  volumes_.emplace_back(device, VolumeFacts{record, true});
  return volumes_.back().second;
}

void FolderHandleCache::SetSparedFolders(std::vector<SparedFolder> spared) {
  Clear();
  spared_ = std::move(spared);
  for (RootHandle& root : roots_) {
    if (root.fd.Valid()) MarkSpared(root);
  }
}

bool FolderHandleCache::SparedMayLieOn(char letter) {
  int fd = -1;
  if (Root(letter, fd)) return false;
  return roots_[static_cast<std::size_t>(ToUpperAscii(letter) - 'A')].checkSpared;
}

bool FolderHandleCache::RootSpared(char letter) {
  int fd = -1;
  if (Root(letter, fd)) return false;
  return roots_[static_cast<std::size_t>(ToUpperAscii(letter) - 'A')].spared;
}

void FolderHandleCache::TruncateChain(std::size_t size) {
  while (chain_.size() > size) {
    if (chain_.back().fd.Valid()) --openLevels_;
    chain_.pop_back();
  }
}

void FolderHandleCache::CloseShallowest(std::size_t below) {
  for (std::size_t i = 0; i < below && openLevels_ > kMaxOpenLevels; ++i) {
    if (chain_[i].fd.Valid()) {
      chain_[i].fd.Reset();
      --openLevels_;
    }
  }
}

void FolderHandleCache::Clear() {
  TruncateChain(0);
  chainLetter_ = 0;
}

std::error_code FolderHandleCache::Open(const ParsedPath& path, std::size_t depth, int& fd) {
  int rootFd = -1;
  const MountIdentity* rootMount = nullptr;
  if (std::error_code error = Root(path.letter, rootFd, &rootMount)) return error;
  if (depth == 0) {
    fd = rootFd;  // the chain below is left as it is
    return {};
  }
  if (chainLetter_ != path.letter) {
    TruncateChain(0);
    chainLetter_ = path.letter;
  }

  // Keep the part of the chain that this path shares.
  std::size_t shared = 0;
  while (shared < chain_.size() && shared < depth && chain_[shared].key == path.components[shared]) {
    ++shared;
  }
  TruncateChain(shared);

  // Start from the deepest open ancestor within the shared part.
  std::size_t start = shared;
  while (start > 0 && !chain_[start - 1].fd.Valid()) --start;
  int base = start == 0 ? rootFd : chain_[start - 1].fd.Get();

  // Where no spared folder can lie on the way, the missing part is opened in
  // one openat2 (a few for a very deep one). Whatever that call refuses or
  // does not find (a link, another mount, a name in another case, a folder
  // that cannot be read) is left to the loop below, which opens the rest one
  // component at a time and fails, or finds the name, as it always does.
  std::size_t next = start;
  if (!roots_[static_cast<std::size_t>(path.letter - 'A')].checkSpared && depth - start > 1) {
    OpenJoined(path, depth, next, base);
  }

  for (std::size_t i = next; i < depth; ++i) {
    const std::string_view key = path.components[i];
    const std::string name(key);
    ScopedFd opened;
    std::error_code error = OpenSubfolder(kernel_, base, name, *rootMount, opened);
    if (error == std::errc::no_such_file_or_directory) {
      std::string actual;
      if (!FindNameNoCase(base, name, actual)) error = OpenSubfolder(kernel_, base, actual, *rootMount, opened);
    }
    if (!error && roots_[static_cast<std::size_t>(path.letter - 'A')].checkSpared) {
      FolderIdentity folder;
      error = IdentifyFolder(opened.Get(), folder);
      if (!error && IsSpared(folder)) error = std::make_error_code(std::errc::permission_denied);
    }
    if (error) {
      // ELOOP: the component is a link, never followed; EXDEV: another mount;
      // EACCES from above: a spared folder, never entered.
      TruncateChain(i);
      return error;
    }
    base = opened.Get();
    if (i < chain_.size()) {
      chain_[i].fd = std::move(opened);
    } else {
      chain_.push_back(Level{std::string(key), std::move(opened)});
    }
    ++openLevels_;
    CloseShallowest(i);
  }
  fd = base;
  return {};
}

void FolderHandleCache::OpenJoined(const ParsedPath& path, std::size_t depth, std::size_t& next, int& base) {
  std::string joined;
  while (next < depth) {
    joined.clear();
    std::size_t end = next;
    while (end < depth && (joined.empty() || joined.size() + 1 + path.components[end].size() <= kMaxJoinedPath)) {
      if (!joined.empty()) joined.push_back('/');
      joined.append(path.components[end]);
      ++end;
    }
    ScopedFd opened;
    if (OpenBeneath(kernel_, base, joined.c_str(), opened)) return;
    base = opened.Get();
    // Only the deepest folder of the stretch is open; the levels above it
    // are known by name and reopened from an open ancestor when needed.
    for (std::size_t i = next; i < end; ++i) {
      ScopedFd fd(i + 1 == end ? opened.Release() : -1);
      if (i < chain_.size()) {
        chain_[i].fd = std::move(fd);
      } else {
        chain_.push_back(Level{std::string(path.components[i]), std::move(fd)});
      }
    }
    ++openLevels_;
    CloseShallowest(end - 1);
    next = end;
  }
}

std::error_code FolderHandleCache::Take(const ParsedPath& path, std::size_t depth, ScopedFd& fd) {
  int opened = -1;
  if (std::error_code error = Open(path, depth, opened)) return error;
  if (depth == 0) {
    fd.Reset(openat(opened, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() ? std::error_code{} : LastError();
  }
  // The deepest level of the chain is the folder just opened.
  fd = std::move(chain_[depth - 1].fd);
  --openLevels_;
  return {};
}

}  // namespace tidewell::platform
