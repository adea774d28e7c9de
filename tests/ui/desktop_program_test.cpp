// The desktop program wired end to end, offscreen: start-up on a fresh
// store, a run from "&Clean HD", Exit in the middle of a run, the menus and
// their shortcuts, the record actions and the switches.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTableWidget>
#include <QTextEdit>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/preferences_store.h"
#include "platform/text_file.h"
#include "tests/support/message_recorder.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/temp_drive.h"
#include "settings/category_catalogue.h"
#include "settings/main_options.h"
#include "ui/qt/animation_player.h"
#include "ui/qt/caption_fit.h"
#include "ui/qt/deepwash_window.h"
#include "ui/qt/desktop_program.h"
#include "ui/qt/figures_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/record_viewer.h"
#include "ui/window_texts.h"

namespace fs = std::filesystem;
using namespace tidewell;
using namespace tidewell::ui;

namespace {

using testing::ProgramEnded;

using RecordingBoxes = testing::RecordingMessageBoxes;

// A fresh world for one program: drive C (and D) in a temporary folder, the
// store, the records and the program's folder beside them.
struct World {
  World() {
    for (const char* folder : {"/drive_c", "/drive_d", "/program", "/records", "/runtime"}) {
      fs::create_directories(base.Path() + folder);
    }
    qputenv("TIDEWELL_DRIVES", QByteArray::fromStdString("C=" + base.Path() + "/drive_c;D=" + base.Path() +
                                                         "/drive_d"));
    fs::current_path(base.Path());  // on no drive: the list starts on C
  }
  void File(const std::string& relative, std::size_t size = 10) {
    const fs::path path = base.Path() + "/drive_c/" + relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << std::string(size, 'x');
  }
  bool Exists(const std::string& relative) const { return fs::exists(base.Path() + "/drive_c/" + relative); }
  DesktopEnvironment Environment(std::string commandLine = {}) {
    DesktopEnvironment environment;
    environment.commandLine = std::move(commandLine);
    environment.programFolder = base.Path() + "/program";
    environment.recordsFolder = base.Path() + "/records";
    environment.storePath = base.Path() + "/config/Tidewell.ini";
    environment.instanceLockPath = base.Path() + "/runtime/Tidewell.lock";
    environment.endProgram = [](int status) { throw ProgramEnded{status}; };
    environment.openDocument = [this](const std::string& address) {
      opened.push_back(address);
      return opensAddresses;
    };
    environment.locale = &platform::LocaleFormat::Classic();
    return environment;
  }
  std::string Stored(std::string_view section, std::string_view name) const {
    return platform::PreferencesFile(base.Path() + "/config/Tidewell.ini").Read(section, name, "<none>");
  }

  testing::TempFolder base;
  RecordingBoxes boxes;
  std::vector<std::string> opened;
  bool opensAddresses = true;  // false: the desktop has no browser
};

// Every control a run disables, by name, with its enabled state.
std::map<std::string, bool> LockableStates(MainWindow& w) {
  std::map<std::string, bool> states = {
      {"FileMenu", w.fileMenu->menuAction()->isEnabled()}, {"ViewMenu", w.viewMenu->menuAction()->isEnabled()},
      {"OptionsMenu", w.optionsMenu->menuAction()->isEnabled()},
      {"HelpMenu", w.helpMenu->menuAction()->isEnabled()}, {"Command1", w.cleanButton->isEnabled()},
      {"Command3", w.deepwashButton->isEnabled()},          {"Frame1", w.frame->isEnabled()},
      {"Drive1", w.driveList->isEnabled()}};
  for (int i = 1; i <= 6; ++i) states["Check1_" + std::to_string(i)] = w.check1[static_cast<std::size_t>(i)]->isEnabled();
  return states;
}

// How far the centre of a window's frame lies from the centre of its screen.
QPoint OffCentre(const QWidget& window) {
  return window.frameGeometry().center() - window.screen()->geometry().center();
}

// The width a caption needs to be drawn whole: a check box's box, the gap
// after it and its text; any other control's size hint.
int NeededWidth(const QWidget& caption) {
  const auto* box = qobject_cast<const QCheckBox*>(&caption);
  if (box == nullptr) return caption.sizeHint().width();
  const QStyle* style = box->style();
  return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) +
         box->fontMetrics().size(Qt::TextShowMnemonic, box->text()).width();
}

