// A file system that never answers: mapped as a drive, it is a drive without
// a disk after the mount time limit and never holds up another drive; mounted
// inside a drive, it is left alone, with a message, and no call waits for it.
// Each case runs with a deadline (FinishesWithin): a regression fails, and
// ending the mount frees whatever waited for it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/drive_table.h"
#include "platform/mount_time_limit.h"
#include "platform/virtual_file_system.h"
#include "tests/support/hung_mount.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::FinishesWithin;
using tidewell::testing::HungMount;
using tidewell::testing::ScopedVariable;
using tidewell::testing::TestWorld;
using namespace std::chrono_literals;

constexpr auto kDeadline = 20s;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(MountTimeLimit, IsThirtySecondsUnlessTheEnvironmentSaysOtherwise) {
  {
    ScopedVariable unset("TIDEWELL_MOUNT_TIMEOUT", nullptr);
    EXPECT_EQ(MountTimeLimit(), 30000ms);
  }
  ScopedVariable limit("TIDEWELL_MOUNT_TIMEOUT", "0.25");
  EXPECT_EQ(MountTimeLimit(), 250ms);
  for (const char* unusable : {"", "0", "-3", "soon", "5s", "1e9"}) {
    limit.Set(unusable);
    EXPECT_EQ(MountTimeLimit(), 30000ms) << '"' << unusable << '"';
  }
}

TEST(MountTimeLimit, AQuestionThatReturnsInTimeIsAnswered) {
  auto answer = std::make_shared<int>(0);
  EXPECT_TRUE(AnswersWithin(10s, [answer] { *answer = 42; }));
  EXPECT_EQ(*answer, 42);
}

class HungMountTest : public ::testing::Test {
 protected:
  // A folder of the test's temporary folder with the hung file system on it.
  void MountAt(const std::string& folder) {
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0) << folder;
    mount_ = std::make_unique<HungMount>(folder);
    if (!mount_->Unavailable().empty()) GTEST_SKIP() << mount_->Unavailable();
  }
  HungMount& Mount() { return *mount_; }

  TestWorld world_;
  std::unique_ptr<HungMount> mount_;  // ended before the world goes
  void TearDown() override { mount_.reset(); }
};

TEST_F(HungMountTest, ADriveMappedToAHungMountIsADriveWithoutADiskAndHoldsUpNoOtherDrive) {
  const std::string hung = world_.Outside("hung");
  MountAt(hung);
  if (IsSkipped()) return;  // no FUSE mount here: the skip above ends the case
  world_.Drive('C').Build({{"WINDOWS\\TEMP\\a.tmp", 3}});
  const ScopedVariable limit("TIDEWELL_MOUNT_TIMEOUT", "0.3");
  std::vector<std::string> problems;
  std::unique_ptr<VirtualFileSystem> files;
  ASSERT_TRUE(FinishesWithin(kDeadline, Mount(), [&] {
    DriveTable table = DriveTable::Parse("C=" + world_.Drive('C').Root() + ";D=" + hung, &problems);
    files = std::make_unique<VirtualFileSystem>(std::move(table));
  })) << "reading the drive table waited for the hung mount";
  const DriveMapping* d = files->Drives().Find('D');
  ASSERT_NE(d, nullptr) << "the hung drive is kept, as a drive without a disk";
  EXPECT_FALSE(d->answers);
  EXPECT_TRUE(files->Drives().Find('C')->answers);
  ASSERT_EQ(problems.size(), 1u) << Joined(problems);
  EXPECT_NE(problems[0].find("drive D:"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find(hung), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("without a disk"), std::string::npos) << problems[0];

  // Drive D is never asked again; drive C works as ever.
  std::error_code dError;
  std::error_code cError;
  EntryFacts facts;
  ASSERT_TRUE(FinishesWithin(kDeadline, Mount(), [&] {
    dError = files->Stat("D:\\", facts);
    cError = files->Stat("C:\\WINDOWS\\TEMP\\a.tmp", facts);
  })) << "a call on drive D waited for the hung mount";
  EXPECT_EQ(dError, std::errc::no_such_device);
  EXPECT_FALSE(cError);
  EXPECT_EQ(facts.length, 3);
}

TEST_F(HungMountTest, AHungMountInsideADriveIsLeftAloneWithAMessage) {
  world_.Drive('C').Build({{"TEMP\\a.tmp", 1}, {"TEMP\\SUB\\b.tmp", 1}});
  MountAt(world_.Drive('C').Host("TEMP\\HUNG"));
  if (IsSkipped()) return;  // no FUSE mount here: the skip above ends the case
  std::vector<std::string> told;
  world_.files.OnDriveRefused([&](const std::string& why) { told.push_back(why); });
  std::error_code statError, openError, listedError, removeError, attributeError;
  std::vector<std::string> listed;
  ASSERT_TRUE(FinishesWithin(kDeadline, Mount(), [&] {
    FolderReader temp;
    listedError = world_.files.OpenFolder("C:\\TEMP\\", temp);
    FolderEntry entry;
    while (!listedError && temp.Next(entry)) listed.push_back(entry.name + (entry.isFolder ? "\\" : ""));
    EntryFacts facts;
    statError = world_.files.Stat("C:\\TEMP\\HUNG\\", facts);
    statError = statError ? statError : world_.files.Stat("C:\\TEMP\\hung", facts);
    FolderReader reader;
    openError = world_.files.OpenFolder("C:\\TEMP\\HUNG\\", reader);
    attributeError = world_.files.SetAttributes("C:\\TEMP\\HUNG", kReadOnly);
    removeError = world_.files.RemoveFolder("C:\\TEMP\\HUNG\\");
  })) << "a call waited for the hung mount";
  EXPECT_FALSE(listedError);
  EXPECT_NE(std::find(listed.begin(), listed.end(), "HUNG\\"), listed.end()) << "the listing names it as a folder";
  EXPECT_EQ(statError, std::errc::cross_device_link);
  EXPECT_EQ(openError, std::errc::cross_device_link);
  EXPECT_TRUE(attributeError);
  EXPECT_TRUE(removeError);
  ASSERT_EQ(told.size(), 1u) << "told once, however often it was met:\n" << Joined(told);
  EXPECT_EQ(told[0],
            "C:\\TEMP\\HUNG\\ is left alone: another file system is mounted there, and nothing is read from it "
            "or deleted in it");
}

}  // namespace
}  // namespace tidewell::platform
