#include "engine/deletion_primitives.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "tests/support/dos_attrib.h"
#include "tests/support/temp_drive.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::TestWorld;

#ifndef _WIN32
bool RunningAsRoot() { return geteuid() == 0; }
#endif

// A world with the given run options and a log section open, as CleanDrive
// has it during the cleaning phase. The section is open even when neither
// option asks for a log, so that a stray line would show.
class PrimitivesWorld : public TestWorld {
 public:
  PrimitivesWorld(bool testRun, bool maintainLog) {
    SetOption(RunOption::TestRun, testRun ? 1 : 0);
    SetOption(RunOption::MaintainLog, maintainLog ? 1 : 0);
    if (OpenLogSection(context, "c:")) throw std::runtime_error("cannot open the log");
  }
  testing::TempDrive& C() { return Drive('C'); }
  // The item lines so far; a test-run section holds its lines back until
  // they are flushed.
  std::vector<std::string> LogItems() {
    if (context.state.log.Flush()) throw std::runtime_error("cannot write the log");
    return TestWorld::LogItems();
  }
};

struct TestRun : PrimitivesWorld {
  TestRun() : PrimitivesWorld(true, false) {}
};
struct LoggedDeletion : PrimitivesWorld {
  LoggedDeletion() : PrimitivesWorld(false, true) {}
};
struct SilentDeletion : PrimitivesWorld {
  SilentDeletion() : PrimitivesWorld(false, false) {}
};

std::vector<std::string> Lines(std::initializer_list<std::string> lines) { return lines; }

// The named-folder actions on a folder (a full path) read afresh, as the rule
// table reads one.
bool Matches(RunContext& context, std::string_view folder, std::string_view name, std::string_view marker) {
  const FolderSnapshot snapshot(context, folder);
  return NamedFolderMatches(snapshot, name, marker);
}
void Empty(RunContext& context, std::string_view folder, std::string_view name, std::string_view marker) {
  FolderSnapshot snapshot(context, folder);
  EmptyNamedFolder(context, snapshot, name, marker);
}
bool Purge(RunContext& context, std::string_view folder, std::string_view name, std::string_view marker) {
  FolderSnapshot snapshot(context, folder);
  return PurgeNamedFolder(context, "c:", snapshot, name, marker);
}

// ---------------------------------------------------------------------------
// DeleteOneFile

TEST(DeletionPrimitivesDeleteOneFile, TestRunCountsAndLogsButLeavesTheFile) {
  TestRun world;
  world.C().Build({{"TEMP\\a.tmp", 12, "R"}});
  const auto before = testing::DriveContents(world.C());
  DeleteOneFile(world.context, "c:\\TEMP\\a.tmp");
  EXPECT_EQ(testing::DriveContents(world.C()), before);
  EXPECT_EQ(world.context.state.totals.totalBytes, 12.0f);
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\a.tmp"}));
}

TEST(DeletionPrimitivesDeleteOneFile, DestructiveRunDeletesCountsAndLogs) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 12}});
  DeleteOneFile(world.context, "c:\\TEMP\\a.tmp");
  EXPECT_FALSE(world.C().Exists("TEMP\\a.tmp"));
  EXPECT_EQ(world.context.state.totals.totalBytes, 12.0f);
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\a.tmp"}));
}

TEST(DeletionPrimitivesDeleteOneFile, WithoutMaintainLogDeletesAndCountsButWritesNoLine) {
  SilentDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 12}});
  DeleteOneFile(world.context, "c:\\TEMP\\a.tmp");
  EXPECT_FALSE(world.C().Exists("TEMP\\a.tmp"));
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_TRUE(world.LogItems().empty());
}

TEST(DeletionPrimitivesDeleteOneFile, AReadOnlyHiddenFileIsMadeWritableAndDeleted) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\.locked.tmp", 4, "R"}});
  DeleteOneFile(world.context, "c:\\TEMP\\.locked.tmp");
  EXPECT_FALSE(world.C().Exists("TEMP\\.locked.tmp"));
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\.locked.tmp"}));
}

// A test run treats a file it counted as gone, as the destructive run that
// deleted it finds it gone: the second pick counts and logs nothing.
TEST(DeletionPrimitivesDeleteOneFile, AFilePickedTwiceCountsAndLogsOnceInEitherRun) {
  for (const bool testRun : {true, false}) {
    SCOPED_TRACE(testRun ? "test run" : "destructive run");
    PrimitivesWorld world(testRun, true);
    world.C().Build({{"TEMP\\a.tmp", 10}});
    EXPECT_EQ(DeleteOneFile(world.context, "c:\\TEMP\\a.tmp"), testRun ? DeleteResult::Chosen : DeleteResult::Deleted);
    EXPECT_EQ(DeleteOneFile(world.context, "c:\\TEMP\\a.tmp"), DeleteResult::NotFound);
    EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
    EXPECT_EQ(world.context.state.totals.totalBytes, 10.0f);
    EXPECT_EQ(world.LogItems().size(), 1u);
    EXPECT_EQ(world.C().Exists("TEMP\\a.tmp"), testRun);
  }
}

