// Drives that change under a run, and folders the run may not read. The
// analysis lists the drive, then the cleaning phase acts on what it listed;
// whatever happens in between, the log names exactly the files the run
// removed, nothing outside the drive changes, and the run finishes.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using testing::DriveContents;
using testing::ModeOf;
using testing::TempDrive;
using testing::TestWorld;
namespace fs = std::filesystem;

// Every file (and link) on the drive, as the log names it ("c:\DATA\a.tmp"),
// with its size.
std::map<std::string, std::int64_t> FilesOn(const TempDrive& drive) {
  std::map<std::string, std::int64_t> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(
           drive.Root(), fs::directory_options::skip_permission_denied)) {
    if (entry.is_directory() && !entry.is_symlink()) continue;
    std::string path = "c:\\" + entry.path().lexically_relative(drive.Root()).string();
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
#ifdef _WIN32
    files[path] = entry.is_regular_file() ? static_cast<std::int64_t>(entry.file_size()) : 0;
#else
    struct stat st {};  // a link's own size, as the run counts it
    lstat(entry.path().c_str(), &st);
    files[path] = st.st_size;
#endif
  }
  return files;
}

// The files the log says were deleted.
std::set<std::string> LoggedDeletions(const TestWorld& world) {
  std::set<std::string> logged;
  for (const std::string& line : world.LogItems()) {
    const std::string prefix = "Delete file: ";
    if (line.compare(0, prefix.size(), prefix) == 0) logged.insert(line.substr(prefix.size()));
  }
  return logged;
}

std::set<std::string> Minus(const std::map<std::string, std::int64_t>& a,
                            const std::map<std::string, std::int64_t>& b) {
  std::set<std::string> rest;
  for (const auto& [item, size] : a) {
    if (!b.contains(item)) rest.insert(item);
  }
  return rest;
}

class ChangingDriveTest : public ::testing::Test {
 protected:
  ChangingDriveTest() {
    world.SetDestructiveLoggedRuns();
    outside.Build({{"lone.txt", 11}, {"victim\\a.tmp", 3}});
  }

  // Runs the cleaning with `change` done once, between the analysis and the
  // cleaning phase, and checks what must hold whatever the change was.
  // `countedButKept` entries were chosen but could not be removed.
  template <typename Change>
  void RunWithChangeBetweenPhases(Change change, int countedButKept = 0) {
    const auto outsideBefore = DriveContents(outside);
    bool changed = false;
    world.feedback.onStatusText = [&](std::string_view text) {
      if (text != "Cleaning HD:" || changed) return;
      changed = true;
      change();
      filesAfterChange = FilesOn(C());
    };
    ASSERT_EQ(RunCleaning(world.context), RunResult::Finished);
    ASSERT_TRUE(changed);
    EXPECT_TRUE(world.feedback.messages.empty());
    EXPECT_EQ(DriveContents(outside), outsideBefore);
    // The log names exactly the files that are gone, and the totals count
    // them at the sizes they had when they went.
    const std::set<std::string> gone = Minus(filesAfterChange, FilesOn(C()));
    EXPECT_EQ(LoggedDeletions(world), gone);
    std::int64_t bytes = 0;
    for (const std::string& file : gone) bytes += filesAfterChange[file];
    EXPECT_EQ(world.context.state.totals.totalFiles, static_cast<float>(gone.size() + countedButKept));
    EXPECT_EQ(world.context.state.totals.totalBytes, static_cast<float>(bytes));
  }

  TempDrive& C() { return world.Drive('C'); }

  TestWorld world;
  TempDrive outside{world.Outside()};
  std::map<std::string, std::int64_t> filesAfterChange;
};

TEST_F(ChangingDriveTest, FilesThatVanishAppearOrChangeBetweenThePhasesAreHandledAsTheyAreThen) {
  C().Build({{"DATA\\gone.tmp", 10},
             {"DATA\\grown.tmp", 10},
             {"DATA\\nowfolder.tmp", 10},
             {"DATA\\nowlink.tmp", 10},
             {"DATA\\nowreadonly.tmp", 10},
             {"DATA\\keep.doc", 10},
             {"WINDOWS\\TEMP\\old.tmp", 10},
             {"WINDOWS\\TEMP\\sub\\older.tmp", 10},
             {"WINDOWS\\TEMP\\vanishing\\x.tmp", 10}});

  RunWithChangeBetweenPhases([&] {
    fs::remove(C().Host("DATA/gone.tmp"));
    std::ofstream(C().Host("DATA/grown.tmp"), std::ios::app) << std::string(5000, 'y');
    fs::remove(C().Host("DATA/nowfolder.tmp"));
    C().File("DATA/nowfolder.tmp/inside.doc", 7);
    fs::remove(C().Host("DATA/nowlink.tmp"));
#ifndef _WIN32  // fixture links are not made on Windows: there the file only vanishes
    C().Link("DATA/nowlink.tmp", outside.Host("lone.txt"));
#endif
    C().SetReadOnly("DATA/nowreadonly.tmp");
    C().File("DATA/appeared.tmp", 10);
    C().File("WINDOWS/TEMP/appeared.tmp", 10);
    C().File("WINDOWS/TEMP/sub/appeared.doc", 10);
    fs::remove_all(C().Host("WINDOWS/TEMP/vanishing"));
  }, /*countedButKept=*/1);

  const std::set<std::string> logged = LoggedDeletions(world);
  EXPECT_FALSE(logged.contains("c:\\DATA\\gone.tmp")) << "a file that was gone is not claimed";
  EXPECT_TRUE(logged.contains("c:\\DATA\\grown.tmp"));
  EXPECT_TRUE(logged.contains("c:\\DATA\\nowreadonly.tmp")) << "read-only is cleared before deleting";
  // A folder in a file's place is chosen and counted (without a length) like
  // any file that cannot be deleted, and left with what it holds.
  EXPECT_TRUE(C().Exists("DATA/nowfolder.tmp/inside.doc"));
  EXPECT_FALSE(C().Exists("DATA/nowlink.tmp")) << "a link in a file's place goes, as a link";
  EXPECT_TRUE(C().Exists("DATA/keep.doc"));
  // The Windows temp folder is purged by a fresh listing, so what appeared in
  // it goes too; nothing of it is left.
  EXPECT_TRUE(logged.contains("c:\\WINDOWS\\TEMP\\appeared.tmp"));
  EXPECT_TRUE(logged.contains("c:\\WINDOWS\\TEMP\\sub\\appeared.doc"));
  EXPECT_FALSE(C().Exists("WINDOWS/TEMP/old.tmp"));
  // The bytes counted are the files' sizes when they were deleted.
}

