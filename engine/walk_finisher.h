// A drive's walk finishing with its folders on a second thread.
//
// Once the walk has listed a folder, two kinds of system call remain for it:
// in a test run, looking up the files whose lengths the run will report, and
// closing the folder when the walk no longer needs it. A WalkFinisher takes
// both over on a thread of its own, once a walk is long enough to pay for
// one, so that the walk's thread only opens and reads folders. The walk
// hands it each listed folder (shared, while the walk still finds the
// folder's subfolders from it) with the places in its FolderList where the
// facts of the files to look up go; the thread looks each file up in that
// same open folder, exactly as the walk would have, writes the facts, and
// lets go of the folder, which is closed when the last of the two lets go.
//
// The walk never waits for the thread: when its queue is full, the walk does
// the job itself. Finish(), called at the latest by the destructor, returns
// once every job handed over is done and the thread has ended, so a walk's
// list is complete when the walk returns, however it ends. Facts learnt this
// way are the walk's facts; nothing is ever deleted on them (WalkFacts).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <thread>

#include "engine/folder_list.h"
#include "engine/run_context.h"
#include "platform/virtual_file_system.h"

namespace tidewell {

// What one look-up of a listed file tells the walk: the facts of a file or a
// link (the time only `withTimes`), or none when the look-up failed or found
// a folder (a name that changed since the listing is left for whoever uses
// it to find out).
std::optional<WalkFacts> WalkFactsOf(std::error_code lookUp, const platform::EntryFacts& found, bool withTimes);

class WalkFinisher {
 public:
  using SharedFolder = std::shared_ptr<platform::FolderHandle>;

  // Jobs handed over and not yet done, at most; each holds at most one
  // folder open, so a walk holds this many folders open besides its own.
  static constexpr std::size_t kQueue = 256;
  // A walk starts the thread (WalkFinishing::WhenLarge) on reaching this
  // folder: a small walk is over before a thread would pay for itself.
  static constexpr std::int32_t kStartAt = 64;

  // `mode` says when the thread starts; `withTimes` whether the facts hold
  // the files' times. `openBudget` is how many folders the walk may hold open
  // besides its own: the thread is not used when it would take more than
  // half of them.
  WalkFinisher(WalkFinishing mode, bool withTimes, std::size_t openBudget);
  ~WalkFinisher();
  WalkFinisher(const WalkFinisher&) = delete;
  WalkFinisher& operator=(const WalkFinisher&) = delete;

  // The walk is about to open folder `cursor` (1 for its first): starts the
  // thread once the walk has gone far enough, if it may.
  void Reaching(std::int32_t cursor);
  bool Running() const { return thread_.joinable(); }

  // How many of the walk's open-folder budget are left for the walk itself.
  std::size_t LeftForWalk() const { return openBudget_ - (usable_ ? kQueue : 0); }

  // Looks up the files at `places` in `folder` and writes their facts there.
  void LookUp(const SharedFolder& folder, std::span<const FolderList::FactsPlace> places);
  // Lets go of the walk's share of `folder`.
  void Release(SharedFolder folder);

  // Waits until every job handed over is done, and ends the thread.
  void Finish();

  // Folders whose files the thread looked up or which it closed (tests).
  std::int64_t JobsDone() const { return jobsDone_.load(std::memory_order_relaxed); }

 private:
  static constexpr std::size_t kPlacesPerJob = 6;
  // The thread is woken when this many jobs wait (or at Finish), rather
  // than at each one: waking it costs the walk a system call.
  static constexpr std::uint32_t kWakeAfter = 32;

  struct Job {
    SharedFolder folder;
    std::array<FolderList::FactsPlace, kPlacesPerJob> places{};
    std::size_t count = 0;
  };

  // Hands a job to the thread; false when its queue is full.
  bool Hand(Job& job);
  void Do(Job& job) const;
  void Work();

  WalkFinishing mode_;
  bool withTimes_;
  std::size_t openBudget_;
  bool usable_;
  std::unique_ptr<Job[]> ring_;
  std::atomic<std::uint32_t> head_{0};  // the next job the thread does
  std::atomic<std::uint32_t> tail_{0};  // the next free slot, written by the walk only
  std::atomic<std::uint32_t> bell_{0};  // rung to wake the thread
  std::atomic<bool> sleeping_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<std::int64_t> jobsDone_{0};
  std::thread thread_;
};

}  // namespace tidewell