TEST(DeletionPrimitivesDeleteOneFile, AMissingPathChangesNothing) {
  TestRun world;
  world.C().Build({{"TEMP\\"}});
  DeleteOneFile(world.context, "c:\\TEMP\\gone.tmp");
  DeleteOneFile(world.context, "q:\\TEMP\\gone.tmp");
  DeleteOneFile(world.context, "");
  EXPECT_EQ(world.context.state.totals.totalFiles, 0.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 0.0f);
  EXPECT_TRUE(world.LogItems().empty());
}

// What stops the deletion: on POSIX a folder without write permission; on
// Windows (where a folder's read-only attribute stops nothing) the file held
// open by another handle that does not share deletion.
TEST(DeletionPrimitivesDeleteOneFile, AFileThatCannotBeDeletedIsCountedMadeWritableAndNotLogged) {
#ifdef _WIN32
  LoggedDeletion world;
  world.C().Build({{"LOCKED\\stuck.tmp", 7, "R"}});
  const HANDLE holder = CreateFileW(testing::HostPathOf(world.C().Host("LOCKED/stuck.tmp")).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  DeleteOneFile(world.context, "c:\\LOCKED\\stuck.tmp");
  CloseHandle(holder);
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from deleting files";
  LoggedDeletion world;
  world.C().Build({{"LOCKED\\stuck.tmp", 7, "R"}});
  world.C().SetReadOnly("LOCKED");
  DeleteOneFile(world.context, "c:\\LOCKED\\stuck.tmp");
#endif
  EXPECT_TRUE(world.C().Exists("LOCKED\\stuck.tmp"));
  EXPECT_TRUE(world.C().IsWritableByOwner("LOCKED\\stuck.tmp"));
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 7.0f);
  EXPECT_TRUE(world.LogItems().empty());
}

// Only the kept record says the file is not normal (its mode is writable,
// its name visible): a deletion that fails leaves it normal all the same,
// while a file that already was normal is left without a record.
TEST(DeletionPrimitivesDeleteOneFile, AFileThatCannotBeDeletedLosesTheAttributesItsVolumeKeeps) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a folder's read-only attribute does not stop deleting the files in it";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from deleting files";
  LoggedDeletion world;
  world.C().Build({{"LOCKED/system.tmp", 5}, {"LOCKED/archived.tmp", 4}, {"LOCKED/plain.tmp", 3}});
  if (const std::string why = testing::UserXattrsUnsupported(world.C().Root()); !why.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(testing::SetDosAttrib(world.C().Host("LOCKED/system.tmp"), "0x4"));
  ASSERT_TRUE(testing::SetDosAttrib(world.C().Host("LOCKED/archived.tmp"), "0x20"));
  world.C().SetReadOnly("LOCKED");
  for (const char* name : {"system.tmp", "archived.tmp", "plain.tmp"}) {
    EXPECT_EQ(DeleteOneFile(world.context, std::string("c:\\LOCKED\\") + name), DeleteResult::Kept) << name;
  }
  EXPECT_EQ(testing::DosAttribOf(world.C().Host("LOCKED/system.tmp")), "0x0");
  EXPECT_EQ(testing::DosAttribOf(world.C().Host("LOCKED/archived.tmp")), "0x0");
  EXPECT_EQ(testing::DosAttribOf(world.C().Host("LOCKED/plain.tmp")), "(none)");
  EXPECT_EQ(world.context.state.totals.totalFiles, 3.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 12.0f);
  EXPECT_TRUE(world.LogItems().empty());
#endif
}

