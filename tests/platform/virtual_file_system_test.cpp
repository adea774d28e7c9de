#include "platform/virtual_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/posix/folder_handle_cache.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TempDrive;
using tidewell::testing::ModeOf;
using tidewell::testing::TestWorld;

std::int64_t SizeOf(const std::string& hostPath) {
  struct stat st {};
  return lstat(hostPath.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

class VirtualFileSystemTest : public ::testing::Test {
 protected:
  TempDrive& C() { return world_.Drive('C'); }
  VirtualFileSystem& Files() { return world_.files; }

  // Names of a folder's listing, folders marked with a trailing "\".
  std::set<std::string> Listing(std::string_view folder) {
    std::set<std::string> names;
    FolderReader reader;
    EXPECT_FALSE(Files().OpenFolder(folder, reader)) << folder;
    FolderEntry entry;
    while (reader.Next(entry)) names.insert(entry.name + (entry.isFolder ? "\\" : ""));
    return names;
  }

  std::int64_t VirtualLength(std::string_view path) {
    EntryFacts facts;
    return Files().Stat(path, facts) ? -1 : facts.length;
  }

  TestWorld world_;
};

TEST_F(VirtualFileSystemTest, ResolvesEachComponentWithoutRegardToCase) {
  C().File("windows/system/vmm32.vxd", 7);
  EXPECT_EQ(VirtualLength("c:\\WINDOWS\\SYSTEM\\VMM32.VXD"), 7);
  EXPECT_EQ(Listing("C:\\Windows\\System\\"), std::set<std::string>{"vmm32.vxd"});
}

TEST_F(VirtualFileSystemTest, ExactCaseIsPreferredOverAnotherCaseVariant) {
  C().File("Temp/a.tmp", 1);
  C().File("TEMP/a.tmp", 2);
  C().File("TEMP/b.TMP", 3);
  C().File("TEMP/b.tmp", 4);
  EXPECT_EQ(VirtualLength("c:\\Temp\\a.tmp"), 1);
  EXPECT_EQ(VirtualLength("c:\\TEMP\\a.tmp"), 2);
  EXPECT_EQ(VirtualLength("c:\\TEMP\\b.tmp"), 4);
  EXPECT_FALSE(Files().RemoveFile("c:\\TEMP\\b.TMP"));
  EXPECT_TRUE(C().Exists("TEMP/b.tmp"));
  EXPECT_FALSE(C().Exists("TEMP/b.TMP"));
}

TEST_F(VirtualFileSystemTest, PathsThatCouldLeaveTheDriveAreInvalid) {
  C().File("a/b", 1);
  TempDrive outside(world_.Outside());
  outside.File("secret", 1);
  EntryFacts facts;
  for (const char* path : {"c:\\..\\outside\\secret", "c:\\a\\..\\..\\outside\\secret", "c:\\.\\a\\b",
                           "c:\\a/b", "c:\\..", "\\a\\b", "a\\b", "1:\\a\\b", ":\\a"}) {
    EXPECT_EQ(Files().Stat(path, facts), std::errc::invalid_argument) << path;
    EXPECT_EQ(Files().RemoveFile(path), std::errc::invalid_argument) << path;
  }
  EXPECT_EQ(Files().Stat("q:\\a\\b", facts), std::errc::no_such_device);
  EXPECT_TRUE(C().Exists("a/b"));
  EXPECT_TRUE(outside.Exists("secret"));
}

TEST_F(VirtualFileSystemTest, StatReportsFolderReadOnlyAndHiddenBits) {
  C().Build({{"plain.txt", 5}, {"locked.txt", 1, "R"}, {".profile", 1}, {"dir\\"}, {".cache\\"}});
  EntryFacts facts;
  const auto attributes = [&](const char* path) {
    EXPECT_FALSE(Files().Stat(path, facts)) << path;
    return facts.attributes;
  };
  EXPECT_EQ(attributes("c:\\plain.txt"), kNormal);
  EXPECT_EQ(facts.length, 5);
  EXPECT_FALSE(facts.isLink);
  EXPECT_EQ(attributes("c:\\locked.txt"), kReadOnly);
  EXPECT_EQ(attributes("c:\\.profile"), kHidden);
  EXPECT_EQ(attributes("c:\\dir"), kFolder);
  EXPECT_EQ(attributes("c:\\.CACHE\\"), kFolder | kHidden);
  EXPECT_EQ(attributes("c:"), kFolder);
  EXPECT_EQ(attributes("C:\\"), kFolder);
}

TEST_F(VirtualFileSystemTest, StatReportsALinkWithItsOwnFacts) {
  TempDrive outside(world_.Outside());
  outside.File("target.bin", 100);
  chmod(outside.Host("target.bin").c_str(), 0444);
  outside.Folder("dir");
  C().Link("file-link", outside.Host("target.bin"));
  C().Link(".dir-link", outside.Host("dir"));
  EntryFacts facts;
  ASSERT_FALSE(Files().Stat("c:\\FILE-LINK", facts));
  EXPECT_TRUE(facts.isLink);
  EXPECT_EQ(facts.attributes, kNormal);
  EXPECT_EQ(facts.length, static_cast<std::int64_t>(outside.Host("target.bin").size()));
  ASSERT_FALSE(Files().Stat("c:\\.dir-link", facts));
  EXPECT_TRUE(facts.isLink);
  EXPECT_EQ(facts.attributes, kHidden);
}

TEST_F(VirtualFileSystemTest, ReadOnlyClearsEveryWriteBit) {
  C().File("f.txt");
  C().Folder("dir");
  chmod(C().Host("f.txt").c_str(), 0666);
  chmod(C().Host("dir").c_str(), 0777);
  EXPECT_FALSE(Files().SetAttributes("c:\\F.TXT", kReadOnly | kHidden));
  EXPECT_FALSE(Files().SetAttributes("c:\\dir\\", kReadOnly));
  EXPECT_EQ(ModeOf(C().Host("f.txt")), 0444u);
  EXPECT_EQ(ModeOf(C().Host("dir")), 0555u);
}

TEST_F(VirtualFileSystemTest, OtherAttributesAddOnlyTheOwnerWriteBit) {
  C().File("f.txt");
  chmod(C().Host("f.txt").c_str(), 0444);
  EXPECT_FALSE(Files().SetAttributes("c:\\f.txt", kHidden | kSystem | kArchive));
  EXPECT_EQ(ModeOf(C().Host("f.txt")), 0644u);
  EXPECT_FALSE(Files().SetAttributes("c:\\f.txt", kNormal));
  EXPECT_EQ(ModeOf(C().Host("f.txt")), 0644u);
}

TEST_F(VirtualFileSystemTest, SetAttributesOnALinkLeavesItsTargetAlone) {
  TempDrive outside(world_.Outside());
  outside.File("locked");
  outside.File("open");
  chmod(outside.Host("locked").c_str(), 0444);
  chmod(outside.Host("open").c_str(), 0666);
  C().Link("to-locked", outside.Host("locked"));
  C().Link("to-open", outside.Host("open"));
  EXPECT_FALSE(Files().SetAttributes("c:\\to-locked", kNormal));
  EXPECT_FALSE(Files().SetAttributes("c:\\to-open", kReadOnly));
  EXPECT_EQ(ModeOf(outside.Host("locked")), 0444u);
  EXPECT_EQ(ModeOf(outside.Host("open")), 0666u);
}

TEST_F(VirtualFileSystemTest, RemoveFileNeverRemovesAFolder) {
  C().Folder("EMPTY");
  EXPECT_TRUE(Files().RemoveFile("c:\\EMPTY"));
  EXPECT_TRUE(Files().RemoveFile("c:\\"));
  EXPECT_TRUE(C().Exists("EMPTY"));
}

TEST_F(VirtualFileSystemTest, RemoveFileRemovesALinkButNotItsTarget) {
  TempDrive outside(world_.Outside());
  outside.File("keep.doc", 4);
  outside.File("dir/inner.doc", 4);
  C().Link("doc-link", outside.Host("keep.doc"));
  C().Link("dir-link", outside.Host("dir"));
  EXPECT_FALSE(Files().RemoveFile("c:\\doc-link"));
  EXPECT_FALSE(Files().RemoveFile("c:\\DIR-LINK"));
  EXPECT_FALSE(C().Exists("doc-link"));
  EXPECT_FALSE(C().Exists("dir-link"));
  EXPECT_EQ(SizeOf(outside.Host("keep.doc")), 4);
  EXPECT_EQ(SizeOf(outside.Host("dir/inner.doc")), 4);
}

TEST_F(VirtualFileSystemTest, RemoveFolderRemovesOnlyEmptyFolders) {
  C().File("full/f.txt");
  C().Folder("empty");
  EXPECT_TRUE(Files().RemoveFolder("c:\\full\\"));
  EXPECT_FALSE(Files().RemoveFolder("c:\\EMPTY\\"));
  EXPECT_TRUE(C().Exists("full/f.txt"));
  EXPECT_FALSE(C().Exists("empty"));
}

TEST_F(VirtualFileSystemTest, RemoveFolderNeverRemovesTheRoot) {
  EXPECT_TRUE(Files().RemoveFolder("c:\\"));
  EXPECT_TRUE(Files().RemoveFolder("c:"));
  EXPECT_TRUE(C().Exists(""));
}

TEST_F(VirtualFileSystemTest, RemoveFolderRefusesALinkToAnEmptyFolder) {
  TempDrive outside(world_.Outside());
  outside.Folder("empty");
  C().Link("link", outside.Host("empty"));
  EXPECT_TRUE(Files().RemoveFolder("c:\\link\\"));
  EXPECT_TRUE(C().Exists("link"));
  EXPECT_TRUE(outside.Exists("empty"));
}

TEST_F(VirtualFileSystemTest, CreateEmptyFileNeverOpensAnEntryOfThatNameInAnyCase) {
  C().File("$$$$$$$$.$$$", 10);
  EXPECT_EQ(Files().CreateEmptyFile("c:\\$$$$$$$$.$$$"), std::errc::file_exists);
  EXPECT_EQ(SizeOf(C().Host("$$$$$$$$.$$$")), 10);
  C().File("WRITE.TST", 10);
  EXPECT_EQ(Files().CreateEmptyFile("c:\\write.tst"), std::errc::file_exists);
  EXPECT_EQ(SizeOf(C().Host("WRITE.TST")), 10);
  EXPECT_FALSE(C().Exists("write.tst"));
  EXPECT_FALSE(Files().CreateEmptyFile("c:\\new.tst"));
  EXPECT_EQ(SizeOf(C().Host("new.tst")), 0);
}

TEST_F(VirtualFileSystemTest, CreateEmptyFileLeavesAFileLinkedFromOutsideWhole) {
  TempDrive outside(world_.Outside());
  outside.File("sentinel", 22);
  chmod(outside.Host("sentinel").c_str(), 0640);
  ASSERT_EQ(link(outside.Host("sentinel").c_str(), C().Host("$$$$$$$$.$$$").c_str()), 0);
  EXPECT_EQ(Files().CreateEmptyFile("c:\\$$$$$$$$.$$$"), std::errc::file_exists);
  EXPECT_EQ(SizeOf(outside.Host("sentinel")), 22);
  EXPECT_EQ(ModeOf(outside.Host("sentinel")), 0640u);
}

TEST_F(VirtualFileSystemTest, CreateEmptyFileFailsOnALinkAndLeavesItsTarget) {
  TempDrive outside(world_.Outside());
  outside.File("precious", 9);
  C().Link("$$$$$$$$.$$$", outside.Host("precious"));
  EXPECT_TRUE(Files().CreateEmptyFile("c:\\$$$$$$$$.$$$"));
  EXPECT_EQ(SizeOf(outside.Host("precious")), 9);
}

TEST_F(VirtualFileSystemTest, CreateEmptyFileFailsOnAFifoWithoutWaiting) {
  ASSERT_EQ(mkfifo(C().Host("pipe").c_str(), 0644), 0);
  EXPECT_TRUE(Files().CreateEmptyFile("c:\\pipe"));
  struct stat st {};
  ASSERT_EQ(lstat(C().Host("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(VirtualFileSystemTest, HostPathSpellsNamesAsOnDisk) {
  C().File("Windows/Temp/Report.TXT");
  const std::string root = Files().Drives().Find('C')->hostRoot;
  std::string host;
  ASSERT_FALSE(Files().HostPath("c:\\WINDOWS\\TEMP\\report.txt", host));
  EXPECT_EQ(host, root + "/Windows/Temp/Report.TXT");
  ASSERT_FALSE(Files().HostPath("c:\\windows\\NEW\\a.txt", host));
  EXPECT_EQ(host, root + "/Windows/NEW/a.txt");
}

TEST_F(VirtualFileSystemTest, FreeBytesIsWithinTheVolumeSize) {
  struct statvfs volume {};
  ASSERT_EQ(statvfs(C().Root().c_str(), &volume), 0);
  std::uint64_t bytes = 0;
  ASSERT_FALSE(Files().FreeBytes('c', bytes));
  EXPECT_GT(bytes, 0u);
  EXPECT_LE(bytes, static_cast<std::uint64_t>(volume.f_blocks) * volume.f_frsize);
  EXPECT_EQ(Files().FreeBytes('Q', bytes), std::errc::no_such_device);
}

// Creates a file or folder whose name is taken byte for byte (a "\\" is part
// of the name here, not a separator).
void MakeRawEntry(const std::string& hostFolder, const std::string& name, bool folder) {
  const std::string path = hostFolder + "/" + name;
  if (folder) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
  } else {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << path;
    close(fd);
  }
}

// A name holding "\" is no Windows name and is not there for the engine;
// every other byte sequence, control characters included, is listed exactly
// as it is on disk.
TEST_F(VirtualFileSystemTest, ListingSkipsOnlyNamesHoldingABackslash) {
  const std::vector<std::string> listed = {"\xff\xfe.tmp", "  a.tmp", "a.tmp  ", "star*.tmp", "what?.tmp",
                                           "del\x7f.tmp", "caf\xc3\xa9.tmp", std::string(251, 'n') + ".tmp",
                                           "line\nbreak.tmp", "carriage\r.tmp", "tab\t.tmp", "\x01start.tmp"};
  MakeRawEntry(C().Root(), "a\\b.tmp", false);
  MakeRawEntry(C().Root(), "folder\\name", true);
  for (const std::string& name : listed) MakeRawEntry(C().Root(), name, false);
  MakeRawEntry(C().Root(), " TEMP ", true);
  MakeRawEntry(C().Root(), "folder\nname", true);

  std::set<std::string> expected(listed.begin(), listed.end());
  expected.insert(" TEMP \\");
  expected.insert("folder\nname\\");
  EXPECT_EQ(Listing("c:\\"), expected);
}

TEST_F(VirtualFileSystemTest, APathWithControlCharactersReachesExactlyItsEntry) {
  MakeRawEntry(C().Root(), "sub\tdir", true);
  MakeRawEntry(C().Host("sub\tdir"), "inner.tmp", false);
  MakeRawEntry(C().Root(), "file\r", false);
  MakeRawEntry(C().Root(), "file", false);
  EntryFacts facts;
  EXPECT_FALSE(Files().Stat("c:\\sub\tdir\\inner.tmp", facts));
  EXPECT_FALSE(Files().RemoveFile("c:\\sub\tdir\\inner.tmp"));
  EXPECT_FALSE(Files().RemoveFile("c:\\file\r"));
  EXPECT_FALSE(C().Exists("sub\tdir/inner.tmp"));
  EXPECT_FALSE(C().Exists("file\r"));
  EXPECT_TRUE(C().Exists("file"));
}

// Leading and trailing spaces belong to the name: nothing is trimmed, and a
// name that differs only in spaces is another file.
TEST_F(VirtualFileSystemTest, SpacesAroundANameAreNeverTrimmed) {
  C().File("a.tmp", 1);
  C().File("a.tmp  ", 2);
  C().File("  a.tmp", 3);
  EXPECT_EQ(VirtualLength("c:\\a.tmp  "), 2);
  EXPECT_EQ(VirtualLength("c:\\  A.TMP"), 3);
  EXPECT_EQ(VirtualLength("c:\\a.tmp "), -1);
  EXPECT_FALSE(Files().RemoveFile("c:\\a.tmp  "));
  EXPECT_EQ(Listing("c:\\"), (std::set<std::string>{"a.tmp", "  a.tmp"}));
}

TEST_F(VirtualFileSystemTest, ListingMarksFoldersButNotLinksToFolders) {
  C().Build({{"sub\\"}, {"file.txt"}});
  C().Link("sub-link", C().Host("sub"));
  EXPECT_EQ(Listing("c:\\"), (std::set<std::string>{"sub\\", "file.txt", "sub-link"}));
  FolderReader reader;
  EXPECT_TRUE(Files().OpenFolder("c:\\sub-link\\", reader));
  EXPECT_TRUE(Files().OpenFolder("c:\\file.txt\\", reader));
  EXPECT_FALSE(reader.IsOpen());
}

TEST_F(VirtualFileSystemTest, ListingTellsHiddenFromALeadingDotAndNeverSystem) {
  C().Build({{".profile"}, {".cache\\"}, {"plain.doc"}, {"dotted.name."}, {"FOLDER\\"}});
  C().Link(".link", C().Host("plain.doc"));
  std::set<std::string> hidden;
  std::set<std::string> shown;
  FolderReader reader;
  ASSERT_FALSE(Files().OpenFolder("c:\\", reader));
  FolderEntry entry;
  entry.system = true;  // a reused entry is filled afresh
  while (reader.Next(entry)) {
    (entry.hidden ? hidden : shown).insert(entry.name);
    EXPECT_FALSE(entry.system) << entry.name;
  }
  EXPECT_EQ(hidden, (std::set<std::string>{".profile", ".cache", ".link"}));
  EXPECT_EQ(shown, (std::set<std::string>{"plain.doc", "dotted.name.", "FOLDER"}));
}

TEST_F(VirtualFileSystemTest, AMovedReaderGoesOnWhereItStoppedAndTheSourceIsClosed) {
  for (int i = 0; i < 3000; ++i) C().File("file-with-a-longer-name-" + std::to_string(i) + ".tmp");
  FolderReader first;
  ASSERT_FALSE(Files().OpenFolder("c:\\", first));
  std::set<std::string> names;
  FolderEntry entry;
  for (int i = 0; i < 1000 && first.Next(entry); ++i) names.insert(entry.name);
  FolderReader second(std::move(first));
  EXPECT_FALSE(first.IsOpen());
  EXPECT_FALSE(first.Next(entry));
  FolderReader third;
  third = std::move(second);
  while (third.Next(entry)) EXPECT_TRUE(names.insert(entry.name).second) << "listed twice: " << entry.name;
  EXPECT_EQ(names.size(), 3000u) << "every entry once, across the blocks of the listing";
}

// Where the drive's file system fills each listing read until the next
// entry does not fit, a read that leaves room for the longest name is the
// last one made; every entry must still be listed, whatever room the last
// read leaves: none, just too little for a longest name, just enough. On
// other file systems reads go on until one finds nothing.
TEST_F(VirtualFileSystemTest, AListingEndsWhereTheFolderDoesWhateverRoomItsReadsLeave) {
  // Entries of 12-byte names take 32 bytes each: about 1020 fill a block.
  for (int count = 1004; count <= 1024; ++count) {
    const std::string folder = "F" + std::to_string(count) + "\\";
    std::set<std::string> expected;
    for (int i = 0; i < count; ++i) {
      std::string name = std::to_string(100000000000LL + i);  // 12 digits
      C().File(folder + name);
      expected.insert(name);
    }
    if (count % 3 == 0) {
      const std::string longest(255, 'L');
      C().File(folder + longest);
      expected.insert(longest);
    }
    EXPECT_EQ(Listing("c:\\" + folder), expected) << count << " entries";
  }
}

// <root>/<name>/<name>/... `depth` levels down, built and removed one
// descriptor at a time: the whole host path is far too long for any single
// system call, the recursive removal of the temporary folder included.
class DeepChain {
 public:
  DeepChain(std::string root, std::string name, int depth)
      : root_(std::move(root)), name_(std::move(name)), depth_(depth) {
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth_ && fd >= 0; ++i) {
      mkdirat(fd, name_.c_str(), 0755);
      const int next = openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      close(fd);
      fd = next;
      if (fd >= 0) built_ = i + 1;
    }
    if (fd >= 0) close(fd);
  }

  // Walks down, then climbs back through ".." removing each level and any
  // files left in it.
  ~DeepChain() {
    int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < built_ && fd >= 0; ++i) {
      const int next = openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      close(fd);
      fd = next;
    }
    if (fd >= 0) unlinkat(fd, "bottom.tmp", 0);
    for (int i = 0; i < built_ && fd >= 0; ++i) {
      const int up = openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      close(fd);
      fd = up;
      if (fd >= 0) unlinkat(fd, name_.c_str(), AT_REMOVEDIR);
    }
    if (fd >= 0) close(fd);
  }

  int Built() const { return built_; }

 private:
  std::string root_;
  std::string name_;
  int depth_;
  int built_ = 0;
};

// The chain goes after the file system has let go of its open folders, so
// that even a descriptor leak in the cache cannot keep it from being removed.
class DeepFolderTest : public VirtualFileSystemTest {
 protected:
  void TearDown() override {
    Files().ForgetOpenFolders();
    chain_.reset();
  }

  std::optional<DeepChain> chain_;
};

TEST_F(DeepFolderTest, FolderThousandsOfLevelsDeepIsReachable) {
  constexpr int kDepth = 3000;
  const std::string name = "LEVEL-" + std::string(10, 'x');
  chain_.emplace(C().Root(), name, kDepth);
  ASSERT_EQ(chain_->Built(), kDepth);
  std::string folder = "c:\\";
  for (int i = 0; i < kDepth; ++i) folder.append(name).push_back('\\');
  ASSERT_GT(folder.size(), 10u * PATH_MAX);

  EXPECT_FALSE(Files().CreateEmptyFile(folder + "bottom.tmp"));
  EXPECT_EQ(Listing(folder), std::set<std::string>{"bottom.tmp"});
  EntryFacts facts;
  EXPECT_FALSE(Files().Stat(folder + "BOTTOM.TMP", facts));
  Files().ForgetOpenFolders();
  EXPECT_FALSE(Files().Stat(folder + "bottom.tmp", facts));
  EXPECT_FALSE(Files().RemoveFile(folder + "bottom.tmp"));
  EXPECT_TRUE(Listing(folder).empty());
  EXPECT_EQ(Listing(folder.substr(0, folder.size() - name.size() - 1)), std::set<std::string>{name + "\\"});
}

TEST_F(VirtualFileSystemTest, ForgetOpenFoldersSeesAFolderReplacedOnDisk) {
  C().File("A/B/old.tmp", 1);
  EXPECT_EQ(Listing("c:\\A\\B\\"), std::set<std::string>{"old.tmp"});
  ASSERT_EQ(rename(C().Host("A").c_str(), C().Host("A-before").c_str()), 0);
  C().File("A/B/new.tmp", 2);
  Files().ForgetOpenFolders();
  EXPECT_EQ(Listing("c:\\A\\B\\"), std::set<std::string>{"new.tmp"});
  EXPECT_EQ(VirtualLength("c:\\A\\B\\new.tmp"), 2);
}

TEST_F(VirtualFileSystemTest, FolderRemovedAndMadeAgainIsSeenFresh) {
  C().File("A/B/f.tmp", 1);
  EXPECT_EQ(VirtualLength("c:\\a\\b\\f.tmp"), 1);
  ASSERT_FALSE(Files().RemoveFile("c:\\a\\b\\f.tmp"));
  ASSERT_FALSE(Files().RemoveFolder("c:\\A\\B\\"));
  C().File("A/B/g.tmp", 3);
  EXPECT_EQ(VirtualLength("c:\\a\\b\\g.tmp"), 3);
  EXPECT_EQ(Listing("c:\\a\\b\\"), std::set<std::string>{"g.tmp"});
}

}  // namespace
}  // namespace tidewell::platform
