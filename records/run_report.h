// The run report, "Tidewell.txt": the text of its blocks. For every cleaned
// drive the run appends a start block and an end block, each line ending in
// CR LF:
//
//   (empty line)                       start block
//   TIDEWELL III REPORT
//   (TEST RUN ONLY)                    test runs only
//   Tidewell STARTED
//   Monday, December 7, 2026
//   6:38:31 AM
//   Tidewell FINISHED                  end block
//   Monday, December 7, 2026
//   6:41:02 AM
//   Drive C:
//   1,234 files DELETED
//   1,000,000 bytes free before cleaning
//   6,242,880 bytes free after cleaning
//   5,242,880 bytes SAVED (5.00 Megabytes)
//
// Writing, the free-space measurement and the stored figures belong to the
// run (engine/run_report.h); this module only words the lines.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "platform/locale_format.h"
#include "records/run_kind.h"

namespace tidewell {

// The start block's heading lines, up to and including "Tidewell STARTED".
std::string ReportStartLines(RunKind kind);

// "Tidewell FINISHED".
std::string ReportFinishLine();

// The long date, then the long time, each on its own line.
std::string ReportWhenLines(const std::tm& when, const platform::LocaleFormat& locale);

// The drive's figures: the drive (upper-cased), files deleted, free bytes
// before, free bytes after, and bytes saved with their unit text. The figures
// are single precision, like the run's totals, and free bytes after is their
// sum taken in single precision: on a large drive it shows that sum's
// rounding, not an exact byte count.
std::string ReportFigureLines(std::string_view drive, float totalFiles, float totalBytes,
                              float freeBytesBefore, const platform::LocaleFormat& locale);

}  // namespace tidewell
