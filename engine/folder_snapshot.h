// One folder's files, read from the file system once and kept current by the
// rules that work on that folder.
//
// The rule table applies some sixty rows (about 150 with every category on)
// to each folder. Listing the folder again for every row would read each
// directory that many times; instead the folder is read once into a
// snapshot, every delete row and marker test of that folder is answered from
// it, and whoever deletes a file marks it gone. A file that stays (a test
// run, a failed deletion) stays in the snapshot, so each row sees exactly
// what a fresh listing at that moment would show.
//
// Only files are kept: no row of a folder ever matches its subfolders.
//
// When the walk that listed the drive recorded the folder's files, the
// snapshot starts from those names instead of reading the folder again: the
// folder has not changed since, unless a purge of a folder above it removed
// files in the meantime, and then the snapshot reads it afresh.
// A drive's walk keeps only the names the rule table can use (see
// rule_table_names.h), so such a snapshot holds those; a snapshot that reads
// its folder holds every file.
//
// In a test run, what the run has chosen so far is gone (test_run_choices.h):
// a snapshot leaves out the files it chose, and a folder whose removal it
// logged has no files, exactly as the destructive run would find them. A file
// the test run chooses through the snapshot is marked gone like a deleted one.
// That is why a test run needs no fresh reading below a purged folder: the
// walk's names less the chosen ones are what the folder holds.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/folder_list.h"
#include "engine/run_context.h"

namespace tidewell {

class FolderSnapshot {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // Reads the files directly in `folder` (a full path ending with "\"), in
  // the order the file system returns them. A folder that cannot be read
  // (gone, unreadable, a link, another file system) gives no files.
  FolderSnapshot(RunContext& context, std::string_view folder);
  // Folder `index` of a walk's list: its recorded files, or, when the walk
  // recorded none or `fresh` says the folder may have changed, a reading.
  FolderSnapshot(RunContext& context, const FolderList& folders, std::int32_t index, bool fresh);

  const std::string& Folder() const { return folder_; }

  // The files as listed, 0 to Count() - 1, including those since marked gone.
  std::size_t Count() const { return files_.size(); }
  std::string_view Name(std::size_t index) const { return files_[index].name; }
  bool Present(std::size_t index) const { return files_[index].present; }
  // What the walk learnt when it looked the file up (see WalkFacts), or null
  // when it did not, or when the snapshot read the folder itself.
  const WalkFacts* Facts(std::size_t index) const {
    return files_[index].hasFacts ? &files_[index].facts : nullptr;
  }

  // Marks a file as no longer there (deleted, chosen by a test run, or found missing).
  void MarkGone(std::size_t index) { files_[index].present = false; }

  // The index of a present file with exactly this name, or npos.
  std::size_t Find(std::string_view name) const;

  // True when some present file that matches the pattern is a normal file
  // (IsNormalFile: not hidden, not system, by the attributes the file system
  // keeps); an empty pattern matches nothing. Only matching names are
  // queried, up to the first normal one.
  bool HasNormalFile(std::string_view pattern) const;

 private:
  void Read();

  struct File {
    std::string_view name;  // into names_, or into the walk's list
    bool present = true;
    bool hasFacts = false;
    WalkFacts facts;
  };
  RunContext& context_;
  std::string folder_;
  std::vector<File> files_;
  std::vector<std::unique_ptr<char[]>> names_;  // names read here
};

}  // namespace tidewell
