// Mount ids through the raw statx system call: the C library's struct statx
// of this generation does not expose stx_mnt_id, the kernel's does.
#include "platform/posix/mount_identity.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tidewell::platform {

std::error_code IdentifyMount(int fd, MountIdentity& identity) {
  struct statx facts {};
  if (syscall(SYS_statx, fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW,
              STATX_BASIC_STATS | STATX_MNT_ID, &facts) != 0) {
    return {errno, std::generic_category()};
  }
  identity.device = (static_cast<std::uint64_t>(facts.stx_dev_major) << 32) | facts.stx_dev_minor;
  identity.hasMountId = (facts.stx_mask & STATX_MNT_ID) != 0;
  identity.mountId = identity.hasMountId ? facts.stx_mnt_id : 0;
  return {};
}

}  // namespace tidewell::platform
