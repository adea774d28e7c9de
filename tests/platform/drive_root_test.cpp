// The drive's root is read like any folder and never acted on as an entry:
// each operation that would remove it, or make a file in its place, gives
// the same answer on every build (platform/parent_path.h). Runs on POSIX and,
// in the Windows suites, under Wine.
#include <gtest/gtest.h>

#include <system_error>

#include "platform/virtual_file_system.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::DriveContents;
using tidewell::testing::TestWorld;

TEST(DriveRoot, EveryBuildRefusesToRemoveTheRootOrCreateAFileInItsPlaceAlike) {
  TestWorld world;
  world.Drive('C').Build({{"EMPTY\\"}, {"keep.tmp", 3}});
  const auto before = DriveContents(world.Drive('C'));
  VirtualFileSystem& files = world.files;
  for (const char* root : {"c:\\", "C:"}) {
    SCOPED_TRACE(root);
    EntryFacts facts;
    ASSERT_FALSE(files.Stat(root, facts));
    EXPECT_TRUE(facts.attributes & kFolder);
    EXPECT_EQ(files.RemoveFile(root), std::errc::is_a_directory);
    EXPECT_EQ(files.RemoveFolder(root), std::errc::operation_not_permitted);
    EXPECT_EQ(files.CreateEmptyFile(root), std::errc::file_exists);
  }
  EXPECT_EQ(DriveContents(world.Drive('C')), before);
  // The same drive still works below its root.
  EXPECT_FALSE(files.RemoveFolder("c:\\EMPTY\\"));
  EXPECT_FALSE(world.Drive('C').Exists("EMPTY"));
}

// A drive without a disk says so, whatever is asked of its root: the root's
// own refusals come only once there is a root.
TEST(DriveRoot, ADriveWithoutADiskAnswersAsMissingBeforeAnyRootRefusal) {
  TestWorld world("CD", "D");
  VirtualFileSystem& files = world.files;
  EntryFacts facts;
  const std::error_code missing = files.Stat("d:\\", facts);
  ASSERT_TRUE(missing);
  EXPECT_EQ(files.RemoveFile("d:\\"), missing);
  EXPECT_EQ(files.RemoveFolder("d:\\"), missing);
  EXPECT_EQ(files.CreateEmptyFile("d:\\"), missing);
}

}  // namespace
}  // namespace tidewell::platform
