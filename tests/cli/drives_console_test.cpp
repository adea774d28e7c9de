// tidewell-cli --drives and the label and folder of each drive: the drives
// the environment and the store map, a real NTFS volume made with mkntfs
// and mounted with ntfs-3g (found on the machine as a mounted volume), and
// the volume lookup behind the file system column.
#ifndef _WIN32
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/drive_discovery.h"
#include "tests/support/console_sandbox.h"
#ifndef _WIN32
#include "tests/support/scratch_volume.h"
#endif

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ChildOptions;
using testing::ChildResult;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The line of --drives that names `folder` as its host folder.
std::string LineOf(const std::string& out, const std::string& folder) {
  for (const std::string& line : Lines(out)) {
    if (line.ends_with(" " + folder)) return line;
  }
  return {};
}

// ---- the volume that holds a folder ---------------------------------------

TEST(VolumeOfFolder, TheDeepestMountHoldingTheFolderAnswersLastMountedFirst) {
  const std::string mounts =
      "20 1 8:1 / / rw - ext4 /dev/root rw\n"
      "30 20 0:40 / /mnt/win rw - fuseblk /images/win.img rw\n"
      "31 20 0:41 / /mnt/winter rw - vfat /images/winter.img rw\n"
      "32 30 0:42 / /mnt/win/inner rw - tmpfs tmpfs rw\n"
      "33 30 0:43 / /mnt/win/inner rw - exfat /images/over.img rw\n";
  const platform::VolumeProber probe = [](const std::string& source) -> std::optional<platform::VolumeIdentity> {
    if (source == "/images/win.img") return platform::VolumeIdentity{"ntfs", "WIN\x01VOL"};
    return std::nullopt;  // unreadable: the mount type answers
  };
  const platform::DiscoverySources sources{"", mounts, probe};
  const auto win = platform::VolumeOfFolder(sources, "/mnt/win/DATA");
  ASSERT_TRUE(win.has_value());
  EXPECT_EQ(win->fileSystem, "ntfs") << "the device, not the fuseblk mount type";
  EXPECT_EQ(win->label, "WIN?VOL") << "a control byte is shown as ?";
  EXPECT_EQ(platform::VolumeOfFolder(sources, "/mnt/winter")->fileSystem, "vfat") << "/mnt/win does not hold it";
  EXPECT_EQ(platform::VolumeOfFolder(sources, "/mnt/win/inner/x")->fileSystem, "exfat") << "the last mount there";
  EXPECT_EQ(platform::VolumeOfFolder(sources, "/srv")->fileSystem, "ext4");
  EXPECT_FALSE(platform::VolumeOfFolder({"", "", probe}, "/srv").has_value()) << "no mount table";
}

// ---- --drives end to end ---------------------------------------------------

class DrivesConsoleTest : public ::testing::Test, protected testing::ConsoleSandbox {
 protected:
  DrivesConsoleTest() : ConsoleSandbox(TIDEWELL_CLI_PATH) {}
  std::string Folder(const std::string& name) const {
    const std::string folder = Base() + "/" + name;
    fs::create_directories(folder);
    return fs::canonical(folder).string();
  }
};

TEST_F(DrivesConsoleTest, EachMappedDriveIsOneLineAndTheJsonIsOneArray) {
  const std::string c = Folder("drive_c");
  const std::string d = Folder("Data Disk");
  const std::string mapping = "C=" + c + ";d=" + d;
  const ChildResult text = RunCli({"--drives"}, mapping);
  ASSERT_EQ(text.exitStatus, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 3u) << text.out;
  EXPECT_TRUE(lines[0].starts_with("Drive  Label")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with("C:     DRIVE_C      ")) << lines[1];
  EXPECT_TRUE(Contains(lines[1], " environment  yes        " + c)) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("D:     DATA DISK    ")) << lines[2];
  for (const std::string& line : lines) EXPECT_LE(line.size() - std::min(line.size(), c.size()), 80u) << line;

  const ChildResult json = RunCli({"--json", "--drives"}, mapping);
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  EXPECT_TRUE(json.out.starts_with("[{\"drive\":\"C:\",\"label\":\"DRIVE_C\",\"fileSystem\":\"")) << json.out;
  EXPECT_TRUE(Contains(json.out, "\"source\":\"environment\",\"unattended\":true,\"folder\":\"" + c + "\"},{"));
  EXPECT_TRUE(json.out.ends_with("\"folder\":\"" + d + "\"}]\n")) << json.out;
  EXPECT_FALSE(fs::exists(StorePath())) << "listing the drives writes no store";
}

