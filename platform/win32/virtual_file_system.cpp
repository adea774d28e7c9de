// Virtual file system on Windows.
//
// First step of the Windows layer: an operation resolves its virtual path
// from the drive's verified root one component at a time, opening each
// folder on the way on itself (FILE_FLAG_OPEN_REPARSE_POINT) and checking
// it: a reparse point (symbolic link, junction, mount point) is never
// entered, a folder on another volume is refused (errc::cross_device_link),
// a spared folder is refused (errc::permission_denied). The last component
// is then opened on itself, never followed, and acted on by handle
// (GetFileInformationByHandle, SetFileInformationByHandle with FileBasicInfo
// and FileDispositionInfo). Nothing is cached yet, so every operation costs one opening per
// component; opening relative to the parent's handle is the next step. Until
// then, every handle that is listed, changed or deleted is checked to stand
// at the path that was checked (its final path), so a folder swapped for a
// junction on the way makes the operation fail instead of reaching
// elsewhere. Listings are read from the folder's handle itself.
#include "platform/virtual_file_system.h"

#include <windows.h>

#include <utility>

#include "platform/text_case.h"
#include "platform/win32/folder_identity.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

using win32::LastError;
using win32::ScopedHandle;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kOnItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

struct ParsedPath {
  char letter = 0;
  std::vector<std::string_view> components;
};

// Splits "c:\A\B\name" (see virtual_file_system.h for what is refused).
std::error_code ParseVirtualPath(const DriveTable& drives, std::string_view path, ParsedPath& parsed) {
  parsed.components.clear();
  if (path.size() < 2 || path[1] != ':') return std::make_error_code(std::errc::invalid_argument);
  parsed.letter = ToUpperAscii(path[0]);
  if (parsed.letter < 'A' || parsed.letter > 'Z') return std::make_error_code(std::errc::invalid_argument);
  std::string_view rest = path.substr(2);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\\'), rest.size());
    const std::string_view name = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name.empty()) continue;
    if (!IsDriveEntryName(name)) return std::make_error_code(std::errc::invalid_argument);
    parsed.components.push_back(name);
  }
  if (drives.Find(parsed.letter) == nullptr) return std::make_error_code(std::errc::no_such_device);
  return {};
}

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

std::wstring Joined(const std::wstring& folder, std::string_view name) {
  std::wstring path = folder;
  if (path.back() != L'\\') path.push_back(L'\\');
  return path + win32::Widen(name);
}

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

ScopedHandle OpenItself(const std::wstring& path, DWORD access) {
  return ScopedHandle(CreateFileW(path.c_str(), access | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING, kOnItself,
                                  nullptr));
}

std::error_code StatByPath(const std::wstring& path, EntryFacts& facts) {
  const ScopedHandle entry = OpenItself(path, FILE_READ_ATTRIBUTES);
  if (!entry.Valid()) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(entry.Get(), &info)) return LastError();
  FillFacts(info, facts);
  return {};
}

// The folder path an open handle stands for now, in the "\\?\" form.
std::wstring PathOfHandle(HANDLE handle) {
  std::wstring buffer(32768, L'\0');
  const DWORD length =
      GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), VOLUME_NAME_DOS);
  if (length == 0 || length >= buffer.size()) return {};
  buffer.resize(length);
  return buffer;
}

// The handle an operation is about to act on must stand where the checked
// path says: were a folder on the way swapped for a junction between the
// check and the opening, the handle's final path would lie elsewhere.
// Compared without regard to case, as Windows names are.
std::error_code CheckOpenedAt(HANDLE handle, const std::wstring& expected) {
  const std::wstring actual = PathOfHandle(handle);
  if (actual.empty()) return LastError();
  std::wstring_view want = expected;
  while (want.size() > 7 && want.back() == L'\\') want.remove_suffix(1);
  std::wstring_view have = actual;
  while (have.size() > 7 && have.back() == L'\\') have.remove_suffix(1);
  if (CompareStringOrdinal(want.data(), static_cast<int>(want.size()), have.data(), static_cast<int>(have.size()),
                           TRUE) != CSTR_EQUAL) {
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  }
  return {};
}

std::error_code StatEntryOf(HANDLE folder, std::string_view name, EntryFacts& facts) {
  if (!IsDriveEntryName(name)) return std::make_error_code(std::errc::invalid_argument);
  const std::wstring path = PathOfHandle(folder);
  if (path.empty()) return LastError();
  return StatByPath(Joined(path, name), facts);
}

}  // namespace

// The verified roots and the spared folders of one VirtualFileSystem.
class FolderHandleCache {
 public:
  explicit FolderHandleCache(const DriveTable& drives) : drives_(drives) {}

