#include "engine/deletion_primitives.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/drive_checks.h"
#include "engine/folder_walker.h"
#include "engine/log_section.h"
#include "engine/spared_folders.h"
#include "platform/text_case.h"
#include "platform/wildcard.h"

namespace tidewell {
namespace {

// The number at the start of an attribute text, read the way a leading-number
// parse reads it: blanks skipped, an optional sign, digits; 0 when there is
// none. False when the number does not fit 16 bits.
bool LeadingNumber(std::string_view text, long& value) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  long number = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    number = number * 10 + (text[at] - '0');
    if (number > 32768) return false;
  }
  value = negative ? -number : number;
  return value >= -32768 && value <= 32767;
}

// The folders of a purge that keep something the run's filters spared (a
// file on the keep list or newer than the age limit, a kept folder): each
// such folder and every folder above it, down to the purged folder.
class HeldFolders {
 public:
  explicit HeldFolders(std::size_t purgedLength) : purgedLength_(purgedLength) {}
  // `path`: a spared file, or a kept folder with its trailing "\".
  void Add(std::string_view path) {
    for (std::size_t at = path.find('\\', purgedLength_); at != std::string_view::npos;
         at = path.find('\\', at + 1)) {
      folders_.emplace(path.substr(0, at + 1));
    }
  }
  bool Holds(std::string_view folder) const { return folders_.count(std::string(folder)) != 0; }

 private:
  std::size_t purgedLength_;
  std::set<std::string> folders_;
};

// The folders a purge leaves out: those the folder stage spares. Each one it
// meets holds the folders above it, as a kept folder does. The spare test is
// made when the purge first meets a subfolder.
class SparedInPurge final : public SkippedFolders {
 public:
  SparedInPurge(RunContext& context, std::string_view drive, HeldFolders& held)
      : context_(context), drive_(drive), held_(held) {}
  bool Skips(std::string_view folder) override {
    if (!spared_) spared_.emplace(context_, drive_);
    if (!spared_->Spares(folder)) return false;
    held_.Add(folder);
    return true;
  }

 private:
  RunContext& context_;
  std::string_view drive_;
  HeldFolders& held_;
  std::optional<SparedFolders> spared_;
};

