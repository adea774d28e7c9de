// tidewell-cli --drives: every drive Tidewell would use, one line each,
// as the drive table gives them (TIDEWELL_DRIVES, else [Drives], else what
// is found on this machine), and nothing else read or written.
//
// A line holds the letter, the label (as the drive list shows it), the file
// system of the volume that holds the folder, where the mapping came from
// (environment, store, Wine prefix, mount, system), whether a destructive
// run may clean the drive unattended (yes when the environment or the store
// names it; a drive only found is cleaned by --delete only when --drive
// names it for that run) and the host folder, last, since only it can be
// longer than the line. With --json the same drives are one JSON array.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "session/program_session.h"

namespace tidewell::cli {

struct DriveFacts {
  char letter = 0;
  std::string label;
  std::optional<std::string> fileSystem;  // none when no mount holds the folder
  std::string source;                     // "environment", "store", "Wine prefix", "mount", "system"
  bool unattended = false;                // a destructive run may clean it without --drive
  std::string folder;
};

// The drives of the session's table, in letter order.
std::vector<DriveFacts> DescribeDrives(session::ProgramSession& program);

void PrintDrives(std::FILE* out, const std::vector<DriveFacts>& drives, bool json);

// Where a mapping came from, in the words of --drives.
const char* SourceName(platform::DriveSource source);

}  // namespace tidewell::cli
