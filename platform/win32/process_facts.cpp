// Process facts on Windows: GetModuleFileNameW for the program's folder, the
// wide command line for the arguments, the user's application-data folders
// as the records' and settings' fallback homes.
#include "platform/process_facts.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <cstdlib>

#include "platform/host_paths.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {
namespace {

std::string EnvironmentText(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value == nullptr ? std::string() : win32::Narrow(value);
}

bool IsAbsoluteHostPath(const std::string& path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  const bool share = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
  return drive || share;
}

}  // namespace

// Windows has no per-process limit on open handles worth raising.
void RaiseOpenFileLimit() {}

std::string ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) break;
    if (length < buffer.size()) return HostFolderOf(win32::Narrow(std::wstring_view(buffer.data(), length)));
    buffer.resize(buffer.size() * 2);
  }
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring current(length, L'\0');
  if (length > 0 && GetCurrentDirectoryW(length, current.data()) > 0) {
    return win32::Narrow(std::wstring_view(current.c_str()));
  }
  return ".";
}

// The arguments come from the wide command line, not from argv, whose bytes
// are in the ANSI code page and lose every character outside it.
std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

// The XDG variables still win when they hold an absolute path (the tests set
// them); otherwise settings go to %APPDATA% and data and state to
// %LOCALAPPDATA%, the places Windows programs keep them.
std::string UserBaseFolder(const char* variable, const char* belowHome) {
  const std::wstring name = win32::Widen(variable);
  if (std::string value = EnvironmentText(name.c_str()); IsAbsoluteHostPath(value)) return value;
  const bool settings = std::string_view(belowHome) == ".config";
  if (std::string value = EnvironmentText(settings ? L"APPDATA" : L"LOCALAPPDATA"); IsAbsoluteHostPath(value)) {
    return value;
  }
  if (std::string home = EnvironmentText(L"USERPROFILE"); IsAbsoluteHostPath(home)) {
    return JoinHostPath(home, belowHome);
  }
  return {};
}

// New folders get the default security of their parent, which on Windows
// is the user's own profile's: private to the user already.
std::error_code CreatePrivateFolders(const std::string& folder) {
  if (IsHostFolder(folder)) return {};
  for (std::size_t end = 1; end <= folder.size(); ++end) {
    if (end < folder.size() && folder[end] != '\\' && folder[end] != '/') continue;
    const std::string prefix = folder.substr(0, end);
    if (prefix.size() <= 3 && prefix.size() >= 2 && prefix[1] == ':') continue;  // "C:" or "C:\"
    if (CreateDirectoryW(win32::Widen(prefix).c_str(), nullptr)) continue;
    const std::error_code error = win32::LastError();
    if (!IsHostFolder(prefix)) return error;
  }
  return {};
}

bool ChangeWorkingFolder(const std::string& hostFolder) {
  return SetCurrentDirectoryW(win32::Widen(hostFolder).c_str()) != 0;
}

}  // namespace tidewell::platform
