// The installed data folder on POSIX: "/" separates, and the root is "/".
#include "platform/program_files.h"

#include "platform/host_paths.h"

namespace tidewell::platform {

std::string InstalledDataFolder(const std::string& programFolder) {
  // "/usr/bin/" is "/usr/bin": its parent is /usr, never the folder itself.
  std::string folder = programFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return JoinHostPath(HostFolderOf(folder), "share/tidewell");
}

}  // namespace tidewell::platform
