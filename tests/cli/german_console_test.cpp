// The console in German: LANG=de_DE.UTF-8 (LC_ALL unset) with the shipped
// catalogue beside the program gives German helps and status lines, while the
// deletion log, the report and the --json output stay exactly as in English.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "cli/option_table.h"
#include "i18n/catalogue.h"
#include "tests/support/console_sandbox.h"

namespace fs = std::filesystem;

namespace tidewell::cli {
namespace {

using testing::ChildOptions;
using testing::ChildResult;
using testing::ConsoleSandbox;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A sandbox whose program has the German catalogue beside it, and a drive C
// with one file the rule table takes (a .tmp file).
struct GermanConsole {
  GermanConsole() {
    fs::create_directories(sandbox.Program() + "/locale");
    fs::copy_file(TIDEWELL_GERMAN_CATALOGUE, sandbox.Program() + "/locale/de.po");
    fs::create_directories(sandbox.Base() + "/drive_c/TEMP");
    std::ofstream(sandbox.Base() + "/drive_c/TEMP/junk.tmp") << std::string(300, 'x');
  }
  ChildResult Run(std::vector<std::string> arguments, const char* lcAll) const {
    ChildOptions options = sandbox.Options(std::move(arguments), "C=" + sandbox.Base() + "/drive_c");
    options.environment.erase("LC_ALL");
    if (lcAll != nullptr) options.environment["LC_ALL"] = lcAll;
    options.environment["LANG"] = "de_DE.UTF-8";
    return sandbox.RunCli(options);
  }
  ConsoleSandbox sandbox{TIDEWELL_CLI_PATH};
};

TEST(GermanConsole, EveryOptionOfBothHelpsHasItsGerman) {
  i18n::Catalogue german;
  ASSERT_EQ(i18n::Catalogue::Parse(ReadAll(TIDEWELL_GERMAN_CATALOGUE), german), std::nullopt);
  for (const OptionSpec& option : Options()) {
    if (option.group == OptionGroup::Hidden) continue;
    EXPECT_TRUE(german.Has(option.summary)) << option.name << ": no German for \"" << option.summary << "\"";
    EXPECT_TRUE(german.Has(option.details)) << option.name << ": no German for \"" << option.details << "\"";
  }
}

void ExpectWithin80Columns(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto columns = std::count_if(line.begin(), line.end(),
                                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    EXPECT_LE(columns, 80) << line;
  }
}

TEST(GermanConsole, BothHelpsAreGermanAndStayWithin80Columns) {
  const GermanConsole console;
  const ChildResult german = console.Run({"-h"}, nullptr);
  ASSERT_EQ(german.exitStatus, 0) << german.err;
  EXPECT_TRUE(Contains(german.out, "Aufruf: tidewell-cli [Optionen]\n")) << german.out;
  EXPECT_TRUE(Contains(german.out, "Testlauf: nichts löschen")) << german.out;
  EXPECT_FALSE(Contains(german.out, "clean drive X")) << german.out;
  ExpectWithin80Columns(german.out);
  const ChildResult longHelp = console.Run({"--help"}, nullptr);
  EXPECT_TRUE(Contains(longHelp.out, "\nWas der Lauf tut:\n")) << longHelp.out;
  EXPECT_TRUE(Contains(longHelp.out, "\nRückgabewert: 0 der Lauf ist fertig;")) << longHelp.out;
  EXPECT_FALSE(Contains(longHelp.out, "Exit status")) << longHelp.out;
  ExpectWithin80Columns(longHelp.out);
  // LC_ALL=C wins over LANG: the English help, as before.
  EXPECT_TRUE(Contains(console.Run({"-h"}, "C").out, "Usage: tidewell-cli [options]\n"));
}

TEST(GermanConsole, StatusLinesAreGermanWhileTheRecordsAndJsonStayEnglish) {
  const GermanConsole console;
  const ChildResult english = console.Run({"--test"}, "C");
  ASSERT_EQ(english.exitStatus, 0) << english.err;
  const std::string englishLog = ReadAll(console.sandbox.LogPath());
  const std::string englishReport = ReadAll(console.sandbox.ReportPath());
  fs::remove(console.sandbox.LogPath());
  fs::remove(console.sandbox.ReportPath());

  const ChildResult german = console.Run({"--test"}, nullptr);
  ASSERT_EQ(german.exitStatus, 0) << german.err;
  EXPECT_TRUE(Contains(german.out, "Prüfe Laufwerk ...\n")) << german.out;
  EXPECT_TRUE(Contains(german.out, "Bereit, Laufwerk C: [DRIVE_C] zu bereinigen\n")) << german.out;
  EXPECT_FALSE(Contains(german.out, "Ready to clean drive")) << german.out;
  EXPECT_TRUE(Contains(english.out, "Ready to clean drive C: [DRIVE_C]\n")) << english.out;
  // The records: the same lines but for the clock's.
  auto withoutDigits = [](std::string text) {
    std::erase_if(text, [](char c) { return c >= '0' && c <= '9'; });
    return text;
  };
  EXPECT_FALSE(englishLog.empty());
  EXPECT_EQ(withoutDigits(ReadAll(console.sandbox.LogPath())), withoutDigits(englishLog));
  EXPECT_EQ(withoutDigits(ReadAll(console.sandbox.ReportPath())), withoutDigits(englishReport));
  // --json is read by programs: the same keys and texts in German.
  const ChildResult json = console.Run({"--test", "--json"}, nullptr);
  EXPECT_TRUE(Contains(json.out, "\"testRun\"")) << json.out;
  EXPECT_FALSE(Contains(json.out, "Dateien")) << json.out;
  EXPECT_FALSE(Contains(json.out, "Laufwerk")) << json.out;
}

}  // namespace
}  // namespace tidewell::cli
