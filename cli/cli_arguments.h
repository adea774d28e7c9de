// The console front end's command line: what the user asked for this run.
//
// Options change this run only; nothing they say is stored. Switches that
// contradict each other (--test --delete) resolve to the last one given;
// --select, --enable and --disable apply in the order given.
//
// The options themselves are the rows of cli/option_table.h.
//
// What is refused, each with one line that names the option and the value:
// an unknown option (with a hint when only its case is wrong: options are
// lower case, while the values of --drive, --select and --enable/--disable
// are read without regard to case; or "did you mean --delete?" when a known
// option is at most two edits away, "--dlete"), a word that is no option ("-", "--",
// "file.txt"), a value given to a switch ("--test=yes"), a missing or empty
// value, and a value-taking option followed by another option ("--drive
// --test": no value starts with "-", so the value was left out). Values are
// quoted with ShownOnOneLine(), so control bytes, broken UTF-8 and huge
// words cannot spoil the message. --older-than takes a whole number of days
// (settings/run_filters.h); a negative one ("--older-than -3") is read as
// its value so that the message can say what is wrong with it. --keep takes
// a pattern that can match a whole Windows path.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/category_catalogue.h"

namespace tidewell::cli {

// One change to the Deepwash selection, in command-line order.
struct SelectionChange {
  std::optional<Preset> preset;  // --select
  CategoryId id{};               // --enable / --disable, when no preset
  bool on = false;
};

// Which help was asked for: -h the short one, --help the long one.
enum class Help { None, Short, Long };

struct CliArguments {
  std::optional<char> drive;  // upper case
  std::optional<bool> allDrives;
  std::optional<bool> testRun;
  std::optional<bool> maintainLog;
  std::optional<bool> keepReport;
  std::vector<SelectionChange> selection;
  std::optional<int> olderThanDays;  // --older-than: replaces the stored age limit
  std::vector<std::string> keep;     // --keep, in order: added to the stored keep list
  bool byCategory = false;
  bool listCategories = false;
  bool json = false;
  bool quiet = false;
  bool listDrives = false;  // --drives
  Help help = Help::None;
  bool version = false;
  std::string completionShell;  // the hidden --completion: "bash", "zsh" or "fish"
};

struct ParsedArguments {
  CliArguments arguments;
  std::string error;  // one line, empty when the command line was understood
};

ParsedArguments ParseArguments(std::span<const std::string_view> words);

}  // namespace tidewell::cli
