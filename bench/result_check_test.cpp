// The result check on real folders: what it reads from a run's records and a
// tree, and each kind of difference between a test run and a destructive run
// that must fail the bench.
#include "bench/result_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace tidewell::bench {
namespace {

class ResultCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tidewell-bench-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Write(const std::string& name, const std::string& text) {
    const fs::path path = root_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  // A run that logs `items` and reports the totals of that log on `tree`.
  static RunResult Result(std::vector<std::string> items, const TreeListing& tree) {
    const RunTotals totals = LoggedTotals(items, tree);
    return RunResult{std::move(items), totals};
  }

  fs::path root_;
};

TEST_F(ResultCheckTest, ReadsItemLinesAndTotalsFromRealRecords) {
  const std::string log = Write("Tidewell.log",
                                "\r\nTIDEWELL III LOG FILE\r\nDrive C:\r\n[Results of NON-DESTRUCTIVE TEST RUN]\r\n"
                                "Delete file: c:\\WINDOWS\\TEMP\\A.TMP\r\nRemove folder: c:\\WINDOWS\\TEMP\\SUB\\\r\n"
                                "Delete file: c:\\WINDOWS\\TEMP\\A.TMP\r\n2 files DELETED\r\n");
  const std::string json =
      Write("run.json", "{\"drive\":\"C:\",\"testRun\":true,\"finished\":true,\"filesDeleted\":2,\"bytesSaved\":4096,"
                        "\"bytesSavedText\":\"4 KB\"}\n");
  const RunResult result = ReadRunResult(log, json);
  // In the order written, a file two rules chose twice.
  EXPECT_EQ(result.logItems, (std::vector<std::string>{"Delete file: c:\\WINDOWS\\TEMP\\A.TMP",
                                                       "Remove folder: c:\\WINDOWS\\TEMP\\SUB\\",
                                                       "Delete file: c:\\WINDOWS\\TEMP\\A.TMP"}));
  ASSERT_TRUE(result.totals.has_value());
  EXPECT_EQ(*result.totals, (RunTotals{2, 4096, true}));

  const RunResult missing = ReadRunResult((root_ / "none.log").string(), (root_ / "none.json").string());
  EXPECT_TRUE(missing.logItems.empty());
  EXPECT_FALSE(missing.totals.has_value());
}

TEST_F(ResultCheckTest, ItemPathsMapToTreeRelativePaths) {
  EXPECT_EQ(ItemPath("Delete file: c:\\WINDOWS\\TEMP\\A.TMP"), "WINDOWS/TEMP/A.TMP");
  EXPECT_EQ(ItemPath("Remove folder: c:\\WINDOWS\\TEMP\\SUB\\"), "WINDOWS/TEMP/SUB");
  EXPECT_EQ(ItemPath("Delete file: A.TMP"), "");
  EXPECT_EQ(ItemPath("2 files DELETED"), "");
}

TEST_F(ResultCheckTest, ListsTheTreeWithLengthsWithoutFollowingLinks) {
  Write("tree/a/b.tmp", "xyz");
  Write("tree/c.txt", "");
  Write("outside/sentinel/kept.txt", "a longer text");
  fs::create_directory_symlink(root_ / "outside/sentinel", root_ / "tree/a/link");
  const std::int64_t linkLength = static_cast<std::int64_t>((root_ / "outside/sentinel").string().size());
  EXPECT_EQ(ListTree((root_ / "tree").string()),
            (TreeListing{{"a", 0}, {"a/b.tmp", 3}, {"a/link", linkLength}, {"c.txt", 0}}));
}

TEST_F(ResultCheckTest, LoggedTotalsCountEachFileLineInSinglePrecision) {
  const TreeListing tree = {{"a", 0}, {"a/big", 16777216}, {"a/one", 1}, {"a/two", 2}};
  // A file logged twice counts twice; a folder line counts nothing.
  EXPECT_EQ(LoggedTotals({"Delete file: c:\\a\\two", "Remove folder: c:\\a\\", "Delete file: c:\\a\\two"}, tree),
            (RunTotals{2, 4, true}));
  // Past 2^24 a float drops the odd byte: 16777216 + 1 stays 16777216, and
  // the order of the additions decides the sum.
  EXPECT_EQ(LoggedTotals({"Delete file: c:\\a\\big", "Delete file: c:\\a\\one", "Delete file: c:\\a\\one"}, tree).bytes,
            16777216);
  EXPECT_EQ(LoggedTotals({"Delete file: c:\\a\\one", "Delete file: c:\\a\\one", "Delete file: c:\\a\\big"}, tree).bytes,
            16777218);
}

TEST_F(ResultCheckTest, AgreeingRunsShowNoDifference) {
  const TreeListing before = {{"a", 0}, {"a/b.tmp", 5}, {"a/old", 0}, {"c.txt", 7}};
  const TreeListing after = {{"a", 0}, {"c.txt", 7}};
  // The same lines in another order (the copy lists its folders its own way).
  const RunResult testRun = Result({"Delete file: c:\\a\\b.tmp", "Remove folder: c:\\a\\old\\"}, before);
  const RunResult destructiveRun = Result({"Remove folder: c:\\a\\old\\", "Delete file: c:\\a\\b.tmp"}, before);
  EXPECT_TRUE(CompareRuns(testRun, destructiveRun, before, after).empty());
}

TEST_F(ResultCheckTest, EachKindOfDifferenceIsReported) {
  const std::vector<std::string> items = {"Delete file: c:\\a\\b.tmp", "Delete file: c:\\a\\d.tmp"};
  const TreeListing before = {{"a", 0}, {"a/b.tmp", 3}, {"a/d.tmp", 4}, {"c.txt", 5}};
  const TreeListing cleaned = {{"a", 0}, {"c.txt", 5}};
  const RunResult run = Result(items, before);
  auto expectOne = [](const std::vector<std::string>& differences, const std::string& words) {
    ASSERT_EQ(differences.size(), 1u) << (differences.empty() ? "" : differences.front());
    EXPECT_NE(differences.front().find(words), std::string::npos) << differences.front();
  };
  // The destructive run removed a file but did not log it.
  expectOne(CompareRuns(run, Result({items[0]}, before), before, cleaned),
            "in the test run's log but not (as often) in the destructive run's");
  // The test run named a file twice (and counted it twice).
  std::vector<std::string> twice = items;
  twice.push_back(items[0]);
  expectOne(CompareRuns(Result(twice, before), run, before, cleaned),
            "in the test run's log but not (as often) in the destructive run's");
  // Totals that are not those of the log, a run that did not finish or
  // printed none.
  RunResult miscounted = run;
  miscounted.totals->bytes += 1;
  expectOne(CompareRuns(run, miscounted, before, cleaned), "destructive run's totals");
  RunResult unfinished = run;
  unfinished.totals->finished = false;
  expectOne(CompareRuns(unfinished, run, before, cleaned), "test run's totals");
  expectOne(CompareRuns(run, RunResult{items, std::nullopt}, before, cleaned), "no --json summary");
  // A listed file survived; an unlisted one went; something new appeared.
  expectOne(CompareRuns(run, run, before, {{"a", 0}, {"a/d.tmp", 4}, {"c.txt", 5}}), "still there");
  expectOne(CompareRuns(run, run, before, {{"a", 0}}), "does not list are gone");
  expectOne(CompareRuns(run, run, before, {{"a", 0}, {"c.txt", 5}, {"e.txt", 1}}), "appeared");
  // A listed name that is not in the tree (a path the check cannot map).
  std::vector<std::string> odd = items;
  odd.push_back("Remove folder: c:\\a\\x^Jy\\");
  expectOne(CompareRuns(Result(odd, before), Result(odd, before), before, cleaned), "name nothing in the tree");
}

}  // namespace
}  // namespace tidewell::bench
