#include "ui/qt/desktop_program.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "engine/cleaning_run.h"
#include "engine/record_actions.h"
#include "platform/host_paths.h"
#include "platform/process_facts.h"
#include "platform/program_files.h"
#include "ui/drives_model.h"
#include "ui/qt/animation_player.h"
#include "ui/qt/deepwash_window.h"
#include "ui/qt/drives_dialog.h"
#include "ui/qt/figures_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_message_boxes.h"
#include "ui/qt/record_viewer.h"
#include "ui/qt/screen_centring.h"
#include "ui/qt/translated_text.h"
#include "ui/window_texts.h"

namespace tidewell::ui {
namespace {

QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kYieldIntervalMs = 15;

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
  viewer_ = std::make_unique<RecordViewerHost>();
  // Each drive a run ends, for View > Figures by Category.
  session_->Config().driveFinished = [this](const DriveSummary& drive) { figures_.Add(drive); };
  addresses_ = BuiltInAddresses(Context().config.programFolder);
  Wire();
}

DesktopProgram::~DesktopProgram() {
  if (busyPointer_) QApplication::restoreOverrideCursor();
}

void DesktopProgram::Wire() {
  MainWindow& w = *main_;
  for (const std::string& entry : session_->Drives().Entries()) w.driveList->addItem(FromStd(entry));
  ShowDriveInList();

  QObject::connect(w.cleanButton, &QPushButton::clicked, [this] { OnCleanClicked(); });
  QObject::connect(w.cleanAction, &QAction::triggered, [this] { OnCleanClicked(); });
  QObject::connect(w.exitButton, &QPushButton::clicked, [this] { ExitProgram(Context(), 0); });
  QObject::connect(w.exitAction, &QAction::triggered, [this] { ExitProgram(Context(), 0); });
  w.onCloseRequested = [this] { ExitProgram(Context(), 0); };
  QObject::connect(w.deepwashButton, &QPushButton::clicked, [this] { OnDeepwashClicked(); });
  QObject::connect(w.deepwashAction, &QAction::triggered, [this] { OnDeepwashClicked(); });
  deepwash_->onDone = [this] { main_->show(); };

  for (const RunOption option : kMainWindowOptions) {
    QObject::connect(w.BoxOf(option), &QCheckBox::clicked,
                     [this, option](bool checked) { Options().SetValue(option, checked ? 1 : 0); });
  }
  Options().onValueChanged = [this](RunOption option, int value) {
    QCheckBox* box = main_->BoxOf(option);
    const QSignalBlocker blocker(box);
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
  };
  QObject::connect(w.driveList, &QComboBox::currentIndexChanged, [this](int index) { OnDriveChosen(index); });
  // A drive the user picks in the list (the one shown included) is named
  // for this run: a destructive run may then clean it though it was only
  // found on the host.
  QObject::connect(w.driveList, &QComboBox::activated, [this](int index) {
    const std::vector<std::string>& entries = session_->Drives().Entries();
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size()) {
      session_->NameDrive(entries[static_cast<std::size_t>(index)][0]);
    }
  });

  QObject::connect(w.deleteReportAction, &QAction::triggered,
                   [this] { DeleteRecordFile(Context(), RecordKind::RunReport); });
  QObject::connect(w.deleteLogAction, &QAction::triggered,
                   [this] { DeleteRecordFile(Context(), RecordKind::DeletionLog); });
  QObject::connect(w.infoAction, &QAction::triggered, [this] { boxes_.ShowMessage(InfoSummary(Context())); });
  QObject::connect(w.reportAction, &QAction::triggered,
                   [this] { ShowRecordFile(Context(), *viewer_, RecordKind::RunReport); });
  QObject::connect(w.logAction, &QAction::triggered,
                   [this] { ShowRecordFile(Context(), *viewer_, RecordKind::DeletionLog); });
  QObject::connect(w.figuresAction, &QAction::triggered, [this] { OnFiguresChosen(); });
  QObject::connect(w.drivesAction, &QAction::triggered, [this] { OnDrivesChosen(); });

