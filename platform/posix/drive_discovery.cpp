// Drive discovery: the Wine prefix's dosdevices links, then mounted FAT, NTFS
// and exFAT volumes from the mount table, each known by its source device.
#include "platform/drive_discovery.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <map>
#include <optional>
#include <string_view>

#include "platform/posix/scoped_fd.h"
#include "platform/text_case.h"
#include "platform/text_file.h"
#include "platform/utf8.h"

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
  const ScopedDir dir(opendir(folder.c_str()));
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
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

// Keeps the drives found so far and which letters and folders they hold.
class FoundDrives {
 public:
  bool LetterTaken(char letter) const { return taken_[letter - 'A']; }
  bool FolderTaken(const std::string& folder) const {
    return std::any_of(drives_.begin(), drives_.end(),
                       [&](const DriveMapping& d) { return d.hostRoot == folder; });
  }
  void Add(char letter, std::string folder, std::string label, DriveSource source) {
    taken_[letter - 'A'] = true;
    drives_.push_back(DriveMapping{letter, std::move(folder), std::move(label), std::nullopt, source});
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
    found.Add(device.letter, std::move(*folder), std::move(label), DriveSource::WinePrefix);
  }
}

struct MountedVolume {
  std::string mountPoint;  // decoded
  std::string fileSystem;
  std::string source;  // decoded
  bool readOnly = false;  // the mount or its file system is mounted "ro"
};

// Whether a comma-separated option list ("rw,relatime") holds `option`.
bool HasOption(std::string_view options, std::string_view option) {
  while (!options.empty()) {
    const std::size_t end = std::min(options.find(','), options.size());
    if (options.substr(0, end) == option) return true;
    options.remove_prefix(std::min(end + 1, options.size()));
  }
  return false;
}

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
  volume.readOnly = HasOption(fields[5], "ro") ||
                    (separator + 3 < fields.size() && HasOption(fields[separator + 3], "ro"));
  return volume;
}

// The mount line's own word for a Windows volume, trusted only when the
// source device cannot be probed: the kernel drivers' types, and a FUSE
// mount ("fuse.<driver>" or "fuseblk.<driver>") whose driver is a known
// user-space FAT, exFAT or NTFS driver. A bare "fuseblk" says nothing.
bool MountTypeNamesWindowsVolume(std::string_view type) {
  for (std::string_view known : {"vfat", "msdos", "fat", "exfat", "ntfs", "ntfs3"}) {
    if (type == known) return true;
  }
  for (std::string_view fuse : {"fuse.", "fuseblk."}) {
    if (!type.starts_with(fuse)) continue;
    const std::string_view driver = type.substr(fuse.size());
    for (std::string_view known : {"ntfs", "ntfs-3g", "lowntfs-3g", "exfat", "fusefat"}) {
      if (driver == known) return true;
    }
  }
  return false;
}

// A label as read from a volume, made fit for one line of the drive list:
// control characters and bytes that are not well-formed UTF-8 (a FAT label
// in some DOS code page) each become "?".
std::string ShownVolumeLabel(std::string_view label) {
  std::string shown;
  while (!label.empty()) {
    const std::size_t length = Utf8SequenceLength(label);
    const unsigned char first = static_cast<unsigned char>(label.front());
    if (length == 0 || (length == 1 && (first < 0x20 || first == 0x7F))) {
      shown.push_back('?');
      label.remove_prefix(1);
    } else {
      shown.append(label.substr(0, length));
      label.remove_prefix(length);
    }
  }
  return shown;
}

// The probe, asked once per source: one device often backs many mounts
// (bind mounts, containers).
class ProbedSources {
 public:
  explicit ProbedSources(const VolumeProber& probe) : probe_(probe) {}
  const std::optional<VolumeIdentity>& Of(const std::string& source) {
    auto known = identities_.find(source);
    if (known == identities_.end()) {
      std::optional<VolumeIdentity> identity;
      if (probe_ && source.starts_with('/')) identity = probe_(source);
      known = identities_.emplace(source, std::move(identity)).first;
    }
    return known->second;
  }

 private:
  const VolumeProber& probe_;
  std::map<std::string, std::optional<VolumeIdentity>> identities_;
};

