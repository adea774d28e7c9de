// Virtual file system on Windows: every operation resolves its parent
// folder (OpenParent, platform/parent_path.h) through the folder handle cache (folder_handle_cache.h: folders
// opened relative to their parent's handle, each checked once when opened:
// no reparse point entered, no other volume, no spared folder) and then
// opens the last component relative to that parent's handle, on itself,
// never following a reparse point (nt_files.h). What is changed is changed
// by that handle: attributes (SetFileInformationByHandle, FileBasicInfo),
// deletion of files and empty folders (FileDispositionInfo). Listings are
// read from the folder's own handle (GetFileInformationByHandleEx,
// FileIdBothDirectoryInfo) with the attributes Windows keeps; a subfolder
// of a listed folder is opened from the listed folder's handle.
#include "platform/virtual_file_system.h"

#include <windows.h>

#include <utility>

#include "platform/parent_path.h"
#include "platform/text_case.h"
#include "platform/win32/folder_handle_cache.h"
#include "platform/win32/folder_identity.h"
#include "platform/win32/nt_files.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

using win32::EntryKind;
using win32::LastError;
using win32::OpenRelative;
using win32::ScopedHandle;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

Attributes AttributesOf(DWORD native) {
  const bool reparse = (native & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  Attributes attributes = kNormal;
  if ((native & FILE_ATTRIBUTE_DIRECTORY) && !reparse) attributes |= kFolder;
  if (native & FILE_ATTRIBUTE_READONLY) attributes |= kReadOnly;
  if (native & FILE_ATTRIBUTE_HIDDEN) attributes |= kHidden;
  if (native & FILE_ATTRIBUTE_SYSTEM) attributes |= kSystem;
  if (native & FILE_ATTRIBUTE_ARCHIVE) attributes |= kArchive;
  return attributes;
}

std::int64_t UnixSeconds(const FILETIME& time) {
  const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10'000'000u) - 11'644'473'600;
}

void FillFacts(const BY_HANDLE_FILE_INFORMATION& info, EntryFacts& facts) {
  facts.attributes = AttributesOf(info.dwFileAttributes);
  facts.length = static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
  facts.isLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  facts.device = info.dwVolumeSerialNumber;
  facts.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  facts.modified = UnixSeconds(info.ftLastWriteTime);
}

// The facts of `name` in the folder open as `folder` (an empty name: the
// folder itself), the entry opened on itself.
std::error_code StatRelative(HANDLE folder, std::string_view name, EntryFacts& facts) {
  ScopedHandle entry;
  if (std::error_code error = OpenRelative(folder, name, FILE_READ_ATTRIBUTES, EntryKind::Any, entry)) return error;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(entry.Get(), &info)) return LastError();
  FillFacts(info, facts);
  return {};
}

std::error_code StatEntryOf(HANDLE folder, std::string_view name, EntryFacts& facts) {
  if (!IsDriveEntryName(name)) return std::make_error_code(std::errc::invalid_argument);
  return StatRelative(folder, name, facts);
}

}  // namespace

// The listing is read from the folder's own handle
// (GetFileInformationByHandleEx, FileIdBothDirectoryInfo), in blocks.
struct FolderReader::State {
  ScopedHandle folder;  // the listed folder itself, for StatEntry and ReleaseFolder
  alignas(8) unsigned char block[64 * 1024];
  std::size_t offset = 0;  // of the next record in `block`
  bool filled = false;     // `block` holds records from offset on
  bool ended = false;
};

FolderReader::FolderReader() = default;
FolderReader::FolderReader(FolderReader&& other) noexcept = default;
FolderReader& FolderReader::operator=(FolderReader&& other) noexcept = default;
FolderReader::~FolderReader() = default;

bool FolderReader::Next(FolderEntry& entry) {
  if (!state_ || state_->ended) return false;
  for (;;) {
    if (!state_->filled) {
      if (!GetFileInformationByHandleEx(state_->folder.Get(), FileIdBothDirectoryInfo, state_->block,
                                        sizeof state_->block)) {
        state_->ended = true;  // ERROR_NO_MORE_FILES, or a read error
        return false;
      }
      state_->filled = true;
      state_->offset = 0;
    }
    const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(state_->block + state_->offset);
    if (record->NextEntryOffset == 0) {
      state_->filled = false;
    } else {
      state_->offset += record->NextEntryOffset;
    }
    std::string name = win32::Narrow(std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t)));
    if (!IsDriveEntryName(name)) continue;
    const DWORD attributes = record->FileAttributes;
    entry.name = std::move(name);
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !reparse;
    entry.hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    entry.system = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    return true;
  }
}

std::error_code FolderReader::StatEntry(const std::string& name, EntryFacts& facts) const {
  if (!state_) return std::make_error_code(std::errc::bad_file_descriptor);
  return StatEntryOf(state_->folder.Get(), name, facts);
}