  // The drive's root, opened by its real path through no reparse point and
  // checked against the identity recorded when the table was loaded.
  std::error_code Root(char letter, std::wstring& path, FolderIdentity& identity) {
    const DriveMapping* mapping = drives_.Find(letter);
    if (mapping == nullptr) return std::make_error_code(std::errc::no_such_device);
    const int index = letter - 'A';
    if (refused_[index]) return std::make_error_code(std::errc::no_such_device);
    ScopedHandle root;
    if (const std::error_code error = win32::OpenRealFolder(mapping->hostRoot, root)) {
      if (error == std::errc::no_such_file_or_directory) return std::make_error_code(std::errc::no_such_device);
      return error;
    }
    if (const std::error_code error = win32::IdentifyFolder(root.Get(), identity)) return error;
    std::optional<std::string> why;
    if (mapping->identity) {
      if (!mapping->identity->SameFolder(identity)) {
        why = "is no longer the folder that was checked when the drive was set up";
      }
    } else if (std::optional<std::string> forbidden = win32::ForbiddenDriveRoot(identity)) {
      why = "is " + *forbidden;
    }
    if (why) {
      refused_[index] = true;
      if (listener_) {
        listener_("Drive " + std::string(1, letter) + ": is left alone: its folder \"" + mapping->hostRoot +
                  "\" " + *why + ".");
      }
      return std::make_error_code(std::errc::no_such_device);
    }
    path = ExtendedPath(mapping->hostRoot);
    return {};
  }

  bool Spared(const FolderIdentity& identity) const {
    for (const FolderIdentity& spared : spared_) {
      if (spared.SameFolder(identity)) return true;
    }
    return false;
  }

  // Walks from the root to the folder `depth` components down, checking
  // each folder on the way; `path` is then that folder's full path.
  std::error_code Folder(const ParsedPath& parsed, std::size_t depth, std::wstring& path) {
    FolderIdentity root;
    if (const std::error_code error = Root(parsed.letter, path, root)) return error;
    if (Spared(root)) return std::make_error_code(std::errc::permission_denied);
    for (std::size_t i = 0; i < depth; ++i) {
      path = Joined(path, parsed.components[i]);
      const ScopedHandle folder = OpenItself(path, FILE_READ_ATTRIBUTES);
      if (!folder.Valid()) return LastError();
      BY_HANDLE_FILE_INFORMATION info{};
      if (!GetFileInformationByHandle(folder.Get(), &info)) return LastError();
      if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::make_error_code(std::errc::not_a_directory);
      }
      if (info.dwVolumeSerialNumber != root.device) return std::make_error_code(std::errc::cross_device_link);
      FolderIdentity identity;
      identity.device = info.dwVolumeSerialNumber;
      identity.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
      if (Spared(identity)) return std::make_error_code(std::errc::permission_denied);
    }
    return {};
  }

  bool RootSpared(char letter) {
    std::wstring path;
    FolderIdentity identity;
    return !Root(letter, path, identity) && Spared(identity);
  }

  void Spare(std::vector<FolderIdentity> folders) { spared_ = std::move(folders); }
  void OnRefused(std::function<void(const std::string&)> listener) { listener_ = std::move(listener); }

 private:
  const DriveTable& drives_;
  bool refused_[26] = {};
  std::vector<FolderIdentity> spared_;
  std::function<void(const std::string&)> listener_;
};

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

VirtualFileSystem::VirtualFileSystem(DriveTable drives)
    : drives_(std::move(drives)), cache_(std::make_unique<FolderHandleCache>(drives_)) {}

VirtualFileSystem::~VirtualFileSystem() = default;

// Nothing is held between operations yet.
void VirtualFileSystem::ForgetOpenFolders() {}

void VirtualFileSystem::SpareFolders(const std::vector<std::string>& hostFolders) {
  std::vector<FolderIdentity> identities;
  for (const std::string& folder : hostFolders) {
    const ScopedHandle handle(CreateFileW(win32::Widen(folder).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FolderIdentity identity;
    if (handle.Valid() && !win32::IdentifyFolder(handle.Get(), identity)) identities.push_back(identity);
  }
  cache_->Spare(std::move(identities));
}

void VirtualFileSystem::OnDriveRefused(std::function<void(const std::string&)> listener) {
  cache_->OnRefused(std::move(listener));
}

std::error_code VirtualFileSystem::OpenFolder(std::string_view folder, FolderReader& reader) {
  reader.state_.reset();
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, folder, parsed)) return error;
  std::wstring path;
  if (const std::error_code error = cache_->Folder(parsed, parsed.components.size(), path)) return error;
  auto state = std::make_unique<FolderReader::State>();
  state->folder = OpenItself(path, FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY);
  if (!state->folder.Valid()) return LastError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(state->folder.Get(), &info)) return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::make_error_code(std::errc::not_a_directory);
  if (const std::error_code error = CheckOpenedAt(state->folder.Get(), path)) return error;
  reader.state_ = std::move(state);
  return {};
}

