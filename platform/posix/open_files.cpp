#include "platform/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tidewell::platform {
namespace {

bool AllDigits(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

}  // namespace

OpenFiles OpenFiles::Scan() {
  OpenFiles files;
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return files;
  while (const dirent* process = readdir(processes)) {
    if (!AllDigits(process->d_name)) continue;
    const std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
    DIR* descriptors = opendir(fdFolder.c_str());
    if (descriptors == nullptr) continue;  // gone, or not ours to see
    const int folderFd = dirfd(descriptors);
    while (const dirent* descriptor = readdir(descriptors)) {
      if (!AllDigits(descriptor->d_name)) continue;
      struct stat st {};
      // The fd entry is a link to the open file; stat follows it to the file.
      if (fstatat(folderFd, descriptor->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
      files.held_.insert(Key(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)));
    }
    closedir(descriptors);
  }
  closedir(processes);
  return files;
}

}  // namespace tidewell::platform