TEST_F(DrivesConsoleTest, StoreDrivesAreNamedAndARefusedEntryIsTold) {
  const std::string c = Folder("drive_c");
  fs::create_directories(fs::path(StorePath()).parent_path());
  std::ofstream(StorePath()) << "[Drives]\nC=" << c << "\nQ=relative/folder\n";
  const ChildResult run = RunCli({"--drives"}, "");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(LineOf(run.out, c), " store        yes ")) << run.out;
  EXPECT_TRUE(Contains(run.err, "tidewell-cli: [Drives] in the settings file: ")) << run.err;
  EXPECT_FALSE(Contains(run.out, "Q:"));
}

TEST_F(DrivesConsoleTest, NoDriveAtAllSaysHowToMapOne) {
  ChildOptions options = Options({"--drives", "--json"}, "");
  options.environment["TIDEWELL_DRIVES"] = ";";
  const ChildResult run = RunCli(options);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_TRUE(Contains(run.err, "no drive is mapped")) << run.err;
}

#ifndef _WIN32
// A real NTFS volume, labelled as a Windows 2000 disk would be, mounted with
// ntfs-3g inside the test's own folder: no drive is mapped, so the program
// finds it among the machine's mounts; its label and folder show in
// --drives, and a test run's summary line and JSON carry them. The test
// first moves into a mount namespace of its own, so that the volume is seen
// by this process and its children only, never by another run's discovery.
TEST_F(DrivesConsoleTest, AnNtfsVolumesLabelAndFolderShowInDrivesAndInTheSummary) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting an NTFS image with ntfs-3g needs root";
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    GTEST_SKIP() << "no mount namespace of its own for the volume: " << std::strerror(errno);
  }
  const std::string folder = Folder("ntfs");
  testing::ScratchVolume volume(testing::ScratchVolume::Kind::Ntfs, Base() + "/win2k.img", folder, "WIN2KVOL");
  if (!volume.Mounted()) GTEST_SKIP() << volume.Reason();
  fs::create_directories(folder + "/TEMP");
  std::ofstream(folder + "/TEMP/old.tmp") << std::string(100, 'x');

  const ChildResult listed = RunCli({"--drives"}, "");
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  const std::string line = LineOf(listed.out, folder);
  ASSERT_FALSE(line.empty()) << listed.out;
  const std::string letter = line.substr(0, 2);
  EXPECT_TRUE(Contains(line, " WIN2KVOL     ntfs        mount        no         " + folder)) << line;
  const ChildResult json = RunCli({"--drives", "--json"}, "");
  EXPECT_TRUE(Contains(json.out, "{\"drive\":\"" + letter +
                                     "\",\"label\":\"WIN2KVOL\",\"fileSystem\":\"ntfs\",\"source\":\"mount\","
                                     "\"unattended\":false,\"folder\":\"" + folder + "\"}"))
      << json.out;

  const ChildResult run = RunCli({"--test", "--quiet", "--drive", letter}, "");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Drive " + letter + " test run, nothing deleted; a destructive run would remove 1 "
                                "files (100 bytes). (WIN2KVOL at " + folder + ")\n"))
      << run.out;
  const ChildResult jsonRun = RunCli({"--test", "--json", "--drive", letter}, "");
  ASSERT_EQ(jsonRun.exitStatus, 0) << jsonRun.err;
  EXPECT_TRUE(jsonRun.out.starts_with("{\"drive\":\"" + letter + "\",\"label\":\"WIN2KVOL\",\"folder\":\"" + folder +
                                      "\",\"testRun\":true,"))
      << jsonRun.out;
  EXPECT_TRUE(fs::exists(folder + "/TEMP/old.tmp")) << "a test run deletes nothing";
}
#endif

}  // namespace
}  // namespace tidewell
