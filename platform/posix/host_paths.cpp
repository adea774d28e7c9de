// Host paths on POSIX: "/" separates, lstat and stat tell what stands there.
#include "platform/host_paths.h"

#include <sys/stat.h>

namespace tidewell::platform {

std::string JoinHostPath(std::string_view folder, std::string_view name) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path.append(name);
}

std::string HostFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string HostNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HostFileExists(const std::string& hostPath) {
  struct stat st {};
  return lstat(hostPath.c_str(), &st) == 0;
}

bool HostRegularFileExists(const std::string& hostPath) {
  struct stat st {};
  return stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsHostFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tidewell::platform
