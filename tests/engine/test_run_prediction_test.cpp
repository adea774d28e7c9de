// A test run predicts the destructive run of the same drive exactly: what it
// chooses is gone for the rest of the drive's run, so its log's item lines,
// in order, and its figures (totals and every category's bucket) are those a
// destructive run with the log kept writes on a drive where every deletion
// succeeds.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "tests/engine/demo_runs.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::DemoRunMode;
using testing::DemoSelection;
using testing::TestWorld;

// ---- Whole demo drives ----------------------------------------------------

void ExpectSamePrediction(const testing::DemoRunOutcome& test, const testing::DemoRunOutcome& destructive) {
  EXPECT_EQ(test.result, RunResult::Finished);
  EXPECT_EQ(destructive.result, RunResult::Finished);
  EXPECT_GT(test.logItems.size(), 50u);
  EXPECT_EQ(test.logItems, destructive.logItems);
  EXPECT_EQ(test.files, destructive.files);
  EXPECT_EQ(test.bytes, destructive.bytes);
  EXPECT_EQ(test.buckets, destructive.buckets);
  // The log names each file once, as a destructive run deletes it once.
  std::vector<std::string> lines = test.logItems;
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end());
}

class DemoPrediction : public ::testing::TestWithParam<std::tuple<DemoDriveRequest, DemoSelection>> {};

TEST_P(DemoPrediction, TheTestRunsLogAndFiguresAreTheDestructiveRunsOfACopy) {
  const auto [drive, selection] = GetParam();
  const auto nothing = [](TestWorld&) {};
  ExpectSamePrediction(testing::RunOnDemoDrive(drive, DemoRunMode::Test, selection, nothing),
                       testing::RunOnDemoDrive(drive, DemoRunMode::Destructive, selection, nothing));
}

INSTANTIATE_TEST_SUITE_P(FixedAndFilledDrivesDefaultAndAllCategories, DemoPrediction,
                         ::testing::Combine(::testing::Values(DemoDriveRequest{},
                                                              DemoDriveRequest{.folders = 400, .files = 3000, .seed = 7}),
                                            ::testing::Values(DemoSelection::Default, DemoSelection::All)));

// ---- Small cases, each run both ways --------------------------------------

enum class Mode { Test, Destructive };

struct Outcome {
  std::vector<std::string> items;
  float files = 0;
  float bytes = 0;
  std::vector<std::int64_t> buckets;
};

// Builds the drive, switches the categories on, and cleans it as `mode`
// with the log kept; `keep` goes on the keep list.
Outcome Clean(Mode mode, std::initializer_list<testing::FixtureEntry> entries,
              std::initializer_list<CategoryId> categories, std::string keep = {}) {
  TestWorld world;
  world.Drive('C').Build(entries);
  for (CategoryId category : categories) world.SetCategory(category, 1);
  if (!keep.empty()) world.config.filters.keep.Add(keep);
  world.config.windowsDir = platform::FindWindowsDir(world.files);
  world.SetOption(RunOption::TestRun, mode == Mode::Test ? 1 : 0);
  world.SetOption(RunOption::MaintainLog, 1);
  EXPECT_FALSE(OpenLogSection(world.context, "c:"));
  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ApplyCategoryRules(world.context, "c:", folders, folders.Count());
  EXPECT_FALSE(CloseLogSection(world.context));
  Outcome outcome{world.LogItems(), world.context.state.totals.totalFiles, world.context.state.totals.totalBytes, {}};
  for (std::size_t i = 0; i < TotalsBucket::kCount; ++i) {
    outcome.buckets.push_back(world.context.state.totals.byCategory.Of(TotalsBucket::At(i)).files);
    outcome.buckets.push_back(world.context.state.totals.byCategory.Of(TotalsBucket::At(i)).bytes);
  }
  return outcome;
}

std::string Deleted(std::string_view path) { return "Delete file: " + std::string(path); }
std::string Removed(std::string_view path) { return "Remove folder: " + std::string(path); }