// Whether a mount is a Windows volume, and its label when it is: the source
// device decides when it can be probed, whatever the mount calls itself;
// otherwise the mount type, with no label. nullopt when it is not one, and
// for the EFI system partition, which is FAT but the firmware's.
std::optional<std::string> WindowsVolumeLabel(const MountedVolume& volume, ProbedSources& probed) {
  const std::optional<VolumeIdentity>& identity = probed.Of(volume.source);
  if (identity) {
    if (!IsWindowsFileSystem(identity->fileSystem) || IsEfiSystemPartitionType(identity->partitionType)) {
      return std::nullopt;
    }
    return ShownVolumeLabel(identity->label);
  }
  if (MountTypeNamesWindowsVolume(volume.fileSystem)) return std::string();
  return std::nullopt;
}

// The places where the EFI system partition is mounted: /efi, /boot/efi and
// anything at or below /boot. A volume there is the boot loader's, whatever
// its device says (an unreadable device gives no partition type).
bool IsBootPlace(std::string_view path) {
  for (std::string_view place : {"/efi", "/boot"}) {
    if (path == place || (path.starts_with(place) && path[place.size()] == '/')) return true;
  }
  return false;
}

void AddMountedVolumes(std::string_view mountInfo, const VolumeProber& probe, FoundDrives& found) {
  ProbedSources probed(probe);
  while (!mountInfo.empty()) {
    const std::size_t end = std::min(mountInfo.find('\n'), mountInfo.size());
    const std::optional<MountedVolume> volume = ParseMountLine(mountInfo.substr(0, end));
    mountInfo.remove_prefix(std::min(end + 1, mountInfo.size()));
    if (!volume || volume->mountPoint == "/" || volume->readOnly || IsBootPlace(volume->mountPoint)) continue;
    // The kind first: resolving every mount point would wake automounts.
    std::optional<std::string> label = WindowsVolumeLabel(*volume, probed);
    if (!label) continue;
    std::optional<std::string> folder = ResolvedFolder(volume->mountPoint);
    if (!folder || *folder == "/" || IsBootPlace(*folder) || found.FolderTaken(*folder)) continue;
    const char letter = found.NextFreeFromD();
    if (letter == 0) return;
    if (label->empty()) *label = DefaultDriveLabel(*folder);
    found.Add(letter, std::move(*folder), std::move(*label), DriveSource::Mount);
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
  sources.probe = ProbeVolume;
  return sources;
}

std::vector<DriveMapping> DiscoverDrives(const DiscoverySources& sources) {
  FoundDrives found;
  if (!sources.winePrefix.empty()) AddWineDrives(sources.winePrefix, found);
  if (!sources.mountInfoText.empty()) {
    AddMountedVolumes(sources.mountInfoText, sources.probe, found);
  }
  return std::move(found).InLetterOrder();
}

std::optional<VolumeIdentity> VolumeOfFolder(const DiscoverySources& sources, const std::string& folder) {
  std::optional<MountedVolume> holder;
  std::string_view mountInfo = sources.mountInfoText;
  while (!mountInfo.empty()) {
    const std::size_t end = std::min(mountInfo.find('\n'), mountInfo.size());
    std::optional<MountedVolume> volume = ParseMountLine(mountInfo.substr(0, end));
    mountInfo.remove_prefix(std::min(end + 1, mountInfo.size()));
    if (!volume) continue;
    const std::string& point = volume->mountPoint;
    const bool holds = folder == point || point == "/" ||
                       (folder.starts_with(point) && folder.size() > point.size() && folder[point.size()] == '/');
    if (holds && (!holder || point.size() >= holder->mountPoint.size())) holder = std::move(volume);
  }
  if (!holder) return std::nullopt;
  if (sources.probe && holder->source.starts_with('/')) {
    if (std::optional<VolumeIdentity> identity = sources.probe(holder->source)) {
      identity->label = ShownVolumeLabel(identity->label);
      return identity;
    }
  }
  return VolumeIdentity{holder->fileSystem, ""};
}

DriveTable LoadDriveTable(const std::vector<std::pair<std::string, std::string>>& stored,
                          std::vector<std::string>* problems) {
  // Discovery reads the host's mounts and Wine prefix: only when needed.
  return DriveTable::FromSources(stored, [] { return DiscoverDrives(HostDiscoverySources()); }, problems);
}

}  // namespace tidewell::platform
