// What file system a block device or image file holds, read from the bytes
// themselves (with libblkid), not from how or where it is mounted.
//
// User-space drivers mount FAT, exFAT and NTFS volumes under generic names
// ("fuseblk", "fuse.fusefat"), and a host without udev has no by-label
// folder, so the device is the only reliable witness of a volume's kind and
// label.
#pragma once

#include <optional>
#include <string>

#include "platform/text_case.h"

namespace tidewell::platform {

struct VolumeIdentity {
  std::string fileSystem;  // as the probe names it: "vfat", "exfat", "ntfs", "ext4", ...
  std::string label;       // the volume label as stored (UTF-8); empty when it has none
  // The partition's type in its disk's partition table, as libblkid gives
  // it: a GPT type GUID in lower case ("c12a7328-..."), or an MBR type as
  // "0xef"; empty when the source is no partition or its table cannot be read.
  std::string partitionType{};
};

// True for the EFI system partition's type, GPT or MBR: the firmware's own
// volume, FAT but never a Windows drive to clean.
inline bool IsEfiSystemPartitionType(const std::string& partitionType) {
  return EqualsNoCase(partitionType, "c12a7328-f81f-11d2-ba4b-00a0c93ec93b") || EqualsNoCase(partitionType, "0xef");
}

// The file system on `source`, a block device or a regular (image) file.
// nullopt when it is anything else, cannot be opened (a device an
// unprivileged user may not read), or holds no file system the probe knows.
// Reads the device only; never writes, never mounts.
std::optional<VolumeIdentity> ProbeVolume(const std::string& source);

// True for the file systems Windows itself reads and writes on a volume:
// FAT (any width), exFAT and NTFS, under the probe's names.
bool IsWindowsFileSystem(const std::string& probedType);

}  // namespace tidewell::platform
