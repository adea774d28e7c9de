// The cleaning run: what "&Clean HD" (and the unattended start) does, from
// locking the window to its last figures, for the selected drive or for every
// drive from C to Z.
//
// RunCleaning locks the controls, stores "LastCleanup", picks the drives and
// hands each to CleanDrive; a destructive all-drives run leaves out the
// drives the user did not name (RunConfig::driveNamed), which the front
// end tells. CleanDrive takes one drive through its report
// start block, the analysis (every folder listed), the deletion log's
// section, the rule table, and the report's end block, keeping the user
// informed through RunFeedback only.
//
// When a record file cannot be written (the report or the log: a read-only
// folder, a full disk), the drive is abandoned at that step with the log
// closed as it stands, the user gets one message naming the file and the
// reason, and an all-drives run stops there too (the next drive would fail
// the same way). The run then ends as every run does: window restored,
// controls unlocked, or the program ended when it was asked to exit.
#pragma once

#include <string_view>

#include "engine/run_context.h"

namespace tidewell {

enum class RunResult {
  Finished,           // every drive the run chose was cleaned
  RecordsNotWritten,  // a drive was abandoned because its records failed
};

// The program's exit status for a run's result: 0, or 3 when the records
// could not be written.
int ExitStatusOf(RunResult result);

// The whole run. Returns only when the program is not to end (neither
// "&Automatically exit" nor "/U"); otherwise it ends through ExitProgram.
RunResult RunCleaning(RunContext& context);

// One drive ("c:"). False when it was abandoned for its records; the user
// has then been told.
bool CleanDrive(RunContext& context, std::string_view drive);

// The program's one way out: closes the deletion log if it is open (with
// what it holds; a section cut short has no count line), tells the front
// end of the drive under way, if any (DriveEnd::Interrupted, with its
// figures so far), closes the sound device and ends the program with
// `exitStatus`. Never returns.
[[noreturn]] void ExitProgram(RunContext& context, int exitStatus = 0);

}  // namespace tidewell
