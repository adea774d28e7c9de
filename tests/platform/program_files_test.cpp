// Where the program finds its shipped files and writes its records: beside
// the executable, or in an installation's share/tidewell, on real folders
// laid out as a build folder and as an installed prefix.
#include "platform/program_files.h"

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/host_paths.h"
#include "platform/process_facts.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

void MakeFolder(const std::string& path) { ASSERT_FALSE(CreatePrivateFolders(path)) << path; }

void MakeFile(const std::string& path, const std::string& text) {
  MakeFolder(HostFolderOf(path));
  std::ofstream(path) << text;
}

using testing::ScopedVariable;

// <base>/root/usr/bin beside <base>/root/usr/share/tidewell, as
// `dpkg -x` unpacks the package, and the user's data folder in <base>/data.
class InstalledLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolder(bin_);
    MakeFolder(share_);
  }
  testing::TempFolder base_;
  std::string bin_ = base_.Path() + "/root/usr/bin";
  std::string share_ = base_.Path() + "/root/usr/share/tidewell";
  std::string data_ = base_.Path() + "/data";
};

TEST_F(InstalledLayout, ShippedFilesComeFromShareWhenNotBesideTheExecutable) {
  MakeFile(share_ + "/Tidewell1.avi", "clip");
  MakeFile(share_ + "/help/index.html", "page");
  EXPECT_EQ(InstalledDataFolder(bin_), base_.Path() + "/root/usr/share/tidewell");
  EXPECT_EQ(ProgramDataFile(bin_, "Tidewell1.avi"), share_ + "/Tidewell1.avi");
  EXPECT_EQ(ProgramDataFile(bin_, "help/index.html"), share_ + "/help/index.html");
  // A trailing separator on the program folder changes nothing.
  EXPECT_EQ(ProgramDataFile(bin_ + "/", "Tidewell1.avi"), share_ + "/Tidewell1.avi");
}

TEST_F(InstalledLayout, AFileBesideTheExecutableWinsAndAMissingOneIsLookedForThere) {
  MakeFile(share_ + "/Tidewell2.wav", "installed");
  MakeFile(bin_ + "/Tidewell2.wav", "beside");
  EXPECT_EQ(ProgramDataFile(bin_, "Tidewell2.wav"), bin_ + "/Tidewell2.wav");
  // Found nowhere: the path beside the executable, which its user finds missing.
  EXPECT_EQ(ProgramDataFile(bin_, "Tidewell1.wav"), bin_ + "/Tidewell1.wav");
  EXPECT_EQ(ProgramDataFile(bin_, "help/history.html"), bin_ + "/help/history.html");
}

TEST_F(InstalledLayout, RecordsOfAnInstalledProgramGoToTheDataFolderEvenWhenBinIsWritable) {
  ScopedVariable xdg("XDG_DATA_HOME", data_);
  EXPECT_TRUE(IsInstalledProgramFolder(bin_));
  EXPECT_EQ(RecordsFolder(bin_), data_ + "/Tidewell");
  struct stat made {};
  ASSERT_EQ(stat((data_ + "/Tidewell").c_str(), &made), 0);
  EXPECT_TRUE(S_ISDIR(made.st_mode));
  EXPECT_EQ(made.st_mode & 0777, 0700u);
}

TEST_F(InstalledLayout, RecordsStayInTheProgramFolderWhenNoDataFolderCanBeMade) {
  MakeFile(data_, "a file where the data folder should be");
  ScopedVariable xdg("XDG_DATA_HOME", data_);
  EXPECT_EQ(RecordsFolder(bin_), bin_);
}

// A build folder or a copied program folder: nothing installed above it.
class ProgramFolderAlone : public ::testing::Test {
 protected:
  void SetUp() override { MakeFolder(program_); }
  testing::TempFolder base_;
  std::string program_ = base_.Path() + "/program";
  std::string data_ = base_.Path() + "/data";
};

TEST_F(ProgramFolderAlone, RecordsStayBesideAWritableProgram) {
  ScopedVariable xdg("XDG_DATA_HOME", data_);
  EXPECT_FALSE(IsInstalledProgramFolder(program_));
  EXPECT_EQ(RecordsFolder(program_), program_);
  EXPECT_FALSE(HostFileExists(data_));
}

TEST_F(ProgramFolderAlone, RecordsOfAReadOnlyProgramFolderGoToTheDataFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root can write into a read-only folder";
  ScopedVariable xdg("XDG_DATA_HOME", data_);
  ASSERT_EQ(chmod(program_.c_str(), 0555), 0);
  EXPECT_EQ(RecordsFolder(program_), data_ + "/Tidewell");
  chmod(program_.c_str(), 0755);
}

TEST_F(ProgramFolderAlone, AFileNamedLikeTheShareFolderMakesNoInstallation) {
  MakeFile(base_.Path() + "/share/tidewell", "not a folder");
  EXPECT_FALSE(IsInstalledProgramFolder(program_));
}

}  // namespace
}  // namespace tidewell::platform
