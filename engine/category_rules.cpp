// The rule table applied to one drive. Parts, in order:
//   - spare test: the texts whose presence in a path spares a folder;
//   - FolderRows: the rows of one folder, answered from its snapshot;
//   - the folder stage, the sweep and the wallpaper step.
#include "engine/category_rules.h"

#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/deletion_primitives.h"
#include "engine/drive_checks.h"
#include "engine/folder_snapshot.h"
#include "engine/folder_walker.h"
#include "engine/rule_table.h"
#include "platform/clock.h"

namespace tidewell {
namespace {

// "Vaultkeep", and the program's folder and records folder as paths on the
// drive being cleaned ("C:\TOOLS\CLEANER", no trailing "\" unless a root),
// when they lie on it.
std::vector<std::string> SpareFragments(RunContext& context, std::string_view drive) {
  std::vector<std::string> fragments{"Vaultkeep"};
  const char letter = DriveSpec(drive, context.files.Drives()).front();
  for (const std::string* hostFolder : {&context.programFolder, &context.recordsFolder}) {
    if (hostFolder->empty()) continue;
    std::optional<std::string> folder = context.files.Drives().HostToVirtualOn(letter, *hostFolder);
    if (!folder) continue;
    if (folder->size() > 3) folder->pop_back();
    fragments.push_back(std::move(*folder));
  }
  return fragments;
}

bool ContainsAny(std::string_view path, auto&& fragments) {
  for (std::string_view fragment : fragments) {
    if (ContainsNoCase(path, fragment)) return true;
  }
  return false;
}

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
// every row's action works on it and keeps it current.
class FolderRows {
 public:
  FolderRows(RunContext& context, std::string_view drive, const FolderList& folders, std::int32_t index,
             PurgedFolders& purged)
      : context_(context),
        drive_(drive),
        purged_(purged),
        snapshot_(context, folders, index, purged.Above(folders[index])) {}

  void Run(const CategoryRule& row) {
    if (row.inert) return;
    switch (row.action) {
      case RuleAction::DeleteMatching:
        DeleteMatchingFiles(context_, snapshot_, row.target);
        break;
      case RuleAction::EmptyNamed:
        EmptyNamedFolder(context_, snapshot_, row.target, row.marker);
        break;
      case RuleAction::PurgeNamed:
        if (PurgeNamedFolder(context_, drive_, snapshot_, row.target, row.marker) &&
            !context_.IsOn(RunOption::TestRun)) {
          purged_.Add(snapshot_.Folder());
        }
        break;
    }
  }

 private:
  RunContext& context_;
  std::string_view drive_;
  PurgedFolders& purged_;
  FolderSnapshot snapshot_;
};

void ApplyRowsToFolder(RunContext& context, std::string_view drive, const FolderList& folders,
                       std::int32_t index, PurgedFolders& purged) {
  const std::string_view folder = folders[index];
  FolderRows rows(context, drive, folders, index, purged);
  for (const RuleSection& section : CategorySections()) {
    // The guard comes first: where it stops a section, its flag is not read.
    if (ContainsAny(folder, section.pathGuard)) continue;
    if (!context.IsOn(section.category)) continue;
    context.countingInto = TotalsBucket::Of(section.category);  // per-category totals
    for (const CategoryRule& row : section.rows) rows.Run(row);
    if (section.numberedInstallerFolders) {
      for (const CategoryRule& row : NumberedInstallerFolders()) rows.Run(row);
    }
  }
  context.countingInto = TotalsBucket::BaseRows();  // per-category totals
  for (const CategoryRule& row : BaseRows()) rows.Run(row);
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
      return context.windowsDir + "\\";
    case SystemFileGroup::Folder::WindowsSystemFolder:
      return context.windowsDir + "\\System\\";
  }
  return {};
}

}  // namespace

void ApplyCategoryRules(RunContext& context, std::string_view drive, const FolderList& folders,
                        std::int32_t count) {
  context.ageLimitNow = RunContext::SecondsNow();  // the age limit's "now", once per drive
  std::mt19937_64 random(platform::ClockSeed());
  const std::vector<std::string> spared = SpareFragments(context, drive);
  PurgedFolders purged;
  for (std::int32_t i = 1; i <= count; ++i) {
    const std::string_view folder = folders[i];
    YieldToMessages(context);
    if (DrawOneToSixteen(random) == 8) StepProgress(context, ProgressStep::Advance);
    if (ContainsAny(folder, spared)) continue;
    ApplyRowsToFolder(context, drive, folders, i, purged);
  }
  StepProgress(context, ProgressStep::Advance);
  SweepSystemBackups(context, drive);
  StepProgress(context, ProgressStep::Advance);
  // Only the Windows folder itself: the bitmaps of the folders below it stay.
  if (context.IsOn(CategoryId::Wallpaper) && !context.windowsDir.empty()) {
    context.countingInto = TotalsBucket::Of(CategoryId::Wallpaper);  // per-category totals
    DeleteMatchingFiles(context, drive, context.windowsDir + "\\", "*.BMP");
  }
  StepProgress(context, ProgressStep::Advance);
}

void SweepSystemBackups(RunContext& context, std::string_view drive) {
  context.countingInto = TotalsBucket::Sweep();  // per-category totals
  for (const SystemFileGroup& group : SystemFileGroups()) {
    YieldToMessages(context);
    // Without a known Windows folder its groups would land on the root.
    if (group.folder != SystemFileGroup::Folder::DriveRoot && context.windowsDir.empty()) continue;
    const std::string pattern = std::string(group.baseName) + ".*";
    const FileList files = ListFiles(context, drive, GroupFolder(context, group.folder), pattern,
                                     ListScope::OneFolder);
    for (std::int32_t i = 1; i <= files.Count(); ++i) {
      const std::string_view path = files[i];
      if (!HasProtectedExtension(path.substr(path.rfind('\\') + 1))) DeleteOneFile(context, path);
    }
  }
}

}  // namespace tidewell
