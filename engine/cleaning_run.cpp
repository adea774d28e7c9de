#include "engine/cleaning_run.h"

#include <cstdlib>
#include <optional>

#include "engine/category_rules.h"
#include "engine/drive_checks.h"
#include "platform/host_paths.h"
#include "platform/program_files.h"
#include "engine/folder_walker.h"
#include "engine/rule_table_names.h"
#include "engine/walk_warmer.h"
#include "engine/log_section.h"
#include "engine/records_error.h"
#include "engine/run_report.h"
#include "records/byte_count.h"

namespace tidewell {
namespace {

// Tells the front end how far a drive's walk has come, folder by folder,
// and lets the warmer watch the walk as before.
class AnalysisProgress final : public WalkObserver {
 public:
  AnalysisProgress(RunFeedback& feedback, WalkObserver& warmer) : feedback_(feedback), warmer_(warmer) {}
  void Reaching(const FolderList& folders, std::int32_t cursor, WalkIo& io) override {
    warmer_.Reaching(folders, cursor, io);
    feedback_.ShowDriveProgress({DriveProgress::Phase::Analysing, cursor - 1, folders.Count()});
  }

 private:
  RunFeedback& feedback_;
  WalkObserver& warmer_;
};

std::string TestModeResultsText(const RunContext& context) {
  return "Tidewell is running in TEST MODE, and has NOT deleted any files.\r\r"
         "If Tidewell was NOT running in test mode, you would have reclaimed " +
         FormatByteCount(context.state.totals.totalBytes, ExactBytes::Omit, *context.config.locale) +
         ".\r\r"
         "To turn test mode OFF and enable all of Tidewell's disk scrubbing power, uncheck the "
         "''Test run only'' button on Tidewell's main screen.";
}

// Tells the front end (context.config.driveFinished) how the drive under way
// ended, with the kind of run it began as and its figures; the drive is no
// longer under way.
void ReportDriveEnd(RunContext& context, DriveEnd end) {
  if (!context.state.driveUnderway) return;
  DriveSummary summary = std::move(*context.state.driveUnderway);
  context.state.driveUnderway.reset();
  summary.end = end;
  summary.totals = context.state.totals;
  summary.freeBytesBefore = context.state.report.freeBytesBefore;
  if (context.config.driveFinished) context.config.driveFinished(summary);
}

// Puts the window back after a drive's run was abandoned: the log closed as
// it stands, no animation, the normal pointer, and the figures so far.
void AbandonDrive(RunContext& context, std::string_view drive, const RecordsFailure& failure) {
  RunFeedback& ui = context.config.feedback;
  context.state.log.Close();
  context.state.report.reportStarted = false;
  ui.StopAnimation();
  ui.SetDefaultPointer();
  ui.SetStatusText("Stopped: " + CleanedSoFarText(context.state.totals, *context.config.locale));
  ui.ShowMessage(RecordsFailureMessage(failure, drive));
}

// The program's folder and the records folder are spared by identity too,
// wherever the walk meets them and by whatever path. Asked again once the log
// is open, as the records folder may have been made only then (and either
// may have been moved meanwhile). The records folder is usually the
// program's own: one folder is described once.
void SpareOwnFolders(RunContext& context) {
  if (context.config.recordsFolder == context.config.programFolder) {
    context.config.files.SpareFolders({context.config.programFolder});
  } else {
    context.config.files.SpareFolders({context.config.programFolder, context.config.recordsFolder});
  }
}

}  // namespace

int ExitStatusOf(RunResult result) { return result == RunResult::Finished ? 0 : 3; }

bool CleanDrive(RunContext& context, std::string_view drive) {
  RunFeedback& ui = context.config.feedback;
  const RunKind kindAtStart = CurrentRunKind(context);
  context.state.driveUnderway.emplace();
  context.state.driveUnderway->drive = drive;
  context.state.driveUnderway->kind = kindAtStart;
  try {
    ui.SetBusyPointer();
    WriteRunReport(context, drive);
    ui.StartAnimation();
    ui.SetStatusText("Analyzing HD (this might take a while) ...");
    StepProgress(context, ProgressStep::Reset);
    ui.Repaint();
    SpareOwnFolders(context);
    // The walk keeps only the file names the rule table can use. Built once
    // and kept for the life of the process (never torn down at exit).
    static const RuleTableNames& kTableNames = *new RuleTableNames;
    // A test run also has the walk look up the files the categories on now
    // would delete, while each folder is open: the rules then need not find
    // those folders again to learn the files' lengths. (A category switched
    // on later still works: its files are looked up when it gets to them.)
    std::optional<RuleTableNames> lookedUp;
    if (context.config.IsOn(RunOption::TestRun)) {
      lookedUp = RuleTableNames::DeletedWith([&](CategoryId category) { return context.config.IsOn(category); });
    }
    const FolderList folders = [&] {
      WalkWarmer warmer(context, drive, kTableNames, lookedUp ? &*lookedUp : nullptr);  // its threads end with the walk
      AnalysisProgress progress(ui, warmer);
      return ListFolders(context, drive, "\\", &kTableNames, lookedUp ? &*lookedUp : nullptr, &progress);
    }();
    StepProgress(context, ProgressStep::Advance);
    ui.SetStatusText("Cleaning HD:");
    if (context.config.Logging()) {
      if (std::error_code error = OpenLogSection(context, drive)) {
        throw RecordsError({RecordsFile::DeletionLog, context.config.LogPath(), error});
      }
      context.state.driveUnderway->logWritten = true;
    }
    SpareOwnFolders(context);
    context.state.heldOpen =
        context.config.IsOn(RunOption::TestRun) ? platform::OpenFiles() : platform::OpenFiles::Scan();
    ApplyCategoryRules(context, drive, folders, folders.Count());
    if (context.state.log.IsOpen()) {
      if (std::error_code error = CloseLogSection(context)) {
        throw RecordsError({RecordsFile::DeletionLog, context.config.LogPath(), error});
      }
    }
    ui.Repaint();
    WriteRunReport(context, drive);
  } catch (const RecordsError& error) {
    AbandonDrive(context, drive, error.Failure());
    ReportDriveEnd(context, DriveEnd::Abandoned);
    return false;
  }
  ui.StopAnimation();
  StepProgress(context, ProgressStep::Finish);
  ui.SetStatusText("Done: " + CleanedSoFarText(context.state.totals, *context.config.locale));
  ui.SetDefaultPointer();
  ui.Beep();
  ReportDriveEnd(context, DriveEnd::Finished);
  if (context.config.IsOn(RunOption::TestRun)) {
    ui.SetStatusText(ui.StatusText() + " (TEST)");
    ui.ShowDeletionLog();
    ui.ShowMessage({"TEST MODE RESULTS", TestModeResultsText(context), MessageIcon::Information,
                    MessageButtons::Ok});
  }
  return true;
}

RunResult RunCleaning(RunContext& context) {
  RunFeedback& ui = context.config.feedback;
  ui.SetStatusText("Starting up ...");
  ui.LockControls();
  ui.PlayWave(platform::ProgramDataFile(context.config.programFolder, "Tidewell1.wav"), false);
  ui.Repaint();
  if (context.config.IsOn(RunOption::MinimiseOnUse)) ui.MinimiseWindow();
  StoreLastCleanup(context);

  RunResult result = RunResult::Finished;
  if (context.config.IsOn(RunOption::ScanAllDrives)) {
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
      // A drive only found on the host (a USB stick, a camera card) is
      // cleaned for real only when the user named it.
      const RunConfig& config = context.config;
      if (!config.IsOn(RunOption::TestRun) && config.driveNamed && !config.driveNamed(letter)) continue;
      context.config.suppressEvents = true;
      const bool selected = ui.SelectDrive(letter);
      context.config.suppressEvents = false;
      if (!selected || DriveIsReadOnly(context, ui.SelectedDrive())) continue;
      if (!CleanDrive(context, ui.SelectedDrive().substr(0, 2))) {
        result = RunResult::RecordsNotWritten;
        break;
      }
    }
    ui.SelectDrive('C');
  } else if (!CleanDrive(context, ui.SelectedDrive().substr(0, 2))) {
    result = RunResult::RecordsNotWritten;
  }

  ui.RestoreWindow();
  if (context.config.IsOn(RunOption::ExitWhenDone) || HasSwitch(context.config.commandLine, 'U')) {
    ExitProgram(context, ExitStatusOf(result));
  }
  ui.UnlockControls();
  return result;
}

void ExitProgram(RunContext& context, int exitStatus) {
  context.state.log.Close();
  // Ended in the middle of a drive: the front end still hears what was done.
  ReportDriveEnd(context, DriveEnd::Interrupted);
  context.config.feedback.CloseSoundDevice();
  context.config.feedback.EndProgram(exitStatus);
  std::_Exit(exitStatus);  // not reached: EndProgram never returns
}

}  // namespace tidewell
