// The child-process support itself: the Windows command line and
// environment block (checked against Windows' own parser where there is
// one), a child that outlives its timeout, and background children.
#include "tests/support/child_process.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/win32/wide_text.h"
#endif

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/background_child.h"
#include "tests/support/temp_drive.h"
#include "tests/support/under_wine.h"

namespace tidewell::testing {
namespace {

const std::vector<std::string> kAwkwardWords = {
    "plain",        "",           "two words",     "tab\there",     "say \"hi\"",   "C:\\Program Files\\",
    "a\\\\b",       "end\\",      "end\\\\",       "\\\"",          "\"",           "x\\\"y",
    "\xC3\x84rger", "line\nnext", "--drive=c:\\", "trailing space ",
};

TEST(WindowsCommandLineTest, QuotesOnlyWhatNeedsItAndDoublesBackslashesBeforeQuotes) {
  EXPECT_EQ(WindowsCommandLine("C:\\p\\t.exe", {"plain", "a\\b"}), "\"C:\\p\\t.exe\" plain a\\b");
  EXPECT_EQ(WindowsCommandLine("t", {""}), "\"t\" \"\"");
  EXPECT_EQ(WindowsCommandLine("t", {"two words"}), "\"t\" \"two words\"");
  EXPECT_EQ(WindowsCommandLine("t", {"say \"hi\""}), "\"t\" \"say \\\"hi\\\"\"");
  // Backslashes before the closing quote are doubled; elsewhere they stay.
  EXPECT_EQ(WindowsCommandLine("t", {"C:\\Program Files\\"}), "\"t\" \"C:\\Program Files\\\\\"");
  EXPECT_EQ(WindowsCommandLine("t", {"x\\\"y"}), "\"t\" \"x\\\\\\\"y\"");
}

#ifdef _WIN32
// What the program gets back is what CommandLineToArgvW (and so the console
// front end) reads from the line.
TEST(WindowsCommandLineTest, CommandLineToArgvWGivesBackEveryWord) {
  const std::string line = WindowsCommandLine("C:\\some folder\\t.exe", kAwkwardWords);
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(platform::win32::Widen(line).c_str(), &count);
  ASSERT_NE(words, nullptr);
  std::vector<std::string> got;
  for (int i = 0; i < count; ++i) got.push_back(platform::win32::Narrow(words[i]));
  LocalFree(words);
  ASSERT_EQ(got.size(), kAwkwardWords.size() + 1) << line;
  EXPECT_EQ(got[0], "C:\\some folder\\t.exe");
  for (std::size_t i = 0; i < kAwkwardWords.size(); ++i) EXPECT_EQ(got[i + 1], kAwkwardWords[i]) << line;
}
#endif

TEST(WindowsEnvironmentTest, EntriesAreSortedByNameWithoutRegardToCase) {
  const std::vector<std::string> entries =
      WindowsEnvironmentEntries({{"path", "p"}, {"TZ", "UTC"}, {"Home", "h"}, {"ALPHA", "a=b"}, {"_X", "u"}});
  // '_' sorts after the letters once they are upper case, as Windows sorts.
  EXPECT_EQ(entries, (std::vector<std::string>{"ALPHA=a=b", "Home=h", "path=p", "TZ=UTC", "_X=u"}));
}

#ifndef _WIN32
// Windows has no waiting program every machine holds; the timeout there is
// TerminateProcess on the same path.
TEST(RunChildTest, AChildPastItsTimeoutIsKilledAndSaysSo) {
  ChildOptions options;
  options.arguments = {"600"};
  options.timeout = std::chrono::milliseconds(200);
  const ChildResult run = RunChild("/bin/sleep", options);
  EXPECT_TRUE(run.timedOut);
  EXPECT_EQ(run.exitStatus, kKilledExitStatus);
}
#endif

TEST(BackgroundChildTest, AProgramThatCannotStartIsNamedInTheError) {
  TempFolder base;
  const std::string missing = (std::filesystem::path(base.Path()) / "no-such-program.exe").string();
  BackgroundChild child = BackgroundChild::Run(missing, {});
  EXPECT_NE(child.Error().find(missing), std::string::npos) << child.Error();
}

#ifdef _WIN32
// On Windows a file mapped into a process cannot be deleted; once the view
// goes, it can. The mapping is what holds it: its handles are closed.
TEST(BackgroundChildTest, AMappedFileIsInUseUntilTheMappingGoes) {
  if (UnderWine()) GTEST_SKIP() << "Wine lets a mapped file be deleted; Windows refuses";
  TempFolder base;
  const std::filesystem::path file = std::filesystem::path(base.Path()) / "mapped.dat";
  std::ofstream(file, std::ios::binary) << std::string(4096, 'm');
  BackgroundChild mapper = BackgroundChild::MapFile(file.string());
  ASSERT_EQ(mapper.Error(), "");
  EXPECT_FALSE(DeleteFileW(file.c_str())) << "a mapped file was deleted";
  mapper.Stop();
  EXPECT_TRUE(DeleteFileW(file.c_str())) << GetLastError();
}
#endif

}  // namespace
}  // namespace tidewell::testing
