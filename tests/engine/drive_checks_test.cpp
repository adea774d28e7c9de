#include "engine/drive_checks.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/dos_attrib.h"
#include "tests/support/temp_drive.h"
#include "tests/support/under_wine.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::TestWorld;

constexpr const char* kWriteTestFile = "$$$$$$$$.$$$";

#ifndef _WIN32
bool RunningAsRoot() { return geteuid() == 0; }
#endif

// Makes the process's working directory `path` for the life of the object.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : saved_(fs::current_path()) {
    std::error_code error;
    fs::current_path(path, error);
    changed_ = !error;
  }
  ~WorkingDirectory() {
    std::error_code ignored;
    fs::current_path(saved_, ignored);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  bool Changed() const { return changed_; }

 private:
  fs::path saved_;
  bool changed_ = false;
};

// ---------------------------------------------------------------------------
// DriveSpec and FolderSpec

TEST(DriveChecksPathParts, DriveSpecIsTheFirstCharacterAndAColon) {
  TestWorld world;
  const platform::DriveTable& drives = world.files.Drives();
  EXPECT_EQ(DriveSpec("c: [SYSTEM]", drives), "c:");
  EXPECT_EQ(DriveSpec("C:\\Windows", drives), "C:");
  EXPECT_EQ(DriveSpec("d", drives), "d:");
}

TEST(DriveChecksPathParts, FolderSpecPutsBackslashesAroundWhatFollowsTheColon) {
  TestWorld world;
  const platform::DriveTable& drives = world.files.Drives();
  EXPECT_EQ(FolderSpec("C:\\Windows", drives), "\\Windows\\");
  EXPECT_EQ(FolderSpec("C:\\Windows\\", drives), "\\Windows\\");
  EXPECT_EQ(FolderSpec("C:Windows\\System", drives), "\\Windows\\System\\");
  EXPECT_EQ(FolderSpec("\\Windows", drives), "\\Windows\\");
  EXPECT_EQ(FolderSpec("Windows", drives), "\\Windows\\");
}

TEST(DriveChecksPathParts, FolderSpecOfABareDriveIsOneBackslash) {
  TestWorld world;
  EXPECT_EQ(FolderSpec("C:", world.files.Drives()), "\\");
  EXPECT_EQ(FolderSpec("C:\\", world.files.Drives()), "\\");
}

TEST(DriveChecksPathParts, AnEmptyPathStandsForTheCurrentFolder) {
  TestWorld world("CD");
  world.Drive('D').Folder("Work\\Sub");
  WorkingDirectory cwd(world.Drive('D').Host("Work/Sub"));
  ASSERT_TRUE(cwd.Changed());
  EXPECT_EQ(DriveSpec("", world.files.Drives()), "D:");
  EXPECT_EQ(FolderSpec("", world.files.Drives()), "\\Work\\Sub\\");
}

TEST(DriveChecksPathParts, AnEmptyPathOffEveryDriveStandsForDriveC) {
  TestWorld world("CD");
  WorkingDirectory cwd(world.Outside());
  ASSERT_TRUE(cwd.Changed());
  EXPECT_EQ(DriveSpec("", world.files.Drives()), "C:");
  EXPECT_EQ(FolderSpec("", world.files.Drives()), "\\");
}

// ---------------------------------------------------------------------------
// PathExists

TEST(DriveChecksPathExists, FindsFilesAndFolders) {
  TestWorld world;
  world.Drive('C').Build({{"WINDOWS\\TEMP\\~DF1.TMP", 3}, {"EMPTY\\"}});
  EXPECT_TRUE(PathExists(world.context, "c:\\WINDOWS\\TEMP\\~DF1.TMP"));
  EXPECT_TRUE(PathExists(world.context, "c:\\WINDOWS\\TEMP\\"));
  EXPECT_TRUE(PathExists(world.context, "c:\\WINDOWS\\TEMP"));
  EXPECT_TRUE(PathExists(world.context, "c:\\EMPTY\\"));
}

