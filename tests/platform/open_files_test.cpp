// What running processes use, as the in-use snapshot sees it: real child
// processes holding real files and folders in a temporary folder.
#include "platform/open_files.h"

#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/background_child.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::BackgroundChild;
namespace fs = std::filesystem;

bool InUse(const OpenFiles& files, const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return files.Contains(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
}

class OpenFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = temp_.Path();
    std::ofstream(base_ + "/mapped.dat") << "mapped by a child";
    std::ofstream(base_ + "/idle.dat") << "used by nobody";
    fs::create_directory(base_ + "/workdir");
    fs::create_directory(base_ + "/idle");
    fs::copy_file("/bin/sleep", base_ + "/runner.exe");
    fs::permissions(base_ + "/runner.exe", fs::perms::owner_all);
  }

  tidewell::testing::TempFolder temp_;
  std::string base_;
};

// Windows refuses to delete all three; none of them is open in any
// descriptor table.
TEST_F(OpenFilesTest, AMappedFileARunningProgramAndAWorkingFolderAreInUseUntilTheProcessesEnd) {
  BackgroundChild mapper = BackgroundChild::MapFile(base_ + "/mapped.dat");
  ASSERT_EQ(mapper.Error(), "");
  BackgroundChild runner = BackgroundChild::Run(base_ + "/runner.exe", {"600"});
  if (!runner.Error().empty()) GTEST_SKIP() << "cannot run a program from the temporary folder: " << runner.Error();
  BackgroundChild worker = BackgroundChild::Run("/bin/sleep", {"600"}, base_ + "/workdir");
  ASSERT_EQ(worker.Error(), "");

  const OpenFiles held = OpenFiles::Scan();
  EXPECT_TRUE(InUse(held, base_ + "/mapped.dat"));
  EXPECT_TRUE(InUse(held, base_ + "/runner.exe"));
  EXPECT_TRUE(InUse(held, base_ + "/workdir"));
  EXPECT_FALSE(InUse(held, base_ + "/idle.dat"));
  EXPECT_FALSE(InUse(held, base_ + "/idle"));

  mapper.Stop();
  runner.Stop();
  worker.Stop();
  const OpenFiles after = OpenFiles::Scan();
  for (const char* name : {"/mapped.dat", "/runner.exe", "/workdir"}) {
    EXPECT_FALSE(InUse(after, base_ + name)) << name;
  }
}

// The cleaner walks a drive with its folders open; that must not make them
// in use, or no empty folder could ever be removed.
TEST_F(OpenFilesTest, AFolderOpenAsADescriptorIsNotInUseButAnOpenFileIs) {
  std::ifstream open(base_ + "/idle.dat");
  DIR* folder = opendir((base_ + "/idle").c_str());
  ASSERT_NE(folder, nullptr);
  const OpenFiles held = OpenFiles::Scan();
  closedir(folder);
  EXPECT_TRUE(InUse(held, base_ + "/idle.dat"));
  EXPECT_FALSE(InUse(held, base_ + "/idle"));
}

}  // namespace
}  // namespace tidewell::platform
