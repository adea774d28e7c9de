// Open directory descriptors along the most recently used folder path.
//
// Resolving "c:\A\B\C\" opens A in the root, B in A and C in B, each with
// O_NOFOLLOW and a check that it is on the drive root's own mount. The
// descriptors of that chain are kept, so the next path that shares a prefix
// (a sibling, a child, a file in the same folder) opens only what differs:
// a breadth-first walk or a rule loop over one folder costs one openat per
// folder, however deep the tree. The chain keeps at most kMaxOpenLevels
// descriptors; beyond that the shallowest ones are closed and reopened from
// the deepest open ancestor when needed, so a tree thousands of folders deep
// (host paths far beyond PATH_MAX) works with a bounded number of
// descriptors. Drive roots stay open for the life of the cache.
//
// Each component is tried exactly first, then case-insensitively.
#pragma once

#include <dirent.h>

#include <array>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"
#include "platform/posix/mount_identity.h"

namespace tidewell::platform {

// A virtual path split into its drive letter and its components.
struct ParsedPath {
  char letter = 0;  // upper case
  std::vector<std::string_view> components;  // views into the parsed text
};

// Splits "c:\A\B\name". Fails with errc::invalid_argument when the text does
// not start with a letter and ":", or a component is not IsDriveEntryName
// ("." or "..", or holding "/", "\" or a NUL byte); errc::no_such_device
// when the letter names no drive.
std::error_code ParseVirtualPath(const DriveTable& drives, std::string_view path, ParsedPath& parsed);

// Opens a listing of the folder open as `folderFd` on a fresh open file
// description, so its reading position is its own. The caller closes it.
std::error_code OpenListing(int folderFd, DIR*& stream);

// Finds the name in the folder open as `folderFd` that equals `name` without
// regard to case (the first one listed; names that are not IsDriveEntryName
// are never candidates). Fails with errc::no_such_file_or_directory.
std::error_code FindNameNoCase(int folderFd, std::string_view name, std::string& actual);

class FolderHandleCache {
 public:
  static constexpr std::size_t kMaxOpenLevels = 128;

  explicit FolderHandleCache(const DriveTable& drives) : drives_(drives) {}
  ~FolderHandleCache();
  FolderHandleCache(const FolderHandleCache&) = delete;
  FolderHandleCache& operator=(const FolderHandleCache&) = delete;

  // The descriptor of the folder made of the first `depth` components of
  // `path` (0: the drive's root). Borrowed: valid until the next call.
  std::error_code Open(const ParsedPath& path, std::size_t depth, int& fd);

  // As Open, but the caller gets the folder's descriptor for its own (a
  // listing of its own, read from the start) and closes it; the cache
  // forgets it. For the drive's root, which the cache keeps, a fresh
  // descriptor of the root is made.
  std::error_code Take(const ParsedPath& path, std::size_t depth, int& fd);

  // The root descriptor of a drive and its mount identity.
  std::error_code Root(char letter, int& fd, const MountIdentity** identity = nullptr);

  void Clear();

 private:
  struct Level {
    std::string key;  // the component as asked for
    int fd = -1;      // -1: closed to respect kMaxOpenLevels
  };
  struct RootHandle {
    int fd = -1;
    MountIdentity identity;
  };

  void TruncateChain(std::size_t size);
  void CloseShallowest(std::size_t below);

  const DriveTable& drives_;
  std::array<RootHandle, 26> roots_{};
  char chainLetter_ = 0;
  std::vector<Level> chain_;
  std::size_t openLevels_ = 0;
};

}  // namespace tidewell::platform
