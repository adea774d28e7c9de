// The walk's I/O queue: the facts its threads learn are what the walk learns
// itself, every folder handed to it is closed, its share of the open-folder
// budget comes out of the walk's, a thread that cannot start leaves the walk
// to do everything itself, and whole runs with its threads and without them
// show and leave exactly the same.
#include "engine/walk_io.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/folder_walker.h"
#include "engine/rule_table_names.h"
#include "platform/metadata_warmer.h"
#include "tests/engine/demo_runs.h"
#include "tests/support/open_descriptors.h"
#include "tests/support/temp_drive.h"
#include "tools/demo_drive.h"

namespace tidewell {
namespace {

using testing::DemoRunMode;
using testing::DemoSelection;
using testing::TestWorld;

constexpr DemoDriveRequest kDrive{.folders = 400, .files = 3000, .seed = 11};

using testing::OpenDescriptors;

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

WalkIo::SharedFolder OpenShared(TestWorld& world, std::string_view folder) {
  platform::FolderReader reader;
  EXPECT_FALSE(world.files.OpenFolder(folder, reader)) << folder;
  return std::make_shared<platform::FolderHandle>(reader.ReleaseFolder());
}

// A folder with files to look up, and the list the places of their facts
// lie in, as a walk leaves them.
struct Lookups {
  static constexpr int kFiles = 40;
  explicit Lookups(TestWorld& world) {
    for (int i = 0; i < kFiles; ++i) world.Drive('C').File("DATA\\F" + std::to_string(i) + ".tmp", 100 + i);
    world.Drive('C').Folder("DATA\\SUB\\");  // a folder: never given facts
    list.KeepFacts();
    list.Add("c:\\DATA\\");
    list.BeginFiles(1);
    for (int i = 0; i < kFiles; ++i) places.push_back(list.AddFileToLearn("F" + std::to_string(i) + ".tmp", true));
    places.push_back(list.AddFileToLearn("SUB", true));
    places.push_back(list.AddFileToLearn("GONE.tmp", true));
  }

