// A drive's walk and whole runs with the walk warmed ahead and without: the
// warmer's threads really read the drive, and nothing a run shows or does
// differs, in test runs and destructive ones, with the default categories
// and with every one on.
#include "engine/walk_warmer.h"

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/rule_table_names.h"
#include "tests/engine/demo_runs.h"
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

  world.config.warming = WalkWarming::Never;
  const FolderList plain = ListFolders(world.context, "c:", "\\", &names);

  world.config.warming = WalkWarming::Always;
  // The threads' jobs are dropped when the walk ends first, which a loaded
  // machine that runs them late may let happen: a few walks give them the
  // chance to read something. Every walk lists the same.
  std::int64_t listedAhead = 0;
  for (int walk = 0; walk < 5 && listedAhead == 0; ++walk) {
    WalkWarmer warmer(world.context, "c:", names);
    const FolderList warmed = ListFolders(world.context, "c:", "\\", &names, nullptr, &warmer);
#ifdef _WIN32
    // The Windows warmer declines to start (platform/win32/metadata_warmer.cpp
    // cannot yet open folders as its threads must); the walk is the same.
    EXPECT_FALSE(warmer.Started());
    listedAhead = 1;
#else
    EXPECT_TRUE(warmer.Started());
    listedAhead = warmer.FoldersListed();
#endif
    EXPECT_EQ(WalkLines(warmed), WalkLines(plain));
  }
  EXPECT_GT(listedAhead, 0) << "the threads read no folder ahead of the walk";
  EXPECT_GT(plain.Count(), 400);
}

TEST(WalkWarmerTest, NeverStartsWhenTurnedOff) {
  TestWorld world;
  ASSERT_FALSE(WriteDemoDrive(world.Drive('C').Root(), kDrive));
  const RuleTableNames names;
  world.config.warming = WalkWarming::Never;
  WalkWarmer warmer(world.context, "c:", names);
  ListFolders(world.context, "c:", "\\", &names, nullptr, &warmer);
  EXPECT_FALSE(warmer.Started());
  EXPECT_EQ(warmer.FoldersListed(), 0);
}

using testing::DemoRunMode;
using testing::DemoSelection;

class WarmedRunTest : public ::testing::TestWithParam<std::tuple<DemoRunMode, DemoSelection>> {};

TEST_P(WarmedRunTest, LogTotalsAndWhatIsLeftAreTheSameWithAndWithoutWarming) {
  const auto [mode, selection] = GetParam();
  const auto warming = [](WalkWarming warming) {
    return [warming](TestWorld& world) { world.config.warming = warming; };
  };
  testing::ExpectSameOutcome(testing::RunOnDemoDrive(kDrive, mode, selection, warming(WalkWarming::Always)),
                             testing::RunOnDemoDrive(kDrive, mode, selection, warming(WalkWarming::Never)));
}

INSTANTIATE_TEST_SUITE_P(TestAndDestructive, WarmedRunTest,
                         ::testing::Combine(::testing::Values(DemoRunMode::Test, DemoRunMode::Destructive),
                                            ::testing::Values(DemoSelection::Default, DemoSelection::All)));

}  // namespace
}  // namespace tidewell
