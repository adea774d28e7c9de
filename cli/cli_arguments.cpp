#include "cli/cli_arguments.h"

#include <algorithm>
#include <iterator>

#include "cli/option_table.h"
#include "session/shown_text.h"
#include "settings/run_filters.h"
#include "platform/text_case.h"

namespace tidewell::cli {
using session::ShownOnOneLine;
namespace {

// A catalogue entry by its settings name, case ignored ("temp" finds Temp).
const Category* FindEntry(std::string_view name) {
  for (const Category& entry : CatalogueEntries()) {
    if (EqualsNoCase(entry.settingsName, name)) return &entry;
  }
  return nullptr;
}

// A user's word in quotes, safe to print on one line.
std::string Quoted(std::string_view word) { return "'" + ShownOnOneLine(word) + "'"; }

std::string ParseDrive(std::string_view text, std::optional<char>& drive) {
  const bool letter = !text.empty() && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
  if (!letter || text.size() > 2 || (text.size() == 2 && text[1] != ':')) {
    return "option --drive: bad drive letter " + Quoted(text) + ": give a letter from A to Z, e.g. --drive C:";
  }
  drive = ToUpperAscii(text[0]);
  return {};
}

std::string ParseNames(std::string_view list, bool on, std::vector<SelectionChange>& selection) {
  const std::string option = on ? "--enable" : "--disable";
  if (list.empty()) return "option " + option + ": missing category names (e.g. " + option + " Temp,Adobe)";
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view name = list.substr(start, comma - start);
    if (name.empty()) {
      return "option " + option + ": empty category name in " + Quoted(list) +
             " (separate names with one comma, e.g. Temp,Adobe)";
    }
    const Category* entry = FindEntry(name);
    if (entry == nullptr) {
      return "option " + option + ": unknown category " + Quoted(name) + " (see --list-categories for the names)";
    }
    selection.push_back({std::nullopt, entry->id, on});
    start = comma + 1;
  }
  return {};
}

std::string ParsePreset(std::string_view name, std::vector<SelectionChange>& selection) {
  if (const std::optional<Preset> preset = FindPreset(name)) {
    selection.push_back({*preset});
    return {};
  }
  return "option --select: unknown selection " + Quoted(name) + ": use all, none or safest";
}

std::string ParseShell(std::string_view name, std::string& shell) {
  for (const std::string_view known : CompletionShells()) {
    if (name == known) {
      shell = known;
      return {};
    }
  }
  return "option --completion: unknown shell " + Quoted(name) + ": use bash, zsh or fish";
}

std::string ParseOlderThan(std::string_view text, std::optional<int>& days) {
  std::string why;
  days = ParseAgeDays(text, why);
  if (days) return {};
  return "option --older-than: bad number of days " + Quoted(text) + ": " + why +
         "; give a whole number from 0 to " + std::to_string(kMaximumAgeDays) + ", e.g. --older-than 7";
}

std::string ParseKeep(std::string_view text, std::vector<std::string>& keep) {
  std::string why;
  if (!IsUsableKeepPattern(text, why)) return "option --keep: bad pattern " + Quoted(text) + ": " + why;
  keep.emplace_back(text);
  return {};
}

// "-3": a negative number given where a count was meant, not an option.
bool IsNegativeNumber(std::string_view word) {
  return word.size() > 1 && word[0] == '-' && word[1] >= '0' && word[1] <= '9';
}

// What to say about a word that is no option: a positional word, a known
// option in the wrong case, a near miss, or an unknown one.
std::string UnknownWord(std::string_view word) {
  if (!word.starts_with('-') || word == "-") {
    return "unexpected argument " + Quoted(word) + ": tidewell-cli takes options only (see tidewell-cli --help)";
  }
  for (const OptionSpec& option : Options()) {
    if (option.group != OptionGroup::Hidden && EqualsNoCase(option.name, word)) {
      return "unknown option " + Quoted(word) + ": options are lower case, did you mean " + std::string(option.name) +
             "?";
    }
  }
  if (const OptionSpec* nearest = NearestOption(word)) {
    return "unknown option " + Quoted(word) + ": did you mean " + std::string(nearest->name) + "?";
  }
  return "unknown option " + Quoted(word) + " (see tidewell-cli --help)";
}

}  // namespace

ParsedArguments ParseArguments(std::span<const std::string_view> words) {
  ParsedArguments parsed;
  CliArguments& a = parsed.arguments;
  for (std::size_t i = 0; i < words.size() && parsed.error.empty(); ++i) {
    std::string_view word = words[i];
    std::optional<std::string_view> attached;  // --name=value
    if (const std::size_t equals = word.find('='); word.starts_with("--") && equals != std::string_view::npos) {
      attached = word.substr(equals + 1);
      word = word.substr(0, equals);
    }
    const OptionSpec* option = FindOption(word);
    if (option == nullptr) {
      parsed.error = UnknownWord(word);
      break;
    }
    const std::string name(option->name);
    if (attached && option->value == ValueKind::None) {
      parsed.error = "option " + name + " takes no value, but was given " + Quoted(*attached);
      break;
    }
    std::string_view value;
    if (option->value != ValueKind::None) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < words.size() && (!words[i + 1].starts_with('-') ||
                                          (option->value == ValueKind::Days && IsNegativeNumber(words[i + 1])))) {
        // No value starts with "-": a following option means the value was left out.
        value = words[++i];
      } else if (i + 1 < words.size()) {
        parsed.error = "option " + name + " needs a value, but is followed by " + Quoted(words[i + 1]);
        break;
      } else {
        parsed.error = "option " + name + " needs a value";
        break;
      }
    }

    if (name == "--drive") parsed.error = ParseDrive(value, a.drive);
    else if (name == "--select") parsed.error = ParsePreset(value, a.selection);
    else if (name == "--enable") parsed.error = ParseNames(value, true, a.selection);
    else if (name == "--disable") parsed.error = ParseNames(value, false, a.selection);
    else if (name == "--older-than") parsed.error = ParseOlderThan(value, a.olderThanDays);
    else if (name == "--keep") parsed.error = ParseKeep(value, a.keep);
    else if (name == "--completion") parsed.error = ParseShell(value, a.completionShell);
    else if (name == "--by-category") a.byCategory = true;
    else if (name == "--all-drives") a.allDrives = true;
    else if (name == "--one-drive") a.allDrives = false;
    else if (name == "--drives") a.listDrives = true;
    else if (name == "--test") a.testRun = true;
    else if (name == "--delete") a.testRun = false;
    else if (name == "--log") a.maintainLog = true;
    else if (name == "--no-log") a.maintainLog = false;
    else if (name == "--report") a.keepReport = true;
    else if (name == "--no-report") a.keepReport = false;
    else if (name == "--list-categories") a.listCategories = true;
    else if (name == "--json") a.json = true;
    else if (name == "--quiet") a.quiet = true;
    else if (name == "--help") a.help = word == "-h" ? Help::Short : Help::Long;
    else if (name == "--version") a.version = true;
  }
  return parsed;
}

}  // namespace tidewell::cli
