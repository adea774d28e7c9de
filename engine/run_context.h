// The state a cleaning run shares, and the small services every part of the
// engine uses: totals, the bouncing progress bar, the yield rule, the command
// line switch test.
//
// What the original design kept module-wide (RunTotals, WindowsDir,
// SuppressEvents, the progress state) lives in one RunContext that the front
// end owns and passes down, so there are no hidden globals and every test can
// make a fresh one. The context borrows the file system, the options, the
// category states and the feedback; their owners must outlive it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "engine/run_feedback.h"
#include "settings/run_options.h"
#include "platform/locale_format.h"
#include "platform/open_files.h"
#include "platform/preferences_store.h"
#include "platform/virtual_file_system.h"
#include "records/deletion_log.h"
#include "settings/category_catalogue.h"

namespace tidewell {

// One drive's figures. Both are single-precision numbers and every addition is
// rounded to single precision, so byte totals above 16,777,216 lose their
// lowest bits exactly as the records show them.
struct RunTotals {
  float totalBytes = 0.0f;
  float totalFiles = 0.0f;

  void Reset() { totalBytes = totalFiles = 0.0f; }
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
  bool ReportStarted = false;
  float FreeBytesBefore = 0.0f;
};

// What one drive's run leaves, for front ends that sum up a run (the
// console's final summary).
struct DriveSummary {
  std::string drive;  // as the run names it, e.g. "c:"
  bool testRun = false;
  bool finished = false;  // false: abandoned because its records failed
  RunTotals totals;
  float freeBytesBefore = 0.0f;
};

struct RunContext {
  RunContext(platform::VirtualFileSystem& fileSystem, const CleaningOptions& cleaningOptions,
             const CategoryStates& categoryStates, RunFeedback& runFeedback)
      : files(fileSystem), options(cleaningOptions), categories(categoryStates), feedback(runFeedback) {}
  // The same, sharing a SuppressEvents flag that the option and Deepwash
  // models were given before this context existed.
  RunContext(platform::VirtualFileSystem& fileSystem, const CleaningOptions& cleaningOptions,
             const CategoryStates& categoryStates, RunFeedback& runFeedback, bool& sharedSuppressEvents)
      : files(fileSystem),
        options(cleaningOptions),
        categories(categoryStates),
        feedback(runFeedback),
        SuppressEvents(sharedSuppressEvents) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  platform::VirtualFileSystem& files;
  const CleaningOptions& options;
  const CategoryStates& categories;  // the Deepwash boxes, read live
  RunFeedback& feedback;
  const platform::LocaleFormat* locale = &platform::LocaleFormat::User();
  std::function<std::tm()> now;  // the clock; empty means the local wall clock

  RunTotals totals;
  ProgressState progress;
  // The Windows folder, e.g. "C:\WINDOWS" (no trailing "\"); set at start-up.
  std::string WindowsDir;
 private:
  bool ownSuppressEvents_ = false;

 public:
  // True while the program changes a control itself; handlers that consult it
  // then skip their tests, questions and warnings. The context's own flag
  // unless one was shared at construction.
  bool& SuppressEvents = ownSuppressEvents_;

  // The per-user store the run writes its "Info" figures to; none in tests
  // that do not need it.
  platform::PreferencesStore* store = nullptr;
  ReportState report;
  // The files some process holds open, noted once per drive's cleaning
  // phase of a destructive run; they are left alone, as Windows leaves a
  // file in use.
  platform::OpenFiles heldOpen;
  // Called at the end of every drive's run, finished or abandoned.
  std::function<void(const DriveSummary&)> driveFinished;

  std::string commandLine;    // the program's arguments as one text
  std::string programFolder;  // host folder of the executable
  std::string recordsFolder;  // host folder of Tidewell.log and Tidewell.txt
  DeletionLog log;            // open only within one drive's cleaning phase

  bool IsOn(RunOption option) const { return tidewell::IsOn(options, option); }
  bool IsOn(CategoryId category) const { return tidewell::IsOn(categories, category); }
  // Whether the run writes the deletion log: always in a test run, else with
  // maintain log on.
  bool Logging() const { return IsOn(RunOption::TestRun) || IsOn(RunOption::MaintainLog); }
  std::tm Now() const;
  std::string LogPath() const { return recordsFolder + "/Tidewell.log"; }
  std::string ReportPath() const { return recordsFolder + "/Tidewell.txt"; }
};

// Hands control to the user interface once, unless optimise performance is on.
void YieldToMessages(RunContext& context);

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
