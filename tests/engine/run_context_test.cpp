#include "engine/run_context.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <string>
#include <vector>

#include "engine/deletion_primitives.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

// The progress values one Reset and then `advances` ordinary steps show.
std::vector<int> BounceFromReset(TestWorld& world, int advances) {
  StepProgress(world.context, ProgressStep::Reset);
  for (int i = 0; i < advances; ++i) StepProgress(world.context, ProgressStep::Advance);
  return world.feedback.progressValues;
}

// ---------------------------------------------------------------------------
// The bouncing progress bar

TEST(RunContextProgress, ResetShowsZero) {
  TestWorld world;
  EXPECT_EQ(BounceFromReset(world, 0), std::vector<int>{0});
}

TEST(RunContextProgress, ClimbsToOneHundredThenFallsToZeroThenClimbsAgain) {
  TestWorld world;
  std::vector<int> expected{0};
  for (int v = 1; v <= 100; ++v) expected.push_back(v);
  for (int v = 99; v >= 0; --v) expected.push_back(v);
  expected.push_back(1);
  expected.push_back(2);
  EXPECT_EQ(BounceFromReset(world, 202), expected);
}

TEST(RunContextProgress, ResetWhileFallingStartsRisingFromZero) {
  TestWorld world;
  BounceFromReset(world, 150);  // at 50, falling
  world.feedback.progressValues.clear();
  StepProgress(world.context, ProgressStep::Reset);
  StepProgress(world.context, ProgressStep::Advance);
  StepProgress(world.context, ProgressStep::Advance);
  EXPECT_EQ(world.feedback.progressValues, (std::vector<int>{0, 1, 2}));
}

TEST(RunContextProgress, FinishShowsOneHundredAndTheNextStepFalls) {
  for (int before : {0, 7, 100, 130}) {  // rising, at the top, falling
    TestWorld world;
    BounceFromReset(world, before);
    world.feedback.progressValues.clear();
    StepProgress(world.context, ProgressStep::Finish);
    StepProgress(world.context, ProgressStep::Advance);
    StepProgress(world.context, ProgressStep::Advance);
    EXPECT_EQ(world.feedback.progressValues, (std::vector<int>{100, 99, 98})) << "after " << before << " steps";
  }
}

TEST(RunContextProgress, ResetLeavesTheStatusTextAlone) {
  TestWorld world;
  StepProgress(world.context, ProgressStep::Reset);
  EXPECT_TRUE(world.feedback.statusTexts.empty());
}

TEST(RunContextProgress, AdvanceAndFinishShowTheFiguresSoFar) {
  TestWorld world;
  world.context.state.totals.totalBytes = 2048.0f;
  world.context.state.totals.totalFiles = 1234.0f;
  StepProgress(world.context, ProgressStep::Advance);
  world.context.state.totals.totalFiles = 1235.0f;
  StepProgress(world.context, ProgressStep::Finish);
  EXPECT_EQ(world.feedback.statusTexts,
            (std::vector<std::string>{"Cleaning HD: 2.00 Kilobytes, 1,234 files cleaned",
                                      "Cleaning HD: 2.00 Kilobytes, 1,235 files cleaned"}));
}

// ---------------------------------------------------------------------------
// ClampOrDefault

TEST(RunContextClamp, KeepsValuesWithinTheBoundsInclusive) {
  EXPECT_EQ(ClampOrDefault(0, 0, 100, 55), 0);
  EXPECT_EQ(ClampOrDefault(42, 0, 100, 55), 42);
  EXPECT_EQ(ClampOrDefault(100, 0, 100, 55), 100);
}

TEST(RunContextClamp, GivesTheFallbackOutsideTheBounds) {
  EXPECT_EQ(ClampOrDefault(-1, 0, 100, 55), 55);
  EXPECT_EQ(ClampOrDefault(101, 0, 100, 55), 55);
}

// ---------------------------------------------------------------------------
// Totals and their text

TEST(RunContextTotals, NothingCleanedReadsZeroBytesZeroFiles) {
  const RunTotals totals;
  EXPECT_EQ(CleanedSoFarText(totals, platform::LocaleFormat::Classic()), "0 bytes, 0 files cleaned");
}

TEST(RunContextTotals, CleanedSoFarTextUsesAUnitAndGroupsTheFileCount) {
  RunTotals totals;
  totals.AddBytes(5 * 1024 * 1024);
  for (int i = 0; i < 1234; ++i) totals.AddFile();
  EXPECT_EQ(CleanedSoFarText(totals, platform::LocaleFormat::Classic()), "5.00 Megabytes, 1,234 files cleaned");
}

TEST(RunContextTotals, OneByteMoreThanTwoToTheTwentyFourthIsLost) {
  RunTotals totals;
  totals.AddBytes(16777216);
  totals.AddBytes(1);
  EXPECT_EQ(totals.totalBytes, 16777216.0f);
}

TEST(RunContextTotals, EachAdditionIsRoundedToSinglePrecision) {
  // Sixteen single bytes added one by one to 2^24 each get lost; added at
  // once they count.
  RunTotals oneByOne;
  oneByOne.AddBytes(16777216);
  for (int i = 0; i < 16; ++i) oneByOne.AddBytes(1);
  EXPECT_EQ(oneByOne.totalBytes, 16777216.0f);

  RunTotals atOnce;
  atOnce.AddBytes(16777216);
  atOnce.AddBytes(16);
  EXPECT_EQ(atOnce.totalBytes, 16777232.0f);
}

