#include "platform/drive_discovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

// A fake host in a temporary folder: a Wine prefix whose dosdevices hold
// every kind of entry, folders that a mount table names, and fake device
// files that the injected probe identifies.
class DriveDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = temp_.ResolvedPath();
    for (const char* folder : {"/prefix", "/prefix/dosdevices", "/prefix/drive_c", "/data", "/raw",
                               "/usb stick", "/home", "/win", "/fuse", "/fusentfs", "/camera",
                               "/linux", "/devs"}) {
      ASSERT_EQ(mkdir((base_ + folder).c_str(), 0755), 0) << folder;
    }
    Link("../drive_c", "/prefix/dosdevices/c:");        // relative
    Link(base_ + "/data", "/prefix/dosdevices/E:");     // absolute, upper case
    Link("../drive_c", "/prefix/dosdevices/h:");        // folder already given by c:
    Link("/", "/prefix/dosdevices/z:");                 // the host root
    Link(base_ + "/raw", "/prefix/dosdevices/d::");     // a raw device
    Link(base_ + "/gone", "/prefix/dosdevices/f:");     // dangling
    Link(base_ + "/data", "/datalink");
    devices_[base_ + "/devs/sdb1"] = {"vfat", "MY STICK"};
    devices_[base_ + "/devs/sdg1"] = {"exfat", "PHOTOS"};
    devices_[base_ + "/devs/sdx9"] = {"ext4", "OTHER"};

    // Sources the probe does not know (/dev/sdc1, ...) stand for devices
    // that cannot be read: their mount type alone decides.
    mounts_ = "22 1 8:1 / / rw,relatime shared:1 - vfat /dev/sda1 rw\n"
              "30 22 8:17 / " + base_ + "/usb\\040stick rw,nosuid shared:5 master:2 - vfat " +
              base_ + "/devs/sdb1 rw,fmask=0022\n"
              "31 22 8:2 / " + base_ + "/home rw - ext4 " + base_ + "/devs/sdx9 rw\n"
              "not a mount line\n"
              "32 22 8:33 / " + base_ + "/win rw - ntfs3 /dev/sdc1 rw,iocharset=utf8\n"
              "33 22 8:49 / " + base_ + "/datalink rw - vfat /dev/sdd1 rw\n"
              "34 22 8:65 / " + base_ + "/fuse rw - fuseblk /dev/sde1 rw,user_id=0\n"
              "35 22 8:81 / " + base_ + "/fusentfs rw - fuseblk.ntfs-3g /dev/sdf1 rw\n"
              "36 22 0:51 / " + base_ + "/camera rw - fuseblk " + base_ + "/devs/sdg1 rw,user_id=0\n"
              "37 22 8:2 / " + base_ + "/linux rw - vfat " + base_ + "/devs/sdx9 rw\n";
  }

  DiscoverySources Sources(std::string prefix, std::string mounts) const {
    return {std::move(prefix), std::move(mounts),
            [devices = devices_](const std::string& source) -> std::optional<VolumeIdentity> {
              const auto known = devices.find(source);
              if (known == devices.end()) return std::nullopt;
              return known->second;
            }};
  }

  void Link(const std::string& target, const std::string& where) {
    ASSERT_EQ(symlink(target.c_str(), (base_ + where).c_str()), 0) << where;
  }

  // "C=<folder relative to base> [LABEL]" for each drive, in result order.
  std::vector<std::string> Described(const std::vector<DriveMapping>& drives) const {
    std::vector<std::string> out;
    for (const DriveMapping& d : drives) {
      const bool below = d.hostRoot.starts_with(base_ + "/");
      out.push_back(std::string(1, d.letter) + "=" +
                    (below ? d.hostRoot.substr(base_.size()) : "OUTSIDE " + d.hostRoot) + " [" +
                    d.label + "]");
    }
    return out;
  }

  tidewell::testing::TempFolder temp_;
  std::string base_;
  std::string mounts_;
  std::map<std::string, VolumeIdentity> devices_;
};

TEST_F(DriveDiscoveryTest, WinePrefixGivesItsLettersAndSkipsRootRawDanglingAndRepeatedFolders) {
  const auto drives = DiscoverDrives(Sources(base_ + "/prefix", ""));
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"C=/prefix/drive_c [DRIVE_C]", "E=/data [DATA]"}));
}

// /usb stick and /camera are known by their devices (the second only by its
// device: a bare fuseblk says nothing); /win and /fusentfs cannot be probed
// and are known by their mount types; /linux claims vfat but its device
// holds ext4, and /fuse is a bare fuseblk nobody can identify.
TEST_F(DriveDiscoveryTest, MountedVolumesTakeFreeLettersFromDInMountOrderWithTheirLabels) {
  const auto drives = DiscoverDrives(Sources(base_ + "/prefix", mounts_));
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"C=/prefix/drive_c [DRIVE_C]", "D=/usb stick [MY STICK]",
                                      "E=/data [DATA]", "F=/win [WIN]",
                                      "G=/fusentfs [FUSENTFS]", "H=/camera [PHOTOS]"}));
}

TEST_F(DriveDiscoveryTest, WithoutAPrefixTheMountedVolumesStartAtD) {
  const auto drives = DiscoverDrives(Sources("", mounts_));
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"D=/usb stick [MY STICK]", "E=/win [WIN]",
                                      "F=/data [DATA]", "G=/fusentfs [FUSENTFS]",
                                      "H=/camera [PHOTOS]"}));
}

TEST_F(DriveDiscoveryTest, AVolumeLabelIsShownOnOneLineAndAnEmptyOneGivesTheFolderName) {
  devices_[base_ + "/devs/sdb1"] = {"vfat", "A\x01" "B\xE9" "C\xC3\xA9"};  // DOS code page byte, then UTF-8
  devices_[base_ + "/devs/sdg1"] = {"ntfs", ""};
  const auto drives = DiscoverDrives(Sources("", mounts_));
  ASSERT_GE(drives.size(), 5u);
  EXPECT_EQ(drives[0].label, "A?B?C\xC3\xA9");
  EXPECT_EQ(drives[4].label, "CAMERA");
}

TEST_F(DriveDiscoveryTest, HostSourcesUseAnAbsoluteWinePrefixElseTheHomeFolder) {
  const char* oldPrefix = std::getenv("WINEPREFIX");
  const std::string savedPrefix = oldPrefix ? oldPrefix : "";
  setenv("WINEPREFIX", (base_ + "/prefix").c_str(), 1);
  const DiscoverySources absolute = HostDiscoverySources();
  setenv("WINEPREFIX", "relative/prefix", 1);
  const DiscoverySources relative = HostDiscoverySources();
  if (oldPrefix) setenv("WINEPREFIX", savedPrefix.c_str(), 1); else unsetenv("WINEPREFIX");

  EXPECT_EQ(absolute.winePrefix, base_ + "/prefix");
  const char* home = std::getenv("HOME");
  EXPECT_EQ(relative.winePrefix, home && home[0] == '/' ? std::string(home) + "/.wine" : "");
  EXPECT_NE(absolute.mountInfoText.find(" / / "), std::string::npos);
  ASSERT_TRUE(absolute.probe);
  EXPECT_FALSE(absolute.probe("/dev/null").has_value()) << "a character device is never probed";
}

}  // namespace
}  // namespace tidewell::platform
