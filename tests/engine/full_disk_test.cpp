// The records on a full file system: the folder that holds the deletion log
// and the run report is a tiny tmpfs that fills up during the run. The run
// is abandoned with one clear message, no record ends in a torn line, and
// every file that is gone from the drive has its line, the one in flight at
// most excepted. A test run, which writes its log in 64 KiB blocks, is
// abandoned in the same way, whether the block that fails is written in the
// middle of the drive or when its section closes. Mounting needs root with
// CAP_SYS_ADMIN; elsewhere these cases skip.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "platform/text_file.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::SplitCrLfLines;
using testing::TempDrive;
using testing::TestWorld;

bool EndsWithWholeLine(const std::string& text) { return text.size() >= 2 && text.ends_with("\r\n"); }

class FullDiskTest : public ::testing::Test {
 protected:
  // Mounts a tmpfs of `bytes` over the records folder.
  void MountRecords(const char* size) {
    const std::string records = world.config.recordsFolder;
    if (mount("tidewell-full", records.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN): " << std::strerror(errno);
    }
    mounted = true;
  }

  void TearDown() override {
    if (mounted) {
      EXPECT_EQ(umount2(world.config.recordsFolder.c_str(), MNT_DETACH), 0) << std::strerror(errno);
    }
  }

  // A destructive, logged run over `count` junk files, one per folder.
  void BuildJunk(int count) {
    world.SetDestructiveLoggedRuns();
    BuildJunkFiles(count);
  }

  // `count` junk files, one per folder, and a report that is kept.
  void BuildJunkFiles(int count) {
    world.SetOption(RunOption::KeepReport, 1);
    for (int i = 0; i < count; ++i) C().File(JunkFile(i), 1);
  }
  static std::string JunkFile(int i) { return "DATA\\d" + std::to_string(i) + "\\~DF" + std::to_string(i) + ".TMP"; }

  // The run was abandoned with the one message that names the log and the
  // full disk, and the status says it stopped.
  void ExpectAbandonedForTheLog() {
    ASSERT_EQ(world.feedback.messages.size(), 1u);
    EXPECT_EQ(world.feedback.messages[0].title, "Records Error");
    EXPECT_NE(world.feedback.messages[0].text.find(world.config.LogPath()), std::string::npos);
    EXPECT_NE(world.feedback.messages[0].text.find(std::strerror(ENOSPC)), std::string::npos)
        << world.feedback.messages[0].text;
    EXPECT_TRUE(world.feedback.StatusText().starts_with("Stopped: ")) << world.feedback.StatusText();
  }

  // The report holds its start block, whole; the end block was not written.
  void ExpectReportWithStartBlockOnly() {
    const std::string report = Read(world.config.ReportPath());
    std::vector<std::string> startBlock = {"", "TIDEWELL III REPORT", "Tidewell STARTED",
                                           "Monday, December 7, 2026", "6:38:31 AM"};
    if (world.config.IsOn(RunOption::TestRun)) startBlock.insert(startBlock.begin() + 2, "(TEST RUN ONLY)");
    EXPECT_TRUE(EndsWithWholeLine(report));
    EXPECT_EQ(SplitCrLfLines(report), startBlock);
  }

  // A test run over `count` junk files whose log fills the records disk: it
  // is abandoned for the log, the report keeps its start block, and the log,
  // returned, ends in a whole line.
  std::string AbandonedTestRun(int count) {
    world.SetOption(RunOption::TestRun, 1);
    BuildJunkFiles(count);
    MountRecords("8k");
    if (HasFatalFailure() || IsSkipped()) return {};
    EXPECT_EQ(RunCleaning(world.context), RunResult::RecordsNotWritten);
    ExpectAbandonedForTheLog();
    ExpectReportWithStartBlockOnly();
    const std::string log = Read(world.config.LogPath());
    EXPECT_TRUE(EndsWithWholeLine(log)) << "the log ends in a torn line";
    return log;
  }

  std::string Read(const std::string& path) {
    std::string text;
    platform::ReadTextFile(path, text);
    return text;
  }

  TempDrive& C() { return world.Drive('C'); }

  TestWorld world;
  bool mounted = false;
};

