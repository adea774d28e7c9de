#include "cli/console_program.h"

#include <vector>

#include "cli/cli_arguments.h"
#include "cli/completion_script.h"
#include "cli/console_feedback.h"
#include "cli/drive_listing.h"
#include "cli/drive_summary.h"
#include "cli/help_text.h"
#include "engine/cleaning_run.h"
#include "i18n/translation.h"
#include "platform/interrupts.h"
#include "platform/process_facts.h"
#include "platform/text_case.h"
#include "platform/terminal.h"
#include "session/program_session.h"
#include "settings/caption_text.h"

#ifndef TIDEWELL_VERSION
#define TIDEWELL_VERSION "0"
#endif

namespace tidewell::cli {
namespace {

constexpr int kBadUsage = 2;
constexpr int kDriveNotCleaned = 1;

// Applies the command line's changes to this run's copies of the boxes.
void ApplyArguments(const CliArguments& arguments, FixedCleaningOptions& options,
                    FixedCategoryStates& categories, RunFilters& filters) {
  if (arguments.olderThanDays) filters.minimumAgeDays = arguments.olderThanDays;
  for (const std::string& pattern : arguments.keep) filters.keep.Add(pattern);
  auto set = [&](const std::optional<bool>& wanted, RunOption option) {
    if (wanted) options.Set(option, *wanted ? 1 : 0);
  };
  set(arguments.allDrives, RunOption::ScanAllDrives);
  set(arguments.testRun, RunOption::TestRun);
  set(arguments.keepReport, RunOption::KeepReport);
  if (arguments.maintainLog) categories.Set(CategoryId::MaintainLog, *arguments.maintainLog ? 1 : 0);
  for (const SelectionChange& change : arguments.selection) {
    if (change.preset) {
      categories.Apply(*change.preset);
    } else {
      categories.Set(change.id, change.on ? 1 : 0);
    }
  }
  // Maintain log is a Deepwash box; the run reads it as its seventh option.
  options.Set(RunOption::MaintainLog, categories.CheckValue(CategoryId::MaintainLog));
}

// An all-drives run cleans C to Z, as the window's does: a drive mapped to A
// or B is left out, and the user who mapped one hears why.
void TellOfSkippedFloppyLetters(const platform::DriveTable& table, std::FILE* err) {
  for (const char letter : {'A', 'B'}) {
    if (table.Find(letter) == nullptr) continue;
    std::fprintf(err,
                 "tidewell-cli: drive %c: is left out: an all-drives run cleans C to Z; "
                 "clean it with --drive %c:\n",
                 letter, letter);
  }
}

// Where a drive that the user did not name was found, for the line that
// says it is left out.
const char* FoundWhere(platform::DriveSource source) {
  switch (source) {
    case platform::DriveSource::WinePrefix:
      return "in the Wine prefix";
    case platform::DriveSource::Mount:
      return "as a mounted volume";
    case platform::DriveSource::SystemLetter:
      return "among the system's drive letters";
    case platform::DriveSource::Environment:
    case platform::DriveSource::Store:
      break;
  }
  return "on this machine";
}

// A destructive all-drives run cleans only the drives the user named: each
// drive that was only found is told as left out, with how to name it.
void TellOfUnnamedDrives(session::ProgramSession& program, std::FILE* err) {
  for (const char letter : program.UnnamedDrives()) {
    const platform::DriveMapping* mapping = program.Files().Drives().Find(letter);
    std::fprintf(err,
                 "tidewell-cli: drive %c: is left out: it was found %s, not named; a destructive run "
                 "cleans such a drive only when you name it (--drive %c:, TIDEWELL_DRIVES or [Drives])\n",
                 letter, FoundWhere(mapping->source), letter);
  }
}

void ListCategories(std::FILE* out, const FixedCategoryStates& categories) {
  for (const Category& entry : CatalogueEntries()) {
    const std::string caption = PlainCaption(entry.caption);
    std::fprintf(out, "%-4s %-15s %s%s\n", IsOn(categories, entry.id) ? "on" : "off",
                 std::string(entry.settingsName).c_str(), caption.c_str(),
                 entry.kind == EntryKind::Option ? "  (option)" : "");
  }
}

// --drives: the drive table as the session reads it, before start-up, so
// that nothing but the store's [Drives] section is read and nothing written.
int ListDrives(bool json, std::FILE* out, std::FILE* err) {
  ConsoleFeedback feedback(out, err, true, {});
  ConsoleDeepwashView deepwashView(feedback);
  session::ProgramSession program(feedback, feedback, deepwashView,
                                  {.programName = "tidewell-cli", .problems = err,
                                   .runValues = session::RunValues::CopiedAtStart});
  for (const std::string& problem : program.DriveProblems()) {
    std::fprintf(err, "%s\n", session::ProblemLine("tidewell-cli", problem).c_str());
  }
  if (program.StoreUnreadable()) {
    std::fprintf(err, "tidewell-cli: %s cannot be read: only TIDEWELL_DRIVES names drives now\n",
                 program.StorePath().c_str());
  }
  const std::vector<DriveFacts> drives = session::DescribeDrives(program);
  PrintDrives(out, drives, json);
  if (drives.empty()) {
    std::fprintf(err, "tidewell-cli: no drive is mapped: map one in TIDEWELL_DRIVES or under [Drives] in %s\n",
                 program.StorePath().c_str());
    return kDriveNotCleaned;
  }
  return 0;
}

}  // namespace

int RunConsole(std::span<const std::string_view> words, std::FILE* out, std::FILE* err) {
  // The user's language for the help, the status lines and the messages;
  // what is parsed (--json, --drives, the summary line) stays English.
  if (const std::optional<std::string> problem = i18n::UseUserLanguage(platform::ProgramFolder())) {
    std::fprintf(err, "tidewell-cli: %s\n", problem->c_str());
  }
  const ParsedArguments parsed = ParseArguments(words);
  if (!parsed.error.empty()) {
    std::fprintf(err, "tidewell-cli: %s\n", parsed.error.c_str());
    return kBadUsage;
  }
  const CliArguments& arguments = parsed.arguments;
  if (arguments.help != Help::None) {
    std::fputs((arguments.help == Help::Short ? ShortHelp() : LongHelp()).c_str(), out);
    return 0;
  }
  if (arguments.version) {
    std::fprintf(out, "tidewell-cli %s\n", TIDEWELL_VERSION);
    return 0;
  }
  if (!arguments.completionShell.empty()) {
    std::fputs(CompletionScript(arguments.completionShell).c_str(), out);
    return 0;
  }
  if (arguments.listDrives) return ListDrives(arguments.json, out, err);

  platform::InstallInterruptHandlers();
  // A reader that goes away (`tidewell-cli | head -1`) must not kill the run
  // half-way through a drive: writes to the closed pipe then fail with EPIPE
  // and are dropped, while the run, its log and its report finish.
  platform::IgnoreBrokenPipe();
  ConsoleFeedback feedback(out, err, arguments.quiet || arguments.json,
                           {.out = platform::IsTerminal(out), .err = platform::IsTerminal(err)});
  ConsoleDeepwashView deepwashView(feedback);
  const bool listing = arguments.listCategories;
  session::ProgramSession program(feedback, feedback, deepwashView,
                                  {.programName = "tidewell-cli",
                                   .problems = err,
                                   .startDrive = listing ? std::nullopt : arguments.drive,
                                   .runValues = session::RunValues::CopiedAtStart});
  feedback.Attach(program);
  if (arguments.drive) program.NameDrive(*arguments.drive);
  RunContext& context = program.Context();
  // The drive the check is for: a failed check moves the list to C, and the
  // user must hear about the drive that was asked for, not the fallback.
  const std::string checkedDrive = program.Drives().Current().substr(0, 2);
  bool allDrives = false;
  // A destructive run of the one drive the working folder chose, when that
  // drive was only found on the host: refused before it is even checked.
  bool unnamedDrive = false;

  // Ctrl+C during start-up (a wait for the store's lock, a slow drive)
  // ends it through ExitProgram like a run: status 130 and one line, no
  // summary, since no run began.
  session::StartupOutcome outcome = session::StartupOutcome::Ready;
  try {
    outcome = program.Start({
        // The drive check comes between the two loads, as at the window's
        // start; an all-drives run checks each drive itself.
        .checkStartDrive =
            [&] {
              allDrives = arguments.allDrives.value_or(program.Options().CheckValue(RunOption::ScanAllDrives) != 0);
              const bool testRun =
                  arguments.testRun.value_or(program.Options().CheckValue(RunOption::TestRun) != 0);
              const std::string& current = program.Drives().Current();
              unnamedDrive = !listing && !allDrives && !testRun && !current.empty() &&
                             !program.DriveIsNamed(current[0]);
              return !listing && !allDrives && !unnamedDrive;
            },
        .stopAtFirstProblem = !listing,
        .tellUser = !listing,
        .afterLoads =
            [&] {
              ApplyArguments(arguments, program.RunOptionsCopy(), program.RunCategoriesCopy(),
                             program.Config().filters);
            },
    });
  } catch (const ProgramEnd& end) {
    return end.exitStatus;
  }
  if (listing) {
    ListCategories(out, program.RunCategoriesCopy());
    return 0;
  }
  switch (outcome) {
    case session::StartupOutcome::Ready:
      break;
    case session::StartupOutcome::NoSuchStartDrive:
      std::fprintf(err,
                   "tidewell-cli: option --drive: bad drive letter: no drive %c: is mapped (map it in "
                   "TIDEWELL_DRIVES or under [Drives] in %s)\n",
                   *arguments.drive, program.StorePath().c_str());
      return kBadUsage;
    case session::StartupOutcome::DriveCheckFailed:
      std::fprintf(err, "tidewell-cli: drive %s cannot be cleaned; nothing was cleaned.\n", checkedDrive.c_str());
      return kDriveNotCleaned;
    case session::StartupOutcome::StoreUnreadable:
    case session::StartupOutcome::NoDrive:
      return kDriveNotCleaned;
  }
  // A stored filter that cannot be read was meant to protect something: a
  // destructive run without it could remove what the user wanted kept, so
  // the console runs no cleaning until the line is fixed or removed.
  if (!program.FilterProblems().empty()) {
    std::fprintf(err,
                 "tidewell-cli: the age limit or keep list in %s cannot be used as written (see above); fix "
                 "or remove the line; nothing was cleaned.\n",
                 program.StorePath().c_str());
    return kBadUsage;
  }
  if (unnamedDrive) {
    const char letter = ToUpperAscii(program.Drives().Current()[0]);
    std::fprintf(err,
                 "tidewell-cli: drive %c: was found %s, not named; a destructive run cleans such a drive only "
                 "when you name it: --drive %c: (or map it in TIDEWELL_DRIVES or under [Drives] in %s); nothing "
                 "was cleaned.\n",
                 letter, FoundWhere(program.Files().Drives().Find(letter)->source), letter,
                 program.StorePath().c_str());
    return kDriveNotCleaned;
  }
  if (allDrives) TellOfSkippedFloppyLetters(program.Files().Drives(), err);
  if (allDrives && !context.config.IsOn(RunOption::TestRun)) TellOfUnnamedDrives(program, err);

  try {
    feedback.ProcessPendingMessages();  // a Ctrl+C that came in since still ends start-up
  } catch (const ProgramEnd& end) {
    return end.exitStatus;
  }
  feedback.RunBegins();

  DriveSummaries summaries(program.Config());
  int status = 0;
  try {
    status = ExitStatusOf(RunCleaning(context));
  } catch (const ProgramEnd& end) {
    status = end.exitStatus;
  }
  summaries.Print(out, arguments.json, arguments.byCategory);
  if (status == 0 && summaries.Empty()) {
    // An all-drives run skips every drive that fails its check; when that
    // was every drive, the run did nothing and must not report success.
    std::fprintf(err, "tidewell-cli: no mapped drive could be cleaned; nothing was cleaned.\n");
    status = kDriveNotCleaned;
  }
  return status;
}

}  // namespace tidewell::cli
