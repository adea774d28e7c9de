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
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_context.h"

namespace tidewell {

class FolderSnapshot {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // Reads the files directly in `folder` (a full path ending with "\"), in
  // the order the file system returns them. A folder that cannot be read
  // (gone, unreadable, a link, another file system) gives no files.
  FolderSnapshot(RunContext& context, std::string_view folder);

  const std::string& Folder() const { return folder_; }

  // The files as listed, 0 to Count() - 1, including those since marked gone.
  std::size_t Count() const { return files_.size(); }
  std::string_view Name(std::size_t index) const { return files_[index].name; }
  bool Present(std::size_t index) const { return files_[index].present; }

  // Marks a file as no longer there (deleted, or found missing).
  void MarkGone(std::size_t index) { files_[index].present = false; }

  // The index of a present file with exactly this name, or npos.
  std::size_t Find(std::string_view name) const;

  // True when some present normal file (not hidden) matches the pattern; an
  // empty pattern matches nothing.
  bool HasNormalFile(std::string_view pattern) const;

 private:
  struct File {
    std::string name;
    bool present = true;
  };
  std::string folder_;
  std::vector<File> files_;
};

}  // namespace tidewell
