// Whole destructive runs over files and folders with odd names: names a
// Windows drive can hold (invalid UTF-8, "*", "?", spaces at either end, the
// longest name the host allows, names that differ only in case) are judged
// and logged byte for byte; control characters, which no Windows name holds
// but a host name may, are judged alike and shown in caret notation in the
// log, so that every item stays one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/cleaning_run.h"
#include "tests/support/temp_drive.h"
#include "tests/support/under_wine.h"

namespace tidewell {
namespace {

using testing::TempDrive;
using testing::TestWorld;

// True when every line of the text ends with CR LF and no CR or LF stands
// anywhere else.
bool OnlyWholeCrLfLines(const std::string& text) {
  if (text.empty() || text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n')) return false;
    if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) return false;
  }
  return true;
}

std::multiset<std::string> DeleteLines(const std::vector<std::string>& folderAndNames) {
  std::multiset<std::string> lines;
  for (const std::string& path : folderAndNames) lines.insert("Delete file: c:\\" + path);
  return lines;
}

class OddNamesTest : public ::testing::Test {
 protected:
  OddNamesTest() {
    world.SetDestructiveLoggedRuns();
  }

  TempDrive& C() { return world.Drive('C'); }
  std::multiset<std::string> LoggedItems() const {
    const std::vector<std::string> items = world.LogItems();
    return {items.begin(), items.end()};
  }

  // Makes each junk file (3 bytes) and keeper (5 bytes) on C, cleans, and
  // checks that exactly the junk went, each logged byte for byte in whole
  // CR LF lines, and what the status line says.
  void ExpectJunkGoneAndKeepersLeft(const std::vector<std::string>& junk, const std::vector<std::string>& keepers,
                                    const std::string& status) {
    for (const std::string& path : junk) C().File(path, 3);
    for (const std::string& path : keepers) C().File(path, 5);

    EXPECT_EQ(RunCleaning(world.context), RunResult::Finished);

    for (const std::string& path : junk) EXPECT_FALSE(C().Exists(path)) << path;
    for (const std::string& path : keepers) EXPECT_TRUE(C().Exists(path)) << path;
    EXPECT_EQ(LoggedItems(), DeleteLines(junk));
    EXPECT_TRUE(OnlyWholeCrLfLines(world.LogText()));
    EXPECT_EQ(world.feedback.StatusText(), status);
  }

