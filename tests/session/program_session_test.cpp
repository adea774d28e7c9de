// The start-up sequence both front ends share, and the points where the
// window's start and the console's differ: whether a problem stops it, the
// working folder, when the start drive is checked, and whether a run reads
// the boxes or copies of them.
#include "session/program_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/cleaning_run.h"
#include "tests/support/recording_feedback.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"

namespace fs = std::filesystem;

namespace tidewell::session {
namespace {

using testing::RecordingFeedback;

const std::string kTestModeNotice = "TEST MODE is ON ... Tidewell is SAFE AS MILK";

// The run's feedback, with the drive list answered by the session as both
// front ends answer it.
class SessionFeedback : public RecordingFeedback {
 public:
  bool SelectDrive(char letter) override { return program != nullptr && program->SelectDrive(letter); }
  std::string SelectedDrive() const override { return program == nullptr ? "" : program->Drives().Current(); }
  ProgramSession* program = nullptr;
};

class SilentDeepwashView : public DeepwashView {
 public:
  explicit SilentDeepwashView(MessageBoxes& boxes) : boxes_(boxes) {}
  void SetStatusText(std::string_view) override {}
  MessageAnswer ShowMessage(const Message& message) override { return boxes_.ShowMessage(message); }

 private:
  MessageBoxes& boxes_;
};

// Drives C and D in a temporary folder, the store and the records beside
// them, the working folder on no drive, and no drive to discover.
class ProgramSessionTest : public ::testing::Test {
 protected:
  ProgramSessionTest() : startFolder_(fs::current_path()) {
    for (const char* folder : {"/drive_c", "/drive_d", "/program", "/records", "/home"}) {
      fs::create_directories(base_.Path() + folder);
    }
    testing::SetVariable("HOME", (base_.Path() + "/home").c_str());
    testing::SetVariable("WINEPREFIX", (base_.Path() + "/home/.wine").c_str());
    MapDrives("C=" + base_.Path() + "/drive_c;D=" + base_.Path() + "/drive_d");
    fs::current_path(base_.Path());
  }
  // Under Wine the start folder may lie on no drive and cannot be entered
  // again; the temporary folder then stands in, so that no later test works
  // in a folder that is gone.
  ~ProgramSessionTest() override {
    std::error_code error;
    fs::current_path(startFolder_, error);
    if (error) fs::current_path(fs::temp_directory_path(), error);
  }

