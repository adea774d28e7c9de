// Fixture drives on Windows: folders under the user's temporary folder,
// read-only as the file attribute, and the attribute standing in for the
// permission bits. Links are not made here: Wine reports a created link as
// made without making one, so link cases run on POSIX and on real Windows.
#include "tests/support/temp_drive.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "platform/drive_host.h"

namespace fs = std::filesystem;

namespace tidewell::testing {
namespace {

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(HostPathOf(path).c_str()); }

void MakeRemovable(const fs::path& path) {
  std::error_code ignored;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (fs::is_directory(fs::symlink_status(path, ignored))) {
    for (fs::directory_iterator it(path, ignored), end; !ignored && it != end; it.increment(ignored)) {
      MakeRemovable(it->path());
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  }
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> made{0};
  wchar_t base[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, base) == 0) throw std::runtime_error("no temporary folder");
  const fs::path path = fs::path(base) / ("tidewell-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                          std::to_string(GetTickCount64()) + "-" + std::to_string(made++));
  if (!fs::create_directory(path)) throw std::runtime_error("cannot create " + Utf8Of(path));
  path_ = Utf8Of(path);
}

std::string TempFolder::ResolvedPath() const { return platform::RealPathOr(path_); }

TempFolder::~TempFolder() {
  MakeRemovable(path_);
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDrive::SetReadOnly(std::string_view relative, bool readOnly) {
  const std::string path = Host(relative);
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("no such fixture entry " + path);
  const DWORD wanted = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(HostPathOf(path).c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted);
}

void TempDrive::Link(std::string_view relative, const std::string&) {
  throw std::runtime_error("fixture links are not made on Windows: " + Host(relative));
}

bool TempDrive::Exists(std::string_view relative) const { return AttributesOf(Host(relative)) != INVALID_FILE_ATTRIBUTES; }

bool TempDrive::IsWritableByOwner(std::string_view relative) const {
  const DWORD attributes = AttributesOf(Host(relative));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// The read-only attribute shown as the permission bits it stands for.
unsigned ModeOf(const std::string& hostPath) {
  const DWORD attributes = AttributesOf(hostPath);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0644u;
}

std::map<std::string, std::string> DriveContents(const TempDrive& drive) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(HostPathOf(drive.Root()))) {
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    const bool file = entry.is_regular_file();
    entries[Utf8Of(fs::relative(entry.path(), HostPathOf(drive.Root())))] =
        std::to_string(attributes & ~FILE_ATTRIBUTE_ARCHIVE) + "/" + std::to_string(file ? entry.file_size() : 0);
  }
  return entries;
}

}  // namespace tidewell::testing