QString FromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool NearlyCentred(const QWidget& window) {
  const QPoint off = OffCentre(window);
  return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;  // halving rounds
}

}  // namespace

class DesktopProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void firstStartOnAnEmptyStore() {
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();

    QCOMPARE(world.boxes.Titles(), std::vector<std::string>{"TEST MODE is ON ... Tidewell is SAFE AS MILK"});
    QVERIFY(w.isVisible());
    const bool expected[] = {false, false, false, true, false, true};
    for (int i = 1; i <= 6; ++i) QCOMPARE(w.check1[static_cast<std::size_t>(i)]->isChecked(), expected[i - 1]);
    QCOMPARE(w.statusText->text(), QStringLiteral("Ready to clean drive C: [DRIVE_C]"));
    QCOMPARE(w.title[0]->text(), QStringLiteral("Tidewell III"));
    QCOMPARE(w.title[2]->text(), QStringLiteral("Tidewell III"));
    QCOMPARE(w.label4->text(), QStringLiteral("Automatic Win95/98/NT4/2K HD Cleanup"));
    QVERIFY(w.label5->text().endsWith(QStringLiteral("\nCLICK HERE for TECH SUPPORT")));
    QCOMPARE(w.label6->toolTip(), QStringLiteral("Build ") + w.label6->text());
    QCOMPARE(world.Stored("Preferences", "Reporting"), std::string("1"));
    QCOMPARE(world.Stored("Preferences", "TestRun"), std::string("<none>"));
    QCOMPARE(w.driveList->currentText(), QStringLiteral("c: [DRIVE_C]"));
    QCOMPARE(w.driveList->count(), 2);

