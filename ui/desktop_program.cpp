#include "ui/desktop_program.h"

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
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/cleaning_run.h"
#include "engine/drive_checks.h"
#include "engine/record_actions.h"
#include "platform/drive_discovery.h"
#include "platform/process_facts.h"
#include "ui/animation_player.h"
#include "ui/deepwash_window.h"
#include "ui/main_window.h"
#include "ui/qt_message_boxes.h"
#include "ui/record_viewer.h"

namespace tidewell::ui {
namespace {

QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kYieldIntervalMs = 15;

}  // namespace

DesktopProgram::DesktopProgram(MessageBoxes& boxes, DesktopEnvironment environment)
    : boxes_(boxes),
      environment_(std::move(environment)),
      storeFile_(environment_.storePath.empty() ? platform::PreferencesFile::DefaultPath() : environment_.storePath),
      store_(storeFile_, boxes_, storeFile_.Path()) {
  main_ = std::make_unique<MainWindow>();
  deepwash_ = std::make_unique<DeepwashWindow>(boxes_);
  selection_ = std::make_unique<DeepwashSelection>(store_, *deepwash_, suppressEvents_);
  deepwash_->Bind(*selection_);
  options_ = std::make_unique<MainWindowOptions>(store_, boxes_, suppressEvents_, *selection_);
  // An unreadable store may name the drives: then only TIDEWELL_DRIVES
  // counts, never discovery (see Start() for what the user is told).
  std::vector<std::pair<std::string, std::string>> storedDrives;
  storeProblem_ = storeFile_.ReadSectionChecked("Drives", storedDrives);
  files_ = std::make_unique<platform::VirtualFileSystem>(
      storeProblem_ ? platform::DriveTable::FromSources({}, {}, &driveProblems_)
                    : platform::LoadDriveTable(storedDrives, &driveProblems_));
  // A refused drive root shows as a drive without a disk; the reason goes
  // to the standard error, where a "/U /I" run started by a script is seen.
  files_->OnDriveRefused([](const std::string& why) { std::fprintf(stderr, "tidewell: %s\n", why.c_str()); });
  context_ = std::make_unique<RunContext>(*files_, *options_, *selection_, *this, suppressEvents_);
  context_->store = &store_;
  context_->commandLine = environment_.commandLine;
  context_->programFolder =
      environment_.programFolder.empty() ? platform::ProgramFolder() : environment_.programFolder;
  context_->recordsFolder = environment_.recordsFolder.empty() ? platform::RecordsFolder(context_->programFolder)
                                                               : environment_.recordsFolder;
  if (environment_.now) context_->now = environment_.now;
  if (environment_.locale != nullptr) context_->locale = environment_.locale;
  // The drive list starts on the process's current drive.
  drives_ = std::make_unique<DriveList>(files_->Drives(), platform::CurrentVirtualFolder(files_->Drives())[0]);
  viewer_ = std::make_unique<RecordViewerHost>();
  addresses_ = BuiltInAddresses(context_->programFolder);
  Wire();
}

DesktopProgram::~DesktopProgram() {
  if (busyPointer_) QApplication::restoreOverrideCursor();
}

void DesktopProgram::Wire() {
  MainWindow& w = *main_;
  for (const std::string& entry : drives_->Entries()) w.driveList->addItem(FromStd(entry));
  ShowDriveInList();

  QObject::connect(w.cleanButton, &QPushButton::clicked, [this] { OnCleanClicked(); });
  QObject::connect(w.cleanAction, &QAction::triggered, [this] { OnCleanClicked(); });
  QObject::connect(w.exitButton, &QPushButton::clicked, [this] { ExitProgram(*context_, 0); });
  QObject::connect(w.exitAction, &QAction::triggered, [this] { ExitProgram(*context_, 0); });
  w.onCloseRequested = [this] { ExitProgram(*context_, 0); };
  QObject::connect(w.deepwashButton, &QPushButton::clicked, [this] { OnDeepwashClicked(); });
  QObject::connect(w.deepwashAction, &QAction::triggered, [this] { OnDeepwashClicked(); });
  deepwash_->onDone = [this] { main_->show(); };

  for (int index = 1; index <= 6; ++index) {
    QObject::connect(w.check1[static_cast<std::size_t>(index)], &QCheckBox::clicked,
                     [this, index](bool checked) { options_->SetValue(index, checked ? 1 : 0); });
  }
  options_->onValueChanged = [this](int index, int value) {
    QCheckBox* box = main_->check1[static_cast<std::size_t>(index)];
    const QSignalBlocker blocker(box);
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
  };
  QObject::connect(w.driveList, &QComboBox::currentIndexChanged, [this](int index) { OnDriveChosen(index); });

  QObject::connect(w.deleteReportAction, &QAction::triggered,
                   [this] { DeleteRecordFile(*context_, RecordKind::RunReport); });
  QObject::connect(w.deleteLogAction, &QAction::triggered,
                   [this] { DeleteRecordFile(*context_, RecordKind::DeletionLog); });
  QObject::connect(w.infoAction, &QAction::triggered, [this] { boxes_.ShowMessage(InfoSummary(*context_)); });
  QObject::connect(w.reportAction, &QAction::triggered,
                   [this] { ShowRecordFile(*context_, *viewer_, RecordKind::RunReport); });
  QObject::connect(w.logAction, &QAction::triggered,
                   [this] { ShowRecordFile(*context_, *viewer_, RecordKind::DeletionLog); });

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
  for (const std::string& problem : driveProblems_) std::fprintf(stderr, "tidewell: %s\n", problem.c_str());

  context_->WindowsDir = platform::FindWindowsDir(*files_);
  w.setWindowState(Qt::WindowNoState);
  w.adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    w.move(area.left() + (area.width() - w.frameGeometry().width()) / 2,
           area.top() + (area.height() - w.frameGeometry().height()) / 2);
  }
  for (QLabel* label : w.title) label->setText(QStringLiteral("Tidewell III"));
  w.label4->setText(QStringLiteral("Automatic Win95/98/NT4/2K HD Cleanup"));
  w.label5->setText(MessageTextForDisplay(SupportLabelText()));
  w.label5->setToolTip(QStringLiteral("CLICK HERE for TECH SUPPORT"));
  w.label6->setText(QString::number(BuildNumber()));
  w.label6->setToolTip(QStringLiteral("Build ") + QString::number(BuildNumber()));
  w.animation->Open(QString::fromStdString(ProgramFile("Tidewell1.avi")));

