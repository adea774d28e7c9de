// Drive discovery: the Wine prefix's dosdevices links, then mounted FAT, NTFS
// and exFAT volumes from the mount table, labelled from the by-label folder.
#include "platform/drive_discovery.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/text_case.h"
#include "platform/text_file.h"

namespace tidewell::platform {
namespace {

// The canonical path (links resolved) of an existing entry.
std::optional<std::string> Resolved(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return std::nullopt;
  return std::string(buffer);
}

// The canonical path of an existing folder, following links.
std::optional<std::string> ResolvedFolder(const std::string& path) {
  std::optional<std::string> resolved = Resolved(path);
  struct stat st {};
  if (!resolved || stat(resolved->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return resolved;
}

// The names in a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return names;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The mount table writes blank, tab, newline and "\" in paths as "\ooo".
std::string DecodedOctalEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && text.size() - i >= 4 && text[i + 1] >= '0' && text[i + 1] <= '3' &&
        text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7') {
      out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                      (text[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// udev names by-label entries with unsafe bytes written as "\xHH".
std::string DecodedHexEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && text.size() - i >= 4 && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
        HexDigit(text[i + 3]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3])));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// Keeps the drives found so far and which letters and folders they hold.
class FoundDrives {
 public:
  bool LetterTaken(char letter) const { return taken_[letter - 'A']; }
  bool FolderTaken(const std::string& folder) const {
    return std::any_of(drives_.begin(), drives_.end(),
                       [&](const DriveMapping& d) { return d.hostRoot == folder; });
  }
  void Add(char letter, std::string folder, std::string label) {
    taken_[letter - 'A'] = true;
    drives_.push_back(DriveMapping{letter, std::move(folder), std::move(label)});
  }
  // The first letter from D on that no drive holds, or 0.
  char NextFreeFromD() const {
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
      if (!LetterTaken(letter)) return letter;
    }
    return 0;
  }
  std::vector<DriveMapping> InLetterOrder() && {
    std::sort(drives_.begin(), drives_.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
    return std::move(drives_);
  }

 private:
  std::array<bool, 26> taken_{};
  std::vector<DriveMapping> drives_;
};

// A dosdevices entry that may be a drive: "c:" or "C:".
struct DosDevice {
  char letter;  // upper case
  std::string name;
};

void AddWineDrives(const std::string& prefix, FoundDrives& found) {
  const std::string dosdevices = prefix + "/dosdevices";
  std::vector<DosDevice> devices;
  for (std::string& name : FolderNames(dosdevices)) {
    const char upper = ToUpperAscii(name[0]);
    if (name.size() == 2 && name[1] == ':' && upper >= 'A' && upper <= 'Z') {
      devices.push_back(DosDevice{upper, std::move(name)});
    }
  }
  // Letter order, and for "c:" beside "C:" the lower-case one first: that is
  // the name Wine itself creates and reads.
  std::sort(devices.begin(), devices.end(), [](const DosDevice& a, const DosDevice& b) {
    if (a.letter != b.letter) return a.letter < b.letter;
    return a.name > b.name;
  });
  for (const DosDevice& device : devices) {
    const std::string path = dosdevices + "/" + device.name;
    struct stat st {};
    if (found.LetterTaken(device.letter) || lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      continue;
    }
    // realpath reads a relative target from the link's own folder, dosdevices/.
    std::optional<std::string> folder = ResolvedFolder(path);
    if (!folder || *folder == "/" || found.FolderTaken(*folder)) continue;
    std::string label = DefaultDriveLabel(*folder);
    found.Add(device.letter, std::move(*folder), std::move(label));
  }
}

struct MountedVolume {
  std::string mountPoint;  // decoded
  std::string fileSystem;
  std::string source;  // decoded
  std::string superOptions;
};

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t end = std::min(line.find(' '), line.size());
    if (end > 0) fields.push_back(line.substr(0, end));
    line.remove_prefix(std::min(end + 1, line.size()));
  }
  return fields;
}

// One mountinfo line: "id parent major:minor root mountpoint options
// [optional fields...] - type source superoptions"; nullopt when malformed.
std::optional<MountedVolume> ParseMountLine(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() < 7) return std::nullopt;
  std::size_t separator = 6;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 2 >= fields.size()) return std::nullopt;
  MountedVolume volume;
  volume.mountPoint = DecodedOctalEscapes(fields[4]);
  volume.fileSystem = std::string(fields[separator + 1]);
  volume.source = DecodedOctalEscapes(fields[separator + 2]);
  if (separator + 3 < fields.size()) volume.superOptions = std::string(fields[separator + 3]);
  return volume;
}

