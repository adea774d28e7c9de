// What the drive table (platform/drive_table.h) asks the host: where a mapped
// folder really is, what stands there, whether it may be a drive at all, and
// the mappings the environment gives. The table words every problem itself;
// these calls only report facts.
#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "platform/drive_table.h"
#include "platform/system_folders.h"

namespace tidewell::platform {

// The real path of an existing entry, links resolved; `path` as given when
// it cannot be resolved (it does not exist, or a folder on the way cannot be
// searched).
std::string RealPathOr(const std::string& path);

// The real path of a path that may not exist yet: its longest existing
// leading part with links resolved, then the rest as given. A folder that
// appears later is then reached through no link that exists now.
std::string RealPathAsFarAsItExists(const std::string& path);

// What stands at a path, links followed.
enum class HostEntryKind { Missing, Folder, NotAFolder };
HostEntryKind KindOfHostEntry(const std::string& path);

// The answer of CheckDriveRoot(): the folder's identity, or why it cannot be
// a drive.
struct DriveRootCheck {
  FolderIdentity identity;                // valid when neither below is set
  std::error_code openError;              // the folder could not be opened
  std::optional<std::string> forbidden;   // what it is instead: "the system
                                          // folder \"/usr\"", "the host's root
                                          // folder \"/\"", ...
};

// Opens an existing real folder with no link anywhere in its path, reads its
// identity and checks it against the system's own folders: `systemFolders`
// when given (DriveTable's constructor), else the host's.
DriveRootCheck CheckDriveRoot(const std::string& realPath, const std::optional<SystemFolders>& systemFolders);

// The text of the environment variable TIDEWELL_DRIVES; nullopt when it is
// unset or empty.
std::optional<std::string> DriveMappingsFromEnvironment();

}  // namespace tidewell::platform
