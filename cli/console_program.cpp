#include "cli/console_program.h"

#include <vector>

#include "cli/cli_arguments.h"
#include "cli/console_feedback.h"
#include "cli/drive_summary.h"
#include "cli/shown_text.h"
#include "engine/cleaning_run.h"
#include "engine/drive_checks.h"
#include "platform/drive_discovery.h"
#include "platform/interrupts.h"
#include "platform/preferences_store.h"
#include "platform/process_facts.h"
#include "platform/terminal.h"
#include "settings/main_options.h"
#include "settings/warn_once_store.h"

#ifndef TIDEWELL_VERSION
#define TIDEWELL_VERSION "0"
#endif

namespace tidewell::cli {
namespace {

constexpr int kBadUsage = 2;
constexpr int kDriveNotCleaned = 1;

// Copies the window's boxes into the values this run reads, and applies the
// command line's changes to the copies.
void PrepareRunValues(const CliArguments& arguments, const MainWindowOptions& main,
                      const DeepwashSelection& deepwash, FixedCleaningOptions& options,
                      FixedCategoryStates& categories) {
  for (int index = 1; index <= 7; ++index) {
    const auto option = static_cast<RunOption>(index);
    options.Set(option, main.CheckValue(option));
  }
  for (const Category& entry : CatalogueEntries()) categories.Set(entry.id, deepwash.CheckValue(entry.id));

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

void ListCategories(std::FILE* out, const FixedCategoryStates& categories) {
  for (const Category& entry : CatalogueEntries()) {
    std::string caption;
    for (std::size_t i = 0; i < entry.caption.size(); ++i) {
      if (entry.caption[i] == '&' && i + 1 < entry.caption.size()) ++i;  // "&&" shows one "&"
      caption.push_back(entry.caption[i]);
    }
    std::fprintf(out, "%-4s %-15s %s%s\n", IsOn(categories, entry.id) ? "on" : "off",
                 std::string(entry.settingsName).c_str(), caption.c_str(),
                 entry.kind == EntryKind::Option ? "  (option)" : "");
  }
}

}  // namespace

int RunConsole(std::span<const std::string_view> words, std::FILE* out, std::FILE* err) {
  const ParsedArguments parsed = ParseArguments(words);
  if (!parsed.error.empty()) {
    std::fprintf(err, "tidewell-cli: %s\n", parsed.error.c_str());
    return kBadUsage;
  }
  const CliArguments& arguments = parsed.arguments;
  if (arguments.help) {
    std::fputs(UsageText().c_str(), out);
    return 0;
  }
  if (arguments.version) {
    std::fprintf(out, "tidewell-cli %s\n", TIDEWELL_VERSION);
    return 0;
  }

  platform::InstallInterruptHandlers();
  // A reader that goes away (`tidewell-cli | head -1`) must not kill the run
  // half-way through a drive: writes to the closed pipe then fail with EPIPE
  // and are dropped, while the run, its log and its report finish.
  platform::IgnoreBrokenPipe();
  ConsoleFeedback feedback(out, err, arguments.quiet || arguments.json, platform::IsTerminal(err));
  platform::PreferencesFile storeFile(platform::PreferencesFile::DefaultPath());
  WarnOnceStore store(storeFile, feedback, storeFile.Path());

  // A store that exists but cannot be read may name the drives: discovery
  // must not choose others in their place. Only TIDEWELL_DRIVES still counts.
  std::vector<std::pair<std::string, std::string>> storedDrives;
  const std::error_code storeProblem = storeFile.ReadSectionChecked("Drives", storedDrives);
  std::vector<std::string> problems;
  platform::DriveTable table = storeProblem ? platform::DriveTable::FromSources({}, {}, &problems)
                                            : platform::LoadDriveTable(storedDrives, &problems);
  for (const std::string& problem : problems) {
    std::fprintf(err, "tidewell-cli: %s\n", ShownOnOneLine(problem, 512).c_str());
  }
  if (storeProblem && table.Empty() && !arguments.listCategories) {
    feedback.ShowMessage(UnreadableStoreMessage(storeFile.Path(), platform::DescribeReadProblem(storeProblem)));
    return kDriveNotCleaned;
  }
  if (arguments.drive && table.Find(*arguments.drive) == nullptr && !arguments.listCategories) {
    std::fprintf(err,
                 "tidewell-cli: option --drive: bad drive letter: no drive %c: is mapped (map it in "
                 "TIDEWELL_DRIVES or under [Drives] in %s)\n",
                 *arguments.drive, storeFile.Path().c_str());
    return kBadUsage;
  }

  // The window's boxes, loaded as its start-up loads them.
  bool suppressEvents = false;
  ConsoleDeepwashView deepwashView(feedback);
  DeepwashSelection deepwash(store, deepwashView, suppressEvents);
  MainWindowOptions mainOptions(store, feedback, suppressEvents, deepwash);
  mainOptions.Load();
  const char startLetter = arguments.drive ? *arguments.drive : platform::CurrentVirtualFolder(table)[0];
  platform::VirtualFileSystem files(std::move(table));
  // A drive whose root is not the folder checked when the drives were read
  // (or is one of the host's own folders) behaves as a drive without a disk;
  // this says why.
  files.OnDriveRefused([err](const std::string& why) {
    std::fprintf(err, "tidewell-cli: %s\n", ShownOnOneLine(why, 512).c_str());
  });

  FixedCleaningOptions runOptions;
  FixedCategoryStates runCategories;
  RunContext context(files, runOptions, runCategories, feedback, suppressEvents);
  context.store = &store;
  context.programFolder = platform::ProgramFolder();
  context.recordsFolder = platform::RecordsFolder(context.programFolder);
  context.WindowsDir = platform::FindWindowsDir(files);
  DriveList drives(files.Drives(), startLetter);
  feedback.Attach(context, drives);
  // The drive the check is for: a failed check moves the list to C, and the
  // user must hear about the drive that was asked for, not the fallback.
  const std::string checkedDrive = drives.Current().substr(0, 2);

  // The drive check comes between the two loads, as at the window's start.
  const bool allDrives = arguments.allDrives.value_or(mainOptions.CheckValue(RunOption::ScanAllDrives) != 0);
  const bool checkDrive = !arguments.listCategories && !allDrives && !drives.Current().empty();
  if (allDrives && !arguments.listCategories) TellOfSkippedFloppyLetters(files.Drives(), err);
  if (checkDrive) CheckSelectedDrive(context);
  deepwash.Create();
  PrepareRunValues(arguments, mainOptions, deepwash, runOptions, runCategories);

  if (arguments.listCategories) {
    ListCategories(out, runCategories);
    return 0;
  }
  if (files.Drives().Empty()) {
    feedback.ShowMessage(NoDriveMessage(storeFile.Path()));
    return kDriveNotCleaned;
  }
  if (checkDrive && feedback.DriveErrors() > 0) {
    std::fprintf(err, "tidewell-cli: drive %s cannot be cleaned; nothing was cleaned.\n", checkedDrive.c_str());
    return kDriveNotCleaned;
  }
  if (context.IsOn(RunOption::TestRun)) feedback.ShowMessage(TestModeNotice());

  DriveSummaries summaries(context);
  int status = 0;
  try {
    status = ExitStatusOf(RunCleaning(context));
  } catch (const ProgramEnd& end) {
    status = end.exitStatus;
  }
  summaries.Print(out, arguments.json);
  if (status == 0 && summaries.Empty()) {
    // An all-drives run skips every drive that fails its check; when that
    // was every drive, the run did nothing and must not report success.
    std::fprintf(err, "tidewell-cli: no mapped drive could be cleaned; nothing was cleaned.\n");
    status = kDriveNotCleaned;
  }
  return status;
}

}  // namespace tidewell::cli
