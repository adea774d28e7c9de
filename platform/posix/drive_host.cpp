// The drive table's questions to the host, answered with realpath, stat and
// the folder identities of folder_identity.h, against the system folders
// the table was made with.
#include "platform/drive_host.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/folder_identity.h"

namespace tidewell::platform {

std::string RealPathOr(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) != nullptr) return buffer;
  return path;
}

std::string RealPathAsFarAsItExists(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0) {
    const std::string head = cut == path.size() ? path : path.substr(0, cut);
    char buffer[PATH_MAX];
    if (realpath(head.empty() ? "/" : head.c_str(), buffer) != nullptr) {
      std::string resolved = buffer;
      if (cut < path.size()) {
        if (resolved.back() != '/') resolved.push_back('/');
        resolved.append(path, cut + 1);
      }
      return resolved;
    }
    cut = path.rfind('/', cut - 1);
    if (cut == std::string::npos) break;
  }
  return path;
}

HostEntryKind KindOfHostEntry(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return HostEntryKind::Missing;
  return S_ISDIR(st.st_mode) ? HostEntryKind::Folder : HostEntryKind::NotAFolder;
}

DriveRootCheck CheckDriveRoot(const std::string& realPath, const std::optional<SystemFolders>& systemFolders) {
  DriveRootCheck check;
  // The folder as it is now, reached with no link: what every later opening
  // of the drive's root must find again. openat2 is tried (Present): a drive
  // is checked a few times per run, and where the kernel has no openat2 the
  // call says so at once and the path is opened one folder at a time.
  ScopedFd fd;
  check.openError = OpenRealFolder(Openat2::Present, realPath, FolderAccess::IdentityOnly, fd);
  if (check.openError) return check;
  const std::error_code error = IdentifyFolder(fd.Get(), check.identity);
  check.forbidden = error ? std::optional<std::string>("a folder whose identity cannot be read")
                          : ForbiddenDriveRoot(fd.Get(), SystemFoldersOr(systemFolders));
  return check;
}

std::optional<std::string> DriveMappingsFromEnvironment() {
  const char* value = std::getenv("TIDEWELL_DRIVES");
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace tidewell::platform
