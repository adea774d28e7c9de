// What a cleaning run is given and what it keeps while it goes, and the
// small services every part of the engine uses: the bouncing progress bar,
// the yield rule, the command line switch test.
//
// A run's context is two parts: RunConfig, what it is given (the services it
// borrows, its options and categories, filters, folders, clock), which the
// engine only reads; and RunState, what the run changes (totals, progress,
// the report's block state, the open log, a test run's choices). The
// category bucket counted files go to is set by a scoped guard,
// CountingInto.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/category_totals.h"
#include "engine/run_clock.h"
#include "engine/run_feedback.h"
#include "engine/test_run_choices.h"
#include "settings/run_options.h"
#include "platform/host_paths.h"
#include "platform/locale_format.h"
#include "platform/open_files.h"
#include "platform/preferences_store.h"
#include "platform/virtual_file_system.h"
#include "records/deletion_log.h"
#include "records/run_kind.h"
#include "settings/category_catalogue.h"
#include "settings/run_filters.h"

namespace tidewell {

// One drive's figures. Both are single-precision numbers and every addition is
// rounded to single precision, so byte totals above 16,777,216 lose their
// lowest bits exactly as the records show them. Beside them, the same files
// and bytes split by the rows that chose them (category_totals.h).
struct RunTotals {
  float totalBytes = 0.0f;
  float totalFiles = 0.0f;
  CategoryTotals byCategory;

  void Reset() {
    totalBytes = totalFiles = 0.0f;
    byCategory.Reset();
  }
  // Adds a file's length, the exact sum rounded once to single precision.
  void AddBytes(std::int64_t bytes) {
    totalBytes = static_cast<float>(static_cast<double>(totalBytes) + static_cast<double>(bytes));
  }
  void AddFile() { totalFiles = static_cast<float>(static_cast<double>(totalFiles) + 1.0); }
};

// The progress bar's position and direction (false: rising).
struct ProgressState {
  std::int16_t progressPosition = 0;
  bool progressFalling = false;
};

// What the run report keeps from a drive's start block to its end block.
struct ReportState {
  // Flipped by every report call: true after the flip means a start block.
  bool reportStarted = false;
  float freeBytesBefore = 0.0f;
};

// What one drive's run leaves, for front ends that sum up a run (the
// console's final summary).
// How a drive's run ended: its rules ran and its report was written, it
// was abandoned because its records could not be written, or the program
// ended part-way through it (ExitProgram: Ctrl+C, the window's Exit), with
// the figures of what was done until then.
enum class DriveEnd { Finished, Abandoned, Interrupted };

struct DriveSummary {
  std::string drive;  // as the run names it, e.g. "c:"
  RunKind kind = RunKind::Test;  // what the run began as
  DriveEnd end = DriveEnd::Finished;
  RunTotals totals;
  float freeBytesBefore = 0.0f;
  bool logWritten = false;  // this drive's run opened a section of the deletion log
};

// When a drive's walk reads its folders ahead on other threads: once the
// walk's own reads turn out slow (a cold cache), always, or never. What a
// run does is the same in every case.
enum class WalkWarming { WhenSlow, Always, Never };
// When a drive's walk leaves the look-ups of files and the closing of
// folders to a second thread: once the walk is long enough (on a machine
// with more than one processor), always, or never. What a run does is the
// same in every case.
enum class WalkFinishing { WhenLarge, Always, Never };

// What a run is given: the services it borrows (their owners must outlive
// the run) and the program's facts. Its owner (the session, a test) fills it
// in at start-up and may change it between runs, never during one; the
// engine sees it only through RunContext::config, a const reference. The
// borrowed services (file system, feedback, store, the shared event flag)
// are references and pointers to things that do change: const here means
// the run cannot re-point them, not that it cannot use them.
struct RunConfig {
  platform::VirtualFileSystem& files;
  const CleaningOptions& options;
  const CategoryStates& categories;  // the Deepwash boxes, read live
  RunFeedback& feedback;
  // True while the program changes a control itself; handlers that consult
  // it then skip their tests, questions and warnings. The program's one
  // flag, shared with the option and Deepwash models.
  bool& suppressEvents;
  const platform::LocaleFormat* locale = &platform::LocaleFormat::User();
  // The time the report and the log are dated with, and the moment the age
  // limit measures from (run_clock.h); the wall clock unless a test sets one.
  const RunClock* clock = &RunClock::Wall();
  // The per-user store the run writes its "Info" figures to; none in tests
  // that do not need it.
  platform::PreferencesStore* store = nullptr;
  // Called at the end of every drive's run, finished or abandoned.
  std::function<void(const DriveSummary&)> driveFinished{};
  // Whether the user named a drive (by letter) for this run; a destructive
  // all-drives run leaves out every drive that was only found on the host
  // and not named. Empty: every drive counts as named.
  std::function<bool(char letter)> driveNamed{};

