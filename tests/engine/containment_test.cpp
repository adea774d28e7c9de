// Nothing outside a drive's root is ever changed: not through links, not
// through folders swapped for links behind the engine's back, not through
// other file systems mounted inside the drive. Every run here is destructive.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "engine/cleaning_run.h"
#include "engine/deletion_primitives.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "platform/text_case.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

using tidewell::testing::TempDrive;
using tidewell::testing::ModeOf;
using tidewell::testing::TestWorld;

std::vector<std::string> Paths(const PathList& list) {
  std::vector<std::string> paths;
  for (std::int32_t i = 1; i <= list.Count(); ++i) paths.emplace_back(list[i]);
  return paths;
}

bool AnyContains(const std::vector<std::string>& paths, std::string_view fragment) {
  for (const std::string& path : paths) {
    if (FindNoCase(path, fragment)) return true;
  }
  return false;
}

class ContainmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    world_.SetOption(RunOption::TestRun, 0);
    outside_.Build({{"victim\\letter.doc", 10}, {"victim\\deep\\notes.txt", 20}, {"lone.txt", 30}});
    chmod(outside_.Host("lone.txt").c_str(), 0444);
    for (const char* name : kOutsideEntries) modes_.push_back(ModeOf(outside_.Host(name)));
  }

  // Every outside entry is still there, with its mode; lone.txt stays read-only.
  void ExpectOutsideIntact() {
    for (std::size_t i = 0; i < std::size(kOutsideEntries); ++i) {
      EXPECT_TRUE(outside_.Exists(kOutsideEntries[i])) << kOutsideEntries[i];
      EXPECT_EQ(ModeOf(outside_.Host(kOutsideEntries[i])), modes_[i]) << kOutsideEntries[i];
    }
    EXPECT_EQ(modes_.back(), 0444u);
  }

  static constexpr const char* kOutsideEntries[] = {"victim", "victim/letter.doc", "victim/deep",
                                                    "victim/deep/notes.txt", "lone.txt"};
  std::vector<mode_t> modes_;

  TempDrive& C() { return world_.Drive('C'); }
  RunContext& Context() { return world_.context; }

  // The rule table's purge of a folder (a full path) that it read afresh.
  bool Purge(std::string_view folder, std::string_view name) {
    FolderSnapshot snapshot(Context(), folder);
    return PurgeNamedFolder(Context(), "c:", snapshot, name, "");
  }

  TestWorld world_;
  TempDrive outside_{world_.Outside()};
};

TEST_F(ContainmentTest, ListFoldersNeverWalksIntoALinkedFolder) {
  C().Folder("DATA");
  C().Link("DATA/out", outside_.Host("victim"));
  const std::vector<std::string> folders = Paths(ListFolders(Context(), "c:", "c:\\"));
  EXPECT_EQ(folders, (std::vector<std::string>{"c:\\", "c:\\DATA\\"}));
  const std::vector<std::string> files = Paths(ListFiles(Context(), "c:", "c:\\", "*.*", ListScope::WholeSubtree));
  EXPECT_EQ(files, std::vector<std::string>{"c:\\DATA\\out"});
}

TEST_F(ContainmentTest, PurgeDeletesALinkedFolderLinkButNotWhatItPointsTo) {
  C().Build({{"CACHE\\junk.tmp", 1}, {"CACHE\\sub\\more.tmp", 1}});
  C().Link("CACHE/sub/out", outside_.Host("victim"));
  EXPECT_TRUE(Purge("c:\\CACHE\\", "CACHE"));
  EXPECT_FALSE(C().Exists("CACHE/sub"));
  EXPECT_FALSE(C().Exists("CACHE/junk.tmp"));
  EXPECT_TRUE(C().Exists("CACHE"));
  ExpectOutsideIntact();
}

