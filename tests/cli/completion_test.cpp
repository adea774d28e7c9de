// The shell completions: made from the option table, installed as the build
// wrote them, and what each shell then offers. Bash always runs; zsh and
// fish when installed (scripts/install-deps.sh installs both).
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/completion_script.h"
#include "cli/option_table.h"
#include "settings/category_catalogue.h"
#include "tests/support/console_sandbox.h"

namespace tidewell::cli {
namespace {

namespace fs = std::filesystem;
using testing::ChildOptions;
using testing::ChildResult;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// `word` in `text` between blanks, parentheses or quotes, as a list writes it.
bool ContainsWord(const std::string& text, std::string_view word) {
  constexpr std::string_view kEdges = " ()\"\n";
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if (at > 0 && kEdges.find(text[at - 1]) != std::string_view::npos && end < text.size() &&
        kEdges.find(text[end]) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::set<std::string> LineSet(const std::string& text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.insert(line);
  }
  return lines;
}

std::set<std::string> LongOptionNames() {
  std::set<std::string> names;
  for (const OptionSpec& option : Options()) {
    if (option.group != OptionGroup::Hidden) names.emplace(option.name);
  }
  return names;
}

std::set<std::string> CategoryNamesStartingWith(std::string_view prefix, std::string_view head = "") {
  std::set<std::string> names;
  for (const Category& entry : CatalogueEntries()) {
    std::string lower(entry.settingsName);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.starts_with(prefix)) names.insert(std::string(head) + std::string(entry.settingsName));
  }
  return names;
}

// Every script names every visible option and category, and never the
// hidden --completion, which only the build uses.
TEST(CompletionScripts, EachShellsScriptCarriesTheWholeTable) {
  for (const std::string_view shell : CompletionShells()) {
    const std::string script = CompletionScript(shell);
    ASSERT_FALSE(script.empty()) << shell;
    for (const OptionSpec& option : Options()) {
      const std::string written = shell == "fish" ? " -l " + std::string(option.name.substr(2)) + " "
                                                  : std::string(option.name);
      EXPECT_EQ(Contains(script, written), option.group != OptionGroup::Hidden) << shell << " " << option.name;
      if (option.shortName != 0 && shell != "bash") {
        EXPECT_TRUE(Contains(script, shell == "fish" ? std::string(" -s ") + option.shortName
                                                     : std::string("-") + option.shortName))
            << shell << " " << option.name;
      }
    }
    for (const Category& entry : CatalogueEntries()) {
      EXPECT_TRUE(ContainsWord(script, entry.settingsName)) << shell << " " << entry.settingsName;
    }
  }
  EXPECT_EQ(CompletionScript("tcsh"), "");
}

#ifdef TIDEWELL_COMPLETION_DIR
// The files the package installs are what the program writes from its table.
TEST(CompletionScripts, TheBuiltFilesAreTheProgramsOwnOutput) {
  const std::string folder = TIDEWELL_COMPLETION_DIR;
  EXPECT_EQ(Slurp(folder + "/bash/tidewell-cli"), CompletionScript("bash"));
  EXPECT_EQ(Slurp(folder + "/zsh/_tidewell-cli"), CompletionScript("zsh"));
  EXPECT_EQ(Slurp(folder + "/fish/tidewell-cli.fish"), CompletionScript("fish"));
}
#endif

#ifndef _WIN32
// The shells run the completion in the sandbox: two drives of its own, so
// that `tidewell-cli --drives` lists C: and E: and nothing of the machine's.
class ShellCompletion : public ::testing::Test, protected testing::ConsoleSandbox {
 protected:
  ShellCompletion() : ConsoleSandbox(TIDEWELL_CLI_PATH) {
    for (const char* name : {"drive_c", "drive_e"}) fs::create_directories(Base() + "/" + name);
    script_ = Base() + "/completion";
  }

