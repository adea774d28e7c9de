// tidewell-cli with the run's filters and the per-category figures: the
// stored age limit and keep list, the options that replace and extend them,
// and the --by-category table and JSON "categories" beside the totals.
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/console_sandbox.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ChildResult;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

constexpr std::time_t kYear2000 = 946684800;

class FiltersConsoleTest : public ::testing::Test, protected testing::ConsoleSandbox {
 protected:
  FiltersConsoleTest() : ConsoleSandbox(TIDEWELL_CLI_PATH) { fs::create_directories(Root()); }

  std::string Root() const { return Base() + "/drive_c"; }
  void File(const std::string& relative, std::size_t size, std::time_t modified = std::time(nullptr)) {
    const fs::path path = Root() + "/" + relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << std::string(size, 'x');
    std::error_code error;
    fs::last_write_time(path, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(modified)),
                        error);
    ASSERT_FALSE(error) << error.message();
  }
  bool Exists(const std::string& relative) const { return fs::exists(Root() + "/" + relative); }
  void WriteStore(const std::string& text) {
    fs::create_directories(fs::path(StorePath()).parent_path());
    std::ofstream(StorePath(), std::ios::binary) << text;
  }
  ChildResult Run(std::vector<std::string> arguments) const { return RunCli(std::move(arguments), "C=" + Root()); }
};

TEST_F(FiltersConsoleTest, TheStoredLimitAndKeepListSpareFilesInADestructiveRun) {
  File("TEMP/old.tmp", 100, kYear2000);
  File("TEMP/fresh.tmp", 50);
  File("GAMES/SAVEGAME.TMP", 7, kYear2000);
  File("PROJECTS/build/out.tmp", 9, kYear2000);
  WriteStore("[Preferences]\r\nMinimumAgeDays=30\r\n[Keep]\r\nPath=*\\SAVEGAME.TMP\r\nPath=C:\\PROJECTS\\*\r\n");

  const ChildResult run = Run({"--delete", "--no-log", "--no-report"});

  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(Exists("TEMP/old.tmp"));
  EXPECT_TRUE(Exists("TEMP/fresh.tmp"));
  EXPECT_TRUE(Exists("GAMES/SAVEGAME.TMP"));
  EXPECT_TRUE(Exists("PROJECTS/build/out.tmp"));
  EXPECT_TRUE(Contains(run.out, "Drive C: 1 files deleted, 100 bytes reclaimed. (DRIVE_C at ")) << run.out;
}

TEST_F(FiltersConsoleTest, OlderThanReplacesTheStoredLimitAndKeepAddsToTheStoredList) {
  File("TEMP/old.tmp", 100, kYear2000);
  File("TEMP/week.tmp", 50, std::time(nullptr) - 8 * 86400);
  File("DATA/mine.tmp", 3, kYear2000);
  File("GAMES/SAVEGAME.TMP", 7, kYear2000);
  WriteStore("[Preferences]\r\nMinimumAgeDays=36500\r\n[Keep]\r\nPath=*\\SAVEGAME.TMP\r\n");

  const ChildResult run = Run({"--delete", "--older-than", "7", "--keep", "c:\\data\\mine.tmp"});

  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(Exists("TEMP/old.tmp"));
  EXPECT_FALSE(Exists("TEMP/week.tmp"));
  EXPECT_TRUE(Exists("DATA/mine.tmp"));
  EXPECT_TRUE(Exists("GAMES/SAVEGAME.TMP"));
  // Options are for this run only.
  std::ifstream store(StorePath());
  const std::string stored((std::istreambuf_iterator<char>(store)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(Contains(stored, "MinimumAgeDays=36500"));
  EXPECT_FALSE(Contains(stored, "mine.tmp"));
}

TEST_F(FiltersConsoleTest, ABadStoredValueIsNamedWithTheStoreAndNothingIsCleaned) {
  File("DATA/old.tmp", 100, kYear2000);
  File("GAMES/SAVEGAME.TMP", 7, kYear2000);
  WriteStore("[Preferences]\r\nMinimumAgeDays=a week\r\n[Keep]\r\nPath=/home/me\r\nPath=*\\SAVEGAME.TMP\r\n");

  ChildResult run = Run({"--delete", "--log"});

  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, StorePath() + ": [Preferences] MinimumAgeDays=a week cannot be used")) << run.err;
  EXPECT_TRUE(Contains(run.err, "not a whole number")) << run.err;
  EXPECT_TRUE(Contains(run.err, ": [Keep] Path=/home/me cannot be used")) << run.err;
  EXPECT_TRUE(Contains(run.err, "nothing was cleaned")) << run.err;
  EXPECT_TRUE(Exists("DATA/old.tmp"));
  EXPECT_TRUE(Exists("GAMES/SAVEGAME.TMP"));
  EXPECT_FALSE(fs::exists(LogPath()));

  // Listing the categories cleans nothing and still works.
  run = Run({"--list-categories"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Temp ")) << run.out;
}

TEST_F(FiltersConsoleTest, AStoredPatternThatCanNeverMatchIsNamedWithItsLineAndNothingIsCleaned) {
  File("TEMP/old.tmp", 100, kYear2000);
  File("PROJECTS/out.tmp", 9, kYear2000);
  // [Keep] first: what a start adds to [Preferences] cannot move its lines.
  WriteStore("[Keep]\r\nPath=*\\SAVEGAME.TMP\r\n; doubled by habit:\r\nPath=C:\\\\PROJECTS\\\\*\r\n[Preferences]\r\nTemp=1\r\n");

  const ChildResult run = Run({"--delete", "--no-log"});

  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, StorePath() + ": line 4: [Keep] Path=C:\\\\PROJECTS\\\\* cannot be used: it holds"))
      << run.err;
  EXPECT_TRUE(Contains(run.err, "nothing was cleaned")) << run.err;
  EXPECT_TRUE(Exists("TEMP/old.tmp"));
  EXPECT_TRUE(Exists("PROJECTS/out.tmp"));
}