// A read-only file outside the drive, with a second link inside it: neither a
// test run nor a destructive run changes the outside file's bytes, mode or
// kept attributes; the destructive run removes the link inside the drive.
TEST(DeletionPrimitivesDeleteOneFile, AFileLinkedFromOutsideTheDriveLeavesTheOutsideFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "hard links and permission bits are POSIX fixtures here (Wine makes no hard links on the host)";
#else
  for (const bool testRun : {true, false}) {
    SCOPED_TRACE(testRun ? "test run" : "destructive run");
    PrimitivesWorld world(testRun, true);
    const std::string sentinel = world.Outside("sentinel.doc");
    std::ofstream(sentinel, std::ios::binary) << "bytes of the outside file";
    const bool recorded = testing::UserXattrsUnsupported(world.Outside()).empty() &&
                          testing::SetDosAttrib(sentinel, "0x1");
    ASSERT_EQ(chmod(sentinel.c_str(), 0444), 0);
    world.C().Folder("TEMP");
    ASSERT_EQ(link(sentinel.c_str(), world.C().Host("TEMP/linked.tmp").c_str()), 0);

    EXPECT_EQ(DeleteOneFile(world.context, "c:\\TEMP\\linked.tmp"),
              testRun ? DeleteResult::Chosen : DeleteResult::Deleted);
    std::ifstream in(sentinel, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "bytes of the outside file");
    EXPECT_EQ(testing::ModeOf(sentinel), 0444u);
    if (recorded) {
      EXPECT_EQ(testing::DosAttribOf(sentinel), "0x1");
    }
    EXPECT_EQ(world.C().Exists("TEMP/linked.tmp"), testRun);
    EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\linked.tmp"}));
  }
#endif
}

// The file belongs to root and the folder lets anybody remove entries: an
// unprivileged user cannot change the file's mode but can delete it. The
// deletion happens in a child process that gives up root first.
TEST(DeletionPrimitivesDeleteOneFile, AFileDeletedAfterItsAttributesCouldNotBeSetIsLogged) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a file of another owner made by a child that gives up root (fork, setuid)";
#else
  if (!RunningAsRoot()) {
    GTEST_SKIP() << "a file of another owner can only be made as root; the run as root covers this case";
  }
  LoggedDeletion world;
  world.C().Build({{"SHARED\\other.tmp", 6, "R"}});
  ASSERT_EQ(chmod(world.Base().c_str(), 0755), 0);
  ASSERT_EQ(chmod(world.C().Host("SHARED").c_str(), 0777), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    // Not in the child's power: the file's mode.
    if (world.files.SetAttributes("c:\\SHARED\\other.tmp", platform::kNormal) == std::error_code()) _exit(4);
    DeleteOneFile(world.context, "c:\\SHARED\\other.tmp");
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "3: could not give up root; 4: the attribute change did not fail";
  EXPECT_FALSE(world.C().Exists("SHARED/other.tmp"));
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\SHARED\\other.tmp"}));
#endif
}

TEST(DeletionPrimitivesDeleteOneFile, AFolderInAFilesPlaceIsCountedButNeitherRemovedNorLogged) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\dir.tmp\\inner.txt", 1}});
  DeleteOneFile(world.context, "c:\\TEMP\\dir.tmp");
  EXPECT_TRUE(world.C().Exists("TEMP\\dir.tmp\\inner.txt"));
  EXPECT_EQ(world.context.state.totals.totalFiles, 1.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 0.0f) << "a folder has no file length";
  EXPECT_TRUE(world.LogItems().empty());
}

TEST(DeletionPrimitivesDeleteOneFile, ALengthBeyondTwoGigabytesCountsInFull) {
  TestRun world;
  world.C().Build({{"TEMP\\huge.tmp", 0}});
  // A sparse file: its length costs no disk space.
  std::error_code error;
  fs::resize_file(world.C().Host("TEMP/huge.tmp"), 3ULL << 30, error);
  ASSERT_FALSE(error) << error.message();
  DeleteOneFile(world.context, "c:\\TEMP\\huge.tmp");
  EXPECT_EQ(world.context.state.totals.totalBytes, static_cast<float>(3LL << 30));
}

TEST(DeletionPrimitivesDeleteOneFile, NeverYieldsByItself) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 1}});
  DeleteOneFile(world.context, "c:\\TEMP\\a.tmp");
  EXPECT_EQ(world.feedback.yields, 0);
}

// ---------------------------------------------------------------------------
// DeleteMatchingFiles

TEST(DeletionPrimitivesDeleteMatching, DeletesOnlyMatchingFilesOfTheFolderItself) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 1}, {"TEMP\\.b.TMP", 1, "R"}, {"TEMP\\keep.doc", 1}, {"TEMP\\SUB\\c.tmp", 1}});
  DeleteMatchingFiles(world.context, "c:", "c:\\TEMP\\", "*.tmp");
  EXPECT_FALSE(world.C().Exists("TEMP\\a.tmp"));
  EXPECT_FALSE(world.C().Exists("TEMP\\.b.TMP"));
  EXPECT_TRUE(world.C().Exists("TEMP\\keep.doc"));
  EXPECT_TRUE(world.C().Exists("TEMP\\SUB\\c.tmp"));
  const std::vector<std::string> items = world.LogItems();
  EXPECT_EQ(std::set<std::string>(items.begin(), items.end()),
            (std::set<std::string>{"Delete file: c:\\TEMP\\a.tmp", "Delete file: c:\\TEMP\\.b.TMP"}));
}

