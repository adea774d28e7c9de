// The age limit and the keep list in real runs of the rule table: what a
// file or folder they spare keeps on disk, in the totals and in the log, in
// test and destructive runs alike.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "engine/run_clock.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

enum class Mode { Test, Destructive };

constexpr std::int64_t kYear2000 = 946684800;  // 2000-01-01 00:00:00 UTC

class FilteredWorld : public testing::TestWorld {
 public:
  testing::TempDrive& C() { return Drive('C'); }

  // Sets a file's modification time (seconds since 1970 UTC).
  void Date(std::string_view relative, std::int64_t unixSeconds) {
    const std::chrono::sys_seconds when{std::chrono::seconds(unixSeconds)};
    std::error_code error;
    std::filesystem::last_write_time(C().Host(relative), std::chrono::file_clock::from_sys(when), error);
    ASSERT_FALSE(error) << relative << ": " << error.message();
  }
  void DaysOld(std::string_view relative, int days) { Date(relative, std::time(nullptr) - days * 86400LL); }

  void Clean(Mode run) {
    SetOption(RunOption::TestRun, run == Mode::Test ? 1 : 0);
    SetOption(RunOption::MaintainLog, 1);
    ASSERT_FALSE(OpenLogSection(context, "c:"));
    const FolderList folders = ListFolders(context, "c:", "\\");
    ApplyCategoryRules(context, "c:", folders, folders.Count());
    CloseLogSection(context);
  }

  bool Logged(std::string_view part) {
    const std::vector<std::string> items = LogItems();
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& item) { return item.find(part) != std::string::npos; });
  }
  std::int64_t Files() const { return static_cast<std::int64_t>(context.state.totals.totalFiles); }
  std::int64_t Bytes() const { return static_cast<std::int64_t>(context.state.totals.totalBytes); }
};

// A Temp folder (purged: it holds a *.TMP) with an old and a fresh file
// directly in it, an old subfolder and one that holds only a fresh file.
void BuildAgedTemp(FilteredWorld& world) {
  world.C().Build({{"WINDOWS\\TEMP\\old.TMP", 100},
                   {"WINDOWS\\TEMP\\fresh.TMP", 50},
                   {"WINDOWS\\TEMP\\OLDSUB\\old.dat", 10},
                   {"WINDOWS\\TEMP\\NEWSUB\\new.dat", 20},
                   {"WINDOWS\\TEMP\\NEWSUB\\DEEP\\"}});
  world.Date("WINDOWS\\TEMP\\old.TMP", kYear2000);
  world.Date("WINDOWS\\TEMP\\OLDSUB\\old.dat", kYear2000);
  world.DaysOld("WINDOWS\\TEMP\\fresh.TMP", 1);
  world.DaysOld("WINDOWS\\TEMP\\NEWSUB\\new.dat", 29);
}

TEST(AgeLimit, ADestructiveRunRemovesTheOldFilesAndLeavesTheFreshOnesWithTheirFolders) {
  FilteredWorld world;
  BuildAgedTemp(world);
  world.config.filters.minimumAgeDays = 30;

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\old.TMP"));
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\OLDSUB"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\fresh.TMP"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\NEWSUB\\new.dat"));
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\NEWSUB\\DEEP")) << "an empty folder still goes";
  EXPECT_EQ(world.Files(), 2);
  EXPECT_EQ(world.Bytes(), 110);
  EXPECT_TRUE(world.Logged("Delete file: c:\\WINDOWS\\TEMP\\old.TMP"));
  EXPECT_TRUE(world.Logged("Remove folder: c:\\WINDOWS\\TEMP\\OLDSUB\\"));
  EXPECT_FALSE(world.Logged("fresh.TMP"));
  EXPECT_FALSE(world.Logged("new.dat"));
  const std::vector<std::string> items = world.LogItems();
  EXPECT_EQ(std::count(items.begin(), items.end(), "Remove folder: c:\\WINDOWS\\TEMP\\NEWSUB\\"), 0);
}

