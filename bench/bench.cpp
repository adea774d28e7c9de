// tidewell-bench: times tidewell-cli against a bare directory walk on one
// synthetic Windows-style drive, and prints a table of medians, ranges,
// ratios and peak memory.
//
// In one run, on the same warm tree, it alternates repetitions of:
//   find TREE -type f -iname '*.tmp'                  (the floor: one read of every folder)
//   tidewell-cli --test, default selection
//   tidewell-cli --test --select all
//   tidewell-cli --test, default selection, "Optimize performance" on
//   tidewell-cli --delete on a fresh copy of the tree (the copy is not timed)
//   find COPY -type f -iname '*.tmp' -delete on a fresh copy
// Wall time comes from the monotonic clock around each child; peak memory is
// the child's maximum resident set (wait4).
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>


namespace fs = std::filesystem;
extern char** environ;

namespace {

struct Sample {
  double seconds = 0;
  long maxRssKb = 0;
  int status = 0;
};

struct Options {
  struct {
    long folders = 10000;
    long files = 100000;
    unsigned seed = 1;
    int maxDepth = 7;
    int junkPercent = 20;
  } drive;
  int repetitions = 5;
  int destructiveRepetitions = 3;
  std::string work;
  std::string cli;
  std::string generator;
  bool keep = false;
};

// Runs a program with extra environment, stdout and stderr to `output`
// (or /dev/null), and measures it.
Sample Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
           const std::string& output = "/dev/null") {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // posix_spawn starts the child without a copy of this process's memory,
  // so its peak resident set is its own.
  std::vector<std::string> childEnvironment = environment;
  for (char** e = environ; *e != nullptr; ++e) childEnvironment.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : childEnvironment) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return Sample{0, 0, 127};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Sample sample;
  sample.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  sample.maxRssKb = usage.ru_maxrss;
  sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return sample;
}

void Quiet(const std::vector<std::string>& argv) { Run(argv, {}); }

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
               "usage: tidewell-bench [--folders N] [--files M] [--seed S] [--depth D] [--junk-percent P]\n"
               "                      [--reps R] [--destructive-reps R] [--work DIR] [--cli PATH] [--keep]\n");
  return 2;
}