TEST(DriveChecksPathExists, FindsADriveByItsSpecification) {
  TestWorld world;
  EXPECT_TRUE(PathExists(world.context, "c:"));
  EXPECT_TRUE(PathExists(world.context, "C:"));
  EXPECT_TRUE(PathExists(world.context, "c:\\"));
}

TEST(DriveChecksPathExists, FalseForWhatIsNotThere) {
  TestWorld world;
  world.Drive('C').Build({{"WINDOWS\\"}});
  EXPECT_FALSE(PathExists(world.context, "c:\\WINDOWS\\nothing.txt"));
  EXPECT_FALSE(PathExists(world.context, "c:\\NOFOLDER\\"));
  EXPECT_FALSE(PathExists(world.context, "q:"));
  EXPECT_FALSE(PathExists(world.context, "q:\\WINDOWS\\"));
  EXPECT_FALSE(PathExists(world.context, ""));
}

// ---------------------------------------------------------------------------
// NormalFileExists

TEST(DriveChecksNormalFile, MatchesAWildcardWithoutRegardToCase) {
  TestWorld world;
  world.Drive('C').Build({{"WINDOWS\\TEMP\\~df12.tmp", 1}});
  EXPECT_TRUE(NormalFileExists(world.context, "c:\\WINDOWS\\TEMP\\*.TMP"));
  EXPECT_TRUE(NormalFileExists(world.context, "c:\\windows\\temp\\~DF??.*"));
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\WINDOWS\\TEMP\\*.BAK"));
}

TEST(DriveChecksNormalFile, CountsReadOnlyFilesAsNormal) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\keep.idx", 1, "R"}});
  EXPECT_TRUE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
}

TEST(DriveChecksNormalFile, IgnoresHiddenFiles) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\.index.idx", 1}});
#ifdef _WIN32  // a leading dot hides nothing on Windows: the attribute does
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("DATA/.index.idx"), "0x2"));
#endif
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
}

TEST(DriveChecksNormalFile, IgnoresFilesHiddenOrSystemByTheirKeptAttributes) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\hidden.idx", 1}, {"DATA\\system.idx", 1}, {"DATA\\both.idx", 1}});
  if (const std::string reason = testing::UserXattrsUnsupported(world.Drive('C').Root()); !reason.empty()) {
    GTEST_SKIP() << reason;
  }
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("DATA/hidden.idx"), "0x22"));
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("DATA/system.idx"), "0x4"));
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("DATA/both.idx"), "0x6"));
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
  // Read-only and archive leave a file normal.
  ASSERT_TRUE(testing::SetDosAttrib(world.Drive('C').Host("DATA/system.idx"), "0x21"));
  EXPECT_TRUE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
}

TEST(DriveChecksNormalFile, IgnoresFolders) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\folder.idx\\"}, {"DATA\\.hidden.idx\\"}});
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
}

TEST(DriveChecksNormalFile, LooksOnlyInTheFolderItself) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\SUB\\deep.idx", 1}});
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\DATA\\*.idx"));
}

TEST(DriveChecksNormalFile, FalseForAnEmptyPatternOrAMissingFolder) {
  TestWorld world;
  world.Drive('C').Build({{"DATA\\a.idx", 1}});
  EXPECT_FALSE(NormalFileExists(world.context, ""));
  EXPECT_FALSE(NormalFileExists(world.context, "c:\\NOFOLDER\\*.idx"));
  EXPECT_FALSE(NormalFileExists(world.context, "q:\\DATA\\*.idx"));
}

// ---------------------------------------------------------------------------
// The write test

TEST(DriveChecksWriteTest, AWritableDriveIsNotReadOnly) {
  TestWorld world;
  EXPECT_FALSE(DriveIsReadOnly(world.context, "c: [DRIVE_C]"));
}

