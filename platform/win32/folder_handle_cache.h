// Open folder handles along the most recently used folder path, on Windows.
//
// Resolving "c:\A\B\C\" opens, below the deepest open folder it shares with
// the chain, each missing folder relative to its parent's handle
// (nt_files.h: NtCreateFile with a root directory, on itself, as a folder)
// and checks it once, when it is opened:
//   - a reparse point (symbolic link, junction, mount point) is never
//     entered: errc::too_many_symbolic_link_levels;
//   - a folder on another volume than the drive's root (volume serial
//     number) is never entered: errc::cross_device_link;
//   - a spared folder is never entered: errc::permission_denied.
// The chain keeps the handle of every folder on it, so the next path that
// shares a prefix (a sibling, a child, a file in the same folder) opens only
// what differs: a breadth-first walk costs one opening per folder, and all
// the rules of one folder one between them. A handle stays with the folder
// it opened: a folder renamed or moved meanwhile is still the one acted on
// until ForgetOpenFolders() (Clear) drops the chain. The chain holds at most
// kMaxOpenLevels handles; beyond that the shallowest are closed and reopened
// from the deepest open ancestor when needed, so any depth works with a
// bounded number of handles, well within FolderHandlesToSpare().
//
// A drive's root is opened once by the real path recorded in the drive
// table, through no reparse point, and compared with the identity recorded
// when the table was loaded (or, where none was, refused when it is the
// Windows folder, the system folder or one that holds them); a refused root
// behaves as a drive without a disk for the life of the cache and the
// listener is told why, once. Roots stay open for the life of the cache.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"
#include "platform/virtual_path.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

class FolderHandleCache {
 public:
  static constexpr std::size_t kMaxOpenLevels = 128;

  explicit FolderHandleCache(const DriveTable& drives) : drives_(drives) {}
  FolderHandleCache(const FolderHandleCache&) = delete;
  FolderHandleCache& operator=(const FolderHandleCache&) = delete;

  // The handle of the folder made of the first `depth` components of `path`
  // (0: the drive's root). Borrowed: valid until the next call.
  std::error_code Open(const ParsedPath& path, std::size_t depth, HANDLE& folder);

  // As Open, but the caller owns the handle (its own listing position); the
  // cache forgets it. For the root, which the cache keeps, a new handle of
  // the root is opened.
  std::error_code Take(const ParsedPath& path, std::size_t depth, win32::ScopedHandle& folder);

  // Opens the subfolder `name` of the open folder `parent` on drive
  // `letter`, with the checks above; the caller owns it.
  std::error_code OpenChecked(char letter, HANDLE parent, std::string_view name, ACCESS_MASK access,
                              win32::ScopedHandle& folder);

  // The drive's open root. Fails with errc::no_such_device when the root is
  // refused (see above) or missing.
  std::error_code Root(char letter, HANDLE& root);
  // The drive's root as an extended path ("\\?\C:\a"), for the calls that
  // take only a path (free space).
  std::error_code RootPath(char letter, std::wstring& path);

  // The folders to spare from now on; drops the chain, so that no folder
  // opened before is used unchecked.
  void SetSparedFolders(std::vector<FolderIdentity> spared);
  bool IsSpared(const FolderIdentity& identity) const;
  // True when the drive's root is itself a spared folder.
  bool RootSpared(char letter);

  void OnRootRefused(std::function<void(const std::string&)> listener) { onRefused_ = std::move(listener); }

  // Closes the chain (roots stay open).
  void Clear();

 private:
  struct Level {
    std::string key;  // the component as asked for
    win32::ScopedHandle handle;  // closed to respect kMaxOpenLevels
  };
  struct RootHandle {
    win32::ScopedHandle handle;
    FolderIdentity identity;
    std::wstring path;
    bool refused = false;
  };

  RootHandle* OpenRoot(char letter, std::error_code& error);
  void TruncateChain(std::size_t size);
  void CloseShallowest(std::size_t below);

  const DriveTable& drives_;
  std::array<RootHandle, 26> roots_{};
  std::vector<FolderIdentity> spared_;
  std::function<void(const std::string&)> onRefused_;
  char chainLetter_ = 0;
  std::vector<Level> chain_;
  std::size_t openLevels_ = 0;
};

}  // namespace tidewell::platform
