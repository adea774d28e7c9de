// Open directory descriptors along the most recently used folder path.
// Every descriptor the cache holds (the chain's folders, the drives' roots)
// is a ScopedFd; what it lends out (Open, Root) stays its own, what it hands
// over (Take) is the caller's.
//
// Resolving "c:\A\B\C\" opens the part of the path that is not open yet below
// the deepest open folder it shares with the chain: where the kernel has
// openat2, "A/B/C" in one call that refuses links, other mounts and anything
// outside the folder it starts from (a few calls for a path longer than a
// system call takes; one component at a time where a spared folder may lie
// below the drive's root, so that each one is compared with them); elsewhere A
// in the root, B in A and C in B, each with O_NOFOLLOW and a check that it is
// on the drive root's own mount. A component that is not found exactly is
// looked up one at a time. The chain ends at the folder last asked for and
// keeps its descriptor (those above it only when opened one by one), so the
// next path that shares a prefix (a sibling, a child, a file in the same
// folder) opens only what differs: a breadth-first walk costs one open per
// folder, and all the rules of one folder one between them, however deep the
// tree. The chain keeps at most kMaxOpenLevels descriptors; beyond that the
// shallowest ones are closed and reopened from the deepest open ancestor when
// needed, so a tree thousands of folders deep (host paths far beyond PATH_MAX)
// works with a bounded number of descriptors. Drive roots stay open for the
// life of the cache.
//
// A drive's root is opened by its mapping's real path with no link anywhere
// in it, and before anything is read or changed its identity is compared
// with the one recorded when the mapping was added; a root that is another
// folder now, or (where none was recorded) one that is the host's root or a
// system folder, is refused for the life of the cache: it behaves as a drive
// without a disk, and the refusal is told once to the listener.
//
// Spared folders (the program's own and its records folder) are known by
// identity: opening one as a subfolder fails with errc::permission_denied,
// whatever path leads there, and a drive whose root is one is RootSpared().
// A drive is opened component by component, each compared with them, only
// where a spared folder may lie below its root: on the root's device, and
// either below the root when the folders were spared or reached through
// another mount of that device, where the folders above it are not known.
// A spared folder moved below a drive's root after it was spared is
// recognised from the next SetSparedFolders() on (each run sets them
// before its walk and again before its rules).
//
// Each component is tried exactly first, then case-insensitively.
//
// The cache also remembers, per volume met, where that volume keeps Windows
// attributes, so that a stat asks each file only for what its volume keeps.
#pragma once

#include <dirent.h>

#include <sys/stat.h>

#include <array>
#include <set>
#include <functional>
#include <utility>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"
#include "platform/virtual_path.h"
#include "platform/posix/folder_identity.h"
#include "platform/posix/mount_identity.h"
#include "platform/posix/open_beneath.h"
#include "platform/posix/scoped_fd.h"
#include "platform/posix/windows_attributes.h"

namespace tidewell::platform {

// Opens the entry `name` of the folder open as `parentFd` as an O_PATH
// descriptor, a link never followed, without ever stepping onto another
// mount: where another file system is mounted on `name` (a folder, or a file
// bound onto a name) it fails with EXDEV, and that file system is asked
// nothing. openat2's RESOLVE_NO_XDEV refuses while the name is looked up in
// the parent, before the mounted file system's root is reached, so a mount
// whose file system never answers (a hung FUSE or network mount) is refused
// at once, where a stat or an open of the name would wait for it. Without
// openat2 (open_beneath.h), a plain openat, which does step onto a mount.
// Returns the descriptor, or an empty one with errno set.
ScopedFd OpenEntryHere(Openat2 kernel, int parentFd, const char* name);

// fstatat(parentFd, name, AT_SYMLINK_NOFOLLOW) through OpenEntryHere: never
// a stat of another mount's root (-1 with errno EXDEV instead).
int StatEntryHere(Openat2 kernel, int parentFd, const char* name, struct stat& st);

// Finds the name in the folder open as `folderFd` that equals `name` without
// regard to case (the first one listed; names that are not IsDriveEntryName
// are never candidates). Fails with errc::no_such_file_or_directory.
std::error_code FindNameNoCase(int folderFd, std::string_view name, std::string& actual);

// A folder to spare: its identity, and the folders above it on its own
// mount, nearest first, up to the top of that mount.
struct SparedFolder {
  FolderIdentity folder;
  std::vector<FolderIdentity> above;
  bool aboveKnown = false;  // false: the way up could not be read
};

// Describes the folder open as `fd` (any kind of descriptor) as a folder to
// spare.
std::error_code DescribeSparedFolder(int fd, SparedFolder& spared);

class FolderHandleCache {
 public:
  static constexpr std::size_t kMaxOpenLevels = 128;

