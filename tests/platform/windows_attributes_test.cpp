// Windows attributes where the file system keeps them: Wine's user.DOSATTRIB
// on the temporary folder's own file system, NTFS through ntfs-3g and FAT
// through the kernel's vfat on scratch volumes mounted as drive N and F.
#include "platform/posix/windows_attributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/virtual_file_system.h"
#include "tests/support/dos_attrib.h"
#include "tests/support/scratch_volume.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using testing::DosAttribOf;
using testing::ModeOf;
using testing::ScratchVolume;
using testing::SetDosAttrib;
using testing::TempDrive;
using testing::TestWorld;

std::string ContentOf(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteContent(const std::string& hostPath, const std::string& content) {
  std::ofstream(hostPath, std::ios::binary) << content;
}

// ---------------------------------------------------------------------------
// The text of a user.DOSATTRIB

TEST(DosAttribText, IsWinesHexTextUpToANulAndNothingElse) {
  Attributes bits = kNormal;
  ASSERT_TRUE(ParseDosAttrib("0x22", 4, bits));
  EXPECT_EQ(bits, kHidden | kArchive);
  const char withRecord[] = "0X7\0\x04\x00\x11";  // the text, then a binary record
  ASSERT_TRUE(ParseDosAttrib(withRecord, sizeof withRecord - 1, bits));
  EXPECT_EQ(bits, kReadOnly | kHidden | kSystem);
  ASSERT_TRUE(ParseDosAttrib("0x2014", 6, bits));  // folder and higher bits are not the record's to say
  EXPECT_EQ(bits, kSystem);
  const std::vector<std::string> others{"0x", "22", "0x2g", std::string("\0\0\x04\0", 4), "0x123456789"};
  for (const std::string& text : others) {
    EXPECT_FALSE(ParseDosAttrib(text.data(), text.size(), bits)) << text;
  }
}

// ---------------------------------------------------------------------------
// user.DOSATTRIB on drive C

class DosAttribTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string reason = testing::UserXattrsUnsupported(C().Root());
    if (!reason.empty()) GTEST_SKIP() << reason;
  }
  TempDrive& C() { return world_.Drive('C'); }
  Attributes AttributesOf(std::string_view path) {
    EntryFacts facts;
    EXPECT_FALSE(world_.files.Stat(path, facts)) << path;
    return facts.attributes;
  }

  TestWorld world_;
};

TEST_F(DosAttribTest, StatReportsTheBitsTheRecordHolds) {
  C().Build({{"hidden.tmp"}, {"system.tmp"}, {"locked.doc"}, {"plain.doc"}, {"DIR\\"}, {"odd.tmp"}});
  ASSERT_TRUE(SetDosAttrib(C().Host("hidden.tmp"), "0x2"));
  ASSERT_TRUE(SetDosAttrib(C().Host("system.tmp"), "0x24"));
  ASSERT_TRUE(SetDosAttrib(C().Host("locked.doc"), "0x21"));
  ASSERT_TRUE(SetDosAttrib(C().Host("plain.doc"), "0x0"));
  ASSERT_TRUE(SetDosAttrib(C().Host("DIR"), "0x12"));
  ASSERT_TRUE(SetDosAttrib(C().Host("odd.tmp"), std::string("\0\0\x04\0\x04\0\0\0", 8)));
  EXPECT_EQ(AttributesOf("c:\\HIDDEN.TMP"), kHidden);
  EXPECT_EQ(AttributesOf("c:\\system.tmp"), kSystem | kArchive);
  EXPECT_EQ(AttributesOf("c:\\locked.doc"), kReadOnly | kArchive);
  EXPECT_EQ(AttributesOf("c:\\plain.doc"), kNormal);
  EXPECT_EQ(AttributesOf("c:\\DIR\\"), kFolder | kHidden);
  EXPECT_EQ(AttributesOf("c:\\odd.tmp"), kNormal);
}

TEST_F(DosAttribTest, AListingTellsOnlyWhatTheNameSaysAndStatReadsTheRecord) {
  C().Build({{".profile"}, {"hidden.tmp"}, {"system.tmp"}});
  ASSERT_TRUE(SetDosAttrib(C().Host(".profile"), "0x4"));
  ASSERT_TRUE(SetDosAttrib(C().Host("hidden.tmp"), "0x2"));
  ASSERT_TRUE(SetDosAttrib(C().Host("system.tmp"), "0x4"));
  FolderReader reader;
  ASSERT_FALSE(world_.files.OpenFolder("c:\\", reader));
  std::vector<std::string> listed;
  FolderEntry entry;
  while (reader.Next(entry)) {
    // No call per entry: the record is not read, only the name counts.
    EXPECT_EQ(entry.hidden, entry.name == ".profile") << entry.name;
    EXPECT_FALSE(entry.system) << entry.name;
    listed.push_back(entry.name);
  }
  EXPECT_EQ(listed.size(), 3u);
  EXPECT_EQ(AttributesOf("c:\\hidden.tmp"), kHidden);
  EXPECT_EQ(AttributesOf("c:\\system.tmp"), kSystem);
}

