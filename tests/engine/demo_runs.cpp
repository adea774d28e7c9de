#include "tests/engine/demo_runs.h"

#include <gtest/gtest.h>

namespace tidewell::testing {

DemoRunOutcome RunOnDemoDrive(const DemoDriveRequest& drive, DemoRunMode mode, DemoSelection selection,
                              const std::function<void(TestWorld&)>& setup) {
  TestWorld world;
  EXPECT_FALSE(WriteDemoDrive(world.Drive('C').Root(), drive));
  world.config.windowsDir = platform::FindWindowsDir(world.files);
  if (mode == DemoRunMode::Test) {
    world.SetOption(RunOption::TestRun, 1);
  } else {
    world.SetDestructiveLoggedRuns();
  }
  if (selection == DemoSelection::All) world.categories.Apply(Preset::SelectAll);
  setup(world);

  DemoRunOutcome outcome;
  outcome.result = RunCleaning(world.context);
  outcome.logItems = world.LogItems();
  outcome.files = world.context.state.totals.totalFiles;
  outcome.bytes = world.context.state.totals.totalBytes;
  for (std::size_t i = 0; i < TotalsBucket::kCount; ++i) {
    const BucketFigures& figures = world.context.state.totals.byCategory.Of(TotalsBucket::At(i));
    outcome.buckets.push_back(figures.files);
    outcome.buckets.push_back(figures.bytes);
  }
  outcome.left = DriveContents(world.Drive('C'));
  return outcome;
}

void ExpectSameOutcome(const DemoRunOutcome& one, const DemoRunOutcome& other) {
  EXPECT_EQ(one.result, RunResult::Finished);
  EXPECT_EQ(one.result, other.result);
  EXPECT_GT(other.logItems.size(), 50u);
  EXPECT_EQ(one.logItems, other.logItems);
  EXPECT_EQ(one.files, other.files);
  EXPECT_EQ(one.bytes, other.bytes);
  EXPECT_EQ(one.buckets, other.buckets);
  EXPECT_EQ(one.left, other.left);
}

}  // namespace tidewell::testing
