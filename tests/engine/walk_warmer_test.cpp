// A drive's walk and whole runs with the walk warmed ahead and without: the
// warmer's threads really read the drive, and nothing a run shows or does
// differs, in test runs and destructive ones, with the default categories
// and with every one on.
#include "engine/walk_warmer.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/cleaning_run.h"
#include "engine/rule_table_names.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

// The demo drive with a filler tree: a few hundred folders, several levels
// deep, junk of several categories among the files.
constexpr DemoDriveRequest kDrive{.folders = 400, .files = 3000, .seed = 7};

// Every folder of a walk with the names it kept, in the walk's order.
std::vector<std::string> WalkLines(const FolderList& folders) {
  std::vector<std::string> lines;
  for (std::int32_t i = 1; i <= folders.Count(); ++i) {
    lines.emplace_back(folders[i]);
    folders.ForEachFile(i, [&](std::string_view name, const WalkFacts*) {
      lines.push_back("  " + std::string(name));
    });
  }
  return lines;
}

TEST(WalkWarmerTest, AWarmedWalkListsTheSameFoldersAndNamesAndItsThreadsReadTheDrive) {
  TestWorld world;
  ASSERT_FALSE(WriteDemoDrive(world.Drive('C').Root(), kDrive));
  const RuleTableNames names;

  world.context.warming = WalkWarming::Never;
  const FolderList plain = ListFolders(world.context, "c:", "\\", &names);

  world.context.warming = WalkWarming::Always;
  WalkWarmer warmer(world.context, "c:", names);
  const FolderList warmed = ListFolders(world.context, "c:", "\\", &names, nullptr, &warmer);

  EXPECT_TRUE(warmer.Started());
  EXPECT_GT(warmer.FoldersListed(), 0) << "the threads read no folder ahead of the walk";
  EXPECT_EQ(WalkLines(warmed), WalkLines(plain));
  EXPECT_GT(plain.Count(), 400);
}

TEST(WalkWarmerTest, NeverStartsWhenTurnedOff) {
  TestWorld world;
  ASSERT_FALSE(WriteDemoDrive(world.Drive('C').Root(), kDrive));
  const RuleTableNames names;
  world.context.warming = WalkWarming::Never;
  WalkWarmer warmer(world.context, "c:", names);
  ListFolders(world.context, "c:", "\\", &names, nullptr, &warmer);
  EXPECT_FALSE(warmer.Started());
  EXPECT_EQ(warmer.FoldersListed(), 0);
}

enum class Mode { Test, Destructive };
enum class Selection { Default, All };

struct RunOutcome {
  RunResult result = RunResult::Finished;
  std::vector<std::string> logItems;  // in the order written
  float files = 0;
  float bytes = 0;
  std::vector<std::int64_t> buckets;  // files and bytes of every category's bucket
  std::map<std::string, std::string> left;  // the drive afterwards
};

RunOutcome RunDemoDrive(WalkWarming warming, Mode mode, Selection selection) {
  TestWorld world;
  EXPECT_FALSE(WriteDemoDrive(world.Drive('C').Root(), kDrive));
  world.context.windowsDir = platform::FindWindowsDir(world.files);
  if (mode == Mode::Test) {
    world.SetOption(RunOption::TestRun, 1);
  } else {
    world.SetDestructiveLoggedRuns();
  }
  if (selection == Selection::All) world.categories.Apply(Preset::SelectAll);
  world.context.warming = warming;

  RunOutcome outcome;
  outcome.result = RunCleaning(world.context);
  outcome.logItems = world.LogItems();
  outcome.files = world.context.totals.totalFiles;
  outcome.bytes = world.context.totals.totalBytes;
  for (std::size_t i = 0; i < TotalsBucket::kCount; ++i) {
    const BucketFigures& figures = world.context.totals.byCategory.Of(TotalsBucket::At(i));
    outcome.buckets.push_back(figures.files);
    outcome.buckets.push_back(figures.bytes);
  }
  outcome.left = testing::DriveContents(world.Drive('C'));
  return outcome;
}

class WarmedRunTest : public ::testing::TestWithParam<std::tuple<Mode, Selection>> {};

TEST_P(WarmedRunTest, LogTotalsAndWhatIsLeftAreTheSameWithAndWithoutWarming) {
  const auto [mode, selection] = GetParam();
  const RunOutcome cold = RunDemoDrive(WalkWarming::Always, mode, selection);
  const RunOutcome plain = RunDemoDrive(WalkWarming::Never, mode, selection);

  EXPECT_EQ(cold.result, RunResult::Finished);
  EXPECT_EQ(cold.result, plain.result);
  EXPECT_GT(plain.logItems.size(), 50u);
  EXPECT_EQ(cold.logItems, plain.logItems);
  EXPECT_EQ(cold.files, plain.files);
  EXPECT_EQ(cold.bytes, plain.bytes);
  EXPECT_EQ(cold.buckets, plain.buckets);
  EXPECT_EQ(cold.left, plain.left);
}

INSTANTIATE_TEST_SUITE_P(TestAndDestructive, WarmedRunTest,
                         ::testing::Combine(::testing::Values(Mode::Test, Mode::Destructive),
                                            ::testing::Values(Selection::Default, Selection::All)));

}  // namespace
}  // namespace tidewell
