// The run's filters as values: the day counts and keep patterns a user may
// write, what the keep list matches, and what the store's lines give.
#include "settings/run_filters.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

TEST(AgeDays, WholeNumbersFromZeroToAHundredYearsAreRead) {
  std::string why;
  EXPECT_EQ(ParseAgeDays("0", why), 0);
  EXPECT_EQ(ParseAgeDays("7", why), 7);
  EXPECT_EQ(ParseAgeDays("007", why), 7);
  EXPECT_EQ(ParseAgeDays("36500", why), 36500);
  EXPECT_EQ(why, "");
}

TEST(AgeDays, EveryOtherWordIsRefusedSayingWhy) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "empty"},
      {"-3", "negative"},
      {"-", "not a whole number"},
      {"7d", "not a whole number"},
      {" 7", "not a whole number"},
      {"1.5", "not a whole number"},
      {"+7", "not a whole number"},
      {"36501", "more than 36500"},
      {std::string(100, '9'), "more than 36500"},
  };
  for (const auto& [text, reason] : cases) {
    std::string why;
    EXPECT_FALSE(ParseAgeDays(text, why).has_value()) << text;
    EXPECT_TRUE(Contains(why, reason)) << text << ": " << why;
  }
}

TEST(AgeDays, AFileIsOldEnoughOnlyWhenChangedAtLeastTheWholeDaysBefore) {
  const std::int64_t now = 1'700'000'000;
  RunFilters filters;
  EXPECT_TRUE(filters.OldEnough(now + 1000, now)) << "without a limit every file is old enough";
  filters.minimumAgeDays = 2;
  EXPECT_TRUE(filters.OldEnough(now - 2 * 86400, now));
  EXPECT_FALSE(filters.OldEnough(now - 2 * 86400 + 1, now));
  filters.minimumAgeDays = 0;
  EXPECT_TRUE(filters.OldEnough(now, now));
  EXPECT_FALSE(filters.OldEnough(now + 1, now)) << "a file dated in the future is never old enough";
}

TEST(KeepPatterns, APatternMustBeAbleToMatchAWholeWindowsPath) {
  std::string why;
  for (const char* good : {"C:\\PROJECTS\\*", "c:\\projects", "*\\SAVEGAME.TMP", "?:\\GAMES\\*", "*\\*.DOC"}) {
    EXPECT_TRUE(IsUsableKeepPattern(good, why)) << good << ": " << why;
  }
  const std::pair<const char*, const char*> bad[] = {
      {"", "empty"},
      {"/home/me/projects", "\"/\""},
      {"C:/PROJECTS", "\"/\""},
      {"PROJECTS\\*", "start it with a drive"},
      {"\\PROJECTS\\*", "start it with a drive"},
      {"1:\\X", "no letter from A to Z"},
      {"*.DOC", "with * alone (*\\*.DOC)"},
      {"C:\\\\PROJECTS\\\\*", "holds \"\\\\\""},
      {"C:PROJECTS\\*", "must be followed by"},
      {"C:\\..\\X", "\"..\" part"},
  };
  for (const auto& [pattern, reason] : bad) {
    why.clear();
    EXPECT_FALSE(IsUsableKeepPattern(pattern, why)) << pattern;
    EXPECT_TRUE(Contains(why, reason)) << pattern << ": " << why;
  }
}

TEST(KeepList, AnEmptyListKeepsNothing) {
  const KeepList keep;
  EXPECT_FALSE(keep.Keeps("c:\\WINDOWS\\TEMP\\~DF1.TMP"));
  EXPECT_FALSE(keep.Keeps("c:\\"));
}

TEST(KeepList, AFolderPatternKeepsTheFolderAndEverythingBelowItButNotItsNeighbours) {
  for (const char* pattern : {"C:\\PROJECTS", "C:\\PROJECTS\\*", "c:\\projects\\"}) {
    SCOPED_TRACE(pattern);
    KeepList keep;
    keep.Add(pattern);
    EXPECT_TRUE(keep.Keeps("c:\\PROJECTS\\"));
    EXPECT_TRUE(keep.Keeps("c:\\Projects\\build\\out.TMP"));
    EXPECT_TRUE(keep.Keeps("c:\\PROJECTS\\a\\b\\"));
    EXPECT_FALSE(keep.Keeps("c:\\PROJECTS2\\out.TMP"));
    EXPECT_FALSE(keep.Keeps("c:\\OLD\\PROJECTS\\out.TMP"));
    EXPECT_FALSE(keep.Keeps("d:\\PROJECTS\\out.TMP"));
    EXPECT_FALSE(keep.Keeps("c:\\"));
  }
}

