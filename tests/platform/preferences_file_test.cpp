#include "platform/preferences_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "platform/text_file.h"
#include "tests/support/temp_drive.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using tidewell::testing::TempFolder;

using namespace std::string_literals;
using Values = std::vector<std::pair<std::string, std::string>>;

// BOM, CR LF, a line in no section, comments, blanks around "=", a binary
// line with a NUL, a second "name", a value holding "=", and a torn last line.
const std::string kMessy =
    "\xEF\xBB\xBF" "orphan=1\r\n[ Preferences ]\r\n; Skip=1\r\n# Hash=1\r\n Name = Value \r\n"
    "bin\x01\xff" "\0junk\r\nname=second\r\nEq=a=b\r\n\r\n[Info]\r\nLast=torn"s;

TEST(IniDocumentTest, ParsesMessyTextAndGivesItBackUnchanged) {
  const IniDocument doc = IniDocument::Parse(kMessy);
  EXPECT_EQ(doc.Get("preferences", "NAME"), "Value");  // first of two, trimmed, any case
  EXPECT_EQ(doc.Get("Preferences", "Eq"), "a=b");
  EXPECT_EQ(doc.Get("Info", "Last"), "torn");
  EXPECT_EQ(doc.Get("Preferences", "orphan"), std::nullopt);
  EXPECT_EQ(doc.Get("Preferences", "Skip"), std::nullopt);
  EXPECT_EQ(doc.Get("Preferences", "# Hash"), std::nullopt);
  EXPECT_EQ(doc.Section("PREFERENCES"), (Values{{"Name", "Value"}, {"Eq", "a=b"}}));
  EXPECT_EQ(doc.Text(), kMessy);
}

// Found by fuzzing: a last line torn between its CR and its LF, in a file
// whose lines end in LF, kept its value only until something was appended.
TEST(IniDocumentTest, AppendingAfterALineTornAfterItsCrKeepsItsValue) {
  IniDocument doc = IniDocument::Parse("[Info]\nLast=a \r\r");
  const auto before = doc.Get("Info", "Last");
  doc.Set("Preferences", "Temp", "1");
  const IniDocument again = IniDocument::Parse(doc.Text());
  EXPECT_EQ(again.Get("Info", "Last"), before);
  EXPECT_EQ(again.Get("Preferences", "Temp"), "1");
}

TEST(IniDocumentTest, SetChangesOnlyWhatItMust) {
  IniDocument doc = IniDocument::Parse(kMessy);
  doc.Set("PREFERENCES", "NAME", "New");   // keeps " Name = ", the line end and "name=second"
  doc.Set("info", "Added", "x");           // the torn line gets a CR LF first
  doc.Set("Drives", "C", "/srv");          // new section at the end, after a blank line
  std::string expected = kMessy;
  expected.replace(expected.find(" Name = Value "), 14, " Name = New");
  expected += "\r\nAdded=x\r\n\r\n[Drives]\r\nC=/srv\r\n";
  EXPECT_EQ(doc.Text(), expected);

  IniDocument plain = IniDocument::Parse("[A]\nx=1\n; note\n\n[B]\ny=1\n[a]\n");
  plain.Set("A", "z", "2");  // after the section's last value line, LF like the text
  plain.Set("B", "Y", "");
  EXPECT_EQ(plain.Text(), "[A]\nx=1\nz=2\n; note\n\n[B]\ny=\n[a]\n");
  IniDocument fresh = IniDocument::Parse("");
  fresh.Set("S", "n", "v");
  EXPECT_EQ(fresh.Text(), "[S]\nn=v\n");
}

