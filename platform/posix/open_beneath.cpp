// openat2 through one wrapper: the probe, the resolve flags, and the rule
// for a kernel or sandbox without it (open_beneath.h).
#include "platform/posix/open_beneath.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tidewell::platform {

Openat2 ProbeOpenat2() {
  ScopedFd probe;
  const std::error_code error = OpenWithOpenat2(Openat2::Present, AT_FDCWD, "/", O_PATH | O_DIRECTORY | O_CLOEXEC,
                                                Confine::LinksOnly, probe);
  return error == std::errc::function_not_supported ? Openat2::Missing : Openat2::Present;
}

std::error_code OpenWithOpenat2(Openat2 kernel, int base, const char* path, int flags, Confine confine,
                                ScopedFd& opened) {
  if (kernel == Openat2::Missing) return std::make_error_code(std::errc::function_not_supported);
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags);
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  if (confine == Confine::Beneath) how.resolve |= RESOLVE_NO_XDEV | RESOLVE_BENEATH;
  const long fd = syscall(SYS_openat2, base, path, &how, sizeof how);
  if (fd >= 0) {
    opened.Reset(static_cast<int>(fd));
    return {};
  }
  if (errno == ENOSYS || errno == EPERM) return std::make_error_code(std::errc::function_not_supported);
  return {errno, std::generic_category()};
}

std::error_code OpenBeneath(Openat2 kernel, int base, const char* relative, ScopedFd& opened) {
  return OpenWithOpenat2(kernel, base, relative, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, Confine::Beneath,
                         opened);
}

}  // namespace tidewell::platform