TEST(KeepList, ANamePatternKeepsThatNameInAnyFolderWithoutCase) {
  KeepList keep;
  keep.Add("*\\SAVEGAME.TMP");
  EXPECT_TRUE(keep.Keeps("c:\\GAMES\\savegame.tmp"));
  EXPECT_TRUE(keep.Keeps("e:\\SAVEGAME.TMP"));
  EXPECT_TRUE(keep.Keeps("c:\\SAVEGAME.TMP\\inside.dat")) << "a folder of that name keeps what it holds";
  EXPECT_FALSE(keep.Keeps("c:\\GAMES\\MYSAVEGAME.TMP"));
  EXPECT_FALSE(keep.Keeps("c:\\GAMES\\SAVEGAME.TMP.OLD"));
  keep.Add("?:\\WINDOWS\\TEMP\\KEEP?\\*");
  EXPECT_TRUE(keep.Keeps("d:\\WINDOWS\\TEMP\\KEEP1\\x.TMP"));
  EXPECT_FALSE(keep.Keeps("d:\\WINDOWS\\TEMP\\KEEP12\\x.TMP"));
}

TEST(KeepList, ExtensionsAreJudgedOnTheLastNameNotOnTheWholePath) {
  KeepList keep;
  keep.Add("C:\\USERS\\JOHN.DOE\\TEMP\\*.*");
  keep.Add("C:\\OLD.SET\\README.");
  EXPECT_TRUE(keep.Keeps("c:\\USERS\\JOHN.DOE\\TEMP\\notes"));
  EXPECT_TRUE(keep.Keeps("c:\\USERS\\JOHN.DOE\\TEMP\\sub\\deeper.tmp"));
  EXPECT_FALSE(keep.Keeps("c:\\USERS\\JOHN.DOE\\notes"));
  EXPECT_TRUE(keep.Keeps("c:\\OLD.SET\\readme"));
  EXPECT_FALSE(keep.Keeps("c:\\OLD.SET\\README.TXT"));
}

TEST(KeepList, ARefusedPatternIsNotAddedAndSaysWhy) {
  KeepList keep;
  std::string why;
  EXPECT_FALSE(keep.Add("C:\\\\PROJECTS\\\\*", why));
  EXPECT_TRUE(Contains(why, "holds")) << why;
  EXPECT_TRUE(keep.Empty());
}

