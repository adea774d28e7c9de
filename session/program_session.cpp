#include "session/program_session.h"

#include <utility>
#include <vector>

#include "platform/drive_discovery.h"
#include "platform/process_facts.h"
#include "platform/text_case.h"
#include "session/shown_text.h"
#include "settings/run_options.h"

namespace tidewell::session {
namespace {

// Problem lines are cut well past any real path, so a huge value still
// gives a line one can read.
constexpr std::size_t kProblemLineLimit = 512;

// The drive table a session starts with. An unreadable store may name the
// drives: then only TIDEWELL_DRIVES counts, never discovery.
platform::DriveTable LoadDrives(const platform::PreferencesFile& storeFile, std::error_code& storeProblem,
                                std::vector<std::string>& problems) {
  std::vector<std::pair<std::string, std::string>> storedDrives;
  storeProblem = storeFile.ReadSectionChecked("Drives", storedDrives);
  return storeProblem ? platform::DriveTable::FromSources({}, std::vector<platform::DriveMapping>{}, &problems)
                      : platform::LoadDriveTable(storedDrives, &problems);
}

}  // namespace

std::string ProblemLine(std::string_view programName, std::string_view problem) {
  return std::string(programName) + ": " + ShownOnOneLine(problem, kProblemLineLimit);
}

ProgramSession::ProgramSession(RunFeedback& feedback, MessageBoxes& boxes, DeepwashView& deepwashView,
                               SessionSetup setup)
    : setup_(std::move(setup)),
      boxes_(boxes),
      storeFile_(setup_.storePath.empty() ? platform::PreferencesFile::DefaultPath() : setup_.storePath),
      store_(storeFile_, boxes_, storeFile_.Path()),
      files_(LoadDrives(storeFile_, storeProblem_, driveProblems_)),
      selection_(store_, deepwashView, suppressEvents_),
      options_(store_, boxes_, suppressEvents_, selection_),
      config_({.files = files_,
                .options = setup_.runValues == RunValues::LiveBoxes ? static_cast<const CleaningOptions&>(options_)
                                                                    : optionsCopy_,
                .categories = setup_.runValues == RunValues::LiveBoxes
                                  ? static_cast<const CategoryStates&>(selection_)
                                  : categoriesCopy_,
                .feedback = feedback,
                .suppressEvents = suppressEvents_}),
      context_(config_),
      drives_(files_.Drives(), setup_.startDrive ? *setup_.startDrive
                                                 : platform::CurrentVirtualFolder(files_.Drives())[0]) {
  config_.store = &store_;
  config_.commandLine = setup_.commandLine;
  config_.programFolder = setup_.programFolder.empty() ? platform::ProgramFolder() : setup_.programFolder;
  config_.recordsFolder =
      setup_.recordsFolder.empty() ? platform::RecordsFolder(config_.programFolder) : setup_.recordsFolder;
  if (setup_.clock != nullptr) config_.clock = setup_.clock;
  if (setup_.locale != nullptr) config_.locale = setup_.locale;
  files_.OnDriveRefused([this](const std::string& why) { TellProblem(why); });
  config_.driveNamed = [this](char letter) { return DriveIsNamed(letter); };
}

void ProgramSession::NameDrive(char letter) {
  const char upper = ToUpperAscii(letter);
  if (namedLetters_.find(upper) == std::string::npos) namedLetters_.push_back(upper);
}

bool ProgramSession::DriveIsNamed(char letter) const {
  const platform::DriveMapping* mapping = files_.Drives().Find(letter);
  if (mapping == nullptr) return false;
  return platform::NamedByUser(mapping->source) || namedLetters_.find(mapping->letter) != std::string::npos;
}

std::vector<char> ProgramSession::UnnamedDrives() const {
  std::vector<char> unnamed;
  for (const platform::DriveMapping& mapping : files_.Drives().Drives()) {
    if (mapping.letter >= 'C' && !DriveIsNamed(mapping.letter)) unnamed.push_back(mapping.letter);
  }
  return unnamed;
}

void ProgramSession::TellProblem(const std::string& problem) const {
  if (setup_.problems == nullptr) return;
  std::fprintf(setup_.problems, "%s\n", ProblemLine(setup_.programName, problem).c_str());
  std::fflush(setup_.problems);
}

StartupOutcome ProgramSession::Start(const StartupHooks& hooks) {
  platform::RaiseOpenFileLimit();  // main did it first; here for a session started otherwise
  for (const std::string& problem : driveProblems_) TellProblem(problem);

  StartupOutcome outcome = StartupOutcome::Ready;
  // Keeps the first problem; true when start-up ends with it.
  auto found = [&](StartupOutcome problem) {
    if (outcome == StartupOutcome::Ready) outcome = problem;
    return hooks.stopAtFirstProblem;
  };

  // The store holds the keep list, the age limit and the categories as well
  // as the drives: a run without them could remove what the user protects,
  // so an unreadable store stops every run, whatever names the drives.
  const bool storeUnreadable = StoreUnreadable();
  if (storeUnreadable) {
    // Said before anything else, so a later "can't save" reads in its light.
    if (hooks.tellUser) {
      boxes_.ShowMessage(UnreadableStoreMessage(StorePath(), platform::DescribeReadProblem(storeProblem_)));
    }
    if (found(StartupOutcome::StoreUnreadable)) return outcome;
  }
  if (setup_.startDrive && files_.Drives().Find(*setup_.startDrive) == nullptr) {
    return StartupOutcome::NoSuchStartDrive;
  }

  config_.windowsDir = platform::FindWindowsDir(files_);
  options_.Load();
  LoadFilters();
  DriveCheckResult check = DriveCheckResult::Skipped;
  const bool checkWanted = !hooks.checkStartDrive || hooks.checkStartDrive();
  if (checkWanted && !drives_.Current().empty()) check = CheckSelectedDrive(context_);
  if (hooks.enterDriveC) {
    if (const platform::DriveMapping* c = files_.Drives().Find('C')) {
      // A drive without its folder: the working folder stays where it was.
      static_cast<void>(platform::ChangeWorkingFolder(c->hostRoot));
    }
  }
  selection_.Create();
  if (setup_.runValues == RunValues::CopiedAtStart) CopyBoxes();
  if (hooks.afterLoads) hooks.afterLoads();

  if (!HasDrives()) {
    if (hooks.tellUser && !storeUnreadable) boxes_.ShowMessage(NoDriveMessage(StorePath()));
    if (found(StartupOutcome::NoDrive)) return outcome;
  }
  if (check == DriveCheckResult::Failed && found(StartupOutcome::DriveCheckFailed)) return outcome;
  if (hooks.tellUser && config_.IsOn(RunOption::TestRun)) boxes_.ShowMessage(TestModeNotice());
  return outcome;
}

void ProgramSession::LoadFilters() {
  filterProblems_.clear();
  config_.filters = LoadRunFilters(store_, filterProblems_);
  // A folder that two drives name is kept under either name.
  config_.filters.keep.SeeThroughDrives(files_.Drives());
  for (const std::string& problem : filterProblems_) TellProblem(StorePath() + ": " + problem);
}

void ProgramSession::CopyBoxes() {
  for (const RunOption option : kAllRunOptions) optionsCopy_.Set(option, options_.CheckValue(option));
  for (const Category& entry : CatalogueEntries()) categoriesCopy_.Set(entry.id, selection_.CheckValue(entry.id));
}

void ProgramSession::ReloadDrives() {
  driveProblems_.clear();
  std::error_code storeProblem;
  files_.ReplaceDrives(LoadDrives(storeFile_, storeProblem, driveProblems_));
  storeProblem_ = storeProblem;
  for (const std::string& problem : driveProblems_) TellProblem(problem);
  const std::string before = drives_.Current();
  drives_ = DriveList(files_.Drives(), before.empty() ? 'C' : before[0]);
  config_.windowsDir = platform::FindWindowsDir(files_);
  config_.filters.keep.SeeThroughDrives(files_.Drives());
  if (drives_.Current() != before) {
    if (onDriveSelected) onDriveSelected();
    if (!drives_.Current().empty()) CheckSelectedDrive(context_);
  }
}

bool ProgramSession::SelectDrive(char letter) {
  const DriveSelection result = drives_.Select(letter);
  if (result == DriveSelection::NoSuchDrive) return false;
  if (result == DriveSelection::Changed) {
    if (onDriveSelected) onDriveSelected();
    CheckSelectedDrive(context_);
  }
  return true;
}

}  // namespace tidewell::session