  TestWorld world;
};

// Every name here is junk under the "*.TMP" base row; the run removes each
// and logs its exact bytes. The keepers beside them are not junk: a trailing
// space makes "tmp " another extension, and a folder named like a junk file
// is no file.
TEST_F(OddNamesTest, JunkWithOddButLegalNamesIsRemovedAndLoggedByteForByte) {
#ifdef _WIN32
  GTEST_SKIP() << "the names hold what no Windows name can: invalid UTF-8, *, ?, :, trailing spaces, names that differ only in case";
#else
  const std::string longName = std::string(251, 'L') + ".tmp";  // 255 bytes, the host's limit
  const std::vector<std::string> junk = {
      "ODD\\\xff\xfe.tmp", "ODD\\  a.tmp",   "ODD\\star*.tmp",  "ODD\\what?.tmp",
      "ODD\\" + longName,     "ODD\\caf\xc3\xa9.TMP", "ODD\\x.tmp",     "ODD\\Case.tmp",
      "ODD\\CASE.TMP",        "ODD\\a:b|<\">.tmp",   "\xc0\xaf dir \\in.tmp", "* ?\\q.tmp",
      "Dir\\j.tmp",           "DIR\\j.tmp",           longName + "\\in.tmp", "ODD\\a.tmp"};
  const std::vector<std::string> keepers = {"ODD\\a.tmp  ", "ODD\\a.tmp ", "ODD\\X.TMP\\inside.doc",
                                            "ODD\\Keep.doc", "ODD\\KEEP.DOC", "\xc0\xaf dir \\\xff.doc",
                                            "* ?\\q.tmp.doc"};
  ExpectJunkGoneAndKeepersLeft(junk, keepers, "Done: 48 bytes, 16 files cleaned");
#endif
}

// Names that a Windows drive and a POSIX host alike can hold: letters
// beyond ASCII (two-, three- and four-byte UTF-8, the last a surrogate pair
// in UTF-16), leading spaces, punctuation that is legal in a name, a long
// name. They are judged and logged byte for byte, on both hosts.
TEST_F(OddNamesTest, NamesEveryHostCanHoldAreRemovedAndLoggedByteForByte) {
  if (testing::UnderWine()) {
    // Wine names host files in the character set of the host's locale: in
    // the C locale, as ctest runs the suites, no name beyond ASCII can be made.
    const std::string probe = "caf\xc3\xa9.probe";
    try {
      C().File(probe);
    } catch (const std::runtime_error&) {
      GTEST_SKIP() << "Wine cannot make names beyond ASCII in this locale (LC_ALL=C); run with a UTF-8 locale";
    }
    std::filesystem::remove(testing::HostPathOf(C().Host(probe)));
  }
  const std::string longName = std::string(200, 'n') + ".tmp";
  const std::vector<std::string> junk = {"INTL\\caf\xc3\xa9.tmp",
                                         "INTL\\\xe6\x97\xa5\xe6\x9c\xac.TMP",
                                         "INTL\\\xf0\x9f\x8c\x8a wave.tmp",
                                         "INTL\\  lead.tmp",
                                         "INTL\\semi;comma,[x] 'q' &#%+=.tmp",
                                         "\xc3\x9c" "BER\\in.tmp",
                                         longName};
  const std::vector<std::string> keepers = {"INTL\\caf\xc3\xa9.doc", "\xc3\x9c" "BER\\keep.doc",
                                            "INTL\\tmp.\xc3\xa9", "INTL\\\xf0\x9f\x8c\x8a.tmp.doc"};
  ExpectJunkGoneAndKeepersLeft(junk, keepers, "Done: 21 bytes, 7 files cleaned");
}

// "TEMP" is a temporary folder and is purged; " TEMP " and "TEMP " are other
// folders, whose only junk is what the base rows find anywhere.
TEST_F(OddNamesTest, FolderNamesWithSpacesAroundTEMPAreNotTemporaryFolders) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows drops trailing spaces from names: \"TEMP \" cannot stand beside \"TEMP\"";
#else
  C().Build({{"TEMP\\marker.tmp", 1}, {"TEMP\\notes.doc", 1}, {"TEMP\\SUB\\deep.doc", 1},
             {" TEMP \\marker.tmp", 1}, {" TEMP \\notes.doc", 1},
             {"TEMP \\marker.tmp", 1}, {"TEMP \\notes.doc", 1}, {"TEMP \\SUB\\deep.doc", 1}});

  RunCleaning(world.context);

  EXPECT_TRUE(C().Exists("TEMP"));
  EXPECT_FALSE(C().Exists("TEMP\\notes.doc"));
  EXPECT_FALSE(C().Exists("TEMP\\SUB"));
  EXPECT_TRUE(C().Exists(" TEMP \\notes.doc"));
  EXPECT_TRUE(C().Exists("TEMP \\notes.doc"));
  EXPECT_TRUE(C().Exists("TEMP \\SUB\\deep.doc"));
  EXPECT_FALSE(C().Exists(" TEMP \\marker.tmp"));
  EXPECT_FALSE(C().Exists("TEMP \\marker.tmp"));
  const std::multiset<std::string> expected = {
      "Delete file: c:\\TEMP\\marker.tmp",       "Delete file: c:\\TEMP\\notes.doc",
      "Delete file: c:\\TEMP\\SUB\\deep.doc",    "Remove folder: c:\\TEMP\\SUB\\",
      "Delete file: c:\\ TEMP \\marker.tmp",     "Delete file: c:\\TEMP \\marker.tmp"};
  EXPECT_EQ(LoggedItems(), expected);
#endif
}