  std::string commandLine{};    // the program's arguments as one text
  std::string programFolder{};  // host folder of the executable
  std::string recordsFolder{};  // host folder of Tidewell.log and Tidewell.txt
  // The Windows folder, e.g. "C:\WINDOWS" (no trailing "\"); found at start-up.
  std::string windowsDir{};
  // The age limit and the keep list (settings/run_filters.h); none by default.
  RunFilters filters{};
  // Whether a drive's walk is warmed ahead (engine/walk_warmer.h).
  WalkWarming warming = WalkWarming::WhenSlow;
  // Whether a drive's walk finishes its folders on a second thread
  // (engine/walk_io.h).
  WalkFinishing finishing = WalkFinishing::WhenLarge;

  bool IsOn(RunOption option) const { return tidewell::IsOn(options, option); }
  bool IsOn(CategoryId category) const { return tidewell::IsOn(categories, category); }
  // Whether the run writes the deletion log: always in a test run, else with
  // maintain log on.
  bool Logging() const { return IsOn(RunOption::TestRun) || IsOn(RunOption::MaintainLog); }
  std::string LogPath() const { return platform::JoinHostPath(recordsFolder, "Tidewell.log"); }
  std::string ReportPath() const { return platform::JoinHostPath(recordsFolder, "Tidewell.txt"); }
};

// The bucket the files counted now go to (category_totals.h): the base
// rows', unless a CountingInto guard names another for its scope. Only the
// guard changes it.
class CountingBucket {
 public:
  TotalsBucket Current() const { return current_; }

 private:
  friend class CountingInto;
  TotalsBucket current_ = TotalsBucket::BaseRows();
};

// What a run changes as it goes.
struct RunState {
  RunTotals totals;
  ProgressState progress;
  ReportState report;
  // The files some process holds open, noted once per drive's cleaning
  // phase of a destructive run; they are left alone, as Windows leaves a
  // file in use.
  platform::OpenFiles heldOpen;
  DeletionLog log;  // open only within one drive's cleaning phase
  // The bucket a counted file goes to, set by the rows being applied.
  CountingBucket counting;
  // The moment the age limit measures from, in seconds since 1970 UTC: read
  // from the run's clock once when a drive's cleaning begins
  // (ApplyCategoryRules), so every file of the drive is judged against the
  // same moment. None: the clock's current time.
  std::optional<std::int64_t> ageLimitNow;
  // What a test run has chosen on the drive so far, treated as gone for the
  // rest of the drive's run (test_run_choices.h); empty in a destructive run.
  TestRunChoices chosen;
  // The drive whose run is under way (its name, kind and whether it has
  // written to the log; the figures are `totals`), so that a run ended
  // part-way still tells the front end what it did. None between drives.
  std::optional<DriveSummary> driveUnderway;
};

// One run: what it is given, read-only, and what it changes. The front end
// (or a test) keeps a RunConfig, makes one RunContext over it and passes the
// context down, so there are no hidden globals and every test can make a
// fresh one. `config` must outlive the context.
struct RunContext {
  explicit RunContext(const RunConfig& runConfig) : config(runConfig) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  const RunConfig& config;
  RunState state;
};

// Sends the files counted while it lives to `bucket`, then gives back the
// bucket that was current before it, however the scope ends.
class CountingInto {
 public:
  CountingInto(RunContext& context, TotalsBucket bucket)
      : counting_(context.state.counting), previous_(counting_.current_) {
    counting_.current_ = bucket;
  }
  ~CountingInto() { counting_.current_ = previous_; }
  CountingInto(const CountingInto&) = delete;
  CountingInto& operator=(const CountingInto&) = delete;

 private:
  CountingBucket& counting_;
  TotalsBucket previous_;
};

// Hands control to the user interface once, unless optimise performance is
// on; then it is only a stop point (StopIfRequested).
void YieldToMessages(RunContext& context);
// `times` yields in a row, with nothing between them: the same as calling
// YieldToMessages `times` times, in as few calls to the front end as it
// allows (RunFeedback::ProcessPendingMessagesInARow).
void YieldToMessages(RunContext& context, std::uint32_t times);

// The run's stop point: when the user has asked the run to stop
// (RunFeedback::StopRequested), hands control to the front end, which ends
// the program there. Called once per file wherever files are deleted or
// listed, and once per folder a purge removes, so a run stops within one
// file of the request whatever the optimise-performance option says; it
// reads a flag and nothing else.
void StopIfRequested(RunContext& context);

enum class ProgressStep {
  Advance,  // one step up or down, and a fresh "Cleaning HD: " status text
  Reset,    // back to 0, rising; the status text is left alone
  Finish,   // straight to 100, then falling
};

// Moves the bouncing progress bar: up one unit per call from 0 to 100, then
// down one unit per call back to 0, and so on. It shows that work goes on,
// not how much is done.
void StepProgress(RunContext& context, ProgressStep step);

// `fallback` when value < low or value > high, otherwise value.
int ClampOrDefault(int value, int low, int high, int fallback);

// "<bytes as unit text>, <files as #,##0> files cleaned", e.g.
// "5.00 Megabytes, 1,234 files cleaned".
std::string CleanedSoFarText(const RunTotals& totals, const platform::LocaleFormat& locale);

// True when "/" + letter occurs anywhere in the command line, case-sensitive:
// "/U", "/Unattended" and "x/Uy" hold the switch U, "/u" does not.
bool HasSwitch(std::string_view commandLine, char letter);

}  // namespace tidewell
