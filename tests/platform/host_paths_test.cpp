// Host paths of the program's own files: joining, and what counts as there.
#include "platform/host_paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
TEST(JoinHostPath, PutsOneSeparatorBetweenFolderAndName) {
  EXPECT_EQ(JoinHostPath("/srv/tidewell", "Tidewell.log"), "/srv/tidewell/Tidewell.log");
  EXPECT_EQ(JoinHostPath("/srv/tidewell/", "Tidewell.log"), "/srv/tidewell/Tidewell.log");
  EXPECT_EQ(JoinHostPath("/srv/tidewell///", "Tidewell.log"), "/srv/tidewell/Tidewell.log");
  EXPECT_EQ(JoinHostPath("/", "Tidewell.log"), "/Tidewell.log");
  EXPECT_EQ(JoinHostPath("//", "Tidewell.log"), "/Tidewell.log");
  EXPECT_EQ(JoinHostPath("relative", "Tidewell.log"), "relative/Tidewell.log");
}

TEST(JoinHostPath, KeepsTheNameWholeAndAnEmptyFolderAddsNothing) {
  EXPECT_EQ(JoinHostPath("/home/ann/.config", "Tidewell/Tidewell.ini"), "/home/ann/.config/Tidewell/Tidewell.ini");
  EXPECT_EQ(JoinHostPath("", "Tidewell.log"), "Tidewell.log");
  EXPECT_EQ(JoinHostPath("/srv", " spaced name "), "/srv/ spaced name ");
  EXPECT_EQ(JoinHostPath("/srv", ""), "/srv/");
}
#else
// On Windows "\\" separates and "/" in a name becomes one; a drive's root
// keeps its separator.
TEST(JoinHostPath, PutsOneBackslashBetweenFolderAndName) {
  EXPECT_EQ(JoinHostPath("C:\\Tidewell", "Tidewell.log"), "C:\\Tidewell\\Tidewell.log");
  EXPECT_EQ(JoinHostPath("C:\\Tidewell\\\\", "Tidewell.log"), "C:\\Tidewell\\Tidewell.log");
  EXPECT_EQ(JoinHostPath("C:/Tidewell/", "Tidewell.log"), "C:/Tidewell\\Tidewell.log");
  EXPECT_EQ(JoinHostPath("C:\\", "Tidewell.log"), "C:\\Tidewell.log");
  EXPECT_EQ(JoinHostPath("relative", "Tidewell.log"), "relative\\Tidewell.log");
}

TEST(JoinHostPath, TurnsSlashesInTheNameIntoBackslashesAndAnEmptyFolderAddsNothing) {
  EXPECT_EQ(JoinHostPath("C:\\Users\\ann", "Tidewell/Tidewell.ini"), "C:\\Users\\ann\\Tidewell\\Tidewell.ini");
  EXPECT_EQ(JoinHostPath("", "Tidewell.log"), "Tidewell.log");
  EXPECT_EQ(JoinHostPath("C:\\srv", " spaced name "), "C:\\srv\\ spaced name ");
}
#endif

// The name a path ends in, by the host's separators: on Windows "\" and "/",
// on POSIX only "/" (a backslash is part of a name there).
TEST(HostNameOf, IsWhatFollowsTheLastSeparator) {
  const testing::TempFolder temp;
  const std::string& folder = temp.Path();
  EXPECT_EQ(HostNameOf(JoinHostPath(folder, "Tidewell/Tidewell.ini")), "Tidewell.ini");
  EXPECT_EQ(HostNameOf("Tidewell.ini"), "Tidewell.ini");
  EXPECT_EQ(HostNameOf(JoinHostPath(folder, "")), "");
#ifdef _WIN32
  EXPECT_EQ(HostNameOf("C:\\Users/ann\\Tidewell.ini"), "Tidewell.ini");
  EXPECT_EQ(HostNameOf("C:/Users\\ann/Tidewell.ini"), "Tidewell.ini");
#else
  EXPECT_EQ(HostNameOf("/srv/odd\\name.ini"), "odd\\name.ini");
#endif
}

class HostFileExistsTest : public ::testing::Test {
 protected:
  std::string At(const std::string& name) const { return JoinHostPath(folder_.Path(), name); }
  testing::TempFolder folder_;
};

#ifndef _WIN32
TEST_F(HostFileExistsTest, AnyEntryCountsAndALinkIsNotFollowed) {
  std::ofstream(At("file.txt")) << "text";
  fs::create_directory(At("folder"));
  fs::create_symlink(At("missing"), At("dangling"));
  fs::create_symlink(At("file.txt"), At("to-file"));
  ASSERT_EQ(mkfifo(At("fifo").c_str(), 0600), 0);
  for (const char* name : {"file.txt", "folder", "dangling", "to-file", "fifo"}) {
    EXPECT_TRUE(HostFileExists(At(name))) << name;
  }
  EXPECT_FALSE(HostFileExists(At("missing")));
  EXPECT_FALSE(HostFileExists(At("file.txt/inside")));
  EXPECT_FALSE(HostFileExists(""));
}

TEST_F(HostFileExistsTest, ARegularFileIsOneThroughALinkButNothingElseIs) {
  std::ofstream(At("file.txt")) << "text";
  fs::create_directory(At("folder"));
  fs::create_symlink(At("missing"), At("dangling"));
  fs::create_symlink(At("file.txt"), At("to-file"));
  fs::create_symlink(At("folder"), At("to-folder"));
  ASSERT_EQ(mkfifo(At("fifo").c_str(), 0600), 0);
  EXPECT_TRUE(HostRegularFileExists(At("file.txt")));
  EXPECT_TRUE(HostRegularFileExists(At("to-file")));
  for (const char* name : {"folder", "dangling", "to-folder", "fifo", "missing"}) {
    EXPECT_FALSE(HostRegularFileExists(At(name))) << name;
  }
}
#else
// Links and FIFOs are POSIX fixtures; on Windows a file and a folder stand
// for what is there.
TEST_F(HostFileExistsTest, AFileOrAFolderCountsAndOnlyAFileIsARegularFile) {
  std::ofstream(At("file.txt")) << "text";
  fs::create_directory(At("folder"));
  EXPECT_TRUE(HostFileExists(At("file.txt")));
  EXPECT_TRUE(HostFileExists(At("folder")));
  EXPECT_FALSE(HostFileExists(At("missing")));
  EXPECT_FALSE(HostFileExists(At("file.txt/inside")));
  EXPECT_FALSE(HostFileExists(""));
  EXPECT_TRUE(HostRegularFileExists(At("file.txt")));
  for (const char* name : {"folder", "missing"}) {
    EXPECT_FALSE(HostRegularFileExists(At(name))) << name;
  }
}
#endif

}  // namespace
}  // namespace tidewell::platform
