// Finding drives on Windows: the system's own drive letters, fixed and
// removable disks only (no network, optical or RAM drives), each with the
// label stored on its volume. The Wine prefix and mount table sources of
// the POSIX build have nothing to say here and stay empty.
#include "platform/drive_discovery.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace tidewell::platform {

DiscoverySources HostDiscoverySources() {
  DiscoverySources sources;
  sources.probe = ProbeVolume;
  return sources;
}

std::vector<DriveMapping> DiscoverDrives(const DiscoverySources& sources) {
  std::vector<DriveMapping> found;
  wchar_t buffer[26 * 4 + 1] = {};
  const DWORD length = GetLogicalDriveStringsW(26 * 4, buffer);
  if (length == 0 || length > 26 * 4) return found;
  for (const wchar_t* root = buffer; *root != L'\0'; root += wcslen(root) + 1) {
    const UINT type = GetDriveTypeW(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) continue;
    const wchar_t letter = root[0];
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) continue;
    std::string hostRoot = std::string(1, static_cast<char>(letter)) + ":/";
    std::string label;
    if (sources.probe) {
      if (std::optional<VolumeIdentity> volume = sources.probe(hostRoot)) label = volume->label;
    }
    for (char& c : label) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    if (label.empty()) label = DefaultDriveLabel(hostRoot);
    found.emplace_back(static_cast<char>(letter & ~0x20), std::move(hostRoot), std::move(label),
                       std::nullopt, DriveSource::SystemLetter);
  }
  return found;
}

std::optional<VolumeIdentity> VolumeOfFolder(const DiscoverySources& sources, const std::string& folder) {
  if (!sources.probe || folder.size() < 2 || folder[1] != ':') return std::nullopt;
  return sources.probe(folder.substr(0, 2) + "/");
}

DriveTable LoadDriveTable(const std::vector<std::pair<std::string, std::string>>& stored,
                          std::vector<std::string>* problems) {
  // Asking every volume for its label is left until no earlier source gives a drive.
  return DriveTable::FromSources(stored, [] { return DiscoverDrives(HostDiscoverySources()); }, problems);
}

}  // namespace tidewell::platform
