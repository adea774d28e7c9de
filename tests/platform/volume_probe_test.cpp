// Volumes told by their bytes: image files made with the real mkfs tools,
// probed for their type and label, and found as drives when a mount table
// names them under the generic types user-space drivers mount with.
#include "platform/volume_probe.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "platform/drive_discovery.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {


// A file of `size` zero bytes (sparse).
bool MakeZeroFile(const std::string& path, off_t size) {
  return std::ofstream(path).good() && truncate(path.c_str(), size) == 0;
}

struct ImageKind {
  const char* tool;
  const char* package;
  std::vector<std::string> labelArguments;  // placed before the image's path
  const char* fileSystem;                   // what the probe must call it
  const char* label;
};

const ImageKind kFat{"mkfs.vfat", "dosfstools", {"-n", "STICK 98"}, "vfat", "STICK 98"};
const ImageKind kNtfs{"mkntfs", "ntfs-3g", {"-F", "-Q", "-L", "Win2000 System"}, "ntfs", "Win2000 System"};
const ImageKind kExfat{"mkfs.exfat", "exfatprogs", {"-L", "Photos"}, "exfat", "Photos"};

class VolumeImages : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = temp_.ResolvedPath();
  }

  // An 8 MiB image file at base/name formatted as `kind`; empty (with the
  // tool added to missing_) when the tool is not installed.
  std::string MakeImage(const ImageKind& kind, const std::string& name) {
    const std::string tool = testing::FindSystemTool(kind.tool);
    if (tool.empty()) {
      missing_ += std::string(" ") + kind.tool + " (package " + kind.package + ")";
      return {};
    }
    const std::string image = base_ + "/" + name;
    EXPECT_TRUE(MakeZeroFile(image, 8 << 20)) << image;
    testing::ChildOptions options;
    options.arguments = kind.labelArguments;
    options.arguments.push_back(image);
    options.environment = {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}, {"LC_ALL", "C"}};
    const testing::ChildResult made = testing::RunChild(tool, options);
    EXPECT_EQ(made.exitStatus, 0) << kind.tool << ": " << made.err;
    return image;
  }

  tidewell::testing::TempFolder temp_;
  std::string base_;
  std::string missing_;
};

TEST_F(VolumeImages, EachWindowsFileSystemProbesWithItsTypeAndLabel) {
  for (const ImageKind* kind : {&kFat, &kNtfs, &kExfat}) {
    const std::string image = MakeImage(*kind, std::string(kind->tool) + ".img");
    if (image.empty()) continue;
    const std::optional<VolumeIdentity> identity = ProbeVolume(image);
    ASSERT_TRUE(identity.has_value()) << kind->tool;
    EXPECT_EQ(identity->fileSystem, kind->fileSystem);
    EXPECT_EQ(identity->label, kind->label);
    EXPECT_TRUE(IsWindowsFileSystem(identity->fileSystem));
  }
  if (!missing_.empty()) GTEST_SKIP() << "not installed:" << missing_;
}

TEST_F(VolumeImages, WhatHoldsNoKnownFileSystemOrIsNoDeviceIsNotIdentified) {
  const std::string blank = base_ + "/blank.img";
  ASSERT_TRUE(MakeZeroFile(blank, 8 << 20));
  EXPECT_FALSE(ProbeVolume(blank).has_value()) << "zeros";
  EXPECT_FALSE(ProbeVolume(base_ + "/missing.img").has_value());
  EXPECT_FALSE(ProbeVolume(base_).has_value()) << "a folder";
  EXPECT_FALSE(ProbeVolume("/dev/zero").has_value()) << "a character device";
  EXPECT_FALSE(ProbeVolume("").has_value());
}

// An unprivileged user usually may not read a disk: the probe reports that
// it cannot tell, and discovery then falls back to the mount type.
TEST_F(VolumeImages, AnUnreadableImageIsNotIdentified) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file; the unprivileged run covers this";
  const std::string image = MakeImage(kFat, "locked.img");
  if (image.empty()) GTEST_SKIP() << "not installed:" << missing_;
  ASSERT_TRUE(ProbeVolume(image).has_value());
  ASSERT_EQ(chmod(image.c_str(), 0), 0);
  EXPECT_FALSE(ProbeVolume(image).has_value());

  // Under a bare fuseblk nothing then tells it is a Windows volume; under
  // vfat the mount type does, and the folder name labels it.
  ASSERT_EQ(mkdir((base_ + "/fuse").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((base_ + "/kernel").c_str(), 0755), 0);
  const std::string mounts = "40 1 0:50 / " + base_ + "/fuse rw - fuseblk " + image + " rw\n" +
                             "41 1 0:51 / " + base_ + "/kernel rw - vfat " + image + " rw\n";
  const std::vector<DriveMapping> drives = DiscoverDrives({"", mounts, ProbeVolume});
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].hostRoot, base_ + "/kernel");
  EXPECT_EQ(drives[0].label, "KERNEL");
}

