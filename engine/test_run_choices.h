// What a test run has chosen so far on the drive it cleans: the files it
// counted and the folders whose removal it logged.
//
// A destructive run deletes what it chooses, so a later row, a later purge,
// the sweep or a marker test no longer finds it. A test run deletes nothing;
// to predict the destructive run exactly it treats what it chose as gone for
// the rest of the drive's run, through this record: DeleteOneFile neither
// counts nor logs a file chosen before, and every reading of a folder
// (FolderSnapshot, ListFiles, ListFolders) leaves out chosen files, and
// leaves out a folder whose removal was logged with everything below it, as
// the destructive run, on a drive where every deletion succeeds, would find
// them: gone. A destructive run never records anything here: the disk
// itself tells it what is gone.
//
// Paths are the engine's virtual paths exactly as the run wrote them (a file
// "c:\TEMP\a.tmp", a folder "c:\TEMP\SUB\"); every listing of a drive names
// a file alike. One look-up per folder answers "does this folder hold any
// chosen file", so a reading of a folder with none costs one hash look-up.
// The folder stage forgets a folder's choices once it has left the folder
// (Forget), so the record holds little more than the folders a purge chose
// in and the stage has yet to reach.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace tidewell {

class TestRunChoices {
 public:
  // A hash of string_view, so that look-ups need not build a string.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using NameSet = std::unordered_set<std::string, TextHash, std::equal_to<>>;

  // What the run chose in one folder: the folder itself (its removal was
  // logged) or some of its files, by name.
  struct Folder {
    bool removed = false;
    NameSet names;
    // True when the folder's file `name` counts as gone.
    bool Gone(std::string_view name) const { return removed || names.find(name) != names.end(); }
  };

  // Forgets everything: a new drive's run begins.
  void Clear() {
    folders_.clear();
    last_ = nullptr;
    anyRemoved_ = false;
  }
  // Forgets what was chosen in one folder (ending with "\"), once nothing
  // will read it again: the folder stage has left it, and the folders are
  // visited parents first, so no later purge lists it (category_rules.h).
  void Forget(std::string_view folder);
  bool Empty() const { return folders_.empty(); }
  bool AnyFolderRemoved() const { return anyRemoved_; }

  // Records a chosen file (its full path).
  void AddFile(std::string_view path);
  // Records a folder (ending with "\") whose removal was logged.
  void AddRemovedFolder(std::string_view folder);

  // What was chosen in `folder` (ending with "\"), or null when nothing was.
  const Folder* In(std::string_view folder) const;
  // True when the file at `path` (a full path) was chosen, or its folder removed.
  bool FileGone(std::string_view path) const;
  bool FolderRemoved(std::string_view folder) const {
    const Folder* chosen = In(folder);
    return chosen != nullptr && chosen->removed;
  }

 private:
  // The folder's entry, made when missing.
  Folder& Entry(std::string_view folder);

  std::unordered_map<std::string, Folder, TextHash, std::equal_to<>> folders_;
  // The entry asked for last, with its key: a run's files come folder by
  // folder, so most look-ups need no hashing. Entries never move.
  std::pair<const std::string, Folder>* last_ = nullptr;
  bool anyRemoved_ = false;
};

}  // namespace tidewell
