// The in-use snapshot from /proc: every process's descriptors, mappings,
// executable, working folder and root folder, by device and inode. Each
// descriptor and directory stream opened here is a ScopedFd or ScopedDir.
#include "platform/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {
namespace {

bool AllDigits(const char* name) {
  if (*name == '\0') return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// Reads a whole (proc) file into `text`; false when it cannot be opened.
bool ReadWhole(int folderFd, const char* name, std::string& text) {
  text.clear();
  const ScopedFd fd(openat(folderFd, name, O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return false;
  char buffer[16384];
  ssize_t got = 0;
  while ((got = read(fd.Get(), buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  return got == 0;
}

// A hexadecimal or decimal number at the start of `text`, which it leaves
// behind the number; false when there is none.
bool TakeNumber(std::string_view& text, unsigned base, std::uint64_t& value) {
  value = 0;
  std::size_t at = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      break;
    }
    value = value * base + digit;
  }
  text.remove_prefix(at);
  return at > 0;
}

void SkipField(std::string_view& text) {
  while (!text.empty() && text.front() != ' ') text.remove_prefix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
}

// One file mapping of a maps line "start-end perms offset MM:mm inode path":
// its address range (the name of its map_files entry) and which file it is.
// The device is printed as hexadecimal major:minor, which makedev turns into
// the number stat gives. False for an anonymous mapping (inode 0).
struct Mapping {
  std::string_view range;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

bool ParseMapsLine(std::string_view line, Mapping& mapping) {
  mapping.range = line.substr(0, line.find(' '));
  SkipField(line);  // range
  SkipField(line);  // permissions
  SkipField(line);  // offset
  std::uint64_t major = 0;
  std::uint64_t minor = 0;
  if (!TakeNumber(line, 16, major) || line.empty() || line.front() != ':') return false;
  line.remove_prefix(1);
  if (!TakeNumber(line, 16, minor)) return false;
  SkipField(line);
  if (!TakeNumber(line, 10, mapping.inode) || mapping.inode == 0) return false;
  mapping.device = makedev(static_cast<unsigned>(major), static_cast<unsigned>(minor));
  return true;
}

// What a /proc link leads to (followed), as stat would say: its device, inode
// and type. Asked with AT_STATX_DONT_SYNC: the file system is not asked to
// bring its attributes up to date, and a FUSE file system (whose getattr
// takes that flag at its word, and which has no weak revalidation of a path
// reached by a /proc link) is asked nothing, so a file open on a FUSE mount
// that no longer answers never holds the scan up. The device and inode
// never change with a file's attributes.
struct Found {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool regular = false;
};

bool Lookup(int folderFd, const char* name, Found& found) {
  struct statx facts {};
  if (statx(folderFd, name, AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO, &facts) != 0) return false;
  found.device = makedev(facts.stx_dev_major, facts.stx_dev_minor);
  found.inode = facts.stx_ino;
  found.regular = S_ISREG(facts.stx_mode);
  return true;
}

}  // namespace

// Walks /proc once, adding what each process uses to an OpenFiles.
class ProcessScanner {
 public:
  explicit ProcessScanner(OpenFiles& files) : files_(files) {}

  void ScanProcess(int processFd) {
    AddDescriptors(processFd);
    // stat follows these links to the file or folder itself.
    for (const char* link : {"exe", "cwd", "root"}) AddEntry(processFd, link);
    AddMappings(processFd);
  }

 private:
  void AddFound(const Found& found) { files_.Add(found.device, found.inode); }

  void AddEntry(int folderFd, const char* name) {
    Found found;
    if (Lookup(folderFd, name, found)) AddFound(found);
  }

  void AddDescriptors(int processFd) {
    ScopedFd fdFolder(openat(processFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fdFolder.Valid()) return;  // gone, or not ours to see
    const int fdFolderFd = fdFolder.Get();
    const ScopedDir descriptors(fdopendir(fdFolderFd));
    if (descriptors == nullptr) return;
    fdFolder.Release();  // the stream's now
    while (const dirent* descriptor = readdir(descriptors.get())) {
      if (!AllDigits(descriptor->d_name)) continue;
      Found found;
      // Regular files only: an open folder is no reason to keep it (the
      // cleaner itself holds the folders it walks open).
      if (Lookup(fdFolderFd, descriptor->d_name, found) && found.regular) AddFound(found);
    }
  }

  // Each mapped file as maps names it. Where a file system gives stat a
  // device of its own (btrfs subvolumes, overlay mounts) maps can name the
  // file differently, so each file is also stat-ed once through its
  // map_files entry where that is readable (privileged runs).
  void AddMappings(int processFd) {
    if (!ReadWhole(processFd, "maps", maps_)) return;
    ScopedFd mapFiles;
    bool mapFilesTried = false;
    std::string_view rest = maps_;
    while (!rest.empty()) {
      const std::size_t end = std::min(rest.find('\n'), rest.size());
      Mapping mapping;
      const bool isFile = ParseMapsLine(rest.substr(0, end), mapping);
      rest.remove_prefix(std::min(end + 1, rest.size()));
      if (!isFile) continue;
      const std::uint64_t key = OpenFiles::Key(mapping.device, mapping.inode);
      if (restated_.count(key) != 0) continue;
      files_.Add(mapping.device, mapping.inode);
      if (!mapFilesTried) {
        mapFiles.Reset(openat(processFd, "map_files", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        mapFilesTried = true;
      }
      if (!mapFiles.Valid()) continue;
      Found found;
      const std::string name(mapping.range);
      if (Lookup(mapFiles.Get(), name.c_str(), found)) {
        AddFound(found);
        restated_.insert(key);
      } else if (errno == EPERM || errno == EACCES) {
        mapFiles.Reset();  // not readable for this process: maps alone
      }
    }
  }

  OpenFiles& files_;
  std::string maps_;  // reused: one allocation for every process
  // Mapped files (as maps names them) already stat-ed through map_files.
  std::unordered_set<std::uint64_t> restated_;
};

OpenFiles OpenFiles::Scan() {
  OpenFiles files;
  const ScopedDir processes(opendir("/proc"));
  if (processes == nullptr) return files;
  ProcessScanner scanner(files);
  while (const dirent* process = readdir(processes.get())) {
    if (!AllDigits(process->d_name)) continue;
    const ScopedFd processFd(openat(dirfd(processes.get()), process->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!processFd.Valid()) continue;  // gone meanwhile
    scanner.ScanProcess(processFd.Get());
  }
  return files;
}

}  // namespace tidewell::platform
