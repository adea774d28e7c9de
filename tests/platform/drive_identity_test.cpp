// A drive is the folder that was checked when the table was loaded, and never
// the host's root or one of its system folders, however it is reached.
//
// The host's real system folders are only looked at (opened for their
// identity); every mapping, link and bind mount here reaches sentinel folders
// made in the test's own temporary folder, which stand in for the system's.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/drive_table.h"
#include "platform/posix/folder_identity.h"
#include "platform/virtual_file_system.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using tidewell::testing::TempFolder;

// Why the folder at `path` may not be a drive, or nullopt.
std::optional<std::string> VerdictOn(const std::string& path, const SystemFolders& folders) {
  const int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return "cannot open " + path;
  std::optional<std::string> verdict = ForbiddenDriveRoot(fd, folders);
  close(fd);
  return verdict;
}

TEST(HostSystemFoldersTest, TheHostsOwnFoldersAreRefusedAndOrdinaryOnesAreNot) {
  const SystemFolders host = HostSystemFolders();
  EXPECT_EQ(VerdictOn("/", host), std::optional<std::string>("the host's root folder \"/\""));
  for (const char* system : {"/usr", "/etc", "/var"}) {
    const std::optional<std::string> verdict = VerdictOn(system, host);
    ASSERT_TRUE(verdict.has_value()) << system;
    EXPECT_NE(verdict->find("the system folder"), std::string::npos) << *verdict;
  }
  // Inside /proc, /sys and /dev: pseudo file systems, or the /dev tree.
  for (const char* inside : {"/proc/self", "/sys/kernel", "/dev/pts"}) {
    if (access(inside, F_OK) != 0) continue;
    EXPECT_TRUE(VerdictOn(inside, host).has_value()) << inside;
  }
  if (access("/dev/shm", F_OK) == 0) {
    EXPECT_EQ(VerdictOn("/dev/shm", host), std::nullopt);
  }
  const TempFolder temp;
  EXPECT_EQ(VerdictOn(temp.Path(), host), std::nullopt);
}

// A sentinel "host": <base>/host with usr/, dev/ and dev/shm/ in it, given
// to the test's drive table (and through it to each VirtualFileSystem made
// from it) in the place of the system folders; drives are mapped onto links
// and mounts that reach it.
class DriveIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = temp_.ResolvedPath();
    for (const char* folder : {"/host/usr", "/host/dev/shm/work", "/host/dev/pts", "/drives/e", "/mnt", "/mnt2"}) {
      fs::create_directories(base_ + folder);
    }
    WriteFile(base_ + "/host/usr/junk.tmp", "system file");
    table_ = SentinelTable();
  }
  void TearDown() override {
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
  }

  std::string Host(const std::string& below = {}) const { return base_ + "/host" + below; }

  // An empty table that refuses the sentinel folders instead of the host's.
  DriveTable SentinelTable() const {
    return DriveTable(SystemFolders{{Host(), Host("/usr")}, {Host("/dev")}, {Host("/dev/shm")}});
  }

  static void WriteFile(const std::string& path, const std::string& text) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
  }

  // Bind-mounts `source` on `target`, or says why the test cannot.
  bool Bind(const std::string& source, const std::string& target) {
    if (mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      why_ = std::string("bind mounts are not allowed here: ") + std::strerror(errno);
      return false;
    }
    mounts_.push_back(target);
    return true;
  }

  // Adds one mapping and returns its problem text ("" when accepted).
  std::string MapE(const std::string& folder) {
    std::optional<std::string> problem = table_.Add('E', folder);
    return problem.value_or("");
  }

  TempFolder temp_;
  std::string base_;
  std::vector<std::string> mounts_;
  std::string why_;
  DriveTable table_;
};

TEST_F(DriveIdentityTest, AMappingReachingASystemFolderThroughALinkIsRefused) {
  ASSERT_EQ(symlink(Host().c_str(), (base_ + "/to-root").c_str()), 0);
  ASSERT_EQ(symlink(Host("/usr").c_str(), (base_ + "/to-usr").c_str()), 0);
  EXPECT_NE(MapE(base_ + "/to-root").find("which is the host's root folder"), std::string::npos);
  EXPECT_NE(MapE(base_ + "/to-usr").find("which is the system folder \"" + Host("/usr") + "\""), std::string::npos);
  EXPECT_NE(MapE(Host("/dev/pts")).find("inside the system folder \"" + Host("/dev") + "\""), std::string::npos);
  // Several folders up: each one on the way is compared, the first met decides.
  fs::create_directories(Host("/dev/pts/a/b"));
  EXPECT_NE(MapE(Host("/dev/pts/a/b")).find("inside the system folder \"" + Host("/dev") + "\""), std::string::npos);
  EXPECT_TRUE(table_.Empty());
  fs::create_directories(Host("/dev/shm/work/x/y"));
  EXPECT_EQ(MapE(Host("/dev/shm/work/x/y")), "") << "below the shared-memory folder, however deep";
  table_ = SentinelTable();
  EXPECT_EQ(MapE(Host("/dev/shm/work")), "") << "the shared-memory folder may hold a drive";
  ASSERT_NE(table_.Find('E'), nullptr);
  EXPECT_TRUE(table_.Find('E')->identity.has_value());
}

