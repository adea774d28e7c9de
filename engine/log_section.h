// Opening and closing a drive's section of the deletion log, and writing its
// item lines, with the run's own options, clock, locale and figures.
#pragma once

#include <string_view>
#include <system_error>

#include "engine/run_context.h"

namespace tidewell {

// Opens the log (Tidewell.log in the records folder) for appending and writes
// the section header for `drive`, as a test run or a destructive run by the
// test-run option at this moment. The caller decides whether logging is on.
// Fails, with nothing left open, when the file cannot be opened or written.
std::error_code OpenLogSection(RunContext& context, std::string_view drive);

// Writes the count line ("<totalFiles as #,##0> files DELETED") and closes.
// In a test run this also writes the lines still held in the log's buffer,
// so a full disk may first show here.
std::error_code CloseLogSection(RunContext& context);

// Writes one item line when a section is open (nothing otherwise). A line
// that cannot be written (disk full) throws RecordsError: the run stops
// rather than go on removing files it can no longer account for. A
// destructive run writes each line at once; a test run buffers up to 64 KiB
// of lines (DeletionLog), so its failure comes with the write of the buffer,
// up to 64 KiB of lines later.
void WriteLogItem(RunContext& context, LogItem item, std::string_view path);

}  // namespace tidewell
