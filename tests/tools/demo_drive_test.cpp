#include "tools/demo_drive.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "engine/category_rules.h"
#include "engine/folder_walker.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::TestWorld;

// Every entry below `root`: "\"-separated relative path -> type, size and
// modification time, the things two runs with one DemoDriveRequest must agree on.
struct Entry {
  bool folder;
  long long size;
  long long time;
  bool operator==(const Entry&) const = default;
};
using Tree = std::map<std::string, Entry>;

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    EXPECT_EQ(lstat(entry.path().c_str(), &st), 0) << entry.path();
    std::string relative = fs::relative(entry.path(), root).string();
    for (char& c : relative) {
      if (c == '/') c = '\\';
    }
    const bool folder = S_ISDIR(st.st_mode);
    tree[relative] = {folder, folder ? 0 : static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtime)};
  }
  return tree;
}

struct Totals {
  long folders = 0;
  long files = 0;
  long long bytes = 0;
};

Totals Count(const Tree& tree) {
  Totals totals;
  for (const auto& [path, entry] : tree) {
    if (entry.folder) {
      ++totals.folders;
    } else {
      ++totals.files;
      totals.bytes += entry.size;
    }
  }
  return totals;
}

constexpr long long k1999 = 915148800;   // 1999-01-01 00:00:00 UTC
constexpr long long k2002 = 1009843200;  // 2002-01-01 00:00:00 UTC

TEST(DemoDriveLayout, FixedLayoutHoldsEveryKeeperAndJunkFileDatedFrom1999To2001) {
  TempFolder base;
  const std::string root = base.Path() + "/new/drive_c";  // parents missing too
  DemoDriveReport report;
  ASSERT_FALSE(WriteDemoDrive(root, {}, &report));

  const Tree tree = ReadTree(root);
  const Totals totals = Count(tree);
  const DemoDriveReport fixed = DemoFixedLayoutCounts();
  EXPECT_EQ(totals.folders, report.folders);
  EXPECT_EQ(totals.files, report.files);
  EXPECT_EQ(totals.bytes, report.bytes);
  EXPECT_EQ(report.folders, fixed.folders);
  EXPECT_EQ(report.files, fixed.files);
  EXPECT_GE(report.files, 100);
  EXPECT_LE(report.files, 300);

  const std::vector<std::string> keepers = DemoKeepers();
  const std::vector<std::string> junk = DemoDefaultJunk();
  EXPECT_GE(keepers.size(), 50u);
  EXPECT_GE(junk.size(), 50u);
  std::set<std::string> seen;
  for (const std::vector<std::string>* list : {&keepers, &junk}) {
    for (const std::string& path : *list) {
      EXPECT_TRUE(seen.insert(path).second) << path << " is listed twice";
      const auto found = tree.find(path);
      ASSERT_NE(found, tree.end()) << path;
      EXPECT_FALSE(found->second.folder) << path;
    }
  }
  for (const auto& [path, entry] : tree) {
    EXPECT_GE(entry.time, k1999) << path;
    EXPECT_LT(entry.time, k2002) << path;
  }
}

TEST(DemoDriveLayout, DefaultDestructiveRunRemovesTheJunkAndNothingElse) {
  TestWorld world;
  ASSERT_FALSE(WriteDemoDrive(world.Drive('C').Root(), {}));
  const Tree before = ReadTree(world.Drive('C').Root());

  world.SetOption(RunOption::TestRun, 0);
  const FolderList folders = ListFolders(world.context, "c:", "\\");
  ApplyCategoryRules(world.context, "c:", folders, folders.Count());

  const Tree after = ReadTree(world.Drive('C').Root());
  for (const std::string& path : DemoKeepers()) EXPECT_TRUE(after.contains(path)) << "removed: " << path;
  for (const std::string& path : DemoDefaultJunk()) EXPECT_FALSE(after.contains(path)) << "left: " << path;
  // Every other file stays as well: the junk list is all a default run takes.
  const std::vector<std::string> junkList = DemoDefaultJunk();
  const std::set<std::string> junk(junkList.begin(), junkList.end());
  for (const auto& [path, entry] : before) {
    if (!entry.folder && !junk.contains(path)) {
      EXPECT_TRUE(after.contains(path)) << "removed: " << path;
    }
  }
}

