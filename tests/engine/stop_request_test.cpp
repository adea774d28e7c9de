// A stop request (Ctrl+C) during a destructive run ends it within one file,
// wherever files are deleted: a purge, an empty, the matching rows, the
// sweep. The request comes right after the Nth file of the fixture is gone;
// at most one more may go, and the deletion log, closed on the way out, names
// exactly the files that went.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::TestWorld;

enum class Where { Purge, Empty, MatchingRows, Sweep };

struct StopCase {
  Where where;
  bool optimised;  // "Optimize performance" on: the run never yields
};

std::string NameOf(const ::testing::TestParamInfo<StopCase>& info) {
  static const char* const kNames[] = {"Purge", "Empty", "MatchingRows", "Sweep"};
  return std::string(kNames[static_cast<int>(info.param.where)]) + (info.param.optimised ? "Optimised" : "Yielding");
}

constexpr int kFiles = 40;
constexpr int kStopAfter = 10;

// The fixture's files (relative, "\"-separated), each of which the run would
// delete, and the categories that choose them.
std::vector<std::string> BuildFixture(TestWorld& world, Where where) {
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    const std::string n = std::to_string(100 + i);
    switch (where) {
      case Where::Purge:  // a Temp folder with its marker, files in four subfolders
        files.push_back(i == 0 ? "TEMP\\marker.TMP" : "TEMP\\D" + std::to_string(i % 4) + "\\f" + n + ".dat");
        break;
      case Where::Empty:
        files.push_back("RECENT\\letter" + n + ".lnk");
        break;
      case Where::MatchingRows:  // the base row *.TMP
        files.push_back("DATA\\f" + n + ".TMP");
        break;
      case Where::Sweep:  // stale copies of the start-up file
        files.push_back("AUTOEXEC.A" + n);
        break;
    }
  }
  for (const std::string& file : files) world.Drive('C').File(file, 7);
  world.Drive('C').File("DATA\\keep.doc", 5);
  world.SetCategory(CategoryId::Temp, where == Where::Purge ? 1 : 0);
  world.SetCategory(CategoryId::Recent, where == Where::Empty ? 1 : 0);
  return files;
}

class StopRequest : public ::testing::TestWithParam<StopCase> {};

// Runs the cleaning with Ctrl+C handled as the console handles it: the
// request is a flag the run reads at its stop points, and the front end ends
// the program at its next yield. Returns the exit status (-1: never ended).
int RunUntilStopped(TestWorld& world) {
  world.feedback.onYield = [&] {
    if (world.feedback.StopRequested()) ExitProgram(world.context, 130);
  };
  try {
    RunCleaning(world.context);
  } catch (const testing::ProgramEnded& end) {
    return end.exitStatus;
  }
  return -1;
}

TEST_P(StopRequest, EndsTheRunWithinOneFileAndTheLogNamesExactlyTheFilesThatWent) {
  TestWorld world;
  world.SetDestructiveLoggedRuns();
  world.SetOption(RunOption::OptimisePerformance, GetParam().optimised ? 1 : 0);
  world.config.windowsDir = platform::FindWindowsDir(world.files);
  const std::vector<std::string> files = BuildFixture(world, GetParam().where);
  auto goneNow = [&] {
    return std::count_if(files.begin(), files.end(),
                         [&](const std::string& file) { return !world.Drive('C').Exists(file); });
  };
  world.feedback.stopWhen = [&] { return goneNow() >= kStopAfter; };
  EXPECT_EQ(RunUntilStopped(world), 130) << "the run was not stopped";
  const auto gone = goneNow();
  EXPECT_GE(gone, kStopAfter);
  EXPECT_LE(gone, kStopAfter + 1) << "more than the file in hand went after the request";
  EXPECT_FALSE(world.context.state.log.IsOpen());
  std::set<std::string> expected;
  for (const std::string& file : files) {
    if (!world.Drive('C').Exists(file)) expected.insert("Delete file: c:\\" + file);
  }
  const std::vector<std::string> items = world.LogItems();
  EXPECT_EQ(std::set<std::string>(items.begin(), items.end()), expected);
  EXPECT_EQ(items.size(), expected.size());
  EXPECT_TRUE(world.Drive('C').Exists("DATA\\keep.doc"));
}

INSTANTIATE_TEST_SUITE_P(EveryDeletingLoop, StopRequest,
                         ::testing::Values(StopCase{Where::Purge, false}, StopCase{Where::Purge, true},
                                           StopCase{Where::Empty, false}, StopCase{Where::Empty, true},
                                           StopCase{Where::MatchingRows, false},
                                           StopCase{Where::MatchingRows, true}, StopCase{Where::Sweep, false},
                                           StopCase{Where::Sweep, true}),
                         NameOf);

// A request that comes during the walk of a drive stops the run before any
// file is deleted, yielding or not.
TEST(StopRequestDuringTheWalk, EndsTheRunBeforeAnyDeletion) {
  for (const bool optimised : {false, true}) {
    SCOPED_TRACE(optimised ? "optimised" : "yielding");
    TestWorld world;
    world.SetDestructiveLoggedRuns();
    world.SetOption(RunOption::OptimisePerformance, optimised ? 1 : 0);
    for (int i = 0; i < 30; ++i) world.Drive('C').File("D" + std::to_string(i) + "\\x.TMP", 1);
    world.feedback.stopWhen = [&] { return true; };
    EXPECT_EQ(RunUntilStopped(world), 130);
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(world.Drive('C').Exists("D" + std::to_string(i) + "\\x.TMP"));
    EXPECT_TRUE(world.LogItems().empty());
  }
}

}  // namespace
}  // namespace tidewell
