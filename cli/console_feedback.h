// The console's RunFeedback: status texts as lines on stdout, message boxes
// as their title and text (errors on stderr), the drive's progress in
// folders (cli/console_progress.h: a bar on stderr when it is a terminal,
// else a plain line now and then; the engine's bouncing bar is not shown),
// and the drive list over the drive table. When the bar is drawn and stdout
// is a terminal too, the "Cleaning HD: " status texts with their figures are
// not printed as lines: the bar shows the same figures in place, where they
// would otherwise scroll by hundreds.
//
// Questions are answered with their safe choice, No; every other box is
// answered OK without waiting. Ctrl+C (platform/interrupts.h) is noticed at the next status text,
// progress step, message or yield, and ends the program through ExitProgram, so the
// deletion log is closed with the lines it holds and nothing is torn. Before
// the run has begun (RunBegins()) it ends start-up with one line saying that
// nothing was cleaned; a message that comes with the interrupt (a store
// write that the interrupt cut short) is then not shown.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "cli/console_progress.h"
#include "engine/run_context.h"
#include "session/program_session.h"
#include "settings/deepwash_selection.h"

namespace tidewell::cli {

// Thrown by EndProgram and caught by the console's main, which then prints
// its final summary and exits with the status.
struct ProgramEnd {
  int exitStatus;
};

// Which of the console's streams are terminals.
struct ConsoleTerminals {
  bool out = false;
  bool err = false;
};

class ConsoleFeedback : public RunFeedback {
 public:
  // `quiet`: status texts and progress are not shown, only problems.
  ConsoleFeedback(std::FILE* out, std::FILE* err, bool quiet, ConsoleTerminals terminals,
                  ProgressTiming timing = {});

  // The program this feedback serves: its drive list answers SelectDrive,
  // and an interrupt ends its run. Set once the session exists.
  void Attach(session::ProgramSession& program);
  // Start-up is over and the cleaning run begins: an interrupt from now on
  // stops a run, no longer start-up.
  void RunBegins() { runBegun_ = true; }

  void SetStatusText(std::string_view text) override;
  std::string StatusText() const override { return status_; }
  void SetProgressValue(int value) override;
  void StartAnimation() override {}
  void StopAnimation() override {}
  void PlayWave(const std::string&, bool) override {}
  void CloseSoundDevice() override {}
  void SetBusyPointer() override {}
  void SetDefaultPointer() override {}
  void MinimiseWindow() override {}
  void RestoreWindow() override {}
  void Repaint() override {}
  void Beep() override {}
  void LockControls() override {}
  void UnlockControls() override {}
  bool SelectDrive(char letter) override;
  std::string SelectedDrive() const override;
  void ShowDeletionLog() override;
  MessageAnswer ShowMessage(const Message& message) override;
  [[noreturn]] void EndProgram(int exitStatus) override;
  void ProcessPendingMessages() override { CheckInterrupt(); }
  // A second look for Ctrl+C at the same moment finds nothing the first did not.
  std::uint32_t ProcessPendingMessagesInARow(std::uint32_t times) override {
    CheckInterrupt();
    return times;
  }
  bool StopRequested() const override;
  void ShowDriveProgress(const DriveProgress& progress) override;

 private:
  void ClearProgressBar();
  void CheckInterrupt();

  std::FILE* out_;
  std::FILE* err_;
  bool quiet_;
  ConsoleProgress progress_;
  bool barHoldsFigures_;  // the bar shows what the "Cleaning HD: " lines would
  std::string status_;
  std::string lastPrinted_;
  bool ending_ = false;
  bool runBegun_ = false;
  session::ProgramSession* program_ = nullptr;
};

// The Deepwash window's side of the console: it has no status bar to show,
// and its boxes go to the console's messages.
class ConsoleDeepwashView : public DeepwashView {
 public:
  explicit ConsoleDeepwashView(MessageBoxes& boxes) : boxes_(boxes) {}
  void SetStatusText(std::string_view) override {}
  MessageAnswer ShowMessage(const Message& message) override { return boxes_.ShowMessage(message); }

 private:
  MessageBoxes& boxes_;
};

}  // namespace tidewell::cli
