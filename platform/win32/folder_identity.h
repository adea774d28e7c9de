// Folders on Windows as the drive checks and the file system know them: a
// folder opened without following any reparse point on the way, its
// identity (volume serial number, file index), and the system folders that
// can never be a drive.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <system_error>

#include "platform/drive_table.h"
#include "platform/win32/wide_text.h"

namespace tidewell::platform::win32 {

// Opens an existing folder by its real path ("C:/a/b"), component by
// component from the volume's root, refusing a reparse point (symbolic
// link, junction, mount point) anywhere on the way with errc::too_many_symbolic_link_levels.
std::error_code OpenRealFolder(const std::string& realPath, ScopedHandle& folder);

// The identity of an open file or folder.
std::error_code IdentifyFolder(HANDLE handle, FolderIdentity& identity);

// What the folder open as `handle`, of `identity`, is instead of a
// possible drive: under Wine, one of the host's folders that wine_host.h
// refuses (the host's root, a system folder, the prefix or a folder above
// it); the Windows folder, the system folder, or a folder that holds the
// Windows folder (the system volume's root among them); nullopt when none
// of these.
std::optional<std::string> ForbiddenDriveRoot(HANDLE handle, const FolderIdentity& identity);

}  // namespace tidewell::platform::win32
