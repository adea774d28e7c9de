#include "bench/result_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace tidewell::bench {

namespace {

constexpr std::string_view kDeleteFile = "Delete file: ";
constexpr std::string_view kRemoveFolder = "Remove folder: ";

// The whole number after `"key":` in a JSON line, if there is one.
std::optional<long long> JsonNumber(const std::string& line, const std::string& key) {
  const std::size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return std::nullopt;
  const char* start = line.c_str() + at + key.size() + 3;
  char* end = nullptr;
  const long long value = std::strtoll(start, &end, 10);
  if (end == start) return std::nullopt;
  return value;
}

// Adds a paragraph for `paths` (when there are any): the headline with their
// number and the first few of them.
void Describe(std::vector<std::string>& differences, const std::vector<std::string>& paths,
              const std::string& headline) {
  if (paths.empty()) return;
  constexpr std::size_t kExamples = 5;
  std::string text = std::to_string(paths.size()) + " " + headline + ":";
  for (std::size_t i = 0; i < std::min(paths.size(), kExamples); ++i) text += "\n    " + paths[i];
  if (paths.size() > kExamples) text += "\n    ...";
  differences.push_back(text);
}

std::vector<std::string> Missing(const std::set<std::string>& from, const std::set<std::string>& in) {
  std::vector<std::string> result;
  std::set_difference(from.begin(), from.end(), in.begin(), in.end(), std::back_inserter(result));
  return result;
}

// The lines of `from` that `in` does not hold as often (both sorted): a line
// written twice in one log and once in the other is one difference.
std::vector<std::string> MissingLines(const std::vector<std::string>& from, const std::vector<std::string>& in) {
  std::vector<std::string> result;
  std::set_difference(from.begin(), from.end(), in.begin(), in.end(), std::back_inserter(result));
  return result;
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::set<std::string> Names(const TreeListing& tree) {
  std::set<std::string> names;
  for (const auto& [name, length] : tree) names.insert(names.end(), name);
  return names;
}

std::string TotalsText(const std::optional<RunTotals>& totals) {
  if (!totals) return "no --json summary";
  return std::to_string(totals->files) + " files, " + std::to_string(totals->bytes) + " bytes" +
         (totals->finished ? "" : ", not finished");
}

// Checks a run's reported totals against those of its own log.
void CheckTotals(std::vector<std::string>& differences, const std::string& run, const RunResult& result,
                 const TreeListing& before) {
  const RunTotals logged = LoggedTotals(result.logItems, before);
  if (result.totals && *result.totals == logged) return;
  differences.push_back("the " + run + "'s totals (" + TotalsText(result.totals) +
                        ") are not those of the files its log lists (" + TotalsText(logged) + ")");
}


}  // namespace

RunResult ReadRunResult(const std::string& logPath, const std::string& jsonPath) {
  RunResult result;
  std::ifstream log(logPath, std::ios::binary);
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with(kDeleteFile) || line.starts_with(kRemoveFolder)) result.logItems.push_back(line);
  }
  std::ifstream json(jsonPath);
  std::string line;
  std::getline(json, line);
  const std::optional<long long> files = JsonNumber(line, "filesDeleted");
  const std::optional<long long> bytes = JsonNumber(line, "bytesSaved");
  if (files && bytes) result.totals = RunTotals{*files, *bytes, line.find("\"finished\":true") != std::string::npos};
  return result;
}

TreeListing ListTree(const std::string& root) {
  TreeListing entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    struct stat facts {};
    const std::int64_t length =
        lstat(it->path().c_str(), &facts) == 0 && !S_ISDIR(facts.st_mode) ? facts.st_size : 0;
    // Lexically: resolving the path would name a link by its target.
    entries.emplace(it->path().lexically_relative(root).generic_string(), length);
  }
  return entries;
}

RunTotals LoggedTotals(const std::vector<std::string>& logItems, const TreeListing& before) {
  float files = 0;
  float bytes = 0;
  for (const std::string& item : logItems) {
    if (!item.starts_with(kDeleteFile)) continue;
    const auto entry = before.find(ItemPath(item));
    if (entry != before.end()) bytes = static_cast<float>(static_cast<double>(bytes) + entry->second);
    files = static_cast<float>(static_cast<double>(files) + 1.0);
  }
  return RunTotals{std::llround(files), std::llround(bytes), true};
}

std::string ItemPath(const std::string& itemLine) {
  std::string_view rest = itemLine;
  if (rest.starts_with(kDeleteFile)) rest.remove_prefix(kDeleteFile.size());
  else if (rest.starts_with(kRemoveFolder)) rest.remove_prefix(kRemoveFolder.size());
  else return "";
  // "c:\" and the path below the drive's root, a folder perhaps with a
  // closing backslash.
  if (rest.size() < 4 || rest[1] != ':' || rest[2] != '\\') return "";
  std::string path(rest.substr(3));
  while (!path.empty() && path.back() == '\\') path.pop_back();
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::vector<std::string> CompareRuns(const RunResult& testRun, const RunResult& destructiveRun,
                                     const TreeListing& beforeRun, const TreeListing& afterRun) {
  std::vector<std::string> differences;
  // Compared line for line, each as often as written, but not in order: the
  // destructive run works on a copy, whose folders may list their entries
  // in another order.
  const std::vector<std::string> testLines = Sorted(testRun.logItems);
  const std::vector<std::string> destructiveLines = Sorted(destructiveRun.logItems);
  Describe(differences, MissingLines(testLines, destructiveLines),
           "item lines in the test run's log but not (as often) in the destructive run's");
  Describe(differences, MissingLines(destructiveLines, testLines),
           "item lines in the destructive run's log but not (as often) in the test run's");
  const std::set<std::string> testItems(testLines.begin(), testLines.end());
  CheckTotals(differences, "test run", testRun, beforeRun);
  CheckTotals(differences, "destructive run", destructiveRun, beforeRun);
  const std::set<std::string> before = Names(beforeRun);
  const std::set<std::string> after = Names(afterRun);
  std::set<std::string> listed;
  std::vector<std::string> unknown;
  for (const std::string& item : testItems) {
    const std::string path = ItemPath(item);
    if (before.contains(path)) listed.insert(path);
    else unknown.push_back(item);
  }
  Describe(differences, unknown, "item lines of the test run's log name nothing in the tree");
  std::vector<std::string> stayed;
  std::set_intersection(listed.begin(), listed.end(), after.begin(), after.end(), std::back_inserter(stayed));
  Describe(differences, stayed, "entries the test run's log lists are still there after the destructive run");
  std::set<std::string> kept;
  std::set_difference(before.begin(), before.end(), listed.begin(), listed.end(), std::inserter(kept, kept.end()));
  Describe(differences, Missing(kept, after), "entries the test run's log does not list are gone");
  Describe(differences, Missing(after, before), "entries appeared that were not in the tree");
  return differences;
}

}  // namespace tidewell::bench
