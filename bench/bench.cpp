// tidewell-bench: times tidewell-cli against bare directory walks on one
// synthetic Windows-style drive, prints a table of medians, ranges, ratios
// and peak memory, and then checks that a destructive run removes exactly
// what a test run says it would.
//
// In one run, on the same tree, it alternates repetitions of:
//   find TREE -type f -iname '*.tmp'                  (the floor: one read of every folder)
//   bfs and fd doing the same walk, when they are installed
//   tidewell-cli --test, default selection
//   tidewell-cli --test --select all
//   tidewell-cli --test, default selection, "Optimize performance" on
//   tidewell-cli --delete on a fresh copy of the tree (the copy is not timed)
//   find COPY -type f -iname '*.tmp' -delete on a fresh copy
//   find -delete of exactly the files a test run logs, on a fresh copy
// Warm (the default), every timed run finds the tree in the caches; with
// --cold the page cache is dropped before each one. Wall time comes from the
// monotonic clock around each child; peak memory is the child's maximum
// resident set (wait4). Exit status: 0 done and the results agree, 1 a
// difference in the results or a failure, 2 bad usage.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "bench/page_cache.h"
#include "bench/result_check.h"

namespace fs = std::filesystem;
using tidewell::bench::Quiet;
using tidewell::bench::Run;
using tidewell::bench::Sample;

