#include "platform/posix/windows_attributes.h"

#include <linux/magic.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>

namespace tidewell::platform {
namespace {

constexpr const char* kNtfsName = "system.ntfs_attrib_be";
constexpr const char* kDosAttribName = "user.DOSATTRIB";

// Not in every <linux/magic.h>: the kernel's ntfs3 ("ntfs") and the old
// read-only ntfs driver ("NTFS").
constexpr unsigned long kNtfs3Magic = 0x7366746e;
constexpr unsigned long kOldNtfsMagic = 0x5346544e;

std::error_code LastError() { return {errno, std::generic_category()}; }

Attributes KeptBitsOf(std::uint32_t word) { return static_cast<Attributes>(word & kKeptAttributeBits); }

std::uint32_t WithKeptBits(std::uint32_t word, Attributes wanted) {
  return (word & ~std::uint32_t{kKeptAttributeBits}) | (wanted & kKeptAttributeBits);
}

// The NTFS word from its 4 big-endian bytes.
void TakeNtfsWord(const unsigned char (&bytes)[4], KeptAttributes& kept) {
  kept.record = AttributeRecord::Ntfs;
  kept.word = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
              std::uint32_t{bytes[3]};
  kept.bits = KeptBitsOf(kept.word);
}

bool ReadNtfs(int fd, KeptAttributes& kept) {
  unsigned char bytes[4] = {};
  if (fgetxattr(fd, kNtfsName, bytes, sizeof bytes) != static_cast<ssize_t>(sizeof bytes)) return false;
  TakeNtfsWord(bytes, kept);
  return true;
}

bool ReadFat(int fd, KeptAttributes& kept) {
  __u32 word = 0;
  if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &word) != 0) return false;
  kept.record = AttributeRecord::Fat;
  kept.word = word;
  kept.bits = KeptBitsOf(word);
  return true;
}

// What a user.DOSATTRIB read gave (`length` bytes of `text`, or -1 with
// errno): Wine's text is a few bytes; a longer value (Samba's binary
// records) is present but not a text this reads: no bits.
bool TakeDosAttrib(const char* text, ssize_t length, KeptAttributes& kept) {
  if (length < 0 && errno != ERANGE) return false;
  Attributes bits = kNormal;
  if (length >= 0 && !ParseDosAttrib(text, static_cast<std::size_t>(length), bits)) bits = kNormal;
  kept.record = AttributeRecord::DosAttrib;
  kept.bits = bits;
  return true;
}

bool ReadDosAttrib(int fd, KeptAttributes& kept) {
  char text[64];
  const ssize_t length = fgetxattr(fd, kDosAttribName, text, sizeof text);
  return TakeDosAttrib(text, length, kept);
}

}  // namespace

bool ParseDosAttrib(const char* data, std::size_t length, Attributes& bits) {
  if (length < 3 || data[0] != '0' || (data[1] != 'x' && data[1] != 'X')) return false;
  std::uint32_t value = 0;
  std::size_t at = 2;
  for (; at < length && data[at] != '\0'; ++at) {
    const char c = data[at];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    if (value > 0x0fffffffu) return false;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  if (at == 2) return false;  // "0x" and no digit
  bits = KeptBitsOf(value);
  return true;
}

VolumeRecord VolumeRecordOf(unsigned long type) {
  if (type == FUSE_SUPER_MAGIC || type == kNtfs3Magic || type == kOldNtfsMagic) return VolumeRecord::Ntfs;
  if (type == MSDOS_SUPER_MAGIC || type == EXFAT_SUPER_MAGIC) return VolumeRecord::Fat;
  return VolumeRecord::DosAttrib;
}

KeptAttributes ReadKeptAttributes(int fd) {
  KeptAttributes kept;
  struct statfs volume {};
  if (fstatfs(fd, &volume) != 0) return kept;
  switch (VolumeRecordOf(static_cast<unsigned long>(volume.f_type))) {
    case VolumeRecord::Ntfs:
      if (ReadNtfs(fd, kept)) return kept;
      break;
    case VolumeRecord::Fat:
      if (ReadFat(fd, kept)) return kept;
      break;
    case VolumeRecord::DosAttrib:
      break;
  }
  ReadDosAttrib(fd, kept);
  return kept;
}

KeptAttributes ReadKeptAttributesByPath(const std::string& path, VolumeRecord volume, bool& noUserAttributes) {
  KeptAttributes kept;
  if (volume == VolumeRecord::Ntfs) {
    unsigned char bytes[4] = {};
    if (lgetxattr(path.c_str(), kNtfsName, bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes)) {
      TakeNtfsWord(bytes, kept);
      return kept;
    }
  }
  char text[64];
  const ssize_t length = lgetxattr(path.c_str(), kDosAttribName, text, sizeof text);
  if (length < 0 && errno == EOPNOTSUPP) noUserAttributes = true;
  TakeDosAttrib(text, length, kept);
  return kept;
}

std::error_code WriteKeptAttributes(int fd, const KeptAttributes& kept, Attributes wanted) {
  wanted &= kKeptAttributeBits;
  if (kept.bits == wanted && (kept.record != AttributeRecord::None || wanted == kNormal)) return {};
  switch (kept.record) {
    case AttributeRecord::Ntfs: {
      const std::uint32_t word = WithKeptBits(kept.word, wanted);
      const unsigned char bytes[4] = {static_cast<unsigned char>(word >> 24), static_cast<unsigned char>(word >> 16),
                                      static_cast<unsigned char>(word >> 8), static_cast<unsigned char>(word)};
      if (fsetxattr(fd, kNtfsName, bytes, sizeof bytes, 0) != 0) return LastError();
      return {};
    }
    case AttributeRecord::Fat: {
      __u32 word = WithKeptBits(kept.word, wanted);
      if (ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &word) != 0) return LastError();
      return {};
    }
    case AttributeRecord::DosAttrib:
    case AttributeRecord::None: {
      char text[16];
      const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(wanted));
      if (fsetxattr(fd, kDosAttribName, text, static_cast<std::size_t>(length), 0) != 0) {
        if (errno == EOPNOTSUPP) return std::make_error_code(std::errc::not_supported);
        return LastError();
      }
      return {};
    }
  }
  return {};
}

}  // namespace tidewell::platform
