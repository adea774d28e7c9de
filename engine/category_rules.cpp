// The rule table applied to one drive. Parts, in order:
//   - spare test and guards: the texts whose presence in a path spares a
//     folder or stops a section, searched once per folder;
//   - FolderRows: the rows of one folder, answered from its snapshot through
//     the rule index;
//   - the folder stage, the sweep and the wallpaper step.
#include "engine/category_rules.h"

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/deletion_primitives.h"
#include "engine/drive_checks.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/path_fragments.h"
#include "engine/rule_index.h"
#include "engine/rule_table.h"
#include "engine/spared_folders.h"
#include "platform/clock.h"
#include "platform/text_case.h"
#include "platform/wildcard.h"

namespace tidewell {
namespace {

// The path texts that decide which rows a folder gets: the spare fragments
// (bits 0 to spareCount - 1) and the fragments of the sections' path guards,
// each searched once per folder whichever sections share it.
class FolderGuards {
 public:
  explicit FolderGuards(const std::vector<std::string>& spared)
      : fragments_(AllFragments(spared, sectionBits_)), spared_((std::uint64_t{1} << spared.size()) - 1) {}

  // Reads one folder's path; the questions below are about it.
  void Read(std::string_view folder) { found_ = fragments_.Found(folder); }
  bool Spared() const { return (found_ & spared_) != 0; }
  bool Stops(std::size_t section) const { return (found_ & sectionBits_[section]) != 0; }

 private:
  static std::vector<std::string> AllFragments(const std::vector<std::string>& spared,
                                               std::vector<std::uint64_t>& sectionBits) {
    std::vector<std::string> fragments = spared;
    for (const RuleSection& section : CategorySections()) {
      std::uint64_t bits = 0;
      for (std::string_view guard : section.pathGuard) {
        auto at = std::find(fragments.begin() + static_cast<std::ptrdiff_t>(spared.size()), fragments.end(), guard);
        if (at == fragments.end()) at = fragments.insert(fragments.end(), std::string(guard));
        bits |= std::uint64_t{1} << (at - fragments.begin());
      }
      sectionBits.push_back(bits);
    }
    return fragments;
  }

  std::vector<std::uint64_t> sectionBits_;  // declared first: AllFragments fills it
  PathFragments fragments_;
  std::uint64_t spared_;
  std::uint64_t found_ = 0;
};

// The folders whose contents a destructive purge removed during this drive's
// folder stage. The files the walk recorded for a folder below one of them
// may be gone, so such a folder is read afresh.
class PurgedFolders {
 public:
  void Add(std::string_view folder) { folders_.emplace(folder); }
  // True when a folder strictly above `folder` (a prefix ending in "\") was purged.
  bool Above(std::string_view folder) const {
    if (folders_.empty()) return false;
    for (std::size_t at = folder.find('\\'); at != std::string_view::npos && at + 1 < folder.size();
         at = folder.find('\\', at + 1)) {
      if (folders_.count(std::string(folder.substr(0, at + 1))) != 0) return true;
    }
    return false;
  }

 private:
  std::set<std::string> folders_;
};

// The rows of one folder. The folder is read once, into the snapshot, and
// every row's action works on it and keeps it current. Only the rows the
// index finds a candidate for run; every other delete row of a range still
// yields once, as a delete row that finds nothing does, and every other
// named row does nothing, as one whose folder test fails.
class FolderRows {
 public:
  FolderRows(RunContext& context, std::string_view drive, const FolderList& folders, std::int32_t index,
             PurgedFolders& purged, FolderCandidates& candidates)
      : context_(context),
        drive_(drive),
        purged_(purged),
        index_(RuleIndex::OfTheTable()),
        snapshot_(context, folders, index, purged.Above(folders[index])),
        candidates_(candidates) {
    index_.FindCandidates(snapshot_, candidates_);
  }

  void RunSection(std::size_t section) { RunRange(index_.SectionRows(section)); }
  void RunBaseRows() { RunRange(index_.BaseRows()); }

 private:
  void RunRange(RowRange range) {
    for (RowNumber at = range.begin;;) {
      const RowNumber next = candidates_.NextRow(at, range.end);
      YieldToMessages(context_, index_.DeleteRowsBetween(at, next));
      if (next == range.end) return;
      Run(next);
      at = next + 1;
    }
  }

  void Run(RowNumber number) {
    const CategoryRule& row = index_.Row(number);
    switch (row.action) {
      case RuleAction::DeleteMatching:
        DeleteFilesAt(context_, snapshot_, candidates_.FilesOf(number));
        break;
      case RuleAction::EmptyNamed:
        EmptyNamedFolder(context_, snapshot_, row.target, row.marker);
        break;
      case RuleAction::PurgeNamed:
        if (PurgeNamedFolder(context_, drive_, snapshot_, row.target, row.marker) &&
            !context_.config.IsOn(RunOption::TestRun)) {
          purged_.Add(snapshot_.Folder());
        }
        break;
    }
  }