namespace {

struct Options {
  struct {
    long folders = 10000;
    long files = 100000;
    unsigned seed = 1;
    int maxDepth = 7;
    int junkPercent = 20;
    bool sparse = false;  // files get their lengths as holes (--sparse)
  } drive;
  int repetitions = 5;
  int destructiveRepetitions = 3;
  std::string work;
  std::string cli;
  std::string generator;
  bool keep = false;
  bool cold = false;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

template <typename Number>
bool ParseNumber(const char* text, Number& value) {
  const char* end = text + std::char_traits<char>::length(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end;
}

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "tidewell-bench: %s\n", problem);
  std::fprintf(stderr,
               "usage: tidewell-bench [--folders N] [--files M] [--seed S] [--depth D] [--junk-percent P] [--sparse]\n"
               "                      [--reps R] [--destructive-reps R] [--work DIR] [--cli PATH] [--cold] [--keep]\n");
  return 2;
}

void WriteStore(const std::string& configHome, bool optimise) {
  fs::create_directories(configHome + "/Tidewell");
  std::ofstream(configHome + "/Tidewell/Tidewell.ini")
      << "[Preferences]\nOptimizePerformance=" << (optimise ? 1 : 0) << "\n";
}

long CountLines(const std::string& path) {
  std::ifstream in(path);
  long lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

// The same walk as `find TREE -type f -iname '*.tmp'` in the other walkers:
// every file, hidden and ignored ones included, no link followed.
std::vector<std::string> BfsWalk(const std::string& bfs, const std::string& tree) {
  return {bfs, tree, "-type", "f", "-iname", "*.tmp"};
}
std::vector<std::string> FdWalk(const std::string& fd, const std::string& tree) {
  return {fd, "--unrestricted", "--type", "f", "--glob", "--ignore-case", "*.tmp", tree};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    bool ok = true;
    if (a == "--keep") options.keep = true;
    else if (a == "--cold") options.cold = true;
    else if (a == "--sparse") options.drive.sparse = true;
    else if (!hasValue) return Usage(("unknown option or missing value: " + a).c_str());
    else if (a == "--folders") ok = ParseNumber(argv[++i], options.drive.folders);
    else if (a == "--files") ok = ParseNumber(argv[++i], options.drive.files);
    else if (a == "--seed") ok = ParseNumber(argv[++i], options.drive.seed);
    else if (a == "--depth") ok = ParseNumber(argv[++i], options.drive.maxDepth);
    else if (a == "--junk-percent") ok = ParseNumber(argv[++i], options.drive.junkPercent);
    else if (a == "--reps") ok = ParseNumber(argv[++i], options.repetitions);
    else if (a == "--destructive-reps") ok = ParseNumber(argv[++i], options.destructiveRepetitions);
    else if (a == "--work") options.work = argv[++i];
    else if (a == "--cli") options.cli = argv[++i];
    else return Usage(("unknown option " + a).c_str());
    if (!ok) return Usage(("bad number for " + a).c_str());
  }
  const fs::path buildFolder = fs::path(fs::read_symlink("/proc/self/exe")).parent_path().parent_path();
  if (options.cli.empty()) options.cli = (buildFolder / "cli/tidewell-cli").string();
  options.generator = (buildFolder / "tools/tidewell-make-demo-drive").string();
  if (!fs::exists(options.generator)) return Usage(("no generator at " + options.generator).c_str());
  if (!fs::exists(options.cli)) return Usage(("no tidewell-cli at " + options.cli + " (use --cli)").c_str());
  if (options.work.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    options.work = std::string(tmp != nullptr ? tmp : "/tmp") + "/tidewell-bench-" + std::to_string(getpid());
  }
  // The whole work folder is removed at the end, so it must be the bench's
  // own: a new folder or an empty one.
  {
    std::error_code error;
    if (fs::exists(fs::symlink_status(options.work)) &&
        (!fs::is_directory(fs::symlink_status(options.work)) || !fs::is_empty(options.work, error) || error)) {
      return Usage(("the work folder " + options.work +
                    " is not a new or empty folder (the bench removes it at the end)").c_str());
    }
  }
  const std::string tree = options.work + "/tree";
  const std::string copy = options.work + "/copy";
  const std::string program = options.work + "/program";
  const std::string config = options.work + "/config";
  fs::create_directories(program);

  // Cold figures only where the caches can really be emptied: never print
  // warm figures under a cold heading.
  if (options.cold) {
    if (const std::string memory = tidewell::bench::InMemoryFileSystem(options.work); !memory.empty()) {
      std::fprintf(stderr,
                   "tidewell-bench: %s is on %s, which lives in the page cache; --cold needs a --work folder on "
                   "a disk (for instance under /var/tmp)\n",
                   options.work.c_str(), memory.c_str());
      fs::remove_all(options.work);
      return 1;
    }
    if (const std::string problem = tidewell::bench::DropPageCache(); !problem.empty()) {
      std::fprintf(stderr, "tidewell-bench: --cold cannot drop the page cache (%s); it needs root\n",
                   problem.c_str());
      fs::remove_all(options.work);
      return 1;
    }
  }
  fs::copy_file(options.cli, program + "/tidewell-cli", fs::copy_options::overwrite_existing);
  const std::string cli = program + "/tidewell-cli";

  std::printf("Generating %ld folders, %ld files (seed %u, depth %d, %d%% junk) in %s ...\n", options.drive.folders,
              options.drive.files, options.drive.seed, options.drive.maxDepth, options.drive.junkPercent,
              tree.c_str());
  std::fflush(stdout);
  // The drive is written by the generator in a process of its own, so this
  // process stays small: a child's peak resident set counts the largest
  // this process has been when the child was started.
  std::vector<std::string> generate = {options.generator, "--folders", std::to_string(options.drive.folders),
                                       "--files", std::to_string(options.drive.files), "--seed",
                                       std::to_string(options.drive.seed), "--depth",
                                       std::to_string(options.drive.maxDepth), "--junk-percent",
                                       std::to_string(options.drive.junkPercent)};
  if (options.drive.sparse) generate.push_back("--sparse");
  generate.push_back(tree);
  const Sample generated = Run(generate, {});
  if (generated.status != 0) {
    std::fprintf(stderr, "tidewell-bench: the generator failed (status %d) writing %s\n", generated.status,
                 tree.c_str());
    return 1;
  }
  const std::vector<std::string> onTree = {"TIDEWELL_DRIVES=C=" + tree, "XDG_CONFIG_HOME=" + config, "LC_ALL=C"};
  const std::vector<std::string> onCopy = {"TIDEWELL_DRIVES=C=" + copy, "XDG_CONFIG_HOME=" + config, "LC_ALL=C"};
  const std::vector<std::string> findTree = {"find", tree, "-type", "f", "-iname", "*.tmp"};
  const std::string bfs = tidewell::bench::FindOnPath("bfs");
  std::string fd = tidewell::bench::FindOnPath("fdfind");  // Debian's name for fd
  if (fd.empty()) fd = tidewell::bench::FindOnPath("fd");
  Quiet(findTree);  // warm the caches
  Run(findTree, {}, options.work + "/tmp-files.txt");
  const long tmpFiles = CountLines(options.work + "/tmp-files.txt");
  // The other walkers must find the same files, or their times say nothing.
  std::vector<std::string> walkNotes;
  auto checkWalk = [&](const char* name, const std::vector<std::string>& walk) {
    Run(walk, {}, options.work + "/walk-files.txt");
    const long found = CountLines(options.work + "/walk-files.txt");
    if (found != tmpFiles) {
      walkNotes.push_back(std::string(name) + " found " + std::to_string(found) + " files, find " +
                          std::to_string(tmpFiles) + ": its row is not the same walk");
    }
  };
  if (bfs.empty()) walkNotes.push_back("bfs is not installed: its row is left out (apt-get install bfs)");
  else checkWalk("bfs", BfsWalk(bfs, tree));
  if (fd.empty()) walkNotes.push_back("fd is not installed: its row is left out (apt-get install fd-find)");
  else checkWalk("fd", FdWalk(fd, tree));

  auto clearRecords = [&] {
    fs::remove(program + "/Tidewell.log");
    fs::remove(program + "/Tidewell.txt");
  };
  // The files a destructive run removes, as a test run logs them, for the
  // baseline that deletes exactly those with find. The log is streamed and
  // sort drops the files two rules chose twice: a child starts sharing this
  // process's memory, so its peak resident set would count anything large
  // this one ever held.
  const std::string exactList = options.work + "/removed-files.list";
  long exactFiles = 0;
  {
    WriteStore(config, false);
    clearRecords();
    Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree);
    {
      std::ifstream log(program + "/Tidewell.log", std::ios::binary);
      std::ofstream list(exactList, std::ios::binary);
      for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("Delete file: ")) list << copy << '/' << tidewell::bench::ItemPath(line) << '\0';
      }
    }
    Run({"sort", "-z", "-u", "-o", exactList, exactList}, {"LC_ALL=C"});
    std::ifstream list(exactList, std::ios::binary);
    for (std::string path; std::getline(list, path, '\0');) ++exactFiles;
  }

  // Before every timed run: warm, the tree is already in the caches (the
  // fresh copies are read once); cold, every cache is emptied.
  bool cacheDropFailed = false;
  auto ready = [&](const std::string& copied) {
    if (!options.cold) {
      if (!copied.empty()) Quiet({"find", copied, "-type", "f"});
      return;
    }
    if (const std::string problem = tidewell::bench::DropPageCache(); !problem.empty()) {
      std::fprintf(stderr, "tidewell-bench: %s\n", problem.c_str());
      cacheDropFailed = true;
    }
  };
  auto freshCopy = [&] {
    fs::remove_all(copy);
    Quiet({"cp", "-a", tree, copy});
    ready(copy);
  };

  const std::string kFind = "find -iname '*.tmp'", kBfs = "bfs -iname '*.tmp'", kFd = "fd --glob -i '*.tmp'",
                    kDefault = "test run, default", kAll = "test run, Select All",
                    kOptimised = "test run, default, optimise on", kDestructive = "destructive run",
                    kFindDelete = "find -delete", kExact = "find -delete, the same files";
  std::map<std::string, std::vector<Sample>> samples;
  for (int rep = 0; rep < options.repetitions; ++rep) {
    std::printf("repetition %d of %d\n", rep + 1, options.repetitions);
    std::fflush(stdout);
    ready("");
    samples[kFind].push_back(Run(findTree, {}));
    if (!bfs.empty()) {
      ready("");
      samples[kBfs].push_back(Run(BfsWalk(bfs, tree), {}));
    }
    if (!fd.empty()) {
      ready("");
      samples[kFd].push_back(Run(FdWalk(fd, tree), {}));
    }
    WriteStore(config, false);
    clearRecords();
    ready("");
    samples[kDefault].push_back(Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree));
    clearRecords();
    ready("");
    samples[kAll].push_back(Run({cli, "--test", "--quiet", "--drive", "C:", "--select", "all"}, onTree));
    WriteStore(config, true);
    clearRecords();
    ready("");
    samples[kOptimised].push_back(Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree));
    WriteStore(config, false);
    clearRecords();
  }
  long removedByRun = 0;
  for (int rep = 0; rep < options.destructiveRepetitions; ++rep) {
    std::printf("destructive repetition %d of %d\n", rep + 1, options.destructiveRepetitions);
    std::fflush(stdout);
    freshCopy();
    clearRecords();
    samples[kDestructive].push_back(
        Run({cli, "--delete", "--no-log", "--json", "--drive", "C:"}, onCopy, options.work + "/destructive.json"));
    if (const auto totals = tidewell::bench::ReadRunResult("", options.work + "/destructive.json").totals) {
      removedByRun = static_cast<long>(totals->files);
    }
    freshCopy();
    samples[kFindDelete].push_back(Run({"find", copy, "-type", "f", "-iname", "*.tmp", "-delete"}, {}));
    freshCopy();
    samples[kExact].push_back(Run({"find", "-files0-from", exactList, "-maxdepth", "0", "-type", "f", "-delete"}, {}));
  }

  // The result check: one test run of the tree and one destructive run of a
  // fresh copy, both logged, compared item by item and file by file.
  std::printf("result check\n");
  std::fflush(stdout);
  WriteStore(config, false);
  clearRecords();
  Run({cli, "--test", "--log", "--json", "--drive", "C:"}, onTree, options.work + "/check-test.json");
  const tidewell::bench::RunResult testRun =
      tidewell::bench::ReadRunResult(program + "/Tidewell.log", options.work + "/check-test.json");
  fs::remove_all(copy);
  Quiet({"cp", "-a", tree, copy});
  clearRecords();
  Run({cli, "--delete", "--log", "--json", "--drive", "C:"}, onCopy, options.work + "/check-destructive.json");
  const tidewell::bench::RunResult destructiveRun =
      tidewell::bench::ReadRunResult(program + "/Tidewell.log", options.work + "/check-destructive.json");
  const std::vector<std::string> differences = tidewell::bench::CompareRuns(
      testRun, destructiveRun, tidewell::bench::ListTree(tree), tidewell::bench::ListTree(copy));
  fs::remove_all(copy);

  auto median = [&](const std::string& name) {
    std::vector<double> seconds;
    for (const Sample& s : samples[name]) seconds.push_back(s.seconds);
    return Median(seconds);
  };
  std::printf("\n%ld folders, %ld files (%ld named *.tmp); %d repetitions, %d destructive; %s\n\n",
              options.drive.folders, options.drive.files, tmpFiles, options.repetitions,
              options.destructiveRepetitions,
              options.cold ? "cold: page cache dropped before each timed run" : "warm");
  std::printf("%-32s %9s %17s %7s %7s %10s %s\n", "run", "median s", "min-max s", "ratio",
              bfs.empty() ? "" : "vs bfs", "max RSS", "exit");
  const std::vector<std::string> rows = {kFind,      kBfs,         kFd,         kDefault, kAll,
                                         kOptimised, kDestructive, kFindDelete, kExact};
  for (const std::string& name : rows) {
    const std::vector<Sample>& runs = samples[name];
    if (runs.empty()) continue;
    double low = 1e9, high = 0;
    long rss = 0;
    int worstStatus = 0;
    for (const Sample& s : runs) {
      low = std::min(low, s.seconds);
      high = std::max(high, s.seconds);
      rss = std::max(rss, s.maxRssKb);
      worstStatus = std::max(worstStatus, s.status);
    }
    const bool destructive = name == kDestructive || name == kFindDelete;
    const bool walkOrTest = !destructive && name != kExact;
    const double base = median(name == kExact ? kExact : destructive ? kFindDelete : kFind);
    std::string againstBfs;
    if (walkOrTest && !bfs.empty()) {
      char text[16];
      std::snprintf(text, sizeof text, "%6.2fx", median(name) / std::max(1e-9, median(kBfs)));
      againstBfs = text;
    }
    std::printf("%-32s %9.3f %8.3f-%-8.3f %6.2fx %7s %7.1f MB %d\n", name.c_str(), median(name), low, high,
                base > 0 ? median(name) / base : 0.0, againstBfs.c_str(), static_cast<double>(rss) / 1024.0,
                worstStatus);
  }
  std::printf("\nratios: walks and test runs against find -iname%s, the destructive run against find -delete.\n",
              bfs.empty() ? "" : " (and against bfs)");
  for (const std::string& note : walkNotes) std::printf("note: %s\n", note.c_str());
  std::printf("files removed: destructive run %ld (every default category), find -delete %ld (*.tmp only),\n"
              "find -delete, the same files %ld (the files a test run logs)\n",
              removedByRun, tmpFiles, exactFiles);
  // find cannot walk a tree and delete an arbitrary set of files in one go,
  // so the same-files baseline is its walk plus its deletion of that set.
  const double walkAndDelete = median(kFind) + median(kExact);
  std::printf("destructive run against find's walk plus find -delete of the same files (%.3f s): %.2fx\n",
              walkAndDelete, median(kDestructive) / std::max(1e-9, walkAndDelete));
  std::printf("optimise on vs off (default selection): %+.1f%%\n",
              100.0 * (median(kDefault) / std::max(1e-9, median(kOptimised)) - 1.0));
  if (differences.empty()) {
    std::printf("result check: the destructive run removed and logged exactly what the test run listed "
                "(%zu item lines in the test run's log)\n",
                testRun.logItems.size());
  } else {
    std::printf("result check FAILED:\n");
    for (const std::string& difference : differences) std::printf("  %s\n", difference.c_str());
  }
  if (cacheDropFailed) std::printf("the page cache could not always be dropped: these are not cold figures\n");
  if (!options.keep) fs::remove_all(options.work);
  return differences.empty() && !cacheDropFailed ? 0 : 1;
}
