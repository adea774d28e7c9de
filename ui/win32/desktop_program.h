// The desktop program's Win32 front end: its windows over the program
// session (session/program_session.h: the models, the run context and the
// start-up sequence, shared with the Qt front end and the console) and the
// Win32 side of RunFeedback (the main window's status bar, progress bar,
// Animate control, PlaySound, the busy pointer, window state, locking, drive
// list, record viewer and message boxes), and View > Figures by Category
// over the drives the last run ended (ui/win32/figures_window.h).
//
// It does what the Qt front end does (ui/qt/desktop_program.h), in the same
// order and with the same texts; the decisions of its own:
//   - ProcessPendingMessages dispatches the thread's pending messages at
//     most once every 15 ms of wall time, with the menus' shortcut keys.
//   - EndProgram ends the process at once (after an optional hook that tests
//     use); nothing after ExitProgram runs.
//   - The pointer during a run is the arrow with hourglass (IDC_APPSTARTING):
//     the window still takes the Exit button's click.
//   - A window hidden by "/I" stays hidden when a run minimises or restores
//     it.
//   - The Help menu's addresses open with ShellExecute ("open"); one that
//     cannot be opened is named in a box (AddressNotOpened).
//   - While a drive is analysed nothing yet says how much is left: the
//     progress bar runs as a marquee (PBS_MARQUEE) until the cleaning's
//     first step, which gives it back its style and its range of 0 to 100
//     (as does the end of a run whose drive was abandoned before then).
//   - Options > Drives... (ui/win32/drives_window.h) lists the drives and
//     adds or removes folders in [Drives]; the main window is disabled
//     while it is open. After each change the drive list is filled afresh,
//     "&Clean HD" follows whether there is a drive to clean now, and with
//     none left the status line says so again.
//   - The uninstaller is "UnWise.exe" in the program's folder, started
//     detached; when it is missing or cannot be started the user gets
//     "Uninstall not available." and the program stays.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/host_paths.h"
#include "platform/instance_lock.h"
#include "session/program_session.h"
#include "ui/category_figures.h"
#include "ui/help_menu.h"
#include "ui/drives_model.h"
#include "ui/win32/deepwash_window.h"
#include "ui/win32/drives_window.h"
#include "ui/win32/figures_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/record_viewer.h"

namespace tidewell::ui::win32 {

struct DesktopEnvironment {
  std::string commandLine;       // "/U /I"
  std::string programFolder;     // empty: the executable's folder
  std::string recordsFolder;     // empty: chosen from the program's folder
  std::string storePath;         // empty: the per-user store file
  std::string instanceLockPath;  // empty: InstanceLock::DefaultPath()
  // Called by EndProgram before the process ends; a test's hook may throw
  // instead of returning. Empty: nothing.
  std::function<void(int exitStatus)> endProgram;
  // Opens an address with the system's handler; false when it could not.
  // Empty: ShellExecute.
  std::function<bool(const std::string&)> openDocument;
  const RunClock* clock = nullptr;                 // none: the wall clock
  const platform::LocaleFormat* locale = nullptr;  // none: the user's
  std::function<void()> onYield;                   // after each yield, for tests
  std::FILE* problems = stderr;                    // where drive problems are told
  // The most of a record the viewer loads (ui/record_text.h).
  std::size_t recordShownBytes = kRecordShownBytes;
};

class DesktopProgram : public RunFeedback {
 public:
  DesktopProgram(MessageBoxes& boxes, DesktopEnvironment environment);
  ~DesktopProgram() override;

  // The start-up sequence, up to showing the window and, with "/U", the
  // unattended run. False when another copy is running: end silently.
  bool Start();

  // Runs the message loop until the window's thread gets WM_QUIT.
  int Run();
  // Dispatches one message as the message loop does: the shortcut keys
  // first, then the dialog keys of the window it is for.
  void Dispatch(MSG& message);

  MainWindow& Main() { return *main_; }
  DeepwashWindow& Deepwash() { return *deepwash_; }
  RecordViewerHost& Viewer() { return *viewer_; }
  // View > Figures by Category; nullptr until first shown.
  FiguresWindow* Figures() { return figuresWindow_.get(); }
  // Options > Drives...; nullptr until first opened.
  DrivesWindow* Drives() { return drivesWindow_.get(); }
  session::ProgramSession& Session() { return *session_; }
  RunContext& Context() { return session_->Context(); }
  MainWindowOptions& Options() { return session_->Options(); }
  DeepwashSelection& Selection() { return session_->Selection(); }
  const HelpAddresses& Addresses() const { return addresses_; }
  // The wave file playing or last played (empty after CloseSoundDevice).
  const std::string& CurrentSound() const { return sound_; }
  bool BusyPointer() const { return busyPointer_; }

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
  void OnCommand(int id, int notification);
  void OnMenu(MenuCommand command);
  void SetControlsEnabled(bool enabled);
  void ShowDriveInList();
  void OnCleanClicked();
  void OnDeepwashClicked();
  void OnFiguresChosen();
  void OnDrivesChosen();
  // Fills the drive list afresh from the session's (after Options >
  // Drives... changed the drives) and enables what a drive now allows.
  void RefillDriveList();
  // The progress bar back from its marquee, with its range of 0 to 100.
  void EndBusyProgress();
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
  std::unique_ptr<DrivesWindow> drivesWindow_;
  platform::InstanceLock instance_;
  HelpAddresses addresses_;
  std::string status_;
  std::string sound_;
  bool busyPointer_ = false;
  bool running_ = false;
  bool listChanged_ = false;  // a CBN_SELCHANGE since the drive list opened
  ULONGLONG lastYield_ = 0;
};

}  // namespace tidewell::ui::win32