bool IsWindowsVolume(const MountedVolume& volume) {
  const std::string_view type = volume.fileSystem;
  for (std::string_view known : {"vfat", "msdos", "fat", "exfat", "ntfs", "ntfs3"}) {
    if (type == known) return true;
  }
  if (type == "fuseblk" || type.starts_with("fuseblk.")) {
    for (std::string_view word : {"ntfs", "exfat"}) {
      if (FindNoCase(type, word) || FindNoCase(volume.source, word) ||
          FindNoCase(volume.superOptions, word)) {
        return true;
      }
    }
  }
  return false;
}

// The by-label folder read once: each entry's resolved device and its label.
class VolumeLabels {
 public:
  explicit VolumeLabels(const std::string& folder) {
    if (folder.empty()) return;
    for (const std::string& name : FolderNames(folder)) {
      if (std::optional<std::string> device = Resolved(folder + "/" + name)) {
        labels_.emplace_back(std::move(*device), DecodedHexEscapes(name));
      }
    }
  }

  // The label of the device a mount came from; empty when none is known.
  std::string Of(const std::string& source) const {
    if (source.empty() || source.front() != '/') return {};
    const std::optional<std::string> device = Resolved(source);
    if (!device) return {};
    for (const auto& [labelled, label] : labels_) {
      if (labelled == *device) return label;
    }
    return {};
  }

 private:
  std::vector<std::pair<std::string, std::string>> labels_;
};

void AddMountedVolumes(std::string_view mountInfo, const std::string& byLabelFolder,
                       FoundDrives& found) {
  std::optional<VolumeLabels> labels;  // read only when some volume needs it
  while (!mountInfo.empty()) {
    const std::size_t end = std::min(mountInfo.find('\n'), mountInfo.size());
    const std::optional<MountedVolume> volume = ParseMountLine(mountInfo.substr(0, end));
    mountInfo.remove_prefix(std::min(end + 1, mountInfo.size()));
    if (!volume || !IsWindowsVolume(*volume) || volume->mountPoint == "/") continue;
    std::optional<std::string> folder = ResolvedFolder(volume->mountPoint);
    if (!folder || *folder == "/" || found.FolderTaken(*folder)) continue;
    const char letter = found.NextFreeFromD();
    if (letter == 0) return;
    if (!labels) labels.emplace(byLabelFolder);
    std::string label = labels->Of(volume->source);
    if (label.empty()) label = DefaultDriveLabel(*folder);
    found.Add(letter, std::move(*folder), std::move(label));
  }
}

}  // namespace

DiscoverySources HostDiscoverySources() {
  DiscoverySources sources;
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  if (prefix != nullptr && prefix[0] == '/') {
    sources.winePrefix = prefix;
  } else if (home != nullptr && home[0] == '/') {
    sources.winePrefix = std::string(home) + "/.wine";
  }
  if (ReadTextFile("/proc/self/mountinfo", sources.mountInfoText)) sources.mountInfoText.clear();
  sources.byLabelFolder = "/dev/disk/by-label";
  return sources;
}

std::vector<DriveMapping> DiscoverDrives(const DiscoverySources& sources) {
  FoundDrives found;
  if (!sources.winePrefix.empty()) AddWineDrives(sources.winePrefix, found);
  if (!sources.mountInfoText.empty()) {
    AddMountedVolumes(sources.mountInfoText, sources.byLabelFolder, found);
  }
  return std::move(found).InLetterOrder();
}

DriveTable LoadDriveTable(const std::vector<std::pair<std::string, std::string>>& stored,
                          std::vector<std::string>* problems) {
  return DriveTable::FromSources(stored, DiscoverDrives(HostDiscoverySources()), problems);
}

}  // namespace tidewell::platform
