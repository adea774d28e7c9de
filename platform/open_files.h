// Files and folders that some process is using.
//
// On Windows the system refuses to delete a file that a running program has
// open or has mapped (its own executable and libraries included), and to
// remove a folder that is some program's current folder; users rely on that
// to keep running programs' files safe. Linux deletes all of these without a
// word, so the cleaner asks first: once per drive run it notes, by device
// and inode, for every process it may inspect (from /proc/<pid>):
//   - the regular files open in its descriptor table (fd/);
//   - the files it has mapped (maps, whose descriptors may long be closed),
//     and its executable (exe);
//   - its working folder (cwd) and the folder it sees as "/" (root), which
//     a chrooted program lives in;
// and leaves those alone. Processes of other users are visible only to a
// privileged user; their files are protected only then. Folders open as
// descriptors are not counted: the cleaner holds its own folders that way.
#pragma once

#include <cstdint>
#include <unordered_set>

namespace tidewell::platform {

class OpenFiles {
 public:
  // Takes the snapshot now, of every process.
  static OpenFiles Scan();

  bool Contains(std::uint64_t device, std::uint64_t inode) const {
    return held_.count(Key(device, inode)) != 0;
  }
  std::size_t Count() const { return held_.size(); }

 private:
  static std::uint64_t Key(std::uint64_t device, std::uint64_t inode) {
    return inode * 0x9E3779B97F4A7C15ull ^ device;
  }
  void Add(std::uint64_t device, std::uint64_t inode) { held_.insert(Key(device, inode)); }
  friend class ProcessScanner;

  // Keys of (device, inode); a collision could only spare a file, never
  // delete one that is in use.
  std::unordered_set<std::uint64_t> held_;
};

}  // namespace tidewell::platform