  QObject::connect(w.aboutAction, &QAction::triggered,
                   [this] { boxes_.ShowMessage(AboutBox(BuildNumber(), addresses_)); });
  QObject::connect(w.tipsAction, &QAction::triggered, [this] { boxes_.ShowMessage(TipsBox(addresses_)); });
  QObject::connect(w.documentationAction, &QAction::triggered, [this] { OpenDocument(addresses_.product); });
  QObject::connect(w.webUpdateAction, &QAction::triggered, [this] { OpenDocument(addresses_.product); });
  QObject::connect(w.techSupportAction, &QAction::triggered, [this] { OpenDocument(addresses_.techSupport); });
  QObject::connect(w.updateHistoryAction, &QAction::triggered, [this] { OpenDocument(addresses_.updateHistory); });
  w.onSupportLabelClicked = [this] { OpenDocument(addresses_.techSupport); };
  QObject::connect(w.uninstallAction, &QAction::triggered, [this] { OnUninstall(); });
}

bool DesktopProgram::Start() {
  MainWindow& w = *main_;
  const std::string lockPath =
      environment_.instanceLockPath.empty() ? platform::InstanceLock::DefaultPath() : environment_.instanceLockPath;
  if (!instance_.Acquire(lockPath)) return false;

  w.setWindowState(Qt::WindowNoState);
  w.adjustSize();
  CentreOnScreen(w);
  for (QLabel* label : w.title) label->setText(FromStd(kTitleText));
  w.label4->setText(Shown(kBannerText));
  w.label5->setText(MessageTextForDisplay(i18n::TranslatedLines(SupportLabelText())));
  w.label5->setToolTip(Shown(kSupportTooltip));
  w.label6->setText(QString::number(BuildNumber()));
  w.label6->setToolTip(Shown(kBuildTooltipPrefix) + QString::number(BuildNumber()));
  w.FitCaptions();
  w.animation->Open(QString::fromStdString(platform::ProgramDataFile(Context().config.programFolder, "Tidewell1.avi")));

  // The window's start: the drive check runs for the start drive whatever
  // the options, C: becomes the working folder, and nothing stops it; a
  // window with no drive only cannot clean.
  session_->Start({.enterDriveC = true});
  if (!session_->HasDrives()) {
    SetStatusText(kNoDriveStatus);
  } else if (session_->StoreUnreadable()) {
    SetStatusText(kStoreUnreadableStatus);
  }
  if (!HasSwitch(Context().config.commandLine, 'I')) w.show();
  Repaint();
  SetControlsEnabled(true);
  if (HasSwitch(Context().config.commandLine, 'U')) {
    if (!session_->CanClean()) ExitProgram(Context(), 1);
    OnCleanClicked();
    // Still here: the run was refused (unreadable filters); an unattended
    // start must not stay open.
    ExitProgram(Context(), 2);
  }
  return true;
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
  if (!drivesDialog_) {
    drivesModel_ = std::make_unique<DrivesModel>(*session_);
    drivesDialog_ = std::make_unique<DrivesDialog>(*drivesModel_, boxes_, main_.get());
    drivesDialog_->onDrivesChanged = [this] { RefillDriveList(); };
  }
  drivesDialog_->Refresh();
  drivesDialog_->show();
  drivesDialog_->raise();
  drivesDialog_->activateWindow();
}

void DesktopProgram::RefillDriveList() {
  QComboBox* list = main_->driveList;
  {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& entry : session_->Drives().Entries()) list->addItem(FromStd(entry));
  }
  ShowDriveInList();
  SetControlsEnabled(true);
  // As at start: with nothing to clean the status line says why.
  if (!session_->HasDrives()) {
    SetStatusText(kNoDriveStatus);
  } else if (session_->StoreUnreadable()) {
    SetStatusText(kStoreUnreadableStatus);
  }
}

void DesktopProgram::OnDeepwashClicked() {
  PlayWave(platform::ProgramDataFile(Context().config.programFolder, "Tidewell2.wav"), false);
  main_->hide();
  deepwash_->show();
  deepwash_->raise();
}

void DesktopProgram::OnDriveChosen(int index) {
  const std::vector<std::string>& entries = session_->Drives().Entries();
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return;
  session_->SelectDrive(entries[static_cast<std::size_t>(index)][0]);
}

void DesktopProgram::ShowDriveInList() {
  const QSignalBlocker blocker(main_->driveList);
  main_->driveList->setCurrentText(FromStd(session_->Drives().Current()));
}

void DesktopProgram::OpenDocument(const std::string& address) {
  const bool opened = environment_.openDocument ? environment_.openDocument(address)
                                                : QDesktopServices::openUrl(QUrl::fromUserInput(FromStd(address)));
  if (!opened) boxes_.ShowMessage(AddressNotOpened(address));
}

