// What the engine asks of the user interface while it runs.
//
// The main window implements this in the desktop program, the console front
// end prints instead, and tests record the calls. The engine talks to the
// user through nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/message_box.h"

namespace tidewell {

// A drive's progress in folders. While the drive is analysed, `listed`
// grows as the walk finds folders and `done` counts those it has listed;
// while it is cleaned, `listed` is the whole list and `done` the folders
// the rules have finished. Within a phase neither figure ever falls.
struct DriveProgress {
  enum class Phase { Analysing, Cleaning };
  Phase phase = Phase::Analysing;
  std::int32_t done = 0;
  std::int32_t listed = 0;
};

class RunFeedback : public MessageBoxes {
 public:
  // The one-line status bar; it keeps the last text set.
  virtual void SetStatusText(std::string_view text) = 0;
  virtual std::string StatusText() const = 0;

  // The progress bar, 0 to 100.
  virtual void SetProgressValue(int value) = 0;

  // The working animation.
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;

  // Plays a wave file; `wait` false returns at once while it plays. A missing
  // file or sound device is silent.
  virtual void PlayWave(const std::string& hostPath, bool wait) = 0;
  // Ends any sound still open or playing.
  virtual void CloseSoundDevice() = 0;

  // Mouse pointer: arrow with hourglass, and back to the default.
  virtual void SetBusyPointer() = 0;
  virtual void SetDefaultPointer() = 0;

  // The main window's state.
  virtual void MinimiseWindow() = 0;
  virtual void RestoreWindow() = 0;

  // Repaints the main window at once.
  virtual void Repaint() = 0;

  // Sounds the system beep.
  virtual void Beep() = 0;

  // Disables, and later enables, the four top-level menus, the "&Clean HD"
  // and Deepwash buttons, the "Controls" frame, every Check1 box and the
  // drive list; the "E&xit" button stays enabled.
  virtual void LockControls() = 0;
  virtual void UnlockControls() = 0;

  // Sets the drive list's drive by letter; false (and the list unchanged)
  // when the letter names no drive. A change runs the list's change handler
  // (the drive check) before this returns.
  virtual bool SelectDrive(char letter) = 0;
  // The drive list's current entry, e.g. "c: [DRIVE_C]".
  virtual std::string SelectedDrive() const = 0;

  // Shows the deletion log, exactly as the View menu's "&Log" command does.
  virtual void ShowDeletionLog() = 0;

  // Shows a modal message box and returns the button pressed.
  MessageAnswer ShowMessage(const Message& message) override = 0;

  // Ends the program at once with `exitStatus`: nothing after the call runs
  // (no handler, no saving). Only ExitProgram calls this, after closing the
  // program's files.
  [[noreturn]] virtual void EndProgram(int exitStatus) = 0;

  // Processes every pending window message once, then returns (the run's
  // yield point; the front end may throttle it).
  virtual void ProcessPendingMessages() = 0;

  // The run yields `times` times in a row with nothing between the yields
  // (the rows of a folder that find no file): processes the pending
  // messages and returns how many of those yields this stood for, from 1 to
  // `times`. The default processes them once and stands for one, so the run
  // reads the optimise-performance box again before the next yield, as it
  // does between single yields. A front end for which a second yield at the
  // same moment can do nothing the first did not (the console, which only
  // looks for Ctrl+C) stands for all of them, and spares the run a call per
  // row: a folder meets some sixty such rows, a drive thousands of folders.
  virtual std::uint32_t ProcessPendingMessagesInARow(std::uint32_t times) {
    (void)times;
    ProcessPendingMessages();
    return 1;
  }

  // True once the user has asked the run to stop (Ctrl+C in the console).
  // The run asks this for every file it deletes or lists, and for every
  // folder it removes, whether or not it yields there (StopIfRequested,
  // run_context.h), so it must cost no more than reading a flag. A front end
  // that answers true ends the program at its next ProcessPendingMessages
  // (ExitProgram: the deletion log closed with the lines it holds). One that
  // cannot be asked to stop keeps this default.
  virtual bool StopRequested() const { return false; }

  // Where a drive's run stands, for a front end that shows more than the
  // bouncing bar (the console's determinate bar): called for each folder
  // the walk reaches while the drive is analysed, and for each folder the
  // rules take while it is cleaned. Called on the run's thread. The default
  // shows nothing.
  virtual void ShowDriveProgress(const DriveProgress&) {}
};

}  // namespace tidewell
