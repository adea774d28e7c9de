// The shipped files' lookup on Windows: the attributes tell what stands where.
#include "platform/program_files.h"

#include "platform/host_paths.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform {

std::string InstalledDataFolder(const std::string& programFolder) {
  std::string folder = programFolder;
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return JoinHostPath(HostFolderOf(folder), "share\\tidewell");
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
  const DWORD attributes = GetFileAttributesW(win32::Widen(InstalledDataFolder(programFolder)).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ProgramDataFile(const std::string& programFolder, std::string_view name) {
  std::string beside = JoinHostPath(programFolder, name);
  if (HostFileExists(beside)) return beside;
  std::string installed = JoinHostPath(InstalledDataFolder(programFolder), name);
  return HostFileExists(installed) ? installed : beside;
}

}  // namespace tidewell::platform
