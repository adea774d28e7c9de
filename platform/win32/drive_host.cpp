// The drive table's questions to the host on Windows. Host paths are kept
// with "/" as the separator ("C:/Tidewell/demo"), which every wide call
// accepts; real paths come from GetFinalPathNameByHandleW, and a folder's
// identity is its volume's serial number and its file index.
#include "platform/drive_host.h"

#include <windows.h>

#include <cstdlib>

#include "platform/win32/folder_identity.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {
namespace {

std::string WithSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// The final path of an existing entry, links and junctions followed;
// nullopt when it cannot be opened.
std::optional<std::string> FinalPath(const std::string& path) {
  const win32::ScopedHandle entry(CreateFileW(win32::Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry.Valid()) return std::nullopt;
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(entry.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= buffer.size()) return std::nullopt;
  std::wstring_view text(buffer.data(), length);
  if (text.starts_with(L"\\\\?\\UNC\\")) return std::nullopt;  // a network share is no drive here
  if (text.starts_with(L"\\\\?\\")) text.remove_prefix(4);
  std::string result = WithSlashes(win32::Narrow(text));
  while (result.size() > 3 && result.back() == '/') result.pop_back();
  return result;
}

}  // namespace

std::string RealPathOr(const std::string& path) { return FinalPath(path).value_or(path); }

std::string RealPathAsFarAsItExists(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0) {
    const std::string head = path.substr(0, cut);
    if (std::optional<std::string> resolved = FinalPath(head.size() == 2 ? head + "/" : head)) {
      if (cut < path.size()) {
        if (resolved->back() != '/') resolved->push_back('/');
        resolved->append(path, cut + 1);
      }
      return *resolved;
    }
    cut = path.rfind('/', cut - 1);
    if (cut == std::string::npos || cut == 0) break;
  }
  return path;
}

HostEntryKind KindOfHostEntry(const std::string& path) {
  const win32::ScopedHandle entry(CreateFileW(win32::Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry.Valid()) return HostEntryKind::Missing;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(entry.Get(), &info)) return HostEntryKind::Missing;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? HostEntryKind::Folder : HostEntryKind::NotAFolder;
}

DriveRootCheck CheckDriveRoot(const std::string& realPath, const std::optional<SystemFolders>& /*systemFolders*/) {
  // Under Wine the host's own system folders are refused (wine_host.h),
  // whatever the table was given: a sentinel list is a POSIX test's tool.
  DriveRootCheck check;
  win32::ScopedHandle folder;
  check.openError = win32::OpenRealFolder(realPath, folder);
  if (check.openError) return check;
  if (const std::error_code error = win32::IdentifyFolder(folder.Get(), check.identity)) {
    check.forbidden = "a folder whose identity cannot be read";
    return check;
  }
  check.forbidden = win32::ForbiddenDriveRoot(folder.Get(), check.identity);
  return check;
}

std::optional<std::string> DriveMappingsFromEnvironment() {
  const wchar_t* value = _wgetenv(L"TIDEWELL_DRIVES");
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return win32::Narrow(value);
}

}  // namespace tidewell::platform
