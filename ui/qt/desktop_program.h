// The desktop program: its windows over the program session (the models,
// the run context and the start-up sequence; see session/program_session.h),
// and the Qt side of RunFeedback (the main
// window's status line, progress bar, animation, sound, pointer, window
// state, locking, drive list, log viewer and message boxes).
//
// Decisions of the window's own:
//   - YieldToMessages processes the window's events at most once every
//     15 ms of wall time; the engine's call sites stay where they are.
//   - EndProgram ends the process at once (after an optional hook that tests
//     use); nothing after ExitProgram runs.
//   - With no drive mapped at all, start-up says how to map one and
//     "&Clean HD" stays disabled (an unattended start then ends with 1).
//   - When the store's file exists but cannot be read, start-up says which
//     file and why, and nothing can be cleaned, whatever names the drives
//     ("&Clean HD" stays disabled, "/U /I" ends with 1): the file holds the
//     keep list and the age limit. Drives then come only from
//     TIDEWELL_DRIVES (shown in the list), never from discovery (the file
//     may name others).
//   - A drive that was only found on the host (no TIDEWELL_DRIVES, no
//     [Drives]) is shown in the list as any other; picking it there (the
//     list's "activated", also when it was already shown) names it for this
//     run. A destructive run of a drive not named is refused with a message
//     ("/U" then ends with 2), and a destructive all-drives run leaves such
//     drives out; a test run takes every drive.
//   - Options > Drives... (ui/qt/drives_dialog.h) lists the drives and adds
//     or removes folders in [Drives]; after each change the drive list is
//     filled afresh, "&Clean HD" follows whether there is a drive to clean
//     now, and with none left the status line says so again.
//   - When an address of the Help menu or the support label cannot be
//     opened (no browser or no handler for it), the user is told so in a
//     box that names the address, to open it by hand (AddressNotOpened in
//     ui/help_menu.h); nothing else changes.
//   - The main window and the Deepwash window open centred on the screen,
//     frame included (ui/screen_centring.h).
//   - The pointer during a run is the arrow with hourglass (Qt::BusyCursor):
//     the window still takes the Exit button's click.
//   - The uninstaller is "UnWise.exe" in the program's folder, started
//     detached; when it is missing or cannot be started the user gets
//     "Uninstall not available." and the program stays.
#pragma once

#include <QElapsedTimer>

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "session/program_session.h"
#include "ui/help_menu.h"
#include "platform/host_paths.h"
#include "platform/instance_lock.h"
#include "ui/category_figures.h"
#include "ui/qt/wave_player.h"

namespace tidewell::ui {

class DeepwashWindow;
class DrivesDialog;
class DrivesModel;
class FiguresWindow;
class MainWindow;
class RecordViewerHost;

struct DesktopEnvironment {
  std::string commandLine;       // "/U /I"
  std::string programFolder;     // empty: the executable's folder
  std::string recordsFolder;     // empty: chosen from the program's folder
  std::string storePath;         // empty: the per-user store file
  std::string instanceLockPath;  // empty: InstanceLock::DefaultPath()
  // Called by EndProgram before the process ends; a test's hook may throw
  // instead of returning. Empty: nothing.
  std::function<void(int exitStatus)> endProgram;
  // Opens an address with the desktop's default handler; false when it
  // could not. Empty: the desktop.
  std::function<bool(const std::string&)> openDocument;
  const RunClock* clock = nullptr;              // none: the wall clock
  const platform::LocaleFormat* locale = nullptr;  // empty: the user's
  std::function<void()> onYield;                // after each yield, for tests
  std::FILE* problems = stderr;                 // where drive problems are told
};

class DesktopProgram : public RunFeedback {
 public:
  DesktopProgram(MessageBoxes& boxes, DesktopEnvironment environment);
  ~DesktopProgram() override;

  // The start-up sequence, up to showing the window and, with "/U", the
  // unattended run. False when another copy is running: end silently.
  bool Start();

  MainWindow& Main() { return *main_; }
  DeepwashWindow& Deepwash() { return *deepwash_; }
  RecordViewerHost& Viewer() { return *viewer_; }
  // View > Figures by Category; nullptr until first shown.
  FiguresWindow* Figures() { return figuresWindow_.get(); }
  // Options > Drives...; nullptr until first opened.
  DrivesDialog* Drives() { return drivesDialog_.get(); }
  session::ProgramSession& Session() { return *session_; }
  RunContext& Context() { return session_->Context(); }
  MainWindowOptions& Options() { return session_->Options(); }
  DeepwashSelection& Selection() { return session_->Selection(); }
  WavePlayer& Sound() { return wave_; }
  const HelpAddresses& Addresses() const { return addresses_; }

  // RunFeedback
  void SetStatusText(std::string_view text) override;
  std::string StatusText() const override { return status_; }
  void SetProgressValue(int value) override;
  void ShowDriveProgress(const DriveProgress& progress) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void PlayWave(const std::string& hostPath, bool wait) override;
  void CloseSoundDevice() override;
  void SetBusyPointer() override;
  void SetDefaultPointer() override;
  void MinimiseWindow() override;
  void RestoreWindow() override;
  void Repaint() override;
  void Beep() override;
  void LockControls() override;
  void UnlockControls() override;
  bool SelectDrive(char letter) override;
  std::string SelectedDrive() const override { return session_->Drives().Current(); }
  void ShowDeletionLog() override;
  MessageAnswer ShowMessage(const Message& message) override { return boxes_.ShowMessage(message); }
  [[noreturn]] void EndProgram(int exitStatus) override;
  void ProcessPendingMessages() override;

 private:
  void Wire();
  void SetControlsEnabled(bool enabled);
  void ShowDriveInList();
  void OnDriveChosen(int index);
  void OnCleanClicked();
  void OnDeepwashClicked();
  void OnFiguresChosen();
  void OnDrivesChosen();
  // Fills the drive list afresh from the session's (after Options >
  // Drives... changed the drives) and enables what a drive now allows.
  void RefillDriveList();
  void OnUninstall();
  void OpenDocument(const std::string& address);
  std::string ProgramFile(const char* name) const {
    return platform::JoinHostPath(session_->Context().config.programFolder, name);
  }

  MessageBoxes& boxes_;
  DesktopEnvironment environment_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<DeepwashWindow> deepwash_;
  std::unique_ptr<session::ProgramSession> session_;
  std::unique_ptr<RecordViewerHost> viewer_;
  RunFigures figures_;  // the drives the last run ended
  std::unique_ptr<FiguresWindow> figuresWindow_;
  std::unique_ptr<DrivesModel> drivesModel_;
  std::unique_ptr<DrivesDialog> drivesDialog_;
  WavePlayer wave_;
  platform::InstanceLock instance_;
  HelpAddresses addresses_;
  std::string status_;
  bool busyPointer_ = false;
  bool running_ = false;
  QElapsedTimer sinceYield_;
};

}  // namespace tidewell::ui