// The purge of a folder that passed its test: every file in and below it
// through DeleteOneFile, then every folder below it removed, longest path
// first. A file of the folder itself that the purge removed, or found gone,
// is marked gone in the snapshot.
void PurgeFolderContents(RunContext& context, std::string_view drive, FolderSnapshot& snapshot) {
  const std::string_view folder = snapshot.Folder();
  HeldFolders held(folder.size());
  SparedInPurge spared(context, drive, held);
  const FileList files = ListFiles(context, drive, folder, "*.*", ListScope::WholeSubtree, &spared);
  for (std::int32_t i = 1; i <= files.Count(); ++i) {
    const std::string_view path = files[i];
    const DeleteResult result = DeleteOneFile(context, path);
    if (result == DeleteResult::Spared) held.Add(path);
    if (!IsGone(result) || path.size() <= folder.size()) continue;
    const std::string_view name = path.substr(folder.size());
    if (name.find('\\') != std::string_view::npos) continue;  // below this folder
    const std::size_t index = snapshot.Find(name);
    if (index != FolderSnapshot::npos) snapshot.MarkGone(index);
  }

  // Longest path first (a stable sort keeps the walk's order among equals):
  // every folder comes before its parent, and the named folder itself, the
  // shortest, comes last and stays.
  const NoNames folderOnly;
  const FolderList folderList = ListFolders(context, drive, folder, &folderOnly, nullptr, nullptr, &spared);
  std::vector<std::string_view> folders;
  folders.reserve(static_cast<std::size_t>(folderList.Count()));
  for (std::int32_t i = 1; i <= folderList.Count(); ++i) {
    folders.push_back(folderList[i]);
    if (context.config.filters.keep.Keeps(folderList[i])) held.Add(folderList[i]);
  }
  std::stable_sort(folders.begin(), folders.end(),
                   [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
  for (std::size_t i = 0; i + 1 < folders.size(); ++i) {
    StopIfRequested(context);
    // What the run's filters spared stays, with every folder above it.
    if (held.Holds(folders[i])) continue;
    // The line comes first and stays whatever the removal does: a folder
    // that still holds something is simply not removed.
    if (context.config.Logging()) WriteLogItem(context, LogItem::RemoveFolder, folders[i]);
    if (context.config.IsOn(RunOption::TestRun)) {
      context.state.chosen.AddRemovedFolder(folders[i]);
      continue;
    }
    // A folder that some process works in is in use, and Windows refuses to
    // remove it: it stays, as any folder whose removal failed.
    platform::EntryFacts facts;
    if (!context.config.files.Stat(folders[i], facts, platform::VirtualFileSystem::AttributeQuery::FolderOnly) &&
        context.state.heldOpen.Contains(facts.device, facts.inode)) continue;
    context.config.files.RemoveFolder(folders[i]);
  }
}

}  // namespace

DeleteResult DeleteOneFile(RunContext& context, std::string_view path, const WalkFacts* walkFacts) {
  StopIfRequested(context);
  // What a test run chose before, a destructive run would have deleted.
  if (context.state.chosen.FileGone(path)) return DeleteResult::NotFound;
  // The keep list needs no file-system call, so it comes first.
  if (context.config.filters.keep.Keeps(path)) return DeleteResult::Spared;
  // One query answers "does it exist", "how long is it" and "how old is it";
  // a test run takes the walk's answer where it has one.
  platform::EntryFacts facts;
  const bool fromWalk = walkFacts != nullptr && (walkFacts->modified || !context.config.filters.minimumAgeDays) &&
                        context.config.IsOn(RunOption::TestRun);
  if (fromWalk) {
    facts.length = walkFacts->length;
    facts.modified = walkFacts->modified.value_or(0);
  } else if (context.config.files.Stat(path, facts, platform::VirtualFileSystem::AttributeQuery::FolderOnly)) {
    return DeleteResult::NotFound;
  }
  const RunFilters& filters = context.config.filters;
  if (filters.minimumAgeDays &&
      !filters.OldEnough(facts.modified, context.state.ageLimitNow.value_or(context.config.clock->Seconds()))) {
    return DeleteResult::Spared;
  }
  bool deleted = false;
  // The real length, also beyond 2 GiB: a 32-bit count would wrap and
  // subtract from the totals. A folder in the file's place (it took the place
  // since the listing) has no file length; it is counted, and its removal
  // fails below.
  const std::int64_t length = (facts.attributes & platform::kFolder) ? 0 : facts.length;
  if (!(facts.attributes & platform::kFolder)) context.state.totals.AddBytes(length);
  context.state.totals.AddFile();
  context.state.totals.byCategory.Add(context.state.counting.Current(), 1, length);

  // A file in use stays untouched: counted and unlogged like any failed
  // deletion.
  // Nothing is ever deleted on the walk's word.
  if (!fromWalk && !context.config.IsOn(RunOption::TestRun) &&
      !context.state.heldOpen.Contains(facts.device, facts.inode)) {
    // On POSIX a file's folder decides whether it can go, never its own
    // attributes, so the removal comes first and a file that goes costs no
    // second look. One that stays is made normal (which may fail too: a file
    // of another owner, one with other links) and tried once more, for a
    // volume that does refuse to remove a read-only file; whatever is gone
    // is logged.
    deleted = !context.config.files.RemoveFile(path);
    if (!deleted) {
      ChangeFileAttributes(context, path, "", AttributeChange::Replace, WhenMissing::Attempt);
      deleted = !context.config.files.RemoveFile(path);
    }
  }
  if (context.config.IsOn(RunOption::TestRun) || (context.config.IsOn(RunOption::MaintainLog) && deleted)) {
    WriteLogItem(context, LogItem::DeleteFile, path);
  }
  if (context.config.IsOn(RunOption::TestRun)) {
    context.state.chosen.AddFile(path);  // gone for the rest of the drive's run
    return DeleteResult::Chosen;
  }
  return deleted ? DeleteResult::Deleted : DeleteResult::Kept;
}

void DeleteMatchingFiles(RunContext& context, FolderSnapshot& folder, std::string_view pattern) {
  const platform::WildcardPattern compiled(pattern.empty() ? "*.*" : pattern);
  std::vector<std::size_t> named;
  for (std::size_t index = 0; index < folder.Count(); ++index) {
    if (compiled.Matches(folder.Name(index))) named.push_back(index);
  }
  DeleteFilesAt(context, folder, named);
}

void DeleteFilesAt(RunContext& context, FolderSnapshot& folder, std::span<const std::size_t> candidates) {
  // The present files are collected first, one listing step at a time with
  // a yield before each (the last step finding no more), then each is
  // deleted after a yield of its own, as over a fresh listing.
  std::vector<std::size_t> matches;
  for (std::size_t index : candidates) {
    if (!folder.Present(index)) continue;
    YieldToMessages(context);
    matches.push_back(index);
  }
  YieldToMessages(context);
  std::string path;
  for (std::size_t index : matches) {
    YieldToMessages(context);
    path.assign(folder.Folder()).append(folder.Name(index));
    if (IsGone(DeleteOneFile(context, path, folder.Facts(index)))) folder.MarkGone(index);
  }
}

void DeleteMatchingFiles(RunContext& context, std::string_view drive, std::string_view folder,
                         std::string_view pattern) {
  const platform::DriveTable& drives = context.config.files.Drives();
  FolderSnapshot snapshot(context, DriveSpec(drive, drives) + FolderSpec(folder, drives));
  DeleteMatchingFiles(context, snapshot, pattern);
}

bool FolderNameMatches(std::string_view folder, std::string_view name) {
  // Compared in place: the rule table asks this some 350 times per folder.
  if (folder.size() < name.size() + 2) return false;
  const std::size_t start = folder.size() - 1 - name.size();
  return folder.back() == '\\' && folder[start - 1] == '\\' &&
         EqualsNoCase(folder.substr(start, name.size()), name);
}

bool NamedFolderMatches(const FolderSnapshot& folder, std::string_view name, std::string_view marker) {
  return FolderNameMatches(folder.Folder(), name) && (marker.empty() || folder.HasNormalFile(marker));
}

void EmptyNamedFolder(RunContext& context, FolderSnapshot& folder, std::string_view name,
                      std::string_view marker) {
  if (!NamedFolderMatches(folder, name, marker)) return;
  if (context.config.filters.keep.Keeps(folder.Folder())) return;  // a kept folder is not entered
  DeleteMatchingFiles(context, folder, "*.*");
}

bool PurgeNamedFolder(RunContext& context, std::string_view drive, FolderSnapshot& folder,
                      std::string_view name, std::string_view marker) {
  if (!NamedFolderMatches(folder, name, marker)) return false;
  if (context.config.filters.keep.Keeps(folder.Folder())) return false;  // a kept folder is not entered
  PurgeFolderContents(context, drive, folder);
  return true;
}

std::error_code ChangeFileAttributes(RunContext& context, std::string_view path,
                                     std::string_view attributeText, AttributeChange change,
                                     WhenMissing whenMissing) {
  if (whenMissing == WhenMissing::Skip && !PathExists(context, path)) return {};
  // The current attributes matter only when adjusting them.
  platform::EntryFacts current;
  if (change != AttributeChange::Replace) {
    if (std::error_code error = context.config.files.Stat(path, current)) return error;
  }

  long number = 0;
  if (!LeadingNumber(attributeText, number)) return std::make_error_code(std::errc::value_too_large);
  platform::Attributes wanted = 0;
  if (number != 0) {
    wanted = static_cast<platform::Attributes>(number);
  } else {
    const std::string upper = UpperCased(attributeText);
    if (upper.find('R') != std::string::npos) wanted |= platform::kReadOnly;
    if (upper.find('H') != std::string::npos) wanted |= platform::kHidden;
    if (upper.find('S') != std::string::npos) wanted |= platform::kSystem;
    if (upper.find('A') != std::string::npos) wanted |= platform::kArchive;
  }
  if (change == AttributeChange::Add) wanted = current.attributes | wanted;
  if (change == AttributeChange::Remove) wanted = current.attributes & static_cast<platform::Attributes>(~wanted);
  return context.config.files.SetAttributes(path, wanted);
}

}  // namespace tidewell