TEST(DemoDriveScale, HitsTheRequestedCountsExactlyWithJunkAmongTheFiller) {
  const DemoDriveReport fixed = DemoFixedLayoutCounts();
  TempFolder base;
  DemoDriveReport report;
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/a", {fixed.folders + 40, fixed.files + 400, 3}, &report));
  const Tree tree = ReadTree(base.Path() + "/a");
  const Totals totals = Count(tree);
  EXPECT_EQ(totals.folders, fixed.folders + 40);
  EXPECT_EQ(totals.files, fixed.files + 400);
  EXPECT_EQ(report.folders, totals.folders);
  EXPECT_EQ(report.files, totals.files);
  EXPECT_EQ(report.bytes, totals.bytes);

  // The filler is what the fixed layout does not hold: all of it below the
  // ordinary folders, and a share of it junk.
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/fixed", {}));
  const Tree fixedTree = ReadTree(base.Path() + "/fixed");
  int fillerFiles = 0;
  int fillerJunk = 0;
  for (const auto& [path, entry] : tree) {
    if (entry.folder || fixedTree.contains(path)) continue;
    ++fillerFiles;
    EXPECT_TRUE(path.starts_with("My Documents\\") || path.starts_with("Program Files\\") ||
                path.starts_with("Documents and Settings\\Alice\\My Documents\\"))
        << path;
    for (const char* ending : {".TMP", ".tmp", ".CHK", ".gid", "Thumbs.db", ".bak", ".old", ".log"}) {
      if (path.ends_with(ending)) ++fillerJunk;
    }
  }
  EXPECT_EQ(fillerFiles, 400);
  EXPECT_GT(fillerJunk, 400 / 10);
  EXPECT_LT(fillerJunk, 400 / 3);

  // Files only: the filler goes into the fixed layout's ordinary folders.
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/b", {0, fixed.files + 25, 3}, &report));
  const Totals filesOnly = Count(ReadTree(base.Path() + "/b"));
  EXPECT_EQ(filesOnly.folders, fixed.folders);
  EXPECT_EQ(filesOnly.files, fixed.files + 25);
}

TEST(DemoDriveScale, SameSeedGivesTheSameTreeAndAnotherSeedAnother) {
  const DemoDriveReport fixed = DemoFixedLayoutCounts();
  TempFolder base;
  const DemoDriveRequest request{fixed.folders + 30, fixed.files + 300, 7};
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/one", request));
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/two", request));
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/other", {request.folders, request.files, 8}));
  const Tree one = ReadTree(base.Path() + "/one");
  EXPECT_EQ(one, ReadTree(base.Path() + "/two"));
  EXPECT_NE(one, ReadTree(base.Path() + "/other"));
}

// A sparse drive is the same drive (names, lengths, times) with next to no
// space taken by the files' contents.
TEST(DemoDriveScale, ASparseDriveHasTheSameEntriesWithoutTheirContents) {
  const DemoDriveReport fixed = DemoFixedLayoutCounts();
  TempFolder base;
  DemoDriveRequest request{fixed.folders + 30, fixed.files + 600, 5};
  DemoDriveReport full;
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/full", request, &full));
  request.sparse = true;
  DemoDriveReport sparse;
  ASSERT_FALSE(WriteDemoDrive(base.Path() + "/sparse", request, &sparse));
  EXPECT_EQ(ReadTree(base.Path() + "/sparse"), ReadTree(base.Path() + "/full"));
  EXPECT_EQ(sparse.bytes, full.bytes);

  const auto blocks = [](const std::string& root) {
    long long used = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
      struct stat st {};
      if (lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) used += st.st_blocks;
    }
    return used;
  };
  EXPECT_LT(blocks(base.Path() + "/sparse") * 4, blocks(base.Path() + "/full"))
      << "the sparse drive's files take space for their contents";
}

TEST(DemoDriveRefusals, NonEmptyFolderFileInTheWayAndTooFewCountsWriteNothing) {
  TempFolder base;
  const std::string busy = base.Path() + "/busy";
  fs::create_directories(busy);
  std::ofstream(busy + "/stranger.txt") << "mine";
  EXPECT_EQ(WriteDemoDrive(busy, {}), std::errc::directory_not_empty);
  EXPECT_EQ(ReadTree(busy).size(), 1u);

  std::ofstream(base.Path() + "/plain") << "x";
  EXPECT_EQ(WriteDemoDrive(base.Path() + "/plain", {}), std::errc::not_a_directory);

  const DemoDriveReport fixed = DemoFixedLayoutCounts();
  EXPECT_EQ(WriteDemoDrive(base.Path() + "/small", {fixed.folders - 1, 0, 1}), std::errc::invalid_argument);
  EXPECT_EQ(WriteDemoDrive(base.Path() + "/small", {0, fixed.files - 1, 1}), std::errc::invalid_argument);
  EXPECT_FALSE(fs::exists(base.Path() + "/small"));
}

}  // namespace
}  // namespace tidewell