  void MapDrives(const std::string& value) { testing::SetVariable("TIDEWELL_DRIVES", value.c_str()); }
  std::string StorePath() const { return base_.Path() + "/config/Tidewell.ini"; }
  void WriteStore(const std::string& text) {
    fs::create_directories(base_.Path() + "/config");
    std::ofstream(StorePath(), std::ios::binary) << text;
  }
  std::string StoreText() const {
    std::ifstream in(StorePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The program folder and the records folder are the fixture's unless the
  // setup names a program folder: then the session chooses the records'.
  ProgramSession& Open(SessionSetup setup = {}) {
    setup.programName = "tidewell";
    setup.problems = problems_;
    setup.storePath = StorePath();
    if (setup.programFolder.empty()) {
      setup.programFolder = base_.Path() + "/program";
      setup.recordsFolder = base_.Path() + "/records";
    }
    program_ = std::make_unique<ProgramSession>(feedback, feedback, deepwashView_, std::move(setup));
    feedback.program = program_.get();
    return *program_;
  }
  std::string Problems() {
    std::fflush(problems_);
    std::rewind(problems_);
    std::string text;
    for (int c = std::fgetc(problems_); c != EOF; c = std::fgetc(problems_)) text.push_back(static_cast<char>(c));
    return text;
  }

  testing::TempFolder base_;
  SessionFeedback feedback;

 private:
  fs::path startFolder_;
  std::FILE* problems_ = std::tmpfile();
  SilentDeepwashView deepwashView_{feedback};
  std::unique_ptr<ProgramSession> program_;
};

TEST_F(ProgramSessionTest, TheWindowsStartGoesOnPastAFailedDriveCheckShowsTheNoticeAndEntersDriveC) {
  ProgramSession& program = Open({.startDrive = 'D'});
  fs::remove(base_.Path() + "/drive_d");  // D: has gone since the drives were read

  EXPECT_EQ(program.Start({.enterDriveC = true}), StartupOutcome::DriveCheckFailed);

  EXPECT_EQ(feedback.Titles(), (std::vector<std::string>{"Drive Error", kTestModeNotice}));
  EXPECT_EQ(program.Drives().Current().substr(0, 2), "c:");
  EXPECT_EQ(fs::current_path(), fs::path(base_.ResolvedPath() + "/drive_c"));
  EXPECT_EQ(program.Context().config.windowsDir, "C:\\WINDOWS");
}

TEST_F(ProgramSessionTest, TheConsolesStartStopsAtAFailedDriveCheckAndLeavesTheWorkingFolder) {
  ProgramSession& program = Open({.startDrive = 'D'});
  fs::remove(base_.Path() + "/drive_d");

  EXPECT_EQ(program.Start({.stopAtFirstProblem = true}), StartupOutcome::DriveCheckFailed);

  EXPECT_EQ(feedback.Titles(), std::vector<std::string>{"Drive Error"});
  EXPECT_EQ(fs::current_path(), fs::path(base_.Path()));
}

TEST_F(ProgramSessionTest, TheStartDriveCheckIsAskedForOnceTheMainOptionsAreLoaded) {
  WriteStore("[Preferences]\r\nTestRun=0\r\n");
  ProgramSession& program = Open({.startDrive = 'D'});
  fs::remove(base_.Path() + "/drive_d");
  int testRunSeen = -1;

  const StartupOutcome outcome = program.Start({.checkStartDrive = [&] {
    testRunSeen = program.Options().CheckValue(RunOption::TestRun);
    return false;
  }});

  EXPECT_EQ(outcome, StartupOutcome::Ready);
  EXPECT_EQ(testRunSeen, 0);
  EXPECT_TRUE(feedback.messages.empty());  // no check, and no test-mode notice
  EXPECT_EQ(program.Drives().Current().substr(0, 2), "d:");
}

TEST_F(ProgramSessionTest, ARunOnCopiesSeesTheFrontEndsChangesAndTheStoreKeepsTheBoxes) {
  ProgramSession& program = Open({.runValues = RunValues::CopiedAtStart});
  std::vector<int> seenAfterLoads;

  const StartupOutcome outcome = program.Start({.afterLoads = [&] {
    seenAfterLoads = {program.RunOptionsCopy().CheckValue(RunOption::TestRun),
                      program.RunCategoriesCopy().CheckValue(CategoryId::MaintainLog)};
    program.RunOptionsCopy().Set(RunOption::TestRun, 0);
  }});

  EXPECT_EQ(outcome, StartupOutcome::Ready);
  EXPECT_EQ(seenAfterLoads, (std::vector<int>{1, program.Selection().CheckValue(CategoryId::MaintainLog)}));
  EXPECT_FALSE(program.Context().config.IsOn(RunOption::TestRun));
  EXPECT_EQ(program.Options().CheckValue(RunOption::TestRun), 1);
  EXPECT_TRUE(feedback.messages.empty());  // this run is no test run: no notice
  EXPECT_EQ(StoreText().find("TestRun=0"), std::string::npos);
}

TEST_F(ProgramSessionTest, ARunOnTheBoxesSeesEveryClick) {
  ProgramSession& program = Open();
  ASSERT_EQ(program.Start({}), StartupOutcome::Ready);
  EXPECT_TRUE(program.Context().config.IsOn(RunOption::TestRun));

  program.Options().SetValue(RunOption::TestRun, 0);

  EXPECT_FALSE(program.Context().config.IsOn(RunOption::TestRun));
}

TEST_F(ProgramSessionTest, DriveProblemsAreToldOnOneLineEachWithTheirControlBytesShown) {
  std::string c = base_.Path() + "/drive_c";
#ifdef _WIN32
  std::replace(c.begin(), c.end(), '\\', '/');  // the drive table keeps Windows paths with "/"
#endif
  MapDrives("C=" + c + "/new\x01line;D=" + base_.Path() + "/drive_d");
  ProgramSession& program = Open();

  program.Start({});

  EXPECT_EQ(Problems(), "tidewell: TIDEWELL_DRIVES: drive C: maps to \"" + c +
                            "/new^Aline\", which is not an existing folder; it will show as a drive "
                            "without a disk\n");
  EXPECT_EQ(program.Drives().Entries().size(), 2u);
}

TEST_F(ProgramSessionTest, AnUnreadableStoreWithNoDriveStopsBeforeAnythingIsReadOrWritten) {
  testing::SetVariable("TIDEWELL_DRIVES", nullptr);
  const std::string big = "[Preferences]\r\nTestRun=0\r\n" + std::string(platform::PreferencesFile::kSizeLimit, ';');
  WriteStore(big);
  ProgramSession& program = Open();

  EXPECT_EQ(program.Start({.stopAtFirstProblem = true}), StartupOutcome::StoreUnreadable);

  EXPECT_EQ(feedback.Titles(), std::vector<std::string>{"Settings Error"});
  EXPECT_EQ(program.Options().CheckValue(RunOption::TestRun), 0);  // never loaded: every box starts unchecked
  EXPECT_EQ(StoreText(), big);
}

// TIDEWELL_DRIVES names C: and D:, but the store that holds the keep list
// cannot be read: the console's start stops at once, the window's goes on
// and shows its drives, and neither may clean.
TEST_F(ProgramSessionTest, AnUnreadableStoreStopsEveryRunWhateverNamesTheDrives) {
  const std::string big = "[Keep]\r\nPath=C:\\KEEP\\*\r\n[Preferences]\r\nTestRun=0\r\n" +
                          std::string(platform::PreferencesFile::kSizeLimit, ';');
  WriteStore(big);
  {
    ProgramSession& console = Open();
    EXPECT_EQ(console.Start({.stopAtFirstProblem = true}), StartupOutcome::StoreUnreadable);
    EXPECT_EQ(feedback.Titles(), std::vector<std::string>{"Settings Error"});
    EXPECT_NE(feedback.messages[0].text.find(StorePath()), std::string::npos);
    EXPECT_TRUE(console.HasDrives());
    EXPECT_FALSE(console.CanClean());
  }
  feedback.messages.clear();
  ProgramSession& window = Open();
  EXPECT_EQ(window.Start({.enterDriveC = true}), StartupOutcome::StoreUnreadable);
  EXPECT_EQ(feedback.Titles().front(), "Settings Error");
  EXPECT_EQ(window.Drives().Entries().size(), 2u) << "the window still shows the named drives";
  EXPECT_FALSE(window.CanClean());
  EXPECT_EQ(StoreText(), big);
}

// Drives C and D found only in a Wine prefix: a destructive all-drives run
// cleans only the one the user named (the console's --drive, a pick in the
// window's list); a test run takes both.
TEST_F(ProgramSessionTest, ADestructiveRunCleansAFoundDriveOnlyWhenTheUserNamedIt) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows finds its drives as the system's letters, not in a Wine prefix's dosdevices links";
#endif
  testing::SetVariable("TIDEWELL_DRIVES", nullptr);
  const std::string prefix = base_.Path() + "/home/.wine";
  fs::create_directories(prefix + "/dosdevices");
  fs::create_directory_symlink(base_.Path() + "/drive_c", prefix + "/dosdevices/c:");
  fs::create_directory_symlink(base_.Path() + "/drive_d", prefix + "/dosdevices/d:");
  for (const char* drive : {"/drive_c", "/drive_d"}) {
    fs::create_directories(base_.Path() + drive + "/DATA");
    std::ofstream(base_.Path() + drive + "/DATA/junk.tmp") << "junk";
  }
  ProgramSession& program = Open({.runValues = RunValues::CopiedAtStart});
  ASSERT_EQ(program.Start({}), StartupOutcome::Ready);
  ASSERT_NE(program.Files().Drives().Find('C'), nullptr);
  ASSERT_NE(program.Files().Drives().Find('D'), nullptr);
  EXPECT_FALSE(program.DriveIsNamed('C'));
  program.NameDrive('d');
  EXPECT_TRUE(program.DriveIsNamed('D'));
  const std::vector<char> unnamed = program.UnnamedDrives();
  EXPECT_NE(std::find(unnamed.begin(), unnamed.end(), 'C'), unnamed.end());
  EXPECT_EQ(std::find(unnamed.begin(), unnamed.end(), 'D'), unnamed.end());

  program.RunOptionsCopy().Set(RunOption::ScanAllDrives, 1);
  RunCleaning(program.Context());  // a test run: both drives are looked at, nothing goes
  EXPECT_TRUE(fs::exists(base_.Path() + "/drive_c/DATA/junk.tmp"));
  ASSERT_TRUE(fs::exists(base_.Path() + "/drive_d/DATA/junk.tmp"));
  std::ifstream log(base_.Path() + "/records/Tidewell.log", std::ios::binary);
  const std::string logText(std::istreambuf_iterator<char>(log), {});
  EXPECT_NE(logText.find("c:\\DATA\\junk.tmp"), std::string::npos);

  program.RunOptionsCopy().Set(RunOption::TestRun, 0);
  RunCleaning(program.Context());
  EXPECT_TRUE(fs::exists(base_.Path() + "/drive_c/DATA/junk.tmp")) << "C: was only found, never named";
  EXPECT_FALSE(fs::exists(base_.Path() + "/drive_d/DATA/junk.tmp"));
}

TEST_F(ProgramSessionTest, WithNoDriveTheWindowIsToldHowToMapOneAndStillHearsOfTestMode) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows always has drive letters to find";
#endif
  std::ifstream mountTable("/proc/self/mountinfo");
  const std::string mounts(std::istreambuf_iterator<char>(mountTable), {});
  for (const char* type : {" vfat ", " exfat ", " ntfs ", " ntfs3 ", " msdos ", " fuse "}) {
    if (mounts.find(type) != std::string::npos) GTEST_SKIP() << "a mounted volume here could be found as a drive";
  }
  testing::SetVariable("TIDEWELL_DRIVES", nullptr);
  ProgramSession& program = Open();

