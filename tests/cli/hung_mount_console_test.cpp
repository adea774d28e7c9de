// tidewell-cli with a file system that never answers: mapped as drive D, it
// holds up no run of drive C and is a drive without a disk itself; mounted
// inside the Temp folder a destructive run purges, it is left and the run
// ends. Each run has a deadline and is killed when it passes, so a
// regression fails instead of hanging.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/console_sandbox.h"
#include "tests/support/hung_mount.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ChildOptions;
using testing::ChildResult;
using testing::ConsoleSandbox;
using testing::HungMount;
using namespace std::chrono_literals;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

class HungMountConsole : public ::testing::Test {
 protected:
  HungMountConsole() : sandbox_(TIDEWELL_CLI_PATH) {}

  std::string DriveC() const { return sandbox_.Base() + "/drive_c"; }
  void File(const std::string& relative) {
    const fs::path path = DriveC() + "/" + relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
  void MountAt(const std::string& folder) {
    fs::create_directories(folder);
    mount_ = std::make_unique<HungMount>(folder);
    if (!mount_->Unavailable().empty()) GTEST_SKIP() << mount_->Unavailable();
  }
  // A run with a deadline and a short mount time limit.
  ChildResult Run(std::vector<std::string> arguments, const std::string& drives) {
    ChildOptions options = sandbox_.Options(std::move(arguments), drives);
    options.environment["TIDEWELL_MOUNT_TIMEOUT"] = "0.5";
    // In the sanitizer build, the leak check at exit stops every thread, and
    // the thread left waiting on the hung mount cannot be stopped: the check
    // would wait as long as the mount. Other builds ignore the variable.
    options.environment["ASAN_OPTIONS"] = "detect_leaks=0";
    options.timeout = 60s;
    return sandbox_.RunCli(options);
  }
  void TearDown() override { mount_.reset(); }

  ConsoleSandbox sandbox_;
  std::unique_ptr<HungMount> mount_;
};

TEST_F(HungMountConsole, AHungDriveHoldsUpNoRunOfAnotherAndIsADriveWithoutADisk) {
  File("WINDOWS/TEMP/old.tmp");
  const std::string hung = sandbox_.Base() + "/hung";
  MountAt(hung);
  if (IsSkipped()) return;  // no FUSE mount here: the skip above ends the case
  const std::string drives = "C=" + DriveC() + ";D=" + hung;

  const ChildResult c = Run({"--drive", "C:", "--test"}, drives);
  ASSERT_FALSE(c.timedOut) << "a run of drive C waited for the hung drive D";
  EXPECT_EQ(c.exitStatus, 0) << c.err;
  EXPECT_TRUE(Contains(c.err, "drive D: maps to \"" + hung + "\", whose file system gives no answer")) << c.err;

  const ChildResult d = Run({"--drive", "D:", "--test"}, drives);
  ASSERT_FALSE(d.timedOut) << "a run of the hung drive D never ended";
  EXPECT_EQ(d.exitStatus, 1) << d.err;
  EXPECT_TRUE(Contains(d.err, "[Drive Error]\nTidewell can't access drive D:")) << d.err;
}

TEST_F(HungMountConsole, AHungMountInsideThePurgedTempFolderIsLeftAndTheRunEnds) {
  File("WINDOWS/TEMP/old.tmp");
  File("WINDOWS/TEMP/SUB/older.tmp");
  File("WINDOWS/keep.txt");
  MountAt(DriveC() + "/WINDOWS/TEMP/SUB/HUNG");
  if (IsSkipped()) return;  // no FUSE mount here: the skip above ends the case
  const ChildResult run = Run({"--drive", "C:", "--delete"}, "C=" + DriveC());
  mount_->End();  // a plain folder again from here on
  ASSERT_FALSE(run.timedOut) << "the destructive run waited for the hung mount";
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "C:\\WINDOWS\\TEMP\\SUB\\HUNG\\ is left alone: another file system is mounted there"))
      << run.err;
  EXPECT_FALSE(fs::exists(DriveC() + "/WINDOWS/TEMP/old.tmp"));
  EXPECT_FALSE(fs::exists(DriveC() + "/WINDOWS/TEMP/SUB/older.tmp"));
  EXPECT_TRUE(fs::exists(DriveC() + "/WINDOWS/TEMP/SUB/HUNG"));
  EXPECT_TRUE(fs::exists(DriveC() + "/WINDOWS/keep.txt"));
}

}  // namespace
}  // namespace tidewell
