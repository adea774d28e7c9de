// The one way this layer calls openat2, and the one rule for a kernel
// without it.
//
// openat2 resolves a whole relative path in one call while refusing, on the
// way, every symbolic link, every /proc magic link, every other mount and
// anything outside the folder it starts from. Linux has it from 5.6; an
// older kernel answers ENOSYS, and a seccomp sandbox (some container
// runtimes) answers EPERM.
//
// Whether it may be called is a value, Openat2, probed once by whoever
// makes the file system layer's state (FolderHandleCache, and with it the
// VirtualFileSystem) and handed down to each call, never a global that a
// call changes. The rule without it: a call given Openat2::Missing does not
// try, and a call whose openat2 answers ENOSYS or EPERM gives up; both fail
// with errc::function_not_supported and nothing else, and each caller then
// does the same work one component at a time (openat with O_NOFOLLOW, the
// mount compared afterwards) or not at all (the metadata warmer). Every
// other failure is openat2's own errno (EXDEV: another mount, ELOOP: a
// link, ENOENT, EACCES, ...).
#pragma once

#include <system_error>

#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {

enum class Openat2 { Missing, Present };

// Asks the kernel once: an openat2 of "/" as an O_PATH descriptor, closed
// at once. Missing when it answers ENOSYS or EPERM.
Openat2 ProbeOpenat2();

// What openat2 refuses on the way, besides links and magic links, which it
// always refuses.
enum class Confine {
  Beneath,   // also another mount and anything outside `base`
  LinksOnly  // nothing more (an absolute path from the host's root)
};

// openat2(base, path, flags) with the resolve flags of `confine`. Fails
// with errc::function_not_supported under the rule above, else with
// openat2's errno; `opened` holds the descriptor on success.
std::error_code OpenWithOpenat2(Openat2 kernel, int base, const char* path, int flags, Confine confine,
                                ScopedFd& opened);

// Opens `relative` (one component, or several joined by "/") below the
// folder open as `base`, as a folder for listing (O_RDONLY | O_DIRECTORY |
// O_NOFOLLOW | O_CLOEXEC), confined Beneath. errc::cross_device_link: a
// folder on another mount on the way.
std::error_code OpenBeneath(Openat2 kernel, int base, const char* relative, ScopedFd& opened);

}  // namespace tidewell::platform
