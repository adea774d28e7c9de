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

#include "tests/support/scoped_variable.h"
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

// ---- what discovery never takes ----

// The EFI system partition is FAT, but the firmware's: known by its
// partition type (GPT or MBR, any case) when the device can be probed, or
// by where it is mounted (/efi, /boot/efi, at or below /boot) when it
// cannot. A read-only mount is never a drive to clean either. Every one of
// these mount points exists and would otherwise be taken.
TEST_F(DriveDiscoveryTest, TheEfiSystemPartitionAndReadOnlyMountsAreNeverTaken) {
  for (const char* folder : {"/esp", "/espmbr", "/espupper", "/rostick", "/rosuper", "/card"}) {
    ASSERT_EQ(mkdir((base_ + folder).c_str(), 0755), 0) << folder;
  }
  devices_[base_ + "/devs/esp"] = {"vfat", "ESP", "c12a7328-f81f-11d2-ba4b-00a0c93ec93b"};
  devices_[base_ + "/devs/espmbr"] = {"vfat", "", "0xef"};
  devices_[base_ + "/devs/espupper"] = {"vfat", "", "C12A7328-F81F-11D2-BA4B-00A0C93EC93B"};
  devices_[base_ + "/devs/card"] = {"vfat", "CARD", "ebd0a0a2-b9e5-4433-87c0-68b6b7269799"};  // basic data
  const std::string mounts =
      "40 22 8:1 / " + base_ + "/esp rw,relatime - vfat " + base_ + "/devs/esp rw\n"
      "41 22 8:2 / " + base_ + "/espmbr rw - vfat " + base_ + "/devs/espmbr rw\n"
      "42 22 8:3 / " + base_ + "/espupper rw - vfat " + base_ + "/devs/espupper rw\n"
      "43 22 8:4 / /boot rw - vfat /dev/nvme0n1p1 rw\n"  // cannot be probed: the place decides
      "44 22 8:5 / /boot/efi rw - vfat /dev/nvme0n1p2 rw\n"
      "45 22 8:6 / /efi rw - vfat /dev/nvme0n1p3 rw\n"
      "46 22 8:7 / " + base_ + "/rostick ro,nosuid - vfat /dev/sdk1 rw\n"
      "47 22 8:8 / " + base_ + "/rosuper rw,nosuid - vfat /dev/sdl1 ro,fmask=0022\n"
      "48 22 8:9 / " + base_ + "/card rw - vfat " + base_ + "/devs/card rw\n";
  const auto drives = DiscoverDrives(Sources("", mounts));
  EXPECT_EQ(Described(drives), (std::vector<std::string>{"D=/card [CARD]"}));
}

// Where each drive came from is kept with it: a destructive run cleans a
// drive that was only found when the user names it.
TEST_F(DriveDiscoveryTest, EachDriveFoundSaysWhereItCameFrom) {
  const auto drives = DiscoverDrives(Sources(base_ + "/prefix", mounts_));
  ASSERT_GE(drives.size(), 3u);
  EXPECT_EQ(drives[0].source, DriveSource::WinePrefix);  // C: from dosdevices
  EXPECT_EQ(drives[1].source, DriveSource::Mount);       // D: the USB stick
  EXPECT_EQ(drives[2].source, DriveSource::WinePrefix);  // E: from dosdevices

  tidewell::testing::ScopedVariable noEnvironment("TIDEWELL_DRIVES", nullptr);
  const std::vector<std::pair<std::string, std::string>> stored = {{"C", base_ + "/data"}};
  const DriveTable fromStore = DriveTable::FromSources(stored, drives, nullptr);
  ASSERT_EQ(fromStore.Drives().size(), 1u);
  EXPECT_EQ(fromStore.Drives()[0].source, DriveSource::Store);
  const DriveTable found = DriveTable::FromSources({}, drives, nullptr);
  ASSERT_EQ(found.Drives().size(), drives.size());
  EXPECT_EQ(found.Find('D')->source, DriveSource::Mount);
  EXPECT_EQ(found.Find('C')->source, DriveSource::WinePrefix);
  EXPECT_EQ(DriveTable::Parse("C=" + base_ + "/data", nullptr).Drives()[0].source, DriveSource::Environment);
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
