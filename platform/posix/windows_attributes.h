// The Windows attributes (read-only, hidden, system, archive) that a file
// system keeps for a file, read and written through an open descriptor.
//
// Where they are kept, asked in this order:
//   - NTFS (ntfs-3g through FUSE, the kernel's ntfs3): the extended
//     attribute "system.ntfs_attrib_be", the NTFS attribute word as 4 bytes,
//     big-endian;
//   - FAT (kernel vfat, and exFAT where the kernel offers the same calls):
//     the attribute byte through FAT_IOCTL_GET_ATTRIBUTES and
//     FAT_IOCTL_SET_ATTRIBUTES;
//   - any file system with user extended attributes: "user.DOSATTRIB", the
//     text Wine writes ("0x" and hex digits, "0x22"; a NUL may end it).
//     A value in another form (Samba's binary records) is there but tells
//     nothing: it reads as no bits set.
// The file system's type (fstatfs) decides which native record is asked, so
// an ioctl number is never sent to a file system it was not made for. A
// native record that answers is the file's whole record; user.DOSATTRIB is
// asked only where none does.
//
// The descriptor must be open for reading (extended-attribute calls and
// ioctls refuse O_PATH descriptors) on a regular file or a folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/attributes.h"

namespace tidewell::platform {

// Whether a name makes its entry hidden where no native record is kept: it
// starts with ".". Listings report it for every entry (FolderEntry::hidden).
constexpr bool IsHiddenName(std::string_view name) { return !name.empty() && name.front() == '.'; }

// The bits a record can hold; folder (16) always comes from the file type.
inline constexpr Attributes kKeptAttributeBits = kReadOnly | kHidden | kSystem | kArchive;

enum class AttributeRecord {
  None,       // nothing kept: the name and the permission bits tell
  Ntfs,       // system.ntfs_attrib_be
  Fat,        // the FAT attribute ioctl
  DosAttrib,  // user.DOSATTRIB
};

struct KeptAttributes {
  AttributeRecord record = AttributeRecord::None;
  Attributes bits = kNormal;  // within kKeptAttributeBits
  std::uint32_t word = 0;     // the whole NTFS or FAT word, other flags included

  // A native record replaces the name and permission-bit rules entirely.
  bool Native() const { return record == AttributeRecord::Ntfs || record == AttributeRecord::Fat; }
};

// Reads the record of the file open as `fd`; AttributeRecord::None when the
// file system keeps none for it or it cannot be read.
KeptAttributes ReadKeptAttributes(int fd);

// Makes the record hold `wanted` (bits outside kKeptAttributeBits ignored;
// the record's other flags kept). With AttributeRecord::None a user.DOSATTRIB
// is created (fails with errc::not_supported where the file system has no
// user extended attributes). Writes nothing when the record already holds
// exactly the wanted bits.
std::error_code WriteKeptAttributes(int fd, const KeptAttributes& kept, Attributes wanted);

// Which record a volume keeps, from its file system type (statfs f_type).
enum class VolumeRecord {
  Ntfs,       // ask system.ntfs_attrib_be, then user.DOSATTRIB
  Fat,        // ask the ioctl (needs an open file), then user.DOSATTRIB
  DosAttrib,  // ask user.DOSATTRIB only
};
VolumeRecord VolumeRecordOf(unsigned long fileSystemType);

// Reads the record of a regular file or folder without opening it: `path`
// names the entry through its folder's descriptor
// ("/proc/self/fd/<folder>/<name>"), the last component never followed.
// Only for NTFS and user.DOSATTRIB volumes (the FAT ioctl needs an open file:
// use ReadKeptAttributes there). Sets `noUserAttributes` when the file
// system keeps no user extended attributes at all, so that the caller can
// stop asking on that volume.
KeptAttributes ReadKeptAttributesByPath(const std::string& path, VolumeRecord volume, bool& noUserAttributes);

// The value of a user.DOSATTRIB: "0x" and hex digits, up to a NUL or the
// end; false for any other form.
bool ParseDosAttrib(const char* data, std::size_t length, Attributes& bits);

}  // namespace tidewell::platform