// ---------------------------------------------------------------------------
// The category bucket

// Files counted while a CountingInto guard lives go to its bucket; when the
// guard goes, however its scope ends, the bucket before it is current again,
// down to the base rows' when no guard is left.
TEST(RunContextCounting, AGuardSendsCountedFilesToItsBucketAndRestoresThePreviousOne) {
  TestWorld world;
  world.Drive('C').Build({{"a.tmp", 1}, {"b.tmp", 10}, {"c.tmp", 100}, {"d.tmp", 1000}, {"e.tmp", 10000}});
  RunContext& context = world.context;
  const TotalsBucket temp = TotalsBucket::Of(CategoryId::Temp);
  DeleteOneFile(context, "c:\\a.tmp");
  {
    const CountingInto sweep(context, TotalsBucket::Sweep());
    {
      const CountingInto inner(context, temp);
      DeleteOneFile(context, "c:\\b.tmp");
    }
    DeleteOneFile(context, "c:\\c.tmp");
    try {
      const CountingInto leftByThrow(context, temp);
      throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    DeleteOneFile(context, "c:\\d.tmp");
  }
  DeleteOneFile(context, "c:\\e.tmp");
  const CategoryTotals& buckets = context.state.totals.byCategory;
  EXPECT_EQ(buckets.Of(TotalsBucket::BaseRows()).bytes, 10001);
  EXPECT_EQ(buckets.Of(temp).bytes, 10);
  EXPECT_EQ(buckets.Of(TotalsBucket::Sweep()).bytes, 1100);
  EXPECT_EQ(context.state.counting.Current(), TotalsBucket::BaseRows());
}

// ---------------------------------------------------------------------------
// Command-line switches

TEST(RunContextSwitch, FoundAnywhereInTheCommandLine) {
  EXPECT_TRUE(HasSwitch("/U", 'U'));
  EXPECT_TRUE(HasSwitch("/Unattended", 'U'));
  EXPECT_TRUE(HasSwitch("x/Uy", 'U'));
  EXPECT_TRUE(HasSwitch("/I /U", 'U'));
  EXPECT_TRUE(HasSwitch("/I /U", 'I'));
}

TEST(RunContextSwitch, IsCaseSensitive) {
  EXPECT_FALSE(HasSwitch("/u", 'U'));
  EXPECT_FALSE(HasSwitch("/U", 'u'));
}

TEST(RunContextSwitch, NeedsTheSlashRightBeforeTheLetter) {
  EXPECT_FALSE(HasSwitch("", 'U'));
  EXPECT_FALSE(HasSwitch("U", 'U'));
  EXPECT_FALSE(HasSwitch("/ U", 'U'));
  EXPECT_FALSE(HasSwitch("\\U", 'U'));
  EXPECT_FALSE(HasSwitch("/I", 'U'));
}

// ---------------------------------------------------------------------------
// Options and the yield rule

constexpr RunOption kAllOptions[] = {RunOption::ExitWhenDone,        RunOption::MinimiseOnUse,
                                     RunOption::OptimisePerformance, RunOption::KeepReport,
                                     RunOption::ScanAllDrives,       RunOption::TestRun,
                                     RunOption::MaintainLog};

TEST(RunContextOptions, AnUncheckedBoxIsOff) {
  FixedCleaningOptions options;
  for (RunOption option : kAllOptions) EXPECT_FALSE(IsOn(options, option)) << static_cast<int>(option);
}

TEST(RunContextOptions, ACheckedBoxIsOn) {
  FixedCleaningOptions options;
  for (RunOption option : kAllOptions) options.Set(option, 1);
  for (RunOption option : kAllOptions) EXPECT_TRUE(IsOn(options, option)) << static_cast<int>(option);
}

TEST(RunContextOptions, AGreyedBoxIsOnExceptForOptimisePerformance) {
  FixedCleaningOptions options;
  for (RunOption option : kAllOptions) options.Set(option, 2);
  for (RunOption option : kAllOptions) {
    EXPECT_EQ(IsOn(options, option), option != RunOption::OptimisePerformance) << static_cast<int>(option);
  }
}

TEST(RunContextYield, YieldsOnceWhenOptimisePerformanceIsOff) {
  TestWorld world;
  YieldToMessages(world.context);
  EXPECT_EQ(world.feedback.yields, 1);
}

TEST(RunContextYield, NeverYieldsWhenOptimisePerformanceIsOne) {
  TestWorld world;
  world.SetOption(RunOption::OptimisePerformance, 1);
  YieldToMessages(world.context);
  EXPECT_EQ(world.feedback.yields, 0);
}

TEST(RunContextYield, StillYieldsWhenOptimisePerformanceIsGreyed) {
  TestWorld world;
  world.SetOption(RunOption::OptimisePerformance, 2);
  YieldToMessages(world.context);
  EXPECT_EQ(world.feedback.yields, 1);
}

}  // namespace
}  // namespace tidewell
