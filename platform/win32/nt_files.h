// Entries opened by name relative to an open folder's handle, with the
// native call that takes a root directory (NtCreateFile): nothing is looked
// up by a whole path string, so no folder above the given one can redirect
// the opening, and a reparse point (symbolic link, junction, mount point) is
// opened as itself, never followed. Names are compared without regard to
// case, as Windows names are.
#pragma once

#include <windows.h>

#include <string_view>
#include <system_error>

#include "platform/win32/wide_text.h"

namespace tidewell::platform::win32 {

// What the opened entry must be.
enum class EntryKind {
  Any,     // a file, a folder or a reparse point of either kind
  Folder,  // a folder (or a reparse point on one); a file fails with errc::not_a_directory
};

// Opens `name` (one component, UTF-8) in the folder open as `parent`, on
// itself, for `access` (SYNCHRONIZE is added), sharing read, write and
// delete. An empty name opens `parent` itself once more, a handle with its
// own listing position.
std::error_code OpenRelative(HANDLE parent, std::string_view name, ACCESS_MASK access, EntryKind kind,
                             ScopedHandle& opened);

// Creates the file `name` in the folder open as `parent`, never opening an
// existing entry: any entry of that name in any case (a file, a folder, a
// reparse point) makes it fail with errc::file_exists.
std::error_code CreateNewFileRelative(HANDLE parent, std::string_view name);

// An NTSTATUS as the nearest portable code (the codes FromWindowsError
// gives for the matching Windows error, so that a file in use is
// errc::device_or_resource_busy whichever call met it).
std::error_code FromNtStatus(LONG status);

}  // namespace tidewell::platform::win32
