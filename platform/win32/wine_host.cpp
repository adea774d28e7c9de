#include "platform/win32/wine_host.h"

#include <cwchar>
#include <vector>

#include "platform/system_folders.h"
#include "platform/win32/folder_identity.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Which folder a handle is under Wine. Wine gives the inode as the file
// index, and as the volume serial number one derived from the drive that
// holds the folder when the folder is on that drive's own file system; a
// folder on a file system that no drive's root is on (/proc, /dev/shm) has
// the serial 0, so that two of them may share an identity. Wine's final
// path (the folder's real host path, named through the drive that holds it
// nearest, or as "\\?\unix\...") then tells them apart.
struct HostFolder {
  FolderIdentity identity;
  std::wstring finalPath;

  bool Same(const HostFolder& other) const {
    return identity.SameFolder(other.identity) && (identity.device != 0 || finalPath == other.finalPath);
  }
};

// A host folder that no drive may be, and how the user is told so.
struct RefusedHostFolder {
  HostFolder folder;
  std::string what;
};

std::wstring FinalPathOf(HANDLE handle) {
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= buffer.size()) return {};
  buffer.resize(length);
  return buffer;
}

// The host folder named by a Windows path, links followed; nullopt when it
// cannot be opened.
std::optional<HostFolder> HostFolderAt(const std::wstring& path) {
  const ScopedHandle folder(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FolderIdentity identity;
  if (!folder.Valid() || IdentifyFolder(folder.Get(), identity)) return std::nullopt;
  return HostFolder{identity, FinalPathOf(folder.Get())};
}

// "/usr/lib" as Wine's Windows path of the host file, "\\?\unix\usr\lib".
std::wstring UnixNamespacePath(const std::string& hostPath) {
  std::wstring path = L"\\\\?\\unix" + Widen(hostPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::vector<std::string> NamesInHostRoot() {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry{};
  const HANDLE search = FindFirstFileW(L"\\\\?\\unix\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(Narrow(entry.cFileName));
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// The prefix's folder as Wine names it on the host: every drive letter's
// host path is "<prefix>/dosdevices/<letter>:/..." (but Z:'s, which Wine
// gives as "/" directly); WINEPREFIX when no drive tells.
std::optional<std::string> PrefixHostPath() {
  const DWORD letters = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((letters & (1u << i)) == 0) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
    const std::optional<std::string> host = WineHostPath(root);
    if (!host) continue;
    const std::size_t at = host->rfind("/dosdevices/");
    if (at != std::string::npos && at > 0) return host->substr(0, at);
  }
  const wchar_t* given = _wgetenv(L"WINEPREFIX");
  if (given == nullptr || given[0] != L'/') return std::nullopt;
  std::string path = Narrow(given);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The prefix's folders as Windows paths from its nearest drive's root
// down ("H:\", "H:\.wine"): Wine names a folder through the drive whose
// root holds it nearest, with the links of its host path resolved.
std::vector<std::wstring> PrefixChainOnItsDrive(const std::string& prefix) {
  std::vector<std::wstring> chain;
  const ScopedHandle folder(CreateFileW(UnixNamespacePath(prefix).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.Valid()) return chain;
  std::wstring path = FinalPathOf(folder.Get());
  if (path.starts_with(L"\\\\?\\")) path.erase(0, 4);
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return chain;  // on no drive: "unix\..."
  chain.push_back(path.substr(0, 3));
  for (std::size_t at = 3; at < path.size();) {
    std::size_t end = path.find(L'\\', at);
    if (end == std::wstring::npos) end = path.size();
    chain.push_back(path.substr(0, end));
    at = end + 1;
  }
  return chain;
}

std::vector<RefusedHostFolder> RefusedHostFolders() {
  std::vector<RefusedHostFolder> refused;
  auto add = [&](const std::optional<HostFolder>& folder, std::string what) {
    if (folder) refused.push_back({*folder, std::move(what)});
  };
  const SystemFolders system = HostSystemFoldersFrom(NamesInHostRoot());
  for (const std::string& path : system.refused) {
    add(HostFolderAt(UnixNamespacePath(path)), path == system.refused.front()
                                                   ? "the host's root folder \"" + path + "\""
                                                   : "the system folder \"" + path + "\"");
  }
  const std::optional<std::string> prefix = PrefixHostPath();
  if (!prefix) return refused;
  const std::string holds = ", which holds the Wine prefix \"" + *prefix + "\"";
  // The prefix and each folder above it, as its host path names them.
  for (std::string folder = *prefix; !folder.empty();) {
    add(HostFolderAt(UnixNamespacePath(folder)),
        folder == *prefix ? "the Wine prefix \"" + folder + "\"" : "the folder \"" + folder + "\"" + holds);
    if (folder == "/") break;
    const std::size_t slash = folder.rfind('/');
    folder = slash == 0 ? "/" : folder.substr(0, slash);
  }
  // The same through the drive that holds the prefix nearest, which also
  // finds the folders that a link in the prefix's host path steps over.
  for (const std::wstring& path : PrefixChainOnItsDrive(*prefix)) {
    add(HostFolderAt(path), "the folder \"" + Narrow(path) + "\"" + holds);
  }
  return refused;
}

}  // namespace

bool RunsUnderWine() {
  static const bool underWine = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return underWine;
}

std::optional<std::string> WineHostPath(const std::wstring& windowsPath) {
  if (!RunsUnderWine()) return std::nullopt;
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const FARPROC found = kernel32 == nullptr ? nullptr : GetProcAddress(kernel32, "wine_get_unix_file_name");
  const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(found));
  if (unixFileName == nullptr) return std::nullopt;
  char* name = unixFileName(windowsPath.c_str());
  if (name == nullptr) return std::nullopt;
  std::string path(name);
  HeapFree(GetProcessHeap(), 0, name);  // Wine allocates it on the process heap
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> ForbiddenOnWineHost(HANDLE folder, const FolderIdentity& identity) {
  if (!RunsUnderWine()) return std::nullopt;
  static const std::vector<RefusedHostFolder> refused = RefusedHostFolders();
  const HostFolder asked{identity, FinalPathOf(folder)};
  for (const RefusedHostFolder& host : refused) {
    if (host.folder.Same(asked)) return host.what;
  }
  return std::nullopt;
}

}  // namespace tidewell::platform::win32
