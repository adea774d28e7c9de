// tidewell-cli --drives: every drive Tidewell would use, one line each,
// as the drive table gives them (TIDEWELL_DRIVES, else [Drives], else what
// is found on this machine), and nothing else read or written. The facts
// come from session/drive_facts.h, which the window's Options > Drives...
// lists too; this file only prints them.
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
#include <vector>

#include "session/drive_facts.h"

namespace tidewell::cli {

using session::DriveFacts;

void PrintDrives(std::FILE* out, const std::vector<DriveFacts>& drives, bool json);

}  // namespace tidewell::cli
