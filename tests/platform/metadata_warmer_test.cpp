// The metadata warmer reads only what the walk itself may read: folders
// below the drive's root reached through no link and no other mount, never
// a spared folder, never one the walker has already reached; and in what it
// reads it asks the filter about file names only, or stats every name.
#include "platform/metadata_warmer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>

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

  TestWorld world_;
  AskedNames asked_;
};

TEST_F(MetadataWarmerTest, ReadsTheOfferedFoldersAndAsksAboutTheirFilesOnly) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  EXPECT_TRUE(warmer.Offer(2, "c:\\DATA\\", false));
  EXPECT_TRUE(warmer.Offer(3, "C:\\REAL\\DEEP\\", false));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_FALSE(warmer.Running());
  EXPECT_EQ(warmer.FoldersWarmed(), 2);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc", "c.tmp"}));
}

TEST_F(MetadataWarmerTest, StatsEveryFileWithoutAskingWhenAllNamesAreWanted) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 1);
  ASSERT_TRUE(warmer.Start());
  warmer.Offer(2, "C:\\DATA\\", true);
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersWarmed(), 1);
  EXPECT_TRUE(asked_.Names().empty());
}

TEST_F(MetadataWarmerTest, NeverFollowsALinkAtTheEndOrOnTheWay) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  warmer.Offer(2, "C:\\LINKED\\", false);
  warmer.Offer(3, "C:\\HOPS\\VIA\\INNER\\", false);
  warmer.Offer(4, "C:\\LINKED\\INNER\\", false);
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersWarmed(), 0);
  EXPECT_TRUE(asked_.Names().empty()) << "a sentinel's file was listed through a link";
}

TEST_F(MetadataWarmerTest, NeverReadsASparedFolder) {
  world_.files.SpareFolders({world_.Drive('C').Host("REAL\\DEEP")});
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 1);
  ASSERT_TRUE(warmer.Start());
  warmer.Offer(2, "C:\\REAL\\DEEP\\", false);
  warmer.Offer(3, "C:\\DATA\\", false);
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersWarmed(), 1);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc"}));
}

TEST_F(MetadataWarmerTest, SkipsFoldersTheWalkerHasReached) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 1);
  warmer.Reached(5);
  ASSERT_TRUE(warmer.Start());
  warmer.Offer(4, "C:\\DATA\\", false);
  warmer.Offer(5, "C:\\DATA\\", false);
  warmer.Offer(6, "C:\\REAL\\DEEP\\", false);
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersWarmed(), 1);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"c.tmp"}));
}

TEST_F(MetadataWarmerTest, TakesNothingBeforeStartOrForAnotherDriveAndStopsWithWorkQueued) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  EXPECT_FALSE(warmer.Offer(2, "C:\\DATA\\", false)) << "not started";
  ASSERT_TRUE(warmer.Start());
  EXPECT_FALSE(warmer.Offer(2, "D:\\DATA\\", false));
  EXPECT_FALSE(warmer.Offer(2, "C:\\", false)) << "the root is the walker's first folder";
  for (int i = 0; i < 200; ++i) warmer.Offer(2 + i, "C:\\DATA\\", false);
  warmer.Stop();  // drops what is queued and joins
  EXPECT_FALSE(warmer.Running());
  EXPECT_FALSE(warmer.Offer(300, "C:\\DATA\\", false)) << "stopped";
}

TEST(MetadataWarmerStart, RefusesADriveThatIsNotInTheTable) {
  TestWorld world;
  MetadataWarmer warmer(world.files, 'Q', [](std::string_view) { return true; }, 1);
  EXPECT_FALSE(warmer.Start());
  EXPECT_FALSE(warmer.Running());
}

}  // namespace
}  // namespace tidewell::platform
