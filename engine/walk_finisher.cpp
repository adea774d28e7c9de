#include "engine/walk_finisher.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace tidewell {

std::optional<WalkFacts> WalkFactsOf(std::error_code lookUp, const platform::EntryFacts& found, bool withTimes) {
  if (lookUp || (found.attributes & platform::kFolder)) return std::nullopt;
  WalkFacts facts;
  facts.length = found.length;
  if (withTimes) facts.modified = found.modified;
  return facts;
}

WalkFinisher::WalkFinisher(WalkFinishing mode, bool withTimes, std::size_t openBudget)
    : mode_(mode),
      withTimes_(withTimes),
      openBudget_(openBudget),
      // A second thread pays only where a second processor runs it.
      usable_(mode != WalkFinishing::Never && openBudget >= 2 * kQueue &&
              (mode == WalkFinishing::Always || std::thread::hardware_concurrency() >= 2)) {}

WalkFinisher::~WalkFinisher() { Finish(); }

void WalkFinisher::Reaching(std::int32_t cursor) {
  if (!usable_ || Running() || stopping_.load(std::memory_order_relaxed)) return;
  if (mode_ == WalkFinishing::WhenLarge && cursor < kStartAt) return;
  ring_ = std::make_unique<Job[]>(kQueue);
  try {
    thread_ = std::thread([this] { Work(); });
  } catch (const std::system_error&) {
    usable_ = false;  // no thread to be had: the walk does it all itself
    ring_.reset();
  }
}

void WalkFinisher::LookUp(const SharedFolder& folder, std::span<const FolderList::FactsPlace> places) {
  while (!places.empty()) {
    Job job;
    job.folder = folder;
    job.count = std::min(places.size(), kPlacesPerJob);
    std::copy_n(places.begin(), job.count, job.places.begin());
    places = places.subspan(job.count);
    if (!Hand(job)) Do(job);
  }
}

void WalkFinisher::Release(SharedFolder folder) {
  Job job;
  job.folder = std::move(folder);
  Hand(job);  // when the queue is full, the job (and so the folder) ends here
}

bool WalkFinisher::Hand(Job& job) {
  if (!Running()) return false;
  const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
  const std::uint32_t waiting = tail - head_.load(std::memory_order_acquire);
  if (waiting >= kQueue) return false;
  ring_[tail % kQueue] = std::move(job);
  tail_.store(tail + 1, std::memory_order_seq_cst);
  if (waiting + 1 >= kWakeAfter && sleeping_.load(std::memory_order_seq_cst)) {
    sleeping_.store(false, std::memory_order_relaxed);
    bell_.fetch_add(1, std::memory_order_seq_cst);
    bell_.notify_one();
  }
  return true;
}

void WalkFinisher::Do(Job& job) const {
  std::string name;
  for (std::size_t i = 0; i < job.count; ++i) {
    const FolderList::FactsPlace place = job.places[i];
    name.assign(place.Name());
    platform::EntryFacts found;
    const std::optional<WalkFacts> facts = WalkFactsOf(job.folder->StatEntry(name.c_str(), found), found, withTimes_);
    if (facts) FolderList::LearnFacts(place, &*facts);
  }
  job.folder.reset();
}

void WalkFinisher::Work() {
  std::uint32_t head = head_.load(std::memory_order_relaxed);
  for (;;) {
    const std::uint32_t tail = tail_.load(std::memory_order_acquire);
    if (head != tail) {
      Do(ring_[head % kQueue]);
      ring_[head % kQueue].count = 0;
      ++head;
      head_.store(head, std::memory_order_release);
      jobsDone_.fetch_add(1, std::memory_order_relaxed);
      continue;
    }
    // Nothing waits: sleep until rung, unless a job or the end came in
    // meanwhile (the walk reads sleeping_ after publishing a job, this
    // reads the tail after announcing sleep: one of the two sees the other).
    // The end is read before the tail: a walk that ends has published its
    // last job before, so an empty queue then is empty for good.
    const std::uint32_t bell = bell_.load(std::memory_order_seq_cst);
    sleeping_.store(true, std::memory_order_seq_cst);
    const bool ending = stopping_.load(std::memory_order_seq_cst);
    if (tail_.load(std::memory_order_seq_cst) == head) {
      if (ending) return;
      bell_.wait(bell, std::memory_order_seq_cst);
    }
    sleeping_.store(false, std::memory_order_relaxed);
  }
}

void WalkFinisher::Finish() {
  stopping_.store(true, std::memory_order_seq_cst);
  if (!thread_.joinable()) return;
  bell_.fetch_add(1, std::memory_order_seq_cst);
  bell_.notify_one();
  thread_.join();
  ring_.reset();
}

}  // namespace tidewell
