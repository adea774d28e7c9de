// The installed data folder on Windows: "\" or "/" separates, and a drive's
// root ("C:\") keeps its separator.
#include "platform/program_files.h"

#include "platform/host_paths.h"

namespace tidewell::platform {

std::string InstalledDataFolder(const std::string& programFolder) {
  std::string folder = programFolder;
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return JoinHostPath(HostFolderOf(folder), "share\\tidewell");
}

}  // namespace tidewell::platform