TEST(DriveChecksWriteTest, LeavesNoTestFileBehind) {
  TestWorld world;
  world.Drive('C').Build({{"keep.txt", 1}});
  DriveIsReadOnly(world.context, "c:");
  EXPECT_FALSE(world.Drive('C').Exists(kWriteTestFile));
  EXPECT_TRUE(world.Drive('C').Exists("keep.txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(world.Drive('C').Root()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(DriveChecksWriteTest, AnExistingTestFileIsNeitherEmptiedNorDeleted) {
  TestWorld world;
  world.Drive('C').File(kWriteTestFile, 100);
  EXPECT_FALSE(DriveIsReadOnly(world.context, "c:"));
  EXPECT_EQ(fs::file_size(world.Drive('C').Host(kWriteTestFile)), 100u);
  // The test under another name left nothing behind either.
  EXPECT_EQ(std::distance(fs::directory_iterator(world.Drive('C').Root()), fs::directory_iterator()), 1);
}

TEST(DriveChecksWriteTest, ATestFileLinkedToAFileOutsideTheDriveLeavesThatFileWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "hard links and permission bits are POSIX fixtures here (Wine makes no hard links on the host)";
#else
  TestWorld world;
  const std::string sentinel = world.Outside("sentinel.txt");
  std::ofstream(sentinel, std::ios::binary) << "twenty-two bytes here.";
  ASSERT_EQ(chmod(sentinel.c_str(), 0640), 0);
  ASSERT_EQ(link(sentinel.c_str(), world.Drive('C').Host(kWriteTestFile).c_str()), 0);
  EXPECT_FALSE(DriveIsReadOnly(world.context, "c:"));
  std::ifstream in(sentinel, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "twenty-two bytes here.");
  EXPECT_EQ(testing::ModeOf(sentinel), 0640u);
  EXPECT_TRUE(world.Drive('C').Exists(kWriteTestFile));
#endif
}

// Whatever bears the test file's name in the root is somebody's:
// it is stepped around, left exactly as it was, and a writable drive stays
// writable. Each kind of entry in turn, on a fresh drive.
TEST(DriveChecksWriteTest, AnyEntryOfTheTestFilesNameIsSteppedAround) {
#ifdef _WIN32
  GTEST_SKIP() << "links and FIFOs are POSIX fixtures here";
#else
  struct Kind {
    const char* what;
    std::function<void(TestWorld&, const std::string&)> make;
  };
  const std::vector<Kind> kinds = {
      {"an empty folder", [](TestWorld& w, const std::string& name) { w.Drive('C').Folder(name + "/"); }},
      {"a folder with a file",
       [](TestWorld& w, const std::string& name) { w.Drive('C').File(name + "/inside.txt", 5); }},
      {"a link to a folder outside",
       [](TestWorld& w, const std::string& name) {
         fs::create_directories(w.Outside("target"));
         w.Drive('C').Link(name, w.Outside("target"));
       }},
      {"a link to a file outside",
       [](TestWorld& w, const std::string& name) {
         std::ofstream(w.Outside("target.txt")) << "outside";
         w.Drive('C').Link(name, w.Outside("target.txt"));
       }},
      {"a dangling link", [](TestWorld& w, const std::string& name) { w.Drive('C').Link(name, w.Outside("nothing")); }},
      {"a FIFO",
       [](TestWorld& w, const std::string& name) { ASSERT_EQ(mkfifo(w.Drive('C').Host(name).c_str(), 0644), 0); }},
      {"a file", [](TestWorld& w, const std::string& name) { w.Drive('C').File(name, 7); }},
  };
  const std::string name = kWriteTestFile;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.what);
    TestWorld world;
    kind.make(world, name);
    const auto before = testing::DriveContents(world.Drive('C'));
    EXPECT_FALSE(DriveIsReadOnly(world.context, "c:"));
    EXPECT_EQ(testing::DriveContents(world.Drive('C')), before);
  }
#endif
}

