// What each drive of a session is, as the user is shown it: the console's
// --drives and the window's Options > Drives... list the same facts.
//
// A drive's facts are its letter, its label (as the drive list shows it),
// the file system of the volume that holds its folder, where its mapping
// came from (environment, store, Wine prefix, mount, system), whether a
// destructive run may clean it unattended (yes when the environment or the
// store names it; a drive only found is cleaned only once the user names
// it for that run) and its host folder. Nothing is read or written but the
// host's mount table (once) and, for a folder that answers, its device's
// label.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/drive_table.h"
#include "session/program_session.h"

namespace tidewell::session {

struct DriveFacts {
  char letter = 0;
  std::string label;
  std::optional<std::string> fileSystem;  // none when no mount holds the folder
  std::string source;                     // "environment", "store", "Wine prefix", "mount", "system"
  bool unattended = false;                // a destructive run may clean it without being named for the run
  std::string folder;
  platform::DriveSource origin = platform::DriveSource::Environment;  // `source` as a value
};

// The drives of the session's table, in letter order.
std::vector<DriveFacts> DescribeDrives(ProgramSession& program);

// Where a mapping came from, in the words of --drives.
const char* SourceName(platform::DriveSource source);

}  // namespace tidewell::session