TEST(DeletionPrimitivesDeleteMatching, YieldsBeforeEachFileOnTopOfTheListing) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 1}, {"TEMP\\b.tmp", 1}, {"TEMP\\c.tmp", 1}});
  ListFiles(world.context, "c:", "c:\\TEMP\\", "*.tmp", ListScope::OneFolder);
  const long listingYields = world.feedback.yields;
  world.feedback.yields = 0;
  DeleteMatchingFiles(world.context, "c:", "c:\\TEMP\\", "*.tmp");
  EXPECT_EQ(world.feedback.yields, listingYields + 3);
}

TEST(DeletionPrimitivesDeleteMatching, NeverYieldsWhenOptimised) {
  LoggedDeletion world;
  world.SetOption(RunOption::OptimisePerformance, 1);
  world.C().Build({{"TEMP\\a.tmp", 1}, {"TEMP\\b.tmp", 1}});
  DeleteMatchingFiles(world.context, "c:", "c:\\TEMP\\", "*.tmp");
  EXPECT_FALSE(world.C().Exists("TEMP\\a.tmp"));
  EXPECT_EQ(world.feedback.yields, 0);
}

// ---------------------------------------------------------------------------
// The named-folder test

TEST(DeletionPrimitivesNamedFolder, MatchesTheFoldersOwnNameInAnyCase) {
  TestWorld world;
  EXPECT_TRUE(Matches(world.context, "c:\\WINDOWS\\TEMP\\", "Temp", ""));
  EXPECT_TRUE(Matches(world.context, "c:\\temp\\", "Temp", ""));
}

TEST(DeletionPrimitivesNamedFolder, DoesNotMatchANameThatMerelyStartsOrEndsAlike) {
  TestWorld world;
  EXPECT_FALSE(Matches(world.context, "c:\\TEMPLATES\\", "Temp", ""));
  EXPECT_FALSE(Matches(world.context, "c:\\MyTemp\\", "Temp", ""));
  EXPECT_FALSE(Matches(world.context, "c:\\TEMP\\SUB\\", "Temp", ""));
}

TEST(DeletionPrimitivesNamedFolder, ANameWithBackslashesMatchesThatManyTrailingLevels) {
  TestWorld world;
  EXPECT_TRUE(Matches(world.context, "c:\\Program Files\\EUDORA\\attach\\", "Eudora\\Attach", ""));
  EXPECT_FALSE(Matches(world.context, "c:\\Eudora\\Attach\\Old\\", "Eudora\\Attach", ""));
  EXPECT_FALSE(Matches(world.context, "c:\\MyEudora\\Attach\\", "Eudora\\Attach", ""));
  EXPECT_FALSE(Matches(world.context, "c:\\Attach\\", "Eudora\\Attach", ""));
}

TEST(DeletionPrimitivesNamedFolder, WildcardsInTheNameAreLiteral) {
  TestWorld world;
  EXPECT_FALSE(Matches(world.context, "c:\\TEMP\\", "T*", ""));
  EXPECT_TRUE(Matches(world.context, "c:\\T*\\", "T*", ""));
}

TEST(DeletionPrimitivesNamedFolder, AMarkerNeedsANormalMatchingFileInTheFolderItself) {
  TestWorld world;
  world.Drive('C').Build({{"CACHE\\index.idx", 1}});
  EXPECT_TRUE(Matches(world.context, "c:\\CACHE\\", "Cache", "*.IDX"));
  EXPECT_FALSE(Matches(world.context, "c:\\CACHE\\", "Cache", "*.dat"));
}

TEST(DeletionPrimitivesNamedFolder, AMarkerIsNotSatisfiedByHiddenFilesFoldersOrDeeperFiles) {
  TestWorld world;
  world.Drive('C').Build({{"CACHE\\.index.idx", 1}, {"CACHE\\folder.idx\\"}, {"CACHE\\SUB\\deep.idx", 1}});
#ifdef _WIN32  // a leading dot hides nothing on Windows: the attribute does
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("CACHE/.index.idx"), "0x2"));
#endif
  EXPECT_FALSE(Matches(world.context, "c:\\CACHE\\", "Cache", "*.idx"));
}

TEST(DeletionPrimitivesNamedFolder, AMarkerDoesNotHelpTheWrongName) {
  TestWorld world;
  world.Drive('C').Build({{"CACHE\\index.idx", 1}});
  EXPECT_FALSE(Matches(world.context, "c:\\CACHE\\", "Temp", "*.idx"));
}