TEST(DriveChecksWriteTest, AReadOnlyRootIsReadOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a folder's read-only attribute does not stop files being created in it";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from creating files";
  TestWorld world;
  world.Drive('C').SetReadOnly("");
  EXPECT_TRUE(DriveIsReadOnly(world.context, "c:"));
  EXPECT_FALSE(world.Drive('C').Exists(kWriteTestFile));
#endif
}

TEST(DriveChecksWriteTest, ADriveThatIsNotThereIsReadOnly) {
  TestWorld world("CD");
  std::filesystem::remove_all(world.Drive('D').Root());
  EXPECT_TRUE(DriveIsReadOnly(world.context, "d:"));
  EXPECT_TRUE(DriveIsReadOnly(world.context, "q:"));
}

// ---------------------------------------------------------------------------
// Free space

TEST(DriveChecksFreeSpace, IsTheVolumesFreeBlocksInSinglePrecision) {
  TestWorld world;
  const std::string root = world.Drive('C').Root();
  // Other processes may change the free space while this runs: compare only
  // when the volume held still around the query.
#ifdef _WIN32
  if (testing::UnderWine()) {
    GTEST_SKIP() << "Wine reports the free space this user may take as the volume's free space too";
  }
  const auto freeBytes = [&root] {
    ULARGE_INTEGER available{}, total{}, free{};
    EXPECT_TRUE(GetDiskFreeSpaceExW(fs::path(root).c_str(), &available, &total, &free));
    return free.QuadPart;
  };
#else
  const auto freeBytes = [&root] {
    struct statvfs facts {};
    EXPECT_EQ(statvfs(root.c_str(), &facts), 0);
    return static_cast<unsigned long long>(facts.f_bfree) * facts.f_frsize;
  };
#endif
  bool compared = false;
  for (int attempt = 0; attempt < 20 && !compared; ++attempt) {
    const unsigned long long before = freeBytes();
    const float reported = DriveFreeBytes(world.context, "c:");
    const unsigned long long after = freeBytes();
    if (before != after) continue;
    EXPECT_EQ(reported, static_cast<float>(before));
    compared = true;
  }
  EXPECT_TRUE(compared) << "the free space never held still";
}

TEST(DriveChecksFreeSpace, IsZeroForAnUnmappedLetter) {
  TestWorld world;
  EXPECT_EQ(DriveFreeBytes(world.context, "q:"), 0.0f);
}

// ---------------------------------------------------------------------------
// The drive list's change handler

// A world whose drive list runs the drive check on every change, as the main
// window's handler does.
struct DriveListWorld {
  explicit DriveListWorld(std::string_view letters) : world(letters) {
    world.feedback.onDriveChanged = [this] { CheckSelectedDrive(world.context); };
  }
  DriveListWorld(const DriveListWorld&) = delete;
  DriveListWorld& operator=(const DriveListWorld&) = delete;
  void Select(char letter) {
    world.feedback.selectedDrive = world.feedback.driveEntries.at(letter);
    CheckSelectedDrive(world.context);
  }
  TestWorld world;
};

TEST(DriveChecksSelectedDrive, AHealthyDriveIsReadyToClean) {
  TestWorld world;
  CheckSelectedDrive(world.context);
  EXPECT_EQ(world.feedback.statusTexts,
            (std::vector<std::string>{"Checking drive ...", "Ready to clean drive C: [DRIVE_C]"}));
  EXPECT_TRUE(world.feedback.messages.empty());
  EXPECT_EQ(world.feedback.repaints, 1);
}

TEST(DriveChecksSelectedDrive, AHealthyDriveStaysSelected) {
  DriveListWorld list("CD");
  list.Select('D');
  EXPECT_EQ(list.world.feedback.selectedDrive, list.world.feedback.driveEntries.at('D'));
  EXPECT_EQ(list.world.feedback.StatusText(), "Ready to clean drive D: [DRIVE_D]");
  EXPECT_FALSE(list.world.Drive('D').Exists(kWriteTestFile));
}

