#include "engine/walk_warmer.h"

#include <algorithm>

#include "engine/drive_checks.h"
#include "platform/thread_io.h"

namespace tidewell {
namespace {

// A folder read from the caches takes a few microseconds from one Reaching
// to the next; one the disk must serve takes tens or hundreds. A slow folder
// counts only when the walk's thread had to read from the disk since the
// last slow one, so that a warm walk on a busy machine (its thread waiting
// for a processor, not for the disk) does not start the threads.
constexpr std::chrono::microseconds kSlowFolder{40};
// Each slow folder adds kSlowWeight to the score, each quick one takes one
// off; the warmer starts at kStartScore, so a few slow folders close
// together start it and a lone one does not.
constexpr int kSlowWeight = 4;
constexpr int kStartScore = 16;

}  // namespace

WalkWarmer::WalkWarmer(RunContext& context, std::string_view drive, const KeptNames& kept,
                       const KeptNames* lookedUp)
    : kept_(kept),
      lookedUp_(lookedUp),
      mode_(context.config.warming),
      reader_(context.config.files, DriveSpec(drive, context.config.files.Drives()).front(),
              [names = lookedUp != nullptr ? lookedUp : &kept](std::string_view name) { return names->Keeps(name); }) {}

bool WalkWarmer::ShouldStart() {
  switch (mode_) {
    case WalkWarming::Never:
      return false;
    case WalkWarming::Always:
      return true;
    case WalkWarming::WhenSlow:
      break;
  }
  const auto now = std::chrono::steady_clock::now();
  if (last_ != std::chrono::steady_clock::time_point{}) {
    if (now - last_ >= kSlowFolder) {
      const std::uint64_t read = platform::DiskBytesReadByThisThread();
      if (read != diskRead_) slowScore_ += kSlowWeight;
      diskRead_ = read;
    } else if (slowScore_ > 0) {
      --slowScore_;
    }
  }
  last_ = now;
  return slowScore_ >= kStartScore;
}

void WalkWarmer::Reaching(const FolderList& folders, std::int32_t cursor, WalkIo& io) {
  if (!io.Warming()) {
    if (refused_ || !ShouldStart()) return;
    if (!io.StartWarming(reads_)) {
      refused_ = true;
      return;
    }
    started_ = true;
  }
  // The folders found but not reached, in the walk's order, as far as the
  // queue takes them (those the walk passed meanwhile are not offered
  // any more): with the files the walk will look up, or else, once listed,
  // for the kept names' stats, when the queue has room for them.
  offered_ = std::max(offered_, cursor);
  if (lookedUp_ != nullptr) {
    while (offered_ < folders.Count()) {
      const std::string_view next = folders[offered_ + 1];
      if (!io.ListAhead(next, platform::MetadataWarmer::Files::Statted, lookedUp_->KeepsAllIn(next))) break;
      ++offered_;
    }
    return;
  }
  while (offered_ < folders.Count() &&
         io.ListAhead(folders[offered_ + 1], platform::MetadataWarmer::Files::Left, false)) {
    ++offered_;
  }
  if (cursor > 1) io.StatNames(folders[cursor - 1], kept_.KeepsAllIn(folders[cursor - 1]));
}

}  // namespace tidewell
