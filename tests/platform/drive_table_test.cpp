#include "platform/drive_table.h"

#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

using tidewell::testing::TempFolder;

// Real folders to map: <base>/a, <base>/b, <base>/a/sub, with the base
// resolved so that it compares with the table's canonical roots.
class DriveTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = temp_.ResolvedPath();
    for (const char* name : {"/a", "/b", "/a/sub"}) ASSERT_EQ(mkdir((base_ + name).c_str(), 0755), 0);
  }

  std::string Folder(const char* name) const { return base_ + name; }

  TempFolder temp_;
  std::string base_;
};

// Sets or clears TIDEWELL_DRIVES for one test and puts back what was there.
class DrivesVariable {
 public:
  explicit DrivesVariable(const char* value) {
    if (const char* old = std::getenv("TIDEWELL_DRIVES")) saved_ = old;
    if (value != nullptr) {
      setenv("TIDEWELL_DRIVES", value, 1);
    } else {
      unsetenv("TIDEWELL_DRIVES");
    }
  }
  ~DrivesVariable() {
    if (saved_) {
      setenv("TIDEWELL_DRIVES", saved_->c_str(), 1);
    } else {
      unsetenv("TIDEWELL_DRIVES");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(DriveTableTest, ParseAcceptsLettersOfEitherCaseAndTheColonForm) {
  std::vector<std::string> problems;
  const DriveTable table =
      DriveTable::Parse("  d=" + Folder("/b") + " ;; C:=" + Folder("/a") + "/  ", &problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  ASSERT_EQ(table.Drives().size(), 2u);
  EXPECT_EQ(table.Drives()[0].letter, 'C');  // letter order, not text order
  EXPECT_EQ(table.Drives()[0].hostRoot, Folder("/a"));
  EXPECT_EQ(table.Drives()[1].letter, 'D');
  EXPECT_EQ(table.Drives()[1].hostRoot, Folder("/b"));
  ASSERT_NE(table.Find('d'), nullptr);
  EXPECT_EQ(table.Find('d')->label, "B");
  EXPECT_EQ(table.Find('E'), nullptr);
}

TEST_F(DriveTableTest, ParseReportsEachRefusedEntryAndKeepsTheRest) {
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::Parse(
      "C" + Folder("/a") + ";1=" + Folder("/a") + ";CD=" + Folder("/a") + ";E=relative/folder;F=" + Folder("/b"),
      &problems);
  EXPECT_EQ(problems.size(), 4u);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].letter, 'F');
}

TEST_F(DriveTableTest, HostRootIsNeverADriveEvenThroughALink) {
  const std::string link = Folder("/to-root");
  ASSERT_EQ(symlink("/", link.c_str()), 0);
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::Parse("C=/;D=//;E=" + link + ";F=" + Folder("/a"), &problems);
  EXPECT_EQ(problems.size(), 3u);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].letter, 'F');
}

TEST_F(DriveTableTest, FirstMappingOfALetterWins) {
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::Parse("C=" + Folder("/a") + ";c=" + Folder("/b"), &problems);
  EXPECT_EQ(problems.size(), 1u);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].hostRoot, Folder("/a"));
}

TEST_F(DriveTableTest, SecondLetterForTheSameFolderIsRefused) {
  const std::string link = Folder("/link-to-a");
  ASSERT_EQ(symlink(Folder("/a").c_str(), link.c_str()), 0);
  std::vector<std::string> problems;
  const DriveTable table =
      DriveTable::Parse("C=" + Folder("/a") + ";D=" + Folder("/a") + "//;E=" + link, &problems);
  EXPECT_EQ(problems.size(), 2u);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].letter, 'C');
}

TEST_F(DriveTableTest, MissingFolderIsKeptAndReported) {
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::Parse("X=" + Folder("/nothing-here"), &problems);
  EXPECT_EQ(problems.size(), 1u);
  ASSERT_NE(table.Find('X'), nullptr);
  EXPECT_EQ(table.Find('X')->hostRoot, Folder("/nothing-here"));
}

TEST_F(DriveTableTest, HostToVirtualNamesNestedFoldersWithTrailingSeparator) {
  const DriveTable table = DriveTable::Parse("C=" + Folder("/b"), nullptr);
  EXPECT_EQ(table.HostToVirtual(Folder("/b") + "/A/B"), "C:\\A\\B\\");
  EXPECT_EQ(table.HostToVirtual(Folder("/b") + "//A/B/"), "C:\\A\\B\\");
  EXPECT_EQ(table.HostToVirtual(Folder("/b")), "C:\\");
}

TEST_F(DriveTableTest, HostToVirtualPrefersTheDriveWithTheLongestRoot) {
  const DriveTable table = DriveTable::Parse("C=" + Folder("/a") + ";D=" + Folder("/a/sub"), nullptr);
  EXPECT_EQ(table.HostToVirtual(Folder("/a/sub/x")), "D:\\x\\");
  EXPECT_EQ(table.HostToVirtual(Folder("/a/subway")), "C:\\subway\\");
}

