// The Windows file system layer on real folders: attributes as Windows keeps
// them, deletion by handle, the refusals of virtual_file_system.h, folders
// opened along a chain of handles (each relative to its parent's), and drive
// mappings written with drive letters. Runs on Windows and under Wine; the
// reparse-point cases need real Windows (Wine reports a created link as made
// without making one) and skip under Wine.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
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
    for (fs::recursive_directory_iterator entry(path_, ignored), end; entry != end; entry.increment(ignored)) {
      SetFileAttributesW(entry->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

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

std::set<std::string> Names(VirtualFileSystem& files, const std::string& folder) {
  std::set<std::string> names;
  for (const auto& [name, entry] : Listing(files, folder)) names.insert(name);
  return names;
}

TEST_F(WindowsDrive, EachRefusalKeepsItsCode) {
  WriteFile(Host("DATA\\file.txt"), 1);
  WriteFile(Host("in-use.tmp"), 5);
  FolderReader reader;
  EntryFacts facts;
  EXPECT_EQ(files_.OpenFolder("C:\\DATA\\file.txt\\", reader), std::errc::not_a_directory);
  EXPECT_EQ(files_.OpenFolder("C:\\GONE\\", reader), std::errc::no_such_file_or_directory);
  EXPECT_EQ(files_.Stat("C:\\GONE\\x.txt", facts), std::errc::no_such_file_or_directory);
  EXPECT_EQ(files_.RemoveFile("C:\\DATA\\gone.txt"), std::errc::no_such_file_or_directory);
  EXPECT_EQ(files_.RemoveFolder("C:\\DATA\\file.txt\\"), std::errc::not_a_directory);
  EXPECT_TRUE(fs::exists(Host("DATA\\file.txt")));
  const HANDLE held = CreateFileW(Host("in-use.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files_.RemoveFile("C:\\in-use.tmp"), std::errc::device_or_resource_busy);
  CloseHandle(held);
}

// A subfolder is found from the handle it is given, not from the path: a
// handle of one folder with the path of another lists the handle's folder.
// A name the handle's folder lacks is left to the path.
TEST_F(WindowsDrive, SubfolderIsOpenedFromItsParentsHandle) {
  WriteFile(Host("TEMP\\Sub\\a.tmp"), 2);
  WriteFile(Host("TEMP\\file.txt"), 1);
  WriteFile(Host("OTHER\\Sub\\decoy.tmp"), 1);
  WriteFile(Host("OTHER\\Only\\only.tmp"), 1);
  FolderReader reader;
  ASSERT_FALSE(files_.OpenFolder("C:\\TEMP\\", reader));
  const FolderHandle temp = reader.ReleaseFolder();
  files_.ForgetOpenFolders();

  FolderReader sub;
  ASSERT_FALSE(files_.OpenSubfolder(temp, "sub", "C:\\OTHER\\Sub\\", sub));
  FolderEntry entry;
  ASSERT_TRUE(sub.Next(entry));
  EXPECT_EQ(entry.name, "a.tmp");
  EXPECT_FALSE(sub.Next(entry));
  FolderReader only;
  ASSERT_FALSE(files_.OpenSubfolder(temp, "Only", "C:\\OTHER\\Only\\", only));
  ASSERT_TRUE(only.Next(entry));
  EXPECT_EQ(entry.name, "only.tmp");
  FolderReader file;
  EXPECT_EQ(files_.OpenSubfolder(temp, "file.txt", "C:\\TEMP\\file.txt\\", file), std::errc::not_a_directory);

  EntryFacts facts;
  ASSERT_FALSE(temp.StatEntry("file.txt", facts));
  EXPECT_EQ(facts.length, 1);
  EXPECT_EQ(temp.StatEntry("decoy.tmp", facts), std::errc::no_such_file_or_directory);
}

// The chain keeps the folders it checked: after a rename the next operation
// goes to the folder that was resolved, never to what took its path, until
// the open folders are forgotten. (Wine keeps, for an entry opened below a
// folder, the path that folder had: below a renamed folder it fails, or
// deletes nothing, where Windows deletes the resolved folder's file; the
// file that took the path is left alone on both.)
TEST_F(WindowsDrive, FoldersRenamedBetweenOperationsAreSeenAfreshOnlyOnceForgotten) {
  WriteFile(Host("A\\B\\old.tmp"), 1);
  WriteFile(Host("A\\B\\older.tmp"), 1);
  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\A\\B\\old.tmp", facts));
  fs::rename(Host("A"), Host("A-before"));
  WriteFile(Host("A\\B\\new.tmp"), 2);
  WriteFile(Host("A\\B\\old.tmp"), 3);

  const std::error_code removed = files_.RemoveFile("C:\\A\\B\\old.tmp");
  EXPECT_EQ(fs::file_size(Host("A\\B\\old.tmp")), 3u);
  if (!UnderWine()) {
    EXPECT_FALSE(removed) << removed.message();
    EXPECT_FALSE(fs::exists(Host("A-before\\B\\old.tmp")));
  }
  EXPECT_NE(files_.Stat("C:\\A\\B\\new.tmp", facts), std::error_code());

  files_.ForgetOpenFolders();
  ASSERT_FALSE(files_.Stat("C:\\A\\B\\new.tmp", facts));
  EXPECT_EQ(facts.length, 2);
  EXPECT_EQ(files_.RemoveFile("C:\\A\\B\\older.tmp"), std::errc::no_such_file_or_directory);
  EXPECT_TRUE(fs::exists(Host("A-before\\B\\older.tmp")));
  EXPECT_EQ(Names(files_, "C:\\a\\b\\"), (std::set<std::string>{"new.tmp", "old.tmp"}));
}

TEST_F(WindowsDrive, FolderRemovedAndMadeAgainIsSeenFresh) {
  WriteFile(Host("A\\B\\f.tmp"), 1);
  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\a\\b\\f.tmp", facts));
  ASSERT_FALSE(files_.RemoveFile("C:\\a\\b\\f.tmp"));
  ASSERT_FALSE(files_.RemoveFolder("C:\\A\\B\\"));
  EXPECT_FALSE(fs::exists(Host("A\\B")));
  WriteFile(Host("A\\B\\g.tmp"), 3);
  ASSERT_FALSE(files_.Stat("C:\\a\\b\\g.tmp", facts));
  EXPECT_EQ(facts.length, 3);
  EXPECT_EQ(Names(files_, "C:\\a\\b\\"), std::set<std::string>{"g.tmp"});
}

// Deeper than the chain keeps open and far beyond MAX_PATH: each folder is
// opened by one name from its parent, reopened from an open ancestor once
// the shallow ones are closed. The tree is removed through the file system
// itself, deepest first.
TEST_F(WindowsDrive, FolderFarBeyondThePathLimitIsReachable) {
  constexpr int kDepth = 160;
  const std::string name = "LEVEL-xxxx";
  std::wstring host = L"\\\\?\\" + root_.Path().wstring();
  std::string folder = "C:\\";
  for (int i = 0; i < kDepth; ++i) {
    host += L"\\" + fs::path(name).wstring();
    ASSERT_TRUE(CreateDirectoryW(host.c_str(), nullptr)) << "level " << i;
    folder += name + "\\";
  }
  ASSERT_GT(host.size(), 6u * MAX_PATH);

  EXPECT_FALSE(files_.CreateEmptyFile(folder + "bottom.tmp"));
  EXPECT_EQ(Names(files_, folder), std::set<std::string>{"bottom.tmp"});
  EntryFacts facts;
  EXPECT_FALSE(files_.Stat(folder + "BOTTOM.TMP", facts));
  files_.ForgetOpenFolders();
  EXPECT_FALSE(files_.Stat(folder + "bottom.tmp", facts));
  EXPECT_FALSE(files_.RemoveFile(folder + "bottom.tmp"));
  for (int i = 0; i < kDepth; ++i) {
    ASSERT_FALSE(files_.RemoveFolder(folder)) << "level " << kDepth - i;
    folder.resize(folder.size() - name.size() - 1);
  }
  EXPECT_TRUE(Names(files_, "C:\\").empty());
}

// Makes `link` (an empty folder) a junction to `target`, as mklink /J does.
bool MakeJunction(const fs::path& link, const fs::path& target) {
  const std::wstring substitute = L"\\??\\" + fs::absolute(target).wstring();
  const std::wstring print = fs::absolute(target).wstring();
  const std::size_t names = (substitute.size() + 1 + print.size() + 1) * sizeof(wchar_t);
  std::vector<unsigned char> buffer(8 + 8 + names, 0);
  auto put16 = [&](std::size_t at, std::size_t value) {
    buffer[at] = static_cast<unsigned char>(value & 0xFF);
    buffer[at + 1] = static_cast<unsigned char>(value >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, sizeof tag);
  put16(4, 8 + names);                                       // ReparseDataLength
  put16(8, 0);                                               // SubstituteNameOffset
  put16(10, substitute.size() * sizeof(wchar_t));            // SubstituteNameLength
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));      // PrintNameOffset
  put16(14, print.size() * sizeof(wchar_t));                 // PrintNameLength
  std::memcpy(buffer.data() + 16, substitute.c_str(), substitute.size() * sizeof(wchar_t));
  std::memcpy(buffer.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), print.c_str(),
              print.size() * sizeof(wchar_t));
  fs::create_directories(link);
  const HANDLE folder = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(folder);
  return made && (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A junction inside the drive to a folder outside it, on real Windows.
class WindowsJunction : public WindowsDrive {
 protected:
  void SetUp() override {
    if (UnderWine()) {
      GTEST_SKIP() << "Wine makes no reparse points (a created link is reported made and is not): "
                      "junction safety is tested on Windows";
    }
    WriteFile(outside_.Path() / "victim.txt", 4);
    if (!MakeJunction(Host("TEMP\\JUNCTION"), outside_.Path())) {
      GTEST_SKIP() << "cannot make a junction in the temporary folder (error " << GetLastError() << ")";
    }
  }
  // A junction is removed as itself (never what it leads to) before the
  // temporary folders go.
  void TearDown() override {
    RemoveDirectoryW(Host("TEMP\\JUNCTION").c_str());
    RemoveDirectoryW(Host("CACHE").c_str());
  }
  void ExpectOutsideIntact() {
    EXPECT_TRUE(fs::exists(outside_.Path() / "victim.txt"));
    EXPECT_EQ(GetFileAttributesW((outside_.Path() / "victim.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  }
  TempFolder outside_;
};

TEST_F(WindowsJunction, IsListedAsAFileAndNeverEntered) {
  const auto entries = Listing(files_, "C:\\TEMP\\");
  ASSERT_EQ(entries.count("JUNCTION"), 1u);
  EXPECT_FALSE(entries.at("JUNCTION").isFolder);
  FolderReader reader;
  EXPECT_EQ(files_.OpenFolder("C:\\TEMP\\JUNCTION\\", reader), std::errc::too_many_symbolic_link_levels);
  FolderReader temp;
  ASSERT_FALSE(files_.OpenFolder("C:\\TEMP\\", temp));
  const FolderHandle parent = temp.ReleaseFolder();
  EXPECT_EQ(files_.OpenSubfolder(parent, "JUNCTION", "C:\\TEMP\\JUNCTION\\", reader),
            std::errc::too_many_symbolic_link_levels);
  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\TEMP\\JUNCTION", facts));
  EXPECT_TRUE(facts.isLink);
  EXPECT_FALSE(facts.attributes & kFolder);
  EXPECT_EQ(files_.Stat("C:\\TEMP\\JUNCTION\\victim.txt", facts), std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(files_.RemoveFile("C:\\TEMP\\JUNCTION\\victim.txt"), std::errc::too_many_symbolic_link_levels);
  EXPECT_FALSE(files_.SetAttributes("C:\\TEMP\\JUNCTION", kHidden));
  EXPECT_EQ(files_.RemoveFolder("C:\\TEMP\\JUNCTION\\"), std::errc::too_many_symbolic_link_levels);
  ExpectOutsideIntact();
  EXPECT_FALSE(files_.RemoveFile("C:\\TEMP\\JUNCTION"));
  EXPECT_FALSE(fs::exists(Host("TEMP\\JUNCTION")));
  ExpectOutsideIntact();
}

// A folder the file system has resolved is swapped for a junction to the
// outside: forgotten or kept, nothing outside is reached.
TEST_F(WindowsJunction, FolderSwappedForAJunctionLeadsNowhereOutside) {
  WriteFile(Host("CACHE\\victim.txt"), 1);
  EntryFacts facts;
  ASSERT_FALSE(files_.Stat("C:\\CACHE\\victim.txt", facts));
  fs::rename(Host("CACHE"), Host("CACHE.was"));
  ASSERT_TRUE(MakeJunction(Host("CACHE"), outside_.Path()));

  EXPECT_FALSE(files_.RemoveFile("C:\\CACHE\\victim.txt"));  // the resolved folder's own file
  EXPECT_FALSE(fs::exists(Host("CACHE.was\\victim.txt")));
  ExpectOutsideIntact();
  files_.ForgetOpenFolders();
  EXPECT_EQ(files_.RemoveFile("C:\\CACHE\\victim.txt"), std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(files_.SetAttributes("C:\\CACHE\\victim.txt", kHidden), std::errc::too_many_symbolic_link_levels);
  ExpectOutsideIntact();
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