TEST_F(ContainmentTest, DeleteMatchingFilesDeletesLinksOnly) {
  C().Folder("TEMP");
  C().Link("TEMP/folder-link", outside_.Host("victim"));
  C().Link("TEMP/file-link.tmp", outside_.Host("lone.txt"));
  DeleteMatchingFiles(Context(), "c:", "c:\\TEMP\\", "*.*");
  EXPECT_FALSE(C().Exists("TEMP/folder-link"));
  EXPECT_FALSE(C().Exists("TEMP/file-link.tmp"));
  ExpectOutsideIntact();
}

TEST_F(ContainmentTest, AttributeChangesThroughALinkNeverReachItsTarget) {
  C().Link("locked.lnk", outside_.Host("lone.txt"));
  C().Link("open.lnk", outside_.Host("victim/letter.doc"));
  for (const char* path : {"c:\\LOCKED.LNK", "c:\\open.lnk"}) {
    for (const char* text : {"", "R", "1", "33", "RHSA"}) {
      for (AttributeChange change : {AttributeChange::Replace, AttributeChange::Add, AttributeChange::Remove}) {
        ChangeFileAttributes(Context(), path, text, change, WhenMissing::Skip);
      }
    }
  }
  EXPECT_TRUE(C().Exists("locked.lnk"));
  ExpectOutsideIntact();
}

TEST_F(ContainmentTest, DeletingALinkToAFileLeavesTheFileAndItsMode) {
  C().Link("WINDOWS/TEMP/lone.tmp", outside_.Host("lone.txt"));
  DeleteOneFile(Context(), "c:\\WINDOWS\\TEMP\\lone.tmp");
  EXPECT_FALSE(C().Exists("WINDOWS/TEMP/lone.tmp"));
  EXPECT_EQ(Context().state.totals.totalFiles, 1.0f);
  ExpectOutsideIntact();
}

TEST_F(ContainmentTest, LinkLoopsAreListedAndDeletedAsFiles) {
  C().Folder("LOOP/inner");
  C().Link("LOOP/a", C().Host("LOOP/b"));
  C().Link("LOOP/b", C().Host("LOOP/a"));
  C().Link("LOOP/self", C().Host("LOOP/self"));
  C().Link("LOOP/inner/up", C().Host("LOOP"));
  const std::vector<std::string> folders = Paths(ListFolders(Context(), "c:", "c:\\"));
  EXPECT_EQ(folders, (std::vector<std::string>{"c:\\", "c:\\LOOP\\", "c:\\LOOP\\inner\\"}));
  EXPECT_TRUE(Purge("c:\\LOOP\\", "loop"));
  EXPECT_FALSE(C().Exists("LOOP/a"));
  EXPECT_FALSE(C().Exists("LOOP/b"));
  EXPECT_FALSE(C().Exists("LOOP/self"));
  EXPECT_FALSE(C().Exists("LOOP/inner"));
  EXPECT_EQ(Context().state.totals.totalFiles, 4.0f);
}

// A folder that the walk listed is replaced by a link to the outside folder
// before the rules act on it. With `forget`, the file system's open folder
// handles are dropped first, as happens when a long walk has moved on.
class SwappedFolderTest : public ContainmentTest, public ::testing::WithParamInterface<bool> {
 protected:
  void ListThenSwap() {
    C().Build({{"TEMP\\old.tmp", 1}, {"TEMP\\sub\\older.tmp", 1}});
    walk_ = ListFolders(Context(), "c:", "c:\\");
    ASSERT_EQ(Paths(walk_), (std::vector<std::string>{"c:\\", "c:\\TEMP\\", "c:\\TEMP\\sub\\"}));
    std::filesystem::rename(C().Host("TEMP"), C().Host("TEMP.was"));
    C().Link("TEMP", outside_.Host("victim"));
    if (GetParam()) world_.files.ForgetOpenFolders();
  }

  // Folder `index` of the walk as the rule table sees it: the files the walk
  // recorded there before the swap.
  FolderSnapshot Walked(std::int32_t index) { return FolderSnapshot(Context(), walk_, index, false); }