  EXPECT_EQ(program.Start({}), StartupOutcome::NoDrive);

  ASSERT_EQ(feedback.messages.size(), 2u);
  EXPECT_NE(feedback.messages[0].text.find("TIDEWELL_DRIVES"), std::string::npos);
  EXPECT_EQ(feedback.messages[1].title, kTestModeNotice);
}

TEST_F(ProgramSessionTest, AStartDriveThatNoDriveMapsEndsStartUpWithNothingWritten) {
  ProgramSession& program = Open({.startDrive = 'Q'});

  EXPECT_EQ(program.Start({}), StartupOutcome::NoSuchStartDrive);

  EXPECT_TRUE(feedback.messages.empty());
  EXPECT_FALSE(fs::exists(StorePath()));
}

// Installed under a prefix (bin/ beside share/tidewell/, as `dpkg -x`
// unpacks the package): the run plays the sound the installation ships and
// keeps its records in the user's data folder, not in bin/.
TEST_F(ProgramSessionTest, AnInstalledProgramPlaysItsSharedSoundAndKeepsItsRecordsInTheDataFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "bin/ beside share/tidewell/ is the layout of the POSIX package";
#endif
  const std::string bin = base_.Path() + "/usr/bin";
  const std::string share = base_.Path() + "/usr/share/tidewell";
  fs::create_directories(bin);
  fs::create_directories(share);
  std::ofstream(share + "/Tidewell1.wav") << "RIFF";
  testing::ScopedVariable data("XDG_DATA_HOME", base_.Path() + "/data");
  fs::create_directories(base_.Path() + "/drive_c/WINDOWS/TEMP");
  std::ofstream(base_.Path() + "/drive_c/WINDOWS/TEMP/~DF1.TMP") << "junk";

  ProgramSession& program = Open({.programFolder = bin});
  EXPECT_EQ(program.Start({}), StartupOutcome::Ready);
  RunCleaning(program.Context());

  EXPECT_EQ(program.Context().config.recordsFolder, base_.Path() + "/data/Tidewell");
  ASSERT_TRUE(fs::exists(base_.Path() + "/data/Tidewell/Tidewell.log"));
  EXPECT_GT(fs::file_size(base_.Path() + "/data/Tidewell/Tidewell.log"), 0u);
  EXPECT_FALSE(fs::exists(bin + "/Tidewell.log"));
  EXPECT_FALSE(fs::exists(bin + "/Tidewell.txt"));
  EXPECT_NE(std::find(feedback.events.begin(), feedback.events.end(), "PlayWave " + share + "/Tidewell1.wav"),
            feedback.events.end());
  EXPECT_TRUE(fs::exists(base_.Path() + "/drive_c/WINDOWS/TEMP/~DF1.TMP"));  // a test run
}

}  // namespace
}  // namespace tidewell::session
