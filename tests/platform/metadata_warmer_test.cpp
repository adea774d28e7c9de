// The metadata warmer reads only what the walk itself may read: folders
// below the drive's root reached through no link and no other mount, never
// a spared folder; it lists a folder, and stats its files when asked to,
// asking the filter about file names only, or every file; and it reads the
// same from several threads at once.
#include "platform/metadata_warmer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TestWorld;

// The names the warmer's threads asked the filter about, from any thread.
class AskedNames {
 public:
  MetadataWarmer::NameFilter Filter() {
    return [this](std::string_view name) {
      const std::lock_guard lock(mutex_);
      names_.emplace(name);
      return true;
    };
  }
  std::set<std::string> Names() const {
    const std::lock_guard lock(mutex_);
    return names_;
  }

 private:
  mutable std::mutex mutex_;
  std::set<std::string> names_;
};

class MetadataWarmerTest : public ::testing::Test {
 protected:
  MetadataWarmerTest() {
    world_.Drive('C').Build({{"DATA\\a.tmp", 3}, {"DATA\\b.doc", 4}, {"DATA\\SUB\\"}, {"REAL\\DEEP\\c.tmp", 1}});
    // Sentinels outside the drive, with links to them inside it.
    world_.Drive('C').Folder("HOPS");
    std::filesystem::create_directories(world_.Outside("sentinel/INNER"));
    std::ofstream(world_.Outside("sentinel/secret.tmp")) << "x";
    std::ofstream(world_.Outside("sentinel/INNER/inner.tmp")) << "x";
    world_.Drive('C').Link("LINKED", world_.Outside("sentinel"));
    world_.Drive('C').Link("HOPS\\VIA", world_.Outside("sentinel"));
  }

  void SetUp() override {
#ifdef _WIN32
    MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
    EXPECT_FALSE(warmer.Open()) << "the Windows warmer cannot open folders as it must";
    GTEST_SKIP() << "nothing is warmed on Windows (platform/win32/metadata_warmer.cpp)";
#endif
  }

  // Reads `folder` (a virtual path) as a walk's warming job would.
  bool Read(const MetadataWarmer& warmer, std::string_view folder, MetadataWarmer::Files files, bool allNames = false) {
    std::string relative;
    return warmer.Relative(folder, relative) && warmer.Read(relative, files, allNames);
  }

  TestWorld world_;
  AskedNames asked_;
};

using Files = MetadataWarmer::Files;

TEST_F(MetadataWarmerTest, ListsAFolderWithoutAskingAboutNamesAndStatsTheFilesItKeepsWhenAsked) {
  MetadataWarmer warmer(world_.files, 'c', asked_.Filter());
  EXPECT_FALSE(Read(warmer, "c:\\DATA\\", Files::Left)) << "reads nothing before it is open";
  ASSERT_TRUE(warmer.Open());
  EXPECT_TRUE(Read(warmer, "c:\\DATA\\", Files::Left));
  EXPECT_TRUE(Read(warmer, "C:\\REAL\\DEEP\\", Files::Left));
  EXPECT_TRUE(asked_.Names().empty()) << "a folder listed ahead has no file statted";

  EXPECT_TRUE(Read(warmer, "c:\\DATA\\", Files::Statted));
  EXPECT_TRUE(Read(warmer, "C:\\REAL\\DEEP\\", Files::Statted));
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc", "c.tmp"})) << "folders are never statted";
  EXPECT_FALSE(Read(warmer, "C:\\MISSING\\", Files::Statted));
}

TEST_F(MetadataWarmerTest, StatsEveryFileWithoutAskingWhenAllNamesAreWanted) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
  ASSERT_TRUE(warmer.Open());
  EXPECT_TRUE(Read(warmer, "C:\\DATA\\", Files::Statted, true));
  EXPECT_TRUE(asked_.Names().empty());
}

TEST_F(MetadataWarmerTest, NeverFollowsALinkAtTheEndOrOnTheWay) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
  ASSERT_TRUE(warmer.Open());
  for (const char* folder : {"C:\\LINKED\\", "C:\\HOPS\\VIA\\INNER\\", "C:\\LINKED\\INNER\\"}) {
    EXPECT_FALSE(Read(warmer, folder, Files::Left)) << folder;
    EXPECT_FALSE(Read(warmer, folder, Files::Statted)) << folder;
  }
  EXPECT_TRUE(asked_.Names().empty()) << "a sentinel's file was listed through a link";
}

TEST_F(MetadataWarmerTest, NeverReadsASparedFolder) {
  world_.files.SpareFolders({world_.Drive('C').Host("REAL\\DEEP")});
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
  ASSERT_TRUE(warmer.Open());
  EXPECT_FALSE(Read(warmer, "C:\\REAL\\DEEP\\", Files::Left));
  EXPECT_FALSE(Read(warmer, "C:\\REAL\\DEEP\\", Files::Statted));
  EXPECT_TRUE(Read(warmer, "C:\\DATA\\", Files::Statted));
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc"}));
}

TEST_F(MetadataWarmerTest, NamesNothingOfAnotherDriveOrTheRoot) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
  std::string relative = "unchanged";
  EXPECT_FALSE(warmer.Relative("D:\\DATA\\", relative));
  EXPECT_FALSE(warmer.Relative("C:\\", relative)) << "the root is the walk's first folder, never read ahead";
  EXPECT_FALSE(warmer.Relative("C:\\..\\", relative));
  ASSERT_TRUE(warmer.Relative("c:\\REAL\\\\DEEP\\", relative));
  EXPECT_EQ(relative, "REAL/DEEP");
}

// Several readers at once, as the walk's threads read: every read succeeds
// and each asks about its own folder's names.
TEST_F(MetadataWarmerTest, ReadsFromSeveralThreadsAtOnce) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter());
  ASSERT_TRUE(warmer.Open());
  std::string data;
  std::string deep;
  ASSERT_TRUE(warmer.Relative("C:\\DATA\\", data));
  ASSERT_TRUE(warmer.Relative("C:\\REAL\\DEEP\\", deep));
  std::atomic<int> failed{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (!warmer.Read(t % 2 == 0 ? data : deep, Files::Statted, false)) ++failed;
      }
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc", "c.tmp"}));
}

TEST(MetadataWarmerOpen, RefusesADriveThatIsNotInTheTable) {
  TestWorld world;
  MetadataWarmer warmer(world.files, 'Q', [](std::string_view) { return true; });
  EXPECT_FALSE(warmer.Open());
  EXPECT_FALSE(warmer.IsOpen());
}

}  // namespace
}  // namespace tidewell::platform
