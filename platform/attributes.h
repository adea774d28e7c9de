// File attribute bits as the engine sees them, and where the POSIX layer
// (posix/windows_attributes.h) finds them; a Windows host reports its own.
//
//   Folder   16  the entry is a directory (never a symbolic link)
//   ReadOnly  1  these four come from where the file system keeps Windows
//   Hidden    2  attributes (see posix/windows_attributes.h), or from the
//   System    4  name and permission bits where it keeps none
//   Archive  32
//
// Reading, in order:
//   - A native record (NTFS through ntfs-3g or ntfs3, FAT through the vfat
//     attribute ioctl) gives all four bits; nothing else is consulted.
//   - Otherwise read-only is the owner's write bit clear and hidden a name
//     starting with "."; a user.DOSATTRIB extended attribute (Wine's record,
//     on any file system with user extended attributes) adds the bits it
//     holds. Without one, system and archive are never reported.
//   - A symbolic link has no record: only its name can make it hidden.
//
// Setting: the record is made to hold exactly the requested bits (a
// user.DOSATTRIB is created only to keep hidden, system or archive). Without
// a native record the permission bits show read-only too: ReadOnly clears
// every write bit, anything else adds the owner's write bit. On POSIX a
// file's own mode does not govern its deletion (its folder's does), so this
// is how read-only is shown there, not what makes a file deletable.
//   - A file with more than one link shares its inode, record and mode with
//     the other links, wherever they are (outside the drive too): it is never
//     changed. Setting fails with errc::too_many_links unless it already has
//     the requested attributes.
//   - A link is never changed, nor its target.
#pragma once

#include <cstdint>

namespace tidewell::platform {

using Attributes = std::uint16_t;

inline constexpr Attributes kNormal = 0;
inline constexpr Attributes kReadOnly = 1;
inline constexpr Attributes kHidden = 2;
inline constexpr Attributes kSystem = 4;
inline constexpr Attributes kFolder = 16;
inline constexpr Attributes kArchive = 32;

}  // namespace tidewell::platform
