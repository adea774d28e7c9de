// Bad input, end to end: the real tidewell-cli run on a damaged store file,
// on malformed TIDEWELL_DRIVES values and on bad command lines. Each family
// is one table; every failure names its case. What each must show: the
// program starts (or refuses with exit 2), says what is wrong in one clear
// line, never cleans the host root or one folder twice, and never loses the
// bytes of a store it cannot understand.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/host_paths.h"
#include "platform/preferences_store.h"
#include "tests/support/console_sandbox.h"
#include "tests/support/temp_drive.h"
#ifdef _WIN32
#include "platform/win32/wide_text.h"
#endif

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ChildResult;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The letters of the drives the run's summary names ("Drive C: test run...").
std::string CleanedLetters(const std::string& out) {
  std::string letters;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("Drive ") && line.size() > 7 && line[7] == ':') letters += line[6];
  }
  return letters;
}

class BadInputTest : public ::testing::Test, protected testing::ConsoleSandbox {
 protected:
  BadInputTest() : ConsoleSandbox(TIDEWELL_CLI_PATH) {}

  // A folder under the base, created on first use.
  std::string Folder(const std::string& name) const {
    const std::string folder = platform::JoinHostPath(Base(), name);
    fs::create_directories(folder);
    return folder;
  }
  void WriteStore(const std::string& bytes) const {
    fs::create_directories(fs::path(StorePath()).parent_path());
    std::ofstream(StorePath(), std::ios::binary | std::ios::trunc) << bytes;
  }

  ChildResult RunOnC(std::vector<std::string> arguments) const {
    return RunCli(std::move(arguments), "C=" + Folder("drive_c"));
  }

};

// ---- the store file ------------------------------------------------------

struct StoreCase {
  std::string name;
  std::string bytes;
  std::string message;             // on stderr; empty: no settings message at all
  bool untouched = false;          // the file must stay byte for byte
  std::vector<std::string> kept = {};  // else: pieces that must survive (default: all of `bytes`)
  std::string storedTemp = "1";    // what "Temp" reads afterwards, when not untouched
  bool unreadable = false;         // the store cannot be read at all: no run goes
};

std::vector<StoreCase> StoreCases() {
  std::mt19937 random(20260208);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  const std::size_t limit = platform::PreferencesFile::kSizeLimit;
  const std::string head = "[Preferences]\nTemp=0\n";
  return {
      {"garbage text", "this is not\nan ini file at all ===\n  ]] [[\n", ""},
      {"NUL bytes", "\0\0[Preferences\0]\nTemp\0=0\n\0"s, ""},
      {"random bytes", noise, ""},
      {"invalid UTF-8 beside a good value", "[Preferences]\nTemp=0\n\xC0\xAF\xFF=\xFE\x80\n\xED\xA0\x80\n", "",
       false, {"[Preferences]\nTemp=0\n\xC0\xAF\xFF=\xFE\x80\n", "\n\xED\xA0\x80\n"}, "0"},
      {"lone CRs for line ends", "[Preferences]\rTemp=0\rAdobe=1\r", ""},
      {"duplicate names and sections", "[Preferences]\nTemp=0\nTemp=1\n[Info]\nX=1\n[preferences]\nTemp=1\nAdobe=1\n",
       "", false, {"[Preferences]\nTemp=0\nTemp=1\n[Info]\nX=1\n", "[preferences]\nTemp=1\nAdobe=1\n"}, "0"},
      {"section header with no end", "[Preferences\nTemp=0\n", ""},
      // Writes that fit still go; the first that would pass the limit is refused.
      {"just under the size limit", head + std::string(limit - head.size() - 10, ';') + "\n",
       "larger than 1 MiB", false, {head, std::string(limit - head.size() - 10, ';') + "\n"}, "0"},
      {"over the size limit", head + std::string(limit, ';'), "Reason: larger than 1 MiB.", true, {}, "1", true},
  };
}

