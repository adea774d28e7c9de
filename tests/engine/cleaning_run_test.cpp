// The cleaning run end to end on real temporary drives: what it leaves on
// disk, in the report, the log and the store, what the user sees, and how it
// ends.
#include "engine/cleaning_run.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "platform/locale_format.h"
#include "platform/virtual_file_system.h"
#include "tests/support/background_child.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::ProgramEnded;
using testing::SplitCrLfLines;
using testing::TestWorld;
namespace fs = std::filesystem;

class CleaningRunTest : public ::testing::Test {
 protected:
  explicit CleaningRunTest(std::string_view letters = "C") : world(letters), store(world.Base() + "/store.ini") {
    world.config.store = &store;
    world.SetOption(RunOption::TestRun, 1);
    world.SetOption(RunOption::KeepReport, 1);
  }

  std::string ReportText() const {
    std::string text;
    platform::ReadTextFile(world.config.ReportPath(), text);
    return text;
  }
  bool HasEvent(std::string_view event) const {
    const auto& events = world.feedback.events;
    return std::find(events.begin(), events.end(), event) != events.end();
  }
  std::string Info(std::string_view name) { return store.Read("Info", name, "<none>"); }

  TestWorld world;
  platform::PreferencesFile store;
};

TEST_F(CleaningRunTest, ATestRunKeepsEveryFileAndReportsWhatItWouldRemove) {
  world.Drive('C').Build({{"DATA\\~DF1.TMP", 100}, {"DATA\\letter.doc", 7}});
  const auto before = testing::DriveContents(world.Drive('C'));

  EXPECT_EQ(RunCleaning(world.context), RunResult::Finished);

  EXPECT_EQ(testing::DriveContents(world.Drive('C')), before);
  const std::vector<std::string>& status = world.feedback.statusTexts;
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front(), "Starting up ...");
  EXPECT_NE(std::find(status.begin(), status.end(), "Analyzing HD (this might take a while) ..."), status.end());
  EXPECT_EQ(status.back(), "Done: 100 bytes, 1 files cleaned (TEST)");
  EXPECT_TRUE(HasEvent("ShowDeletionLog"));
  ASSERT_EQ(world.feedback.messages.size(), 1u);
  EXPECT_EQ(world.feedback.messages[0].title, "TEST MODE RESULTS");
  EXPECT_NE(world.feedback.messages[0].text.find("you would have reclaimed 100 bytes.\r\r"), std::string::npos);
  EXPECT_EQ(world.feedback.events.back(), "Unlock");

  const std::vector<std::string> expected = {
      "",
      "TIDEWELL III REPORT",
      "(TEST RUN ONLY)",
      "Tidewell STARTED",
      "Monday, December 7, 2026",
      "6:38:31 AM",
      "Tidewell FINISHED",
      "Monday, December 7, 2026",
      "6:38:31 AM",
      "Drive C:",
      "1 files DELETED",
      world.config.locale->WholeNumber(world.context.state.report.freeBytesBefore) + " bytes free before cleaning",
      world.config.locale->WholeNumber(world.context.state.report.freeBytesBefore + 100.0f) +
          " bytes free after cleaning",
      "100 bytes SAVED (100 bytes)",
  };
  EXPECT_EQ(SplitCrLfLines(ReportText()), expected);
  EXPECT_EQ(Info("LastCleanup"), "12/7/2026 6:38:31 AM");
  EXPECT_EQ(Info("BytesSaved"), "100");
  EXPECT_EQ(Info("FilesDeleted"), "1");
  EXPECT_EQ(Info("BytesFree"), world.config.locale->WholeNumber(world.context.state.report.freeBytesBefore));
}

