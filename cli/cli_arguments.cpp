#include "cli/cli_arguments.h"

#include <algorithm>
#include <iterator>

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
  if (EqualsNoCase(name, "all")) {
    selection.push_back({Preset::SelectAll});
  } else if (EqualsNoCase(name, "none")) {
    selection.push_back({Preset::SelectNone});
  } else if (EqualsNoCase(name, "safest")) {
    selection.push_back({Preset::Safest});
  } else {
    return "option --select: unknown selection " + Quoted(name) + ": use all, none or safest";
  }
  return {};
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

constexpr std::string_view kValueOptions[] = {"--drive",      "--select", "--enable",
                                              "--disable",    "--older-than", "--keep"};
constexpr std::string_view kSwitches[] = {"--all-drives", "--one-drive", "--test",   "--delete",
                                          "--log",        "--no-log",    "--report", "--no-report",
                                          "--list-categories", "--json", "--quiet",  "--help",
                                          "-h",           "--version",   "--by-category"};

// What to say about a word that is no option: a positional word, a known
// option in the wrong case, or an unknown one.
std::string UnknownWord(std::string_view word) {
  if (!word.starts_with('-') || word == "-") {
    return "unexpected argument " + Quoted(word) + ": tidewell-cli takes options only (see tidewell-cli --help)";
  }
  for (const std::span<const std::string_view> options :
       {std::span<const std::string_view>(kValueOptions), std::span<const std::string_view>(kSwitches)}) {
    for (const std::string_view option : options) {
      if (EqualsNoCase(option, word)) {
        return "unknown option " + Quoted(word) + ": options are lower case, did you mean " + std::string(option) + "?";
      }
    }
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
    const bool takesValue = std::ranges::find(kValueOptions, word) != std::end(kValueOptions);
    const bool isSwitch = std::ranges::find(kSwitches, word) != std::end(kSwitches);
    if (attached && isSwitch) {
      parsed.error = "option " + std::string(word) + " takes no value, but was given " + Quoted(*attached);
      break;
    }
    std::string_view value;
    if (takesValue) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < words.size() &&
                 (!words[i + 1].starts_with('-') || (word == "--older-than" && IsNegativeNumber(words[i + 1])))) {
        // No value starts with "-": a following option means the value was left out.
        value = words[++i];
      } else if (i + 1 < words.size()) {
        parsed.error = "option " + std::string(word) + " needs a value, but is followed by " + Quoted(words[i + 1]);
        break;
      } else {
        parsed.error = "option " + std::string(word) + " needs a value";
        break;
      }
    }

    if (word == "--drive") parsed.error = ParseDrive(value, a.drive);
    else if (word == "--select") parsed.error = ParsePreset(value, a.selection);
    else if (word == "--enable") parsed.error = ParseNames(value, true, a.selection);
    else if (word == "--disable") parsed.error = ParseNames(value, false, a.selection);
    else if (word == "--older-than") parsed.error = ParseOlderThan(value, a.olderThanDays);
    else if (word == "--keep") parsed.error = ParseKeep(value, a.keep);
    else if (word == "--by-category") a.byCategory = true;
    else if (word == "--all-drives") a.allDrives = true;
    else if (word == "--one-drive") a.allDrives = false;
    else if (word == "--test") a.testRun = true;
    else if (word == "--delete") a.testRun = false;
    else if (word == "--log") a.maintainLog = true;
    else if (word == "--no-log") a.maintainLog = false;
    else if (word == "--report") a.keepReport = true;
    else if (word == "--no-report") a.keepReport = false;
    else if (word == "--list-categories") a.listCategories = true;
    else if (word == "--json") a.json = true;
    else if (word == "--quiet") a.quiet = true;
    else if (word == "--help" || word == "-h") a.help = true;
    else if (word == "--version") a.version = true;
    else parsed.error = UnknownWord(word);
  }
  return parsed;
}

std::string UsageText() {
  return R"(Usage: tidewell-cli [options]

Runs one Tidewell cleaning run with your stored preferences, exactly as the
window's "Clean HD" button would, then exits. The options below change this
run only; nothing they say is stored.

Drives:
  --drive X:          clean drive X (default: the drive of the current folder,
                      else C); the drive check runs first, and nothing is
                      cleaned when the drive cannot be
  --all-drives        clean every drive from C to Z that can be written
  --one-drive         clean one drive only (the stored "scan all drives" off)

What the run does:
  --test              test run: delete nothing, log and count what would go
  --delete            destructive run: really delete (test mode off)
  --log, --no-log     keep the deletion log on or off (a test run always logs)
  --report, --no-report
                      keep the run report Tidewell.txt, or delete it
  --select all|none|safest
                      apply a preset to the categories
  --enable A,B        switch categories on (settings names, see below)
  --disable A,B       switch categories off
                      (--select, --enable and --disable apply in order)

Filters (off unless asked for; the rule table stays as it is):
  --older-than DAYS   leave alone every file changed less than DAYS whole days
                      before the drive's cleaning began (0 to 36500; replaces
                      MinimumAgeDays= under [Preferences]), e.g.
                      --older-than 7
  --keep PATTERN      never touch a file or folder whose Windows path matches
                      PATTERN, nor anything in a folder that matches; repeat
                      it for more patterns, which add to the Path= lines
                      under [Keep], e.g.
                      --keep 'C:\PROJECTS\*' --keep '*\SAVEGAME.TMP'
                      Each part between two \ matches one name (* and ?,
                      case ignored, *.* every name); a part that is * alone
                      matches any number of folders. A pattern that can never
                      match (C:\\X, C:X, a . or .. part, *.DOC: write
                      *\*.DOC) is refused. A folder mapped as two drives is
                      kept when either of its names matches.

Output:
  --list-categories   print every category and option with its state, and exit
  --json              print one JSON summary line per cleaned drive at the end,
                      with the files and bytes of each category ("categories")
  --by-category       after each drive's summary line, a table of what each
                      category chose (files, size), biggest first, e.g.
                      --test --by-category
  --quiet             print only errors and the final summary
  --help              print this text and exit
  --version           print the version and exit

Drives are mapped from the environment variable TIDEWELL_DRIVES
(e.g. TIDEWELL_DRIVES='C=/srv/win98;D=/mnt/data'), else from the [Drives]
section of the settings file (~/.config/Tidewell/Tidewell.ini), else found
on this machine (a Wine prefix's drives, mounted FAT/NTFS/exFAT volumes, never
the EFI system partition or a read-only mount). A drive only found on this
machine is cleaned by --delete only when named with --drive: without it the
run cleans nothing and says so, and --all-drives --delete leaves out (and
names) every found drive not given with --drive. Test runs take every drive.

Exit status: 0 the run finished; 1 a drive could not be cleaned (or no drive is
mapped, or a destructive run's drive was only found and not named, or the
settings file exists but cannot be read: then nothing is cleaned, even when
TIDEWELL_DRIVES names the drives); 2 bad usage (also a stored MinimumAgeDays=
or [Keep] line that cannot be used: nothing is cleaned until it is fixed); 3
the deletion log or run report could not be written; 130 interrupted (Ctrl+C).
A closed output (`| head -1`) never stops a run: what cannot be printed any
more is dropped, the run and its records finish, and the status is the run's.
)";
}

}  // namespace tidewell::cli
