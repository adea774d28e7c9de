// The console's options as data: one table that the argument parser, both
// help texts (-h and --help) and the shell completions (bash, zsh, fish)
// all read, so that none of them can name an option the others do not know.
//
// Each row says what the option is called (a long name, and a short one for
// the few that have it), what value it takes (and so what a completion
// offers after it: nothing at all where the value is a number or a
// pattern), which group of the long help it belongs to, and its two
// descriptions: one short line for -h and the completions, and the
// paragraphs of --help, which the help text wraps to 80 columns.
//
// A hidden row (--completion) is parsed like the others but shown in no
// help and offered by no completion: the build uses it to write the
// completion files.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "settings/category_catalogue.h"

namespace tidewell::cli {

// What an option's value is, and so how it is read and completed.
enum class ValueKind {
  None,          // a switch
  DriveLetter,   // "C:" or "c": completed with the letters --drives lists
  SelectionPreset,  // all, none, safest (PresetNames())
  CategoryList,  // settings names separated by commas, case ignored
  Days,          // a whole number: nothing is offered
  Pattern,       // a keep pattern: nothing is offered
  Shell,         // bash, zsh, fish (the hidden --completion)
};

enum class OptionGroup { Drives, Run, Filters, Output, Hidden };

struct OptionSpec {
  std::string_view name;       // "--drive"
  char shortName = 0;          // 'h' for -h; 0 when there is none
  ValueKind value = ValueKind::None;
  std::string_view valueName;  // how the help writes the value: "X:", "DAYS"
  OptionGroup group = OptionGroup::Output;
  std::string_view summary;    // one line: -h and the completions' descriptions
  std::string_view details;    // --help: paragraphs separated by "\n"
};

// Every option, in the order the help shows them.
std::span<const OptionSpec> Options();

// The row of a long option ("--drive") or a short one ("-q"); nullptr when
// there is none. Exact: case counts.
const OptionSpec* FindOption(std::string_view word);

// The visible option whose name is nearest to `word` (case ignored), when
// it is at most two edits (insert, delete, replace a character, or swap two
// neighbours) away: "--dlete" gives --delete. nullptr when none is.
const OptionSpec* NearestOption(std::string_view word);

// The --select presets, in the order the help names them.
struct PresetName {
  std::string_view name;
  Preset preset;
};
std::span<const PresetName> PresetNames();
std::optional<Preset> FindPreset(std::string_view name);  // case ignored

// The shells the hidden --completion writes a completion for.
std::span<const std::string_view> CompletionShells();

}  // namespace tidewell::cli
