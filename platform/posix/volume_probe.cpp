// Volume identification with libblkid's low-level probe: superblock type and
// label, and for a partition its type in the disk's partition table; no
// cache file.
#include "platform/volume_probe.h"

#include <blkid/blkid.h>
#include <sys/stat.h>

#include <memory>

namespace tidewell::platform {
namespace {

struct ProbeDeleter {
  void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};
using ProbeHandle = std::unique_ptr<blkid_struct_probe, ProbeDeleter>;

std::string ProbedValue(blkid_probe probe, const char* name) {
  const char* value = nullptr;
  std::size_t length = 0;
  if (blkid_probe_lookup_value(probe, name, &value, &length) != 0 || value == nullptr) return {};
  // The length counts the terminating zero.
  std::string text(value, length);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// The partition type of a partition device, read by a probe of its own with
// only the partition chain on (so the file system's probe above stays as
// it was); libblkid finds the whole disk and reads its table. Empty when
// the source is no partition (an image file, a whole disk).
std::string PartitionType(const std::string& source) {
  ProbeHandle probe(blkid_new_probe_from_filename(source.c_str()));
  if (!probe) return {};
  blkid_probe_enable_superblocks(probe.get(), 0);
  blkid_probe_enable_partitions(probe.get(), 1);
  blkid_probe_set_partitions_flags(probe.get(), BLKID_PARTS_ENTRY_DETAILS);
  if (blkid_do_safeprobe(probe.get()) != 0) return {};
  return ProbedValue(probe.get(), "PART_ENTRY_TYPE");
}

}  // namespace

std::optional<VolumeIdentity> ProbeVolume(const std::string& source) {
  // Only a block device or a regular file: opening a character device or a
  // FIFO that a mount names as its source can act on it or hang.
  struct stat st {};
  if (source.empty() || stat(source.c_str(), &st) != 0 || !(S_ISBLK(st.st_mode) || S_ISREG(st.st_mode))) {
    return std::nullopt;
  }
  ProbeHandle probe(blkid_new_probe_from_filename(source.c_str()));
  if (!probe) return std::nullopt;  // unreadable, typically a device of another user
  blkid_probe_enable_superblocks(probe.get(), 1);
  blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL);
  blkid_probe_enable_partitions(probe.get(), 0);
  // The safe probe gives up on a device that carries two file systems'
  // signatures at once instead of guessing.
  if (blkid_do_safeprobe(probe.get()) != 0) return std::nullopt;
  VolumeIdentity identity{ProbedValue(probe.get(), "TYPE"), ProbedValue(probe.get(), "LABEL")};
  if (identity.fileSystem.empty()) return std::nullopt;
  identity.partitionType = PartitionType(source);
  return identity;
}

bool IsWindowsFileSystem(const std::string& probedType) {
  return probedType == "vfat" || probedType == "msdos" || probedType == "exfat" || probedType == "ntfs";
}

}  // namespace tidewell::platform