TEST(DriveChecksSelectedDrive, AnInaccessibleDriveShowsTheAccessMessage) {
  DriveListWorld list("CD");
  std::filesystem::remove_all(list.world.Drive('D').Root());
  list.Select('D');
  ASSERT_EQ(list.world.feedback.messages.size(), 1u);
  const Message& message = list.world.feedback.messages[0];
  EXPECT_EQ(message.title, "Drive Error");
  EXPECT_EQ(message.text,
            "Tidewell can't access drive D: [DRIVE_D]\r\r"
            "Make sure the disk drive is on, connected, and contains a disk.");
  EXPECT_EQ(message.icon, MessageIcon::Error);
  EXPECT_EQ(message.buttons, MessageButtons::Ok);
}

TEST(DriveChecksSelectedDrive, AnInaccessibleDriveFallsBackToDriveC) {
  DriveListWorld list("CD");
  std::filesystem::remove_all(list.world.Drive('D').Root());
  list.Select('D');
  EXPECT_EQ(list.world.feedback.selectedDrive, list.world.feedback.driveEntries.at('C'));
  // The fallback re-enters the handler for C; then the first run goes on
  // with the write test of the drive now shown.
  EXPECT_EQ(list.world.feedback.statusTexts,
            (std::vector<std::string>{"Checking drive ...", "Can't clean drive D: [DRIVE_D]", "Checking drive ...",
                                      "Ready to clean drive C: [DRIVE_C]", "Ready to clean drive C: [DRIVE_C]"}));
}

TEST(DriveChecksSelectedDrive, AReadOnlyDriveShowsOnlyTheReadOnlyMessageAndFallsBackToDriveC) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows a folder's read-only attribute does not stop files being created in it";
#else
  if (RunningAsRoot()) GTEST_SKIP() << "permission bits do not stop root from creating files";
  DriveListWorld list("CD");
  list.world.Drive('D').SetReadOnly("");
  list.Select('D');
  ASSERT_EQ(list.world.feedback.messages.size(), 1u);
  const Message& message = list.world.feedback.messages[0];
  EXPECT_EQ(message.title, "Drive Error");
  EXPECT_EQ(message.text, "Tidewell can't clean drive D: [DRIVE_D] because it is a read-only device.");
  EXPECT_EQ(message.icon, MessageIcon::Error);
  EXPECT_EQ(list.world.feedback.selectedDrive, list.world.feedback.driveEntries.at('C'));
  EXPECT_EQ(list.world.feedback.statusTexts,
            (std::vector<std::string>{"Checking drive ...", "Can't clean drive D: [DRIVE_D]", "Checking drive ...",
                                      "Ready to clean drive C: [DRIVE_C]", "Ready to clean drive C: [DRIVE_C]"}));
#endif
}

TEST(DriveChecksSelectedDrive, SuppressedEventsSkipTheTests) {
  DriveListWorld list("CD");
  std::filesystem::remove_all(list.world.Drive('D').Root());
  list.world.config.suppressEvents = true;
  list.Select('D');
  EXPECT_EQ(list.world.feedback.statusTexts,
            (std::vector<std::string>{"Checking drive ...", "Ready to clean drive D: [DRIVE_D]"}));
  EXPECT_TRUE(list.world.feedback.messages.empty());
  EXPECT_EQ(list.world.feedback.selectedDrive, list.world.feedback.driveEntries.at('D'));
}

TEST(DriveChecksSelectedDrive, AFolderInTheTestFilesPlaceLeavesAWritableDriveReadyToClean) {
  DriveListWorld list("CD");
  list.world.Drive('D').Folder(std::string(kWriteTestFile) + "/");
  list.Select('D');
  EXPECT_TRUE(list.world.feedback.messages.empty());
  EXPECT_EQ(list.world.feedback.selectedDrive, list.world.feedback.driveEntries.at('D'));
  EXPECT_TRUE(list.world.Drive('D').Exists(kWriteTestFile));
}

}  // namespace
}  // namespace tidewell
