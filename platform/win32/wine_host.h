// The host under Wine. Wine runs the Windows build on a Linux host and maps
// each drive letter onto a host folder (the links in the prefix's
// "dosdevices" folder); it maps Z: onto the host's root "/" itself. A drive
// there is the host's files, not a Windows volume, so the Windows build
// refuses, as the POSIX build does, a drive whose root is
//   - the host's root "/", or one of the system's own top-level folders
//     (platform/system_folders.h);
//   - the Wine prefix, or a folder that holds it (the user's home when the
//     prefix is ~/.wine): cleaning it would clean the prefix and every
//     drive that lies inside it.
// Folders are compared by identity (Wine gives a folder's inode as its
// file index; HostFolder in the .cpp says more), each host folder opened
// through Wine's "\\?\unix\" namespace, links followed. What is not
// caught: a folder inside /proc, /sys or /dev but not one of them (Wine
// gives no way to climb above a drive's root), and an ancestor of the
// prefix that its path names only through a link and that lies above the
// drive nearest to the prefix.
// Off Wine, none of this applies: every answer is "nothing refused".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/drive_table.h"

namespace tidewell::platform::win32 {

// Whether this program runs under Wine: Wine's ntdll exports
// wine_get_version, Windows' does not.
bool RunsUnderWine();

// The host path Wine gives a Windows path ("Z:\" gives "/"); nullopt off
// Wine or when the path names no host file.
std::optional<std::string> WineHostPath(const std::wstring& windowsPath);

// What the folder open as `folder`, of `identity`, is on Wine's host when that makes it no
// possible drive ("the host's root folder \"/\"", "the system folder
// \"/usr\"", "the Wine prefix \"/home/u/.wine\"", "the folder
// \"/home/u\", which holds the Wine prefix ..."); nullopt when it may be
// one, and always off Wine. The host's folders are looked up once per
// process.
std::optional<std::string> ForbiddenOnWineHost(HANDLE folder, const FolderIdentity& identity);

}  // namespace tidewell::platform::win32
