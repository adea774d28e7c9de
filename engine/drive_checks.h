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

// True when the path names a normal file: one whose attributes (as the file
// system keeps them) are neither hidden, system nor folder; false when it
// cannot be queried.
bool IsNormalFile(RunContext& context, std::string_view path);

// True when some normal file (IsNormalFile) matches the pattern, e.g.
// "c:\WINDOWS\TEMP\*.TMP"; false for an empty pattern and on any error. A
// pattern without a folder part looks in the current folder. Only the names
// that match are queried for their attributes, up to the first normal one.
bool NormalFileExists(RunContext& context, std::string_view pattern);

// The write test: creates a new empty "\$$$$$$$$.$$$" in the drive's root
// and deletes it again. It never opens, empties or deletes an entry it did
// not create. Any entry already of that name in any case (a file left
// behind, a second link to a file elsewhere, a folder, a link, a FIFO) is
// left as it is and says nothing about the drive: the test is made once more
// under another name, "\$" and seven random hex digits ".$$$" (a few times,
// should that name be taken too). True, "read-only", when no file could be
// created for another reason.
bool DriveIsReadOnly(RunContext& context, std::string_view drive);

// Free bytes on the drive's volume as a single-precision number (the exact
// count rounded to 24 significant bits); 0 on any failure.
float DriveFreeBytes(RunContext& context, std::string_view drive);

enum class DriveCheckResult {
  Passed,   // the selected drive answers and can be written
  Failed,   // it does not: the user was told, and the list moved to drive C
  Skipped,  // SuppressEvents was set
};

// The drive list's change handler: checks that the selected drive answers and
// can be written, tells the user through "Drive Error" messages when not, and
// falls back to drive C. Skips its tests while SuppressEvents is set. The
// result is about the drive that was selected when it was called, whatever
// the check of drive C that a failure starts finds.
DriveCheckResult CheckSelectedDrive(RunContext& context);

}  // namespace tidewell
