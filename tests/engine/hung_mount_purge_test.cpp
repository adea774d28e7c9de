// A purge over a folder inside which a file system that never answers is
// mounted: the mount is left alone with a message, everything else of the
// folder is purged, and the run ends. The purge runs with a deadline
// (FinishesWithin), so a regression fails instead of hanging.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/log_section.h"
#include "platform/open_files.h"
#include "tests/support/hung_mount.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::FinishesWithin;
using testing::HungMount;
using testing::TestWorld;
using namespace std::chrono_literals;

TEST(HungMountPurge, AHungMountInsideAPurgedTempFolderIsLeftAndTheRestPurged) {
  TestWorld world;
  world.SetDestructiveLoggedRuns();
  world.Drive('C').Build({{"WINDOWS\\TEMP\\a.tmp", 1},
                          {"WINDOWS\\TEMP\\SUB\\b.tmp", 2},
                          {"WINDOWS\\TEMP\\SUB\\DEEPER\\c.tmp", 3},
                          {"WINDOWS\\TEMP\\Z\\d.tmp", 4},
                          {"WINDOWS\\keep.txt", 5}});
  const std::string at = world.Drive('C').Host("WINDOWS\\TEMP\\SUB\\HUNG");
  ASSERT_EQ(mkdir(at.c_str(), 0755), 0);
  HungMount mount(at);
  if (!mount.Unavailable().empty()) GTEST_SKIP() << mount.Unavailable();
  std::vector<std::string> told;
  world.files.OnDriveRefused([&](const std::string& why) { told.push_back(why); });
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));

  ASSERT_TRUE(FinishesWithin(20s, mount, [&] {
    // As a destructive run has it: the in-use snapshot first, then the purge.
    world.context.state.heldOpen = platform::OpenFiles::Scan();
    FolderSnapshot temp(world.context, "c:\\WINDOWS\\TEMP\\");
    PurgeNamedFolder(world.context, "c:", temp, "Temp", "");
  })) << "the purge waited for the hung mount";
  // Looked at from here on as a plain folder: a stat of the mount would wait.
  mount.End();

  for (const char* gone : {"WINDOWS\\TEMP\\a.tmp", "WINDOWS\\TEMP\\SUB\\b.tmp", "WINDOWS\\TEMP\\SUB\\DEEPER\\c.tmp",
                           "WINDOWS\\TEMP\\SUB\\DEEPER", "WINDOWS\\TEMP\\Z\\d.tmp", "WINDOWS\\TEMP\\Z"}) {
    EXPECT_FALSE(world.Drive('C').Exists(gone)) << gone;
  }
  // The mount point and the folders above it stay.
  EXPECT_TRUE(world.Drive('C').Exists("WINDOWS\\TEMP\\SUB\\HUNG"));
  EXPECT_TRUE(world.Drive('C').Exists("WINDOWS\\keep.txt"));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("C:\\WINDOWS\\TEMP\\SUB\\HUNG\\ is left alone: another file system is mounted there", 0),
            0u)
      << told[0];
}

}  // namespace
}  // namespace tidewell
