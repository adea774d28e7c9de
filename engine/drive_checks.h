// Drive checks and path helpers: whether a drive can be cleaned, whether a
// path or a normal file exists, the parts of a path, and free space.
//
// None of these lets an error out: each turns a failure into its negative
// answer (absent, no match, read-only, 0 bytes free).
#pragma once

#include <string>
#include <string_view>

#include "engine/run_context.h"

namespace tidewell {

// The first character of the path followed by ":" ("c: [SYSTEM]" and
// "c:\Windows" both give "c:"). An empty path stands for the current folder.
std::string DriveSpec(std::string_view path, const platform::DriveTable& drives);

// Everything after the first ":", with a "\" put in front and at the end
// when missing ("C:\Windows" gives "\Windows\", "C:" gives "\"). An empty
// path stands for the current folder (looked up on `drives`).
std::string FolderSpec(std::string_view path, const platform::DriveTable& drives);

// True when the file, folder or drive ("a:") answers a query for its
// attributes; false for an empty path and on any error.
bool PathExists(RunContext& context, std::string_view path);

// True when some normal file (not hidden, not system, not a folder) matches
// the pattern, e.g. "c:\WINDOWS\TEMP\*.TMP"; false for an empty pattern and
// on any error. A pattern without a folder part looks in the current folder.
bool NormalFileExists(RunContext& context, std::string_view pattern);

// The write test: creates "\$$$$$$$$.$$$" in the drive's root (replacing a
// file of that name) and deletes it again. True, "read-only", when the file
// could not be created.
bool DriveIsReadOnly(RunContext& context, std::string_view drive);

// Free bytes on the drive's volume as a single-precision number (the exact
// count rounded to 24 significant bits); 0 on any failure.
float DriveFreeBytes(RunContext& context, std::string_view drive);

// The drive list's change handler: checks that the selected drive answers and
// can be written, tells the user through "Drive Error" messages when not, and
// falls back to drive C. Skips its tests while SuppressEvents is set.
void CheckSelectedDrive(RunContext& context);

}  // namespace tidewell
