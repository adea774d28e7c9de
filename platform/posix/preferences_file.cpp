// The preferences store as an INI file: whole-file reads, and writes that
// re-read, change one value and replace the file atomically under a lock.
#include "platform/preferences_store.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/process_facts.h"
#include "platform/text_file.h"

namespace tidewell::platform {
namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// The folder part of a path ("." for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// folder + "/" + rest, without doubling a "/" at the folder's end.
std::string JoinPath(std::string folder, std::string_view rest) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.back() != '/') folder += '/';
  return folder.append(rest);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Holds an exclusive flock() on a lock file for as long as it lives.
class ExclusiveLock {
 public:
  ExclusiveLock() = default;
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
  }

  std::error_code Acquire(const std::string& lockPath) {
    fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) return LastError();
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) return LastError();
    }
    return {};
  }

 private:
  int fd_ = -1;
};

// The existing file's text; a missing file is an empty text. Any other
// failure to read (permission, size, not a regular file) is an error; a
// folder in the file's place is reported as such, so the user is told what
// stands in the way rather than "invalid argument".
std::error_code ReadExisting(const std::string& path, std::string& text) {
  text.clear();
  const std::error_code error = ReadTextFile(path, text, PreferencesFile::kSizeLimit);
  if (error == std::errc::no_such_file_or_directory) {
    text.clear();
    return {};
  }
  struct stat st {};
  if (error == TextFileError::NotARegularFile && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  return error;
}

// The file to replace: the target of a link in the file's place (so the link
// survives), else the path itself.
std::string ReplacementTarget(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// True for "<name>.tmp<digits>-<digits>", the temporary files ReplaceTextFile
// creates for `name`.
bool IsTemporaryOf(std::string_view entry, std::string_view name) {
  const std::string prefix = std::string(name) + ".tmp";
  if (!entry.starts_with(prefix)) return false;
  entry.remove_prefix(prefix.size());
  const std::size_t dash = entry.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == entry.size()) return false;
  for (std::size_t i = 0; i < entry.size(); ++i) {
    if (i != dash && (entry[i] < '0' || entry[i] > '9')) return false;
  }
  return true;
}

// Removes temporary files that a writer killed mid-replace left beside the
// file. Called under the lock, when no other writer can have one open.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string name = NameOf(target);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (IsTemporaryOf(entry->d_name, name)) unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

// Makes the rename that replaced a file in the folder survive a crash.
std::error_code SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LastError();
  std::error_code result;
  // Some file systems cannot sync a folder (EINVAL); the rename stands anyway.
  if (fsync(fd) != 0 && errno != EINVAL) result = LastError();
  close(fd);
  return result;
}

std::optional<IniDocument> ReadDocument(const std::string& path) {
  std::string text;
  if (ReadTextFile(path, text, PreferencesFile::kSizeLimit)) return std::nullopt;
  return IniDocument::Parse(text);
}

}  // namespace

PreferencesFile::PreferencesFile(std::string hostPath) : path_(std::move(hostPath)) {}

std::string PreferencesFile::DefaultPath() {
  const std::string base = UserBaseFolder("XDG_CONFIG_HOME", ".config");
  if (base.empty()) return {};
  return JoinPath(base, "Tidewell/Tidewell.ini");
}

std::string PreferencesFile::Read(std::string_view section, std::string_view name,
                                  std::string_view fallback) {
  const std::optional<IniDocument> document = ReadDocument(path_);
  if (!document) return std::string(fallback);
  return document->Get(section, name).value_or(std::string(fallback));
}

std::error_code PreferencesFile::ReadSectionChecked(std::string_view section,
                                                    std::vector<std::pair<std::string, std::string>>& values) const {
  values.clear();
  if (path_.empty()) return {};
  std::string text;
  const std::error_code error = ReadExisting(path_, text);
  // A folder above the file that is a file: there is no store, so none is lost.
  if (error == std::errc::not_a_directory) return {};
  if (error) return error;
  values = IniDocument::Parse(text).Section(section);
  return {};
}

std::error_code PreferencesFile::ReadProblem() const {
  std::vector<std::pair<std::string, std::string>> ignored;
  return ReadSectionChecked({}, ignored);
}

std::string DescribeReadProblem(const std::error_code& error) {
  static_assert(PreferencesFile::kSizeLimit == 1u << 20, "the text below names the limit");
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return "permission denied";
  }
  if (error == std::errc::file_too_large) return "larger than 1 MiB";
  if (error == std::errc::is_a_directory) return "a folder, not a file";
  if (error == TextFileError::NotARegularFile) return "not a regular file";
  if (error == std::errc::too_many_symbolic_link_levels) return "a loop of symbolic links";
  return error.message();
}

std::vector<std::pair<std::string, std::string>> PreferencesFile::ReadSection(std::string_view section) {
  const std::optional<IniDocument> document = ReadDocument(path_);
  if (!document) return {};
  return document->Section(section);
}

std::error_code PreferencesFile::Write(std::string_view section, std::string_view name,
                                       std::string_view value) {
  if (!IniDocument::CanStore(section, name, value)) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  if (path_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (std::error_code error = CreatePrivateFolders(FolderOf(path_))) return error;

  ExclusiveLock lock;
  if (std::error_code error = lock.Acquire(path_ + ".lock")) return error;

  const std::string target = ReplacementTarget(path_);
  RemoveStaleTemporaries(target);

  std::string text;
  if (std::error_code error = ReadExisting(target, text)) return error;
  IniDocument document = IniDocument::Parse(text);
  document.Set(section, name, value);
  // A file grown past the limit would no longer be read: every value in it
  // would fall back to its default at the next start.
  const std::string replacement = document.Text();
  if (replacement.size() > kSizeLimit) return std::make_error_code(std::errc::file_too_large);
  if (std::error_code error = ReplaceTextFile(target, replacement)) return error;
  return SyncFolder(FolderOf(target));
}

}  // namespace tidewell::platform
