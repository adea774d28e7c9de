#include "cli/help_text.h"

#include <optional>

#include "cli/option_table.h"
#include "i18n/translation.h"

namespace tidewell::cli {
namespace {

// Where the descriptions of the long help start.
constexpr std::size_t kDescriptionColumn = 22;
// Where the short help's one-line summaries start.
constexpr std::size_t kSummaryColumn = 24;

// "-q, --quiet", "--drive X:" as the option's help line writes it.
std::string Synopsis(const OptionSpec& option) {
  std::string text = option.shortName != 0 ? std::string("-") + option.shortName + ", " : std::string();
  text += option.name;
  if (!option.valueName.empty()) text += " " + std::string(option.valueName);
  return text;
}

std::string_view GroupTitle(OptionGroup group) {
  switch (group) {
    case OptionGroup::Drives:
      return "Drives:";
    case OptionGroup::Run:
      return "What the run does:";
    case OptionGroup::Filters:
      return "Filters (off unless asked for; the rule table stays as it is):";
    case OptionGroup::Output:
      return "Output:";
    case OptionGroup::Hidden:
      break;
  }
  return {};
}

// The name on the left, the text beside it from `column` on, or under it
// when the name leaves no room.
std::string Entry(const std::string& name, std::string_view text, std::size_t column) {
  const std::string indent(column, ' ');
  std::string first = "  " + name;
  if (first.size() + 1 >= column) return first + "\n" + Wrapped(text, indent, indent);
  first.resize(column, ' ');
  return Wrapped(text, first, indent);
}

constexpr std::string_view kIntro =
    "Runs one Tidewell cleaning run with your stored preferences, exactly as the window's \"Clean HD\" "
    "button would, then exits. The options below change this run only; nothing they say is stored. A "
    "value follows its option as the next word or after \"=\" (--drive=C:).";

constexpr std::string_view kDrives =
    "Drives are mapped from the environment variable TIDEWELL_DRIVES (e.g. "
    "TIDEWELL_DRIVES='C=/srv/win98;D=/mnt/data'), else from the [Drives] section of the settings file "
    "(~/.config/Tidewell/Tidewell.ini), else found on this machine (a Wine prefix's drives, mounted "
    "FAT/NTFS/exFAT volumes, never the EFI system partition or a read-only mount); --drives lists them. A "
    "drive only found on this machine is cleaned by --delete only when named with --drive: without it the "
    "run cleans nothing and says so, and --all-drives --delete leaves out (and names) every found drive not "
    "given with --drive. Test runs take every drive.";

constexpr std::string_view kJson =
    "JSON output (--json): JSON Lines, one object per line. First one object for each drive the run took "
    "on, in the order cleaned: {\"drive\", \"label\", \"folder\", \"testRun\", \"finished\", "
    "\"filesDeleted\", \"bytesSaved\", \"bytesSavedText\", \"bytesFreeBefore\", \"deletionLog\", "
    "\"runReport\", \"categories\": [{\"name\", \"files\", \"bytes\"}]}; then one totals object, also when "
    "no drive was cleaned: {\"totals\": {\"drives\", \"files\", \"bytes\", \"bytesText\"}, \"testRun\", "
    "\"finished\", \"deletionLog\", \"runReport\"}. Keys are only ever added. With --drives, one array "
    "of {\"drive\", \"label\", \"fileSystem\", \"source\", \"unattended\", \"folder\"}.";

constexpr std::string_view kExitStatus =
    "Exit status: 0 the run finished; 1 a drive could not be cleaned (or no drive is mapped, or a "
    "destructive run's drive was only found and not named, or the settings file exists but cannot be "
    "read: then nothing is cleaned, even when TIDEWELL_DRIVES names the drives); 2 bad usage (also a "
    "stored MinimumAgeDays= or [Keep] line that cannot be used: nothing is cleaned until it is fixed); 3 "
    "the deletion log or run report could not be written; 130 interrupted (Ctrl+C).\n"
    "A closed output (`| head -1`) never stops a run: what cannot be printed any more is dropped, the run "
    "and its records finish, and the status is the run's.";

}  // namespace

std::string Wrapped(std::string_view text, std::string_view firstIndent, std::string_view indent,
                    std::size_t columns) {
  std::string out;
  std::string line(firstIndent);
  bool lineHasWord = false;
  auto endLine = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
    line = std::string(indent);
    lineHasWord = false;
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t stop = std::min(text.find_first_of(" \n", start), text.size());
    const std::string_view word = text.substr(start, stop - start);
    if (!word.empty()) {
      if (lineHasWord && line.size() + 1 + word.size() > columns) endLine();
      if (lineHasWord) line += ' ';
      line += word;
      lineHasWord = true;
    }
    if (stop == text.size()) break;
    if (text[stop] == '\n') endLine();
    start = stop + 1;
  }
  if (lineHasWord) endLine();
  return out;
}

std::string ShortHelp() {
  std::string text = std::string(i18n::Translated("Usage: tidewell-cli [options]")) + "\n" +
                     std::string(i18n::Translated(
                         "Runs one Tidewell cleaning run with your stored preferences, then exits.")) +
                     "\n\n";
  for (const OptionSpec& option : Options()) {
    if (option.group == OptionGroup::Hidden) continue;
    text += Entry(Synopsis(option), i18n::Translated(option.summary), kSummaryColumn);
  }
  text += "\n" + Wrapped(i18n::Translated("See tidewell-cli --help for the details, the drives, --json and the exit "
                                          "statuses, or man tidewell-cli."),
                        "", "");
  return text;
}

std::string LongHelp() {
  std::string text = std::string(i18n::Translated("Usage: tidewell-cli [options]")) + "\n\n" +
                     Wrapped(i18n::Translated(kIntro), "", "");
  std::optional<OptionGroup> group;
  for (const OptionSpec& option : Options()) {
    if (option.group == OptionGroup::Hidden) continue;
    if (option.group != group) {
      group = option.group;
      text += "\n" + std::string(i18n::Translated(GroupTitle(option.group))) + "\n";
    }
    text += Entry(Synopsis(option), i18n::Translated(option.details), kDescriptionColumn);
  }
  for (const std::string_view paragraph : {kDrives, kJson, kExitStatus}) {
    text += "\n" + Wrapped(i18n::Translated(paragraph), "", "");
  }
  return text;
}

}  // namespace tidewell::cli
