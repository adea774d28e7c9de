#include "platform/system_folders.h"

namespace tidewell::platform {

SystemFolders HostSystemFoldersFrom(const std::vector<std::string>& rootNames) {
  SystemFolders folders;
  folders.refused = {"/", "/usr", "/etc", "/var", "/boot", "/bin", "/sbin", "/proc", "/sys", "/dev", "/run"};
  for (const std::string& name : rootNames) {
    if (name.starts_with("lib")) folders.refused.push_back("/" + name);
  }
  folders.refusedTrees = {"/proc", "/sys", "/dev"};
  folders.allowedInTrees = {"/dev/shm"};
  return folders;
}

}  // namespace tidewell::platform
