// Whole destructive runs over drives that are not what was checked: a drive
// folder that turns into a link to an outside folder while another drive is
// being cleaned, and a drive that reaches the program's own folder through a
// bind mount. The outside is a sentinel tree in the test's own folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using tidewell::testing::TempDrive;
using tidewell::testing::TestWorld;

// Every entry below `root` with its type, mode and, for a file, its bytes.
std::map<std::string, std::string> TreeBytes(const std::string& root) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::string facts = std::to_string(tidewell::testing::ModeOf(entry.path()));
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      facts += ":" + bytes.str();
    }
    entries[fs::relative(entry.path(), root).string()] = facts;
  }
  return entries;
}

class DriveIdentityRunTest : public ::testing::Test {
 protected:
  explicit DriveIdentityRunTest(std::string_view missingAtLoad = "E") : world("CE", missingAtLoad) {
    world.SetDestructiveLoggedRuns();
    world.SetOption(RunOption::ScanAllDrives, 1);
    world.Drive('C').Build({{"WINDOWS\\TEMP\\~DF1.TMP", 5}, {"DATA\\keep.doc", 4}});
    outside.Build({{"WINDOWS\\TEMP\\~DF2.TMP", 7}, {"junk.tmp", 3}, {"DATA\\letter.doc", 9}});
    world.files.OnDriveRefused([this](const std::string& why) { refusals.push_back(why); });
  }

  std::string EFolder() const { return world.Base() + "/drive_e"; }

  // Runs all drives; `change` is done once, when drive C's cleaning starts.
  template <typename Change>
  void RunAllDrivesChangingEDuringC(Change change) {
    bool changed = false;
    world.feedback.onStatusText = [&](std::string_view text) {
      if (text != "Cleaning HD:" || changed) return;
      changed = true;
      change();
    };
    ASSERT_EQ(RunCleaning(world.context), RunResult::Finished);
    ASSERT_TRUE(changed);
  }

  TestWorld world;
  TempDrive outside{world.Outside()};
  std::vector<std::string> refusals;
};

TEST_F(DriveIdentityRunTest, AMissingDriveThatAppearsAsALinkWhileAnotherIsCleanedIsNeverCleaned) {
  const auto before = TreeBytes(world.Outside());
  RunAllDrivesChangingEDuringC([&] { ASSERT_EQ(symlink(world.Outside().c_str(), EFolder().c_str()), 0); });
  EXPECT_EQ(TreeBytes(world.Outside()), before);
  EXPECT_FALSE(world.Drive('C').Exists("WINDOWS\\TEMP\\~DF1.TMP")) << "drive C was cleaned";
  EXPECT_EQ(world.LogText().find("Drive E:"), std::string::npos);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_NE(refusals[0].find("drive E:"), std::string::npos) << refusals[0];
}

class PresentDriveIdentityRunTest : public DriveIdentityRunTest {
 protected:
  PresentDriveIdentityRunTest() : DriveIdentityRunTest("") {}
};

TEST_F(PresentDriveIdentityRunTest, ADriveSwappedForALinkOrAnotherFolderAfterLoadingIsNeverCleaned) {
  world.Drive('E').Build({{"mine.tmp", 2}});
  const auto before = TreeBytes(world.Outside());
  RunAllDrivesChangingEDuringC([&] {
    ASSERT_EQ(rename(EFolder().c_str(), (world.Base() + "/e-away").c_str()), 0);
    ASSERT_EQ(symlink(world.Outside().c_str(), EFolder().c_str()), 0);
  });
  EXPECT_EQ(TreeBytes(world.Outside()), before);
  EXPECT_TRUE(fs::exists(world.Base() + "/e-away/mine.tmp")) << "the folder checked is no longer drive E";
  EXPECT_EQ(refusals.size(), 1u);

  // The same with a real folder put in its place.
  TestWorld again("CE");
  again.SetDestructiveLoggedRuns();
  again.SetOption(RunOption::ScanAllDrives, 1);
  const std::string e = again.Base() + "/drive_e";
  ASSERT_EQ(rename(e.c_str(), (again.Base() + "/e-away").c_str()), 0);
  TempDrive replacement(e);
  replacement.Build({{"WINDOWS\\TEMP\\~DF3.TMP", 4}});
  const auto placed = TreeBytes(e);
  ASSERT_EQ(RunCleaning(again.context), RunResult::Finished);
  EXPECT_EQ(TreeBytes(e), placed);
}

class SparedByIdentityRunTest : public ::testing::Test {
 protected:
  ~SparedByIdentityRunTest() override {
    if (mounted) umount2(CFolder().c_str(), MNT_DETACH);
  }
  std::string CFolder() const { return world.Base() + "/drive_c"; }

  TestWorld world{"C", "C"};
  bool mounted = false;
};

TEST_F(SparedByIdentityRunTest, TheProgramsFolderReachedThroughABindMountIsSpared) {
  // The program lives in <base>/host/TOOLS; drive C is a bind mount of
  // <base>/host, so no path text of the program's folder lies on drive C.
  TempDrive host(world.Base() + "/host");
  host.Build({{"TOOLS\\Tidewell.txt", 30}, {"TOOLS\\Tidewell1.wav", 40}, {"TOOLS\\Tidewell1.avi", 50},
              {"TOOLS\\TEMP\\~DF4.TMP", 6}, {"TOOLS\\old.tmp", 8}, {"junk.tmp", 3}});
  fs::create_directories(CFolder());
  if (mount(host.Root().c_str(), CFolder().c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "bind mounts are not allowed here: " << std::strerror(errno);
  }
  mounted = true;
  world.SetDestructiveLoggedRuns();
  world.config.programFolder = host.Host("TOOLS");
  const auto tools = TreeBytes(host.Host("TOOLS"));

  ASSERT_EQ(RunCleaning(world.context), RunResult::Finished);
  EXPECT_EQ(TreeBytes(host.Host("TOOLS")), tools);
  EXPECT_FALSE(host.Exists("junk.tmp")) << "the rest of the drive was cleaned";
}

}  // namespace
}  // namespace tidewell