// A test run reports the drive as its walk found it: a file that grows
// after the walk counts at the length the walk saw. What the walk did not
// look up is looked at when its row comes: a category switched on after the
// walk, a run switched from test to destructive, which also deletes and
// counts files as they are then.
TEST_F(ChangingDriveTest, ATestRunCountsWhatTheWalkSawAndLooksAgainAtWhatItDidNot) {
  C().Build({{"DATA\\grown.tmp", 10}, {"DATA\\old.bak", 20}, {"DATA\\keep.doc", 30}});
  const auto grow = [&](std::string_view relative) {
    std::ofstream(C().Host(relative), std::ios::app) << std::string(5000, 'y');
  };
  const auto runWithChange = [&](const std::function<void()>& change) {
    bool changed = false;
    world.feedback.onStatusText = [&](std::string_view text) {
      if (text != "Cleaning HD:" || changed) return;
      changed = true;
      change();
    };
    world.context.state.totals = {};
    ASSERT_EQ(RunCleaning(world.context), RunResult::Finished);
    ASSERT_TRUE(changed);
  };

  world.SetOption(RunOption::TestRun, 1);
  world.SetCategory(CategoryId::Backups, 0);
  runWithChange([&] {
    grow("DATA/grown.tmp");
    grow("DATA/old.bak");
    world.SetCategory(CategoryId::Backups, 1);
  });
  EXPECT_EQ(LoggedDeletions(world), (std::set<std::string>{"c:\\DATA\\grown.tmp", "c:\\DATA\\old.bak"}));
  EXPECT_EQ(world.context.state.totals.totalFiles, 2.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, static_cast<float>(10 + 5020));
  EXPECT_EQ(FilesOn(C()).size(), 3u) << "a test run deletes nothing";

  runWithChange([&] {
    grow("DATA/grown.tmp");
    world.SetOption(RunOption::TestRun, 0);
  });
  EXPECT_FALSE(C().Exists("DATA/grown.tmp"));
  EXPECT_FALSE(C().Exists("DATA/old.bak"));
  EXPECT_TRUE(C().Exists("DATA/keep.doc"));
  EXPECT_EQ(world.context.state.totals.totalBytes, static_cast<float>(10010 + 5020));
}

// Folders the run may not list or enter keep what they hold and their
// modes; the rest of the drive is cleaned as usual.
TEST_F(ChangingDriveTest, FoldersThatCannotBeReadAreLeftAsTheyAre) {
#ifdef _WIN32
  GTEST_SKIP() << "folders that cannot be read are made with permission bits";
#else
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root from reading folders";
  C().Build({{"DATA\\open.tmp", 1},
             {"DATA\\sealed\\x.tmp", 1},
             {"DATA\\unlisted\\y.tmp", 1},
             {"DATA\\unentered\\z.tmp", 1},
             {"WINDOWS\\TEMP\\a.tmp", 1},
             {"WINDOWS\\TEMP\\sealed\\b.tmp", 1}});
  const std::vector<std::pair<std::string, mode_t>> modes = {
      {"DATA/sealed", 0000}, {"DATA/unlisted", 0311}, {"DATA/unentered", 0644}, {"WINDOWS/TEMP/sealed", 0000}};
  for (const auto& [folder, mode] : modes) chmod(C().Host(folder).c_str(), mode);

  RunWithChangeBetweenPhases([] {});

  for (const auto& [folder, mode] : modes) EXPECT_EQ(ModeOf(C().Host(folder)), mode) << folder;
  for (const auto& [folder, mode] : modes) chmod(C().Host(folder).c_str(), 0755);
  EXPECT_FALSE(C().Exists("DATA/open.tmp"));
  EXPECT_FALSE(C().Exists("WINDOWS/TEMP/a.tmp"));
  for (const char* kept : {"DATA/sealed/x.tmp", "DATA/unlisted/y.tmp", "DATA/unentered/z.tmp",
                           "WINDOWS/TEMP/sealed/b.tmp"}) {
    EXPECT_TRUE(C().Exists(kept)) << kept;
  }
#endif
}

}  // namespace
}  // namespace tidewell
