// Read-only warming of a drive's folder metadata around the thread that
// walks it.
//
// On a cold cache a walk waits for the disk at every folder, one read at a
// time, and the rule stage after it waits again for each file it stats. A
// MetadataWarmer's threads read the folders the walk will reach next (open
// and list them), and, at a lower priority, stat the files of folders the
// walk has listed (the names a filter keeps), throwing every answer away:
// the walk's and the rule stage's own calls then find the folders, listings
// and file facts in the kernel's caches, while the disk serves several reads
// at once. The warmer decides nothing and changes nothing, so what a run
// does is the same with it or without it; only the waiting changes.
//
// Its threads reach folders the way the walk does, and no other way: each
// one with a single call from the drive's verified root that refuses a link
// anywhere on the way, another mount, and anything outside the root; a
// folder the walk would refuse as spared is closed unread. Where the kernel
// cannot open that way, nothing is warmed. Folders come from the walker
// only (Offer, OfferStats), as virtual paths of the drive; the warmer never
// reads the walker's list.
//
// Threads start with Start() and are stopped and joined by Stop() or the
// destructor, whatever the walk's end (finished, an error, a stop by the
// user). While a warmer runs, the file system's spared folders must not
// change (VirtualFileSystem::SpareFolders); the walk never changes them.
// Each of the two queues holds at most kQueueCapacity folders, so memory
// stays small however large the drive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/virtual_file_system.h"

namespace tidewell::platform {

class MetadataWarmer {
 public:
  static constexpr std::size_t kQueueCapacity = 256;

  // Which file names of a folder to stat; called on the warmer's threads,
  // so it must be safe to call from several threads at once.
  using NameFilter = std::function<bool(std::string_view name)>;

  // For drive `letter` of `files`; `files` must outlive the warmer and be
  // used by one thread only, as always. Starts no thread yet.
  MetadataWarmer(VirtualFileSystem& files, char letter, NameFilter keeps, unsigned threads);
  ~MetadataWarmer();
  MetadataWarmer(const MetadataWarmer&) = delete;
  MetadataWarmer& operator=(const MetadataWarmer&) = delete;

  // Starts the threads; false (and nothing runs) when the drive's root is
  // refused or missing, or the kernel cannot open folders safely enough.
  // Called on the walker's thread.
  bool Start();
  bool Running() const;

  // Queues `folder` (a virtual folder path of the drive, as the walker lists
  // it) to be listed, in the order offered, before any folder offered with
  // OfferStats; with Files::Statted its files are statted right after (as
  // OfferStats says), for a walk that will stat them itself. False, and
  // nothing queued, when the queue is full, a thread holds the queues this
  // moment (the walker never waits), or the warmer does not run; a folder no
  // thread could read (another drive's, the root) is taken and dropped.
  enum class Files { Left, Statted };
  bool Offer(std::string_view folder, Files files = Files::Left, bool allNames = false);
  // The same for a folder whose files are to be statted: every file with
  // `allNames`, else those the filter keeps.
  bool OfferStats(std::string_view folder, bool allNames);

  // Stops and joins the threads. What is queued is dropped, or, with
  // Queued::Finish, read first (for tests that must know what was read).
  enum class Queued { Drop, Finish };
  void Stop(Queued queued = Queued::Drop);

  // How many folders the threads listed ahead, and read for their files.
  std::int64_t FoldersListed() const;
  std::int64_t FoldersStatted() const;

 private:
  struct Shared;
  std::unique_ptr<Shared> shared_;
};

}  // namespace tidewell::platform