TEST_F(DriveTableTest, HostToVirtualRefusesPathsOffEveryDrive) {
  const DriveTable table = DriveTable::Parse("C=" + Folder("/a"), nullptr);
  EXPECT_EQ(table.HostToVirtual(Folder("/b/x")), std::nullopt);
  EXPECT_EQ(table.HostToVirtual(Folder("/ab")), std::nullopt);  // shares the root's text only
  EXPECT_EQ(table.HostToVirtual(Folder("/a/../b")), std::nullopt);
  EXPECT_EQ(table.HostToVirtual(base_), std::nullopt);
}

TEST_F(DriveTableTest, HostToVirtualRefusesComponentsHoldingABackslash) {
  const DriveTable table = DriveTable::Parse("C=" + Folder("/a"), nullptr);
  EXPECT_EQ(table.HostToVirtual(Folder("/a/x\\y/z")), std::nullopt);
}

TEST_F(DriveTableTest, HostToVirtualOnOneDriveSeesThroughNearerRootsAndLinks) {
  const DriveTable table = DriveTable::Parse("C=" + Folder("/a") + ";D=" + Folder("/a/sub"), nullptr);
  std::filesystem::create_directories(Folder("/a/sub/tools"));
  EXPECT_EQ(table.HostToVirtualOn('c', Folder("/a/sub/tools")), "C:\\sub\\tools\\");
  EXPECT_EQ(table.HostToVirtualOn('D', Folder("/a/sub/tools")), "D:\\tools\\");
  // The same folder reached through a link still lies on drive C.
  std::filesystem::create_directory_symlink(Folder("/a/sub"), Folder("/alias"));
  EXPECT_EQ(table.HostToVirtualOn('C', Folder("/alias/tools")), "C:\\sub\\tools\\");
  EXPECT_EQ(table.HostToVirtualOn('D', Folder("/b")), std::nullopt);
  EXPECT_EQ(table.HostToVirtualOn('E', Folder("/a")), std::nullopt);
}

TEST_F(DriveTableTest, EnvironmentWinsOverStoredAndDiscovered) {
  const DrivesVariable variable(("E=" + Folder("/a")).c_str());
  const DriveTable table =
      DriveTable::FromSources({{"C", Folder("/b")}}, {{'D', Folder("/a/sub"), "DISC"}}, nullptr);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].letter, 'E');
}

TEST_F(DriveTableTest, StoredWinsOverDiscoveredWhenTheEnvironmentIsEmpty) {
  const DrivesVariable variable("");
  const DriveTable table =
      DriveTable::FromSources({{"c:", " " + Folder("/b")}}, {{'D', Folder("/a/sub"), "DISC"}}, nullptr);
  ASSERT_EQ(table.Drives().size(), 1u);
  EXPECT_EQ(table.Drives()[0].letter, 'C');
  EXPECT_EQ(table.Drives()[0].hostRoot, Folder("/b"));
}

TEST_F(DriveTableTest, DiscoveredDrivesKeepTheirLabels) {
  const DrivesVariable variable(nullptr);
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::FromSources({}, {{'D', Folder("/a/sub"), "DISC"}}, &problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_NE(table.Find('D'), nullptr);
  EXPECT_EQ(table.Find('D')->label, "DISC");
}

// Discovery reads the host's mounts and Wine prefix: it is asked only when
// neither the environment nor the store names a drive.
TEST_F(DriveTableTest, DiscoveryIsAskedOnlyWhenNoEarlierSourceGivesADrive) {
  int asked = 0;
  auto discover = [&] {
    ++asked;
    return std::vector<DriveMapping>{{'D', Folder("/a/sub"), "DISC"}};
  };
  {
    const DrivesVariable variable(("E=" + Folder("/a")).c_str());
    EXPECT_EQ(DriveTable::FromSources({{"C", Folder("/b")}}, discover, nullptr).Drives().size(), 1u);
  }
  const DrivesVariable variable(nullptr);
  EXPECT_NE(DriveTable::FromSources({{"C", Folder("/b")}}, discover, nullptr).Find('C'), nullptr);
  EXPECT_EQ(asked, 0);
  // A stored list whose every entry is refused gives no drive: discovery counts.
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::FromSources({{"C", "relative"}}, discover, &problems);
  EXPECT_EQ(asked, 1);
  ASSERT_NE(table.Find('D'), nullptr);
  EXPECT_EQ(problems.size(), 1u);
}

TEST(DefaultDriveLabel, IsTheFolderNameUpperCased) {
  EXPECT_EQ(DefaultDriveLabel("/home/u/.wine/drive_c"), "DRIVE_C");
  EXPECT_EQ(DefaultDriveLabel("/srv/win98/"), "WIN98");
  EXPECT_EQ(DefaultDriveLabel("/"), "ROOT");
  EXPECT_EQ(DefaultDriveLabel("/srv/two\nlines\x7f"), "TWO?LINES?");
}

}  // namespace
}  // namespace tidewell::platform