TEST_F(DosAttribTest, TheRecordAddsToWhatTheNameAndModeSay) {
  C().Build({{".profile"}, {"readonly.doc"}});
  ASSERT_TRUE(SetDosAttrib(C().Host(".profile"), "0x4"));
  ASSERT_TRUE(SetDosAttrib(C().Host("readonly.doc"), "0x0"));
  C().SetReadOnly("readonly.doc");
  EXPECT_EQ(AttributesOf("c:\\.profile"), kHidden | kSystem);
  EXPECT_EQ(AttributesOf("c:\\readonly.doc"), kReadOnly);
}

TEST_F(DosAttribTest, SettingNormalClearsTheRecordAndTheReadOnlyMode) {
  C().Build({{"junk.tmp", 3}, {"DIR\\"}});
  ASSERT_TRUE(SetDosAttrib(C().Host("junk.tmp"), "0x27"));
  C().SetReadOnly("junk.tmp");
  ASSERT_TRUE(SetDosAttrib(C().Host("DIR"), "0x16"));
  EXPECT_FALSE(world_.files.SetAttributes("c:\\junk.tmp", kNormal));
  EXPECT_FALSE(world_.files.SetAttributes("c:\\DIR", kNormal));
  EXPECT_EQ(DosAttribOf(C().Host("junk.tmp")), "0x0");
  EXPECT_EQ(DosAttribOf(C().Host("DIR")), "0x0");
  EXPECT_TRUE(C().IsWritableByOwner("junk.tmp"));
  EXPECT_EQ(AttributesOf("c:\\junk.tmp"), kNormal);
}

TEST_F(DosAttribTest, SettingHiddenOrSystemWritesTheRecordAsWineDoes) {
  C().Build({{"a.doc"}, {"b.doc"}});
  EXPECT_FALSE(world_.files.SetAttributes("c:\\a.doc", kHidden | kSystem));
  EXPECT_FALSE(world_.files.SetAttributes("c:\\b.doc", kReadOnly));
  EXPECT_EQ(DosAttribOf(C().Host("a.doc")), "0x6");
  EXPECT_EQ(DosAttribOf(C().Host("b.doc")), "(none)");  // the mode says read-only
  EXPECT_EQ(AttributesOf("c:\\a.doc"), kHidden | kSystem);
  EXPECT_EQ(AttributesOf("c:\\b.doc"), kReadOnly);
  // A read-only file takes a record too, and stays read-only.
  EXPECT_FALSE(world_.files.SetAttributes("c:\\b.doc", kReadOnly | kHidden));
  EXPECT_EQ(DosAttribOf(C().Host("b.doc")), "0x3");
  EXPECT_FALSE(C().IsWritableByOwner("b.doc"));
}

// ---------------------------------------------------------------------------
// Files with more than one link

TEST(SharedInodeTest, AFileWithAnotherLinkOutsideTheDriveIsNeverChanged) {
  TestWorld world;
  TempDrive outside(world.Outside());
  const std::string sentinel = outside.Host("sentinel.doc");
  WriteContent(sentinel, "the outside file's bytes");
  const bool recorded = testing::UserXattrsUnsupported(outside.Root()).empty() && SetDosAttrib(sentinel, "0x3");
  ASSERT_EQ(chmod(sentinel.c_str(), 0444), 0);
  world.Drive('C').Folder("TEMP");
  ASSERT_EQ(link(sentinel.c_str(), world.Drive('C').Host("TEMP/linked.tmp").c_str()), 0);

  EXPECT_EQ(world.files.SetAttributes("c:\\TEMP\\linked.tmp", kNormal), std::errc::too_many_links);
  EXPECT_EQ(world.files.SetAttributes("c:\\TEMP\\linked.tmp", kArchive), std::errc::too_many_links);
  EXPECT_EQ(ModeOf(sentinel), 0444u);
  EXPECT_EQ(ContentOf(sentinel), "the outside file's bytes");
  if (recorded) {
    EXPECT_EQ(DosAttribOf(sentinel), "0x3");
  }
  // Asking for what it already has changes nothing and succeeds.
  const Attributes current = recorded ? (kReadOnly | kHidden) : kReadOnly;
  EXPECT_FALSE(world.files.SetAttributes("c:\\TEMP\\linked.tmp", current));
}

// ---------------------------------------------------------------------------
// Native records: NTFS (ntfs-3g) and FAT (vfat), mounted as a drive's root

std::uint32_t NtfsWordOf(const std::string& hostPath) {
  unsigned char bytes[4] = {};
  if (getxattr(hostPath.c_str(), "system.ntfs_attrib_be", bytes, 4) != 4) return 0xFFFFFFFF;
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

bool SetNtfsWord(const std::string& hostPath, std::uint32_t word) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(word >> 24), static_cast<unsigned char>(word >> 16),
                                  static_cast<unsigned char>(word >> 8), static_cast<unsigned char>(word)};
  return setxattr(hostPath.c_str(), "system.ntfs_attrib_be", bytes, 4, 0) == 0;
}

std::uint32_t FatWordOf(const std::string& hostPath) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  __u32 word = 0xFFFFFFFF;
  if (fd >= 0) {
    if (ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &word) != 0) word = 0xFFFFFFFF;
    close(fd);
  }
  return word;
}