TEST_F(CleaningRunTest, ADestructiveRunWithoutKeepReportLeavesNoReportAndStillStoresTheFigures) {
  world.SetOption(RunOption::TestRun, 0);
  world.SetOption(RunOption::KeepReport, 0);
  world.Drive('C').Build({{"DATA\\~DF1.TMP", 100}, {"DATA\\letter.doc", 7}});
  ASSERT_FALSE(platform::ReplaceTextFile(world.config.ReportPath(), "an old report\r\n"));

  RunCleaning(world.context);

  EXPECT_FALSE(world.Drive('C').Exists("DATA\\~DF1.TMP"));
  EXPECT_TRUE(world.Drive('C').Exists("DATA\\letter.doc"));
  EXPECT_FALSE(fs::exists(world.config.ReportPath()));
  EXPECT_FALSE(fs::exists(world.config.LogPath())) << "maintain log is off";
  EXPECT_EQ(Info("BytesSaved"), "100");
  EXPECT_EQ(Info("FilesDeleted"), "1");
  EXPECT_TRUE(world.feedback.messages.empty());
  EXPECT_EQ(world.feedback.StatusText(), "Done: 100 bytes, 1 files cleaned");
  EXPECT_FALSE(HasEvent("ShowDeletionLog"));
}

// A file some process holds open is in use: a destructive run counts it but
// leaves it, and logs only what it removed.
TEST_F(CleaningRunTest, AFileHeldOpenByAProcessIsCountedButNeitherDeletedNorLogged) {
  world.SetDestructiveLoggedRuns();
  world.Drive('C').Build({{"DATA\\busy.tmp", 30}, {"DATA\\idle.tmp", 12}});
  std::ifstream busy(world.Drive('C').Host("DATA/busy.tmp"));
  ASSERT_TRUE(busy.is_open());

  RunCleaning(world.context);

  EXPECT_TRUE(world.Drive('C').Exists("DATA\\busy.tmp"));
  EXPECT_FALSE(world.Drive('C').Exists("DATA\\idle.tmp"));
  EXPECT_EQ(world.LogItems(), std::vector<std::string>{"Delete file: c:\\DATA\\idle.tmp"});
  EXPECT_EQ(world.feedback.StatusText(), "Done: 42 bytes, 2 files cleaned");

  busy.close();  // no longer in use: the next run removes it
  RunCleaning(world.context);
  EXPECT_FALSE(world.Drive('C').Exists("DATA\\busy.tmp"));
}

// Windows also refuses to delete a file a running program has mapped (its
// descriptor long closed), a running program's executable and a folder that
// a program works in. A destructive run leaves all three, counts the files
// like any file whose deletion failed and logs none of them.
TEST_F(CleaningRunTest, FilesAndFoldersThatRunningProgramsUseStayAfterADestructiveRun) {
#ifdef _WIN32
  GTEST_SKIP() << "runs a copy of /bin/sleep from the drive and /bin/sleep in a folder of it; a Windows program to run there is not ported";
#else
  world.SetDestructiveLoggedRuns();
  testing::TempDrive& c = world.Drive('C');
  c.Build({{"DATA\\mapped.tmp", 30}, {"DATA\\idle.tmp", 12}, {"TEMP\\~DF1.TMP", 4}, {"TEMP\\busy\\"},
           {"TEMP\\idle\\"}});
  fs::copy_file("/bin/sleep", c.Host("DATA/runner.tmp"));
  fs::permissions(c.Host("DATA/runner.tmp"), fs::perms::owner_all);
  const std::uintmax_t runnerBytes = fs::file_size(c.Host("DATA/runner.tmp"));

  testing::BackgroundChild mapper = testing::BackgroundChild::MapFile(c.Host("DATA/mapped.tmp"));
  ASSERT_EQ(mapper.Error(), "");
  testing::BackgroundChild runner = testing::BackgroundChild::Run(c.Host("DATA/runner.tmp"), {"600"});
  if (!runner.Error().empty()) GTEST_SKIP() << "cannot run a program from the temporary drive: " << runner.Error();
  testing::BackgroundChild worker = testing::BackgroundChild::Run("/bin/sleep", {"600"}, c.Host("TEMP/busy"));
  ASSERT_EQ(worker.Error(), "");

  RunCleaning(world.context);

  EXPECT_TRUE(c.Exists("DATA\\mapped.tmp"));
  EXPECT_TRUE(c.Exists("DATA\\runner.tmp"));
  EXPECT_TRUE(c.Exists("TEMP\\busy"));
  EXPECT_FALSE(c.Exists("DATA\\idle.tmp"));
  EXPECT_FALSE(c.Exists("TEMP\\~DF1.TMP"));
  EXPECT_FALSE(c.Exists("TEMP\\idle"));
  const std::vector<std::string> items = world.LogItems();
  for (const char* path : {"c:\\DATA\\mapped.tmp", "c:\\DATA\\runner.tmp"}) {
    EXPECT_EQ(std::count(items.begin(), items.end(), "Delete file: " + std::string(path)), 0) << path;
  }
  EXPECT_EQ(std::count(items.begin(), items.end(), "Delete file: c:\\DATA\\idle.tmp"), 1);
  // Stored as "#,##0", as every figure.
  EXPECT_EQ(Info("BytesSaved"), platform::LocaleFormat::Classic().WholeNumber(30.0 + 12 + 4 + runnerBytes));
  EXPECT_EQ(Info("FilesDeleted"), "4");
#endif
}

