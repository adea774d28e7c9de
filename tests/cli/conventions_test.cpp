// The console's conventions: the option table as the one list the parser
// and both help texts read, -h / --help / -V / -q, "did you mean" for near
// misses, and lines of at most 80 columns.
#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli_arguments.h"
#include "cli/help_text.h"
#include "cli/option_table.h"
#include "tests/support/console_sandbox.h"

namespace tidewell::cli {
namespace {

using testing::ChildResult;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Columns a line takes: its UTF-8 characters (the help is ASCII, labels may not be).
std::size_t Columns(const std::string& line) {
  return static_cast<std::size_t>(
      std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

ParsedArguments Parse(std::vector<std::string_view> words) { return ParseArguments(words); }

// ---- the table and the parser --------------------------------------------

TEST(OptionTable, EveryRowIsFoundByItsNamesAndTheNamesAreUnique) {
  std::vector<std::string_view> names;
  for (const OptionSpec& option : Options()) {
    EXPECT_TRUE(option.name.starts_with("--")) << option.name;
    EXPECT_EQ(FindOption(option.name), &option) << option.name;
    if (option.shortName != 0) {
      EXPECT_EQ(FindOption(std::string("-") + option.shortName), &option) << option.name;
    }
    EXPECT_EQ(option.value == ValueKind::None, option.valueName.empty()) << option.name;
    EXPECT_FALSE(option.summary.empty()) << option.name;
    names.push_back(option.name);
  }
  std::ranges::sort(names);
  EXPECT_EQ(std::ranges::adjacent_find(names), names.end());
  EXPECT_EQ(FindOption("--DELETE"), nullptr) << "options are lower case";
  EXPECT_EQ(FindOption("-H"), nullptr);
}

// Every row the table holds is taken by the parser: a value where it wants
// one, none where it does not.
TEST(OptionTable, TheParserTakesEveryRowOfTheTable) {
  for (const OptionSpec& option : Options()) {
    std::vector<std::string_view> words = {option.name};
    switch (option.value) {
      case ValueKind::None: break;
      case ValueKind::DriveLetter: words.push_back("c:"); break;
      case ValueKind::SelectionPreset: words.push_back("Safest"); break;
      case ValueKind::CategoryList: words.push_back("temp,ADOBE"); break;
      case ValueKind::Days: words.push_back("7"); break;
      case ValueKind::Pattern: words.push_back("C:\\PROJECTS\\*"); break;
      case ValueKind::Shell: words.push_back("zsh"); break;
    }
    EXPECT_EQ(Parse(words).error, "") << option.name;
    if (option.value != ValueKind::None) {
      EXPECT_TRUE(Contains(Parse({option.name}).error, "needs a value")) << option.name;
    } else {
      EXPECT_TRUE(Contains(Parse({std::string(option.name) + "=1"}).error, "takes no value")) << option.name;
    }
  }
}

TEST(OptionTable, ShortOptionsAndHelpKinds) {
  EXPECT_EQ(Parse({"-h"}).arguments.help, Help::Short);
  EXPECT_EQ(Parse({"--help"}).arguments.help, Help::Long);
  EXPECT_EQ(Parse({"--help", "-h"}).arguments.help, Help::Short) << "the last one given counts";
  EXPECT_TRUE(Parse({"-V"}).arguments.version);
  EXPECT_TRUE(Parse({"-q", "--test"}).arguments.quiet);
  EXPECT_TRUE(Parse({"--drives", "--json"}).arguments.listDrives);
  EXPECT_EQ(Parse({"--completion=fish"}).arguments.completionShell, "fish");
  EXPECT_TRUE(Contains(Parse({"--completion", "tcsh"}).error, "unknown shell 'tcsh'"));
  EXPECT_TRUE(Contains(Parse({"-qV"}).error, "unknown option '-qV'")) << "short options are not bundled";
}

TEST(OptionTable, ANearMissIsAnsweredWithTheOptionMeant) {
  const std::vector<std::pair<std::string, std::string>> nearMisses = {
      {"--dlete", "--delete"},        {"--delte", "--delete"},       {"--deleet", "--delete"},
      {"--tset", "--test"},           {"--all-drive", "--all-drives"}, {"--older-then", "--older-than"},
      {"--listcategories", "--list-categories"}, {"--jsno", "--json"}, {"-version", "--version"},
      {"--drvie", "--drive"},         {"--qiuet", "--quiet"},
  };
  for (const auto& [typed, meant] : nearMisses) {
    EXPECT_EQ(Parse({typed}).error, "unknown option '" + typed + "': did you mean " + meant + "?") << typed;
  }
  // Further off, or hidden: no guess.
  for (const std::string_view far : {"--bogus", "--remove", "-x", "--", "--completio"}) {
    const std::string error = Parse({far}).error;
    EXPECT_FALSE(Contains(error, "did you mean")) << far << ": " << error;
    EXPECT_TRUE(Contains(error, "unknown option")) << far;
  }
  EXPECT_EQ(Parse({"--DELETE"}).error, "unknown option '--DELETE': options are lower case, did you mean --delete?");
}

// ---- the help texts ------------------------------------------------------

TEST(HelpText, BothHelpsNameEveryVisibleOptionWithinEightyColumns) {
  const std::string shortHelp = ShortHelp();
  const std::string longHelp = LongHelp();
  for (const std::string& text : {shortHelp, longHelp}) {
    for (const std::string& line : Lines(text)) EXPECT_LE(Columns(line), kHelpColumns) << line;
  }
  for (const OptionSpec& option : Options()) {
    const bool hidden = option.group == OptionGroup::Hidden;
    // An option's own line starts with two spaces and its names.
    std::string synopsis = "  ";
    if (option.shortName != 0) synopsis += std::string("-") + option.shortName + ", ";
    synopsis += option.name;
    EXPECT_EQ(Contains(shortHelp, "\n" + synopsis), !hidden) << option.name;
    EXPECT_EQ(Contains(longHelp, "\n" + synopsis), !hidden) << option.name;
  }
  EXPECT_LT(Lines(shortHelp).size(), 35u) << "-h is the short help";
  EXPECT_GT(Lines(longHelp).size(), Lines(shortHelp).size() * 2);
  EXPECT_TRUE(Contains(longHelp, "JSON Lines"));
  EXPECT_TRUE(Contains(longHelp, "{\"totals\":"));
}

TEST(HelpText, WrappingKeepsWordsWholeAndHonoursLineBreaks) {
  EXPECT_EQ(Wrapped("aaa bbb ccc", "> ", "  ", 9), "> aaa bbb\n  ccc\n");
  EXPECT_EQ(Wrapped("one\ntwo", "", "    "), "one\n    two\n");
  EXPECT_EQ(Wrapped("short averyveryverylongword", "", "", 8), "short\naveryveryverylongword\n");
}

// ---- end to end ----------------------------------------------------------

class ConsoleConventions : public ::testing::Test, protected testing::ConsoleSandbox {
 protected:
  ConsoleConventions() : ConsoleSandbox(TIDEWELL_CLI_PATH) {}
  ChildResult Run(std::vector<std::string> arguments) { return RunCli(std::move(arguments), "C=" + Base()); }
};

TEST_F(ConsoleConventions, HelpAndVersionPrintAndExitWithoutTouchingTheStore) {
  const ChildResult shortHelp = Run({"-h"});
  EXPECT_EQ(shortHelp.exitStatus, 0);
  EXPECT_EQ(shortHelp.out, ShortHelp());
  const ChildResult longHelp = Run({"--help"});
  EXPECT_EQ(longHelp.exitStatus, 0);
  EXPECT_EQ(longHelp.out, LongHelp());
  const ChildResult version = Run({"-V"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_TRUE(version.out.starts_with("tidewell-cli ")) << version.out;
  EXPECT_EQ(Run({"--version"}).out, version.out);
  const ChildResult typo = Run({"--test", "--dlete"});
  EXPECT_EQ(typo.exitStatus, 2);
  EXPECT_EQ(typo.err, "tidewell-cli: unknown option '--dlete': did you mean --delete?\n");
  EXPECT_FALSE(std::filesystem::exists(StorePath()));
}

TEST_F(ConsoleConventions, QuietPrintsOnlyTheSummaryAsLongQuietDoes) {
  const ChildResult loud = Run({"--test"});
  const ChildResult quiet = Run({"-q", "--test"});
  ASSERT_EQ(quiet.exitStatus, 0) << quiet.err;
  EXPECT_GT(Lines(loud.out).size(), Lines(quiet.out).size());
  EXPECT_TRUE(quiet.out.starts_with("Drive C: test run, nothing deleted")) << quiet.out;
  EXPECT_EQ(quiet.out, Run({"--quiet", "--test"}).out);
}

}  // namespace
}  // namespace tidewell::cli
