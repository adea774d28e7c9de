// The program session: what both front ends share from start to exit, and
// the start-up sequence, written once for the window and the console.
//
// A session owns the per-user store (wrapped so that a failed save is told
// once), the drive table read from it, the file system over the drives, the
// main window's six options, the Deepwash boxes, the run context and the
// drive list. Its constructor reads only the store's "Drives" section;
// Start() runs the sequence:
//    1. each problem of the drive table (a refused TIDEWELL_DRIVES or
//       [Drives] entry) is told as one line, "<program>: <problem>", control
//       bytes and broken UTF-8 made visible, on the problem stream; a drive
//       refused later (its root no longer the folder checked at load) is
//       told the same way;
//    2. when the store's file exists but cannot be read, the user is told
//       which file and why (StoreUnreadable), whatever names the drives
//       (TIDEWELL_DRIVES included): the file also holds the keep list, the
//       age limit and the categories, so no run may go without it
//       (CanClean() stays false); when start-up stops here it has read and
//       written nothing else;
//    3. a start drive that was asked for (SessionSetup::startDrive) but that
//       no drive maps ends start-up here, nothing read (NoSuchStartDrive);
//    4. the Windows folder is found;
//    5. the six main options are loaded, under SuppressEvents, and the run's
//       filters (the age limit and the keep list, settings/run_filters.h)
//       are read into the run context; each bad stored value is told as one
//       problem line, naming the file, and left out (FilterProblems(); the
//       console then refuses to clean);
//    6. unless `checkStartDrive` says no, the drive list's drive is checked (a failed
//       check moves the list to drive C, as the drive list's handler does);
//    7. with `enterDriveC`, the process's working folder moves to drive C's
//       folder;
//    8. the Deepwash boxes are loaded;
//    9. a run that reads copies (RunValues::CopiedAtStart) takes its copies
//       of every box now, and `afterLoads` runs (the console changes the
//       copies there by its command line);
//   10. with no drive at all the user is told how to map one (unless step 2
//       said why) (NoDrive);
//   11. a failed check of step 6 is a problem too (DriveCheckFailed);
//   12. when the run would be a test run, the test-mode notice is shown.
// With `tellUser` off (the console only listing its categories), steps 2, 10
// and 12 show nothing.
//
// The window and the console differ only where StartupHooks says: whether the
// start drive is checked, the working folder, whether a problem stops
// start-up, and whether the run reads the boxes live or copies of them.
#pragma once

#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

#include "engine/drive_checks.h"
#include "engine/drive_list.h"
#include "engine/run_clock.h"
#include "engine/run_context.h"
#include "platform/preferences_store.h"
#include "platform/virtual_file_system.h"
#include "settings/deepwash_selection.h"
#include "settings/main_options.h"
#include "settings/warn_once_store.h"

namespace tidewell::session {

// Whether a run reads the boxes as they are at each moment (the window: a
// box clicked during a run counts at once) or copies taken at start-up that
// the front end may change for this run only (the console's command line).
enum class RunValues { LiveBoxes, CopiedAtStart };

struct SessionSetup {
  std::string programName{};          // "tidewell": the start of every problem line
  std::FILE* problems = stderr;     // where problem lines go
  std::string storePath{};            // empty: the per-user store file
  std::string commandLine{};          // the program's arguments as one text
  std::string programFolder{};        // empty: the executable's folder
  std::string recordsFolder{};        // empty: chosen from the program's folder
  std::optional<char> startDrive{};   // none: the drive of the working folder
  RunValues runValues = RunValues::LiveBoxes;
  const RunClock* clock = nullptr;                   // none: the wall clock
  const platform::LocaleFormat* locale = nullptr;  // none: the user's
};

struct StartupHooks {
  // Whether step 6 checks the start drive; asked once the main options are
  // loaded (the console skips it for an all-drives run). Empty: always.
  std::function<bool()> checkStartDrive{};
  bool enterDriveC = false;
  // Ends start-up at the first of steps 2, 10 and 11 that finds a problem
  // (the console, which then cleans nothing); without it start-up goes on
  // to the end and returns the first problem found (the window, which shows
  // itself and only cannot clean).
  bool stopAtFirstProblem = false;
  bool tellUser = true;
  std::function<void()> afterLoads{};
};

// The first problem start-up found, if any.
enum class StartupOutcome {
  Ready,             // no problem: a drive to clean
  StoreUnreadable,   // step 2
  NoSuchStartDrive,  // step 3, which always ends start-up
  NoDrive,           // step 10
  DriveCheckFailed,  // step 11
};

class ProgramSession {
 public:
  // `feedback` is the run's; `boxes` shows the store's warnings and the
  // start-up messages; `deepwashView` is the Deepwash window's side. All
  // must outlive the session.
  ProgramSession(RunFeedback& feedback, MessageBoxes& boxes, DeepwashView& deepwashView, SessionSetup setup);
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  StartupOutcome Start(const StartupHooks& hooks);