TEST_F(BadInputTest, ADamagedStoreStartsWithDefaultsAndKeepsEveryByteItCannotUnderstand) {
  Folder("drive_c");
  for (const StoreCase& store : StoreCases()) {
    SCOPED_TRACE(store.name);
    WriteStore(store.bytes);
    const ChildResult run = RunOnC({"--drive", "C:", "--test", "--quiet"});
    // A store that cannot be read holds a keep list nobody can see: no run.
    EXPECT_EQ(run.exitStatus, store.unreadable ? 1 : 0) << run.err;
    EXPECT_EQ(CleanedLetters(run.out), store.unreadable ? "" : "C");
    const std::string after = Slurp(StorePath());
    if (store.message.empty()) {
      EXPECT_FALSE(Contains(run.err, "can't save")) << run.err;
    } else if (store.unreadable) {
      EXPECT_TRUE(Contains(run.err, "[Settings Error]\nTidewell can't read its settings file " + StorePath() +
                                        "\n\n" + store.message))
          << run.err;
    } else {
      EXPECT_TRUE(Contains(run.err, store.message)) << run.err;
      EXPECT_TRUE(Contains(run.err, "The file was left as it is.")) << run.err;
    }
    if (store.untouched) {
      EXPECT_TRUE(after == store.bytes) << "the file changed";
      continue;
    }
    for (const std::string& piece : store.kept.empty() ? std::vector{store.bytes} : store.kept) {
      EXPECT_TRUE(Contains(after, piece)) << "lost bytes of the original";
    }
    // Still a store that reads: within the limit, and the run's values landed.
    EXPECT_LE(after.size(), platform::PreferencesFile::kSizeLimit);
    platform::PreferencesFile file(StorePath());
    EXPECT_EQ(file.Read("Preferences", "Temp", "<none>"), store.storedTemp);
    if (store.message.empty()) {
      EXPECT_NE(file.Read("Info", "FilesDeleted", "<none>"), "<none>");
    }
  }
}

// Even with the drive named by TIDEWELL_DRIVES, a store that cannot be read
// stops the run (it holds the keep list), and is left as it is.
TEST_F(BadInputTest, AStoreThatIsAFolderOrUnreadableIsReportedAndLeftAlone) {
  Folder("drive_c");
  fs::create_directories(StorePath() + "/inside");
  ChildResult run = RunOnC({"--drive", "C:", "--test", "--quiet"});
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "Reason: a folder, not a file.")) << run.err;
  EXPECT_EQ(CleanedLetters(run.out), "");
  EXPECT_TRUE(fs::is_directory(StorePath() + "/inside"));
  fs::remove_all(StorePath());

#ifdef _WIN32
  GTEST_SKIP() << "a file this user cannot read needs permission bits, which are POSIX";
#else
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root; run_unprivileged.sh runs this case";
  const std::string secret = "[Preferences]\nTemp=0\n; mine\n";
  WriteStore(secret);
  chmod(StorePath().c_str(), 0);
  run = RunOnC({"--drive", "C:", "--test", "--quiet"});
  chmod(StorePath().c_str(), 0600);
  EXPECT_EQ(run.exitStatus, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "Reason: permission denied.")) << run.err;
  EXPECT_EQ(CleanedLetters(run.out), "");
  EXPECT_EQ(Slurp(StorePath()), secret);
#endif
}

#ifndef _WIN32  // a Wine prefix (with its dosdevices link), FIFOs and permission bits are the POSIX host's
// Every file below a folder with its bytes, to show a folder untouched.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().string()] = Slurp(entry.path());
  }
  return files;
}

