#include "platform/win32/folder_handle_cache.h"

#include <algorithm>
#include <optional>

#include "platform/text_case.h"
#include "platform/virtual_file_system.h"
#include "platform/win32/folder_identity.h"
#include "platform/win32/nt_files.h"

namespace tidewell::platform {

using win32::ScopedHandle;

namespace {

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// "\\?\C:\a\b" from the drive table's "C:/a/b": no length limit, no
// reinterpretation of trailing dots or blanks in names.
std::wstring ExtendedPath(const std::string& hostRoot) {
  std::wstring path = L"\\\\?\\" + win32::Widen(hostRoot);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  while (!path.empty() && path.back() == L'\\' && path.size() > 7) path.pop_back();
  return path;
}

}  // namespace

FolderHandleCache::RootHandle* FolderHandleCache::OpenRoot(char letter, std::error_code& error) {
  const DriveMapping* mapping = drives_.Find(letter);
  if (mapping == nullptr) {
    error = std::make_error_code(std::errc::no_such_device);
    return nullptr;
  }
  RootHandle& root = roots_[static_cast<std::size_t>(mapping->letter - 'A')];
  // A folder that gave no answer when the table was read is never asked again.
  if (root.refused || !mapping->answers) {
    error = std::make_error_code(std::errc::no_such_device);
    return nullptr;
  }
  if (root.handle.Valid()) return &root;
  ScopedHandle opened;
  if (std::error_code failed = win32::OpenRealFolder(mapping->hostRoot, opened)) {
    // Missing is a drive without a disk (it may come back); a reparse point
    // on the way is the same to the engine, but never followed.
    error = failed == std::errc::no_such_file_or_directory ? std::make_error_code(std::errc::no_such_device) : failed;
    return nullptr;
  }
  FolderIdentity identity;
  if (std::error_code failed = win32::IdentifyFolder(opened.Get(), identity)) {
    error = failed;
    return nullptr;
  }
  std::optional<std::string> why;
  if (mapping->identity) {
    if (!mapping->identity->SameFolder(identity)) {
      why = "is no longer the folder that was checked when the drive was set up";
    }
  } else if (std::optional<std::string> forbidden = win32::ForbiddenDriveRoot(opened.Get(), identity)) {
    why = "is " + *forbidden;
  }
  if (why) {
    root.refused = true;
    if (onRefused_) {
      onRefused_("Drive " + std::string(1, mapping->letter) + ": is left alone: its folder \"" + mapping->hostRoot +
                 "\" " + *why + ".");
    }
    error = std::make_error_code(std::errc::no_such_device);
    return nullptr;
  }
  root.handle = std::move(opened);
  root.identity = identity;
  root.path = ExtendedPath(mapping->hostRoot);
  return &root;
}

std::error_code FolderHandleCache::Root(char letter, HANDLE& root) {
  std::error_code error;
  RootHandle* opened = OpenRoot(letter, error);
  if (opened == nullptr) return error;
  root = opened->handle.Get();
  return {};
}

std::error_code FolderHandleCache::RootPath(char letter, std::wstring& path) {
  std::error_code error;
  RootHandle* opened = OpenRoot(letter, error);
  if (opened == nullptr) return error;
  path = opened->path;
  return {};
}

void FolderHandleCache::SetSparedFolders(std::vector<FolderIdentity> spared) {
  Clear();
  spared_ = std::move(spared);
}

bool FolderHandleCache::IsSpared(const FolderIdentity& identity) const {
  return std::any_of(spared_.begin(), spared_.end(),
                     [&](const FolderIdentity& spared) { return spared.SameFolder(identity); });
}

bool FolderHandleCache::RootSpared(char letter) {
  std::error_code error;
  RootHandle* root = OpenRoot(letter, error);
  return root != nullptr && IsSpared(root->identity);
}

std::error_code FolderHandleCache::OpenChecked(char letter, HANDLE parent, std::string_view name, ACCESS_MASK access,
                                               ScopedHandle& folder) {
  std::error_code error;
  RootHandle* root = OpenRoot(letter, error);
  if (root == nullptr) return error;
  ScopedHandle opened;
  if (std::error_code failed = win32::OpenRelative(parent, name, access | FILE_READ_ATTRIBUTES,
                                                   win32::EntryKind::Folder, opened)) {
    return failed;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(opened.Get(), &info)) return win32::LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  }
  if (info.dwVolumeSerialNumber != root->identity.device) return std::make_error_code(std::errc::cross_device_link);
  FolderIdentity identity;
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  if (IsSpared(identity)) return std::make_error_code(std::errc::permission_denied);
  folder = std::move(opened);
  return {};
}

void FolderHandleCache::TruncateChain(std::size_t size) {
  while (chain_.size() > size) {
    if (chain_.back().handle.Valid()) --openLevels_;
    chain_.pop_back();
  }
}

void FolderHandleCache::CloseShallowest(std::size_t below) {
  for (std::size_t i = 0; i < below && openLevels_ > kMaxOpenLevels; ++i) {
    if (chain_[i].handle.Valid()) {
      chain_[i].handle.Reset();
      --openLevels_;
    }
  }
}

void FolderHandleCache::Clear() {
  TruncateChain(0);
  chainLetter_ = 0;
}

std::error_code FolderHandleCache::Open(const ParsedPath& path, std::size_t depth, HANDLE& folder) {
  std::error_code error;
  RootHandle* root = OpenRoot(path.letter, error);
  if (root == nullptr) return error;
  if (IsSpared(root->identity)) return std::make_error_code(std::errc::permission_denied);
  if (chainLetter_ != path.letter) {
    TruncateChain(0);
    chainLetter_ = path.letter;
  }

  // Keep the part of the chain that this path shares, and start from its
  // deepest open folder.
  std::size_t shared = 0;
  while (shared < chain_.size() && shared < depth && chain_[shared].key == path.components[shared]) ++shared;
  TruncateChain(shared);
  std::size_t start = shared;
  while (start > 0 && !chain_[start - 1].handle.Valid()) --start;
  HANDLE base = start == 0 ? root->handle.Get() : chain_[start - 1].handle.Get();

  for (std::size_t i = start; i < depth; ++i) {
    ScopedHandle opened;
    if (std::error_code failed = OpenChecked(path.letter, base, path.components[i], kFolderAccess, opened)) {
      TruncateChain(i);
      return failed;
    }
    base = opened.Get();
    if (i < chain_.size()) {
      chain_[i].handle = std::move(opened);
    } else {
      chain_.push_back(Level{std::string(path.components[i]), std::move(opened)});
    }
    ++openLevels_;
    CloseShallowest(i);
  }
  folder = base;
  return {};
}

std::error_code FolderHandleCache::Take(const ParsedPath& path, std::size_t depth, ScopedHandle& folder) {
  HANDLE opened = INVALID_HANDLE_VALUE;
  if (std::error_code error = Open(path, depth, opened)) return error;
  if (depth == 0) return win32::OpenRelative(opened, "", kFolderAccess, win32::EntryKind::Folder, folder);
  // The deepest level of the chain is the folder just opened.
  folder = std::move(chain_[depth - 1].handle);
  --openLevels_;
  return {};
}

}  // namespace tidewell::platform