TEST_F(FiltersConsoleTest, StarDotStarKeepsNamesWithoutAnExtensionBelowAFolderWithADot) {
  File("USERS/JOHN.DOE/TEMP/notes", 5, kYear2000);
  File("USERS/JOHN.DOE/TEMP/draft.tmp", 6, kYear2000);
  File("TEMP/old.tmp", 100, kYear2000);

  const ChildResult run = Run({"--delete", "--no-log", "--keep", "C:\\USERS\\JOHN.DOE\\TEMP\\*.*"});

  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Exists("USERS/JOHN.DOE/TEMP/notes"));
  EXPECT_TRUE(Exists("USERS/JOHN.DOE/TEMP/draft.tmp"));
  EXPECT_FALSE(Exists("TEMP/old.tmp"));
}

TEST_F(FiltersConsoleTest, AFolderMappedAsAnotherDriveIsKeptUnderEitherName) {
  File("DATA/keep.tmp", 5, kYear2000);
  File("DATA/sub/deep.tmp", 6, kYear2000);
  File("TEMP/old.tmp", 100, kYear2000);
  const std::string drives = "C=" + Root() + ";D=" + Root() + "/DATA";

  // Cleaning C, a pattern on D keeps C:\DATA.
  ChildResult run = RunCli({"--delete", "--no-log", "--drive", "C:", "--keep", "D:\\*"}, drives);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Exists("DATA/keep.tmp"));
  EXPECT_TRUE(Exists("DATA/sub/deep.tmp"));
  EXPECT_FALSE(Exists("TEMP/old.tmp"));

  // Cleaning D, a pattern on C keeps what it names there, and only that.
  run = RunCli({"--delete", "--no-log", "--drive", "D:", "--keep", "c:\\data\\SUB"}, drives);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Exists("DATA/sub/deep.tmp"));
  EXPECT_FALSE(Exists("DATA/keep.tmp"));
}

TEST_F(FiltersConsoleTest, JsonHoldsEachCategorysFilesAndBytesBiggestFirst) {
  File("TEMP/one.tmp", 100);
  File("DATA/two.tmp", 30);
  File("DATA/three.tmp", 20);

  // Temp's purge takes TEMP\one.tmp before the base rows come to it; the
  // test run says so as the destructive run does.
  for (const char* run : {"--test", "--delete"}) {
    const ChildResult result = Run({run, "--json"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "\"filesDeleted\":3,\"bytesSaved\":150,")) << run << "\n" << result.out;
    EXPECT_TRUE(Contains(result.out,
                         ",\"categories\":[{\"name\":\"Temp\",\"files\":1,\"bytes\":100},"
                         "{\"name\":\"Base\",\"files\":2,\"bytes\":50}]}\n"))
        << run << "\n" << result.out;
  }
}

TEST_F(FiltersConsoleTest, ByCategoryPrintsATableAfterTheDrivesLineAndOnlyWhenAsked) {
  File("TEMP/one.tmp", 2048);
  File("DATA/two.tmp", 30);

  ChildResult run = Run({"--delete", "--quiet"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(Contains(run.out, "Category")) << run.out;

  File("TEMP/one.tmp", 2048);
  File("DATA/two.tmp", 30);
  run = Run({"--delete", "--quiet", "--by-category"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::size_t line = run.out.find("Drive C: 2 files deleted");
  const std::size_t header = run.out.find("Category");
  const std::size_t temp = run.out.find("  Temp ");
  const std::size_t base = run.out.find("  Base ");
  ASSERT_NE(line, std::string::npos) << run.out;
  ASSERT_NE(header, std::string::npos) << run.out;
  ASSERT_NE(temp, std::string::npos) << run.out;
  ASSERT_NE(base, std::string::npos) << run.out;
  EXPECT_LT(line, header);
  EXPECT_LT(header, temp);
  EXPECT_LT(temp, base) << "biggest first";
  const std::string tempLine = run.out.substr(temp, run.out.find('\n', temp) - temp);
  EXPECT_TRUE(Contains(tempLine, " 1  2.00 Kilobytes      Temp folder contents (all in")) << tempLine;
  // The caption wraps within its column: the table stays within 80 columns.
  EXPECT_TRUE(Contains(run.out, "Kilobytes      Temp folder contents (all in\n" + std::string(49, ' ') +
                                    "TEMP or TMP)\n"))
      << run.out;
  const std::string baseLine = run.out.substr(base, run.out.find('\n', base) - base);
  EXPECT_TRUE(Contains(baseLine, " 1  30 bytes")) << baseLine;
  std::istringstream lines(run.out.substr(header));
  for (std::string row; std::getline(lines, row);) EXPECT_LE(row.size(), 80u) << row;
}

TEST_F(FiltersConsoleTest, ByCategorySaysSoWhenNothingWasChosen) {
  File("DATA/letter.doc", 5);
  const ChildResult run = Run({"--test", "--quiet", "--by-category"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "(no category chose a file)")) << run.out;
}

}  // namespace
}  // namespace tidewell