TEST(AgeLimit, ATestRunCountsAndLogsOnlyTheOldFilesAndChangesNothing) {
  FilteredWorld world;
  BuildAgedTemp(world);
  world.config.filters.minimumAgeDays = 30;
  const auto before = testing::DriveContents(world.C());

  world.Clean(Mode::Test);

  EXPECT_EQ(testing::DriveContents(world.C()), before);
  // The purge counts old.TMP and OLDSUB\old.dat; the base rows' *.TMP finds
  // old.TMP gone, as the destructive run does.
  EXPECT_EQ(world.Files(), 2);
  EXPECT_EQ(world.Bytes(), 110);
  EXPECT_TRUE(world.Logged("Delete file: c:\\WINDOWS\\TEMP\\OLDSUB\\old.dat"));
  EXPECT_FALSE(world.Logged("fresh.TMP"));
  EXPECT_FALSE(world.Logged("new.dat"));
  const std::vector<std::string> items = world.LogItems();
  EXPECT_EQ(std::count(items.begin(), items.end(), "Remove folder: c:\\WINDOWS\\TEMP\\NEWSUB\\"), 0);
  EXPECT_EQ(std::count(items.begin(), items.end(), "Remove folder: c:\\WINDOWS\\TEMP\\OLDSUB\\"), 1);
}

TEST(AgeLimit, WithoutALimitTheSameDriveLosesEveryFile) {
  FilteredWorld world;
  BuildAgedTemp(world);

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\fresh.TMP"));
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\NEWSUB"));
  EXPECT_EQ(world.Files(), 4);
  EXPECT_EQ(world.Bytes(), 180);
}

TEST(AgeLimit, ZeroDaysSparesOnlyFilesDatedAfterTheCleaningBegan) {
  FilteredWorld world;
  world.C().Build({{"DATA\\now.TMP", 1}, {"DATA\\future.TMP", 2}});
  world.Date("DATA\\future.TMP", std::time(nullptr) + 86400);
  world.config.filters.minimumAgeDays = 0;

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("DATA\\now.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\future.TMP"));
}

// The age limit measures from the run's clock, to the second: a file
// exactly as old as the limit goes, one a second younger stays.
TEST(AgeLimit, MeasuresFromTheRunsClockToTheSecond) {
  FilteredWorld world;
  world.C().Build({{"DATA\\edge.TMP", 1}, {"DATA\\younger.TMP", 2}});
  world.Date("DATA\\edge.TMP", kYear2000);
  world.Date("DATA\\younger.TMP", kYear2000 + 1);
  world.config.filters.minimumAgeDays = 3;
  world.clock.seconds = kYear2000 + 3 * 86400;

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("DATA\\edge.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\younger.TMP"));
}

// A clock that moves on ten days at every reading.
class RacingClock final : public RunClock {
 public:
  explicit RacingClock(std::int64_t start) : next_(start) {}
  std::tm LocalTime() const override { return RunClock::Wall().LocalTime(); }
  std::int64_t Seconds() const override {
    const std::int64_t now = next_;
    next_ += 10 * 86400;
    return now;
  }

 private:
  mutable std::int64_t next_;
};

// The clock is read once when the drive's cleaning begins, so every file is
// judged against the same moment however long the cleaning takes.
TEST(AgeLimit, TakesItsMomentOnceWhenTheDrivesCleaningBegins) {
  FilteredWorld world;
  world.C().Build({{"DATA\\a.TMP", 1}, {"DATA\\b.TMP", 2}, {"DATA\\c.TMP", 4}});
  for (const char* name : {"DATA\\a.TMP", "DATA\\b.TMP", "DATA\\c.TMP"}) world.Date(name, kYear2000 + 1);
  world.config.filters.minimumAgeDays = 3;
  const RacingClock racing(kYear2000 + 3 * 86400);  // a second short for all three
  world.config.clock = &racing;

  world.Clean(Mode::Destructive);

  EXPECT_EQ(world.Files(), 0);
  EXPECT_TRUE(world.C().Exists("DATA\\a.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\b.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\c.TMP"));
}

// A Temp folder with a kept file in a subfolder, a kept folder, and
// ordinary junk beside them.
void BuildTempWithKeepers(FilteredWorld& world) {
  world.C().Build({{"WINDOWS\\TEMP\\a.TMP", 5},
                   {"WINDOWS\\TEMP\\SAVES\\SAVEGAME.TMP", 7},
                   {"WINDOWS\\TEMP\\SAVES\\other.dat", 11},
                   {"WINDOWS\\TEMP\\GONE\\x.dat", 13},
                   {"WINDOWS\\TEMP\\PROJ\\deep\\work.TMP", 17},
                   {"WINDOWS\\TEMP\\PROJ\\EMPTY\\"}});
  world.config.filters.keep.Add("*\\savegame.tmp");
  world.config.filters.keep.Add("C:\\WINDOWS\\TEMP\\PROJ");
}

