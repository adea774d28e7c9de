// Demo drives: a Windows 9x/2000-style drive laid out in a host folder, for
// demonstrations, end-to-end tests and timing runs of the cleaner.
//
// The fixed layout is the same on every run: a dual-boot drive with WINDOWS
// (TEMP, SYSBCKUP, spool, help indexes, stale WIN.BAK / SYSTEM.CB copies next
// to the real WIN.INI and SYSTEM.INI), WINNT, a user profile under
// WINDOWS\Profiles and under "Documents and Settings" (Temporary Internet
// Files, Cookies, History, Recent), RECYCLED and RECYCLER, thumbnail
// databases, installer leftovers, logs and crash dumps, and next to them
// documents, programs, system files and a Vaultkeep folder that must stay.
// Names are spelled as a Windows 98/2000 drive spells them.
//
// Scale mode adds filler until the drive holds exactly the requested number
// of folders and files: a tree of ordinary folders below My Documents,
// Program Files and the 2000 profile's My Documents, holding ordinary files
// with a share of junk from several categories among them. The filler
// depends only on the seed; the fixed layout not at all. Sizes and
// modification times (1999 to 2001) are part of that promise, so two drives
// written with the same DemoDriveRequest are identical.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace tidewell {

// What to write. A count of 0 means "the fixed layout's own count"; any other
// count is the total below the drive's root, fixed layout included, and must
// be at least the fixed layout's.
struct DemoDriveRequest {
  long folders = 0;
  long files = 0;
  unsigned seed = 1;
  int maxDepth = 7;      // filler folders nest at most this deep below their anchor (1 to 64)
  int junkPercent = 20;  // share of filler files that are junk of some category (0 to 100)
  // Files without exact content get their lengths as holes rather than
  // written bytes: the same names, lengths and times, but next to no space
  // or memory used, so that a drive of millions of files fits on a tmpfs.
  // Their content then reads as zero bytes.
  bool sparse = false;
};

// What was (or, for DemoFixedLayoutCounts, would be) written.
struct DemoDriveReport {
  long folders = 0;       // below the root, the root not counted
  long files = 0;
  long long bytes = 0;    // the files' lengths added up
  std::string failedPath; // the host path that could not be written, on failure
};

// The folders, files and bytes of the fixed layout alone.
DemoDriveReport DemoFixedLayoutCounts();

// Writes the drive into `hostRoot`, which is created (with its parents) when
// missing. Refuses an existing folder that is not empty
// (errc::directory_not_empty), a path that is not a folder
// (errc::not_a_directory) and counts below the fixed layout's
// (errc::invalid_argument); none of these writes anything. Any other failure
// stops the writing and leaves what was written so far.
std::error_code WriteDemoDrive(const std::string& hostRoot, const DemoDriveRequest& request,
                               DemoDriveReport* report = nullptr);

// Files of the fixed layout, as "\"-separated paths relative to the root
// ("My Documents\Letter to Bob.doc"), that a destructive run with the default
// category selection leaves in place: documents, programs, system files and
// everything in the Vaultkeep folder.
std::vector<std::string> DemoKeepers();

// Files of the fixed layout that such a run removes.
std::vector<std::string> DemoDefaultJunk();

}  // namespace tidewell
