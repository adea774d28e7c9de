// A drive's walk read ahead on a cold cache.
//
// A WalkWarmer watches a drive's walk (ListFolders) and, once the walk's own
// folders turn out slow to read because its thread waits for the disk (the
// tree is not in the caches), starts a platform::MetadataWarmer and hands it
// the folders the walk has found but not reached yet, in the walk's order, a
// bounded number at a time, for its threads to list ahead with the walk's
// own restrictions; and each folder the walk has listed, for them to stat
// the file names the walk keeps, among which are all those the rule stage
// will stat. The walk and everything after it decide exactly as without it;
// a warm walk never starts a thread. The threads stop and are joined when
// the WalkWarmer goes, which is when the walk ends, however it ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "engine/folder_walker.h"
#include "engine/run_context.h"
#include "platform/metadata_warmer.h"

namespace tidewell {

class WalkWarmer final : public WalkObserver {
 public:
  // How many threads read ahead: the disk serves that many reads at once,
  // besides the walk's own. On a two-core machine with a virtual disk, two
  // and three still left the walk waiting, six and eight gained nothing.
  static constexpr unsigned kThreads = 4;

  // For the walk of `drive` keeping `kept`'s names and, if any, looking up
  // `lookedUp`'s (ListFolders); context.config.warming says when to start. Both
  // must be safe to ask from several threads at once. A walk that looks
  // files up stats them itself: their folders are offered with their files
  // statted at once; otherwise the kept names of each folder the walk has
  // listed are statted later, for the rule stage.
  WalkWarmer(RunContext& context, std::string_view drive, const KeptNames& kept,
             const KeptNames* lookedUp = nullptr);

  void Reaching(const FolderList& folders, std::int32_t cursor) override;

  // Whether the threads were started, and how many folders they listed
  // ahead of the walk.
  bool Started() const { return warmer_.Running(); }
  std::int64_t FoldersListed() const { return warmer_.FoldersListed(); }

 private:
  bool ShouldStart();

  const KeptNames& kept_;
  const KeptNames* lookedUp_;
  WalkWarming mode_;
  platform::MetadataWarmer warmer_;
  bool refused_ = false;     // Start() failed: the drive is walked without
  std::int32_t offered_ = 0;  // the last folder handed to the warmer (or passed by the walk)
  std::chrono::steady_clock::time_point last_{};
  int slowScore_ = 0;
  std::uint64_t diskRead_ = 0;  // what the walk's thread had read from disks at the last slow folder
};

}  // namespace tidewell