bool SetFatWord(const std::string& hostPath, std::uint32_t word) {
  const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  __u32 value = word;
  const bool set = ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &value) == 0;
  close(fd);
  return set;
}

class NativeRecordTest : public ::testing::TestWithParam<ScratchVolume::Kind> {
 protected:
  void SetUp() override {
    // Mounted before the drive is first opened, as a user's volume is
    // mounted before the program starts: a drive covered by a mount after
    // its folder was checked is refused.
    volume_ = std::make_unique<ScratchVolume>(GetParam(), world_.Base() + "/volume.img", world_.Appear('V').Root());
    if (!volume_->Mounted()) GTEST_SKIP() << volume_->Reason();
  }
  void TearDown() override {
    world_.files.ForgetOpenFolders();
    volume_.reset();
  }
  TempDrive& V() { return world_.Drive('V'); }
  bool Ntfs() const { return GetParam() == ScratchVolume::Kind::Ntfs; }
  std::uint32_t WordOf(const std::string& hostPath) const {
    return Ntfs() ? NtfsWordOf(hostPath) : FatWordOf(hostPath);
  }
  bool SetWord(const std::string& hostPath, std::uint32_t word) const {
    return Ntfs() ? SetNtfsWord(hostPath, word) : SetFatWord(hostPath, word);
  }
  Attributes AttributesOf(std::string_view path) {
    EntryFacts facts;
    EXPECT_FALSE(world_.files.Stat(path, facts)) << path;
    return facts.attributes;
  }

  TestWorld world_{"CV", "V"};
  std::unique_ptr<ScratchVolume> volume_;
};

TEST_P(NativeRecordTest, StatReportsTheVolumesOwnAttributes) {
  // Files with content: ntfs-3g shows an empty system file as a special file.
  V().Build({{"HIDDEN.TMP", 8}, {"SYSTEM.TMP", 8}, {"LOCKED.DOC", 8}, {"PLAIN.DOC", 8}, {"DIR\\"}, {".dotted", 8}});
  ASSERT_TRUE(SetWord(V().Host("HIDDEN.TMP"), 0x22));
  ASSERT_TRUE(SetWord(V().Host("SYSTEM.TMP"), 0x04));
  ASSERT_TRUE(SetWord(V().Host("LOCKED.DOC"), 0x01));
  ASSERT_TRUE(SetWord(V().Host("PLAIN.DOC"), 0x00));
  ASSERT_TRUE(SetWord(V().Host("DIR"), 0x12));
  ASSERT_TRUE(SetWord(V().Host(".dotted"), 0x00));
  EXPECT_EQ(AttributesOf("v:\\hidden.tmp"), kHidden | kArchive);
  EXPECT_EQ(AttributesOf("v:\\SYSTEM.TMP"), kSystem);
  EXPECT_EQ(AttributesOf("v:\\LOCKED.DOC"), kReadOnly);
  EXPECT_EQ(AttributesOf("v:\\PLAIN.DOC"), kNormal);
  EXPECT_EQ(AttributesOf("v:\\DIR\\"), kFolder | kHidden);
  EXPECT_EQ(AttributesOf("v:\\.dotted"), kNormal);  // the record, not the name, says hidden here
}

TEST_P(NativeRecordTest, SettingNormalClearsTheVolumesOwnAttributes) {
  V().Build({{"JUNK.TMP", 5}, {"DIR\\"}});
  ASSERT_TRUE(SetWord(V().Host("JUNK.TMP"), 0x27));
  ASSERT_TRUE(SetWord(V().Host("DIR"), 0x12));
  EXPECT_FALSE(world_.files.SetAttributes("v:\\JUNK.TMP", kNormal));
  EXPECT_FALSE(world_.files.SetAttributes("v:\\DIR", kNormal));
  EXPECT_EQ(WordOf(V().Host("JUNK.TMP")) & 0x27u, 0u);
  EXPECT_EQ(WordOf(V().Host("DIR")) & 0x37u, 0x10u);
  EXPECT_EQ(AttributesOf("v:\\JUNK.TMP"), kNormal);
  EXPECT_FALSE(world_.files.RemoveFile("v:\\JUNK.TMP"));
}

TEST_P(NativeRecordTest, SettingHiddenAndSystemWritesTheVolumesOwnAttributes) {
  V().Build({{"A.DOC", 8}});
  EXPECT_FALSE(world_.files.SetAttributes("v:\\A.DOC", kHidden | kSystem));
  EXPECT_EQ(WordOf(V().Host("A.DOC")) & 0x27u, 0x06u);
  EXPECT_EQ(AttributesOf("v:\\A.DOC"), kHidden | kSystem);
}

INSTANTIATE_TEST_SUITE_P(Volumes, NativeRecordTest,
                         ::testing::Values(ScratchVolume::Kind::Ntfs, ScratchVolume::Kind::Fat),
                         [](const auto& info) { return info.param == ScratchVolume::Kind::Ntfs ? "Ntfs" : "Fat"; });

}  // namespace
}  // namespace tidewell::platform
