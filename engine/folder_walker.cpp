#include "engine/folder_walker.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/drive_checks.h"
#include "engine/walk_io.h"
#include "platform/text_case.h"
#include "platform/wildcard.h"

namespace tidewell {
namespace {

std::string StartFolder(RunContext& context, std::string_view drive, std::string_view folder) {
  const platform::DriveTable& drives = context.config.files.Drives();
  return DriveSpec(drive, drives) + FolderSpec(folder, drives);
}

// Appends the files of one folder that match the pattern, one listing step
// at a time with a yield before each, the last step finding no more.
void ListFolderFiles(RunContext& context, std::string_view folder, std::string_view pattern,
                     FileList& files) {
  // What a test run chose here is gone; a folder it removed is missing.
  const TestRunChoices::Folder* chosen = context.state.chosen.In(folder);
  platform::FolderReader reader;
  const bool readable = (chosen == nullptr || !chosen->removed) && !context.config.files.OpenFolder(folder, reader);
  std::string path;
  platform::FolderEntry entry;
  for (;;) {
    YieldToMessages(context);
    bool found = false;
    while (readable && reader.Next(entry)) {
      StopIfRequested(context);
      if (!entry.isFolder && platform::MatchesWildcard(entry.name, pattern) &&
          (chosen == nullptr || !chosen->Gone(entry.name))) {
        found = true;
        break;
      }
    }
    if (!found) return;
    path.assign(folder).append(entry.name);
    files.Add(path);
  }
}

}  // namespace

bool ContainsNoCase(std::string_view text, std::string_view fragment) {
  return FindNoCase(text, fragment);
}

namespace {

// The folders a walk has listed whose subfolders it has still to open,
// oldest first, each held open so that a subfolder is found from it by name
// rather than by its whole path again. A folder's subfolders come in one
// stretch of the list, and the stretches come in the order of their parents,
// so the oldest parent is the one the walk needs next. Only so many are held
// at once (the walk's share of its budget, WalkIo::Folders); the subfolders
// of a parent that did not fit are opened by path.
class OpenParents {
 public:
  // Holds at most the walk's share of folders; lets go of each through `io`.
  explicit OpenParents(WalkIo& io) : most_(io.Folders().forParents), io_(io) {}

  // The held parent of folder `index`, or null; lets go of parents whose
  // stretch lies before it.
  const platform::FolderHandle* ParentOf(std::int32_t index) {
    while (!held_.empty() && held_.front().lastChild < index) {
      io_.Close(std::move(held_.front().folder));
      held_.pop_front();
    }
    if (held_.empty() || held_.front().firstChild > index) return nullptr;
    return held_.front().folder.get();
  }

  // The held parent of folder `index`, a folder ahead of the last one
  // asked about (ParentOf), or null; lets go of nothing.
  const WalkIo::SharedFolder* HeldParentOf(std::int32_t index) const {
    const auto after = std::upper_bound(held_.begin(), held_.end(), index,
                                        [](std::int32_t at, const Parent& parent) { return at < parent.firstChild; });
    if (after == held_.begin()) return nullptr;
    const Parent& parent = *std::prev(after);
    return parent.lastChild >= index ? &parent.folder : nullptr;
  }

  // Holds `folder`, whose subfolders are folders `first` to `last` of the
  // list, when it has any and there is room; else lets go of it.
  void Hold(std::int32_t first, std::int32_t last, WalkIo::SharedFolder folder) {
    if (first > last || held_.size() >= most_) {
      io_.Close(std::move(folder));
      return;
    }
    held_.push_back({first, last, std::move(folder)});
  }