// A store that exists but cannot be read may be the one that names the
// drives: the run must not fall back to a drive that discovery finds (here a
// Wine prefix's drive C full of junk), only to TIDEWELL_DRIVES.
TEST_F(BadInputTest, AnUnreadableStoreNeverLetsDiscoveryChooseADrive) {
  const std::string wineC = Folder("wine/drive_c");
  for (const char* junk : {"TEMP/a.tmp", "WINDOWS/TEMP/b.tmp", "c.bak", "DATA/d.chk"}) {
    fs::create_directories(fs::path(wineC + "/" + junk).parent_path());
    std::ofstream(wineC + "/" + junk) << "sentinel " << junk;
  }
  fs::create_directories(Base() + "/wine/dosdevices");
  fs::create_directory_symlink("../drive_c", Base() + "/wine/dosdevices/c:");
  const std::map<std::string, std::string> sentinel = Contents(wineC);
  auto run = [&](std::vector<std::string> arguments, const std::string& drives) {
    testing::ChildOptions options = Options(std::move(arguments), drives);
    options.environment["WINEPREFIX"] = Base() + "/wine";
    return RunCli(options);
  };

  // The prefix is found when the store reads (a test run: nothing goes).
  ChildResult found = run({"--test", "--quiet"}, "");
  ASSERT_EQ(found.exitStatus, 0) << found.err;
  ASSERT_EQ(CleanedLetters(found.out), "C");
  fs::remove(StorePath());
  fs::remove(LogPath());

  const std::string big = "[Drives]\nC=" + Folder("drive_c") + "\n" + std::string(1u << 20, ';');
  struct Unreadable {
    std::string name;
    std::function<void()> make;
    std::string reason;
  };
  const std::vector<Unreadable> cases = {
      {"a folder", [&] { fs::create_directories(StorePath() + "/inside"); }, "Reason: a folder, not a file."},
      {"over the size limit", [&] { WriteStore(big); }, "Reason: larger than 1 MiB."},
      {"a FIFO", [&] { mkfifo(StorePath().c_str(), 0600); }, "Reason: not a regular file."},
      {"no read permission",
       [&] {
         WriteStore("[Drives]\nC=" + Folder("drive_c") + "\n");
         chmod(StorePath().c_str(), 0);
       },
       "Reason: permission denied."},
  };
  for (const Unreadable& store : cases) {
    SCOPED_TRACE(store.name);
    if (store.name == "no read permission" && geteuid() == 0) {
      std::printf("the permission case skips under root; run_unprivileged.sh runs it\n");
      continue;
    }
    fs::create_directories(fs::path(StorePath()).parent_path());
    store.make();
    const ChildResult refused = run({"--delete", "--log"}, "");
    EXPECT_EQ(refused.exitStatus, 1) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "[Settings Error]\nTidewell can't read its settings file " + StorePath() +
                                          "\n\n" + store.reason))
        << refused.err;
    EXPECT_EQ(CleanedLetters(refused.out), "");
    EXPECT_TRUE(Contents(wineC) == sentinel) << "the Wine prefix's drive was cleaned";
    EXPECT_FALSE(fs::exists(LogPath()));

    // TIDEWELL_DRIVES names drives, and still nothing runs: the file holds
    // the keep list too. The store stays as it was.
    const ChildResult named = run({"--test", "--quiet"}, "D=" + Folder("drive_d"));
    EXPECT_EQ(named.exitStatus, 1) << named.err;
    EXPECT_TRUE(Contains(named.err, "[Settings Error]\nTidewell can't read its settings file " + StorePath()))
        << named.err;
    EXPECT_EQ(CleanedLetters(named.out), "");
    EXPECT_TRUE(Contents(wineC) == sentinel);
    if (store.name == "over the size limit") {
      EXPECT_TRUE(Slurp(StorePath()) == big) << "the store changed";
    }
    if (store.name == "no read permission") chmod(StorePath().c_str(), 0600);
    fs::remove_all(StorePath());
    fs::remove(LogPath());
  }
}
#endif