  FolderList walk_;
};

TEST_P(SwappedFolderTest, DeleteMatchingFilesLeavesTheOutsideFiles) {
  ListThenSwap();
  DeleteMatchingFiles(Context(), "c:", "c:\\TEMP\\", "*.*");
  FolderSnapshot temp = Walked(2);
  DeleteMatchingFiles(Context(), temp, "*.*");
  ExpectOutsideIntact();
  EXPECT_TRUE(C().Exists("TEMP"));
}

TEST_P(SwappedFolderTest, PurgeNamedFolderLeavesTheOutsideFiles) {
  ListThenSwap();
  FolderSnapshot temp = Walked(2);
  FolderSnapshot sub = Walked(3);
  EXPECT_TRUE(PurgeNamedFolder(Context(), "c:", temp, "TEMP", ""));
  EXPECT_TRUE(PurgeNamedFolder(Context(), "c:", sub, "sub", ""));
  ExpectOutsideIntact();
}

INSTANTIATE_TEST_SUITE_P(Containment, SwappedFolderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Forgotten") : std::string("Kept");
                         });

// c:\CACHE\RAM is a fresh tmpfs, c:\CACHE\BOUND shows the outside folder
// through a bind mount, and c:\CACHE\bound.tmp and the write-test file in the
// root show the read-only outside file lone.txt. Mounting needs root with
// CAP_SYS_ADMIN.
class ContainmentMountTest : public ContainmentTest {
 protected:
  void SetUp() override {
    ContainmentTest::SetUp();
    if (HasFatalFailure()) return;
    C().Build({{"CACHE\\junk.tmp", 1}, {"CACHE\\RAM\\"}, {"CACHE\\BOUND\\"}});
    if (mount("tidewell-test", C().Host("CACHE/RAM").c_str(), "tmpfs", 0, "size=1m") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN): " << std::strerror(errno);
    }
    mounted_.push_back(C().Host("CACHE/RAM"));
    if (mount(outside_.Host("victim").c_str(), C().Host("CACHE/BOUND").c_str(), nullptr, MS_BIND, nullptr) != 0) {
      GTEST_SKIP() << "cannot bind-mount a folder here: " << std::strerror(errno);
    }
    mounted_.push_back(C().Host("CACHE/BOUND"));
    C().Build({{"CACHE\\bound.tmp"}, {"$$$$$$$$.$$$"}});
    for (const char* file : {"CACHE/bound.tmp", "$$$$$$$$.$$$"}) {
      if (mount(outside_.Host("lone.txt").c_str(), C().Host(file).c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "cannot bind-mount a file here: " << std::strerror(errno);
      }
      mounted_.push_back(C().Host(file));
    }
    C().File("CACHE/RAM/ram.tmp", 5);
  }

  void TearDown() override {
    for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) {
      EXPECT_EQ(umount2(it->c_str(), MNT_DETACH), 0) << *it << ": " << std::strerror(errno);
    }
  }

  std::vector<std::string> mounted_;
};

TEST_F(ContainmentMountTest, ListFilesNeverEntersAMountedFileSystem) {
  EXPECT_TRUE(Paths(ListFiles(Context(), "c:", "c:\\CACHE\\RAM\\", "*.*", ListScope::OneFolder)).empty());
  EXPECT_TRUE(Paths(ListFiles(Context(), "c:", "c:\\CACHE\\BOUND\\", "*.*", ListScope::WholeSubtree)).empty());
  const std::vector<std::string> files =
      Paths(ListFiles(Context(), "c:", "c:\\", "*.*", ListScope::WholeSubtree));
  EXPECT_TRUE(AnyContains(files, "junk.tmp"));
  EXPECT_FALSE(AnyContains(files, "ram.tmp"));
  EXPECT_FALSE(AnyContains(files, "letter.doc"));
  EXPECT_FALSE(AnyContains(Paths(ListFolders(Context(), "c:", "c:\\")), "\\deep\\"));
}