// ---------------------------------------------------------------------------
// EmptyNamedFolder

TEST(DeletionPrimitivesEmptyNamedFolder, DeletesTheFilesButLeavesSubfoldersAlone) {
  LoggedDeletion world;
  world.C().Build({{"WINDOWS\\TEMP\\a.tmp", 1}, {"WINDOWS\\TEMP\\b.log", 1}, {"WINDOWS\\TEMP\\SUB\\c.tmp", 1}});
  Empty(world.context, "c:\\WINDOWS\\TEMP\\", "Temp", "");
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\a.tmp"));
  EXPECT_FALSE(world.C().Exists("WINDOWS\\TEMP\\b.log"));
  EXPECT_TRUE(world.C().Exists("WINDOWS\\TEMP\\SUB\\c.tmp"));
  EXPECT_EQ(world.LogItems().size(), 2u);
}

TEST(DeletionPrimitivesEmptyNamedFolder, DoesNothingWithoutAVisibleMarker) {
  LoggedDeletion world;
  world.C().Build({{"CACHE\\.index.idx", 1}, {"CACHE\\page.htm", 1}});
#ifdef _WIN32  // a leading dot hides nothing on Windows: the attribute does
  ASSERT_TRUE(testing::SetDosAttrib(world.C().Host("CACHE/.index.idx"), "0x2"));
#endif
  Empty(world.context, "c:\\CACHE\\", "Cache", "*.idx");
  EXPECT_TRUE(world.C().Exists("CACHE\\page.htm"));
  EXPECT_TRUE(world.C().Exists("CACHE\\.index.idx"));
}

TEST(DeletionPrimitivesEmptyNamedFolder, WithItsMarkerDeletesEveryFileMarkerIncluded) {
  LoggedDeletion world;
  world.C().Build({{"CACHE\\index.idx", 1}, {"CACHE\\page.htm", 1}});
  Empty(world.context, "c:\\CACHE\\", "Cache", "*.idx");
  EXPECT_FALSE(world.C().Exists("CACHE\\page.htm"));
  EXPECT_FALSE(world.C().Exists("CACHE\\index.idx"));
}

// ---------------------------------------------------------------------------
// PurgeNamedFolder

TEST(DeletionPrimitivesPurge, DeletesEveryFileThenRemovesFoldersLongestPathFirst) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\top.tmp", 1}, {"TEMP\\A\\one.tmp", 1}, {"TEMP\\A\\LONGER\\two.tmp", 1},
                   {"TEMP\\BB\\three.tmp", 1}, {"TEMP\\A\\LONGER\\X\\"}});
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  const std::vector<std::string> items = world.LogItems();
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0], "Delete file: c:\\TEMP\\top.tmp");  // the folder's own files first
  EXPECT_EQ(std::set<std::string>(items.begin() + 1, items.begin() + 4),
            (std::set<std::string>{"Delete file: c:\\TEMP\\A\\one.tmp", "Delete file: c:\\TEMP\\A\\LONGER\\two.tmp",
                                   "Delete file: c:\\TEMP\\BB\\three.tmp"}));
  EXPECT_EQ(std::vector<std::string>(items.begin() + 4, items.end()),
            Lines({"Remove folder: c:\\TEMP\\A\\LONGER\\X\\", "Remove folder: c:\\TEMP\\A\\LONGER\\",
                   "Remove folder: c:\\TEMP\\BB\\", "Remove folder: c:\\TEMP\\A\\"}));
  EXPECT_EQ(world.context.state.totals.totalFiles, 4.0f);
}

TEST(DeletionPrimitivesPurge, KeepsTheNamedFolderItselfAndEmptiesIt) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\top.tmp", 1}, {"TEMP\\A\\B\\deep.tmp", 1}, {"TEMP\\.dotfile", 1}});
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  ASSERT_TRUE(world.C().Exists("TEMP"));
  EXPECT_TRUE(fs::is_empty(world.C().Host("TEMP")));
}

TEST(DeletionPrimitivesPurge, FoldersOfEqualLengthKeepTheWalksOrder) {
  TestRun world;
  for (int n = 10; n < 50; ++n) world.C().Folder("TEMP\\F" + std::to_string(n) + "\\");
  const FolderList walk = ListFolders(world.context, "c:", "c:\\TEMP\\");
  ASSERT_EQ(walk.Count(), 41);
  std::vector<std::string> expected;
  for (std::int32_t i = 2; i <= walk.Count(); ++i) expected.push_back("Remove folder: " + std::string(walk[i]));
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  EXPECT_EQ(world.LogItems(), expected);
}

