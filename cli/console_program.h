// tidewell-cli: one cleaning run with the stored preferences, as the window's
// "&Clean HD" would run it, for scripts, timers and headless machines.
//
// Start-up is the program session's, the window's own (see
// session/program_session.h), so the store a first start leaves is the one
// the window would leave. The run reads copies of the boxes, which the
// command line's options change for this run only. The run itself stores
// only what a run stores ("LastCleanup" and the "Info" figures).
//
// Decisions of the console's own:
//   - The drive check runs for the drive asked for with --drive (else the
//     current drive). Where the window would fall back to drive C, the console
//     cleans nothing and exits 1: a script that named a drive must never have
//     another one cleaned instead. An all-drives run checks each drive itself
//     and skips the start-up check.
//   - The test-mode notice is printed, not waited for, when this run is a
//     test run.
//   - -h, --help, -V and the build's hidden --completion print and exit 0
//     before anything else is read. --drives reads only the drive table (the
//     session's constructor: TIDEWELL_DRIVES, the store's [Drives], else
//     discovery), prints it (cli/drive_listing.h) with the table's problems
//     on stderr, and exits: 0, or 1 when no drive is mapped; it writes
//     nothing, not even a first store.
//   - Bad usage exits 2 with one line on stderr, before the store is read,
//     so it creates and changes nothing; a --drive letter that no drive maps
//     is found once the drive table is read, and also exits 2 with nothing
//     written.
//   - A settings file that exists but cannot be read (no permission, over
//     1 MiB, not a regular file) holds the keep list and the age limit and
//     may name the drives: whatever names the drives (TIDEWELL_DRIVES
//     included), the console says which file and why, cleans nothing and
//     exits 1 before it reads or writes anything else.
//   - A failed drive check is reported with the drive that was checked (the
//     one asked for), not the drive the list fell back to.
//   - Named drives: --drive X: names X for this run; TIDEWELL_DRIVES and
//     [Drives] name theirs. The console's own drive (the working folder's,
//     else C), when it was only found on the host (a Wine prefix, a mounted
//     volume) and not named, is refused for a destructive run before it is
//     even checked: one line says which drive, where it was found and how to
//     name it (--drive C:), exit 1. A scheduled or scripted destructive run
//     must say what it cleans; the working folder of a timer or of a shell
//     is no choice. A test run goes on as before. --all-drives --delete
//     cleans the named drives and prints one line for each found drive it
//     leaves out.
//   - Ctrl+C during start-up ends it with status 130 and one line on
//     stderr, no summary; after it, the summary tells the interrupted drive
//     with its figures.
//   - SIGPIPE is ignored: a closed stdout never ends a run half-way; the
//     lines that cannot be printed are dropped.
//   - Each problem of the drive table (a refused TIDEWELL_DRIVES or [Drives]
//     entry) is printed as one line on stderr; the run goes on with the
//     drives that were accepted. In an all-drives run a drive mapped to A or
//     B is named as left out, since such a run cleans C to Z.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

namespace tidewell::cli {

// Runs the console program with its arguments (without the program's name)
// and returns the exit status.
int RunConsole(std::span<const std::string_view> arguments, std::FILE* out, std::FILE* err);

}  // namespace tidewell::cli
