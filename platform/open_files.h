// Files that some process holds open.
//
// On Windows the system refuses to delete a file that a running program has
// open, and users rely on that to keep running programs' files safe. Linux
// deletes such a file without a word, so the cleaner asks first: once per
// drive run it notes every file that any process it may inspect has open
// (from /proc/<pid>/fd), by device and inode, and leaves those files alone.
// Processes of other users are visible only to a privileged user; their
// files are protected only then.
#pragma once

#include <cstdint>
#include <unordered_set>

namespace tidewell::platform {

class OpenFiles {
 public:
  // Takes the snapshot now: the regular files open in every process.
  static OpenFiles Scan();

  bool Contains(std::uint64_t device, std::uint64_t inode) const {
    return held_.count(Key(device, inode)) != 0;
  }
  std::size_t Count() const { return held_.size(); }

 private:
  static std::uint64_t Key(std::uint64_t device, std::uint64_t inode) {
    return inode * 0x9E3779B97F4A7C15ull ^ device;
  }
  // Keys of (device, inode); a collision could only spare a file, never
  // delete one that is open.
  std::unordered_set<std::uint64_t> held_;
};

}  // namespace tidewell::platform