TEST(DeletionPrimitivesPurge, WritesNoFolderLineWithoutSubfolders) {
  LoggedDeletion world;
  world.C().Build({{"TEMP\\a.tmp", 1}, {"TEMP\\b.tmp", 1}});
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  const std::vector<std::string> items = world.LogItems();
  EXPECT_EQ(items.size(), 2u);
  for (const std::string& item : items) EXPECT_EQ(item.rfind("Delete file: ", 0), 0u) << item;
}

TEST(DeletionPrimitivesPurge, LogsAFolderWhoseRemovalFailed) {
  LoggedDeletion world;
  // The walk never enters a dot-folder, so SUB keeps it and cannot go.
  world.C().Build({{"TEMP\\SUB\\a.tmp", 1}, {"TEMP\\SUB\\.keep\\x", 1}});
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  EXPECT_FALSE(world.C().Exists("TEMP\\SUB\\a.tmp"));
  EXPECT_TRUE(world.C().Exists("TEMP\\SUB\\.keep\\x"));
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\SUB\\a.tmp", "Remove folder: c:\\TEMP\\SUB\\"}));
}

TEST(DeletionPrimitivesPurge, WithoutMaintainLogRemovesButWritesNothing) {
  SilentDeletion world;
  world.C().Build({{"TEMP\\SUB\\a.tmp", 1}});
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  EXPECT_FALSE(world.C().Exists("TEMP\\SUB"));
  EXPECT_TRUE(world.LogItems().empty());
}

TEST(DeletionPrimitivesPurge, DoesNothingToAFolderOfAnotherName) {
  LoggedDeletion world;
  world.C().Build({{"MyTemp\\SUB\\a.tmp", 1}});
  EXPECT_FALSE(Purge(world.context, "c:\\MyTemp\\", "Temp", ""));
  EXPECT_TRUE(world.C().Exists("MyTemp\\SUB\\a.tmp"));
  EXPECT_TRUE(world.LogItems().empty());
}

// ---------------------------------------------------------------------------
// The actions keep one folder's snapshot current for the next action

TEST(DeletionPrimitivesSnapshot, DeletedFilesAndThoseATestRunChoseLeaveTheSnapshot) {
  for (bool testRun : {false, true}) {
    SCOPED_TRACE(testRun ? "test run" : "destructive run");
    PrimitivesWorld world(testRun, true);
    world.C().Build({{"TEMP\\a.tmp", 1}, {"TEMP\\b.log", 1}, {"TEMP\\SUB\\c.tmp", 1}});
    FolderSnapshot temp(world.context, "c:\\TEMP\\");
    DeleteMatchingFiles(world.context, temp, "*.tmp");
    EXPECT_EQ(temp.Find("a.tmp"), FolderSnapshot::npos);
    EXPECT_NE(temp.Find("b.log"), FolderSnapshot::npos);
    EXPECT_TRUE(PurgeNamedFolder(world.context, "c:", temp, "Temp", ""));
    EXPECT_EQ(temp.Find("b.log"), FolderSnapshot::npos);
    EXPECT_EQ(world.C().Exists("TEMP\\b.log"), testRun);
  }
}

// A file that stays after its deletion failed stays in the snapshot.
TEST(DeletionPrimitivesSnapshot, AFileWhoseDeletionFailedStays) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a folder's read-only attribute does not stop deleting the files in it";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from deleting files";
  LoggedDeletion world;
  world.C().Build({{"LOCKED\\a.tmp", 1}});
  world.C().SetReadOnly("LOCKED");
  FolderSnapshot locked(world.context, "c:\\LOCKED\\");
  DeleteMatchingFiles(world.context, locked, "*.tmp");
  EXPECT_NE(locked.Find("a.tmp"), FolderSnapshot::npos);
#endif
}

TEST(DeletionPrimitivesSnapshot, AMarkerAnEarlierRowChoseNoLongerCountsInATestRun) {
  TestRun world;
  world.C().Build({{"CACHE\\index.idx", 1}, {"CACHE\\page.htm", 1}});
  FolderSnapshot cache(world.context, "c:\\CACHE\\");
  DeleteMatchingFiles(world.context, cache, "*.idx");
  EmptyNamedFolder(world.context, cache, "Cache", "*.idx");
  EXPECT_FALSE(PurgeNamedFolder(world.context, "c:", cache, "Cache", "*.idx"));
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\CACHE\\index.idx"}));
}

