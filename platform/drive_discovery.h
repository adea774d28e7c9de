// Finding drives on the host when neither TIDEWELL_DRIVES nor the store
// names any.
//
// Two sources, in this order:
//   1. the Wine prefix: every symbolic link "dosdevices/x:" (one letter, either
//      case, then ":") is drive X, its target read relative to dosdevices/
//      when relative. Other entries ("d::" raw devices, files, folders) are
//      ignored. A target that resolves to the host root "/" (Wine's usual
//      z:), that does not exist or that is not a folder is left out without
//      a word. When two links name the same folder the lower letter keeps it.
//   2. mounted FAT, NTFS and exFAT volumes from the mount table (the text of
//      /proc/self/mountinfo). A mount is such a volume when its source
//      device (a block device, or an image file) probes as vfat, msdos,
//      exfat or ntfs, whatever the mount type says: user-space drivers mount
//      as "fuseblk" or "fuse.fusefat", and only the device tells them from
//      any other. When the source cannot be probed (not a path, a character
//      device, gone, or unreadable, as a disk usually is to an unprivileged
//      user), the mount type alone decides: vfat, msdos, fat, exfat, ntfs and
//      ntfs3, or "fuse.X"/"fuseblk.X" with X one of ntfs, ntfs-3g,
//      lowntfs-3g, exfat, fusefat. A readable device that probes as anything
//      else (ext4, ...) is never a Windows volume, even under a FAT mount
//      type. Each volume takes the next free letter from D on, in the mount
//      table's order. A mount at "/", a mount point that no longer exists,
//      and a folder already given by the Wine prefix or an earlier mount
//      (compared with links resolved) are left out. So are the EFI system
//      partition (its partition type, GPT c12a7328-f81f-11d2-ba4b-
//      00a0c93ec93b or MBR 0xef, as the probe reads it, or a mount at /efi,
//      /boot/efi or anywhere at or below /boot, links resolved) and every
//      read-only mount ("ro" in the mount's or the file system's options):
//      neither is a drive to clean.
//
// Each drive found says where it came from (DriveSource::WinePrefix or
// Mount): a destructive run cleans it only when the user names it.
//
// Labels: a probed volume shows the label stored on it (control characters
// and bytes that are not UTF-8 shown as "?"). Every other drive, and a
// volume without a label, shows DefaultDriveLabel() of its folder.
//
// Folders in the result are canonical (links resolved), as DriveTable keeps
// them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/drive_table.h"
#include "platform/volume_probe.h"

namespace tidewell::platform {

// Identifies the volume on a mount's source path; nullopt when it cannot.
using VolumeProber = std::function<std::optional<VolumeIdentity>(const std::string& source)>;

struct DiscoverySources {
  std::string winePrefix;     // folder holding dosdevices/; empty: skip
  std::string mountInfoText;  // contents of /proc/self/mountinfo; empty: skip
  VolumeProber probe;         // normally ProbeVolume; empty: no source is probed
};

// The sources of this process: $WINEPREFIX when it is an absolute path, else
// $HOME/.wine (no prefix when HOME is not absolute either), the text of
// /proc/self/mountinfo (empty when unreadable), and ProbeVolume.
DiscoverySources HostDiscoverySources();

// Drives found from the sources, letters ascending, never the host root,
// each folder once.
std::vector<DriveMapping> DiscoverDrives(const DiscoverySources& sources);

// The file system and volume label of the volume that holds `folder` (a
// real path, as the drive table keeps it), for showing a drive to the
// user: the mount that holds it in `sources.mountInfoText` (the longest
// mount point at or above it; the last one mounted there), its device
// probed when it can be (else the mount type, with no label). On Windows,
// the volume of the folder's drive letter. nullopt when no mount holds it.
// Asks neither the folder nor its file system anything, so a hung mount
// cannot stop it.
std::optional<VolumeIdentity> VolumeOfFolder(const DiscoverySources& sources, const std::string& folder);

// The drive table a front end starts with: TIDEWELL_DRIVES, else `stored`
// (the store's letter=folder pairs), else what DiscoverDrives() finds on this
// host. Problems of the chosen source are added to `problems`.
DriveTable LoadDriveTable(const std::vector<std::pair<std::string, std::string>>& stored,
                          std::vector<std::string>* problems);

}  // namespace tidewell::platform
