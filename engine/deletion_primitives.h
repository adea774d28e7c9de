// The deletion primitives: the only code that removes anything.
//
// Every file the engine removes goes through DeleteOneFile, the one place
// where a file is counted into RunTotals, made deletable, deleted and logged.
// In a test run it counts and logs but changes nothing on disk. These are the
// DESTRUCTIVE paths of the program: keep them small and obvious.
//
// No error leaves a primitive. A file that vanished, is locked or protected
// simply stays; nothing is reported to the user for it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/folder_snapshot.h"
#include "engine/run_context.h"

namespace tidewell {

// What DeleteOneFile left behind, for callers that keep a listing current.
enum class DeleteResult {
  NotFound,  // there was no such file (or a test run chose it before); nothing was counted
  Deleted,   // the file is gone
  Chosen,    // a test run counted it: still there, and gone for the rest of the drive's run
  Kept,      // counted but still there: the deletion failed, or the file is in use
  Spared,    // not chosen (the keep list, the age limit): not counted, still there
};

// True when the file is no longer there for the folder's listing.
inline bool IsGone(DeleteResult result) {
  return result == DeleteResult::NotFound || result == DeleteResult::Deleted || result == DeleteResult::Chosen;
}

// Counts the file (its length into totalBytes when readable, one into
// totalFiles) and, in a destructive run, sets its attributes to normal and
// deletes it. Writes "Delete file: <path>" when test run is on, or when
// maintain log is on and the file was deleted, whether or not setting its
// attributes succeeded (a file that is gone is always in the log).
// A path that does not exist changes nothing, not even the totals. A file
// that some process holds open (context.state.heldOpen) is in use: in a
// destructive run it is counted but neither changed nor deleted nor logged,
// as any file whose deletion failed.
// The run's filters (context.config.filters, settings/run_filters.h) come first: a
// file on the keep list, or one newer than the age limit, is not chosen at
// all: not counted, not logged, not changed (DeleteResult::Spared). Whatever
// is counted goes to the current bucket (CountingInto) as well as to the
// totals.
// In a test run, `walkFacts` (what the drive's walk learnt of the file, when
// it looked it up) stand in for looking the file up again: a test run
// reports the drive as the walk found it, names and lengths alike. A
// destructive run always looks at the file as it is when it deletes it.
// A test run predicts the destructive run: a file it counts is recorded in
// context.state.chosen (DeleteResult::Chosen), and a file recorded there, or lying
// in a folder whose removal it logged, is one that a destructive run would
// have deleted already: NotFound, neither counted nor logged again.
// The run's stop point (StopIfRequested) comes first: a stop request ends
// the run before the next file, never half-way through the one in hand.
DeleteResult DeleteOneFile(RunContext& context, std::string_view path, const WalkFacts* walkFacts = nullptr);

// The folder actions of the rule table. Each works on one folder read once
// into a FolderSnapshot and keeps that snapshot current: a file it deleted
// (or found missing) is marked gone there, a file that stayed (a test run, a
// failed deletion) stays, so the next action on the folder sees what a fresh
// listing would show.

// DeleteOneFile for every present file of `folder` that matches `pattern`,
// in listing order. It yields as a fresh listing would (once before each
// match and once after the last), then once before each deletion.
void DeleteMatchingFiles(RunContext& context, FolderSnapshot& folder, std::string_view pattern);

// DeleteMatchingFiles when the caller already knows which files the pattern
// matches: `candidates` are snapshot indices in ascending order (present or
// not), and exactly the present ones among them are deleted, with the same
// yields.
void DeleteFilesAt(RunContext& context, FolderSnapshot& folder, std::span<const std::size_t> candidates);

// The same for a folder named by its path on `drive` (as ListFiles takes
// it), read here for this one action.
void DeleteMatchingFiles(RunContext& context, std::string_view drive, std::string_view folder,
                         std::string_view pattern);

// The text half of the named-folder test: true when `folder` (ending with
// "\") ends with "\" + name + "\" without regard to case. A name with inner
// "\" matches that many trailing levels; wildcards in `name` are literal.
bool FolderNameMatches(std::string_view folder, std::string_view name);

// The named-folder test: FolderNameMatches and, when `marker` is not empty,
// some present normal file of the snapshot matching it.
bool NamedFolderMatches(const FolderSnapshot& folder, std::string_view name, std::string_view marker);

// When the named-folder test passes: deletes the files directly in the
// folder; its subfolders (a spared one among them) are left alone. A folder
// on the keep list is not entered.
void EmptyNamedFolder(RunContext& context, FolderSnapshot& folder, std::string_view name,
                      std::string_view marker);

// When the named-folder test passes: deletes every file in the folder and
// below it (the subtree listed afresh), then removes every folder below it,
// longest path first (each after its "Remove folder: " line when logging),
// and returns true. The folder itself stays, and so, in a destructive run,
// does a folder that some process works in (context.state.heldOpen).
// A folder below it that the folder stage spares (spared_folders.h: a
// Vaultkeep folder, the program's own) is never entered: nothing at or
// below it is listed, counted, logged or deleted, and the folders above it
// are neither removed nor logged.
// With the run's filters: a folder on the keep list is not purged (false);
// below it, a kept folder is left whole, and a folder that still holds a
// spared file or a kept folder is neither removed nor logged, nor is any
// folder above it.
// In a test run each folder whose removal is logged is recorded in
// context.state.chosen: gone for the rest of the drive's run. A stop request is
// heard before every file and every folder.
bool PurgeNamedFolder(RunContext& context, std::string_view drive, FolderSnapshot& folder,
                      std::string_view name, std::string_view marker);

enum class AttributeChange {
  Replace,  // the attributes become exactly the wanted ones
  Add,      // the wanted bits are added to the current ones
  Remove,   // the wanted bits are taken from the current ones
};
enum class WhenMissing { Attempt, Skip };

// Sets a file's attributes from a text: a leading number ("3") is taken as
// the attribute bits; otherwise the letters R 1, H 2, S 4 and A 32 that occur
// anywhere in it (any case) are summed; an empty text means 0. With
// WhenMissing::Skip a path that does not exist is left alone (no error).
// Unlike the other primitives it returns its failure to the caller.
std::error_code ChangeFileAttributes(RunContext& context, std::string_view path,
                                     std::string_view attributeText, AttributeChange change,
                                     WhenMissing whenMissing);

}  // namespace tidewell
