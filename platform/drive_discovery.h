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
//      /proc/self/mountinfo): file system types vfat, msdos, fat, exfat, ntfs
//      and ntfs3, and fuseblk (or fuseblk.<subtype>) when its subtype, mount
//      source or super options mention "ntfs" or "exfat" (user-space drivers
//      all mount as fuseblk; only those words tell such a volume from any
//      other). Each takes the next free letter from D on, in the mount
//      table's order. A mount at "/", a mount point that no longer exists,
//      and a folder already given by the Wine prefix or an earlier mount
//      (compared with links resolved) are left out.
//
// Labels: a mounted volume shows its volume label, the name of the entry in
// the by-label folder whose link resolves to the mount's source device (udev
// writes unsafe bytes there as "\x20"; these are decoded). Every other drive,
// and a volume without a label, shows DefaultDriveLabel() of its folder.
//
// Folders in the result are canonical (links resolved), as DriveTable keeps
// them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/drive_table.h"

namespace tidewell::platform {

struct DiscoverySources {
  std::string winePrefix;     // folder holding dosdevices/; empty: skip
  std::string mountInfoText;  // contents of /proc/self/mountinfo; empty: skip
  std::string byLabelFolder;  // normally /dev/disk/by-label
};

// The sources of this process: $WINEPREFIX when it is an absolute path, else
// $HOME/.wine (no prefix when HOME is not absolute either), the text of
// /proc/self/mountinfo (empty when unreadable), and /dev/disk/by-label.
DiscoverySources HostDiscoverySources();

// Drives found from the sources, letters ascending, never the host root,
// each folder once.
std::vector<DriveMapping> DiscoverDrives(const DiscoverySources& sources);

// The drive table a front end starts with: TIDEWELL_DRIVES, else `stored`
// (the store's letter=folder pairs), else what DiscoverDrives() finds on this
// host. Problems of the chosen source are added to `problems`.
DriveTable LoadDriveTable(const std::vector<std::pair<std::string, std::string>>& stored,
                          std::vector<std::string>* problems);

}  // namespace tidewell::platform
