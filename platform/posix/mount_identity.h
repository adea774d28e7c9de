// Which mounted file system an open folder belongs to.
//
// Two folders are on the same mount when their mount ids match (statx with
// STATX_MNT_ID, which also tells bind mounts of the same device apart); on
// kernels without mount ids the device numbers are compared instead.
#pragma once

#include <cstdint>
#include <system_error>

namespace tidewell::platform {

struct MountIdentity {
  std::uint64_t mountId = 0;
  bool hasMountId = false;
  std::uint64_t device = 0;

  bool SameMount(const MountIdentity& other) const {
    if (hasMountId && other.hasMountId) return mountId == other.mountId;
    return device == other.device;
  }
};

// The mount identity of an open file descriptor.
std::error_code IdentifyMount(int fd, MountIdentity& identity);

}  // namespace tidewell::platform