void DesktopProgram::OnUninstall() {
  const std::string uninstaller = ProgramFile("UnWise.exe");
  if (platform::HostFileExists(uninstaller) &&
      QProcess::startDetached(QString::fromStdString(uninstaller), {})) {
    ExitProgram(Context(), 0);
  }
  boxes_.ShowMessage(UninstallNotAvailable());
}

void DesktopProgram::SetControlsEnabled(bool enabled) {
  MainWindow& w = *main_;
  for (QMenu* menu : {w.fileMenu, w.viewMenu, w.optionsMenu, w.helpMenu}) menu->menuAction()->setEnabled(enabled);
  // The menu entries go with their menus, so their shortcuts do too.
  for (QMenu* menu : {w.fileMenu, w.viewMenu, w.optionsMenu, w.helpMenu}) {
    for (QAction* action : menu->actions()) action->setEnabled(enabled);
  }
  // Figures by Category has nothing to show before a run has ended a drive.
  w.figuresAction->setEnabled(enabled && !figures_.Empty());
  const bool canClean = enabled && session_->CanClean();
  w.cleanButton->setEnabled(canClean);
  w.cleanAction->setEnabled(canClean);
  w.deepwashButton->setEnabled(enabled);
  w.frame->setEnabled(enabled);
  for (const RunOption option : kMainWindowOptions) w.BoxOf(option)->setEnabled(enabled);
  w.driveList->setEnabled(enabled);
}

// RunFeedback ---------------------------------------------------------------

void DesktopProgram::SetStatusText(std::string_view text) {
  status_ = text;
  main_->statusText->setText(MessageTextForDisplay(i18n::TranslatedLines(status_)));
}

void DesktopProgram::SetProgressValue(int value) {
  QProgressBar* bar = main_->progressBar;
  if (bar->maximum() == 0) bar->setRange(0, 100);  // the analysis is over: the bar bounces again
  bar->setValue(value);
}

// While a drive is analysed nothing yet says how much is left, and the
// bouncing steps wait for the cleaning: the bar runs as the style's busy
// indicator meanwhile (a range of nothing), and takes its range back with
// the first step after.
void DesktopProgram::ShowDriveProgress(const DriveProgress& progress) {
  QProgressBar* bar = main_->progressBar;
  if (progress.phase == DriveProgress::Phase::Analysing && bar->maximum() != 0) bar->setRange(0, 0);
}
void DesktopProgram::StartAnimation() { main_->animation->Play(); }
void DesktopProgram::StopAnimation() { main_->animation->Stop(); }
void DesktopProgram::PlayWave(const std::string& hostPath, bool wait) { wave_.Play(QString::fromStdString(hostPath), wait); }
void DesktopProgram::CloseSoundDevice() { wave_.Close(); }

void DesktopProgram::SetBusyPointer() {
  if (busyPointer_) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  busyPointer_ = true;
}

void DesktopProgram::SetDefaultPointer() {
  if (!busyPointer_) return;
  QApplication::restoreOverrideCursor();
  busyPointer_ = false;
}

// The state changes without showing a window that is hidden ("/I").
void DesktopProgram::MinimiseWindow() { main_->setWindowState(main_->windowState() | Qt::WindowMinimized); }
void DesktopProgram::RestoreWindow() {
  main_->setWindowState(main_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void DesktopProgram::Repaint() {
  if (main_->isVisible()) main_->repaint();
}

void DesktopProgram::Beep() { QApplication::beep(); }
void DesktopProgram::LockControls() { SetControlsEnabled(false); }
void DesktopProgram::UnlockControls() { SetControlsEnabled(true); }

bool DesktopProgram::SelectDrive(char letter) { return session_->SelectDrive(letter); }

void DesktopProgram::ShowDeletionLog() { ShowRecordFile(Context(), *viewer_, RecordKind::DeletionLog); }

void DesktopProgram::EndProgram(int exitStatus) {
  if (environment_.endProgram) environment_.endProgram(exitStatus);
  std::fflush(nullptr);
  std::_Exit(exitStatus);
}

void DesktopProgram::ProcessPendingMessages() {
  if (!sinceYield_.isValid() || sinceYield_.elapsed() >= kYieldIntervalMs) {
    QCoreApplication::processEvents();
    sinceYield_.start();
  }
  if (environment_.onYield) environment_.onYield();
}

}  // namespace tidewell::ui
