// The walk's second thread, which looks files up and closes folders once the
// walk has listed them: what it learns is what the walk learns itself, every
// folder it is handed is closed, and whole runs with it and without it show
// and leave exactly the same.
#include "engine/walk_finisher.h"

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include "engine/folder_walker.h"
#include "engine/rule_table_names.h"
#include "tests/engine/demo_runs.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell {
namespace {

using testing::DemoRunMode;
using testing::DemoSelection;
using testing::TestWorld;

constexpr DemoDriveRequest kDrive{.folders = 400, .files = 3000, .seed = 11};

// The process's open descriptors (handles on Windows).
std::ptrdiff_t OpenDescriptors() {
#ifdef _WIN32
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  return static_cast<std::ptrdiff_t>(handles);
#else
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
#endif
}

// Every folder of a walk with its kept names and what the walk learnt of
// each, in the walk's order.
std::vector<std::string> WalkLines(const FolderList& folders) {
  std::vector<std::string> lines;
  for (std::int32_t i = 1; i <= folders.Count(); ++i) {
    lines.emplace_back(folders[i]);
    folders.ForEachFile(i, [&](std::string_view name, const WalkFacts* facts) {
      std::string line = "  " + std::string(name);
      if (facts != nullptr) {
        line += " " + std::to_string(facts->length);
        if (facts->modified) line += " @" + std::to_string(*facts->modified);
      }
      lines.push_back(line);
    });
  }
  return lines;
}

WalkFinisher::SharedFolder OpenShared(TestWorld& world, std::string_view folder) {
  platform::FolderReader reader;
  EXPECT_FALSE(world.files.OpenFolder(folder, reader)) << folder;
  return std::make_shared<platform::FolderHandle>(reader.ReleaseFolder());
}

// Handed far more jobs than its queue holds, at once, the finisher does some
// on its thread and the walk does the rest itself; every place gets the
// facts of its own file, and when it is finished every folder handed over is
// closed.
TEST(WalkFinisherTest, EveryPlaceHandedOverIsLearntAndEveryFolderClosed) {
  TestWorld world;
  constexpr int kFiles = 40;
  for (int i = 0; i < kFiles; ++i) world.Drive('C').File("DATA\\F" + std::to_string(i) + ".tmp", 100 + i);
  world.Drive('C').Folder("DATA\\SUB\\");  // a folder: never given facts
  platform::EntryFacts root;
  ASSERT_FALSE(world.files.Stat("c:\\", root));  // the drive's root stays open from here on
  world.files.ForgetOpenFolders();
  const auto openBefore = OpenDescriptors();

  FolderList list;
  list.KeepFacts();
  list.Add("c:\\DATA\\");
  list.BeginFiles(1);
  std::vector<FolderList::FactsPlace> places;
  for (int i = 0; i < kFiles; ++i) places.push_back(list.AddFileToLearn("F" + std::to_string(i) + ".tmp", true));
  places.push_back(list.AddFileToLearn("SUB", true));
  places.push_back(list.AddFileToLearn("GONE.tmp", true));
  {
    WalkFinisher finisher(WalkFinishing::Always, true, 4 * WalkFinisher::kQueue);
    finisher.Reaching(1);
    ASSERT_TRUE(finisher.Running());
    constexpr int kRounds = 3 * WalkFinisher::kQueue;
    for (int round = 0; round < kRounds; ++round) {
      WalkFinisher::SharedFolder folder = OpenShared(world, "c:\\DATA\\");
      // Each place is filled once: the first round hands them all over.
      if (round == 0) finisher.LookUp(folder, places);
      finisher.Release(std::move(folder));
    }
    finisher.Finish();
    EXPECT_GT(finisher.JobsDone(), 0) << "the thread did nothing";
    EXPECT_LE(finisher.JobsDone(), kRounds + static_cast<std::int64_t>(places.size()));
  }
  world.files.ForgetOpenFolders();
  EXPECT_EQ(OpenDescriptors(), openBefore) << "a folder stayed open";

  std::vector<std::string> seen;
  list.ForEachFile(1, [&](std::string_view name, const WalkFacts* facts) {
    seen.push_back(std::string(name) + (facts ? " " + std::to_string(facts->length) : " -") +
                   (facts && facts->modified && *facts->modified > 0 ? " dated" : ""));
  });
  ASSERT_EQ(seen.size(), kFiles + 2u);
  for (int i = 0; i < kFiles; ++i) {
    EXPECT_EQ(seen[static_cast<std::size_t>(i)], "F" + std::to_string(i) + ".tmp " + std::to_string(100 + i) + " dated");
  }
  EXPECT_EQ(seen[kFiles], "SUB -");
  EXPECT_EQ(seen[kFiles + 1], "GONE.tmp -");
}

TEST(WalkFinisherTest, NeverStartsWhenTurnedOffOrWithoutRoomForItsQueue) {
  WalkFinisher off(WalkFinishing::Never, false, 100000);
  off.Reaching(1000);
  EXPECT_FALSE(off.Running());
  EXPECT_EQ(off.LeftForWalk(), 100000u);

  WalkFinisher cramped(WalkFinishing::Always, false, 2 * WalkFinisher::kQueue - 1);
  cramped.Reaching(1000);
  EXPECT_FALSE(cramped.Running());
  EXPECT_EQ(cramped.LeftForWalk(), 2 * WalkFinisher::kQueue - 1);

  WalkFinisher roomy(WalkFinishing::Always, false, 4 * WalkFinisher::kQueue);
  EXPECT_EQ(roomy.LeftForWalk(), 3 * WalkFinisher::kQueue) << "its queue's folders come out of the walk's share";
}

// A whole drive's walk, its files looked up on the second thread or by the
// walk itself, with and without times: the same folders, names and facts,
// and no folder left open.
TEST(WalkFinisherTest, AWalkLearnsTheSameWithTheThreadAsWithout) {
  TestWorld world;
  ASSERT_FALSE(WriteDemoDrive(world.Drive('C').Root(), kDrive));
  const RuleTableNames names;
  const RuleTableNames lookedUp = RuleTableNames::DeletedWith([](CategoryId) { return true; });
  platform::EntryFacts root;
  ASSERT_FALSE(world.files.Stat("c:\\", root));  // the drive's root stays open from here on
  for (const bool withTimes : {false, true}) {
    SCOPED_TRACE(withTimes ? "with times" : "lengths only");
    if (withTimes) world.config.filters.minimumAgeDays = 3;
    world.files.ForgetOpenFolders();
    const auto openBefore = OpenDescriptors();
    world.config.finishing = WalkFinishing::Always;
    const FolderList finished = ListFolders(world.context, "c:", "\\", &names, &lookedUp);
    world.files.ForgetOpenFolders();
    EXPECT_EQ(OpenDescriptors(), openBefore) << "a folder stayed open after the walk";
    world.config.finishing = WalkFinishing::Never;
    const FolderList plain = ListFolders(world.context, "c:", "\\", &names, &lookedUp);

    const std::vector<std::string> lines = WalkLines(plain);
    EXPECT_EQ(WalkLines(finished), lines);
    EXPECT_GT(plain.Count(), 400);
    const auto withFacts = std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.starts_with("  ") && line.find(' ', 2) != std::string::npos &&
             (line.find(" @") != std::string::npos) == withTimes;
    });
    EXPECT_GT(withFacts, 300) << "too few files were looked up for the comparison to mean much";
  }
}

class FinishedRunTest : public ::testing::TestWithParam<std::tuple<DemoRunMode, DemoSelection, bool>> {};

TEST_P(FinishedRunTest, LogTotalsAndWhatIsLeftAreTheSameWithAndWithoutTheThread) {
  const auto [mode, selection, ageLimit] = GetParam();
  const auto finishing = [ageLimit](WalkFinishing finishing) {
    return [finishing, ageLimit](TestWorld& world) {
      world.config.finishing = finishing;
      if (ageLimit) world.config.filters.minimumAgeDays = 0;
    };
  };
  testing::ExpectSameOutcome(testing::RunOnDemoDrive(kDrive, mode, selection, finishing(WalkFinishing::Always)),
                             testing::RunOnDemoDrive(kDrive, mode, selection, finishing(WalkFinishing::Never)));
}

INSTANTIATE_TEST_SUITE_P(TestAndDestructive, FinishedRunTest,
                         ::testing::Combine(::testing::Values(DemoRunMode::Test, DemoRunMode::Destructive),
                                            ::testing::Values(DemoSelection::Default, DemoSelection::All),
                                            ::testing::Bool()));

}  // namespace
}  // namespace tidewell
