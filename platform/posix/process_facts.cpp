// Process facts on Linux: /proc/self/exe for the program's folder, the XDG
// data folder as the records' fallback home.
#include "platform/process_facts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_paths.h"
#include "platform/virtual_file_system.h"

namespace tidewell::platform {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384u, '\0');
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

void RaiseOpenFileLimit() {
  constexpr rlim_t kMost = 65536 + 256;
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  const rlim_t wanted = limit.rlim_max == RLIM_INFINITY ? kMost : std::min(limit.rlim_max, kMost);
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    limit.rlim_cur = wanted;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  ReserveFolderHandles(FolderHandlesToSpare());
}

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return HostFolderOf(std::string(buffer, static_cast<std::size_t>(length)));
  if (getcwd(buffer, sizeof buffer) != nullptr) return buffer;
  return ".";
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  if (argc <= 1 || argv == nullptr) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string UserBaseFolder(const char* variable, const char* belowHome) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return JoinHostPath(home, belowHome);
}

std::error_code CreatePrivateFolders(const std::string& folder) {
  // The usual case, every store write: the folder is there, and so is each
  // folder above it.
  if (IsHostFolder(folder)) return {};
  for (std::size_t end = 1; end <= folder.size(); ++end) {
    if (end < folder.size() && folder[end] != '/') continue;
    const std::string prefix = folder.substr(0, end);
    if (mkdir(prefix.c_str(), 0700) == 0) continue;
    const std::error_code error(errno, std::generic_category());
    if (!IsHostFolder(prefix)) return error;
  }
  return {};
}

bool ChangeWorkingFolder(const std::string& hostFolder) { return chdir(hostFolder.c_str()) == 0; }

}  // namespace tidewell::platform
