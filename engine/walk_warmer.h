// When a drive's walk reads ahead on a cold cache, and what: the warming
// policy over the walk's I/O queue (walk_io.h).
//
// A WalkWarmer watches a drive's walk (ListFolders) and, once the walk's own
// folders turn out slow to read because its thread waits for the disk (the
// tree is not in the caches), starts the walk's warming (WalkIo::
// StartWarming) and hands it the folders the walk has found but not reached
// yet, in the walk's order, as far as the queue takes them, for its threads
// to list ahead with the walk's own restrictions (platform/metadata_warmer.h);
// and each folder the walk has listed, for them to stat the file names the
// walk keeps, among which are all those the rule stage will stat. The walk
// and everything after it decide exactly as without it; a warm walk never
// starts a thread. What is queued and not read when the walk ends is dropped
// with the walk's queue.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "engine/folder_walker.h"
#include "engine/run_context.h"
#include "engine/walk_io.h"
#include "platform/metadata_warmer.h"

namespace tidewell {

class WalkWarmer final : public WalkObserver {
 public:
  // For the walk of `drive` keeping `kept`'s names and, if any, looking up
  // `lookedUp`'s (ListFolders); context.config.warming says when to start. Both
  // must be safe to ask from several threads at once. A walk that looks
  // files up stats them itself: their folders are offered with their files
  // statted at once; otherwise the kept names of each folder the walk has
  // listed are statted later, for the rule stage.
  WalkWarmer(RunContext& context, std::string_view drive, const KeptNames& kept,
             const KeptNames* lookedUp = nullptr);

  void Reaching(const FolderList& folders, std::int32_t cursor, WalkIo& io) override;

  // Whether warming was started, and how many folders its threads listed
  // ahead of the walk.
  bool Started() const { return started_; }
  std::int64_t FoldersListed() const { return reads_.listed.load(); }

 private:
  bool ShouldStart();

  const KeptNames& kept_;
  const KeptNames* lookedUp_;
  WalkWarming mode_;
  platform::MetadataWarmer reader_;
  WarmReads reads_{reader_};
  bool started_ = false;
  bool refused_ = false;      // warming could not start: the drive is walked without
  std::int32_t offered_ = 0;  // the last folder handed over (or passed by the walk)
  std::chrono::steady_clock::time_point last_{};
  int slowScore_ = 0;
  std::uint64_t diskRead_ = 0;  // what the walk's thread had read from disks at the last slow folder
};

}  // namespace tidewell
