// The result check: a destructive run must remove exactly what a test run of
// the same tree says it would remove and log the same item lines, each as
// often (a test run treats what it chose as gone, so it names a file once, as
// the destructive run deletes it once), and each run's totals must be those
// of the files its log lists, which makes them the same. The bench runs both
// once after its timed repetitions; any difference is a fault (a fast path
// that changes results, for instance).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::bench {

// What one run of tidewell-cli left behind: its deletion log's item lines
// ("Delete file: ..." and "Remove folder: ...", without the line end) in
// the order written, and its totals from the --json summary (missing when it
// printed none).
struct RunTotals {
  long long files = 0;
  long long bytes = 0;
  bool finished = false;
  bool operator==(const RunTotals&) const = default;
};
struct RunResult {
  std::vector<std::string> logItems;
  std::optional<RunTotals> totals;
};

// Reads a run's records: the deletion log at `logPath` and the --json output
// at `jsonPath` (one drive). A missing file reads as empty.
RunResult ReadRunResult(const std::string& logPath, const std::string& jsonPath);

// Every entry below `root` (files, links and folders, never following a
// link), as paths relative to `root` with '/' between the names, with its
// length in bytes (a link's own length; 0 for a folder).
using TreeListing = std::map<std::string, std::int64_t>;
TreeListing ListTree(const std::string& root);

// The tree-relative host path a log item names ("Delete file: c:\A\b.tmp"
// gives "A/b.tmp"), or "" when the line is no item of a drive.
std::string ItemPath(const std::string& itemLine);

// The totals a run that wrote `logItems` on the tree `before` reports: one
// file and its length for each "Delete file" line, added up in log order in
// single precision as the cleaner keeps them (finished set).
RunTotals LoggedTotals(const std::vector<std::string>& logItems, const TreeListing& before);

// Compares a test run with a destructive run of a copy of the same tree:
// `before` lists the tree, `after` the copy once the destructive run is done.
// Returns one paragraph per kind of difference (what differs, a few
// examples); empty when the runs agree.
std::vector<std::string> CompareRuns(const RunResult& testRun, const RunResult& destructiveRun,
                                     const TreeListing& before, const TreeListing& after);

}  // namespace tidewell::bench