#ifndef _WIN32  // chmod 0 keeps nothing from a Windows reader
// The store that keeps C:\KEEP\* cannot be read, and TIDEWELL_DRIVES names
// drive C: a destructive run must not go on as if the keep list were empty.
// Each way a store can be unreadable, with the drives named by the
// environment: exit 1, "Settings Error" naming the file, nothing removed,
// the store's bytes unchanged.
TEST_F(BadInputTest, AnUnreadableStoreStopsEveryRunEvenWithDrivesNamedByTheEnvironment) {
  const std::string drive = Folder("drive_c");
  const std::string keep = "[Keep]\r\nPath=C:\\KEEP\\*\r\n[Preferences]\r\nTestRun=0\r\n";
  struct Unreadable {
    std::string name;
    std::string store;  // the bytes written
    bool unprivileged;  // the case needs a user that permissions stop
    std::string reason;
  };
  const std::vector<Unreadable> cases = {
      {"over the size limit", keep + std::string(platform::PreferencesFile::kSizeLimit, ';'), false,
       "Reason: larger than 1 MiB."},
      {"no read permission", keep, true, "Reason: permission denied."},
  };
  for (const Unreadable& store : cases) {
    SCOPED_TRACE(store.name);
    if (store.unprivileged && geteuid() == 0) {
      std::printf("the permission case skips under root; run_unprivileged.sh runs it\n");
      continue;
    }
    fs::create_directories(drive + "/KEEP");
    std::ofstream(drive + "/KEEP/work.tmp") << "protected";
    std::ofstream(drive + "/junk.tmp") << "junk";
    WriteStore(store.store);
    if (store.unprivileged) chmod(StorePath().c_str(), 0);

    const ChildResult run = RunCli({"--delete", "--log"}, "C=" + drive);
    if (store.unprivileged) chmod(StorePath().c_str(), 0600);

    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "[Settings Error]\nTidewell can't read its settings file " + StorePath() +
                                      "\n\n" + store.reason))
        << run.err;
    EXPECT_EQ(Slurp(drive + "/KEEP/work.tmp"), "protected");
    EXPECT_TRUE(fs::exists(drive + "/junk.tmp")) << "nothing is cleaned at all";
    EXPECT_EQ(CleanedLetters(run.out), "");
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_TRUE(Slurp(StorePath()) == store.store) << "the store changed";
    fs::remove(StorePath());
  }
}
#endif

