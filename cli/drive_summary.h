// The console's final summary: one line per drive the run took on, as text
// or as JSON Lines (one object per line), printed when the run has ended, also
// when it ended through ExitProgram: a drive cut short by Ctrl+C reads
// "Drive C: interrupted: N files deleted, X reclaimed." (in a test run, what
// a destructive run would so far remove), and its JSON object says
// "finished": false with the figures so far. "Deletion log:" (and the JSON's
// "deletionLog") names the log only when this run wrote to it.
//
// Each line names the volume and folder the letter stood for: the text line
// ends with "(LABEL at /host/folder)", the JSON object holds "label" and
// "folder" (after "drive"). The JSON output ends with one totals object,
// also when no drive was cleaned: {"totals": {"drives", "files", "bytes",
// "bytesText"}, "testRun", "finished" (every drive finished, false when
// there was none), "deletionLog", "runReport"}. The totals use their own
// key names, so a reader that looks for "filesDeleted" finds drives only.
// This layout is what scripts read: keys may be added, never renamed,
// removed or moved before "drive".
//
// Each drive's JSON object holds "categories": the buckets of
// engine/category_totals.h that chose at least one file, biggest first, as
// {"name": ..., "files": ..., "bytes": ...} (exact bytes). With `byCategory`
// the text summary follows each drive's line with the same buckets as a
// table: name, caption, files, size in the program's unit texts.
#pragma once

#include <cstdio>
#include <vector>

#include "engine/run_context.h"

namespace tidewell::cli {

class DriveSummaries {
 public:
  // Collects every drive's summary from the runs made with `config` from
  // now on (it sets config.driveFinished).
  explicit DriveSummaries(RunConfig& config);

  void Print(std::FILE* out, bool json, bool byCategory = false) const;

  // True when the run took on no drive at all.
  bool Empty() const { return drives_.empty(); }

 private:
  const RunConfig& config_;
  std::vector<DriveSummary> drives_;
};

// `text` as a JSON string, quotes included. Bytes that are not valid UTF-8
// are written as \u00XX of their value, so the output is always valid JSON.
std::string JsonString(std::string_view text);

}  // namespace tidewell::cli
