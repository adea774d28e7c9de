// The console's RunFeedback: status texts as lines on stdout, message boxes
// as their title and text (errors on stderr), a bouncing progress bar on
// stderr when it is a terminal, and the drive list over the drive table.
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

#include "engine/run_context.h"
#include "session/program_session.h"
#include "settings/deepwash_selection.h"

namespace tidewell::cli {

// Thrown by EndProgram and caught by the console's main, which then prints
// its final summary and exits with the status.
struct ProgramEnd {
  int exitStatus;
};

class ConsoleFeedback : public RunFeedback {
 public:
  ConsoleFeedback(std::FILE* out, std::FILE* err, bool quiet, bool progressBar);

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
  bool StopRequested() const override;

 private:
  void ClearProgressBar();
  void CheckInterrupt();

  std::FILE* out_;
  std::FILE* err_;
  bool quiet_;
  bool progressBar_;
  bool barShown_ = false;
  int lastBarValue_ = -1;
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
