// The folder walker: which folders lie at or below a folder (ListFolders),
// and which files of a folder or subtree match a pattern (ListFiles).
//
// The walker knows nothing about rules; it lists. Both operations start from
// DriveSpec(drive) + FolderSpec(folder), so an entry of a FolderList handed
// back in with the same drive names the same folder. No error leaves them: a
// folder that cannot be listed (missing, unreadable, a link, another file
// system) contributes nothing and the walk goes on. Both hand control to the
// user interface at every step (YieldToMessages), unless optimise
// performance is on.
#pragma once

#include <string_view>

#include "engine/folder_list.h"
#include "engine/run_context.h"

namespace tidewell {

// Which file names a walk keeps in its list. The walk reads every name of a
// folder once; it keeps those its caller will ask for again.
class KeptNames {
 public:
  virtual ~KeptNames() = default;
  // True when every file name of `folder` (a full path ending with "\") is kept.
  virtual bool KeepsAllIn(std::string_view folder) const = 0;
  // Otherwise a name is kept when this says so.
  virtual bool Keeps(std::string_view name) const = 0;
};

// For a walk that wants the folders only.
class NoNames final : public KeptNames {
 public:
  bool KeepsAllIn(std::string_view) const override { return false; }
  bool Keeps(std::string_view) const override { return false; }
};

class WalkIo;

// Told of a walk's progress, on the walk's thread.
class WalkObserver {
 public:
  virtual ~WalkObserver() = default;
  // The walk is about to open folder `cursor` of `folders`; every folder
  // before it has been listed. `io` is the walk's I/O queue (walk_io.h),
  // for jobs the observer hands to the walk's threads.
  virtual void Reaching(const FolderList& folders, std::int32_t cursor, WalkIo& io) = 0;
};

// Which folders below its start a walk leaves out, with everything below
// them: such a folder is never opened, and neither it nor anything in it is
// listed.
class SkippedFolders {
 public:
  virtual ~SkippedFolders() = default;
  // `folder`: a full path ending with "\", met as a subfolder of a folder
  // the walk lists.
  virtual bool Skips(std::string_view folder) = 0;
};

// Breadth first, the list being its own queue: the start folder, then its
// subfolders in the file system's order, then theirs, level by level. A
// folder whose full path contains "\." (a name starting with a dot) is never
// listed, nor anything below it. Hidden folders are walked like any other.
// The names of the files found in each folder are kept in the list (see
// FolderList::ForEachFile), so the rule table need not read them again:
// every name, or, with `kept`, those it keeps.
// With `lookedUp`, each kept file that it keeps too is also looked up while
// its folder is open, and the list carries what that told (WalkFacts: the
// length, and the time when the run has an age limit), so a test run need
// not find the folder again just to learn a file's length. `observer`, if
// any, is told before each folder is opened; `skipped`, if any, is asked
// about each subfolder before it is listed.
// In a test run, what the run has chosen so far is gone (test_run_choices.h):
// a folder whose removal it logged is left out as if missing (a start folder
// so chosen is listed but not opened), and a file it chose is not kept.
FolderList ListFolders(RunContext& context, std::string_view drive, std::string_view start,
                       const KeptNames* kept = nullptr, const KeptNames* lookedUp = nullptr,
                       WalkObserver* observer = nullptr, SkippedFolders* skipped = nullptr);

enum class ListScope { OneFolder, WholeSubtree };

// The files (never folders) matching `pattern` ("*.*" when empty), hidden and
// read-only ones included, as full paths: the folder's own files first, then,
// with WholeSubtree, those of every folder below in ListFolders order,
// leaving out the folders `skipped` skips. In a test run, what the run has
// chosen so far is left out (test_run_choices.h).
FileList ListFiles(RunContext& context, std::string_view drive, std::string_view folder,
                   std::string_view pattern, ListScope scope, SkippedFolders* skipped = nullptr);

// True when fragment occurs anywhere in text, both compared upper-cased; an
// empty fragment occurs in every text.
bool ContainsNoCase(std::string_view text, std::string_view fragment);

}  // namespace tidewell