// A check value is a whole number 0 to 2, blanks around it allowed; anything
// else reads as the box's default: Adobe off, Temp on, test mode on.
TEST_F(BadInputTest, CheckValuesOutOfRangeReadAsTheDefaults) {
  const std::vector<std::pair<std::string, bool>> values = {
      {"-1", false}, {"3", false},  {"99999999999999999999", false}, {" 1 ", true},
      {"1x", false}, {"", false},   {"0x1", false},                 {"+1", false},
  };
  const std::string drive = Folder("drive_c");
  std::ofstream(drive + "/junk.tmp") << "x";
  for (const auto& [value, valid] : values) {
    SCOPED_TRACE("value '" + value + "'");
    const std::string store = "[Preferences]\nAdobe=" + value + "\nTemp=" + value + "\nTestRun=" + value + "\n";
    WriteStore(store);
    const ChildResult list = RunOnC({"--list-categories"});
    ASSERT_EQ(list.exitStatus, 0) << list.err;
    EXPECT_TRUE(Contains(list.out, (valid ? "on   Adobe " : "off  Adobe "))) << list.out;
    EXPECT_TRUE(Contains(list.out, "on   Temp ")) << list.out;

    WriteStore(store);
    const ChildResult run = RunOnC({"--drive", "C:", "--quiet"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Drive C: test run")) << run.out;
    EXPECT_TRUE(fs::exists(drive + "/junk.tmp"));
  }
}

#ifndef _WIN32  // "/" and the POSIX folder checks; without TIDEWELL_DRIVES Windows finds its own drives
TEST_F(BadInputTest, AStoredDriveOnTheHostRootIsRefusedNamingTheSettingsFile) {
  WriteStore("[Drives]\nC=/\n");
  const ChildResult run = RunCli({"--drive", "C:", "--test"}, "");
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_TRUE(Contains(run.err, "[Drives] in the settings file: drive C: cannot be the host's root")) << run.err;
  EXPECT_TRUE(Contains(run.err, "no drive C: is mapped")) << run.err;
}

// ---- TIDEWELL_DRIVES -----------------------------------------------------

TEST_F(BadInputTest, MalformedDriveMappingsAreNamedAndNeverCleanTheRootOrOneFolderTwice) {
  const std::string c = Folder("drive_c"), d = Folder("drive_d"), a = Folder("drive_a");
  const std::string file = Base() + "/a-file";
  std::ofstream(file) << "x";
  fs::create_directory_symlink("/", Base() + "/to-root");
  fs::create_directory_symlink(c, Base() + "/to-c");
  struct DrivesCase {
    std::string value;
    std::string problem;  // on stderr, after "TIDEWELL_DRIVES: "; empty: no problem at all
    std::string cleaned;  // the drives the run took on
    std::vector<std::string> arguments = {"--all-drives"};
  };
  const std::vector<DrivesCase> cases = {
      {"C" + c + ";D=" + d, "\"C" + c + "\" is not of the form LETTER=/folder", "D"},
      {"=" + c + ";D=" + d, "\"=" + c + "\" names no drive letter", "D"},
      {"CC=" + c + ";D=" + d, "\"CC\" in \"CC=" + c + "\" is not a drive letter", "D"},
      {"1=" + c + ";D=" + d, "\"1\" is not a drive letter", "D"},
      {"C=;D=" + d, "drive C: names no folder", "D"},
      {"C=drive_c;D=" + d, "drive C: must name an absolute folder, starting with \"/\", not \"drive_c\"", "D"},
      {"C=" + c + ";", "", "C"},
      {";;C=" + c + ";;", "", "C"},
      {"  c: = " + c + " ;\tD =" + d + "\t", "", "CD"},
      {"A=" + a + ";C=" + c, "", "C"},  // an all-drives run cleans C to Z
      {"B=" + Folder("drive_b") + ";C=" + c, "", "C"},
      {"A=" + a, "", "A", {"--drive", "a:"}},
      {"C=" + c + "/missing", "drive C: maps to \"" + c + "/missing\", which is not an existing folder", ""},
      {"C=" + file + ";D=" + d, "drive C: maps to \"" + file + "\", which is a file, not a folder", "D"},
      {"C=/;D=" + d, "drive C: cannot be the host's root folder \"/\"", "D"},
      {"C=//;D=" + d, "drive C: cannot be the host's root folder \"/\" (given as \"//\")", "D"},
      {"C=/./;D=" + d, "drive C: cannot be the host's root folder \"/\" (given as \"/./\")", "D"},
      {"C=/tmp/..;D=" + d, "drive C: cannot be the host's root folder \"/\" (given as \"/tmp/..\")", "D"},
      {"C=" + c + "/../../../../../../../../../..;D=" + d, "drive C: cannot be the host's root folder", "D"},
      {"C=/no-such-folder-here/..;D=" + d,
       "drive C: maps to \"/no-such-folder-here/..\", which does not exist and climbs with \"..\"", "D"},
      {"C=" + Base() + "/to-root;D=" + d, "drive C: cannot be the host's root folder", "D"},
      {"C=" + c + ";D=" + c, "drive D: names the same folder as drive C:", "C"},
      {"C=" + c + ";D=" + c + "//./", "drive D: names the same folder as drive C:", "C"},
      {"C=" + c + ";D=" + Base() + "/to-c", "drive D: names the same folder as drive C:", "C"},
      {"C=" + c + ";c=" + d, "drive C: is mapped more than once; the first mapping (" + c + ") is used and \"" + d +
                                 "\" is left out", "C"},
      {"C=" + c + "\r\n;D=" + d + "\r\n", "", "CD"},
      {"C=" + c + "/new\x01line;D=" + d, "drive C: maps to \"" + c + "/new^Aline\", which is not an existing folder",
       "D"},
  };
  for (const DrivesCase& drives : cases) {
    SCOPED_TRACE("TIDEWELL_DRIVES=" + drives.value);
    std::vector<std::string> arguments = drives.arguments;
    arguments.insert(arguments.end(), {"--test", "--quiet"});
    const ChildResult run = RunCli(arguments, drives.value);
    EXPECT_EQ(run.exitStatus, drives.cleaned.empty() ? 1 : 0) << run.err;
    EXPECT_EQ(CleanedLetters(run.out), drives.cleaned) << run.out;
    if (drives.problem.empty()) {
      EXPECT_FALSE(Contains(run.err, "TIDEWELL_DRIVES")) << run.err;
    } else {
      EXPECT_TRUE(Contains(run.err, "tidewell-cli: TIDEWELL_DRIVES: " + drives.problem)) << run.err;
    }
    for (const std::string floppy : {"A", "B"}) {
      if (!drives.value.starts_with(floppy + "=") || drives.cleaned != "C") continue;
      EXPECT_TRUE(Contains(run.err, "drive " + floppy + ": is left out: an all-drives run cleans C to Z")) << run.err;
    }
    if (drives.cleaned.empty()) {
      EXPECT_TRUE(Contains(run.err, "nothing was cleaned")) << run.err;
    }
  }
}
#endif

// ---- the command line ----------------------------------------------------

TEST_F(BadInputTest, EveryBadCommandLineExitsTwoWithOneLineNamingOptionAndValueAndTouchesNothing) {
  const std::string drive = Folder("drive_c");
  std::ofstream(drive + "/junk.tmp") << "x";
  const std::string longWord(100000, 'x');
  // Each case: the words, then what the one line must hold.
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"--drive"}, {"option --drive needs a value"}},
      {{"--drive="}, {"option --drive: bad drive letter ''"}},
      {{"--drive", ""}, {"option --drive: bad drive letter ''"}},
      {{"--drive", "c:\\"}, {"option --drive", "'c:\\'"}},
      {{"--drive", "--delete"}, {"option --drive needs a value, but is followed by '--delete'"}},
      {{"--drive", "\xC3\x84:"}, {"option --drive", "'\xC3\x84:'"}},
      {{"--drive", "z"}, {"option --drive", "no drive Z: is mapped"}},
      {{"--select"}, {"option --select needs a value"}},
      {{"--select="}, {"option --select: unknown selection ''"}},
      {{"--select", "Safest "}, {"option --select: unknown selection 'Safest '"}},
      {{"--select", "-"}, {"option --select needs a value, but is followed by '-'"}},
      {{"--enable"}, {"option --enable needs a value"}},
      {{"--enable="}, {"option --enable: missing category names"}},
      {{"--enable", "Temp,,Adobe"}, {"option --enable: empty category name in 'Temp,,Adobe'"}},
      {{"--disable", ",Temp"}, {"option --disable: empty category name in ',Temp'"}},
      {{"--disable", "Temp, Adobe"}, {"option --disable: unknown category ' Adobe'"}},
      {{"--enable", "temp;adobe"}, {"option --enable: unknown category 'temp;adobe'"}},
      {{"--Drive", "c:"}, {"unknown option '--Drive': options are lower case, did you mean --drive?"}},
      {{"--TEST"}, {"unknown option '--TEST'", "did you mean --test?"}},
      {{"--all_drives"}, {"unknown option '--all_drives'"}},
      {{"--bogus=1"}, {"unknown option '--bogus'"}},
      {{"-x"}, {"unknown option '-x'"}},
      {{"-h=1"}, {"unknown option '-h=1'"}},
      {{"--"}, {"unknown option '--'"}},
      {{"-"}, {"unexpected argument '-'"}},
      {{"C:"}, {"unexpected argument 'C:'"}},
      {{"--test", "--delete", "extra"}, {"unexpected argument 'extra'"}},
      {{"--select", longWord}, {"option --select: unknown selection '" + std::string(64, 'x') + "...'"}},
      {{"--" + longWord}, {"unknown option '--" + std::string(62, 'x') + "...'"}},
      {{"--select", "\xFF\xFE"}, {"option --select", "'\\xFF\\xFE'"}},
      {{"--drive", "C\n"}, {"option --drive", "'C^J'"}},
      {{"--enable", "\x1B[31mTemp"}, {"option --enable", "'^[[31mTemp'"}},
      {{"--select", "\xC2\x9B" "2J"}, {"option --select", "'\\xC2\\x9B2J'"}},
      {{"--x\xC3"}, {"unknown option '--x\\xC3'"}},
      {{"--older-than"}, {"option --older-than needs a value"}},
      {{"--older-than="}, {"option --older-than: bad number of days ''", "it is empty", "0 to 36500"}},
      {{"--older-than", "-3"}, {"option --older-than: bad number of days '-3'", "it is negative"}},
      {{"--older-than", "7d"}, {"option --older-than: bad number of days '7d'", "not a whole number"}},
      {{"--older-than", "1.5"}, {"'1.5'", "not a whole number"}},
      {{"--older-than", "36501"}, {"'36501'", "more than 36500 days"}},
      {{"--older-than", "--delete"}, {"option --older-than needs a value, but is followed by '--delete'"}},
      {{"--keep"}, {"option --keep needs a value"}},
      {{"--keep="}, {"option --keep: bad pattern ''", "it is empty"}},
      {{"--keep", "/home/me/projects"}, {"option --keep: bad pattern '/home/me/projects'", "\"/\""}},
      {{"--keep", "PROJECTS\\*"}, {"option --keep: bad pattern 'PROJECTS\\*'", "start it with a drive"}},
      {{"--keep", "C:\\\\PROJECTS\\\\*"}, {"option --keep: bad pattern 'C:\\\\PROJECTS\\\\*'", "it holds"}},
      {{"--keep", "C:PROJECTS\\*"}, {"'C:PROJECTS\\*'", "\"C:\" must be followed by \"\\\" (write C:\\PROJECTS\\*)"}},
      {{"--keep", "C:\\..\\X"}, {"'C:\\..\\X'", "\"..\" part names no folder"}},
      {{"--keep", "1:\\X"}, {"'1:\\X'", "its drive \"1:\" is no letter from A to Z"}},
      {{"--keep", "*.DOC"}, {"'*.DOC'", "matches no drive", "(*\\*.DOC)"}},
  };
  for (const char* flag : {"--all-drives", "--one-drive", "--test", "--delete", "--log", "--no-log", "--report",
                           "--no-report", "--list-categories", "--json", "--quiet", "--help", "--version",
                           "--by-category"}) {
    cases.push_back({{"--delete", flag + "=yes"s}, {"option "s + flag + " takes no value, but was given 'yes'"}});
  }
  for (const auto& [words, parts] : cases) {
#ifdef _WIN32
    // A Windows command line is UTF-16 and at most 32767 characters: bytes
    // that are no UTF-8 and the longest words cannot reach the program.
    const bool reachable = std::all_of(words.begin(), words.end(), [](const std::string& word) {
      return word.size() < 30000 && platform::win32::Narrow(platform::win32::Widen(word)) == word;
    });
    if (!reachable) continue;
#endif
    std::string name;
    for (const std::string& word : words) name += "[" + word.substr(0, 40) + "]";
    SCOPED_TRACE(name);
    const ChildResult run = RunOnC(words);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("tidewell-cli: ")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_LT(run.err.size(), 400u);
    for (const std::string& part : parts) EXPECT_TRUE(Contains(run.err, part)) << run.err;
  }
  EXPECT_FALSE(fs::exists(Home() + "/config")) << "a bad command line created the store";
  EXPECT_FALSE(fs::exists(Program() + "/Tidewell.log"));
  EXPECT_FALSE(fs::exists(Program() + "/Tidewell.txt"));
  EXPECT_TRUE(fs::exists(drive + "/junk.tmp"));
}

// Values (not option names) are read without regard to case.
TEST_F(BadInputTest, OddlyCasedValuesAreUnderstood) {
  const ChildResult run = RunOnC({"--drive", "c", "--select", "NONE", "--enable", "tEmP,ADOBE", "--list-categories"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "on   Temp ")) << run.out;
  EXPECT_TRUE(Contains(run.out, "on   Adobe ")) << run.out;
  EXPECT_TRUE(Contains(run.out, "off  Recycled ")) << run.out;
}

}  // namespace
}  // namespace tidewell