TEST(DeletionPrimitivesSnapshot, AMarkerAnEarlierRowDeletedNoLongerCounts) {
  LoggedDeletion world;
  world.C().Build({{"CACHE\\index.idx", 1}, {"CACHE\\page.htm", 1}});
  FolderSnapshot cache(world.context, "c:\\CACHE\\");
  DeleteMatchingFiles(world.context, cache, "*.idx");
  EmptyNamedFolder(world.context, cache, "Cache", "*.idx");
  EXPECT_FALSE(PurgeNamedFolder(world.context, "c:", cache, "Cache", "*.idx"));
  EXPECT_FALSE(world.C().Exists("CACHE\\index.idx"));
  EXPECT_TRUE(world.C().Exists("CACHE\\page.htm"));
}

// ---------------------------------------------------------------------------
// A test run changes nothing, whatever the action

TEST(DeletionPrimitivesTestRun, ChangesNothingOnDiskButCountsAndLogsFilesAndFolders) {
  TestRun world;
  world.C().Build({{"WINDOWS\\TEMP\\a.tmp", 5, "R"},
                   {"WINDOWS\\TEMP\\SUB\\b.tmp", 6},
                   {"WINDOWS\\TEMP\\EMPTY\\"},
                   {"DATA\\c.bak", 7}});
  const auto before = testing::DriveContents(world.C());
  DeleteMatchingFiles(world.context, "c:", "c:\\DATA\\", "*.bak");
  Empty(world.context, "c:\\WINDOWS\\TEMP\\", "Temp", "");
  Purge(world.context, "c:\\WINDOWS\\TEMP\\", "Temp", "");
  EXPECT_EQ(testing::DriveContents(world.C()), before);
  EXPECT_EQ(world.LogItems(),
            Lines({"Delete file: c:\\DATA\\c.bak", "Delete file: c:\\WINDOWS\\TEMP\\a.tmp",
                   "Delete file: c:\\WINDOWS\\TEMP\\SUB\\b.tmp", "Remove folder: c:\\WINDOWS\\TEMP\\EMPTY\\",
                   "Remove folder: c:\\WINDOWS\\TEMP\\SUB\\"}));
  // The empty chose a.tmp; the purge after it finds it gone, as it would be.
  EXPECT_EQ(world.context.state.totals.totalFiles, 3.0f);
  EXPECT_EQ(world.context.state.totals.totalBytes, 7.0f + 5.0f + 6.0f);
}

// ---------------------------------------------------------------------------
// ChangeFileAttributes

// How an attribute text and a kind of change leave a file's read-only state,
// starting from a read-only or a writable file.
struct AttributeCase {
  const char* what;
  bool startsReadOnly;
  const char* text;
  AttributeChange change;
  bool endsWritable;
};

TEST(DeletionPrimitivesAttributes, TextAndChangeGiveTheExpectedReadOnlyState) {
  const AttributeCase cases[] = {
      {"letters r and h replace the attributes", false, "rh", AttributeChange::Replace, false},
      {"a leading number 3 is read-only and hidden", false, "3", AttributeChange::Replace, false},
      {"a leading number 2 wins over the letter R", true, "2R", AttributeChange::Replace, true},
      {"an empty text makes a file normal", true, "", AttributeChange::Replace, true},
      {"removing archive keeps read-only", true, "A", AttributeChange::Remove, false},
      {"removing archive keeps a writable file writable", false, "A", AttributeChange::Remove, true},
      {"removing read-only makes the file writable", true, "r", AttributeChange::Remove, true},
      {"adding hidden keeps read-only", true, "H", AttributeChange::Add, false},
      {"adding read-only makes a writable file read-only", false, "R", AttributeChange::Add, false},
  };
  for (const AttributeCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestWorld world;
    world.Drive('C').Build({{"a.txt", 1, c.startsReadOnly ? "R" : ""}});
    EXPECT_FALSE(ChangeFileAttributes(world.context, "c:\\a.txt", c.text, c.change, WhenMissing::Attempt));
    EXPECT_EQ(world.Drive('C').IsWritableByOwner("a.txt"), c.endsWritable);
  }
}

TEST(DeletionPrimitivesAttributes, AMissingPathIsSkippedWithoutError) {
  TestWorld world;
  EXPECT_FALSE(ChangeFileAttributes(world.context, "c:\\gone.txt", "R", AttributeChange::Replace, WhenMissing::Skip));
  EXPECT_FALSE(world.Drive('C').Exists("gone.txt"));
}

TEST(DeletionPrimitivesAttributes, AMissingPathIsAnErrorWhenAttempted) {
  TestWorld world;
  EXPECT_TRUE(ChangeFileAttributes(world.context, "c:\\gone.txt", "R", AttributeChange::Replace, WhenMissing::Attempt));
}