TEST_F(DriveIdentityTest, ABindMountOfTheRootIsRefusedAndSoIsOneFolderUnderTwoLetters) {
  if (!Bind(Host(), base_ + "/mnt")) GTEST_SKIP() << why_;
  EXPECT_NE(MapE(base_ + "/mnt").find("which is the host's root folder"), std::string::npos);
  EXPECT_EQ(table_.Find('E'), nullptr);

  ASSERT_FALSE(table_.Add('C', base_ + "/drives/e").has_value());
  ASSERT_TRUE(Bind(base_ + "/drives/e", base_ + "/mnt2"));
  const std::string problem = table_.Add('D', base_ + "/mnt2").value_or("");
  EXPECT_NE(problem.find("names the same folder as drive C:"), std::string::npos) << problem;
}

TEST_F(DriveIdentityTest, ARootSwappedForALinkAfterLoadingIsRefusedOnceAndStaysRefused) {
  const std::string e = base_ + "/drives/e";
  WriteFile(e + "/mine.tmp", "drive file");
  ASSERT_EQ(MapE(e), "");
  VirtualFileSystem files(table_);
  std::vector<std::string> told;
  files.OnDriveRefused([&](const std::string& why) { told.push_back(why); });

  ASSERT_EQ(rename(e.c_str(), (base_ + "/drives/e-away").c_str()), 0);
  ASSERT_EQ(symlink(Host().c_str(), e.c_str()), 0);
  EntryFacts facts;
  EXPECT_EQ(files.Stat("e:\\", facts), std::errc::no_such_device);
  EXPECT_EQ(files.RemoveFile("e:\\usr\\junk.tmp"), std::errc::no_such_device);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("drive E: (\"" + e + "\") is not cleaned: its path leads through a link now"),
            std::string::npos) << told[0];

  // Put back, the drive stays refused for this object's life.
  ASSERT_EQ(unlink(e.c_str()), 0);
  ASSERT_EQ(rename((base_ + "/drives/e-away").c_str(), e.c_str()), 0);
  EXPECT_EQ(files.Stat("e:\\mine.tmp", facts), std::errc::no_such_device);
  EXPECT_EQ(told.size(), 1u) << "told once";
  EXPECT_TRUE(fs::exists(Host("/usr/junk.tmp")));
}

// Where openat2 is missing (an old kernel, a sandbox) the root is opened one
// folder at a time, and a link anywhere on its path is refused all the same.
TEST_F(DriveIdentityTest, WithoutOpenat2ARootWhosePathNowLeadsThroughALinkIsRefused) {
  fs::create_directories(base_ + "/drives/deep/e");
  WriteFile(base_ + "/drives/deep/e/mine.tmp", "drive file");
  ASSERT_EQ(MapE(base_ + "/drives/deep/e"), "");
  VirtualFileSystem files(table_, PathResolution::OneFolderAtATime);
  std::vector<std::string> told;
  files.OnDriveRefused([&](const std::string& why) { told.push_back(why); });
  EntryFacts facts;
  ASSERT_FALSE(files.Stat("e:\\mine.tmp", facts)) << "the drive works before the swap";
  files.ForgetOpenFolders();

  // A folder above the root swapped for a link to a look-alike tree.
  VirtualFileSystem later(table_, PathResolution::OneFolderAtATime);
  later.OnDriveRefused([&](const std::string& why) { told.push_back(why); });
  fs::create_directories(Host("/e"));
  WriteFile(Host("/e/mine.tmp"), "outside file");
  ASSERT_EQ(rename((base_ + "/drives/deep").c_str(), (base_ + "/drives/deep-away").c_str()), 0);
  ASSERT_EQ(symlink(Host().c_str(), (base_ + "/drives/deep").c_str()), 0);
  EXPECT_EQ(later.RemoveFile("e:\\mine.tmp"), std::errc::no_such_device);
  EXPECT_TRUE(fs::exists(Host("/e/mine.tmp")));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("its path leads through a link now"), std::string::npos) << told[0];
}

TEST_F(DriveIdentityTest, ARootReplacedByAnotherFolderAfterLoadingIsRefused) {
  const std::string e = base_ + "/drives/e";
  ASSERT_EQ(MapE(e), "");
  VirtualFileSystem files(table_);
  std::string told;
  files.OnDriveRefused([&](const std::string& why) { told = why; });
  ASSERT_EQ(rename(e.c_str(), (base_ + "/drives/e-away").c_str()), 0);
  fs::create_directories(e);
  WriteFile(e + "/other.tmp", "another folder's file");

  EXPECT_EQ(files.RemoveFile("e:\\other.tmp"), std::errc::no_such_device);
  EXPECT_TRUE(fs::exists(e + "/other.tmp"));
  EXPECT_NE(told.find("no longer the folder that was checked"), std::string::npos) << told;
}

