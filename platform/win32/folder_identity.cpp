#include "platform/win32/folder_identity.h"

#include <vector>

#include "platform/win32/wine_host.h"

namespace tidewell::platform::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

ScopedHandle OpenEntryItself(const std::wstring& path) {
  return ScopedHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | SYNCHRONIZE, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
}

std::optional<FolderIdentity> IdentityOfPath(const std::wstring& path) {
  const ScopedHandle folder(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FolderIdentity identity;
  if (!folder.Valid() || IdentifyFolder(folder.Get(), identity)) return std::nullopt;
  return identity;
}

std::wstring SystemFolder(UINT (*WINAPI query)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1];
  const UINT length = query(buffer, MAX_PATH + 1);
  return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(buffer, length);
}

}  // namespace

std::error_code OpenRealFolder(const std::string& realPath, ScopedHandle& folder) {
  std::wstring path = Widen(realPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return std::make_error_code(std::errc::invalid_argument);
  // Each leading part is opened on itself and checked: a reparse point at any
  // level would lead the drive elsewhere.
  std::size_t end = 3;
  for (;;) {
    const std::wstring part = path.substr(0, end);
    ScopedHandle entry = OpenEntryItself(part);
    if (!entry.Valid()) return LastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(entry.Get(), &info)) return LastError();
    if (end > 3 && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return std::make_error_code(std::errc::not_a_directory);
    }
    if (end >= path.size()) {
      folder = std::move(entry);
      return {};
    }
    std::size_t next = path.find(L'\\', end);
    if (next == std::wstring::npos) next = path.size();
    end = next == end ? next + 1 : next;
    while (end < path.size() && path[end] == L'\\') ++end;
  }
}

std::error_code IdentifyFolder(HANDLE handle, FolderIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return LastError();
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  identity.hasMountId = false;
  return {};
}

std::optional<std::string> ForbiddenDriveRoot(HANDLE handle, const FolderIdentity& identity) {
  // Under Wine a drive is a host folder: the host's own folders come first.
  if (std::optional<std::string> onHost = ForbiddenOnWineHost(handle, identity)) return onHost;
  const std::wstring windows = SystemFolder(GetWindowsDirectoryW);
  const std::wstring system = SystemFolder(GetSystemDirectoryW);
  if (!system.empty()) {
    if (auto found = IdentityOfPath(system); found && found->SameFolder(identity)) {
      return "the system folder \"" + Narrow(system) + "\"";
    }
  }
  // The Windows folder and every folder above it, short of its volume's
  // root. The root itself ("C:\") is the system drive, the drive a Windows
  // user cleans first: its Windows folder is the one the rules look into.
  // Only where a drive is a folder of a Linux host (the POSIX build, and
  // this one under Wine, above) is the host's root refused.
  std::wstring folder = windows;
  while (folder.size() > 3) {
    if (auto found = IdentityOfPath(folder); found && found->SameFolder(identity)) {
      return folder == windows ? "the Windows folder \"" + Narrow(windows) + "\""
                               : "the folder \"" + Narrow(folder) + "\", which holds the Windows folder";
    }
    const std::size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos || folder.size() <= 3) break;
    folder = slash == 2 ? folder.substr(0, 3) : folder.substr(0, slash);
  }
  return std::nullopt;
}

}  // namespace tidewell::platform::win32