bool FolderReader::IsOpen() const { return state_ != nullptr; }

FolderHandle FolderReader::ReleaseFolder() {
  FolderHandle handle;
  if (state_) {
    handle.native_ = reinterpret_cast<std::intptr_t>(state_->folder.Release());
    state_.reset();
  }
  return handle;
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept : native_(std::exchange(other.native_, kNone)) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (native_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(native_));
    native_ = std::exchange(other.native_, kNone);
  }
  return *this;
}

FolderHandle::~FolderHandle() {
  if (native_ != kNone) CloseHandle(reinterpret_cast<HANDLE>(native_));
}

std::error_code FolderHandle::StatEntry(const char* name, EntryFacts& facts) const {
  if (native_ == kNone) return std::make_error_code(std::errc::bad_file_descriptor);
  return StatEntryOf(reinterpret_cast<HANDLE>(native_), name, facts);
}

// Windows limits a process's handles only by memory (about sixteen million);
// a walk keeps a generous share that still bounds what it holds.
std::size_t FolderHandlesToSpare() { return 8192; }

void ReserveFolderHandles(std::size_t /*handles*/) {}

VirtualFileSystem::VirtualFileSystem(DriveTable drives, PathResolution /*resolution*/)
    : drives_(std::move(drives)), cache_(std::make_unique<FolderHandleCache>(drives_)) {}

VirtualFileSystem::~VirtualFileSystem() = default;

void VirtualFileSystem::ForgetOpenFolders() { cache_->Clear(); }

void VirtualFileSystem::SpareFolders(const std::vector<std::string>& hostFolders) {
  std::vector<FolderIdentity> identities;
  for (const std::string& folder : hostFolders) {
    if (folder.empty()) continue;
    const ScopedHandle handle(CreateFileW(win32::Widen(folder).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FolderIdentity identity;
    if (handle.Valid() && !win32::IdentifyFolder(handle.Get(), identity)) identities.push_back(identity);
  }
  cache_->SetSparedFolders(std::move(identities));
}

void VirtualFileSystem::ReplaceDrives(DriveTable drives) {
  cache_.reset();  // its handles close before the table they were opened for goes
  drives_ = std::move(drives);
  cache_ = std::make_unique<FolderHandleCache>(drives_);
  cache_->OnRootRefused(onDriveRefused_);
}

void VirtualFileSystem::OnDriveRefused(std::function<void(const std::string&)> listener) {
  onDriveRefused_ = listener;
  cache_->OnRootRefused(std::move(listener));
}

std::error_code VirtualFileSystem::OpenRootForReaders(char letter, FolderHandle& root) {
  HANDLE rootHandle = INVALID_HANDLE_VALUE;
  if (std::error_code error = cache_->Root(letter, rootHandle)) return error;
  HANDLE own = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), rootHandle, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return std::make_error_code(std::errc::io_error);
  }
  root = FolderHandle::Adopt(reinterpret_cast<std::intptr_t>(own));
  return {};
}

bool VirtualFileSystem::SparedMayLieOn(char) { return true; }

bool VirtualFileSystem::IsSpared(const FolderHandle& folder) const {
  FolderIdentity identity;
  return !folder.IsOpen() || win32::IdentifyFolder(reinterpret_cast<HANDLE>(folder.Native()), identity) ||
         cache_->IsSpared(identity);
}

std::error_code VirtualFileSystem::OpenFolder(std::string_view folder, FolderReader& reader) {
  reader.state_.reset();
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, folder, parsed)) return error;
  auto state = std::make_unique<FolderReader::State>();
  if (const std::error_code error = cache_->Take(parsed, parsed.components.size(), state->folder)) return error;
  reader.state_ = std::move(state);
  return {};
}

// The subfolder is opened from the parent's handle with the checks every
// folder gets; whatever that does not settle is answered by OpenFolder.
std::error_code VirtualFileSystem::OpenSubfolder(const FolderHandle& parent, std::string_view name,
                                                 std::string_view folder, FolderReader& reader) {
  reader.state_.reset();
  if (parent.IsOpen() && folder.size() >= 2 && folder[1] == ':' && IsDriveEntryName(name)) {
    auto state = std::make_unique<FolderReader::State>();
    if (!cache_->OpenChecked(ToUpperAscii(folder[0]), reinterpret_cast<HANDLE>(parent.native_), name, kListAccess,
                             state->folder)) {
      reader.state_ = std::move(state);
      return {};
    }
  }
  return OpenFolder(folder, reader);
}

// Nothing is opened ahead on Windows: the walk opens every folder itself.
bool VirtualFileSystem::OpensAhead(const FolderHandle&, std::string_view, std::string_view) { return false; }

std::error_code VirtualFileSystem::OpenAhead(const FolderHandle&, const std::string&, FolderReader&) const {
  return std::make_error_code(std::errc::not_supported);
}

