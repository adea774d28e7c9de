// Process facts on Linux: /proc/self/exe for the program's folder, the XDG
// data folder as the records' fallback home.
#include "platform/process_facts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/text_file.h"

namespace tidewell::platform {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates every missing folder of an absolute path (mode 0700 for new ones).
bool MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/') {
      const std::string part = path.substr(0, at);
      if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return FolderOf(std::string(buffer, static_cast<std::size_t>(length)));
  if (getcwd(buffer, sizeof buffer) != nullptr) return buffer;
  return ".";
}

std::string CommandLineText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text.push_back(' ');
    text.append(argv[i]);
  }
  return text;
}

std::string RecordsFolder(const std::string& programFolder) {
  if (FolderIsWritable(programFolder)) return programFolder;
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::string(home) + "/.local/share";
  } else {
    return programFolder;
  }
  const std::string folder = base + "/Tidewell";
  return MakeFolders(folder) ? folder : programFolder;
}

}  // namespace tidewell::platform