// The two runs agree exactly; the lines are `items` (in any order: within a
// folder, files come in the order the file system lists them).
void ExpectSameOutcome(const Outcome& test, const Outcome& destructive, std::vector<std::string> items) {
  EXPECT_EQ(test.items, destructive.items);
  std::vector<std::string> written = destructive.items;
  std::sort(written.begin(), written.end());
  std::sort(items.begin(), items.end());
  EXPECT_EQ(written, items);
  EXPECT_EQ(test.files, destructive.files);
  EXPECT_EQ(test.bytes, destructive.bytes);
  EXPECT_EQ(test.buckets, destructive.buckets);
}

TEST(TestRunPrediction, AFileTwoRowsChooseIsCountedAndLoggedOnceInTheFirstRowsBucket) {
  auto run = [](Mode mode) {
    return Clean(mode, {{"MUSIC\\song.RAM", 1000}}, {CategoryId::Sounds, CategoryId::Videos});
  };
  const Outcome test = run(Mode::Test);
  ExpectSameOutcome(test, run(Mode::Destructive), {Deleted("c:\\MUSIC\\song.RAM")});
  EXPECT_EQ(test.files, 1.0f);
  EXPECT_EQ(test.bytes, 1000.0f);
}

TEST(TestRunPrediction, AMarkerAnEarlierRowChoseNoLongerLetsItsFolderBePurged) {
  // Setup (before Temp in the table) takes SETUP.TMP, the Temp folder's only
  // *.TMP file: the Temp purge then finds no marker, and notes.doc stays.
  auto run = [](Mode mode) {
    return Clean(mode, {{"DATA\\TEMP\\SETUP.TMP", 10}, {"DATA\\TEMP\\notes.doc", 20}},
                 {CategoryId::Setup, CategoryId::Temp});
  };
  ExpectSameOutcome(run(Mode::Test), run(Mode::Destructive), {Deleted("c:\\DATA\\TEMP\\SETUP.TMP")});
}

TEST(TestRunPrediction, AFolderAPurgeRemovedIsNotVisitedAgain) {
  // The purge of TEMP takes everything below it; the base row *.TMP, the
  // nested Temp folder's own purge and the second purge row of the same
  // folder (Temporary Internet Files is in two sections) find nothing more.
  auto run = [](Mode mode) {
    return Clean(mode,
                 {{"TEMP\\a.TMP", 1}, {"TEMP\\SUB\\b.TMP", 2}, {"TEMP\\SUB\\TEMP\\c.TMP", 3},
                  {"TEMP\\SUB\\TEMP\\d.dat", 4}, {"TEMPORARY INTERNET FILES\\X\\page.htm", 5}},
                 {CategoryId::Temp, CategoryId::Cookies, CategoryId::Histories});
  };
  ExpectSameOutcome(run(Mode::Test), run(Mode::Destructive),
                    {Deleted("c:\\TEMP\\a.TMP"), Deleted("c:\\TEMP\\SUB\\b.TMP"),
                     Deleted("c:\\TEMP\\SUB\\TEMP\\c.TMP"), Deleted("c:\\TEMP\\SUB\\TEMP\\d.dat"),
                     Removed("c:\\TEMP\\SUB\\TEMP\\"), Removed("c:\\TEMP\\SUB\\"),
                     Deleted("c:\\TEMPORARY INTERNET FILES\\X\\page.htm"),
                     Removed("c:\\TEMPORARY INTERNET FILES\\X\\")});
}

TEST(TestRunPrediction, TheSweepAndTheWallpaperStepSkipWhatTheFolderStageChose) {
  // CONFIG.BAK goes with Backups before the sweep of Config.*; Clouds.BMP
  // with Graphics before the wallpaper step.
  auto run = [](Mode mode) {
    return Clean(mode, {{"CONFIG.BAK", 6}, {"WINDOWS\\Clouds.BMP", 7}, {"WINDOWS\\WIN.INI", 8}},
                 {CategoryId::Backups, CategoryId::Graphics, CategoryId::Wallpaper});
  };
  ExpectSameOutcome(run(Mode::Test), run(Mode::Destructive),
                    {Deleted("c:\\CONFIG.BAK"), Deleted("c:\\WINDOWS\\Clouds.BMP")});
}