TEST(KeepList, AKeptFileInsideAPurgedFolderStaysAndSoDoesItsFolder) {
  FilteredWorld world;
  BuildTempWithKeepers(world);

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\a.TMP"));
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\SAVES\\other.dat")) << "only the kept name is kept";
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\GONE"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\SAVES\\SAVEGAME.TMP"));
  EXPECT_EQ(world.Files(), 3);
  EXPECT_EQ(world.Bytes(), 5 + 11 + 13);
  EXPECT_FALSE(world.Logged("SAVEGAME"));
  EXPECT_FALSE(world.Logged("Remove folder: c:\\WINDOWS\\TEMP\\SAVES\\"));
}

TEST(KeepList, AKeptFolderBelowAPurgeIsLeftWholeEmptyFoldersIncluded) {
  FilteredWorld world;
  BuildTempWithKeepers(world);

  world.Clean(Mode::Destructive);

  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\PROJ\\deep\\work.TMP"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\PROJ\\EMPTY"));
  EXPECT_FALSE(world.Logged("PROJ"));
}

TEST(KeepList, ATestRunLogsAndCountsNothingThatIsKept) {
  FilteredWorld world;
  BuildTempWithKeepers(world);
  const auto before = testing::DriveContents(world.C());

  world.Clean(Mode::Test);

  EXPECT_EQ(testing::DriveContents(world.C()), before);
  EXPECT_FALSE(world.Logged("SAVEGAME"));
  EXPECT_FALSE(world.Logged("PROJ"));
  EXPECT_FALSE(world.Logged("Remove folder: c:\\WINDOWS\\TEMP\\SAVES\\"));
  EXPECT_TRUE(world.Logged("Remove folder: c:\\WINDOWS\\TEMP\\GONE\\"));
  // The purge: a.TMP, other.dat, x.dat; the base rows' *.TMP finds a.TMP gone.
  EXPECT_EQ(world.Files(), 3);
  EXPECT_EQ(world.Bytes(), 5 + 11 + 13);
}

TEST(KeepList, AKeptFolderThatARowWouldPurgeOrEmptyIsNotEntered) {
  FilteredWorld world;
  world.C().Build({{"RECYCLED\\DC1.doc", 3},
                   {"RECYCLED\\OLD\\DC2.doc", 4},
                   {"WINDOWS\\Recent\\letter.lnk", 5},
                   {"WINDOWS\\TEMP\\b.TMP", 6}});
  world.SetCategory(CategoryId::Recycled, 1);
  world.SetCategory(CategoryId::Recent, 1);
  world.config.filters.keep.Add("c:\\recycled\\");
  world.config.filters.keep.Add("?:\\WINDOWS\\RECENT\\*");
  world.config.filters.keep.Add("C:\\WINDOWS\\TEMP\\*");

  world.Clean(Mode::Destructive);

  EXPECT_TRUE(world.C().Exists("RECYCLED\\DC1.doc"));
  EXPECT_TRUE(world.C().Exists("RECYCLED\\OLD\\DC2.doc"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\Recent\\letter.lnk"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\b.TMP"));
  EXPECT_EQ(world.Files(), 0);
  EXPECT_TRUE(world.LogItems().empty());
}

TEST(KeepList, BothFiltersTogetherSpareWhatEitherSpares) {
  FilteredWorld world;
  world.C().Build({{"DATA\\old.TMP", 1}, {"DATA\\fresh.TMP", 2}, {"DATA\\kept.TMP", 4}});
  world.Date("DATA\\old.TMP", kYear2000);
  world.Date("DATA\\kept.TMP", kYear2000);
  world.config.filters.minimumAgeDays = 7;
  world.config.filters.keep.Add("*\\KEPT.TMP");

  world.Clean(Mode::Destructive);

  EXPECT_FALSE(world.C().Exists("DATA\\old.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\fresh.TMP"));
  EXPECT_TRUE(world.C().Exists("DATA\\kept.TMP"));
  EXPECT_EQ(world.Files(), 1);
}

}  // namespace
}  // namespace tidewell