  // Runs `shell` with `arguments` in the sandbox's environment, the
  // program's folder on PATH, with `shell`'s script written to script_.
  ChildResult RunShell(const std::string& shell, std::vector<std::string> arguments) {
    std::ofstream(script_) << CompletionScript(shell == "bash" ? "bash" : shell);
    ChildOptions options =
        Options(std::move(arguments), "C=" + Base() + "/drive_c;E=" + Base() + "/drive_e");
    options.environment["PATH"] = Program() + ":/usr/bin:/bin";
    options.timeout = std::chrono::seconds(60);
    return testing::RunChild(testing::FindSystemTool(shell), options);
  }

  // What bash offers for the last of `words` (the program's name first).
  std::set<std::string> Bash(std::vector<std::string> words) {
    std::vector<std::string> arguments = {
        "-c",
        "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tidewell_cli; "
        "printf '%s\\n' \"${COMPREPLY[@]}\"",
        "bash", script_};
    arguments.insert(arguments.end(), words.begin(), words.end());
    const ChildResult run = RunShell("bash", arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return LineSet(run.out);
  }

  // What fish offers for a command line, candidates without descriptions.
  std::set<std::string> Fish(const std::string& commandLine) {
    const ChildResult run = RunShell("fish", {"--no-config", "-c", "source $argv[1]; complete -C $argv[2]",
                                              script_, commandLine});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    std::set<std::string> offered;
    for (const std::string& line : LineSet(run.out)) offered.insert(line.substr(0, line.find('\t')));
    return offered;
  }

  std::string script_;
};

TEST_F(ShellCompletion, BashOffersOptionsAndOnlyValuesWhereAValueIsWanted) {
  EXPECT_EQ(Bash({"tidewell-cli", "--"}), LongOptionNames());
  EXPECT_EQ(Bash({"tidewell-cli", "--dr"}), (std::set<std::string>{"--drive", "--drives"}));
  EXPECT_EQ(Bash({"tidewell-cli", "--older-than", ""}), std::set<std::string>{}) << "a number: nothing";
  EXPECT_EQ(Bash({"tidewell-cli", "--keep", "--"}), std::set<std::string>{}) << "a pattern: no option names";
  EXPECT_EQ(Bash({"tidewell-cli", "--select", "S"}), std::set<std::string>{"safest"});
  // "--select=": bash splits the word at "=", which then stands for the value.
  EXPECT_EQ(Bash({"tidewell-cli", "--select", "="}), (std::set<std::string>{"=all", "=none", "=safest"}));
  EXPECT_EQ(Bash({"tidewell-cli", "--select", "=", "n"}), std::set<std::string>{"none"});
  // Categories case ignored, the last name of a list.
  EXPECT_EQ(Bash({"tidewell-cli", "--enable", "te"}), CategoryNamesStartingWith("te"));
  EXPECT_EQ(Bash({"tidewell-cli", "--disable", "Temp,re"}), CategoryNamesStartingWith("re", "Temp,"));
  EXPECT_EQ(Bash({"tidewell-cli", "--enable", ""}).size(), CatalogueEntries().size());
  // Drive letters from the program's own --drives.
  EXPECT_EQ(Bash({"tidewell-cli", "--drive", ""}), (std::set<std::string>{"C:", "E:"}));
  EXPECT_EQ(Bash({"tidewell-cli", "--drive", "e"}), (std::set<std::string>{"E:"}));
}

TEST_F(ShellCompletion, FishOffersOptionsAndValuesFromTheSameTable) {
  if (testing::FindSystemTool("fish").empty()) GTEST_SKIP() << "fish is not installed (package fish)";
  EXPECT_TRUE(Fish("tidewell-cli --sel").contains("--select"));
  EXPECT_TRUE(Fish("tidewell-cli -").contains("-q"));
  EXPECT_FALSE(Fish("tidewell-cli --").contains("--completion"));
  EXPECT_EQ(Fish("tidewell-cli --select "), (std::set<std::string>{"all", "none", "safest"}));
  EXPECT_EQ(Fish("tidewell-cli --older-than "), std::set<std::string>{});
  EXPECT_EQ(Fish("tidewell-cli --keep "), std::set<std::string>{});
  EXPECT_EQ(Fish("tidewell-cli --enable te"), CategoryNamesStartingWith("te"));
  EXPECT_EQ(Fish("tidewell-cli --disable Temp,Re"), CategoryNamesStartingWith("re", "Temp,"));
  EXPECT_EQ(Fish("tidewell-cli --drive "), (std::set<std::string>{"C:", "E:"}));
}

// zsh completes only inside its line editor: a zsh on a pseudo-terminal
// (zpty) types the command line and a tab, and a compadd wrapper writes down
// every match the completion function adds.
constexpr std::string_view kZshDriver = R"zsh(
# zsh -f driver FUNCTIONS HITS LINE...: the matches completing each LINE in
# turn adds, into HITS. Ctrl+T completes the line, empties it and writes
# HITS.end; nothing is typed until that file is there, so no typeahead can
# cut a completion short.
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z "bindkey -e; fpath=($1 \$fpath); autoload -U compinit; compinit -u -D -d $2.dump"
zpty -w z "compadd() { local -a __hits; builtin compadd -O __hits \"\$@\"; (( \$#__hits )) && print -rl -- \$__hits >> $2; builtin compadd \"\$@\" }"
zpty -w z "zle -C tidewell-complete complete-word _main_complete; tidewell-test() { zle tidewell-complete; print -r -- end >> $2.end; BUFFER= }; zle -N tidewell-test; bindkey '^T' tidewell-test"
for line in "${@:3}"; do
  rm -f $2.end
  zpty -n -w z "$line"$'\C-t'
  for i in {1..600}; do [[ -e $2.end ]] && break; sleep 0.05; done
  [[ -e $2.end ]] || break
done
zpty -d z
[[ -e $2.end ]]
)zsh";

TEST_F(ShellCompletion, ZshOffersOptionsAndOnlyValuesWhereAValueIsWanted) {
  if (testing::FindSystemTool("zsh").empty()) GTEST_SKIP() << "zsh is not installed (package zsh)";
  const std::string folder = Base() + "/zfunctions";
  fs::create_directories(folder);
  std::ofstream(folder + "/_tidewell-cli") << CompletionScript("zsh");
  std::ofstream(Base() + "/driver.zsh") << kZshDriver;
  int round = 0;
  const auto offered = [&](const std::string& line, const std::string& next = "") {
    const std::string hits = Base() + "/hits" + std::to_string(++round);
    std::vector<std::string> arguments = {"-f", Base() + "/driver.zsh", folder, hits, line};
    if (!next.empty()) arguments.push_back(next);
    const ChildResult run = RunShell("zsh", arguments);
    EXPECT_EQ(run.exitStatus, 0) << line << ": " << run.err;
    return LineSet(Slurp(hits));
  };
  // As compinit loads it: the file is the completion of tidewell-cli.
  const ChildResult loaded = RunShell(
      "zsh", {"-f", "-c",
              "fpath=(" + folder + " $fpath); autoload -U compinit; compinit -u -D -d " + Base() +
                  "/zcompdump; print -r -- \"${_comps[tidewell-cli]}\""});
  EXPECT_EQ(loaded.out, "_tidewell-cli\n") << loaded.err;

  EXPECT_EQ(offered("tidewell-cli --sel"), std::set<std::string>{"--select"});
  EXPECT_EQ(offered("tidewell-cli --select "), (std::set<std::string>{"all", "none", "safest"}));
  EXPECT_EQ(offered("tidewell-cli --enable te"), CategoryNamesStartingWith("te")) << "case ignored";
  EXPECT_EQ(offered("tidewell-cli --disable temp,re"), CategoryNamesStartingWith("re"))
      << "the last name of a list (the names before it stay as typed)";
  EXPECT_EQ(offered("tidewell-cli --older-than "), std::set<std::string>{});
  EXPECT_EQ(offered("tidewell-cli --keep "), std::set<std::string>{});
  EXPECT_EQ(offered("tidewell-cli --drive "), (std::set<std::string>{"C:", "E:"}));
  // Twice in one shell: the autoloaded function completes at every call,
  // not only at the first, which loads it.
  EXPECT_EQ(offered("tidewell-cli --select n", "tidewell-cli --select s"), (std::set<std::string>{"none", "safest"}));
}
#endif

}  // namespace
}  // namespace tidewell::cli