  RunContext& context_;
  std::string_view drive_;
  PurgedFolders& purged_;
  const RuleIndex& index_;
  FolderSnapshot snapshot_;
  FolderCandidates& candidates_;
};

// The sections in table order, each past its path guard and with its
// category on, then the base rows.
void ApplyRowsToFolder(RunContext& context, std::string_view drive, const FolderList& folders,
                       std::int32_t index, const FolderGuards& guards, PurgedFolders& purged,
                       FolderCandidates& candidates) {
  FolderRows rows(context, drive, folders, index, purged, candidates);
  const std::span<const RuleSection> sections = CategorySections();
  for (std::size_t section = 0; section < sections.size(); ++section) {
    // The guard comes first: where it stops a section, its flag is not read.
    if (guards.Stops(section)) continue;
    if (!context.config.IsOn(sections[section].category)) continue;
    const CountingInto bucket(context, TotalsBucket::Of(sections[section].category));
    rows.RunSection(section);
  }
  const CountingInto bucket(context, TotalsBucket::BaseRows());
  rows.RunBaseRows();
}

// A whole number from 1 to 16, each equally likely.
int DrawOneToSixteen(std::mt19937_64& random) {
  const double unit = std::generate_canonical<double, 53>(random);  // [0, 1)
  return static_cast<int>(16.0 * unit) + 1;
}

std::string GroupFolder(const RunContext& context, SystemFileGroup::Folder folder) {
  switch (folder) {
    case SystemFileGroup::Folder::DriveRoot:
      return "\\";
    case SystemFileGroup::Folder::WindowsFolder:
      return context.config.windowsDir + "\\";
    case SystemFileGroup::Folder::WindowsSystemFolder:
      return context.config.windowsDir + "\\System\\";
  }
  return {};
}

// The folders the sweep and the wallpaper step read after the folder stage,
// as their listings name them.
class SweptFolders {
 public:
  SweptFolders(RunContext& context, std::string_view drive) {
    const platform::DriveTable& drives = context.config.files.Drives();
    for (const auto where : {SystemFileGroup::Folder::DriveRoot, SystemFileGroup::Folder::WindowsFolder,
                             SystemFileGroup::Folder::WindowsSystemFolder}) {
      folders_.push_back(DriveSpec(drive, drives) + FolderSpec(GroupFolder(context, where), drives));
    }
  }
  // Case ignored: a listing may spell a folder as the disk does.
  bool Holds(std::string_view folder) const {
    return std::any_of(folders_.begin(), folders_.end(),
                       [&](const std::string& swept) { return EqualsNoCase(swept, folder); });
  }

 private:
  std::vector<std::string> folders_;
};

}  // namespace

void ApplyCategoryRules(RunContext& context, std::string_view drive, const FolderList& folders,
                        std::int32_t count) {
  context.state.ageLimitNow = context.config.clock->Seconds();  // the age limit's "now", once per drive
  context.state.chosen.Clear();  // a test run's choices are the drive's own
  std::mt19937_64 random(platform::ClockSeed());
  FolderGuards guards(SpareFragments(context, drive));
  PurgedFolders purged;
  FolderCandidates candidates;
  const SweptFolders swept(context, drive);
  for (std::int32_t i = 1; i <= count; ++i) {
    YieldToMessages(context);
    context.config.feedback.ShowDriveProgress({DriveProgress::Phase::Cleaning, i - 1, count});
    if (DrawOneToSixteen(random) == 8) StepProgress(context, ProgressStep::Advance);
    guards.Read(folders[i]);
    if (!guards.Spared()) ApplyRowsToFolder(context, drive, folders, i, guards, purged, candidates);
    // Nothing reads the folder again in this drive's run (its parents came
    // before it), but the sweep and the wallpaper step read theirs.
    if (!context.state.chosen.Empty() && !swept.Holds(folders[i])) context.state.chosen.Forget(folders[i]);
  }
  context.config.feedback.ShowDriveProgress({DriveProgress::Phase::Cleaning, count, count});
  StepProgress(context, ProgressStep::Advance);
  SweepSystemBackups(context, drive);
  StepProgress(context, ProgressStep::Advance);
  // Only the Windows folder itself: the bitmaps of the folders below it stay.
  if (context.config.IsOn(CategoryId::Wallpaper) && !context.config.windowsDir.empty()) {
    const CountingInto bucket(context, TotalsBucket::Of(CategoryId::Wallpaper));
    DeleteMatchingFiles(context, drive, context.config.windowsDir + "\\", "*.BMP");
  }
  context.state.chosen.Clear();
  StepProgress(context, ProgressStep::Advance);
}

void SweepSystemBackups(RunContext& context, std::string_view drive) {
  const CountingInto bucket(context, TotalsBucket::Sweep());
  // The groups of one folder follow each other and their base names differ,
  // so no group's files match another's: each folder is listed once, for
  // its first group, and each group takes the files its pattern matches,
  // in the same order as a listing of its own would give them.
  std::optional<std::string> listedFolder;
  std::optional<FileList> listed;
  for (const SystemFileGroup& group : SystemFileGroups()) {
    YieldToMessages(context);
    // Without a known Windows folder its groups would land on the root.
    if (group.folder != SystemFileGroup::Folder::DriveRoot && context.config.windowsDir.empty()) continue;
    std::string folder = GroupFolder(context, group.folder);
    if (folder != listedFolder) {
      listed.reset();  // one listing held at a time
      listed.emplace(ListFiles(context, drive, folder, "*.*", ListScope::OneFolder));
      listedFolder = std::move(folder);
    }
    const std::string pattern = std::string(group.baseName) + ".*";
    for (std::int32_t i = 1; i <= listed->Count(); ++i) {
      const std::string_view path = (*listed)[i];
      const std::string_view name = path.substr(path.rfind('\\') + 1);
      if (platform::MatchesWildcard(name, pattern) && !HasProtectedExtension(name)) DeleteOneFile(context, path);
    }
  }
}

}  // namespace tidewell
