// Host paths on Windows: "\" separates ("/" is accepted when reading one);
// GetFileAttributesExW tells what stands there without following a reparse
// point, CreateFileW with backup semantics follows one.
#include "platform/host_paths.h"

#include "platform/win32/wide_text.h"

namespace tidewell::platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string JoinHostPath(std::string_view folder, std::string_view name) {
  // "C:\" keeps its separator; "C:\Data\" loses the last one.
  while (folder.size() > 3 && IsSeparator(folder.back())) folder.remove_suffix(1);
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back())) path.push_back('\\');
  for (const char c : name) path.push_back(c == '/' ? '\\' : c);
  return path;
}

std::string HostFolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  // "C:\file" is in "C:\"; "\file" in "\".
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string HostNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HostFileExists(const std::string& hostPath) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(win32::Widen(hostPath).c_str(), GetFileExInfoStandard, &data) != 0;
}

bool HostRegularFileExists(const std::string& hostPath) {
  win32::ScopedHandle file(CreateFileW(win32::Widen(hostPath).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(file.Get(), &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && GetFileType(file.Get()) == FILE_TYPE_DISK;
}

bool IsHostFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tidewell::platform
