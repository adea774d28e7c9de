// The shipped files' lookup by the rule in program_files.h; where the
// installed data folder lies from a program folder is the host's
// (posix/program_files.cpp, win32/program_files.cpp).
#include "platform/program_files.h"

#include "platform/host_paths.h"

namespace tidewell::platform {

bool IsInstalledProgramFolder(const std::string& programFolder) {
  return IsHostFolder(InstalledDataFolder(programFolder));
}

std::string ProgramDataFile(const std::string& programFolder, std::string_view name) {
  std::string beside = JoinHostPath(programFolder, name);
  if (HostFileExists(beside)) return beside;
  std::string installed = JoinHostPath(InstalledDataFolder(programFolder), name);
  return HostFileExists(installed) ? installed : beside;
}

}  // namespace tidewell::platform
