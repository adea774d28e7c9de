// The Windows file system layer on real folders: attributes as Windows keeps
// them, deletion by handle, the refusals of virtual_file_system.h, and drive
// mappings written with drive letters. Runs on Windows and under Wine; the
// reparse-point cases need real Windows (Wine reports a created link as made
// without making one) and are not here.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/drive_table.h"
#include "platform/virtual_file_system.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the user's temporary folder, removed with the object
// (read-only entries made writable first).
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    path_ = fs::path(base) / ("tidewell-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(GetTickCount64()) + "-" + std::to_string(counter_++));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path_, ignored)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

void WriteFile(const fs::path& path, std::size_t size) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// Drive C mapped onto a temporary folder, written the Windows way.
class WindowsDrive : public ::testing::Test {
 protected:
  WindowsDrive() : files_(Table()) {}

  DriveTable Table() {
    std::vector<std::string> problems;
    DriveTable table = DriveTable::Parse("C=" + root_.Path().string(), &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    return table;
  }
  fs::path Host(const std::string& relative) const { return root_.Path() / relative; }

  TempFolder root_;
  VirtualFileSystem files_;
};

std::map<std::string, FolderEntry> Listing(VirtualFileSystem& files, const std::string& folder) {
  std::map<std::string, FolderEntry> entries;
  FolderReader reader;
  EXPECT_FALSE(files.OpenFolder(folder, reader));
  FolderEntry entry;
  while (reader.Next(entry)) entries[entry.name] = entry;
  return entries;
}

TEST_F(WindowsDrive, ListingTellsFoldersAndTheHiddenAndSystemAttributes) {
  WriteFile(Host("TEMP\\~DF1.TMP"), 3);
  WriteFile(Host("TEMP\\plain.txt"), 1);
  WriteFile(Host("TEMP\\marker.dat"), 1);
  fs::create_directories(Host("TEMP\\SUB"));
  SetFileAttributesW(Host("TEMP\\~DF1.TMP").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(Host("TEMP\\marker.dat").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);

  const auto entries = Listing(files_, "c:\\temp\\");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_TRUE(entries.at("SUB").isFolder);
  EXPECT_FALSE(entries.at("plain.txt").isFolder);
  EXPECT_TRUE(entries.at("~DF1.TMP").hidden);
  EXPECT_FALSE(entries.at("~DF1.TMP").system);
  EXPECT_TRUE(entries.at("marker.dat").hidden && entries.at("marker.dat").system);
  EXPECT_FALSE(entries.at("plain.txt").hidden || entries.at("plain.txt").system);
}

TEST_F(WindowsDrive, StatReportsAttributesLengthAndFolders) {
  WriteFile(Host("DATA\\keep.doc"), 1234);
  SetFileAttributesW(Host("DATA\\keep.doc").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\DATA\\keep.doc", facts));
  EXPECT_EQ(facts.attributes, kReadOnly | kArchive);
  EXPECT_EQ(facts.length, 1234);
  EXPECT_FALSE(facts.isLink);
  ASSERT_FALSE(files_.Stat("C:\\data", facts));
  EXPECT_TRUE(facts.attributes & kFolder);
  ASSERT_FALSE(files_.Stat("C:\\DATA\\keep.doc", facts, VirtualFileSystem::AttributeQuery::FolderOnly));
  EXPECT_EQ(facts.attributes, kNormal);
  EXPECT_EQ(files_.Stat("C:\\DATA\\gone.doc", facts), std::errc::no_such_file_or_directory);
}

// Wine reports every file as archived, whatever was set, so the archive bit
// is checked only where it was asked for.
TEST_F(WindowsDrive, SetAttributesWritesExactlyTheRequestedBits) {
  constexpr DWORD kShown = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  WriteFile(Host("a.txt"), 1);
  ASSERT_FALSE(files_.SetAttributes("C:\\a.txt", kHidden | kSystem));
  EXPECT_EQ(GetFileAttributesW(Host("a.txt").c_str()) & kShown, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  ASSERT_FALSE(files_.SetAttributes("C:\\a.txt", kReadOnly | kArchive));
  EXPECT_EQ(GetFileAttributesW(Host("a.txt").c_str()) & (kShown | FILE_ATTRIBUTE_ARCHIVE),
            DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE});
  ASSERT_FALSE(files_.SetAttributes("C:\\a.txt", kNormal));
  EXPECT_EQ(GetFileAttributesW(Host("a.txt").c_str()) & kShown, 0u);
  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\a.txt", facts));
  EXPECT_EQ(facts.attributes & (kReadOnly | kHidden | kSystem), kNormal);
}

TEST_F(WindowsDrive, ReadOnlyFileIsDeletedOnlyOnceItsAttributeIsCleared) {
  WriteFile(Host("TEMP\\locked.tmp"), 5);
  SetFileAttributesW(Host("TEMP\\locked.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(files_.RemoveFile("C:\\TEMP\\locked.tmp"), std::errc::permission_denied);
  EXPECT_TRUE(fs::exists(Host("TEMP\\locked.tmp")));
  ASSERT_FALSE(files_.SetAttributes("C:\\TEMP\\locked.tmp", kNormal));
  EXPECT_FALSE(files_.RemoveFile("C:\\TEMP\\locked.tmp"));
  EXPECT_FALSE(fs::exists(Host("TEMP\\locked.tmp")));
}

TEST_F(WindowsDrive, FileHeldOpenWithoutSharingIsLeft) {
  WriteFile(Host("in-use.tmp"), 5);
  const HANDLE held = CreateFileW(Host("in-use.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(files_.RemoveFile("C:\\in-use.tmp"));
  CloseHandle(held);
  EXPECT_TRUE(fs::exists(Host("in-use.tmp")));
  EXPECT_FALSE(files_.RemoveFile("C:\\in-use.tmp"));
  EXPECT_FALSE(fs::exists(Host("in-use.tmp")));
}

TEST_F(WindowsDrive, FoldersAreRemovedOnlyEmptyAndNeverAsFiles) {
  WriteFile(Host("FULL\\x.tmp"), 1);
  fs::create_directories(Host("EMPTY"));
  EXPECT_EQ(files_.RemoveFile("C:\\EMPTY"), std::errc::is_a_directory);
  EXPECT_EQ(files_.RemoveFolder("C:\\FULL\\"), std::errc::directory_not_empty);
  EXPECT_TRUE(fs::exists(Host("FULL\\x.tmp")));
  EXPECT_FALSE(files_.RemoveFolder("C:\\EMPTY\\"));
  EXPECT_FALSE(fs::exists(Host("EMPTY")));
  EXPECT_TRUE(files_.RemoveFolder("C:\\"));
  EXPECT_TRUE(fs::exists(root_.Path()));
}

TEST_F(WindowsDrive, PathsThatClimbOrNameNoDriveAreRefused) {
  EntryFacts facts;
  EXPECT_EQ(files_.Stat("C:\\..\\x", facts), std::errc::invalid_argument);
  EXPECT_EQ(files_.RemoveFile("C:\\a\\.\\b"), std::errc::invalid_argument);
  EXPECT_EQ(files_.Stat("Q:\\x", facts), std::errc::no_such_device);
  EXPECT_EQ(files_.Stat("C:x/y", facts), std::errc::invalid_argument);
}

TEST_F(WindowsDrive, CreateEmptyFileNeverOpensAnExistingEntry) {
  WriteFile(Host("there.txt"), 7);
  fs::create_directories(Host("FOLDER"));
  EXPECT_EQ(files_.CreateEmptyFile("C:\\THERE.TXT"), std::errc::file_exists);
  EXPECT_EQ(fs::file_size(Host("there.txt")), 7u);
  EXPECT_EQ(files_.CreateEmptyFile("C:\\folder"), std::errc::file_exists);
  EXPECT_FALSE(files_.CreateEmptyFile("C:\\new.txt"));
  EXPECT_EQ(fs::file_size(Host("new.txt")), 0u);
}

TEST_F(WindowsDrive, SparedFolderIsNeitherListedNorChanged) {
  WriteFile(Host("PROGRAM\\Tidewell.log"), 3);
  files_.SpareFolders({Host("PROGRAM").string()});
  FolderReader reader;
  EXPECT_EQ(files_.OpenFolder("C:\\PROGRAM\\", reader), std::errc::permission_denied);
  EXPECT_EQ(files_.RemoveFile("C:\\PROGRAM\\Tidewell.log"), std::errc::permission_denied);
  EXPECT_TRUE(fs::exists(Host("PROGRAM\\Tidewell.log")));
}

TEST_F(WindowsDrive, HostPathAndFreeBytesComeFromTheMappedFolder) {
  std::string host;
  ASSERT_FALSE(files_.HostPath("c:\\WINDOWS\\TEMP\\x.tmp", host));
  EXPECT_EQ(fs::path(host), root_.Path() / "WINDOWS" / "TEMP" / "x.tmp");
  std::uint64_t free = 0;
  ASSERT_FALSE(files_.FreeBytes('C', free));
  EXPECT_GT(free, 0u);
}

TEST(WindowsDriveTable, BothSeparatorsNameTheSameFolder) {
  TempFolder folder;
  std::string slashed = folder.Path().string();
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::vector<std::string> problems;
  const DriveTable table =
      DriveTable::Parse("C=" + folder.Path().string() + "\\;D=" + slashed + "//", &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("same folder as drive C"), std::string::npos) << problems[0];
  ASSERT_NE(table.Find('C'), nullptr);
  EXPECT_EQ(table.HostToVirtual(slashed + "/WINDOWS/TEMP"), "C:\\WINDOWS\\TEMP\\");
}

TEST(WindowsDriveTable, TheWindowsAndSystemFoldersAreNoDrivesButTheirVolumeIs) {
  wchar_t windows[MAX_PATH + 1];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH + 1), 0u);
  wchar_t system[MAX_PATH + 1];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH + 1), 0u);
  const fs::path folder(windows);
  std::vector<std::string> problems;
  const DriveTable table = DriveTable::Parse(
      "C=" + folder.root_path().string() + ";E=" + folder.string() + ";F=" + fs::path(system).string(), &problems);
  ASSERT_NE(table.Find('C'), nullptr) << (problems.empty() ? "" : problems[0]);
  EXPECT_EQ(table.Find('E'), nullptr);
  EXPECT_EQ(table.Find('F'), nullptr);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("Windows folder"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("system folder"), std::string::npos) << problems[1];
}

}  // namespace
}  // namespace tidewell::platform
