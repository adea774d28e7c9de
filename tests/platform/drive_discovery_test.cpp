#include "platform/drive_discovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

// A fake host in a temporary folder: a Wine prefix whose dosdevices hold
// every kind of entry, folders that a mount table names, and a by-label
// folder of links to fake device files.
class DriveDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(temp_.Path().c_str(), resolved), nullptr);
    base_ = resolved;
    for (const char* folder : {"/prefix", "/prefix/dosdevices", "/prefix/drive_c", "/data", "/raw",
                               "/usb stick", "/home", "/win", "/fuse", "/fusentfs", "/devs",
                               "/by-label"}) {
      ASSERT_EQ(mkdir((base_ + folder).c_str(), 0755), 0) << folder;
    }
    Link("../drive_c", "/prefix/dosdevices/c:");        // relative
    Link(base_ + "/data", "/prefix/dosdevices/E:");     // absolute, upper case
    Link("../drive_c", "/prefix/dosdevices/h:");        // folder already given by c:
    Link("/", "/prefix/dosdevices/z:");                 // the host root
    Link(base_ + "/raw", "/prefix/dosdevices/d::");     // a raw device
    Link(base_ + "/gone", "/prefix/dosdevices/f:");     // dangling
    Link(base_ + "/data", "/datalink");
    for (const char* device : {"/devs/sdb1", "/devs/sdx9"}) std::ofstream(base_ + device) << "";
    Link("../devs/sdb1", "/by-label/MY\\x20STICK");
    Link("../devs/sdx9", "/by-label/OTHER");

    mounts_ = "22 1 8:1 / / rw,relatime shared:1 - vfat /dev/sda1 rw\n"
              "30 22 8:17 / " + base_ + "/usb\\040stick rw,nosuid shared:5 master:2 - vfat " +
              base_ + "/devs/sdb1 rw,fmask=0022\n"
              "31 22 8:2 / " + base_ + "/home rw - ext4 " + base_ + "/devs/sdx9 rw\n"
              "not a mount line\n"
              "32 22 8:33 / " + base_ + "/win rw - ntfs3 /dev/sdc1 rw,iocharset=utf8\n"
              "33 22 8:49 / " + base_ + "/datalink rw - vfat /dev/sdd1 rw\n"
              "34 22 8:65 / " + base_ + "/fuse rw - fuseblk /dev/sde1 rw,user_id=0\n"
              "35 22 8:81 / " + base_ + "/fusentfs rw - fuseblk.ntfs-3g /dev/sdf1 rw\n";
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
};

TEST_F(DriveDiscoveryTest, WinePrefixGivesItsLettersAndSkipsRootRawDanglingAndRepeatedFolders) {
  const auto drives = DiscoverDrives({base_ + "/prefix", "", base_ + "/by-label"});
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"C=/prefix/drive_c [DRIVE_C]", "E=/data [DATA]"}));
}

TEST_F(DriveDiscoveryTest, MountedVolumesTakeFreeLettersFromDInMountOrderWithTheirLabels) {
  const auto drives = DiscoverDrives({base_ + "/prefix", mounts_, base_ + "/by-label"});
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"C=/prefix/drive_c [DRIVE_C]", "D=/usb stick [MY STICK]",
                                      "E=/data [DATA]", "F=/win [WIN]",
                                      "G=/fusentfs [FUSENTFS]"}));
}

TEST_F(DriveDiscoveryTest, WithoutAPrefixTheMountedVolumesStartAtD) {
  const auto drives = DiscoverDrives({"", mounts_, base_ + "/by-label"});
  EXPECT_EQ(Described(drives),
            (std::vector<std::string>{"D=/usb stick [MY STICK]", "E=/win [WIN]",
                                      "F=/data [DATA]",
                                      "G=/fusentfs [FUSENTFS]"}));
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
  EXPECT_EQ(absolute.byLabelFolder, "/dev/disk/by-label");
}

}  // namespace
}  // namespace tidewell::platform
