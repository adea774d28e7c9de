// Fixture drives on POSIX: mkdtemp folders, read-only as the owner's write
// bit, symbolic links, permission bits.
#include "tests/support/temp_drive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tidewell::testing {
namespace {

// Makes every folder below `path` writable again so it can be removed; links
// are not followed.
void MakeRemovable(const fs::path& path) {
  std::error_code ignored;
  if (fs::is_directory(fs::symlink_status(path, ignored))) {
    chmod(path.c_str(), 0755);
    for (fs::directory_iterator it(path, ignored), end; !ignored && it != end; it.increment(ignored)) {
      MakeRemovable(it->path());
    }
  }
}

}  // namespace

TempFolder::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/tidewell-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

std::string TempFolder::ResolvedPath() const {
  char resolved[PATH_MAX];
  if (realpath(path_.c_str(), resolved) == nullptr) throw std::runtime_error("realpath failed: " + path_);
  return resolved;
}

TempFolder::~TempFolder() {
  MakeRemovable(path_);
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDrive::SetReadOnly(std::string_view relative, bool readOnly) {
  const std::string path = Host(relative);
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) throw std::runtime_error("no such fixture entry " + path);
  const mode_t mode = readOnly ? (st.st_mode & 07777 & ~mode_t{0222}) : ((st.st_mode & 07777) | S_IWUSR);
  chmod(path.c_str(), mode);
}

void TempDrive::Link(std::string_view relative, const std::string& target) {
  const fs::path path = Host(relative);
  fs::create_directories(path.parent_path());
  fs::create_symlink(target, path);
}

bool TempDrive::Exists(std::string_view relative) const {
  struct stat st {};
  return lstat(Host(relative).c_str(), &st) == 0;
}

bool TempDrive::IsWritableByOwner(std::string_view relative) const {
  struct stat st {};
  return lstat(Host(relative).c_str(), &st) == 0 && (st.st_mode & S_IWUSR) != 0;
}

unsigned ModeOf(const std::string& hostPath) {
  struct stat st {};
  return lstat(hostPath.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

std::map<std::string, std::string> DriveContents(const TempDrive& drive) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(drive.Root())) {
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    entries[fs::relative(entry.path(), drive.Root()).string()] =
        std::to_string(st.st_mode) + "/" + std::to_string(S_ISREG(st.st_mode) ? st.st_size : 0);
  }
  return entries;
}

}  // namespace tidewell::testing