// Holds() is what lets a store skip a write, so it must say yes exactly
// when Set() would give the text back byte for byte: not for a value with
// blanks after it that Set() would drop, nor for a second "name", nor for a
// name in another section.
TEST(IniDocumentTest, RemoveTakesEveryLineOfTheNameInThatSectionOnly) {
  IniDocument doc = IniDocument::Parse("[Drives]\r\nC=/c\r\n; note\r\n d = /d \r\n[Keep]\r\nD=x\r\n[drives]\r\nD=/other");
  EXPECT_TRUE(doc.Remove("DRIVES", "D"));  // both blocks of the section, any spelling, a torn last line
  EXPECT_EQ(doc.Text(), "[Drives]\r\nC=/c\r\n; note\r\n[Keep]\r\nD=x\r\n[drives]\r\n");
  EXPECT_FALSE(doc.Remove("Drives", "E"));
  EXPECT_FALSE(doc.Remove("Missing", "C"));
  EXPECT_EQ(doc.Text(), "[Drives]\r\nC=/c\r\n; note\r\n[Keep]\r\nD=x\r\n[drives]\r\n");
}

TEST(IniDocumentTest, HoldsExactlyWhenSetWouldGiveTheTextBack) {
  const std::vector<std::string> texts = {
      "", kMessy, "[A]\nx=1\n", "[A]\nx = 1 \n", "[A]\r\nx=\r\n", "[A]\nx=  \n", "[a]\nX=1\nx=2\n",
      "[A]\nx=1", "[A]\nx=1\r", "[B]\nx=1\n[A]\ny=2\n[A]\nx=3\n", "x=1\n[A]\n"};
  const std::vector<std::array<std::string, 3>> triples = {
      {"A", "x", "1"}, {"a", "X", "1"}, {" A ", " x ", "1"}, {"A", "x", "2"}, {"A", "x", "3"},
      {"A", "x", ""},  {"A", "x", " 1"}, {"A", "x", "1 "}, {"A", "y", "2"}, {"B", "x", "1"},
      {"Preferences", "Name", "Value"}, {"Preferences", "name", "second"}, {"Info", "Last", "torn"},
      {"A]", "x", "1"}, {"A", "x", "1\r"}};
  int held = 0;
  for (const std::string& text : texts) {
    for (const auto& [section, name, value] : triples) {
      IniDocument document = IniDocument::Parse(text);
      const bool holds = document.Holds(section, name, value);
      document.Set(section, name, value);
      const bool unchanged = IniDocument::CanStore(section, name, value) && document.Text() == text;
      EXPECT_EQ(holds, unchanged) << "text " << ::testing::PrintToString(text) << " set " << section << "|"
                                  << name << "|" << ::testing::PrintToString(value);
      held += holds ? 1 : 0;
    }
  }
  EXPECT_GE(held, 8) << "too few triples that the texts hold to tell anything";
}

class PreferencesFileTest : public ::testing::Test {
 protected:
  std::string Slurp(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::set<std::string> FolderEntries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename());
    return names;
  }

  TempFolder temp_;
  std::string folder_ = temp_.Path() + "/new/Tidewell";
  std::string path_ = folder_ + "/Tidewell.ini";
  PreferencesFile store_{path_};
};

TEST_F(PreferencesFileTest, WriteCreatesFoldersAndReadsBackLeavingNoStrayFile) {
  EXPECT_EQ(store_.Read("Info", "Version", "none"), "none");
  EXPECT_TRUE(store_.ReadSection("Info").empty());
  ASSERT_FALSE(store_.Write("Info", "Version", "3.0"));
  EXPECT_EQ(testing::ModeOf(temp_.Path() + "/new"), 0700u);
  EXPECT_EQ(testing::ModeOf(folder_), 0700u);
  std::ofstream(path_ + ".tmp123-456") << "left by a killed writer";
  ASSERT_FALSE(store_.Write("info", "VERSION", "3.1"));  // same value again, other spelling
  ASSERT_FALSE(store_.Write("Drives", "D", "/mnt/d=x"));
  EXPECT_EQ(Slurp(path_), "[Info]\nVersion=3.1\n\n[Drives]\nD=/mnt/d=x\n");
  EXPECT_EQ(store_.ReadSection("DRIVES"), (Values{{"D", "/mnt/d=x"}}));
  EXPECT_EQ(FolderEntries(), (std::set<std::string>{"Tidewell.ini", "Tidewell.ini.lock"}));
}