  // Every place got the facts of its own file, and only those.
  void ExpectLearnt() const {
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

  FolderList list;
  std::vector<FolderList::FactsPlace> places;
};

// A thread starter that starts `allowed` threads and then fails, as a
// process out of threads does.
WalkIo::ThreadStarter Starting(int allowed, int* attempts = nullptr) {
  return [allowed, attempts, started = 0](std::function<void()> body) mutable {
    if (attempts != nullptr) ++*attempts;
    if (started == allowed) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    ++started;
    return std::thread(std::move(body));
  };
}

constexpr std::size_t kRoomy = 4 * WalkIo::kQueue;

// Handed far more jobs than its queue holds, at once, the threads do some
// and the walk does the rest itself; every place gets the facts of its own
// file, and when it is finished every folder handed over is closed.
TEST(WalkIoTest, EveryPlaceHandedOverIsLearntAndEveryFolderClosed) {
  TestWorld world;
  Lookups lookups(world);
  platform::EntryFacts root;
  ASSERT_FALSE(world.files.Stat("c:\\", root));  // the drive's root stays open from here on
  world.files.ForgetOpenFolders();
  const auto openBefore = OpenDescriptors();
  {
    WalkIo io(WalkFinishing::Always, WalkWarming::Never, true, kRoomy);
    io.Reaching(1);
    ASSERT_TRUE(io.Finishing());
    EXPECT_EQ(io.Threads(), 1u);
    constexpr int kRounds = 3 * WalkIo::kQueue;
    for (int round = 0; round < kRounds; ++round) {
      WalkIo::SharedFolder folder = OpenShared(world, "c:\\DATA\\");
      // Each place is filled once: the first round hands them all over.
      if (round == 0) io.LearnFacts(folder, lookups.places);
      io.Close(std::move(folder));
      io.Reaching(round + 2);
    }
    io.Finish();
    EXPECT_GT(io.JobsDone(), 0) << "the thread did nothing";
    EXPECT_LE(io.JobsDone(), kRounds + static_cast<std::int64_t>(lookups.places.size()));
  }
  world.files.ForgetOpenFolders();
  EXPECT_EQ(OpenDescriptors(), openBefore) << "a folder stayed open";
  lookups.ExpectLearnt();
}

// The queue's share of the budget (with the ring's) is taken from the walk's only when threads
// may run, and only when it is at most half of it: a long queue where the
// budget allows, a short one where only that fits, else none.
TEST(WalkIoTest, TheQueueTakesItsShareOfTheBudgetFromTheWalkOnlyWhenThreadsMayRun) {
  constexpr std::size_t kLongShare = WalkIo::kQueue + WalkIo::kAhead + WalkIo::kReaders + 1;
  const WalkIo::Budget roomy = WalkIo::Share(kRoomy, true);
  EXPECT_EQ(roomy.forQueue, kLongShare);
  EXPECT_EQ(roomy.QueueLength(), WalkIo::kQueue);
  EXPECT_EQ(roomy.forParents + roomy.forQueue, kRoomy) << "the budget is shared out, never exceeded";
  constexpr std::size_t kShare = WalkIo::kShortQueue + WalkIo::kAhead + WalkIo::kReaders + 1;
  for (const std::size_t spare : {2 * kShare, 2 * kLongShare - 1}) {
    const WalkIo::Budget shorter = WalkIo::Share(spare, true);
    EXPECT_EQ(shorter.QueueLength(), WalkIo::kShortQueue) << spare;
    EXPECT_EQ(shorter.forParents + shorter.forQueue, spare) << spare;
  }
  const WalkIo::Budget cramped = WalkIo::Share(2 * kShare - 1, true);
  EXPECT_EQ(cramped.forQueue, 0u);
  EXPECT_EQ(cramped.forParents, 2 * kShare - 1);
  EXPECT_EQ(WalkIo::Share(kRoomy, false).forParents, kRoomy);

  WalkIo off(WalkFinishing::Never, WalkWarming::Never, false, kRoomy);
  off.Reaching(1000);
  EXPECT_FALSE(off.Finishing());
  EXPECT_EQ(off.Folders().forParents, kRoomy) << "with every speed-up off, the walk holds it all";

  int attempts = 0;
  WalkIo noRoom(WalkFinishing::Always, WalkWarming::Always, false, 2 * kShare - 1, Starting(8, &attempts));
  noRoom.Reaching(1000);
  EXPECT_FALSE(noRoom.Finishing());
  EXPECT_EQ(attempts, 0) << "a thread was started without room for its queue";
}

// A thread that cannot be started leaves the walk single-threaded, never
// ended: every job is done by the walk, and no further start is tried.
TEST(WalkIoTest, AThreadThatCannotStartLeavesTheWalkToDoEverythingItself) {
  TestWorld world;
  Lookups lookups(world);
  int attempts = 0;
  WalkIo io(WalkFinishing::Always, WalkWarming::Always, true, kRoomy, Starting(0, &attempts));
  io.Reaching(1);
  EXPECT_FALSE(io.Finishing());
  EXPECT_EQ(io.Threads(), 0u);
  WalkIo::SharedFolder folder = OpenShared(world, "c:\\DATA\\");
  io.LearnFacts(folder, lookups.places);
  io.Close(std::move(folder));
  lookups.ExpectLearnt();  // at once, by the walk: nothing to finish

  platform::MetadataWarmer reader(world.files, 'C', [](std::string_view) { return true; });
  WarmReads reads(reader);
  EXPECT_FALSE(io.StartWarming(reads));
  EXPECT_FALSE(io.ListAhead("c:\\DATA\\", platform::MetadataWarmer::Files::Left, false));
  io.Reaching(2);
  EXPECT_EQ(attempts, 1) << "a refused start is not tried again";
  io.Finish();
  EXPECT_EQ(io.JobsDone(), 0);
}

// Threads that start until the system refuses one more: the walk goes on
// with those it has, for both kinds of job.
TEST(WalkIoTest, WarmingGoesOnWithTheThreadsThatStarted) {
  TestWorld world;
  Lookups lookups(world);
  WalkIo io(WalkFinishing::Always, WalkWarming::Always, true, kRoomy, Starting(2));
  io.Reaching(1);
  ASSERT_TRUE(io.Finishing());
  platform::MetadataWarmer reader(world.files, 'C', [](std::string_view) { return true; });
  WarmReads reads(reader);
#ifdef _WIN32
  EXPECT_FALSE(io.StartWarming(reads)) << "nothing is warmed on Windows";
#else
  ASSERT_TRUE(io.StartWarming(reads));
  EXPECT_EQ(io.Threads(), 2u);
  EXPECT_TRUE(io.ListAhead("c:\\DATA\\", platform::MetadataWarmer::Files::Left, false));
  EXPECT_TRUE(io.StatNames("c:\\DATA\\", false));
  EXPECT_TRUE(io.ListAhead("d:\\ELSEWHERE\\", platform::MetadataWarmer::Files::Left, false)) << "taken, dropped";
#endif
  WalkIo::SharedFolder folder = OpenShared(world, "c:\\DATA\\");
  io.LearnFacts(folder, lookups.places);
  io.Close(std::move(folder));
  io.Finish();
  lookups.ExpectLearnt();
  EXPECT_LE(reads.listed.load() + reads.statted.load(), 2);
}

// Folders offered to be opened ahead, each with a file of its own, taken at
// once or after the thread had time to open them: every folder the walk
// takes from the ring is open and lists its own file, every offer no thread
// began is taken back and left to the walk, nothing is opened twice or lost,
// and every folder is closed at the end, those never taken included.
TEST(WalkIoTest, FoldersOpenedAheadAreTheWalksOwnAndAllClosed) {
  TestWorld world;
  constexpr int kFolders = WalkIo::kAhead;
  for (int i = 0; i < kFolders; ++i) world.Drive('C').File("DATA\\D" + std::to_string(i) + "\\F" + std::to_string(i) + ".tmp", i);
  const auto firstFile = [](platform::FolderReader& reader) {
    platform::FolderEntry entry;
    return reader.Next(entry) ? entry.name : std::string("(none)");
  };
  const auto offer = [&](WalkIo& io, const WalkIo::SharedFolder& parent, int i) {
    const std::string name = "D" + std::to_string(i);
    EXPECT_TRUE(world.files.OpensAhead(*parent, name, "c:\\DATA\\" + name + "\\"));
    return io.OfferAhead(2 + i, parent, name, world.files);
  };
#ifdef _WIN32
  EXPECT_FALSE(world.files.OpensAhead(*OpenShared(world, "c:\\DATA\\"), "D0", "c:\\DATA\\D0\\"))
      << "nothing is opened ahead on Windows";
  return;
#endif
  platform::EntryFacts root;
  ASSERT_FALSE(world.files.Stat("c:\\", root));  // the drive's root stays open from here on
  world.files.ForgetOpenFolders();
  const auto openBefore = OpenDescriptors();
  {
    WalkIo without(WalkFinishing::Always, WalkWarming::Never, false, kRoomy, Starting(0));
    without.Reaching(1);
    WalkIo::SharedFolder parent = OpenShared(world, "c:\\DATA\\");
    EXPECT_FALSE(offer(without, parent, 0)) << "nothing is offered without a thread";
    platform::FolderReader reader;
    EXPECT_FALSE(without.TakeOpened(2, reader));
  }
  for (const bool waitForTheThread : {true, false}) {
    SCOPED_TRACE(waitForTheThread ? "taken once opened" : "taken at once");
    for (int round = 0; round < (waitForTheThread ? 1 : 50); ++round) {
      WalkIo io(WalkFinishing::Always, WalkWarming::Never, false, kRoomy);
      io.Reaching(1);
      ASSERT_TRUE(io.Finishing());
      WalkIo::SharedFolder parent = OpenShared(world, "c:\\DATA\\");
      for (int i = 0; i < kFolders; ++i) ASSERT_TRUE(offer(io, parent, i)) << i;
      EXPECT_FALSE(io.OfferAhead(2 + kFolders, parent, "D0", world.files)) << "its slot is still busy";
      io.Reaching(2);  // wakes the thread for the ring
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (waitForTheThread && io.OpenedAhead() < kFolders && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      int taken = 0;
      for (int i = 0; i < kFolders; ++i) {
        platform::FolderReader reader;
        if (!io.TakeOpened(2 + i, reader)) {
          EXPECT_FALSE(reader.IsOpen());
          continue;
        }
        ++taken;
        EXPECT_EQ(firstFile(reader), "F" + std::to_string(i) + ".tmp");
      }
      platform::FolderReader none;
      EXPECT_FALSE(io.TakeOpened(2, none)) << "taken twice";
      EXPECT_EQ(taken, io.OpenedAhead()) << "opened ahead but never handed over, or handed over twice";
      if (waitForTheThread) {
        EXPECT_EQ(taken, kFolders);
      }
      // Offered again and never taken, as when a walk ends early.
      for (int i = 0; i < kFolders; ++i) offer(io, parent, i);
      io.Reaching(3);
    }
    world.files.ForgetOpenFolders();
    EXPECT_EQ(OpenDescriptors(), openBefore) << "a folder opened ahead stayed open";
  }
}

// A whole drive's walk, its files looked up on the second thread or by the
// walk itself, with and without times: the same folders, names and facts,
// and no folder left open.
TEST(WalkIoTest, AWalkLearnsTheSameWithTheThreadAsWithout) {
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

// Whole runs with the walk's threads doing both kinds of job (finishing and
// warming at once, on the same threads) and with neither.
class FinishedRunTest : public ::testing::TestWithParam<std::tuple<DemoRunMode, DemoSelection, bool>> {};

TEST_P(FinishedRunTest, LogTotalsAndWhatIsLeftAreTheSameWithAndWithoutTheThreads) {
  const auto [mode, selection, ageLimit] = GetParam();
  const auto speedUps = [ageLimit](bool on) {
    return [on, ageLimit](TestWorld& world) {
      world.config.finishing = on ? WalkFinishing::Always : WalkFinishing::Never;
      world.config.warming = on ? WalkWarming::Always : WalkWarming::Never;
      if (ageLimit) world.config.filters.minimumAgeDays = 0;
    };
  };
  testing::ExpectSameOutcome(testing::RunOnDemoDrive(kDrive, mode, selection, speedUps(true)),
                             testing::RunOnDemoDrive(kDrive, mode, selection, speedUps(false)));
}

INSTANTIATE_TEST_SUITE_P(TestAndDestructive, FinishedRunTest,
                         ::testing::Combine(::testing::Values(DemoRunMode::Test, DemoRunMode::Destructive),
                                            ::testing::Values(DemoSelection::Default, DemoSelection::All),
                                            ::testing::Bool()));

}  // namespace
}  // namespace tidewell