  // Selects a drive in the drive list. A change is shown through
  // `onDriveSelected` (the window moves its list) and then checked, as the
  // drive list's handler does. False when no drive has that letter.
  bool SelectDrive(char letter);
  std::function<void()> onDriveSelected;

  // The store's file exists but cannot be read: drives then come only from
  // TIDEWELL_DRIVES, never from discovery, since the file may name others,
  // and nothing is cleaned (CanClean()).
  bool StoreUnreadable() const { return static_cast<bool>(storeProblem_); }
  bool HasDrives() const { return !files_.Drives().Empty(); }
  // Whether a run may start at all: a drive to clean and a store that reads
  // (or does not exist yet).
  bool CanClean() const { return HasDrives() && !StoreUnreadable(); }

  // Reads the drive table afresh from its sources, as the constructor did
  // (TIDEWELL_DRIVES, else the store's [Drives], else discovery), after the
  // user changed [Drives] (Options > Drives...). The drive list keeps its
  // drive when it still has one (else it moves as at start: C, else the
  // first drive); a changed selection is shown through `onDriveSelected` and
  // checked, as SelectDrive does. The keep list sees through the new drives,
  // the Windows folder is found again, and each problem of the new table is
  // told on the problem stream and is in DriveProblems(). Drives named for
  // this run stay named. Not while a run is under way.
  void ReloadDrives();

  // Named drives. A drive is named when TIDEWELL_DRIVES or the store's
  // [Drives] maps it, or when the user names it for this run (NameDrive:
  // the console's --drive, a pick in the window's drive list). A drive only
  // found on the host (a Wine prefix, a mounted volume, Windows' own
  // letters) is cleaned by a destructive run only once named; a test run
  // takes every drive. The run context asks DriveIsNamed (driveNamed).
  void NameDrive(char letter);
  bool DriveIsNamed(char letter) const;
  // The drives from C to Z a destructive all-drives run leaves out because
  // they were only found, not named; in letter order.
  std::vector<char> UnnamedDrives() const;
  const std::string& StorePath() const { return storeFile_.Path(); }
  // The drive table's problems (refused entries), one line each, as step 1
  // of Start() tells them; known from construction on.
  const std::vector<std::string>& DriveProblems() const { return driveProblems_; }
  // The stored filter values (age limit, keep list) that could not be read
  // and were left out, one line each as told at start-up; empty when all read.
  const std::vector<std::string>& FilterProblems() const { return filterProblems_; }

  WarnOnceStore& Store() { return store_; }
  // The store's file itself, for a change whose failure the caller tells
  // the user in its own words (a drive added or removed).
  platform::PreferencesFile& StoreFile() { return storeFile_; }
  platform::VirtualFileSystem& Files() { return files_; }
  MainWindowOptions& Options() { return options_; }
  DeepwashSelection& Selection() { return selection_; }
  // The run's configuration, for the front end to finish before a run
  // (RunConfig::driveFinished, the console's filters); the engine reads it
  // through Context().config.
  RunConfig& Config() { return config_; }
  RunContext& Context() { return context_; }
  DriveList& Drives() { return drives_; }
  // The run's copies of the boxes (RunValues::CopiedAtStart), taken at
  // start-up; changing them changes this run only, never the store.
  FixedCleaningOptions& RunOptionsCopy() { return optionsCopy_; }
  FixedCategoryStates& RunCategoriesCopy() { return categoriesCopy_; }

 private:
  void TellProblem(const std::string& problem) const;
  void CopyBoxes();
  void LoadFilters();

  SessionSetup setup_;
  MessageBoxes& boxes_;
  bool suppressEvents_ = false;
  platform::PreferencesFile storeFile_;
  WarnOnceStore store_;
  std::error_code storeProblem_;  // why the store's file cannot be read; none: it reads or is missing
  std::vector<std::string> driveProblems_;
  std::vector<std::string> filterProblems_;
  platform::VirtualFileSystem files_;
  DeepwashSelection selection_;
  MainWindowOptions options_;
  FixedCleaningOptions optionsCopy_;
  FixedCategoryStates categoriesCopy_;
  RunConfig config_;
  RunContext context_;
  DriveList drives_;
  std::string namedLetters_;  // named by the user for this run, upper case
};

// How a problem is shown on the problem stream: "<program>: <problem>", the
// problem on one line with its control bytes and broken UTF-8 made visible.
std::string ProblemLine(std::string_view programName, std::string_view problem);

}  // namespace tidewell::session