// ntfs-3g and exfat-fuse mount as "fuseblk", fusefat as "fuse.fusefat"; the
// mount line names neither NTFS nor exFAT nor FAT. The image files stand in
// for the devices.
TEST_F(VolumeImages, VolumesMountedByUserSpaceDriversAreFoundWithTheLabelsOnTheirDevices) {
  const std::string fat = MakeImage(kFat, "sdb1.img");
  const std::string ntfs = MakeImage(kNtfs, "sdc1.img");
  const std::string exfat = MakeImage(kExfat, "sdd1.img");
  const std::string blank = base_ + "/sde1.img";
  ASSERT_TRUE(MakeZeroFile(blank, 8 << 20));
  for (const char* folder : {"/stick", "/system", "/camera", "/unknown"}) {
    ASSERT_EQ(mkdir((base_ + folder).c_str(), 0755), 0) << folder;
  }
  std::string mounts = "22 1 8:1 / / rw - ext4 /dev/root rw\n";
  std::vector<std::string> expected;
  const auto mount = [&](const std::string& image, const char* folder, const char* type,
                         const char* label) {
    if (image.empty()) return;
    mounts += "40 22 0:50 / " + base_ + folder + " rw,nosuid,nodev,relatime - " + type + " " + image +
              " rw,user_id=0,group_id=0,allow_other,blksize=4096\n";
    expected.push_back(std::string(folder) + " [" + label + "]");
  };
  mount(fat, "/stick", "fuse.fusefat", "STICK 98");
  mount(ntfs, "/system", "fuseblk", "Win2000 System");
  mount(exfat, "/camera", "fuseblk", "Photos");
  mounts += "44 22 0:54 / " + base_ + "/unknown rw - fuseblk " + blank + " rw\n";

  std::vector<std::string> found;
  for (const DriveMapping& drive : DiscoverDrives({"", mounts, ProbeVolume})) {
    found.push_back(drive.hostRoot.substr(base_.size()) + " [" + drive.label + "]");
  }
  EXPECT_EQ(found, expected);
  if (!missing_.empty()) GTEST_SKIP() << "not installed:" << missing_;
}

// Unmounts (lazily) what a test mounted, whatever the test's outcome.
class MountGuard {
 public:
  explicit MountGuard(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {}
  ~MountGuard() { umount2(mountPoint_.c_str(), MNT_DETACH); }
  MountGuard(const MountGuard&) = delete;
  MountGuard& operator=(const MountGuard&) = delete;

 private:
  std::string mountPoint_;
};

// The whole way on a real host: ntfs-3g mounts an image file (as "fuse",
// a block device as "fuseblk"), and discovery reads this process's own
// mount table and probes the image.
TEST_F(VolumeImages, AnNtfsVolumeMountedWithNtfs3gIsDiscoveredOnThisHost) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  const std::string driver = testing::FindSystemTool("ntfs-3g");
  const std::string image = MakeImage(kNtfs, "disk.img");
  if (driver.empty() || image.empty()) GTEST_SKIP() << "ntfs-3g is not installed";
  const std::string mountPoint = base_ + "/mounted";
  ASSERT_EQ(mkdir(mountPoint.c_str(), 0755), 0);
  testing::ChildOptions options;
  options.arguments = {image, mountPoint};
  options.environment = {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}};
  const testing::ChildResult mounted = testing::RunChild(driver, options);
  MountGuard guard(mountPoint);
  if (mounted.exitStatus != 0) GTEST_SKIP() << "this machine cannot mount with FUSE: " << mounted.err;

  DiscoverySources sources = HostDiscoverySources();
  sources.winePrefix.clear();
  const std::vector<DriveMapping> drives = DiscoverDrives(sources);
  const auto found = std::find_if(drives.begin(), drives.end(),
                                  [&](const DriveMapping& d) { return d.hostRoot == mountPoint; });
  ASSERT_NE(found, drives.end()) << "not discovered";
  EXPECT_EQ(found->label, "Win2000 System");
}

}  // namespace
}  // namespace tidewell::platform