TEST_F(ContainmentMountTest, PurgeLeavesMountedFileSystemsAlone) {
  EXPECT_TRUE(Purge("c:\\CACHE\\", "CACHE"));
  EXPECT_TRUE(Purge("c:\\CACHE\\BOUND\\", "BOUND"));
  DeleteMatchingFiles(Context(), "c:", "c:\\CACHE\\RAM\\", "*.*");
  EXPECT_FALSE(C().Exists("CACHE/junk.tmp"));
  EXPECT_TRUE(C().Exists("CACHE/RAM/ram.tmp"));
  ExpectOutsideIntact();
}

TEST_F(ContainmentMountTest, AttributesOnAMountedFileSystemAreNotChanged) {
  for (const char* path : {"c:\\CACHE\\BOUND", "c:\\CACHE\\BOUND\\letter.doc", "c:\\CACHE\\bound.tmp"}) {
    ChangeFileAttributes(Context(), path, "R", AttributeChange::Replace, WhenMissing::Attempt);
    ChangeFileAttributes(Context(), path, "", AttributeChange::Replace, WhenMissing::Attempt);
  }
  ExpectOutsideIntact();
}

TEST_F(ContainmentMountTest, WriteTestNeverTruncatesAMountedFile) {
  EXPECT_TRUE(world_.files.CreateEmptyFile("c:\\$$$$$$$$.$$$"));
  EXPECT_TRUE(world_.files.CreateEmptyFile("c:\\CACHE\\BOUND.TMP"));
  struct stat st {};
  ASSERT_EQ(stat(outside_.Host("lone.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 30);
  ExpectOutsideIntact();
}

// A whole destructive run, with every category on, over a drive holding
// links to a folder and a file outside, a link loop, a tmpfs and bind mounts
// in a recycle bin that is purged.
TEST_F(ContainmentMountTest, AWholeRunWithEveryCategoryOnLeavesLinksLoopsAndMountsAlone) {
  for (const Category& category : Categories()) world_.SetCategory(category.id, 1);
  C().Build({{"RECYCLED/DC1.doc", 1}, {"RECYCLED/old/DC2.doc", 1}});
  C().Link("RECYCLED/outside", outside_.Host("victim"));
  C().Link("RECYCLED/lone.tmp", outside_.Host("lone.txt"));
  C().Link("RECYCLED/loop", C().Host("RECYCLED/loop"));
  C().Folder("RECYCLED/RAM/");
  ASSERT_EQ(mount("tidewell-test", C().Host("RECYCLED/RAM").c_str(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
  mounted_.push_back(C().Host("RECYCLED/RAM"));
  C().File("RECYCLED/RAM/ram.tmp", 5);
  C().Folder("RECYCLED/BOUND/");
  ASSERT_EQ(mount(outside_.Host("victim").c_str(), C().Host("RECYCLED/BOUND").c_str(), nullptr, MS_BIND, nullptr),
            0);
  mounted_.push_back(C().Host("RECYCLED/BOUND"));

  EXPECT_EQ(RunCleaning(Context()), RunResult::Finished);

  ExpectOutsideIntact();
  EXPECT_TRUE(C().Exists("CACHE/RAM/ram.tmp"));
  EXPECT_TRUE(C().Exists("RECYCLED/RAM/ram.tmp"));
  EXPECT_FALSE(C().Exists("RECYCLED/DC1.doc"));
  EXPECT_FALSE(C().Exists("RECYCLED/old"));
  for (const char* link : {"RECYCLED/outside", "RECYCLED/lone.tmp", "RECYCLED/loop"}) {
    EXPECT_FALSE(C().Exists(link)) << link << ": a link is removed as a file, never followed";
  }
}

}  // namespace
}  // namespace tidewell