// Windows 2000 lives in C:\WINNT: the run finds it there, sweeps the stale
// copies of its system files and takes its wallpapers, and keeps the rest.
TEST_F(CleaningRunTest, OnAWindows2000DriveTheSweepAndWallpaperStepWorkInWinnt) {
  world.SetDestructiveLoggedRuns();
  world.SetCategory(CategoryId::Wallpaper, 1);
  world.Drive('C').Build({{"WINNT\\WIN.INI", 3}, {"WINNT\\WIN.BAK", 5}, {"WINNT\\CONTROL.MAX", 2},
                          {"WINNT\\Setup.bmp", 7}, {"WINNT\\SYSTEM\\TEMP.OLD", 4},
                          {"WINNT\\SYSTEM\\TEMP.DLL", 6}, {"WINNT\\SYSTEM32\\logo.bmp", 8}});
  world.config.windowsDir = platform::FindWindowsDir(world.files);
  EXPECT_EQ(world.config.windowsDir, "C:\\WINNT");

  RunCleaning(world.context);

  for (const char* gone : {"WINNT/WIN.BAK", "WINNT/CONTROL.MAX", "WINNT/Setup.bmp", "WINNT/SYSTEM/TEMP.OLD"}) {
    EXPECT_FALSE(world.Drive('C').Exists(gone)) << gone;
  }
  for (const char* kept : {"WINNT/WIN.INI", "WINNT/SYSTEM/TEMP.DLL", "WINNT/SYSTEM32/logo.bmp"}) {
    EXPECT_TRUE(world.Drive('C').Exists(kept)) << kept;
  }
  EXPECT_EQ(world.feedback.StatusText(), "Done: 18 bytes, 4 files cleaned");
}

TEST_F(CleaningRunTest, ExitWhenDoneAndTheUnattendedSwitchEndTheProgramAfterTheRun) {
  for (const bool unattended : {false, true}) {
    world.feedback.events.clear();
    world.SetOption(RunOption::ExitWhenDone, unattended ? 0 : 1);
    world.config.commandLine = unattended ? "/Unattended" : "/u";
    try {
      RunCleaning(world.context);
      ADD_FAILURE() << "the program did not end";
    } catch (const ProgramEnded& end) {
      EXPECT_EQ(end.exitStatus, 0);
    }
    const auto& events = world.feedback.events;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[events.size() - 3], "Restore");
    EXPECT_EQ(events[events.size() - 2], "CloseSoundDevice");
    EXPECT_FALSE(HasEvent("Unlock"));
  }
}

class AllDrivesRunTest : public CleaningRunTest {
 protected:
  AllDrivesRunTest() : CleaningRunTest("ABCDE") {}
};