TEST_F(PreferencesFileTest, RemoveReplacesTheFileOnlyWhenItHoldsTheValue) {
  EXPECT_FALSE(store_.Remove("Drives", "C"));
  EXPECT_FALSE(fs::exists(folder_)) << "nothing to remove must make no file";
  ASSERT_FALSE(store_.Write("Drives", "C", "/c"));
  ASSERT_FALSE(store_.Write("Drives", "D", "/d"));
  const auto before = fs::last_write_time(path_);
  EXPECT_FALSE(store_.Remove("Drives", "E"));
  EXPECT_EQ(fs::last_write_time(path_), before);

  EXPECT_FALSE(store_.Remove("drives", "c"));
  EXPECT_EQ(Slurp(path_), "[Drives]\nD=/d\n");
  EXPECT_EQ(FolderEntries(), (std::set<std::string>{"Tidewell.ini", "Tidewell.ini.lock"}));

  fs::remove(path_);
  fs::create_directory(path_);  // unreadable: told, not taken for "nothing there"
  EXPECT_EQ(store_.Remove("Drives", "D"), std::errc::is_a_directory);
}

TEST_F(PreferencesFileTest, StoringTheValueAlreadyThereLeavesTheFileUntouched) {
  ASSERT_FALSE(store_.Write("Info", "FilesDeleted", "12"));
  const std::string before = Slurp(path_);
  struct stat first {};
  ASSERT_EQ(stat(path_.c_str(), &first), 0);

  ASSERT_FALSE(store_.Write("info", "FILESDELETED", "12"));  // the same text would come back
  struct stat same {};
  ASSERT_EQ(stat(path_.c_str(), &same), 0);
  EXPECT_EQ(same.st_ino, first.st_ino);  // not replaced: a rewrite always makes a new file
  EXPECT_EQ(Slurp(path_), before);

  ASSERT_FALSE(store_.Write("Info", "FilesDeleted", "13"));
  struct stat changed {};
  ASSERT_EQ(stat(path_.c_str(), &changed), 0);
  EXPECT_NE(changed.st_ino, first.st_ino);
  EXPECT_EQ(store_.Read("Info", "FilesDeleted", ""), "13");
}

TEST_F(PreferencesFileTest, AStoreTheUserMadePrivateStaysPrivate) {
  ASSERT_FALSE(store_.Write("Info", "Version", "3.0"));
  ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
  ASSERT_FALSE(store_.Write("Info", "Version", "3.1"));
  EXPECT_EQ(testing::ModeOf(path_), 0600u);
  EXPECT_EQ(store_.Read("Info", "Version", "none"), "3.1");
}

TEST_F(PreferencesFileTest, RefusedNamesAndValuesLeaveTheFileAlone) {
  ASSERT_FALSE(store_.Write("Preferences", "Keep", "1"));
  const std::string before = Slurp(path_);
  const std::string nul(1, '\0');
  const std::vector<std::array<std::string, 3>> refused = {
      {"", "n", "v"},   {"A]", "n", "v"},  {"A\nB", "n", "v"}, {"A\r", "n", "v"},
      {"S", "", "v"},   {"S", " ", "v"},   {"S", "a=b", "v"},  {"S", "a\nb", "v"},
      {"S", "[n", "v"}, {"S", ";n", "v"},  {"S", "#n", "v"},   {"S", "n", "a\nb"},
      {"S", "n", "a\r"}, {"S", "n", "a" + nul}};
  for (const auto& [section, name, value] : refused) {
    EXPECT_EQ(store_.Write(section, name, value), std::errc::invalid_argument) << section << "|" << name;
  }
  EXPECT_EQ(Slurp(path_), before);
}