TEST(TestRunPrediction, WhatAFolderKeepsBelowAPurgeIsStillVisitedAndCountedOnce) {
  // A kept file holds its folder below the purge: the folder stays, unlogged,
  // and the base row still meets it there without counting it; its other
  // files went with the purge.
  auto run = [](Mode mode) {
    return Clean(mode, {{"TEMP\\a.TMP", 1}, {"TEMP\\SUB\\keep.TMP", 2}, {"TEMP\\SUB\\b.TMP", 3}},
                 {CategoryId::Temp}, "*\\keep.TMP");
  };
  const Outcome test = run(Mode::Test);
  ExpectSameOutcome(test, run(Mode::Destructive), {Deleted("c:\\TEMP\\a.TMP"), Deleted("c:\\TEMP\\SUB\\b.TMP")});
  EXPECT_EQ(test.files, 2.0f);
}

// ---- The primitives -------------------------------------------------------

TEST(TestRunChoices, AChosenFileIsNotFoundAgainByAnyReadingOfItsFolder) {
  TestWorld world;
  world.Drive('C').Build({{"TEMP\\a.tmp", 10}, {"TEMP\\b.log", 1}, {"TEMP\\SUB\\c.tmp", 1}});
  world.SetOption(RunOption::TestRun, 1);
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  EXPECT_EQ(DeleteOneFile(world.context, "c:\\TEMP\\a.tmp"), DeleteResult::Chosen);
  EXPECT_EQ(DeleteOneFile(world.context, "c:\\TEMP\\a.tmp"), DeleteResult::NotFound);
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 10.0f);
  EXPECT_TRUE(world.Drive('C').Exists("TEMP\\a.tmp"));
  ASSERT_FALSE(world.context.state.log.Flush());
  EXPECT_EQ(world.LogItems(), std::vector<std::string>{Deleted("c:\\TEMP\\a.tmp")});

  const FolderSnapshot temp(world.context, "c:\\TEMP\\");
  EXPECT_EQ(temp.Find("a.tmp"), FolderSnapshot::npos);
  EXPECT_NE(temp.Find("b.log"), FolderSnapshot::npos);
  EXPECT_FALSE(temp.HasNormalFile("*.tmp"));
  const FileList listed = ListFiles(world.context, "c:", "\\TEMP\\", "*.*", ListScope::WholeSubtree);
  ASSERT_EQ(listed.Count(), 2);
  EXPECT_EQ(listed[1], "c:\\TEMP\\b.log");
  EXPECT_EQ(listed[2], "c:\\TEMP\\SUB\\c.tmp");
}

TEST(TestRunChoices, AFolderWhosePurgeRemovedItIsMissingForLaterReadings) {
  TestWorld world;
  world.Drive('C').Build({{"TEMP\\a.tmp", 1}, {"TEMP\\SUB\\INNER\\c.tmp", 1}});
  world.SetOption(RunOption::TestRun, 1);
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  FolderSnapshot temp(world.context, "c:\\TEMP\\");
  ASSERT_TRUE(PurgeNamedFolder(world.context, "c:", temp, "Temp", "*.tmp"));
  EXPECT_FALSE(temp.HasNormalFile("*.tmp"));

  EXPECT_EQ(FolderSnapshot(world.context, "c:\\TEMP\\SUB\\INNER\\").Count(), 0u);
  const FolderList below = ListFolders(world.context, "c:", "\\TEMP\\");
  EXPECT_EQ(below.Count(), 1);  // the purged folder itself stays
  const FolderList removed = ListFolders(world.context, "c:", "\\TEMP\\SUB\\");
  EXPECT_EQ(removed.Count(), 1);
  EXPECT_FALSE(removed.HasFiles(1)) << "a removed folder is not opened";
  // A second purge of the same folder finds nothing to count or log.
  const float files = world.context.state.totals.totalFiles;
  ASSERT_FALSE(world.context.state.log.Flush());
  const std::size_t lines = world.LogItems().size();
  EXPECT_EQ(lines, 4u);  // two files, two folders
  FolderSnapshot again(world.context, "c:\\TEMP\\");
  EXPECT_TRUE(PurgeNamedFolder(world.context, "c:", again, "Temp", ""));
  EXPECT_EQ(world.context.state.totals.totalFiles, files);
  ASSERT_FALSE(world.context.state.log.Flush());
  EXPECT_EQ(world.LogItems().size(), lines);
}

}  // namespace
}  // namespace tidewell
