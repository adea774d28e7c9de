// The shipped files' lookup on POSIX: stat tells what stands where.
#include "platform/program_files.h"

#include <sys/stat.h>

#include "platform/host_paths.h"

namespace tidewell::platform {

std::string InstalledDataFolder(const std::string& programFolder) {
  // "/usr/bin/" is "/usr/bin": its parent is /usr, never the folder itself.
  std::string folder = programFolder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return JoinHostPath(HostFolderOf(folder), "share/tidewell");
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
  struct stat st {};
  return stat(InstalledDataFolder(programFolder).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ProgramDataFile(const std::string& programFolder, std::string_view name) {
  std::string beside = JoinHostPath(programFolder, name);
  if (HostFileExists(beside)) return beside;
  std::string installed = JoinHostPath(InstalledDataFolder(programFolder), name);
  return HostFileExists(installed) ? installed : beside;
}

}  // namespace tidewell::platform
