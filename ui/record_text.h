// What the record viewer of either front end shows of a record file.
//
// The deletion log only grows, run after run, and may reach hundreds of MiB.
// The viewer never loads a record whole: it shows at most the last
// kRecordShownBytes (16 MiB), the newest runs, from the first whole line in
// them on, under a first line that says how many bytes at the beginning
// were left out. A smaller record is shown whole, as it is. Reading never
// waits (a FIFO in the record's place is refused with a reason).
#pragma once

#include <cstddef>
#include <string>
#include <system_error>

namespace tidewell::ui {

inline constexpr std::size_t kRecordShownBytes = 16u << 20;

// The bytes to show of the record at `hostPath` (plain or rich text, as
// stored), at most the last `shownBytes` of it; on failure, why it could not
// be read. The limit is the viewer's to choose; the front ends use
// kRecordShownBytes, and tests a smaller one where loading 16 MiB into a
// text box is slow (RichEdit under Wine).
std::error_code ReadShownRecord(const std::string& hostPath, std::string& shown,
                                std::size_t shownBytes = kRecordShownBytes);

}  // namespace tidewell::ui
