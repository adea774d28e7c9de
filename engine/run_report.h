// Writing the run report for one drive, and the "Info" figures of the last
// run in the per-user store.
#pragma once

#include <string_view>

#include "engine/run_context.h"
#include "records/run_report.h"

namespace tidewell {

// Called exactly twice per drive, before its folders are listed and after its
// rules have run; every call flips context.state.report.reportStarted and writes
// the start block (true after the flip) or the end block.
//   start block: heading, date and time; measures the drive's free space into
//                freeBytesBefore, zeroes the run's totals, stores "BytesFree";
//   end block:   "Tidewell FINISHED", date and time, then the drive's figures;
//                stores "BytesSaved" and "FilesDeleted".
// With "&Keep report" off the file is deleted after either block, so no
// report survives a call. The report is open only within the call.
// A report that cannot be written or deleted throws RecordsError; the flag is
// then reset, so the drive's next run starts a fresh pair.
void WriteRunReport(RunContext& context, std::string_view drive);

// The kind of run that "&Test run only" makes at this moment.
RunKind CurrentRunKind(const RunContext& context);

// Stores "LastCleanup" in "Info": the short date and the time, one blank
// between ("12/7/2026 6:38:31 AM").
void StoreLastCleanup(RunContext& context);

}  // namespace tidewell