TEST_F(AllDrivesRunTest, EveryWritableDriveFromCGetsItsOwnSectionReportPairAndFigures) {
  world.SetOption(RunOption::ScanAllDrives, 1);
  world.SetOption(RunOption::TestRun, 0);
  world.categories.Set(CategoryId::MaintainLog, 1);
  world.SetOption(RunOption::MaintainLog, 1);
  for (const char letter : {'A', 'B', 'C', 'D'}) world.Drive(letter).Build({{"TEMP\\junk.tmp", 10}});
  world.Drive('D').File("TEMP\\more.tmp", 20);
  fs::remove_all(world.Drive('E').Root());  // a drive without a medium: skipped without a word
  world.feedback.selectedDrive = world.feedback.driveEntries['A'];

  RunCleaning(world.context);

  EXPECT_TRUE(world.Drive('A').Exists("TEMP\\junk.tmp"));
  EXPECT_TRUE(world.Drive('B').Exists("TEMP\\junk.tmp"));
  EXPECT_FALSE(world.Drive('C').Exists("TEMP\\junk.tmp"));
  EXPECT_FALSE(world.Drive('D').Exists("TEMP\\more.tmp"));

  const std::string report = ReportText();
  std::vector<std::string> blocks;
  for (const std::string& line : SplitCrLfLines(report)) {
    if (line == "Tidewell STARTED" || line == "Tidewell FINISHED" || line.starts_with("Drive ")) blocks.push_back(line);
  }
  const std::vector<std::string> expectedBlocks = {"Tidewell STARTED", "Tidewell FINISHED", "Drive C:",
                                                   "Tidewell STARTED", "Tidewell FINISHED", "Drive D:"};
  EXPECT_EQ(blocks, expectedBlocks);
  const std::string log = world.LogText();
  EXPECT_NE(log.find("Drive C:\r\n"), std::string::npos);
  EXPECT_NE(log.find("Drive D:\r\n"), std::string::npos);
  EXPECT_EQ(log.find("Drive E:"), std::string::npos);
  EXPECT_EQ(Info("FilesDeleted"), "2") << "the last drive's figures";
  EXPECT_EQ(Info("BytesSaved"), "30");
  EXPECT_EQ(world.feedback.events.back(), "Unlock");
  EXPECT_EQ(world.feedback.selectedDrive, world.feedback.driveEntries['C']) << "back on C after Z";
}

TEST_F(AllDrivesRunTest, RecordsThatCannotBeWrittenStopTheRunWithOneMessage) {
  world.SetOption(RunOption::ScanAllDrives, 1);
  for (const char letter : {'C', 'D'}) world.Drive(letter).Build({{"TEMP\\junk.tmp", 10}});
  fs::create_directories(world.config.LogPath());  // a folder where the log should be

  EXPECT_EQ(RunCleaning(world.context), RunResult::RecordsNotWritten);

  ASSERT_EQ(world.feedback.messages.size(), 1u);
  const Message& message = world.feedback.messages[0];
  EXPECT_EQ(message.title, "Records Error");
  EXPECT_EQ(message.icon, MessageIcon::Error);
  EXPECT_NE(message.text.find("deletion log " + world.config.LogPath() + "\r\r"), std::string::npos);
  EXPECT_NE(message.text.find("Cleaning of drive C: was stopped."), std::string::npos);
  EXPECT_FALSE(HasEvent("ShowDeletionLog"));
  EXPECT_EQ(world.feedback.events.back(), "Unlock");
  EXPECT_FALSE(world.context.state.log.IsOpen());

  // The abandoned drive left a start block without its end; the next run
  // starts a fresh pair instead of writing an end block first.
  fs::remove(world.config.LogPath());
  world.SetOption(RunOption::ScanAllDrives, 0);
  world.feedback.selectedDrive = world.feedback.driveEntries['C'];
  EXPECT_EQ(RunCleaning(world.context), RunResult::Finished);
  const std::vector<std::string> lines = SplitCrLfLines(ReportText());
  std::vector<std::string> blocks;
  for (const std::string& line : lines) {
    if (line == "Tidewell STARTED" || line == "Tidewell FINISHED") blocks.push_back(line);
  }
  EXPECT_EQ(blocks, (std::vector<std::string>{"Tidewell STARTED", "Tidewell STARTED", "Tidewell FINISHED"}));
}

TEST_F(CleaningRunTest, AnUnattendedRunWhoseRecordsFailEndsWithStatusThree) {
  world.config.commandLine = "/U";
  fs::create_directories(world.config.ReportPath());  // the report cannot be opened
  try {
    RunCleaning(world.context);
    ADD_FAILURE() << "the program did not end";
  } catch (const ProgramEnded& end) {
    EXPECT_EQ(end.exitStatus, 3);
  }
  ASSERT_EQ(world.feedback.messages.size(), 1u);
  EXPECT_NE(world.feedback.messages[0].text.find("run report " + world.config.ReportPath()), std::string::npos);
}

}  // namespace
}  // namespace tidewell