// A control character in a name is judged like any other byte; its log line
// shows it in caret notation ("^J" for a line feed), so no name can break
// a line of the log or forge one of its own.
TEST_F(OddNamesTest, NamesWithControlCharactersAreCleanedAndLoggedOneLineEach) {
#ifdef _WIN32
  GTEST_SKIP() << "no Windows name holds a control character";
#else
  const std::vector<std::pair<std::string, std::string>> junk = {
      {"DATA\\evil.tmp\r\nDelete file: c:\\FORGED.tmp", "c:\\DATA\\evil.tmp^M^JDelete file: c:\\FORGED.tmp"},
      {"DATA\\line\nbreak.tmp", "c:\\DATA\\line^Jbreak.tmp"},
      {"DATA\\tab\t.tmp", "c:\\DATA\\tab^I.tmp"},
      {"DATA\\\x01start.tmp", "c:\\DATA\\^Astart.tmp"},
      {"DATA\\bell\x07.tmp", "c:\\DATA\\bell^G.tmp"},
      {"DATA\\sub\x1b" "dir\\inside.tmp", "c:\\DATA\\sub^[dir\\inside.tmp"},
      {"TEMP\\marker.tmp", "c:\\TEMP\\marker.tmp"},  // marks TEMP as a folder to purge
      {"TEMP\\odd\x02.doc", "c:\\TEMP\\odd^B.doc"},
      {"TEMP\\cr\r\\inside.doc", "c:\\TEMP\\cr^M\\inside.doc"},
      {"new\nline\\TEMP\\marker.tmp", "c:\\new^Jline\\TEMP\\marker.tmp"},
  };
  // Not junk: the control character belongs to the extension.
  const std::vector<std::string> keepers = {"DATA\\end.tmp\x1f", "DATA\\note.tmp\r"};
  for (const auto& [path, logged] : junk) C().File(path, 7);
  for (const std::string& path : keepers) C().File(path, 5);

  EXPECT_EQ(RunCleaning(world.context), RunResult::Finished);

  for (const auto& [path, logged] : junk) EXPECT_FALSE(C().Exists(path)) << path;
  for (const std::string& path : keepers) EXPECT_TRUE(C().Exists(path)) << path;
  std::multiset<std::string> expected = {"Remove folder: c:\\TEMP\\cr^M\\"};
  for (const auto& [path, logged] : junk) expected.insert("Delete file: " + logged);
  EXPECT_EQ(LoggedItems(), expected);
  const std::string log = world.LogText();
  EXPECT_TRUE(OnlyWholeCrLfLines(log));
  EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n';
  }));
  EXPECT_EQ(world.feedback.StatusText(), "Done: 70 bytes, 10 files cleaned");
#endif
}

// A test run lists what it would remove with the same exact names.
TEST_F(OddNamesTest, ATestRunLogsOddNamesExactly) {
#ifdef _WIN32
  GTEST_SKIP() << "the names hold invalid UTF-8, a tab and trailing spaces, which no Windows name can";
#else
  world.SetOption(RunOption::TestRun, 1);
  C().Build({{"DATA\\\xe9t\xe9.tmp", 4}, {"DATA\\ lead.tmp", 4}, {"DATA\\tab\t.tmp", 4}, {"DATA\\a.tmp  ", 4}});
  const auto before = testing::DriveContents(C());

  RunCleaning(world.context);

  EXPECT_EQ(testing::DriveContents(C()), before);
  EXPECT_EQ(LoggedItems(), DeleteLines({"DATA\\\xe9t\xe9.tmp", "DATA\\ lead.tmp", "DATA\\tab^I.tmp"}));
  EXPECT_TRUE(OnlyWholeCrLfLines(world.LogText()));
  EXPECT_EQ(world.feedback.statusTexts.back(), "Done: 12 bytes, 3 files cleaned (TEST)");
#endif
}

}  // namespace
}  // namespace tidewell