// One folder under two letters: C=<base>/c, D=<base>/c/DATA, E=<base>/c/DATA/E.
class NestedDrivesKeepTest : public ::testing::Test {
 protected:
  NestedDrivesKeepTest() {
    std::filesystem::create_directories(folder.Path() + "/c/DATA/E");
    std::vector<std::string> problems;
    drives = platform::DriveTable::Parse(
        "C=" + folder.Path() + "/c;D=" + folder.Path() + "/c/DATA;E=" + folder.Path() + "/c/DATA/E", &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
  }
  KeepList Keeping(const char* pattern) {
    KeepList keep;
    keep.Add(pattern);
    keep.SeeThroughDrives(drives);
    return keep;
  }

  testing::TempFolder folder;
  platform::DriveTable drives;
};

TEST_F(NestedDrivesKeepTest, AFileIsKeptWhenItsNameOnAnInnerDriveMatches) {
  const KeepList keep = Keeping("D:\\*");
  EXPECT_TRUE(keep.Keeps("c:\\DATA\\keep.tmp"));
  EXPECT_TRUE(keep.Keeps("c:\\data\\"));
  EXPECT_TRUE(keep.Keeps("c:\\DATA\\E\\x\\y.tmp"));
  EXPECT_FALSE(keep.Keeps("c:\\DATAX\\keep.tmp"));
  EXPECT_FALSE(keep.Keeps("c:\\keep.tmp"));
  EXPECT_FALSE(keep.Keeps("c:\\"));
}

TEST_F(NestedDrivesKeepTest, AFileIsKeptWhenItsNameOnAnOuterDriveMatches) {
  KeepList keep = Keeping("C:\\DATA\\SUB\\*");
  EXPECT_TRUE(keep.Keeps("d:\\SUB\\x.tmp"));
  EXPECT_FALSE(keep.Keeps("d:\\x.tmp"));
  keep = Keeping("*\\DATA\\E\\SAVE.TMP");
  EXPECT_TRUE(keep.Keeps("e:\\SAVE.TMP")) << "two drives up";
  EXPECT_TRUE(keep.Keeps("d:\\E\\SAVE.TMP"));
  EXPECT_FALSE(keep.Keeps("e:\\E\\SAVE.TMP"));
  keep = Keeping("E:\\*");
  EXPECT_TRUE(keep.Keeps("d:\\E\\SAVE.TMP")) << "a drive inside a drive inside the drive cleaned";
  EXPECT_FALSE(keep.Keeps("d:\\SAVE.TMP"));
}

TEST_F(NestedDrivesKeepTest, WithoutTheDriveTableOnlyThePathItselfCounts) {
  KeepList keep;
  keep.Add("D:\\*");
  EXPECT_FALSE(keep.Keeps("c:\\DATA\\keep.tmp"));
}

class StoredFiltersTest : public ::testing::Test {
 protected:
  void WriteStore(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  RunFilters Load() {
    platform::PreferencesFile store(path);
    problems.clear();
    return LoadRunFilters(store, problems);
  }

  testing::TempFolder folder;
  std::string path = folder.Path() + "/Tidewell.ini";
  std::vector<std::string> problems;
};

TEST_F(StoredFiltersTest, NoLinesGiveNoFilters) {
  WriteStore("[Preferences]\r\nTemp=1\r\n");
  const RunFilters filters = Load();
  EXPECT_FALSE(filters.minimumAgeDays.has_value());
  EXPECT_TRUE(filters.keep.Empty());
  EXPECT_TRUE(problems.empty());
}

TEST_F(StoredFiltersTest, TheLimitAndEveryPathLineAreReadInFileOrder) {
  WriteStore(
      "[Preferences]\r\nMinimumAgeDays= 14 \r\n"
      "[Keep]\r\nPath=C:\\PROJECTS\\*\r\npath=*\\SAVEGAME.TMP\r\nPath=D:\\GAMES\r\n");
  const RunFilters filters = Load();
  EXPECT_EQ(filters.minimumAgeDays, 14);
  EXPECT_EQ(filters.keep.Patterns(),
            (std::vector<std::string>{"C:\\PROJECTS\\*", "*\\SAVEGAME.TMP", "D:\\GAMES"}));
  EXPECT_TRUE(problems.empty());
}

TEST_F(StoredFiltersTest, EachBadValueIsToldOnceAndLeftOutWhileTheGoodOnesCount) {
  WriteStore(
      "[Preferences]\nMinimumAgeDays=two weeks\n"
      "[Keep]\nPath=/home/me/projects\nPath=*\\SAVEGAME.TMP\nFolder=C:\\X\nPath=\n");
  const RunFilters filters = Load();
  EXPECT_FALSE(filters.minimumAgeDays.has_value());
  EXPECT_EQ(filters.keep.Patterns(), (std::vector<std::string>{"*\\SAVEGAME.TMP"}));
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_TRUE(Contains(problems[0], "MinimumAgeDays=two weeks")) << problems[0];
  EXPECT_TRUE(Contains(problems[0], "not a whole number")) << problems[0];
  EXPECT_TRUE(Contains(problems[1], "Path=/home/me/projects")) << problems[1];
  EXPECT_TRUE(Contains(problems[2], "Path=")) << problems[2];
  EXPECT_TRUE(Contains(problems[2], "empty")) << problems[2];
  EXPECT_TRUE(Contains(problems[3], "Folder=C:\\X")) << problems[3];
}

TEST_F(StoredFiltersTest, ARefusedKeepLineIsNamedWithItsLineNumber) {
  WriteStore(
      "[Preferences]\r\nTemp=1\r\n\r\n[Keep]\r\nPath=*\\SAVEGAME.TMP\r\n; a comment\r\n"
      "Path=C:\\\\PROJECTS\\\\*\r\nPath=C:PROJECTS\\*\r\n");
  const RunFilters filters = Load();
  EXPECT_EQ(filters.keep.Patterns(), (std::vector<std::string>{"*\\SAVEGAME.TMP"}));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_TRUE(Contains(problems[0], "line 7: [Keep] Path=C:\\\\PROJECTS\\\\* cannot be used: it holds")) << problems[0];
  EXPECT_TRUE(Contains(problems[1], "line 8: [Keep] Path=C:PROJECTS\\* cannot be used: \"C:\" must be followed by"))
      << problems[1];
}

}  // namespace
}  // namespace tidewell