void WriteStore(const std::string& configHome, bool optimise) {
  fs::create_directories(configHome + "/Tidewell");
  std::ofstream(configHome + "/Tidewell/Tidewell.ini")
      << "[Preferences]\nOptimizePerformance=" << (optimise ? 1 : 0) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    bool ok = true;
    if (a == "--keep") options.keep = true;
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
  if (options.cli.empty()) {
    options.cli = (fs::path(fs::read_symlink("/proc/self/exe")).parent_path().parent_path() / "cli/tidewell-cli").string();
  }
  const fs::path buildFolder = fs::path(fs::read_symlink("/proc/self/exe")).parent_path().parent_path();
  options.generator = (buildFolder / "tools/tidewell-make-demo-drive").string();
  if (!fs::exists(options.generator)) return Usage(("no generator at " + options.generator).c_str());
  if (!fs::exists(options.cli)) return Usage(("no tidewell-cli at " + options.cli + " (use --cli)").c_str());
  if (options.work.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    options.work = std::string(tmp != nullptr ? tmp : "/tmp") + "/tidewell-bench-" + std::to_string(getpid());
  }
  const std::string tree = options.work + "/tree";
  const std::string copy = options.work + "/copy";
  const std::string program = options.work + "/program";
  const std::string config = options.work + "/config";
  fs::create_directories(program);
  fs::copy_file(options.cli, program + "/tidewell-cli", fs::copy_options::overwrite_existing);
  const std::string cli = program + "/tidewell-cli";

  std::printf("Generating %ld folders, %ld files (seed %u, depth %d, %d%% junk) in %s ...\n", options.drive.folders,
              options.drive.files, options.drive.seed, options.drive.maxDepth, options.drive.junkPercent,
              tree.c_str());
  std::fflush(stdout);
  // The drive is written by the generator in a process of its own, so this
  // process stays small: a child's peak resident set counts its parent's
  // at the time it was started.
  const Sample generated = Run({options.generator, "--folders", std::to_string(options.drive.folders), "--files",
                                std::to_string(options.drive.files), "--seed", std::to_string(options.drive.seed),
                                "--depth", std::to_string(options.drive.maxDepth), "--junk-percent",
                                std::to_string(options.drive.junkPercent), tree},
                               {});
  if (generated.status != 0) {
    std::fprintf(stderr, "tidewell-bench: the generator failed (status %d) writing %s\n", generated.status,
                 tree.c_str());
    return 1;
  }
  const std::vector<std::string> onTree = {"TIDEWELL_DRIVES=C=" + tree, "XDG_CONFIG_HOME=" + config, "LC_ALL=C"};
  const std::vector<std::string> onCopy = {"TIDEWELL_DRIVES=C=" + copy, "XDG_CONFIG_HOME=" + config, "LC_ALL=C"};
  const std::vector<std::string> findTree = {"find", tree, "-type", "f", "-iname", "*.tmp"};
  Quiet(findTree);  // warm the caches
  Run(findTree, {}, options.work + "/tmp-files.txt");
  long tmpFiles = 0;
  {
    std::ifstream list(options.work + "/tmp-files.txt");
    for (std::string line; std::getline(list, line);) ++tmpFiles;
  }

  // The files a destructive run removes, as a test run logs them, for the
  // baseline that deletes exactly those with find.
  const std::string exactList = options.work + "/removed-files.list";
  long exactFiles = 0;
  {
    WriteStore(config, false);
    fs::remove(program + "/Tidewell.log");
    Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree);
    std::ifstream log(program + "/Tidewell.log", std::ios::binary);
    std::vector<std::string> paths;
    for (std::string line; std::getline(log, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.starts_with("Delete file: c:\\")) continue;
      std::string relative = line.substr(16);
      std::replace(relative.begin(), relative.end(), '\\', '/');
      paths.push_back(relative);
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    std::ofstream list(exactList, std::ios::binary);
    for (const std::string& path : paths) list << copy << '/' << path << '\0';
    exactFiles = static_cast<long>(paths.size());
  }

  std::map<std::string, std::vector<Sample>> samples;
  const char* names[] = {"find -iname '*.tmp'", "test run, default", "test run, Select All",
                         "test run, default, optimise on", "destructive run", "find -delete",
                         "find -delete, the same files"};
  auto clearRecords = [&] {
    fs::remove(program + "/Tidewell.log");
    fs::remove(program + "/Tidewell.txt");
  };
  for (int rep = 0; rep < options.repetitions; ++rep) {
    std::printf("repetition %d of %d\n", rep + 1, options.repetitions);
    std::fflush(stdout);
    samples[names[0]].push_back(Run(findTree, {}));
    WriteStore(config, false);
    clearRecords();
    samples[names[1]].push_back(Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree));
    clearRecords();
    samples[names[2]].push_back(Run({cli, "--test", "--quiet", "--drive", "C:", "--select", "all"}, onTree));
    WriteStore(config, true);
    clearRecords();
    samples[names[3]].push_back(Run({cli, "--test", "--quiet", "--drive", "C:"}, onTree));
    WriteStore(config, false);
    clearRecords();
  }
  long removedByRun = 0;
  for (int rep = 0; rep < options.destructiveRepetitions; ++rep) {
    std::printf("destructive repetition %d of %d\n", rep + 1, options.destructiveRepetitions);
    std::fflush(stdout);
    fs::remove_all(copy);
    Quiet({"cp", "-a", tree, copy});
    Quiet({"find", copy, "-type", "f"});  // warm the copy as the tree is warm
    clearRecords();
    samples[names[4]].push_back(
        Run({cli, "--delete", "--no-log", "--json", "--drive", "C:"}, onCopy, options.work + "/destructive.json"));
    std::ifstream json(options.work + "/destructive.json");
    std::string line;
    std::getline(json, line);
    if (const std::size_t at = line.find("\"filesDeleted\":"); at != std::string::npos) {
      removedByRun = std::atol(line.c_str() + at + 15);
    }
    fs::remove_all(copy);
    Quiet({"cp", "-a", tree, copy});
    Quiet({"find", copy, "-type", "f"});
    samples[names[5]].push_back(Run({"find", copy, "-type", "f", "-iname", "*.tmp", "-delete"}, {}));
    fs::remove_all(copy);
    Quiet({"cp", "-a", tree, copy});
    Quiet({"find", copy, "-type", "f"});
    samples[names[6]].push_back(
        Run({"find", "-files0-from", exactList, "-maxdepth", "0", "-type", "f", "-delete"}, {}));
  }
  fs::remove_all(copy);

  auto median = [&](const char* name) {
    std::vector<double> seconds;
    for (const Sample& s : samples[name]) seconds.push_back(s.seconds);
    return Median(seconds);
  };
  std::printf("\n%ld folders, %ld files (%ld named *.tmp); %d repetitions, %d destructive\n\n",
              options.drive.folders, options.drive.files, tmpFiles, options.repetitions, options.destructiveRepetitions);
  std::printf("%-32s %9s %17s %7s %10s %s\n", "run", "median s", "min-max s", "ratio", "max RSS", "exit");
  for (const char* name : names) {
    const std::vector<Sample>& runs = samples[name];
    double low = 1e9, high = 0;
    long rss = 0;
    int worstStatus = 0;
    for (const Sample& s : runs) {
      low = std::min(low, s.seconds);
      high = std::max(high, s.seconds);
      rss = std::max(rss, s.maxRssKb);
      worstStatus = std::max(worstStatus, s.status);
    }
    const bool destructive = std::string(name) == names[4] || std::string(name) == names[5];
    const bool exact = std::string(name) == names[6];
    const double base = median(exact ? names[6] : destructive ? names[5] : names[0]);
    std::printf("%-32s %9.3f %8.3f-%-8.3f %6.2fx %7.1f MB %d\n", name, median(name), low, high,
                base > 0 ? median(name) / base : 0.0, static_cast<double>(rss) / 1024.0, worstStatus);
  }
  std::printf("\nratios: test runs against find -iname, the destructive run against find -delete.\n");
  std::printf("files removed: destructive run %ld (every default category), find -delete %ld (*.tmp only),\n"
              "find -delete, the same files %ld (the files a test run logs)\n",
              removedByRun, tmpFiles, exactFiles);
  // find cannot walk a tree and delete an arbitrary set of files in one go,
  // so the same-files baseline is its walk plus its deletion of that set.
  const double walkAndDelete = median(names[0]) + median(names[6]);
  std::printf("destructive run against find's walk plus find -delete of the same files (%.3f s): %.2fx\n",
              walkAndDelete, median(names[4]) / std::max(1e-9, walkAndDelete));
  std::printf("optimise on vs off (default selection): %+.1f%%\n",
              100.0 * (median(names[1]) / std::max(1e-9, median(names[3])) - 1.0));
  if (!options.keep) fs::remove_all(options.work);
  return 0;
}
