// Read-only warming of a drive's folder metadata, one folder per call, from
// any thread: the system calls behind the walk's read-ahead jobs
// (engine/walk_io.h), which owns the threads and the queue.
//
// On a cold cache a walk waits for the disk at every folder, one read at a
// time, and the rule stage after it waits again for each file it stats.
// Read() opens and lists a folder the walk will reach later and, asked to,
// stats the file names the filter keeps, throwing every answer away: the
// walk's and the rule stage's own calls then find the folders, listings and
// file facts in the kernel's caches, while the disk serves several reads at
// once. A warmer decides nothing and changes nothing, so what a run does is
// the same with it or without it; only the waiting changes.
//
// It reaches folders the way the walk does, and no other way: each one with
// a single call from the drive's verified root (a descriptor of its own,
// VirtualFileSystem::OpenRootForReaders) that refuses a link anywhere on the
// way, another mount, and anything outside the root; a folder the walk
// would refuse as spared (VirtualFileSystem::IsSpared) is closed unread.
// Where the system cannot open that way, Open() fails and nothing is warmed
// (on Windows, for now, always).
//
// Open() and Relative() are called on the walk's thread; Read() on any
// number of threads at once once Open() succeeded. While a warmer is open,
// the file system's spared folders must not change (SpareFolders); the walk
// never changes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/virtual_file_system.h"

namespace tidewell::platform {

class MetadataWarmer {
 public:
  // Which file names of a folder to stat; called on the reading threads, so
  // it must be safe to call from several threads at once.
  using NameFilter = std::function<bool(std::string_view name)>;

  // For drive `letter` of `files`, which must outlive the warmer. Opens
  // nothing yet.
  MetadataWarmer(VirtualFileSystem& files, char letter, NameFilter keeps);

  // Opens the drive's root for the readers; false (and Read reads nothing)
  // when the root is refused or missing, or the system cannot open folders
  // safely enough.
  bool Open();
  bool IsOpen() const { return root_.IsOpen(); }

  // "A/B/C": `folder` (a virtual folder path, as the walk lists it) below
  // the drive's root; false for anything no reader could read (another
  // drive's folder, the root itself, a path that does not parse).
  bool Relative(std::string_view folder, std::string& relative) const;

  // What to read of a folder: its listing, and then its files' facts (every
  // file with `allNames`, else those the filter keeps).
  enum class Files { Left, Statted };
  // Reads folder `relative` (from Relative); false when it was not read
  // (cannot be opened, or a spared folder). Safe from any thread.
  bool Read(const std::string& relative, Files files, bool allNames) const;

 private:
  VirtualFileSystem& files_;
  const char letter_;
  const NameFilter keeps_;
  FolderHandle root_;
  bool checkSpared_ = false;
};

}  // namespace tidewell::platform