// No relative opening yet: the whole path is checked again, as OpenFolder does.
std::error_code VirtualFileSystem::OpenSubfolder(const FolderHandle&, std::string_view, std::string_view folder,
                                                 FolderReader& reader) {
  return OpenFolder(folder, reader);
}

std::error_code VirtualFileSystem::Stat(std::string_view path, EntryFacts& facts, AttributeQuery query) {
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  std::wstring entry;
  const std::size_t depth = parsed.components.empty() ? 0 : parsed.components.size() - 1;
  if (const std::error_code error = cache_->Folder(parsed, depth, entry)) return error;
  if (!parsed.components.empty()) entry = Joined(entry, parsed.components.back());
  if (const std::error_code error = StatByPath(entry, facts)) return error;
  if (query == AttributeQuery::FolderOnly) facts.attributes &= kFolder;
  return {};
}

std::error_code VirtualFileSystem::SetAttributes(std::string_view path, Attributes attributes) {
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  if (cache_->RootSpared(parsed.letter)) return std::make_error_code(std::errc::permission_denied);
  std::wstring entry;
  const std::size_t depth = parsed.components.empty() ? 0 : parsed.components.size() - 1;
  if (const std::error_code error = cache_->Folder(parsed, depth, entry)) return error;
  if (!parsed.components.empty()) entry = Joined(entry, parsed.components.back());
  const ScopedHandle handle = OpenItself(entry, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
  if (!handle.Valid()) return LastError();
  if (const std::error_code error = CheckOpenedAt(handle.Get(), entry)) return error;
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
  if (info.nNumberOfLinks > 1) return std::make_error_code(std::errc::too_many_links);
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
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  if (parsed.components.empty()) return std::make_error_code(std::errc::is_a_directory);
  if (cache_->RootSpared(parsed.letter)) return std::make_error_code(std::errc::permission_denied);
  std::wstring entry;
  if (const std::error_code error = cache_->Folder(parsed, parsed.components.size() - 1, entry)) return error;
  entry = Joined(entry, parsed.components.back());
  const ScopedHandle handle = OpenItself(entry, DELETE | FILE_READ_ATTRIBUTES);
  if (!handle.Valid()) return LastError();
  if (const std::error_code error = CheckOpenedAt(handle.Get(), entry)) return error;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return LastError();
  const bool reparse = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !reparse) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  return DeleteByHandle(handle.Get());
}

std::error_code VirtualFileSystem::RemoveFolder(std::string_view folder) {
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, folder, parsed)) return error;
  if (parsed.components.empty()) return std::make_error_code(std::errc::permission_denied);
  if (cache_->RootSpared(parsed.letter)) return std::make_error_code(std::errc::permission_denied);
  std::wstring path;
  // The whole path is checked, the folder itself included: a spared folder
  // or a reparse point is never removed as a folder.
  if (const std::error_code error = cache_->Folder(parsed, parsed.components.size(), path)) return error;
  const ScopedHandle handle = OpenItself(path, DELETE | FILE_READ_ATTRIBUTES);
  if (!handle.Valid()) return LastError();
  if (const std::error_code error = CheckOpenedAt(handle.Get(), path)) return error;
  return DeleteByHandle(handle.Get());
}

std::error_code VirtualFileSystem::CreateEmptyFile(std::string_view path) {
  ParsedPath parsed;
  if (const std::error_code error = ParseVirtualPath(drives_, path, parsed)) return error;
  if (parsed.components.empty()) return std::make_error_code(std::errc::file_exists);
  if (cache_->RootSpared(parsed.letter)) return std::make_error_code(std::errc::permission_denied);
  std::wstring entry;
  if (const std::error_code error = cache_->Folder(parsed, parsed.components.size() - 1, entry)) return error;
  entry = Joined(entry, parsed.components.back());
  // CREATE_NEW never opens what is there; a folder of that name (which
  // Windows reports as access denied) is an existing entry too.
  ScopedHandle file(CreateFileW(entry.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file.Valid()) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED && GetFileAttributesW(entry.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return std::make_error_code(std::errc::file_exists);
  }
  return win32::FromWindowsError(error);
}

std::error_code VirtualFileSystem::FreeBytes(char driveLetter, std::uint64_t& bytes) {
  ParsedPath parsed;
  const std::string root = std::string(1, driveLetter) + ":\\";
  if (const std::error_code error = ParseVirtualPath(drives_, root, parsed)) return error;
  std::wstring path;
  if (const std::error_code error = cache_->Folder(parsed, 0, path)) return error;
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
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring current(length, L'\0');
  if (length > 0 && GetCurrentDirectoryW(length, current.data()) > 0) {
    current.resize(wcslen(current.c_str()));
    if (auto folder = drives.HostToVirtual(win32::Narrow(current))) return *folder;
  }
  return "C:\\";
}

}  // namespace tidewell::platform