 private:
  struct Parent {
    std::int32_t firstChild;
    std::int32_t lastChild;
    WalkIo::SharedFolder folder;
  };
  std::size_t most_;
  WalkIo& io_;
  std::deque<Parent> held_;
};

// The last name of a folder path that ends with "\\".
std::string_view LastName(std::string_view folder) {
  folder.remove_suffix(1);
  return folder.substr(folder.rfind('\\') + 1);
}

// Offers the folders after `cursor`, up to WalkIo::kAhead of them, that a
// thread may open ahead from their held parents, in the walk's order; stops
// at the first whose slot is still busy, to offer it after a later folder.
void OfferAhead(RunContext& context, const FolderList& folders, const OpenParents& parents, std::int32_t cursor,
                WalkIo& io, std::int32_t& next) {
  if (!io.Finishing()) return;
  next = std::max(next, cursor + 1);
  const std::int32_t last = std::min(folders.Count(), cursor + WalkIo::kAhead);
  // In batches, so that a thread that caught up sleeps until several wait.
  if (last - next + 1 < WalkIo::kAhead / 2 && last < folders.Count()) return;
  for (; next <= last; ++next) {
    const WalkIo::SharedFolder* parent = parents.HeldParentOf(next);
    if (parent == nullptr) continue;
    const std::string_view folder = folders[next];
    const std::string_view name = LastName(folder);
    if (!context.config.files.OpensAhead(**parent, name, folder)) continue;
    if (!io.OfferAhead(next, *parent, name, context.config.files)) return;
  }
}

}  // namespace

FolderList ListFolders(RunContext& context, std::string_view drive, std::string_view start,
                       const KeptNames* kept, const KeptNames* lookedUp, WalkObserver* observer,
                       SkippedFolders* skipped) {
  FolderList folders;
  if (lookedUp != nullptr) folders.KeepFacts();
  folders.Add(StartFolder(context, drive, start));
  // A subfolder's path is its parent's, which holds no "\." (else the
  // parent would not be listed), plus its own name: "\." occurs in it
  // exactly when the start folder holds it or the name starts with a dot.
  // Testing just that spares a scan of the whole path for every folder.
  const bool startHidden = ContainsNoCase(folders[1], "\\.");
  // A file's time matters only to an age limit.
  const bool keepTimes = context.config.filters.minimumAgeDays.has_value();
  // Declared before the parents it receives, so that it outlives them; its
  // threads are joined, and every fact learnt, before the list is returned.
  WalkIo io(context.config.finishing, context.config.warming, keepTimes, platform::FolderHandlesToSpare());
  OpenParents parents(io);
  std::vector<FolderList::FactsPlace> toLearn;
  std::int32_t aheadNext = 2;  // the first folder not yet offered to be opened ahead
  std::string full;
  platform::FolderEntry entry;
  // One reader for every folder, whose block each opening reuses.
  platform::FolderReader reader;
  // In a test run the folders whose removal it logged are missing: a
  // subfolder so chosen is left out, and a start folder so chosen not opened.
  // (A drive's own walk comes before anything is chosen.)
  const bool leaveOutRemoved = context.state.chosen.AnyFolderRemoved();
  for (std::int32_t cursor = 1; cursor <= folders.Count(); ++cursor) {
    if (observer != nullptr) observer->Reaching(folders, cursor, io);
    io.Reaching(cursor);
    const std::string_view current = folders[cursor];
    if (cursor == 1 && leaveOutRemoved && context.state.chosen.FolderRemoved(current)) break;
    // What a test run chose in this folder is gone (nothing, in a drive's walk).
    const TestRunChoices::Folder* chosen = context.state.chosen.In(current);
    const platform::FolderHandle* parent = parents.ParentOf(cursor);
    if (!io.TakeOpened(cursor, reader)) {
      const std::error_code error =
          parent != nullptr ? context.config.files.OpenSubfolder(*parent, LastName(current), current, reader)
                            : context.config.files.OpenFolder(current, reader);
      if (error) continue;
    }
    folders.BeginFiles(cursor);
    const std::int32_t firstChild = folders.Count() + 1;
    const bool keepAll = kept == nullptr || kept->KeepsAllIn(current);
    const bool lookUpAll = lookedUp != nullptr && lookedUp->KeepsAllIn(current);
    // When the walk's threads finish its folders, the files are looked up
    // there once the listing is done; else here, while the folder is open.
    const bool learnLater = io.Finishing();
    toLearn.clear();
    while (reader.Next(entry)) {
      YieldToMessages(context);
      if (!entry.isFolder) {
        if (!keepAll && !kept->Keeps(entry.name)) continue;
        if (chosen != nullptr && chosen->Gone(entry.name)) continue;
        const bool lookUp = lookedUp != nullptr && (lookUpAll || lookedUp->Keeps(entry.name));
        if (lookUp && learnLater) {
          const FolderList::FactsPlace place = folders.AddFileToLearn(entry.name, keepTimes);
          if (!place.Empty()) toLearn.push_back(place);
          continue;
        }
        std::optional<WalkFacts> facts;
        if (lookUp) {
          platform::EntryFacts found;
          facts = WalkFactsOf(reader.StatEntry(entry.name, found), found, keepTimes);
        }
        folders.AddFile(entry.name, facts ? &*facts : nullptr);
        continue;
      }
      if (startHidden || entry.name.front() == '.') continue;
      full.assign(current).append(entry.name).push_back('\\');
      if (leaveOutRemoved && context.state.chosen.FolderRemoved(full)) continue;
      if (skipped != nullptr && skipped->Skips(full)) continue;
      folders.Add(full);
    }
    auto folder = std::make_shared<platform::FolderHandle>(reader.ReleaseFolder());
    if (!toLearn.empty()) io.LearnFacts(folder, toLearn);
    parents.Hold(firstChild, folders.Count(), std::move(folder));
    OfferAhead(context, folders, parents, cursor, io, aheadNext);
  }
  return folders;
}

FileList ListFiles(RunContext& context, std::string_view drive, std::string_view folder,
                   std::string_view pattern, ListScope scope, SkippedFolders* skipped) {
  FileList files;
  if (pattern.empty()) pattern = "*.*";
  if (scope == ListScope::WholeSubtree) {
    const FolderList folders = ListFolders(context, drive, folder, nullptr, nullptr, nullptr, skipped);
    for (std::int32_t i = 1; i <= folders.Count(); ++i) ListFolderFiles(context, folders[i], pattern, files);
  } else {
    ListFolderFiles(context, StartFolder(context, drive, folder), pattern, files);
  }
  return files;
}

}  // namespace tidewell