  const bool storeUnreadable = storeProblem_ && files_->Drives().Empty();
  if (storeUnreadable) {
    // Said before anything else, so a later "can't save" reads in its light.
    boxes_.ShowMessage(
        UnreadableStoreMessage(storeFile_.Path(), platform::DescribeReadProblem(storeProblem_)));
  }
  options_->Load();
  if (!drives_->Current().empty()) CheckSelectedDrive(*context_);
  // C: becomes the process's current drive; the drive list keeps its entry.
  if (const platform::DriveMapping* c = files_->Drives().Find('C')) {
    if (chdir(c->hostRoot.c_str()) != 0) {
      // A drive without its folder: the working folder stays where it was.
    }
  }
  selection_->Create();
  if (files_->Drives().Empty()) {
    if (!storeUnreadable) boxes_.ShowMessage(NoDriveMessage(storeFile_.Path()));
    SetStatusText("No drive to clean");
  }
  if (options_->Value(6) != 0) boxes_.ShowMessage(TestModeNotice());
  if (!HasSwitch(context_->commandLine, 'I')) w.show();
  Repaint();
  SetControlsEnabled(true);
  if (HasSwitch(context_->commandLine, 'U')) {
    if (files_->Drives().Empty()) ExitProgram(*context_, 1);
    OnCleanClicked();
  }
  return true;
}

void DesktopProgram::OnCleanClicked() {
  if (running_ || files_->Drives().Empty()) return;
  running_ = true;
  RunCleaning(*context_);
  running_ = false;
}

void DesktopProgram::OnDeepwashClicked() {
  PlayWave(ProgramFile("Tidewell2.wav"), false);
  main_->hide();
  deepwash_->show();
  deepwash_->raise();
}

void DesktopProgram::OnDriveChosen(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= drives_->Entries().size()) return;
  const std::string& entry = drives_->Entries()[static_cast<std::size_t>(index)];
  if (drives_->Select(entry[0]) == DriveSelection::Changed) CheckSelectedDrive(*context_);
}

void DesktopProgram::ShowDriveInList() {
  const QSignalBlocker blocker(main_->driveList);
  main_->driveList->setCurrentText(FromStd(drives_->Current()));
}

void DesktopProgram::OpenDocument(const std::string& address) {
  if (environment_.openDocument) {
    environment_.openDocument(address);
  } else {
    QDesktopServices::openUrl(QUrl::fromUserInput(FromStd(address)));  // the result is ignored
  }
}

void DesktopProgram::OnUninstall() {
  const std::string uninstaller = ProgramFile("UnWise.exe");
  std::error_code error;
  if (std::filesystem::exists(uninstaller, error) &&
      QProcess::startDetached(QString::fromStdString(uninstaller), {})) {
    ExitProgram(*context_, 0);
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
  const bool canClean = enabled && !files_->Drives().Empty();
  w.cleanButton->setEnabled(canClean);
  w.cleanAction->setEnabled(canClean);
  w.deepwashButton->setEnabled(enabled);
  w.frame->setEnabled(enabled);
  for (int index = 1; index <= 6; ++index) w.check1[static_cast<std::size_t>(index)]->setEnabled(enabled);
  w.driveList->setEnabled(enabled);
}

// RunFeedback ---------------------------------------------------------------

void DesktopProgram::SetStatusText(std::string_view text) {
  status_ = text;
  main_->statusText->setText(MessageTextForDisplay(status_));
}

void DesktopProgram::SetProgressValue(int value) { main_->progressBar->setValue(value); }
void DesktopProgram::StartAnimation() { main_->animation->Play(); }
void DesktopProgram::StopAnimation() { main_->animation->Stop(); }
void DesktopProgram::PlayWave(const std::string& hostPath, bool wait) { wave_.Play(QString::fromStdString(hostPath), wait); }
void DesktopProgram::CloseSoundDevice() { wave_.Close(); }

void DesktopProgram::SetBusyPointer() {
  if (busyPointer_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
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

bool DesktopProgram::SelectDrive(char letter) {
  const DriveSelection result = drives_->Select(letter);
  if (result == DriveSelection::NoSuchDrive) return false;
  if (result == DriveSelection::Changed) {
    ShowDriveInList();
    CheckSelectedDrive(*context_);
  }
  return true;
}

void DesktopProgram::ShowDeletionLog() { ShowRecordFile(*context_, *viewer_, RecordKind::DeletionLog); }

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