TEST_F(PreferencesFileTest, UnreadableFileReadsDefaultsAndIsNotReplaced) {
  fs::create_directories(path_);  // a folder in the file's place stops root too
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "dflt");
  EXPECT_EQ(store_.Write("Preferences", "A", "1"), std::errc::is_a_directory);
  EXPECT_TRUE(fs::is_directory(path_));
  fs::remove(path_);

  const std::string big = "[Preferences]\nA=big\n" + std::string(PreferencesFile::kSizeLimit, ';');
  std::ofstream(path_, std::ios::binary) << big;
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "dflt");
  EXPECT_EQ(store_.Write("Preferences", "A", "1"), std::errc::file_too_large);
  EXPECT_EQ(Slurp(path_), big);
}

// What a front end asks before it lets anything stand in for the file's
// [Drives]: a missing file is no problem, a file that exists and cannot be
// read is, with a reason in plain words; and no write replaces it.
TEST_F(PreferencesFileTest, ReadProblemTellsAnUnreadableStoreFromAMissingOne) {
  EXPECT_FALSE(store_.ReadProblem()) << "no file yet";
  fs::create_directories(temp_.Path() + "/new");
  std::ofstream(temp_.Path() + "/new/Tidewell") << "a file where the folder belongs";
  EXPECT_FALSE(store_.ReadProblem()) << "no folder for the file: there is no store";
  fs::remove(temp_.Path() + "/new/Tidewell");
  ASSERT_FALSE(store_.Write("Drives", "C", "/srv/c"));
  EXPECT_FALSE(store_.ReadProblem()) << "a store that reads";
  Values drives;
  EXPECT_FALSE(store_.ReadSectionChecked("Drives", drives));
  EXPECT_EQ(drives, (Values{{"C", "/srv/c"}}));
  fs::remove(path_);

  fs::create_directories(path_);
  EXPECT_EQ(store_.ReadProblem(), std::errc::is_a_directory);
  EXPECT_EQ(DescribeReadProblem(store_.ReadProblem()), "a folder, not a file");
  fs::remove(path_);

  const std::string big = "[Drives]\nC=/srv/c\n" + std::string(PreferencesFile::kSizeLimit, ';');
  std::ofstream(path_, std::ios::binary) << big;
  EXPECT_EQ(store_.ReadProblem(), std::errc::file_too_large);
  EXPECT_EQ(DescribeReadProblem(store_.ReadProblem()), "larger than 1 MiB");
  EXPECT_EQ(store_.ReadSectionChecked("Drives", drives), std::errc::file_too_large);
  EXPECT_TRUE(drives.empty());
  fs::remove(path_);

  // A FIFO with no writer: reading it would wait for ever.
  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  EXPECT_EQ(store_.ReadProblem(), TextFileError::NotARegularFile);
  EXPECT_EQ(DescribeReadProblem(store_.ReadProblem()), "not a regular file");
  EXPECT_EQ(store_.Read("Drives", "C", "dflt"), "dflt");
  EXPECT_TRUE(store_.ReadSection("Drives").empty());
  EXPECT_TRUE(store_.Write("Drives", "C", "/other"));
  EXPECT_TRUE(fs::is_fifo(path_)) << "a write replaced what it could not read";
}

TEST_F(PreferencesFileTest, AWriteNeverGrowsTheFilePastTheLimitItReads) {
  fs::create_directories(folder_);
  const std::string head = "[Preferences]\nA=1\n";
  const std::string text = head + std::string(PreferencesFile::kSizeLimit - head.size() - 5, ';') + "\n";
  std::ofstream(path_, std::ios::binary) << text;
  ASSERT_FALSE(store_.Write("Preferences", "A", "22222"));  // grows the file to the limit exactly
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "22222");
  const std::string full = Slurp(path_);
  EXPECT_EQ(store_.Write("Preferences", "A", "333333"), std::errc::file_too_large);
  EXPECT_EQ(store_.Write("Preferences", "B", "1"), std::errc::file_too_large);
  EXPECT_EQ(full.size(), PreferencesFile::kSizeLimit);
  EXPECT_TRUE(Slurp(path_) == full) << "a refused write changed the file";
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "22222");
}