TEST_F(FullDiskTest, ALogThatFillsTheDiskStopsTheRunWithOneMessageAndNoTornLine) {
  constexpr int kFiles = 400;
  BuildJunk(kFiles);
  // Two pages: the report takes one, the log the other, which holds about
  // a hundred lines.
  MountRecords("8k");
  if (HasFatalFailure() || IsSkipped()) return;

  EXPECT_EQ(RunCleaning(world.context), RunResult::RecordsNotWritten);
  ExpectAbandonedForTheLog();

  const std::string log = Read(world.config.LogPath());
  ASSERT_TRUE(EndsWithWholeLine(log)) << "the log ends in a torn line";
  std::set<std::string> logged;
  for (const std::string& item : world.LogItems()) {
    ASSERT_TRUE(item.starts_with("Delete file: c:\\DATA\\d")) << item;
    logged.insert(item.substr(std::strlen("Delete file: ")));
  }
  int goneWithoutLine = 0;
  int gone = 0;
  for (int i = 0; i < kFiles; ++i) {
    const std::string relative = JunkFile(i);
    if (C().Exists(relative)) continue;
    ++gone;
    if (!logged.contains("c:\\" + relative)) ++goneWithoutLine;
  }
  EXPECT_GT(gone, 10) << "the log held some lines before the disk filled";
  EXPECT_LT(gone, kFiles) << "the run stopped when the log could not be written";
  EXPECT_LE(goneWithoutLine, 1);
  ExpectReportWithStartBlockOnly();
}

// A test run whose lines fill more than one 64 KiB block: the first block
// finds no room, and the drive is abandoned there, in the middle.
TEST_F(FullDiskTest, ATestRunLogBlockThatFindsNoRoomStopsTheRunMidDrive) {
  constexpr int kFiles = 3000;  // some 120 KB of item lines
  const std::string log = AbandonedTestRun(kFiles);
  if (HasFatalFailure() || IsSkipped()) return;
  EXPECT_LT(world.context.state.totals.totalFiles, kFiles) << "the run went on after the block failed";
  EXPECT_TRUE(log.starts_with("\r\nTIDEWELL III LOG FILE\r\n")) << "the header is in the file";
  EXPECT_TRUE(C().Exists(JunkFile(0)));
}

// A test run whose lines fit one block: the block is written when the
// section closes, finds no room, and the drive is abandoned at its end.
TEST_F(FullDiskTest, ATestRunLogThatFailsWhenItsSectionClosesAbandonsTheDrive) {
  constexpr int kFiles = 400;  // some 15 KB of item lines
  const std::string log = AbandonedTestRun(kFiles);
  if (HasFatalFailure() || IsSkipped()) return;
  EXPECT_EQ(world.context.state.totals.totalFiles, kFiles) << "the whole drive was counted before the block was written";
  EXPECT_EQ(log.find(" files DELETED"), std::string::npos) << "a count line without its items";
}

TEST_F(FullDiskTest, AReportThatCannotBeWrittenStopsTheRunBeforeAnythingIsDeleted) {
  BuildJunk(20);
  MountRecords("4k");
  if (HasFatalFailure() || IsSkipped()) return;
  // Fill the only page, so the report's start block finds no room.
  ASSERT_FALSE(platform::ReplaceTextFile(world.config.recordsFolder + "/filler", std::string(4096, 'f')));

  EXPECT_EQ(RunCleaning(world.context), RunResult::RecordsNotWritten);

  ASSERT_EQ(world.feedback.messages.size(), 1u);
  EXPECT_NE(world.feedback.messages[0].text.find("Tidewell can't write its run report " +
                                                 world.config.ReportPath()),
            std::string::npos)
      << world.feedback.messages[0].text;
  EXPECT_TRUE(C().Exists("DATA\\d0\\~DF0.TMP"));
  EXPECT_EQ(Read(world.config.ReportPath()), "") << "a report that could not be written is empty, not torn";
}

// The store is replaced whole or not at all: on a full disk its old text
// stays readable.
TEST_F(FullDiskTest, AStoreThatCannotBeReplacedKeepsItsOldText) {
  MountRecords("4k");
  if (HasFatalFailure() || IsSkipped()) return;
  const std::string store = world.config.recordsFolder + "/Tidewell.ini";
  const std::string old = "[Preferences]\r\nTemp=1\r\n";
  ASSERT_FALSE(platform::ReplaceTextFile(store, old));
  EXPECT_TRUE(platform::ReplaceTextFile(store, old + std::string(8192, ';')));
  EXPECT_EQ(Read(store), old);
}

}  // namespace
}  // namespace tidewell