TEST_F(DriveIdentityTest, AFolderMissingAtLoadMayAppearOnlyAsARealFolderThatIsNoSystemFolder) {
  // Three drives missing at load: one appears as a real folder, one as a
  // link to the sentinel root, one behind a parent that became a link.
  ASSERT_TRUE(table_.Add('E', base_ + "/later/e").has_value()) << "a missing folder is reported";
  ASSERT_TRUE(table_.Add('F', base_ + "/later/f").has_value());
  ASSERT_TRUE(table_.Add('G', base_ + "/gone/g").has_value());
  VirtualFileSystem files(table_);
  std::vector<std::string> told;
  files.OnDriveRefused([&](const std::string& why) { told.push_back(why); });
  EntryFacts facts;
  EXPECT_EQ(files.Stat("e:\\", facts), std::errc::no_such_file_or_directory) << "no disk yet";

  fs::create_directories(base_ + "/later/e");
  WriteFile(base_ + "/later/e/junk.tmp", "drive file");
  ASSERT_EQ(symlink(Host().c_str(), (base_ + "/later/f").c_str()), 0);
  ASSERT_EQ(symlink(Host().c_str(), (base_ + "/gone").c_str()), 0);
  fs::create_directories(Host("/g"));
  WriteFile(Host("/g/junk.tmp"), "outside file");

  EXPECT_FALSE(files.RemoveFile("e:\\junk.tmp")) << "a real folder that appeared is a drive";
  EXPECT_EQ(files.RemoveFile("f:\\usr\\junk.tmp"), std::errc::no_such_device);
  EXPECT_EQ(files.RemoveFile("g:\\junk.tmp"), std::errc::no_such_device);
  EXPECT_TRUE(fs::exists(Host("/usr/junk.tmp")));
  EXPECT_TRUE(fs::exists(Host("/g/junk.tmp")));
  EXPECT_EQ(told.size(), 2u);
}

TEST_F(DriveIdentityTest, AFolderMissingAtLoadThatAppearsAsABindMountOfTheRootIsRefused) {
  const std::string e = base_ + "/later-e";
  ASSERT_TRUE(table_.Add('E', e).has_value());
  VirtualFileSystem files(table_);
  std::string told;
  files.OnDriveRefused([&](const std::string& why) { told = why; });
  fs::create_directories(e);
  if (!Bind(Host(), e)) GTEST_SKIP() << why_;
  EXPECT_EQ(files.RemoveFile("e:\\usr\\junk.tmp"), std::errc::no_such_device);
  EXPECT_TRUE(fs::exists(Host("/usr/junk.tmp")));
  EXPECT_NE(told.find("it is the host's root folder"), std::string::npos) << told;
}

TEST_F(DriveIdentityTest, SparedFoldersAreNeverEnteredChangedOrRemovedByAnyPath) {
  const std::string e = base_ + "/drives/e";
  fs::create_directories(e + "/TOOLS/SUB");
  fs::create_directories(e + "/RECORDS");
  WriteFile(e + "/TOOLS/Tidewell.txt", "report");
  WriteFile(e + "/other.tmp", "junk");
  ASSERT_EQ(MapE(e), "");
  VirtualFileSystem files(table_);
  // Named by paths that do not lie on the drive's mapping at all.
  ASSERT_EQ(symlink((e + "/TOOLS").c_str(), (base_ + "/program").c_str()), 0);
  ASSERT_EQ(symlink((e + "/RECORDS").c_str(), (base_ + "/records").c_str()), 0);
  files.SpareFolders({base_ + "/program", base_ + "/records", base_ + "/missing"});

  FolderReader reader;
  EXPECT_EQ(files.OpenFolder("e:\\TOOLS\\", reader), std::errc::permission_denied);
  EXPECT_EQ(files.OpenFolder("e:\\tools\\SUB\\", reader), std::errc::permission_denied);
  EXPECT_EQ(files.RemoveFile("e:\\TOOLS\\Tidewell.txt"), std::errc::permission_denied);
  EXPECT_EQ(files.RemoveFolder("e:\\RECORDS\\"), std::errc::permission_denied) << "even when empty";
  EXPECT_TRUE(fs::exists(e + "/TOOLS/Tidewell.txt"));
  EXPECT_TRUE(fs::exists(e + "/RECORDS"));
  EXPECT_FALSE(files.RemoveFile("e:\\other.tmp")) << "the rest of the drive is not spared";

  // A drive whose root is spared is never changed at all.
  files.SpareFolders({e});
  WriteFile(e + "/again.tmp", "junk");
  EXPECT_EQ(files.RemoveFile("e:\\again.tmp"), std::errc::permission_denied);
  EXPECT_EQ(files.CreateEmptyFile("e:\\new.tmp"), std::errc::permission_denied);
  EXPECT_TRUE(fs::exists(e + "/again.tmp"));
  EXPECT_FALSE(fs::exists(e + "/new.tmp"));
}

}  // namespace
}  // namespace tidewell::platform