TEST_F(PreferencesFileTest, FileWithoutReadPermissionReadsDefaultsAndIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  fs::create_directories(folder_);
  std::ofstream(path_) << "[Preferences]\nA=secret\n";
  chmod(path_.c_str(), 0);
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "dflt");
  EXPECT_EQ(store_.ReadProblem(), std::errc::permission_denied);
  EXPECT_EQ(DescribeReadProblem(store_.ReadProblem()), "permission denied");
  EXPECT_EQ(store_.Write("Preferences", "A", "1"), std::errc::permission_denied);
  chmod(path_.c_str(), 0600);
  EXPECT_EQ(Slurp(path_), "[Preferences]\nA=secret\n");
}

TEST_F(PreferencesFileTest, ALinkInTheFilesPlaceStaysAndItsTargetChanges) {
  fs::create_directories(folder_);
  const std::string real = temp_.Path() + "/real.ini";
  std::ofstream(real) << "[Info]\nA=1\n";
  fs::create_symlink(real, path_);
  ASSERT_FALSE(store_.Write("Info", "B", "2"));
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Slurp(real), "[Info]\nA=1\nB=2\n");
}

TEST_F(PreferencesFileTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kEach = 200;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  const std::string who = child == 0 ? "child" : "parent";
  int failures = 0;
  for (int i = 0; i < kEach; ++i) {
    failures += store_.Write("Drives", who + std::to_string(i), std::to_string(i)) ? 1 : 0;
  }
  if (child == 0) _exit(failures == 0 ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(store_.ReadSection("Drives").size(), 2u * kEach);
  for (int i = 0; i < kEach; ++i) {
    EXPECT_EQ(store_.Read("Drives", "child" + std::to_string(i), "lost"), std::to_string(i));
    EXPECT_EQ(store_.Read("Drives", "parent" + std::to_string(i), "lost"), std::to_string(i));
  }
  EXPECT_EQ(FolderEntries(), (std::set<std::string>{"Tidewell.ini", "Tidewell.ini.lock"}));
}

// A store keeps the text it parsed last. Whatever another process does to
// the file between two reads, even a change that keeps its size, its inode
// and its timestamps, the next read (and the next write) must see it.
TEST_F(PreferencesFileTest, EveryReadSeesTheFileAsItIsNowEvenWhenSizeInodeAndTimesMatch) {
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "1"));
  struct stat first {};
  ASSERT_EQ(stat(path_.c_str(), &first), 0);
  // Rewrites the bytes in place (same inode) and puts the times back.
  auto rewriteInPlace = [&](const std::string& text) {
    ASSERT_EQ(text.size(), static_cast<std::size_t>(first.st_size));
    {
      std::fstream out(path_, std::ios::binary | std::ios::in | std::ios::out);
      out << text;
    }
    const struct timespec times[2] = {first.st_atim, first.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
    struct stat now {};
    ASSERT_EQ(stat(path_.c_str(), &now), 0);
    ASSERT_EQ(now.st_ino, first.st_ino);
    ASSERT_EQ(now.st_size, first.st_size);
    ASSERT_EQ(now.st_mtim.tv_sec, first.st_mtim.tv_sec);
    ASSERT_EQ(now.st_mtim.tv_nsec, first.st_mtim.tv_nsec);
  };
  ASSERT_EQ(Slurp(path_), "[Preferences]\nTemp=1\n");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");

  rewriteInPlace("[Preferences]\nTemp=2\n");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "2");
  EXPECT_EQ(store_.ReadSection("Preferences"), (Values{{"Temp", "2"}}));
  EXPECT_EQ(store_.ReadEvery("Preferences", "Temp"), std::vector<std::string>{"2"});

  rewriteInPlace("[Preferences]\nTemq=1\n");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "dflt");
  Values values;
  EXPECT_FALSE(store_.ReadSectionChecked("Preferences", values));
  EXPECT_EQ(values, (Values{{"Temq", "1"}}));

  // A write of the value read before the change is a change now.
  rewriteInPlace("[Preferences]\nTemp=2\n");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "2");
  rewriteInPlace("[Preferences]\nTemp=1\n");
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "2"));
  EXPECT_EQ(Slurp(path_), "[Preferences]\nTemp=2\n");

  // Another store object on the same file, with its own parsed text.
  PreferencesFile other(path_);
  EXPECT_EQ(other.Read("Preferences", "Temp", "dflt"), "2");
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "3"));
  EXPECT_EQ(other.Read("Preferences", "Temp", "dflt"), "3");
  fs::remove(path_);
  EXPECT_EQ(other.Read("Preferences", "Temp", "dflt"), "dflt");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "dflt");
}