// ---------------------------------------------------------------------------
// A whole log section, byte for byte

constexpr const char* kDateLine = "Monday, December 7, 2026 @ 6:38:31 AM";

TEST(LogSection, TestRunSectionReadsExactly) {
  TestWorld world;
  world.SetOption(RunOption::TestRun, 1);
  world.Drive('C').Build({{"TEMP\\a.tmp", 3}, {"TEMP\\SUB\\b.tmp", 4}});
  ASSERT_FALSE(OpenLogSection(world.context, "c: [DRIVE_C]"));
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  ASSERT_FALSE(CloseLogSection(world.context));
  EXPECT_EQ(world.LogText(), std::string("\r\n"
                                         "TIDEWELL III LOG FILE\r\n") +
                                 kDateLine +
                                 "\r\n"
                                 "Drive C:\r\n"
                                 "[Results of NON-DESTRUCTIVE TEST RUN]\r\n"
                                 "Tidewell logged the following files for deletion,\r\n"
                                 "but did not actually delete any of these files:\r\n"
                                 "Delete file: c:\\TEMP\\a.tmp\r\n"
                                 "Delete file: c:\\TEMP\\SUB\\b.tmp\r\n"
                                 "Remove folder: c:\\TEMP\\SUB\\\r\n"
                                 "2 files DELETED\r\n");
}

TEST(LogSection, DestructiveSectionReadsExactly) {
  TestWorld world;
  world.SetOption(RunOption::MaintainLog, 1);
  world.Drive('C').Build({{"TEMP\\a.tmp", 3}, {"TEMP\\SUB\\b.tmp", 4}});
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  Purge(world.context, "c:\\TEMP\\", "Temp", "");
  ASSERT_FALSE(CloseLogSection(world.context));
  EXPECT_EQ(world.LogText(), std::string("\r\n"
                                         "TIDEWELL III LOG FILE\r\n") +
                                 kDateLine +
                                 "\r\n"
                                 "Drive C:\r\n"
                                 "[Results of DESTRUCTIVE run]\r\n"
                                 "Tidewell DELETED the following files and folders:\r\n"
                                 "Delete file: c:\\TEMP\\a.tmp\r\n"
                                 "Delete file: c:\\TEMP\\SUB\\b.tmp\r\n"
                                 "Remove folder: c:\\TEMP\\SUB\\\r\n"
                                 "2 files DELETED\r\n");
}

TEST(LogSection, AnEmptyTestRunStillWritesASectionEndingInZeroFiles) {
  TestWorld world;
  world.SetOption(RunOption::TestRun, 1);
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  ASSERT_FALSE(CloseLogSection(world.context));
  const std::vector<std::string> lines = testing::SplitCrLfLines(world.LogText());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines.back(), "0 files DELETED");
}

TEST(LogSection, TwoRunsLeaveTwoSectionsEachStartingWithAnEmptyLine) {
  TestWorld world("CD");
  world.SetOption(RunOption::TestRun, 1);
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  ASSERT_FALSE(CloseLogSection(world.context));
  const std::string first = world.LogText();
  world.context.state.totals.totalFiles = 1234.0f;
  ASSERT_FALSE(OpenLogSection(world.context, "d:"));
  ASSERT_FALSE(CloseLogSection(world.context));
  const std::string both = world.LogText();
  ASSERT_EQ(both.compare(0, first.size(), first), 0);
  const std::vector<std::string> second = testing::SplitCrLfLines(both.substr(first.size()));
  ASSERT_EQ(second.size(), 8u);
  EXPECT_EQ(second[0], "");
  EXPECT_EQ(second[3], "Drive D:");
  EXPECT_EQ(second[7], "1,234 files DELETED");
}

TEST(LogSection, ALineFeedInAFileNameStaysOnOneLine) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows names cannot hold a line feed";
#else
  TestWorld world;
  world.SetOption(RunOption::TestRun, 1);
  world.Drive('C').Build({{"TEMP\\"}});
  std::ofstream(world.Drive('C').Host("TEMP") + "/bad\nname.tmp") << "x";
  ASSERT_FALSE(OpenLogSection(world.context, "c:"));
  DeleteMatchingFiles(world.context, "c:", "c:\\TEMP\\", "*.tmp");
  ASSERT_FALSE(CloseLogSection(world.context));
  EXPECT_EQ(world.LogItems(), Lines({"Delete file: c:\\TEMP\\bad^Jname.tmp"}));
  const std::string text = world.LogText();
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "a bare line feed at " << at;
  }
#endif
}

}  // namespace
}  // namespace tidewell
