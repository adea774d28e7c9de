// The portable parts of the virtual file system: taking a virtual path
// apart, and finding the Windows folder on drive C through the file system
// itself.
#include "platform/virtual_path.h"

#include <algorithm>

#include "platform/text_case.h"
#include "platform/virtual_file_system.h"

namespace tidewell::platform {

std::error_code ParseVirtualPath(const DriveTable& drives, std::string_view path, ParsedPath& parsed) {
  parsed.components.clear();
  if (path.size() < 2 || path[1] != ':') return std::make_error_code(std::errc::invalid_argument);
  parsed.letter = ToUpperAscii(path[0]);
  if (parsed.letter < 'A' || parsed.letter > 'Z') {
    return std::make_error_code(std::errc::invalid_argument);
  }
  std::string_view rest = path.substr(2);
  // One allocation for the components, however deep the path.
  parsed.components.reserve(static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\\')) + 1);
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

}  // namespace tidewell::platform