// Waits for a child to end; kills it when it has not within `limit` (a
// write that blocks for ever). Its exit status, or -1 when killed.
int ExitStatusWithin(pid_t child, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Storing the value the file holds is done at a reading and changes nothing,
// so it goes through while another process holds the writers' lock; a write
// that changes the file still waits for the lock, and then keeps the value
// the other process stored meanwhile.
TEST_F(PreferencesFileTest, StoringTheHeldValueTakesNoLockAndAChangeStillWaitsForIt) {
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "1"));
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  const int lock = open((path_ + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);

  const pid_t same = fork();
  ASSERT_GE(same, 0);
  // Each child drops its copy of the held descriptor, which would otherwise
  // keep the lock for it.
  if (same == 0) {
    close(lock);
    _exit(store_.Write("Preferences", "Temp", "1") ? 1 : 0);
  }
  EXPECT_EQ(ExitStatusWithin(same, std::chrono::seconds(60)), 0) << "the write waited for the lock";
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);

  const pid_t change = fork();
  ASSERT_GE(change, 0);
  if (change == 0) {
    close(lock);
    _exit(store_.Write("Preferences", "Temp", "2") ? 1 : 0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int status = 0;
  EXPECT_EQ(waitpid(change, &status, WNOHANG), 0) << "a changing write did not wait for the lock";
  // What the lock holder stores meanwhile survives the waiting write.
  ASSERT_FALSE(ReplaceTextFile(path_, Slurp(path_) + "Other=x\n"));
  ASSERT_EQ(close(lock), 0);
  EXPECT_EQ(ExitStatusWithin(change, std::chrono::seconds(60)), 0);
  EXPECT_EQ(Slurp(path_), "[Preferences]\nTemp=2\nOther=x\n");
}

// A batch answers its reads from one reading of the file: what another
// process does meanwhile (here: a rewrite, then a folder in the file's
// place, which no reading could read) is seen only once the batch ends.
TEST_F(PreferencesFileTest, ABatchReadsTheFileOnceAndAReadAfterItSeesTheFileAsItIsNow) {
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "1"));
  ASSERT_FALSE(store_.Write("Keep", "Path", "C:\\A\\"));
  PreferencesFile other(path_);  // another process's store
  {
    StoreBatch batch(store_);
    EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");
    ASSERT_FALSE(other.Write("Preferences", "Temp", "2"));
    ASSERT_FALSE(other.Write("Keep", "Path", "C:\\B\\"));
    EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");
    EXPECT_EQ(store_.ReadEvery("Keep", "Path"), std::vector<std::string>{"C:\\A\\"});
    EXPECT_EQ(store_.ReadSection("Preferences"), (Values{{"Temp", "1"}}));
    // Asking whether the file reads always reads it now, and leaves the
    // batch's view as it was.
    Values values;
    EXPECT_FALSE(store_.ReadSectionChecked("Preferences", values));
    EXPECT_EQ(values, (Values{{"Temp", "2"}}));
    EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");
    const std::string moved = temp_.Path() + "/moved.ini";
    fs::rename(path_, moved);
    fs::create_directories(path_);
    EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");
    fs::remove(path_);
    fs::rename(moved, path_);
  }
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "2");
  EXPECT_EQ(store_.ReadEvery("Keep", "Path"), std::vector<std::string>{"C:\\B\\"});

  // A batch's reading is taken at its first read, not when a batch before
  // it ended.
  { StoreBatch batch(store_); }
  ASSERT_FALSE(other.Write("Preferences", "Temp", "3"));
  StoreBatch batch(store_);
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "3");
}

