#include "ui/win32/desktop_program.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "engine/cleaning_run.h"
#include "engine/record_actions.h"
#include "i18n/translation.h"
#include "platform/process_facts.h"
#include "platform/program_files.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/message_boxes.h"
#include "ui/window_texts.h"

namespace tidewell::ui::win32 {
namespace {

using platform::win32::Widen;

constexpr ULONGLONG kYieldIntervalMs = 15;
// How often the busy progress bar's marquee moves.
constexpr LPARAM kMarqueeStepMs = 30;

// A menu command from a WM_COMMAND id; none for a control's id.
std::optional<MenuCommand> MenuCommandOf(int id) {
  const int index = id - kMenuIdBase;
  if (index < 0 || index > static_cast<int>(MenuCommand::Uninstall)) return std::nullopt;
  return static_cast<MenuCommand>(index);
}

}  // namespace

DesktopProgram::DesktopProgram(MessageBoxes& boxes, DesktopEnvironment environment)
    : boxes_(boxes), environment_(std::move(environment)) {
  // The user's language before any window is built: the windows take their
  // captions from it. A broken catalogue leaves English and is told.
  const std::string programFolder =
      environment_.programFolder.empty() ? platform::ProgramFolder() : environment_.programFolder;
  if (const std::optional<std::string> problem = i18n::UseUserLanguage(programFolder);
      problem && environment_.problems != nullptr) {
    std::fprintf(environment_.problems, "tidewell: %s\n", problem->c_str());
  }
  main_ = std::make_unique<MainWindow>();
  deepwash_ = std::make_unique<DeepwashWindow>(boxes_);
  session_ = std::make_unique<session::ProgramSession>(*this, boxes_, *deepwash_,
                                                       session::SessionSetup{
                                                           .programName = "tidewell",
                                                           .problems = environment_.problems,
                                                           .storePath = environment_.storePath,
                                                           .commandLine = environment_.commandLine,
                                                           .programFolder = environment_.programFolder,
                                                           .recordsFolder = environment_.recordsFolder,
                                                           .clock = environment_.clock,
                                                           .locale = environment_.locale,
                                                       });
  deepwash_->Bind(Selection());
  session_->onDriveSelected = [this] { ShowDriveInList(); };
  viewer_ = std::make_unique<RecordViewerHost>(environment_.recordShownBytes);
  // Each drive a run ends, for View > Figures by Category.
  session_->Config().driveFinished = [this](const DriveSummary& drive) { figures_.Add(drive); };
  addresses_ = BuiltInAddresses(Context().config.programFolder);
  Wire();
}

DesktopProgram::~DesktopProgram() { PlaySoundW(nullptr, nullptr, 0); }

void DesktopProgram::Wire() {
  MainWindow& w = *main_;
  RefillDriveList();
  w.onCommand = [this](int id, int notification) { OnCommand(id, notification); };
  w.onCloseRequested = [this] { ExitProgram(Context(), 0); };
  w.onSetCursor = [this] {
    if (!busyPointer_) return false;
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
  };
  deepwash_->onDone = [this] { ShowWindow(main_->Handle(), SW_SHOW); };
  Options().onValueChanged = [this](RunOption option, int value) {
    SendMessageW(main_->BoxOf(option), BM_SETCHECK, value == 0 ? BST_UNCHECKED : value == 1 ? BST_CHECKED : BST_INDETERMINATE, 0);
  };
}

void DesktopProgram::OnCommand(int id, int notification) {
  if (const std::optional<MenuCommand> command = MenuCommandOf(id)) {
    // A disabled entry does nothing, whatever sent the command.
    if ((GetMenuState(main_->menuBar, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0) {
      OnMenu(*command);
    }
    return;
  }
  MainWindow& w = *main_;
  if (id == kDriveListId) {
    const LRESULT index = SendMessageW(w.driveList, CB_GETCURSEL, 0, 0);
    const std::vector<std::string>& entries = session_->Drives().Entries();
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return;
    const char letter = entries[static_cast<std::size_t>(index)][0];
    // A drive the user picks in the list (the one shown included) is named
    // for this run: a destructive run may then clean it though it was only
    // found on the host. A change (CBN_SELCHANGE) names and selects the
    // drive picked; the list's closing on a pick (CBN_SELENDOK, which comes
    // after it) names the drive shown only when the pick changed nothing,
    // since a failed drive check may have moved the list to C: meanwhile.
    switch (notification) {
      case CBN_DROPDOWN: listChanged_ = false; break;
      case CBN_SELCHANGE:
        listChanged_ = true;
        session_->NameDrive(letter);
        session_->SelectDrive(letter);
        break;
      case CBN_SELENDOK:
        if (!listChanged_) session_->NameDrive(letter);
        listChanged_ = false;
        break;
      default: break;
    }
    return;
  }
  if (notification != BN_CLICKED) return;
  if (id == kCleanId) {
    OnCleanClicked();
  } else if (id == kExitId) {
    ExitProgram(Context(), 0);
  } else if (id == kDeepwashId) {
    OnDeepwashClicked();
  } else if (id == kLabel5Id) {
    OpenDocument(addresses_.techSupport);
  } else if (id > kCheck1Id && id <= kCheck1Id + 6) {
    const auto option = static_cast<RunOption>(id - kCheck1Id);
    // A click checks a box that was unchecked or greyed and clears one that
    // was checked; the box then shows what the model kept.
    const bool checked = SendMessageW(w.BoxOf(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
    Options().SetValue(option, checked ? 0 : 1);
    Options().onValueChanged(option, Options().CheckValue(option));
  }
}

void DesktopProgram::OnMenu(MenuCommand command) {
  switch (command) {
    case MenuCommand::CleanHd: OnCleanClicked(); break;
    case MenuCommand::DeleteReport: DeleteRecordFile(Context(), RecordKind::RunReport); break;
    case MenuCommand::DeleteLog: DeleteRecordFile(Context(), RecordKind::DeletionLog); break;
    case MenuCommand::Exit: ExitProgram(Context(), 0);
    case MenuCommand::Info: boxes_.ShowMessage(InfoSummary(Context())); break;
    case MenuCommand::Report: ShowRecordFile(Context(), *viewer_, RecordKind::RunReport); break;
    case MenuCommand::Log: ShowRecordFile(Context(), *viewer_, RecordKind::DeletionLog); break;
    case MenuCommand::Figures: OnFiguresChosen(); break;
    case MenuCommand::Deepwash: OnDeepwashClicked(); break;
    case MenuCommand::Drives: OnDrivesChosen(); break;
    case MenuCommand::About: boxes_.ShowMessage(AboutBox(BuildNumber(), addresses_)); break;
    case MenuCommand::Tips: boxes_.ShowMessage(TipsBox(addresses_)); break;
    case MenuCommand::Documentation:
    case MenuCommand::WebUpdate: OpenDocument(addresses_.product); break;
    case MenuCommand::TechSupport: OpenDocument(addresses_.techSupport); break;
    case MenuCommand::UpdateHistory: OpenDocument(addresses_.updateHistory); break;
    case MenuCommand::Uninstall: OnUninstall(); break;
  }
}

bool DesktopProgram::Start() {
  MainWindow& w = *main_;
  const std::string lockPath =
      environment_.instanceLockPath.empty() ? platform::InstanceLock::DefaultPath() : environment_.instanceLockPath;
  if (!instance_.Acquire(lockPath)) return false;

  SetWindowText(w.title, kTitleText);
  SetWindowText(w.label4, kBannerText);
  SetWindowTextW(w.label5, WindowsLineBreaks(i18n::TranslatedLines(SupportLabelText())).c_str());
  w.SetTooltip(w.label5, kSupportTooltip);
  SetWindowText(w.label6, std::to_string(BuildNumber()));
  w.SetTooltip(w.label6, std::string(kBuildTooltipPrefix) + std::to_string(BuildNumber()));
  w.FitCaptions();
  CentreOnMonitor(w.Handle());
  const std::string clip = platform::ProgramDataFile(Context().config.programFolder, "Tidewell1.avi");
  // The clip's first frame is shown until a run plays it (a missing clip
  // leaves the control empty).
  if (SendMessageW(w.animation, ACM_OPENW, 0, reinterpret_cast<LPARAM>(Widen(clip).c_str()))) StopAnimation();

  // The window's start: the drive check runs for the start drive whatever
  // the options, C: becomes the working folder, and nothing stops it; a
  // window with no drive only cannot clean.
  session_->Start({.enterDriveC = true});
  if (!session_->HasDrives()) {
    SetStatusText(kNoDriveStatus);
  } else if (session_->StoreUnreadable()) {
    SetStatusText(kStoreUnreadableStatus);
  }
  if (!HasSwitch(Context().config.commandLine, 'I')) {
    ShowWindow(w.Handle(), SW_SHOW);
    SetForegroundWindow(w.Handle());
  }
  Repaint();
  SetControlsEnabled(true);
  if (HasSwitch(Context().config.commandLine, 'U')) {
    if (!session_->CanClean()) ExitProgram(Context(), 1);
    OnCleanClicked();
    // Still here: the run was refused; an unattended start must not stay open.
    ExitProgram(Context(), 2);
  }
  return true;
}

int DesktopProgram::Run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  return static_cast<int>(message.wParam);
}

void DesktopProgram::Dispatch(MSG& message) {
  HWND mainWindow = main_->Handle();
  if ((message.hwnd == mainWindow || IsChild(mainWindow, message.hwnd)) &&
      TranslateAcceleratorW(mainWindow, main_->accelerators, &message)) {
    return;
  }
  for (HWND window : {mainWindow, deepwash_->Handle(), figuresWindow_ ? figuresWindow_->Handle() : nullptr,
                      drivesWindow_ ? drivesWindow_->Handle() : nullptr,
                      drivesWindow_ ? drivesWindow_->AddWindow().Handle() : nullptr}) {
    if (window != nullptr && IsDialogMessageW(window, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void DesktopProgram::OnCleanClicked() {
  if (running_ || !session_->CanClean()) return;
  // A stored age limit or keep line that cannot be read, or a destructive
  // run of a drive the user did not pick: told, nothing cleaned.
  if (const std::optional<Message> refusal = CleanRefusal(*session_)) {
    boxes_.ShowMessage(*refusal);
    return;
  }
  running_ = true;
  figures_.Clear();
  RunCleaning(Context());
  running_ = false;
}

void DesktopProgram::OnFiguresChosen() {
  if (figures_.Empty()) return;
  if (!figuresWindow_) figuresWindow_ = std::make_unique<FiguresWindow>();
  figuresWindow_->Show(figures_.Rows(*Context().config.locale));
}

void DesktopProgram::OnDrivesChosen() {
  if (running_) return;
  if (!drivesWindow_) {
    drivesModel_ = std::make_unique<DrivesModel>(*session_);
    drivesWindow_ = std::make_unique<DrivesWindow>(*drivesModel_, boxes_);
    drivesWindow_->onDrivesChanged = [this] {
      RefillDriveList();
      SetControlsEnabled(true);
      // As at start: with nothing to clean the status line says why.
      if (!session_->HasDrives()) {
        SetStatusText(kNoDriveStatus);
      } else if (session_->StoreUnreadable()) {
        SetStatusText(kStoreUnreadableStatus);
      }
    };
  }
  drivesWindow_->Open(main_->Handle());
}

void DesktopProgram::RefillDriveList() {
  HWND list = main_->driveList;
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : session_->Drives().Entries()) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
  }
  ShowDriveInList();
}

void DesktopProgram::OnDeepwashClicked() {
  PlayWave(platform::ProgramDataFile(Context().config.programFolder, "Tidewell2.wav"), false);
  ShowWindow(main_->Handle(), SW_HIDE);
  deepwash_->Show();
}

void DesktopProgram::ShowDriveInList() {
  const std::string& current = session_->Drives().Current();
  const std::vector<std::string>& entries = session_->Drives().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == current) SendMessageW(main_->driveList, CB_SETCURSEL, i, 0);
  }
}

void DesktopProgram::OpenDocument(const std::string& address) {
  bool opened = false;
  if (environment_.openDocument) {
    opened = environment_.openDocument(address);
  } else {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(main_->Handle(), L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    opened = result > 32;
  }
  if (!opened) boxes_.ShowMessage(AddressNotOpened(address));
}

void DesktopProgram::OnUninstall() {
  const std::string uninstaller = ProgramFile("UnWise.exe");
  if (platform::HostFileExists(uninstaller)) {
    std::wstring commandLine = L"\"" + Widen(uninstaller) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                       &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      ExitProgram(Context(), 0);
    }
  }
  boxes_.ShowMessage(UninstallNotAvailable());
}

void DesktopProgram::SetControlsEnabled(bool enabled) {
  MainWindow& w = *main_;
  const UINT state = enabled ? MF_ENABLED : MF_GRAYED;
  // The menus and every entry in them, so their shortcut keys go with them.
  const int menus = GetMenuItemCount(w.menuBar);
  for (int i = 0; i < menus; ++i) {
    EnableMenuItem(w.menuBar, static_cast<UINT>(i), MF_BYPOSITION | state);
    HMENU popup = GetSubMenu(w.menuBar, i);
    const int entries = GetMenuItemCount(popup);
    for (int j = 0; j < entries; ++j) EnableMenuItem(popup, static_cast<UINT>(j), MF_BYPOSITION | state);
  }
  // Figures by Category has nothing to show before a run has ended a drive.
  EnableMenuItem(w.menuBar, MenuId(MenuCommand::Figures),
                 MF_BYCOMMAND | (enabled && !figures_.Empty() ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(w.Handle());
  const bool canClean = enabled && session_->CanClean();
  EnableWindow(w.cleanButton, canClean);
  EnableMenuItem(w.menuBar, MenuId(MenuCommand::CleanHd), MF_BYCOMMAND | (canClean ? MF_ENABLED : MF_GRAYED));
  EnableWindow(w.deepwashButton, enabled);
  EnableWindow(w.frame, enabled);
  for (const RunOption option : kMainWindowOptions) EnableWindow(w.BoxOf(option), enabled);
  EnableWindow(w.driveList, enabled);
}

// RunFeedback ---------------------------------------------------------------

void DesktopProgram::SetStatusText(std::string_view text) {
  status_ = text;
  std::string line = i18n::TranslatedLines(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  SendMessageW(main_->statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
}

void DesktopProgram::SetProgressValue(int value) {
  EndBusyProgress();  // the analysis is over: the bar counts again
  SendMessageW(main_->progressBar, PBM_SETPOS, value, 0);
}

void DesktopProgram::EndBusyProgress() {
  HWND bar = main_->progressBar;
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  if ((style & PBS_MARQUEE) == 0) return;
  SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
  SetWindowLongPtrW(bar, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
}

// While a drive is analysed nothing yet says how much is left, and the
// steps wait for the cleaning: the bar runs as a marquee meanwhile, and
// takes its style and range back with the first step after.
void DesktopProgram::ShowDriveProgress(const DriveProgress& progress) {
  HWND bar = main_->progressBar;
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  if (progress.phase != DriveProgress::Phase::Analysing || (style & PBS_MARQUEE) != 0) return;
  SetWindowLongPtrW(bar, GWL_STYLE, style | PBS_MARQUEE);
  SendMessageW(bar, PBM_SETMARQUEE, TRUE, kMarqueeStepMs);
}

void DesktopProgram::StartAnimation() { SendMessageW(main_->animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF)); }

void DesktopProgram::StopAnimation() {
  SendMessageW(main_->animation, ACM_STOP, 0, 0);
  SendMessageW(main_->animation, ACM_PLAY, 1, MAKELONG(0, 0));  // the first frame again
}

void DesktopProgram::PlayWave(const std::string& hostPath, bool wait) {
  sound_ = hostPath;
  PlaySoundW(Widen(hostPath).c_str(), nullptr, SND_FILENAME | SND_NODEFAULT | (wait ? SND_SYNC : SND_ASYNC));
}

void DesktopProgram::CloseSoundDevice() {
  PlaySoundW(nullptr, nullptr, 0);
  sound_.clear();
}

void DesktopProgram::SetBusyPointer() {
  busyPointer_ = true;
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
}

void DesktopProgram::SetDefaultPointer() {
  if (!busyPointer_) return;
  busyPointer_ = false;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// A window hidden by "/I" stays hidden: only a visible one changes state.
void DesktopProgram::MinimiseWindow() {
  if (IsWindowVisible(main_->Handle())) ShowWindow(main_->Handle(), SW_MINIMIZE);
}

void DesktopProgram::RestoreWindow() {
  HWND window = main_->Handle();
  if (IsWindowVisible(window) && (IsIconic(window) || IsZoomed(window))) ShowWindow(window, SW_RESTORE);
}

void DesktopProgram::Repaint() {
  if (IsWindowVisible(main_->Handle())) {
    RedrawWindow(main_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

void DesktopProgram::Beep() { MessageBeep(MB_OK); }
void DesktopProgram::LockControls() { SetControlsEnabled(false); }
void DesktopProgram::UnlockControls() {
  // A drive abandoned before its cleaning leaves no bar running.
  EndBusyProgress();
  SetControlsEnabled(true);
}

bool DesktopProgram::SelectDrive(char letter) { return session_->SelectDrive(letter); }

void DesktopProgram::ShowDeletionLog() { ShowRecordFile(Context(), *viewer_, RecordKind::DeletionLog); }

void DesktopProgram::EndProgram(int exitStatus) {
  if (environment_.endProgram) environment_.endProgram(exitStatus);
  std::fflush(nullptr);
  std::_Exit(exitStatus);
}

void DesktopProgram::ProcessPendingMessages() {
  const ULONGLONG now = GetTickCount64();
  if (lastYield_ == 0 || now - lastYield_ >= kYieldIntervalMs) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      Dispatch(message);
    }
    lastYield_ = now;
  }
  if (environment_.onYield) environment_.onYield();
}

}  // namespace tidewell::ui::win32