    // A second copy ends silently, before it reads or shows anything.
    RecordingBoxes otherBoxes;
    DesktopProgram second(otherBoxes, world.Environment());
    QVERIFY(!second.Start());
    QVERIFY(otherBoxes.messages.empty());
  }

  // Both windows come up centred on the screen, frame included; a window the
  // user has moved stays where it was put.
  void bothWindowsOpenCentredOnTheScreenFrameIncluded() {
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY2(w.frameGeometry().size() != w.size(), "the platform draws no frame: nothing to centre with");
    QVERIFY2(NearlyCentred(w), qPrintable(QStringLiteral("main window off centre by %1, %2")
                                              .arg(OffCentre(w).x())
                                              .arg(OffCentre(w).y())));

    DeepwashWindow& deepwash = program.Deepwash();
    w.deepwashButton->click();
    QVERIFY(QTest::qWaitForWindowExposed(&deepwash));
    QVERIFY2(NearlyCentred(deepwash), qPrintable(QStringLiteral("Deepwash window off centre by %1, %2")
                                                     .arg(OffCentre(deepwash).x())
                                                     .arg(OffCentre(deepwash).y())));
    const QPoint moved = deepwash.pos() + QPoint(40, 30);
    deepwash.move(moved);
    QCoreApplication::processEvents();
    deepwash.close();
    w.deepwashButton->click();
    QVERIFY(QTest::qWaitForWindowExposed(&deepwash));
    QCOMPARE(deepwash.pos(), moved);
  }

  // Every caption of the two windows fits its control: none is cut or
  // elided. A font wider than the layout's is drawn smaller until it fits.
  void everyCaptionFitsItsControl() {
    World world;
    DesktopProgram program(world.boxes, world.Environment("/I"));
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    std::vector<QWidget*> captions = {w.title[1], w.label4, w.label5, w.label6};
    for (const RunOption option : kMainWindowOptions) captions.push_back(w.BoxOf(option));
    for (const Category& entry : CatalogueEntries()) captions.push_back(program.Deepwash().CheckBox(entry.id));
    for (const QWidget* caption : captions) {
      const int needed = NeededWidth(*caption);
      QVERIFY2(needed <= caption->width(), qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                                          .arg(caption->objectName())
                                                          .arg(needed)
                                                          .arg(caption->width())));
    }
    // In the layout's own sans face (or a stand-in of its widths) the option
    // captions fit at their size: none is drawn smaller than its neighbours.
    if (QFontInfo(w.font()).family() != QFontInfo(QFont(QStringLiteral("Sans Serif"))).family()) {
      for (const RunOption option : kMainWindowOptions) {
        QCOMPARE(w.BoxOf(option)->font().pointSizeF(), w.font().pointSizeF());
      }
    }

    // A substitute a third wider than the layout's fonts.
    QWidget* wide[] = {w.label4, w.BoxOf(RunOption::MinimiseOnUse)};
    std::vector<double> widePoints;
    for (QWidget* caption : wide) {
      QFont font = caption->font();
      font.setPointSizeF(font.pointSizeF() * 4 / 3);
      caption->setFont(font);
      widePoints.push_back(font.pointSizeF());
      QVERIFY(NeededWidth(*caption) > caption->width());
    }
    const double untouched = w.label5->font().pointSizeF();
    w.FitCaptions();
    for (std::size_t i = 0; i < std::size(wide); ++i) {
      QVERIFY2(NeededWidth(*wide[i]) <= wide[i]->width(), qPrintable(wide[i]->objectName()));
      QVERIFY(wide[i]->font().pointSizeF() < widePoints[i]);
      QVERIFY(wide[i]->font().pointSizeF() >= kSmallestCaptionPoints);
    }
    QCOMPARE(w.label5->font().pointSizeF(), untouched);  // it fitted: left alone
  }

  void aRunFromCleanHdLocksEverythingButExitAndShowsItsResults() {
    World world;
    world.File("DATA/scratch.tmp", 100);
    DesktopEnvironment environment = world.Environment();
    std::map<std::string, bool> duringRun;
    bool exitEnabled = false;
    int maximumWhileAnalysing = -1;
    std::optional<Qt::CursorShape> pointerDuringRun;
    DesktopProgram* running = nullptr;
    environment.onYield = [&] {
      if (running != nullptr && running->StatusText().starts_with("Analyzing HD")) {
        maximumWhileAnalysing = running->Main().progressBar->maximum();
      }
      if (!duringRun.empty() || running == nullptr) return;
      duringRun = LockableStates(running->Main());
      exitEnabled = running->Main().exitButton->isEnabled();
      if (const QCursor* pointer = QApplication::overrideCursor()) pointerDuringRun = pointer->shape();
    };
    DesktopProgram program(world.boxes, std::move(environment));
    running = &program;
    QVERIFY(program.Start());
    world.boxes.messages.clear();

    QTest::mouseClick(program.Main().cleanButton, Qt::LeftButton);

    QVERIFY(!duringRun.empty());
    for (const auto& [name, enabled] : duringRun) QVERIFY2(!enabled, name.c_str());
    QVERIFY(exitEnabled);
    // The arrow with hourglass while the run works, the usual pointer after.
    QCOMPARE(pointerDuringRun, std::optional<Qt::CursorShape>(Qt::BusyCursor));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    for (const auto& [name, enabled] : LockableStates(program.Main())) QVERIFY2(enabled, name.c_str());
    QVERIFY(world.Exists("DATA/scratch.tmp"));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Done: 100 bytes, 1 files cleaned (TEST)"));
    QCOMPARE(program.Main().progressBar->value(), 100);
    // Busy while the drive was analysed, its range back for the bouncing
    // steps after.
    QCOMPARE(maximumWhileAnalysing, 0);
    QCOMPARE(program.Main().progressBar->maximum(), 100);
    QCOMPARE(world.boxes.Titles(), std::vector<std::string>{"TEST MODE RESULTS"});
    QVERIFY(program.Viewer().Window() != nullptr);
    QVERIFY(program.Viewer().Window()->windowTitle().endsWith(QStringLiteral("TIDEWELL.LOG]")));
    QVERIFY(program.Viewer().TextBox()->toPlainText().contains(QStringLiteral("Delete file: c:\\DATA\\scratch.tmp")));
  }

  // View > Figures by Category: greyed until a run has ended a drive, then
  // the last run's table, filled afresh after each run.
  void figuresByCategoryShowTheLastRunsTable() {
    World world;
    world.File("DATA/scratch.tmp", 100);
    world.File("DATA/letter.bak", 30);
    world.File("DATA/keep.txt", 7);
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    QVERIFY(!w.figuresAction->isEnabled());
    w.figuresAction->trigger();
    QCOMPARE(program.Figures(), nullptr);

    w.cleanButton->click();
    QVERIFY(w.figuresAction->isEnabled());
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    FiguresWindow* figures = program.Figures();
    QVERIFY(figures != nullptr);
    QVERIFY(figures->isVisible());
    QCOMPARE(figures->windowTitle(), QStringLiteral("Figures by Category"));
    const QTableWidget& table = *figures->Table();
    // One row a category that chose files, biggest first; their files and
    // bytes add up to what the run counted.
    const auto& totals = program.Context().state.totals;
    QCOMPARE(static_cast<float>(table.rowCount()), static_cast<float>(totals.byCategory.Biggest().size()));
    QVERIFY(table.rowCount() >= 1);
    long files = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
      QCOMPARE(table.item(r, 0)->text(), QStringLiteral("C:"));
      QVERIFY(!table.item(r, 1)->text().isEmpty());
      QVERIFY(!table.item(r, 2)->text().isEmpty());
      files += table.item(r, 3)->text().toLong();
    }
    QCOMPARE(static_cast<float>(files), totals.totalFiles);
    QVERIFY(files >= 1);
    QCOMPARE(table.item(0, 4)->text(), QStringLiteral("100 bytes"));  // scratch.tmp's category, the biggest

    // The next run finds nothing: the table says so instead of keeping the
    // first run's rows.
    fs::remove(world.base.Path() + "/drive_c/DATA/scratch.tmp");
    fs::remove(world.base.Path() + "/drive_c/DATA/letter.bak");
    w.cleanButton->click();
    w.figuresAction->trigger();
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(table.item(0, 2)->text(), QStringLiteral("(no category chose a file)"));
  }

  void exitInTheMiddleOfARunClosesTheLogWithWhatItHolds() {
    World world;
    for (int i = 0; i < 40; ++i) world.File("F" + std::to_string(i) + "/junk.tmp", 5);
    DesktopEnvironment environment = world.Environment();
    DesktopProgram* running = nullptr;
    int yields = 0;
    environment.onYield = [&] {
      // A few folders into the cleaning phase, with the log open.
      if (running != nullptr && running->Context().state.totals.totalFiles >= 3 && ++yields == 1) {
        running->Main().exitButton->click();
      }
    };
    DesktopProgram program(world.boxes, std::move(environment));
    running = &program;
    QVERIFY(program.Start());
    int status = -1;
    try {
      program.Main().cleanButton->click();
    } catch (const ProgramEnded& end) {
      status = end.exitStatus;
    }
    QCOMPARE(status, 0);
    QVERIFY(!program.Context().state.log.IsOpen());
    std::string log;
    QVERIFY(!platform::ReadTextFile(world.base.Path() + "/records/Tidewell.log", log));
    QVERIFY(log.find("TIDEWELL III LOG FILE") != std::string::npos);
    QVERIFY(log.find("Delete file: ") != std::string::npos);
    QVERIFY(log.find("files DELETED") == std::string::npos);  // cut short: no count line
    QCOMPARE(program.Sound().Current(), QString());  // the sound device is closed
  }

  void theUnattendedSwitchCleansAndEndsTheInvisibleOneShowsNothing() {
    World world;
    world.File("DATA/scratch.tmp");
    {
      RecordingBoxes boxes;
      DesktopProgram program(boxes, world.Environment("/U /I"));
      int status = -1;
      try {
        program.Start();
      } catch (const ProgramEnded& end) {
        status = end.exitStatus;
      }
      QCOMPARE(status, 0);
      QVERIFY(!program.Main().isVisible());
      QVERIFY(world.Exists("DATA/scratch.tmp"));  // test mode is on at a first start
      QVERIFY(fs::exists(world.base.Path() + "/records/Tidewell.log"));
    }
    {
      RecordingBoxes boxes;
      DesktopProgram program(boxes, world.Environment("/I"));
      QVERIFY(program.Start());
      QVERIFY(!program.Main().isVisible());
      QCOMPARE(boxes.Titles(), std::vector<std::string>{"TEST MODE is ON ... Tidewell is SAFE AS MILK"});
    }
  }

  // The stored age limit and keep list reach the window's runs; a line that
  // cannot be read stops every run, /U included, with one message naming it.
  void storedFiltersAreHonouredAndAnUnreadableOneStopsTheRun() {
    World world;
    world.File("DATA/old.tmp", 100);
    world.File("DATA/fresh.tmp", 50);
    world.File("DATA/kept.tmp", 7);
    for (const char* old : {"DATA/old.tmp", "DATA/kept.tmp"}) {
      const timespec year2000[2] = {{946684800, 0}, {946684800, 0}};
      QCOMPARE(utimensat(AT_FDCWD, (world.base.Path() + "/drive_c/" + old).c_str(), year2000, 0), 0);
    }
    fs::create_directories(world.base.Path() + "/config");
    const std::string store = world.base.Path() + "/config/Tidewell.ini";
    std::ofstream(store) << "[Preferences]\nMinimumAgeDays=30\n[Keep]\nPath=*\\KEPT.TMP\n";
    {
      DesktopProgram program(world.boxes, world.Environment());
      QVERIFY(program.Start());
      world.boxes.messages.clear();
      QTest::mouseClick(program.Main().cleanButton, Qt::LeftButton);
      QCOMPARE(program.Main().statusText->text(), QStringLiteral("Done: 100 bytes, 1 files cleaned (TEST)"));
    }

    std::ofstream(store) << "[Preferences]\nMinimumAgeDays=soon\n";
    fs::remove(world.base.Path() + "/records/Tidewell.log");
    {
      DesktopProgram program(world.boxes, world.Environment());
      QVERIFY(program.Start());
      world.boxes.messages.clear();
      QTest::mouseClick(program.Main().cleanButton, Qt::LeftButton);
      QCOMPARE(world.boxes.Titles(), std::vector<std::string>{"Settings Error"});
      QVERIFY(world.boxes.messages.back().text.find("MinimumAgeDays=soon") != std::string::npos);
      QVERIFY(!program.Main().statusText->text().startsWith(QStringLiteral("Done")));
      QVERIFY(!fs::exists(world.base.Path() + "/records/Tidewell.log"));
    }
    {
      RecordingBoxes boxes;
      DesktopProgram program(boxes, world.Environment("/U /I"));
      int status = -1;
      try {
        program.Start();
      } catch (const ProgramEnded& end) {
        status = end.exitStatus;
      }
      QCOMPARE(status, 2);
      QVERIFY(!fs::exists(world.base.Path() + "/records/Tidewell.log"));
    }
  }

  // A store that cannot be read may be the one that names the drives: start-up
  // says so and leaves nothing to clean rather than take a Wine prefix's
  // drive found on the machine.
  void anUnreadableStoreIsNamedAndNoDriveIsFoundInItsPlace() {
    World world;
    const std::string wineC = world.base.Path() + "/wine/drive_c";
    fs::create_directories(wineC + "/TEMP");
    std::ofstream(wineC + "/TEMP/sentinel.tmp") << "keep";
    fs::create_directories(world.base.Path() + "/wine/dosdevices");
    fs::create_directory_symlink("../drive_c", world.base.Path() + "/wine/dosdevices/c:");
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QByteArray::fromStdString(world.base.Path() + "/wine"));
    qunsetenv("TIDEWELL_DRIVES");
    const std::string storePath = world.base.Path() + "/config/Tidewell.ini";
    fs::create_directories(world.base.Path() + "/config");
    const std::string big = "[Drives]\nC=" + world.base.Path() + "/drive_c\n[Preferences]\nTestRun=0\n" +
                            std::string(platform::PreferencesFile::kSizeLimit, ';');
    std::ofstream(storePath, std::ios::binary) << big;

    int status = -1;
    {
      DesktopProgram program(world.boxes, world.Environment("/U /I"));
      try {
        program.Start();
      } catch (const ProgramEnded& end) {
        status = end.exitStatus;
      }
      QCOMPARE(program.Main().driveList->count(), 0);
      QVERIFY(!program.Main().cleanButton->isEnabled());
      QCOMPARE(program.Main().statusText->text(), QStringLiteral("No drive to clean"));
    }
    qputenv("WINEPREFIX", oldPrefix);
    QCOMPARE(status, 1);
    QVERIFY(!world.boxes.messages.empty());
    const Message& first = world.boxes.messages.front();
    QCOMPARE(first.title, std::string("Settings Error"));
    QVERIFY2(first.text.starts_with("Tidewell can't read its settings file " + storePath +
                                    "\r\rReason: larger than 1 MiB.\r\r"),
             first.text.c_str());
    QVERIFY(first.text.find("TIDEWELL_DRIVES") != std::string::npos);
    QVERIFY(fs::exists(wineC + "/TEMP/sentinel.tmp"));
    QVERIFY(!fs::exists(world.base.Path() + "/records/Tidewell.log"));
    std::ifstream in(storePath, std::ios::binary);
    QVERIFY(std::string(std::istreambuf_iterator<char>(in), {}) == big);
  }

  // TIDEWELL_DRIVES names the drives, but the store that keeps C:\KEEP\*
  // cannot be read: the window shows the drives, keeps "Clean HD"
  // disabled, and an unattended start ends with 1 having removed nothing.
  void anUnreadableStoreDisablesCleaningEvenWithDrivesNamedByTheEnvironment() {
    World world;
    world.File("KEEP/work.tmp");
    world.File("junk.tmp");
    const std::string storePath = world.base.Path() + "/config/Tidewell.ini";
    fs::create_directories(world.base.Path() + "/config");
    const std::string big = "[Keep]\nPath=C:\\KEEP\\*\n[Preferences]\nTestRun=0\n" +
                            std::string(platform::PreferencesFile::kSizeLimit, ';');
    std::ofstream(storePath, std::ios::binary) << big;
    {
      DesktopProgram program(world.boxes, world.Environment());
      program.Start();
      QCOMPARE(program.Main().driveList->count(), 2);
      QVERIFY(!program.Main().cleanButton->isEnabled());
      QVERIFY(!program.Main().cleanAction->isEnabled());
      QCOMPARE(world.boxes.messages.front().title, std::string("Settings Error"));
    }
    int status = -1;
    {
      DesktopProgram program(world.boxes, world.Environment("/U /I"));
      try {
        program.Start();
      } catch (const ProgramEnded& end) {
        status = end.exitStatus;
      }
    }
    QCOMPARE(status, 1);
    QVERIFY(world.Exists("KEEP/work.tmp"));
    QVERIFY(world.Exists("junk.tmp"));
    QVERIFY(!fs::exists(world.base.Path() + "/records/Tidewell.log"));
    std::ifstream in(storePath, std::ios::binary);
    QVERIFY(std::string(std::istreambuf_iterator<char>(in), {}) == big);
  }

  // Drive C found only in a Wine prefix: the window shows it as any drive,
  // but a destructive run of it waits until the user picks it in the list
  // (picking is naming it, also when it is the drive already shown).
  void aDriveFoundOnTheHostIsCleanedForRealOnlyOncePicked() {
    World world;
    const std::string prefix = world.base.Path() + "/wine";
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directory_symlink(world.base.Path() + "/drive_c", prefix + "/dosdevices/c:");
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    qputenv("WINEPREFIX", QByteArray::fromStdString(prefix));
    qunsetenv("TIDEWELL_DRIVES");
    fs::create_directories(world.base.Path() + "/config");
    std::ofstream(world.base.Path() + "/config/Tidewell.ini") << "[Preferences]\nTestRun=0\n";
    world.File("DATA/junk.tmp");
    bool refused = false;
    bool keptUntilPicked = false;
    bool cleanedOncePicked = false;
    {
      DesktopProgram program(world.boxes, world.Environment());
      program.Start();
      MainWindow& w = program.Main();
      const int c = w.driveList->findText(QStringLiteral("c:"), Qt::MatchStartsWith);
      if (c >= 0 && w.cleanButton->isEnabled()) {
        w.cleanButton->click();
        refused = !world.boxes.messages.empty() && world.boxes.messages.back().title == "Drive Not Chosen";
        keptUntilPicked = world.Exists("DATA/junk.tmp");
        emit w.driveList->activated(c);
        w.cleanButton->click();
        cleanedOncePicked = !world.Exists("DATA/junk.tmp");
      }
    }
    qputenv("WINEPREFIX", oldPrefix);
    QVERIFY(refused);
    QVERIFY(keptUntilPicked);
    QVERIFY(cleanedOncePicked);
  }

  // A refused drive mapping is told on the standard error as the console
  // tells it: one line, its control bytes shown in caret notation.
  void driveProblemsAreShownAsTheConsoleShowsThem() {
    World world;
    const std::string c = world.base.Path() + "/drive_c";
    qputenv("TIDEWELL_DRIVES", QByteArray::fromStdString("C=" + c + "/new\x01line;D=" + world.base.Path() +
                                                         "/drive_d"));
    std::FILE* problems = std::tmpfile();
    DesktopEnvironment environment = world.Environment("/I");
    environment.problems = problems;
    {
      DesktopProgram program(world.boxes, std::move(environment));
      QVERIFY(program.Start());
    }
    std::rewind(problems);
    std::string told;
    for (int ch = std::fgetc(problems); ch != EOF; ch = std::fgetc(problems)) told.push_back(static_cast<char>(ch));
    std::fclose(problems);
    QCOMPARE(told, "tidewell: TIDEWELL_DRIVES: drive C: maps to \"" + c +
                       "/new^Aline\", which is not an existing folder; it will show as a drive without a disk\n");
  }

  void aDriveThatCannotBeCleanedAtStartFallsBackToC() {
    World world;
    // Drive D is read-only: its folder without write bits, or, for root whom
    // the bits do not stop, a read-only bind mount of the folder onto itself.
    const std::string d = world.base.Path() + "/drive_d";
    bool mounted = false;
    if (geteuid() == 0) {
      mounted = mount(d.c_str(), d.c_str(), nullptr, MS_BIND, nullptr) == 0;
      if (mounted && mount(nullptr, d.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        umount2(d.c_str(), MNT_DETACH);
        mounted = false;
      }
      if (!mounted) QSKIP("a read-only bind mount could not be made here");
    } else {
      fs::permissions(d, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    }
    struct Undo {
      std::string folder;
      bool mounted;
      ~Undo() {
        fs::current_path(fs::path(folder).parent_path());  // off the drive before it is unmounted
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
      }
    } undo{d, mounted};
    fs::current_path(d);
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    QCOMPARE(world.boxes.messages.front().title, std::string("Drive Error"));
    QCOMPARE(world.boxes.messages.front().text,
             std::string("Tidewell can't clean drive D: [DRIVE_D] because it is a read-only device."));
    QCOMPARE(program.Main().driveList->currentText(), QStringLiteral("c: [DRIVE_C]"));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Ready to clean drive C: [DRIVE_C]"));
  }

  void menusAndTheirShortcutsDoWhatTheySay() {
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    MainWindow& w = program.Main();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    world.boxes.messages.clear();

    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);  // Info on a fresh store
    QCOMPARE(world.boxes.messages.size(), std::size_t{1});
    const std::string info = world.boxes.messages[0].text;
    QVERIFY(info.starts_with("Last cleanup:\tNone\rBytes saved:\t0\rFiles deleted:\t0\r\rCurrent date/time:\t"));

    QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);  // no log yet
    QCOMPARE(world.boxes.messages.back().title, std::string("View Log"));
    QCOMPARE(world.boxes.messages.back().text,
             std::string("The log file is empty.\r\rClick the ''Test run only'' checkbox to generate a log file."));

    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(world.boxes.messages.back().title, std::string("About Tidewell"));
    QTest::keyClick(&w, Qt::Key_F6);
    QCOMPARE(world.boxes.messages.back().title, std::string("Tips"));
    const std::size_t boxesBefore = world.boxes.messages.size();
    QTest::keyClick(&w, Qt::Key_F4);
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClick(&w, Qt::Key_F5);
    QCOMPARE(world.opened.size(), std::size_t{3});
    QCOMPARE(world.opened[0], world.opened[1]);  // Documentation and WEB UPDATE open the same page
    QCOMPARE(world.opened[2], program.Addresses().techSupport);
    QCOMPARE(world.boxes.messages.size(), boxesBefore);  // opened: nothing to tell

    // No browser: each address that cannot be opened is named in a box.
    world.opensAddresses = false;
    QTest::keyClick(&w, Qt::Key_F7);
    QCOMPARE(world.boxes.messages.size(), boxesBefore + 1);
    QCOMPARE(world.boxes.messages.back().icon, MessageIcon::Exclamation);
    QVERIFY(world.boxes.messages.back().text.find("\r" + program.Addresses().updateHistory + "\r") != std::string::npos);
    w.onSupportLabelClicked();
    QCOMPARE(world.boxes.messages.size(), boxesBefore + 2);
    QVERIFY(world.boxes.messages.back().text.find("\r" + program.Addresses().techSupport + "\r") != std::string::npos);
    world.opensAddresses = true;
    QTest::keyClick(&w, Qt::Key_F12);  // no uninstaller here
    QCOMPARE(world.boxes.messages.back().text, std::string("Uninstall not available."));
    QVERIFY(w.isVisible());

    QTest::keyClick(&w, Qt::Key_G, Qt::ControlModifier);  // Deepwash
    QVERIFY(!w.isVisible());
    QVERIFY(program.Deepwash().isVisible());
    QVERIFY(program.Sound().Current().endsWith(QStringLiteral("/Tidewell2.wav")));
    program.Deepwash().close();
    QVERIFY(w.isVisible());
    QVERIFY(!program.Deepwash().isVisible());
  }

  // The Qt menus are the shared table's (ui/window_texts.h), which the Win32
  // front end builds its menus and shortcut keys from: same entries, order,
  // captions and keys.
  void menusAreTheSharedTable() {
    MainWindow w;
    const QMenu* menus[] = {w.fileMenu, w.viewMenu, w.optionsMenu, w.helpMenu};
    QCOMPARE(MainMenus().size(), std::size(menus));
    for (std::size_t i = 0; i < std::size(menus); ++i) {
      const Menu& shared = MainMenus()[i];
      QCOMPARE(menus[i]->title(), FromView(shared.caption));
      QCOMPARE(menus[i]->objectName(), FromView(shared.name));
      const QList<QAction*> actions = menus[i]->actions();
      QCOMPARE(static_cast<std::size_t>(actions.size()), shared.entries.size());
      for (std::size_t j = 0; j < shared.entries.size(); ++j) {
        const MenuEntry& entry = shared.entries[j];
        const QAction* action = actions[static_cast<qsizetype>(j)];
        QCOMPARE(action->isSeparator(), !entry.command.has_value());
        if (action->isSeparator()) continue;
        QCOMPARE(action->objectName(), FromView(entry.name));
        QCOMPARE(action->text(), FromView(entry.caption));
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), FromView(entry.shortcut.text));
      }
    }
  }

  // The Qt window's captions and tooltips are the shared ones.
  void controlTextsAreTheSharedOnes() {
    MainWindow w;
    QCOMPARE(w.windowTitle(), FromView(kMainWindowCaption));
    const std::pair<QWidget*, std::string_view> tooltips[] = {
        {w.title[2], kTitleTooltip},     {w.label4, kBannerTooltip},        {w.animation, kAnimationTooltip},
        {w.progressBar, kProgressTooltip}, {w.cleanButton, kCleanTooltip}, {w.exitButton, kExitTooltip},
        {w.deepwashButton, kDeepwashButtonTooltip}, {w.driveList, kDriveListTooltip}, {w.statusLine, kStatusBarTooltip}};
    for (const auto& [widget, tooltip] : tooltips) QCOMPARE(widget->toolTip(), FromView(tooltip));
    for (std::size_t i = 1; i <= 6; ++i) QCOMPARE(w.check1[i]->toolTip(), FromView(kOptionTooltips[i - 1]));
    QCOMPARE(w.cleanButton->text(), FromView(kCleanCaption));
    QCOMPARE(w.exitButton->text(), FromView(kExitCaption));
    QCOMPARE(w.deepwashButton->text(), FromView(kDeepwashButtonCaption));
    QCOMPARE(w.frame->title(), FromView(kFrameCaption));
  }

  void deletingARecordAsksFirst() {
    World world;
    DesktopProgram program(world.boxes, world.Environment());
    QVERIFY(program.Start());
    const std::string report = world.base.Path() + "/records/Tidewell.txt";
    std::ofstream(report) << "report\r\n";
    world.boxes.scriptedAnswers = {MessageAnswer::No, MessageAnswer::Yes};

    program.Main().deleteReportAction->trigger();
    QVERIFY(fs::exists(report));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Nothing deleted"));
    program.Main().deleteReportAction->trigger();
    QVERIFY(!fs::exists(report));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Report deleted"));
    QCOMPARE(world.boxes.messages.back().title, std::string("Delete Report"));
    QCOMPARE(world.boxes.messages.back().icon, MessageIcon::Question);
  }
};

QTEST_MAIN(DesktopProgramTest)
#include "desktop_program_test.moc"
