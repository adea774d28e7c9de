#include "cli/option_table.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/text_case.h"

namespace tidewell::cli {
namespace {

using enum ValueKind;
using enum OptionGroup;

// Nothing here changes without the help and completion tests: the texts are
// what the user reads, the value kinds what the completions offer.
constexpr OptionSpec kOptions[] = {
    {"--drive", 0, DriveLetter, "X:", Drives, "clean drive X (see --drives for the letters)",
     "clean drive X (default: the drive of the current folder, else C); the drive check runs first, and "
     "nothing is cleaned when the drive cannot be"},
    {"--all-drives", 0, None, "", Drives, "clean every drive from C to Z that can be written",
     "clean every drive from C to Z that can be written"},
    {"--one-drive", 0, None, "", Drives, "clean one drive only",
     "clean one drive only (the stored \"scan all drives\" off)"},
    {"--drives", 0, None, "", Drives, "list the drives Tidewell would use, and exit",
     "list every drive Tidewell would use, one line each: letter, label, file system, where it was found "
     "(environment, store, Wine prefix, mount), whether a destructive run may clean it unattended (without "
     "--drive), and its host folder; with --json, one JSON array of the same"},
    {"--test", 0, None, "", Run, "test run: delete nothing, log and count what would go",
     "test run: delete nothing, log and count what would go"},
    {"--delete", 0, None, "", Run, "destructive run: really delete (test mode off)",
     "destructive run: really delete (test mode off)"},
    {"--log", 0, None, "", Run, "keep the deletion log on",
     "keep the deletion log on (a test run always logs)"},
    {"--no-log", 0, None, "", Run, "keep the deletion log off", "keep the deletion log off"},
    {"--report", 0, None, "", Run, "keep the run report Tidewell.txt", "keep the run report Tidewell.txt"},
    {"--no-report", 0, None, "", Run, "delete the run report Tidewell.txt",
     "delete the run report Tidewell.txt at the end of the run"},
    {"--select", 0, SelectionPreset, "all|none|safest", Run, "apply a preset to the categories",
     "apply a preset to the categories"},
    {"--enable", 0, CategoryList, "A,B", Run, "switch categories on (see --list-categories)",
     "switch categories on (settings names, see --list-categories; case ignored)"},
    {"--disable", 0, CategoryList, "A,B", Run, "switch categories off",
     "switch categories off\n(--select, --enable and --disable apply in order)"},
    {"--older-than", 0, Days, "DAYS", Filters, "leave alone files changed in the last DAYS days",
     "leave alone every file changed less than DAYS whole days before the drive's cleaning began (0 to "
     "36500; replaces MinimumAgeDays= under [Preferences]), e.g. --older-than 7"},
    {"--keep", 0, Pattern, "PATTERN", Filters, "never touch what matches PATTERN (repeatable)",
     "never touch a file or folder whose Windows path matches PATTERN, nor anything in a folder that "
     "matches; repeat it for more patterns, which add to the Path= lines under [Keep], e.g.\n"
     "--keep 'C:\\PROJECTS\\*' --keep '*\\SAVEGAME.TMP'\n"
     "Each part between two \\ matches one name (* and ?, case ignored, *.* every name); a part that is * "
     "alone matches any number of folders. A pattern that can never match (C:\\\\X, C:X, a . or .. part, "
     "*.DOC: write *\\*.DOC) is refused. A folder mapped as two drives is kept when either of its names "
     "matches."},
    {"--list-categories", 0, None, "", Output, "print every category with its state, and exit",
     "print every category and option with its state, and exit"},
    {"--json", 0, None, "", Output, "print the summary as JSON Lines",
     "print the summary as JSON Lines: one object per drive the run took on, in the order cleaned, then one "
     "totals object (see \"JSON output\" below); with --drives, one array"},
    {"--by-category", 0, None, "", Output, "after each drive's summary, a table by category",
     "after each drive's summary line, a table of what each category chose (files, size), biggest first, "
     "e.g. --test --by-category"},
    {"--quiet", 'q', None, "", Output, "print only errors and the final summary",
     "print only errors and the final summary: no status lines, no progress"},
    {"--help", 'h', None, "", Output, "print the short help (-h) or the long help (--help)",
     "print the short help (-h) or this long help (--help), and exit"},
    {"--version", 'V', None, "", Output, "print the version and exit", "print the version and exit"},
    {"--completion", 0, Shell, "SHELL", Hidden, "print the completion script for SHELL", ""},
};

constexpr PresetName kPresets[] = {
    {"all", Preset::SelectAll},
    {"none", Preset::SelectNone},
    {"safest", Preset::Safest},
};

constexpr std::string_view kShells[] = {"bash", "zsh", "fish"};

// The optimal string alignment distance, case ignored: inserts, deletes,
// replacements and swaps of two neighbours, each one edit.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * width);
  auto at = [&](std::size_t i, std::size_t j) -> std::size_t& { return d[i * width + j]; };
  for (std::size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
  for (std::size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = ToUpperAscii(a[i - 1]) == ToUpperAscii(b[j - 1]);
      at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (same ? 0 : 1)});
      if (i > 1 && j > 1 && ToUpperAscii(a[i - 1]) == ToUpperAscii(b[j - 2]) &&
          ToUpperAscii(a[i - 2]) == ToUpperAscii(b[j - 1])) {
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
      }
    }
  }
  return at(a.size(), b.size());
}

}  // namespace

std::span<const OptionSpec> Options() { return kOptions; }

const OptionSpec* FindOption(std::string_view word) {
  for (const OptionSpec& option : kOptions) {
    if (option.name == word) return &option;
    if (option.shortName != 0 && word.size() == 2 && word[0] == '-' && word[1] == option.shortName) return &option;
  }
  return nullptr;
}

const OptionSpec* NearestOption(std::string_view word) {
  constexpr std::size_t kMostEdits = 2;
  const OptionSpec* nearest = nullptr;
  std::size_t best = kMostEdits + 1;
  for (const OptionSpec& option : kOptions) {
    if (option.group == Hidden) continue;
    const std::size_t distance = EditDistance(word, option.name);
    if (distance < best) {
      best = distance;
      nearest = &option;
    }
  }
  return nearest;
}

std::span<const PresetName> PresetNames() { return kPresets; }

std::optional<Preset> FindPreset(std::string_view name) {
  for (const PresetName& preset : kPresets) {
    if (EqualsNoCase(preset.name, name)) return preset.preset;
  }
  return std::nullopt;
}

std::span<const std::string_view> CompletionShells() { return kShells; }

}  // namespace tidewell::cli