std::error_code VirtualFileSystem::Stat(std::string_view path, EntryFacts& facts, AttributeQuery query) {
  ParentPath where;
  HANDLE parent = INVALID_HANDLE_VALUE;
  if (const std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::Read, where, parent)) {
    return error;
  }
  if (const std::error_code error = StatRelative(parent, where.leaf, facts)) return error;
  if (query == AttributeQuery::FolderOnly) facts.attributes &= kFolder;
  return {};
}

std::error_code VirtualFileSystem::SetAttributes(std::string_view path, Attributes attributes) {
  ParentPath where;
  HANDLE parent = INVALID_HANDLE_VALUE;
  if (const std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::SetAttributes, where, parent)) {
    return error;
  }
  ScopedHandle handle;
  if (const std::error_code error =
          OpenRelative(parent, where.leaf, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, EntryKind::Any, handle)) {
    return error;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return LastError();
  // A link has no attributes of its own here: nothing changes, not its target.
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return {};
  constexpr DWORD kSettable =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  DWORD wanted = info.dwFileAttributes & ~kSettable;
  if (attributes & kReadOnly) wanted |= FILE_ATTRIBUTE_READONLY;
  if (attributes & kHidden) wanted |= FILE_ATTRIBUTE_HIDDEN;
  if (attributes & kSystem) wanted |= FILE_ATTRIBUTE_SYSTEM;
  if (attributes & kArchive) wanted |= FILE_ATTRIBUTE_ARCHIVE;
  if (wanted == info.dwFileAttributes) return {};
  // A file with other links shares its attributes with them, wherever they are.
  if (info.nNumberOfLinks > 1 && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::make_error_code(std::errc::too_many_links);
  }
  FILE_BASIC_INFO basic{};  // zero times: left as they are
  basic.FileAttributes = wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted;
  if (!SetFileInformationByHandle(handle.Get(), FileBasicInfo, &basic, sizeof basic)) return LastError();
  return {};
}

namespace {

// Marks an entry opened on itself for deletion; it goes when the handle closes.
std::error_code DeleteByHandle(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)) return LastError();
  return {};
}

}  // namespace

std::error_code VirtualFileSystem::RemoveFile(std::string_view path) {
  ParentPath where;
  HANDLE parent = INVALID_HANDLE_VALUE;
  if (const std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::RemoveFile, where, parent)) {
    return error;
  }
  ScopedHandle handle;
  if (const std::error_code error = OpenRelative(parent, where.leaf, DELETE | FILE_READ_ATTRIBUTES, EntryKind::Any, handle)) {
    return error;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return LastError();
  const bool reparse = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !reparse) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  return DeleteByHandle(handle.Get());
}

std::error_code VirtualFileSystem::RemoveFolder(std::string_view folder) {
  ParentPath where;
  HANDLE parent = INVALID_HANDLE_VALUE;
  if (const std::error_code error = OpenParent(*cache_, drives_, folder, PathOperation::RemoveFolder, where, parent)) {
    return error;
  }
  // Opened with the checks every folder gets: a reparse point or a spared
  // folder is never removed as a folder. The chain ends at the parent, so
  // the removed folder is never left cached.
  ScopedHandle handle;
  if (const std::error_code error = cache_->OpenChecked(where.parsed.letter, parent, where.leaf, DELETE, handle)) return error;
  return DeleteByHandle(handle.Get());
}

std::error_code VirtualFileSystem::CreateEmptyFile(std::string_view path) {
  ParentPath where;
  HANDLE parent = INVALID_HANDLE_VALUE;
  if (const std::error_code error = OpenParent(*cache_, drives_, path, PathOperation::CreateFile, where, parent)) {
    return error;
  }
  return win32::CreateNewFileRelative(parent, where.leaf);
}

std::error_code VirtualFileSystem::FreeBytes(char driveLetter, std::uint64_t& bytes) {
  std::wstring path;
  if (const std::error_code error = cache_->RootPath(ToUpperAscii(driveLetter), path)) return error;
  ULARGE_INTEGER available{}, total{}, free{};
  if (!GetDiskFreeSpaceExW((path + L"\\").c_str(), &available, &total, &free)) return LastError();
  bytes = free.QuadPart;
  return {};
}

std::error_code VirtualFileSystem::HostPath(std::string_view path, std::string& hostPath) const {
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  std::string result = drives_.Find(parsed.letter)->hostRoot;
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  for (const std::string_view name : parsed.components) {
    if (result.back() != '\\') result.push_back('\\');
    result.append(name);
  }
  hostPath = std::move(result);
  return {};
}

std::string CurrentVirtualFolder(const DriveTable& drives) {
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring current(length, L'\0');
  if (length > 0 && GetCurrentDirectoryW(length, current.data()) > 0) {
    current.resize(wcslen(current.c_str()));
    if (auto folder = drives.HostToVirtual(win32::Narrow(current))) return *folder;
  }
  return "C:\\";
}

}  // namespace tidewell::platform