// Writes inside a batch: a change goes the locked way at once (the file
// has it before the batch ends) and the batch reads it back, together with
// what the file held under the lock; storing what the batch read changes
// nothing and takes no lock.
TEST_F(PreferencesFileTest, ABatchWritesAtOnceAndReadsWhatItWrote) {
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "1"));
  PreferencesFile other(path_);
  StoreBatch batch(store_);
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "1");
  ASSERT_FALSE(other.Write("Preferences", "Other", "x"));
  EXPECT_EQ(store_.Read("Preferences", "Other", "dflt"), "dflt");

  ASSERT_FALSE(store_.Write("Preferences", "Temp", "2"));
  EXPECT_EQ(Slurp(path_), "[Preferences]\nTemp=2\nOther=x\n") << "the write waited for the batch";
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "2");
  EXPECT_EQ(store_.Read("Preferences", "Other", "dflt"), "x");

  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  const int lock = open((path_ + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const pid_t child = fork();  // with the batch's view
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(lock);
    _exit(store_.Write("Preferences", "TEMP", "2") || store_.Write("Preferences", "Other", "x") ? 1 : 0);
  }
  EXPECT_EQ(ExitStatusWithin(child, std::chrono::seconds(60)), 0) << "a write of the value held waited for the lock";
  ASSERT_EQ(close(lock), 0);
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "a write of the value held replaced the file";

  // A value the batch's view holds but the file no longer does is taken as
  // stored at the view's moment; a different value still reaches the file.
  ASSERT_FALSE(other.Write("Preferences", "Temp", "9"));
  EXPECT_FALSE(store_.Write("Preferences", "Temp", "2"));
  ASSERT_FALSE(store_.Write("Preferences", "Temp", "4"));
  EXPECT_EQ(other.Read("Preferences", "Temp", "dflt"), "4");
  EXPECT_EQ(store_.Read("Preferences", "Temp", "dflt"), "4");
}

// A batch over a missing file reads fallbacks; its first write creates the
// file and the batch reads from it from then on. An inner batch ends
// nothing: the outermost decides.
TEST_F(PreferencesFileTest, ABatchOverAMissingFileReadsWhatItCreatesAndNestedBatchesEndWithTheOutermost) {
  PreferencesFile other(path_);
  {
    StoreBatch outer(store_);
    EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "dflt");
    ASSERT_FALSE(store_.Write("Preferences", "A", "1"));
    {
      StoreBatch inner(store_);
      EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "1");
      ASSERT_FALSE(other.Write("Preferences", "B", "2"));
      EXPECT_EQ(store_.Read("Preferences", "B", "dflt"), "dflt");
    }
    EXPECT_EQ(store_.Read("Preferences", "B", "dflt"), "dflt") << "the inner batch dropped the view";
  }
  EXPECT_EQ(store_.Read("Preferences", "B", "dflt"), "2");
  EXPECT_EQ(Slurp(path_), "[Preferences]\nA=1\nB=2\n");

  // A batch whose reading found a folder in the file's place reads
  // fallbacks and refuses writes, as outside one, leaving the folder.
  fs::remove(path_);
  fs::create_directories(path_);
  StoreBatch batch(store_);
  EXPECT_EQ(store_.Read("Preferences", "A", "dflt"), "dflt");
  EXPECT_EQ(store_.Write("Preferences", "A", "1"), std::errc::is_a_directory);
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST(PreferencesFileDefaultPathTest, UsesAnAbsoluteXdgConfigHomeElseHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
  setenv("HOME", "/home/u/", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(PreferencesFile::DefaultPath(), "/cfg/Tidewell/Tidewell.ini");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  EXPECT_EQ(PreferencesFile::DefaultPath(), "/home/u/.config/Tidewell/Tidewell.ini");
  oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  oldHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
}  // namespace tidewell::platform
