// Per-category totals on the demo drive: the buckets add up to the run's
// totals in test and destructive runs, with the default selection and with
// every category on, and a destructive run's buckets hold exactly what left
// the disk.
#include "engine/category_totals.h"

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/folder_walker.h"
#include "platform/virtual_file_system.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

enum class Mode { Test, Destructive };
enum class Selection { Default, All };

// Every plain file below `root` (a demo drive holds no links), relative
// path -> size.
std::map<std::string, std::int64_t> FileSizes(const std::string& root) {
  std::map<std::string, std::int64_t> sizes;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.symlink_status().type() == fs::file_type::regular) {
      sizes[fs::relative(entry.path(), root).string()] = static_cast<std::int64_t>(entry.file_size());
    }
  }
  return sizes;
}

struct DemoRun {
  BucketFigures removed;  // what left the disk
};

DemoRun CleanDemoDrive(testing::TestWorld& world, Mode mode, Selection selection) {
  EXPECT_FALSE(WriteDemoDrive(world.Drive('C').Root(), {}));
  world.config.windowsDir = platform::FindWindowsDir(world.files);
  EXPECT_FALSE(world.config.windowsDir.empty());
  world.SetOption(RunOption::TestRun, mode == Mode::Test ? 1 : 0);
  if (selection == Selection::All) world.categories.Apply(Preset::SelectAll);
  const auto before = FileSizes(world.Drive('C').Root());

  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ApplyCategoryRules(world.context, "c:", folders, folders.Count());

  const auto after = FileSizes(world.Drive('C').Root());
  DemoRun run;
  for (const auto& [path, size] : before) {
    if (after.contains(path)) continue;
    ++run.removed.files;
    run.removed.bytes += size;
  }
  return run;
}

class DemoCategoryTotals : public ::testing::TestWithParam<std::tuple<Mode, Selection>> {};

TEST_P(DemoCategoryTotals, TheBucketsAddUpToTheRunsTotals) {
  const auto [mode, selection] = GetParam();
  testing::TestWorld world;
  const DemoRun run = CleanDemoDrive(world, mode, selection);

  const RunTotals& totals = world.context.state.totals;
  const BucketFigures sum = totals.byCategory.Sum();
  ASSERT_LT(totals.totalBytes, 16777216.0f) << "the float total would no longer be exact";
  EXPECT_EQ(sum.files, static_cast<std::int64_t>(totals.totalFiles));
  EXPECT_EQ(sum.bytes, static_cast<std::int64_t>(totals.totalBytes));
  EXPECT_GT(sum.files, 50);

  // The rows of the base, the sweep and Temp choose files on the demo drive
  // whatever the selection.
  EXPECT_GT(totals.byCategory.Of(TotalsBucket::BaseRows()).files, 0);
  EXPECT_GT(totals.byCategory.Of(TotalsBucket::Sweep()).files, 0);
  EXPECT_GT(totals.byCategory.Of(TotalsBucket::Of(CategoryId::Temp)).files, 0);
  // An option is no category of its own: nothing is counted there.
  EXPECT_EQ(totals.byCategory.Of(TotalsBucket::Of(CategoryId::ShowWarnings)).files, 0);
  EXPECT_EQ(totals.byCategory.Of(TotalsBucket::Of(CategoryId::MaintainLog)).files, 0);

  if (mode == Mode::Destructive) {
    // Each file is counted once, by the row that removed it.
    EXPECT_EQ(sum.files, run.removed.files);
    EXPECT_EQ(sum.bytes, run.removed.bytes);
  } else {
    EXPECT_EQ(run.removed.files, 0);
  }
  if (selection == Selection::Default) {
    EXPECT_EQ(totals.byCategory.Of(TotalsBucket::Of(CategoryId::Wallpaper)).files, 0) << "off by default";
    EXPECT_EQ(totals.byCategory.Of(TotalsBucket::Of(CategoryId::Graphics)).files, 0) << "off by default";
  } else {
    EXPECT_GT(totals.byCategory.Of(TotalsBucket::Of(CategoryId::Graphics)).files, 0);
    EXPECT_GT(totals.byCategory.Of(TotalsBucket::Of(CategoryId::ExtraScrubbing)).files, 0);
    // Graphics took the Windows folder's bitmaps before the wallpaper step,
    // in a test run as in a destructive one.
    EXPECT_EQ(totals.byCategory.Of(TotalsBucket::Of(CategoryId::Wallpaper)).files, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(TestAndDestructiveDefaultAndSelectAll, DemoCategoryTotals,
                         ::testing::Combine(::testing::Values(Mode::Test, Mode::Destructive),
                                            ::testing::Values(Selection::Default, Selection::All)));

TEST(CategoryTotals, ATestRunCountsAFileOnceInTheBucketOfTheFirstRowThatChoseIt) {
  testing::TestWorld world;
  world.Drive('C').Build({{"WINDOWS\\TEMP\\one.TMP", 100}, {"DATA\\two.TMP", 30}});
  world.SetOption(RunOption::TestRun, 1);

  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ApplyCategoryRules(world.context, "c:", folders, folders.Count());

  // The Temp purge chose one.TMP before the base row *.TMP came to it.
  const CategoryTotals& buckets = world.context.state.totals.byCategory;
  EXPECT_EQ(buckets.Of(TotalsBucket::Of(CategoryId::Temp)).files, 1);
  EXPECT_EQ(buckets.Of(TotalsBucket::Of(CategoryId::Temp)).bytes, 100);
  EXPECT_EQ(buckets.Of(TotalsBucket::BaseRows()).files, 1);
  EXPECT_EQ(buckets.Of(TotalsBucket::BaseRows()).bytes, 30);
  EXPECT_EQ(world.context.state.totals.totalFiles, 2.0f);
}

TEST(CategoryTotals, BiggestListsOnlyBucketsThatChoseFilesMostBytesFirstThenMostFiles) {
  CategoryTotals totals;
  totals.Add(TotalsBucket::Of(CategoryId::Temp), 1, 100);
  totals.Add(TotalsBucket::Sweep(), 3, 500);
  totals.Add(TotalsBucket::BaseRows(), 5, 100);
  totals.Add(TotalsBucket::Of(CategoryId::Adobe), 0, 0);
  const std::vector<CategoryTotals::Row> rows = totals.Biggest();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].bucket.Name(), "Sweep");
  EXPECT_EQ(rows[1].bucket.Name(), "Base");
  EXPECT_EQ(rows[2].bucket.Name(), "Temp");
  EXPECT_EQ(rows[2].bucket.Caption(), "Temp folder contents (all in TEMP or TMP)");
  EXPECT_EQ(totals.Sum().files, 9);
  EXPECT_EQ(totals.Sum().bytes, 700);
  totals.Reset();
  EXPECT_TRUE(totals.Biggest().empty());
}

}  // namespace
}  // namespace tidewell
