// The desktop program wired end to end, offscreen: start-up on a fresh
// store, a run from "&Clean HD", Exit in the middle of a run, the menus and
// their shortcuts, the record actions and the switches.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/preferences_store.h"
#include "platform/text_file.h"
#include "tests/support/message_recorder.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/temp_drive.h"
#include "ui/deepwash_window.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/record_viewer.h"

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
    environment.openDocument = [this](const std::string& address) { opened.push_back(address); };
    environment.locale = &platform::LocaleFormat::Classic();
    return environment;
  }
  std::string Stored(std::string_view section, std::string_view name) const {
    return platform::PreferencesFile(base.Path() + "/config/Tidewell.ini").Read(section, name, "<none>");
  }

  testing::TempFolder base;
  RecordingBoxes boxes;
  std::vector<std::string> opened;
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

  void aRunFromCleanHdLocksEverythingButExitAndShowsItsResults() {
    World world;
    world.File("DATA/scratch.tmp", 100);
    DesktopEnvironment environment = world.Environment();
    std::map<std::string, bool> duringRun;
    bool exitEnabled = false;
    DesktopProgram* running = nullptr;
    environment.onYield = [&] {
      if (!duringRun.empty() || running == nullptr) return;
      duringRun = LockableStates(running->Main());
      exitEnabled = running->Main().exitButton->isEnabled();
    };
    DesktopProgram program(world.boxes, std::move(environment));
    running = &program;
    QVERIFY(program.Start());
    world.boxes.messages.clear();

    QTest::mouseClick(program.Main().cleanButton, Qt::LeftButton);

    QVERIFY(!duringRun.empty());
    for (const auto& [name, enabled] : duringRun) QVERIFY2(!enabled, name.c_str());
    QVERIFY(exitEnabled);
    for (const auto& [name, enabled] : LockableStates(program.Main())) QVERIFY2(enabled, name.c_str());
    QVERIFY(world.Exists("DATA/scratch.tmp"));
    QCOMPARE(program.Main().statusText->text(), QStringLiteral("Done: 100 bytes, 1 files cleaned (TEST)"));
    QCOMPARE(program.Main().progressBar->value(), 100);
    QCOMPARE(world.boxes.Titles(), std::vector<std::string>{"TEST MODE RESULTS"});
    QVERIFY(program.Viewer().Window() != nullptr);
    QVERIFY(program.Viewer().Window()->windowTitle().endsWith(QStringLiteral("TIDEWELL.LOG]")));
    QVERIFY(program.Viewer().TextBox()->toPlainText().contains(QStringLiteral("Delete file: c:\\DATA\\scratch.tmp")));
  }

  void exitInTheMiddleOfARunClosesTheLogWithWhatItHolds() {
    World world;
    for (int i = 0; i < 40; ++i) world.File("F" + std::to_string(i) + "/junk.tmp", 5);
    DesktopEnvironment environment = world.Environment();
    DesktopProgram* running = nullptr;
    int yields = 0;
    environment.onYield = [&] {
      // A few folders into the cleaning phase, with the log open.
      if (running != nullptr && running->Context().totals.totalFiles >= 3 && ++yields == 1) {
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
    QVERIFY(!program.Context().log.IsOpen());
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
    // A folder in the write test's place: the drive counts as read-only, even for root.
    fs::create_directories(world.base.Path() + "/drive_d/$$$$$$$$.$$$");
    fs::current_path(world.base.Path() + "/drive_d");
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
    QTest::keyClick(&w, Qt::Key_F4);
    QTest::keyClick(&w, Qt::Key_F8);
    QTest::keyClick(&w, Qt::Key_F5);
    QCOMPARE(world.opened.size(), std::size_t{3});
    QCOMPARE(world.opened[0], world.opened[1]);  // Documentation and WEB UPDATE open the same page
    QCOMPARE(world.opened[2], program.Addresses().techSupport);
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
