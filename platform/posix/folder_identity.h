// Which folder an open descriptor is, and the folders a drive may never be.
//
// A drive is an identity, not a path: when the drive table is loaded, each
// mapping's real folder is opened and its identity (device, inode, mount id)
// recorded; every later opening of the drive's root is compared with it.
// The same identities tell whether a folder is the host's root or one of the
// system's own folders, however it is reached: through a link, a bind mount
// (which shares device and inode with its source) or a /proc/N/root alias.
// Which folders those are is a value handed to whoever asks (the drive
// table's own list, or the host's), never a setting swapped behind it.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"
#include "platform/posix/open_beneath.h"
#include "platform/posix/scoped_fd.h"
#include "platform/system_folders.h"

namespace tidewell::platform {

// The identity of an open file or folder (statx, links not followed).
std::error_code IdentifyFolder(int fd, FolderIdentity& identity);
// The identity of the entry `name` in the folder open as `folderFd`, the
// entry itself when it is a link.
std::error_code IdentifyEntry(int folderFd, const char* name, FolderIdentity& identity);

// How OpenRealFolder opens: for listing, or only to tell which folder it is
// (O_PATH, which needs no read permission).
enum class FolderAccess { List, IdentityOnly };

// Opens an absolute folder path with no symbolic link anywhere in it (nor a
// /proc magic link): each component must be a real folder. One openat2
// where `kernel` has it, else one component at a time with O_NOFOLLOW
// (open_beneath.h). Fails with ELOOP (errc::too_many_symbolic_link_levels)
// at a link.
std::error_code OpenRealFolder(Openat2 kernel, const std::string& absolutePath, FolderAccess access, ScopedFd& fd);

// The host's (platform/system_folders.h), with the "/lib*" folders its root
// holds now.
SystemFolders HostSystemFolders();

// The folders a drive table refuses: `given` when it has some (a test's
// sentinel folders, DriveTable's constructor), else the host's, read once
// per process on first use and never changed.
const SystemFolders& SystemFoldersOr(const std::optional<SystemFolders>& given);

// Why the folder open as `fd` can never be a drive ("the host's root folder
// \"/\"", "the system folder \"/usr\"", "inside the system folder \"/proc\"")
// or nullopt when it may be one. Besides the identities of `folders`, a
// folder on a kernel's pseudo file system (proc, sysfs, devpts, cgroup, ...)
// is always refused, and so is a folder on the device of a refused tree
// that is a mount of its own (/dev on devtmpfs).
std::optional<std::string> ForbiddenDriveRoot(int fd, const SystemFolders& folders);

}  // namespace tidewell::platform
