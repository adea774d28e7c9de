// The folders of a Linux host that can never be a drive: its root, the
// system's own top-level folders, and the kernel's trees. Both file-system
// layers refuse them: the POSIX build for each mapping, the Windows build
// when it runs under Wine, where every drive letter is a host folder too.
#pragma once

#include <string>
#include <vector>

namespace tidewell::platform {

// The folders a drive may never be. `refused` are refused themselves (the
// host root first); everything at or below a `refusedTrees` entry is refused
// too, except what lies at or below an `allowedInTrees` entry.
struct SystemFolders {
  std::vector<std::string> refused;
  std::vector<std::string> refusedTrees;
  std::vector<std::string> allowedInTrees;
};

// The host's, given the names in its root folder: "/", "/usr", "/etc",
// "/var", "/boot", "/bin", "/sbin", "/proc", "/sys", "/dev", "/run", and
// "/NAME" for each name in `rootNames` that starts with "lib" ("/lib",
// "/lib64", "/libx32"); the trees "/proc", "/sys", "/dev"; allowed inside
// them: "/dev/shm".
SystemFolders HostSystemFoldersFrom(const std::vector<std::string>& rootNames);

}  // namespace tidewell::platform
