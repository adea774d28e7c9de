// Volume identification on Windows: the system names a mounted volume's
// file system and label itself (GetVolumeInformationW on its root).
#include "platform/volume_probe.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace tidewell::platform {

// `source` is a volume's root ("D:/" or "D:\").
std::optional<VolumeIdentity> ProbeVolume(const std::string& source) {
  std::wstring root = win32::Widen(source);
  for (wchar_t& c : root) {
    if (c == L'/') c = L'\\';
  }
  if (root.empty() || root.back() != L'\\') root.push_back(L'\\');
  wchar_t label[MAX_PATH + 1] = {};
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, fileSystem,
                             MAX_PATH + 1)) {
    return std::nullopt;
  }
  // The probe's names, as the POSIX build reports them.
  const std::wstring_view name = fileSystem;
  std::string type;
  if (name == L"NTFS") {
    type = "ntfs";
  } else if (name == L"FAT" || name == L"FAT32") {
    type = "vfat";
  } else if (name == L"exFAT") {
    type = "exfat";
  } else {
    type = win32::Narrow(name);
  }
  if (type.empty()) return std::nullopt;
  return VolumeIdentity{type, win32::Narrow(label)};
}

bool IsWindowsFileSystem(const std::string& probedType) {
  return probedType == "vfat" || probedType == "msdos" || probedType == "exfat" || probedType == "ntfs";
}

}  // namespace tidewell::platform