  // `kernel`: whether openat2 may be called (open_beneath.h), probed once
  // by whoever makes the cache; every opening here follows it.
  FolderHandleCache(const DriveTable& drives, Openat2 kernel) : drives_(drives), kernel_(kernel) {}
  FolderHandleCache(const FolderHandleCache&) = delete;
  FolderHandleCache& operator=(const FolderHandleCache&) = delete;

  // The descriptor of the folder made of the first `depth` components of
  // `path` (0: the drive's root). Borrowed: valid until the next call.
  std::error_code Open(const ParsedPath& path, std::size_t depth, int& fd);

  // As Open, but the caller gets the folder's descriptor for its own (a
  // listing of its own, read from the start); the cache forgets it. For the drive's root, which the cache keeps, a fresh
  // descriptor of the root is made.
  std::error_code Take(const ParsedPath& path, std::size_t depth, ScopedFd& fd);

  Openat2 Kernel() const { return kernel_; }

  // The root descriptor of a drive and its mount identity. Fails with
  // errc::no_such_device when the root is refused (see above).
  std::error_code Root(char letter, int& fd, const MountIdentity** identity = nullptr);

  // The folders to spare from now on; forgets the cached chain, so that no
  // folder opened before is used unchecked.
  void SetSparedFolders(std::vector<SparedFolder> spared);
  // True when the drive's root is itself a spared folder.
  bool RootSpared(char letter);
  // True when `identity` is a spared folder.
  bool IsSpared(const FolderIdentity& identity) const;
  // True when a spared folder may lie on the drive (see above),
  // so that what is opened or removed there must be compared with them.
  bool SparedMayLieOn(char letter);

  // What is known of a volume: where it keeps Windows attributes, and
  // whether it has user extended attributes at all (unknown until asked).
  struct VolumeFacts {
    VolumeRecord record = VolumeRecord::DosAttrib;
    bool userAttributes = true;
  };
  // The facts of the volume with device number `device`, or nullptr when
  // it has not been met yet; Learn() records them.
  VolumeFacts* Volume(std::uint64_t device);
  VolumeFacts& Learn(std::uint64_t device, VolumeRecord record);

  // Told, once per drive, why its root was refused, and once per folder
  // (TellMountLeft) where another file system is mounted inside a drive.
  void OnRootRefused(std::function<void(const std::string&)> listener) { onRefused_ = std::move(listener); }
  // Tells the listener, once per folder, that `folder` (a virtual path) is
  // left alone because another file system is mounted there.
  void TellMountLeft(std::string_view folder);

  void Clear();

 private:
  struct Level {
    std::string key;  // the component as asked for
    ScopedFd fd;      // empty: closed to respect kMaxOpenLevels
  };
  struct RootHandle {
    ScopedFd fd;
    MountIdentity identity;
    FolderIdentity folder;
    bool refused = false;
    bool spared = false;       // the root is a spared folder
    bool checkSpared = false;  // a spared folder may lie below this root
  };

  // Opens components [next, depth) of `path` below `base` with as few
  // openat2 calls as the path's length allows, records them in the chain and
  // advances `next` and `base` past what it opened; stops at the first call
  // that fails, leaving the rest to the caller.
  void OpenJoined(const ParsedPath& path, std::size_t depth, std::size_t& next, int& base);
  void TruncateChain(std::size_t size);
  void CloseShallowest(std::size_t below);
  std::error_code OpenRoot(const DriveMapping& mapping, RootHandle& root);
  std::error_code Refuse(const DriveMapping& mapping, RootHandle& root, const std::string& why);
  void MarkSpared(RootHandle& root) const;

  const DriveTable& drives_;
  const Openat2 kernel_;
  std::array<RootHandle, 26> roots_{};
  std::vector<SparedFolder> spared_;
  std::vector<std::pair<std::uint64_t, VolumeFacts>> volumes_;
  std::function<void(const std::string&)> onRefused_;
  std::set<std::string> mountsTold_;
  char chainLetter_ = 0;
  std::vector<Level> chain_;
  std::size_t openLevels_ = 0;
};

}  // namespace tidewell::platform
