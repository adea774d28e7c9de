// The metadata warmer reads only what the walk itself may read: folders
// below the drive's root reached through no link and no other mount, never
// a spared folder; it lists folders offered to be read ahead, and stats
// the files of those offered for that, asking the filter about file names
// only, or every file.
#include "platform/metadata_warmer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>

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

// Offers a folder, again while a thread holds the queues at that moment (the
// walker would simply offer another one later).
template <typename OfferOnce>
bool Surely(OfferOnce offer) {
  for (int attempt = 0; attempt < 100000; ++attempt) {
    if (offer()) return true;
    std::this_thread::yield();
  }
  return false;
}
bool OfferSurely(MetadataWarmer& warmer, std::string_view folder) {
  return Surely([&] { return warmer.Offer(folder); });
}
bool OfferStatsSurely(MetadataWarmer& warmer, std::string_view folder, bool allNames) {
  return Surely([&] { return warmer.OfferStats(folder, allNames); });
}

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

TEST_F(MetadataWarmerTest, ListsFoldersAheadAndAsksAboutFileNamesOnlyForTheirStats) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  EXPECT_TRUE(OfferSurely(warmer, "c:\\DATA\\"));
  EXPECT_TRUE(OfferSurely(warmer, "C:\\REAL\\DEEP\\"));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_FALSE(warmer.Running());
  EXPECT_EQ(warmer.FoldersListed(), 2);
  EXPECT_TRUE(asked_.Names().empty()) << "a folder listed ahead has no file statted";

  ASSERT_TRUE(warmer.Start());
  EXPECT_TRUE(OfferStatsSurely(warmer, "c:\\DATA\\", false));
  EXPECT_TRUE(OfferStatsSurely(warmer, "C:\\REAL\\DEEP\\", false));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersStatted(), 2);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc", "c.tmp"}));
}

TEST_F(MetadataWarmerTest, AFolderListedAheadWithItsFilesHasThemStattedAtOnce) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  EXPECT_TRUE(Surely([&] { return warmer.Offer("C:\\DATA\\", MetadataWarmer::Files::Statted, false); }));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersListed(), 1);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc"}));
}

TEST_F(MetadataWarmerTest, StatsEveryFileWithoutAskingWhenAllNamesAreWanted) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 1);
  ASSERT_TRUE(warmer.Start());
  ASSERT_TRUE(OfferStatsSurely(warmer, "C:\\DATA\\", true));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersStatted(), 1);
  EXPECT_TRUE(asked_.Names().empty());
}

TEST_F(MetadataWarmerTest, NeverFollowsALinkAtTheEndOrOnTheWay) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  for (const char* folder : {"C:\\LINKED\\", "C:\\HOPS\\VIA\\INNER\\", "C:\\LINKED\\INNER\\"}) {
    ASSERT_TRUE(OfferSurely(warmer, folder));
    ASSERT_TRUE(OfferStatsSurely(warmer, folder, false));
  }
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersListed(), 0);
  EXPECT_EQ(warmer.FoldersStatted(), 0);
  EXPECT_TRUE(asked_.Names().empty()) << "a sentinel's file was listed through a link";
}

TEST_F(MetadataWarmerTest, NeverReadsASparedFolder) {
  world_.files.SpareFolders({world_.Drive('C').Host("REAL\\DEEP")});
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 1);
  ASSERT_TRUE(warmer.Start());
  ASSERT_TRUE(OfferSurely(warmer, "C:\\REAL\\DEEP\\"));
  ASSERT_TRUE(OfferStatsSurely(warmer, "C:\\REAL\\DEEP\\", false));
  ASSERT_TRUE(OfferStatsSurely(warmer, "C:\\DATA\\", false));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersListed(), 0);
  EXPECT_EQ(warmer.FoldersStatted(), 1);
  EXPECT_EQ(asked_.Names(), (std::set<std::string>{"a.tmp", "b.doc"}));
}

TEST_F(MetadataWarmerTest, TakesNothingBeforeStartAndReadsNothingOfAnotherDriveOrTheRoot) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  EXPECT_FALSE(warmer.Offer("C:\\DATA\\")) << "not started";
  EXPECT_FALSE(warmer.OfferStats("C:\\DATA\\", false)) << "not started";
  ASSERT_TRUE(warmer.Start());
  EXPECT_TRUE(OfferSurely(warmer, "D:\\DATA\\")) << "taken and dropped";
  EXPECT_TRUE(OfferStatsSurely(warmer, "C:\\", true)) << "the root is the walker's first folder: taken and dropped";
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersListed() + warmer.FoldersStatted(), 0);
  EXPECT_TRUE(asked_.Names().empty());
  EXPECT_FALSE(warmer.Offer("C:\\DATA\\")) << "stopped";
}

TEST_F(MetadataWarmerTest, StopsWithWorkQueuedAndCanStartAgain) {
  MetadataWarmer warmer(world_.files, 'C', asked_.Filter(), 2);
  ASSERT_TRUE(warmer.Start());
  int taken = 0;
  for (int i = 0; i < 1000; ++i) taken += warmer.Offer("C:\\DATA\\") ? 1 : 0;
  warmer.Stop();  // drops what is queued and joins
  EXPECT_FALSE(warmer.Running());
  const std::int64_t listed = warmer.FoldersListed();
  EXPECT_LE(listed, taken);

  ASSERT_TRUE(warmer.Start());
  ASSERT_TRUE(OfferSurely(warmer, "C:\\REAL\\DEEP\\"));
  warmer.Stop(MetadataWarmer::Queued::Finish);
  EXPECT_EQ(warmer.FoldersListed(), listed + 1);
}

TEST(MetadataWarmerStart, RefusesADriveThatIsNotInTheTable) {
  TestWorld world;
  MetadataWarmer warmer(world.files, 'Q', [](std::string_view) { return true; }, 1);
  EXPECT_FALSE(warmer.Start());
  EXPECT_FALSE(warmer.Running());
}

}  // namespace
}  // namespace tidewell::platform
