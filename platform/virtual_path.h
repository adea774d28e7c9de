// A virtual path ("C:\WINDOWS\TEMP\x.tmp") taken apart, the same on every
// host: each file-system layer resolves the parts against its own open
// folders. Shared by platform/posix/ and platform/win32/.
#ifndef TIDEWELL_PLATFORM_VIRTUAL_PATH_H
#define TIDEWELL_PLATFORM_VIRTUAL_PATH_H

#include <string_view>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"

namespace tidewell::platform {

// A virtual path split into its drive letter and its components.
struct ParsedPath {
  char letter = 0;  // upper case
  std::vector<std::string_view> components;  // views into the parsed text
};

// Splits "c:\A\B\name". Fails with errc::invalid_argument when the text does
// not start with a letter and ":", or a component is not IsDriveEntryName
// ("." or "..", or holding "/", "\" or a NUL byte); errc::no_such_device
// when the letter names no drive.
std::error_code ParseVirtualPath(const DriveTable& drives, std::string_view path, ParsedPath& parsed);

}  // namespace tidewell::platform

#endif  // TIDEWELL_PLATFORM_VIRTUAL_PATH_H
