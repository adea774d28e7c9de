#include "engine/walk_io.h"

#include <algorithm>
#include <utility>

namespace tidewell {

std::optional<WalkFacts> WalkFactsOf(std::error_code lookUp, const platform::EntryFacts& found, bool withTimes) {
  if (lookUp || (found.attributes & platform::kFolder)) return std::nullopt;
  WalkFacts facts;
  facts.length = found.length;
  if (withTimes) facts.modified = found.modified;
  return facts;
}

WalkIo::Budget WalkIo::Share(std::size_t spare, bool threadsWanted) {
  if (!threadsWanted) return {spare, 0};
  for (const std::size_t length : {kQueue, kShortQueue}) {
    const std::size_t forQueue = length + kAhead + kReaders + 1;
    if (spare >= 2 * forQueue) return {spare - forQueue, forQueue};
  }
  return {spare, 0};
}

WalkIo::WalkIo(WalkFinishing finishing, WalkWarming warming, bool withTimes, std::size_t spare, ThreadStarter start)
    : finishingMode_(finishing),
      withTimes_(withTimes),
      budget_(Share(spare, finishing != WalkFinishing::Never || warming != WalkWarming::Never)),
      start_(std::move(start)) {
  // Before any thread of the walk's shares the descriptor table: growing it
  // later would stall the walk (platform::ReserveFolderHandles).
  platform::ReserveFolderHandles(spare);
}

WalkIo::~WalkIo() { Finish(); }

bool WalkIo::StartThreads(std::size_t count) {
  if (budget_.forQueue == 0) return false;
  if (!queue_) {
    queue_ = std::make_unique<BoundedQueue<Job>>(budget_.QueueLength());
    ahead_ = std::make_unique<std::array<Ahead, kAhead>>();
  }
  while (threads_.size() < count && !startRefused_) {
    try {
      threads_.push_back(start_([this] { Work(); }));
    } catch (const std::system_error&) {
      startRefused_ = true;  // the run goes on with the threads it has, or none
    }
  }
  return !threads_.empty();
}

void WalkIo::Reaching(std::int32_t cursor) {
  if (!finishing_ && finishingMode_ != WalkFinishing::Never &&
      (finishingMode_ == WalkFinishing::Always || cursor >= kStartAt)) {
    // A second thread pays only where a second processor runs it. Asked
    // once: the walk does its own finishing from then on if not.
    finishing_ = (finishingMode_ == WalkFinishing::Always || std::thread::hardware_concurrency() >= 2) &&
                 StartThreads(1);
    if (!finishing_) finishingMode_ = WalkFinishing::Never;
  }
  if (offeredSinceWake_) {
    // A thread that sleeps wakes for the ring: on the jobs that wait, or
    // on an empty job when none does.
    offeredSinceWake_ = false;
    if (queue_->Size() > 0) {
      queue_->NotifyOne();
    } else {
      Job bell;
      bell.kind = Job::Kind::Ahead;
      queue_->TryPush(bell);
    }
    unwoken_ = 0;
    lastWake_ = cursor;
  }
  if (unwoken_ > 0 && cursor - lastWake_ >= kWakeEvery) {
    queue_->NotifyOne();
    unwoken_ = 0;
    lastWake_ = cursor;
  }
}

void WalkIo::HandFinishing(Job& job) {
  if (finishing_) {
    const bool wakeNow = unwoken_ + 1 >= kWakeAfter;
    using Notify = BoundedQueue<Job>::Notify;
    if (queue_->TryPush(job, wakeNow ? Notify::Now : Notify::Later) == BoundedQueue<Job>::PushResult::Queued) {
      unwoken_ = wakeNow ? 0 : unwoken_ + 1;
      return;
    }
  }
  // No thread, or the queue is full: the walk does the job itself.
  if (job.kind == Job::Kind::LearnFacts) Learn(job);
  job.folder.reset();
}

void WalkIo::LearnFacts(const SharedFolder& folder, std::span<const FolderList::FactsPlace> places) {
  while (!places.empty()) {
    Job job;
    job.kind = Job::Kind::LearnFacts;
    job.folder = folder;
    const std::size_t count = std::min(places.size(), kPlacesPerJob);
    std::copy_n(places.begin(), count, job.places.begin());
    job.count = static_cast<std::uint8_t>(count);
    places = places.subspan(count);
    HandFinishing(job);
  }
}

void WalkIo::Close(SharedFolder folder) {
  if (!finishing_) return;  // closed here, as `folder` goes
  Job job;
  job.kind = Job::Kind::Close;
  job.folder = std::move(folder);
  HandFinishing(job);
}

bool WalkIo::StartWarming(WarmReads& reads) {
  if (warm_ != nullptr) return true;
  if (budget_.forQueue == 0 || !reads.reader.Open() || !StartThreads(kReaders)) return false;
  warm_ = &reads;
  return true;
}

bool WalkIo::HandWarming(std::string_view folder, Job::Kind kind, bool statFiles, bool allNames) {
  if (warm_ == nullptr || warmQueued_.load(std::memory_order_relaxed) >= budget_.QueueLength() / 2) return false;
  Job job;
  if (!warm_->reader.Relative(folder, job.relative)) return true;  // nothing a reader could read
  job.kind = kind;
  job.statFiles = statFiles;
  job.allNames = allNames;
  warmQueued_.fetch_add(1, std::memory_order_relaxed);
  if (queue_->TryPush(job) == BoundedQueue<Job>::PushResult::Queued) return true;
  warmQueued_.fetch_sub(1, std::memory_order_relaxed);
  return false;
}

bool WalkIo::ListAhead(std::string_view folder, platform::MetadataWarmer::Files files, bool allNames) {
  return HandWarming(folder, Job::Kind::ListAhead, files == platform::MetadataWarmer::Files::Statted, allNames);
}

bool WalkIo::StatNames(std::string_view folder, bool allNames) {
  return HandWarming(folder, Job::Kind::StatNames, true, allNames);
}

bool WalkIo::OfferAhead(std::int32_t index, const SharedFolder& parent, std::string_view name,
                        const platform::VirtualFileSystem& files) {
  if (!finishing_) return false;
  Ahead& slot = (*ahead_)[static_cast<std::size_t>(index) % kAhead];
  if (slot.state.load(std::memory_order_acquire) != Ahead::kFree) return false;
  if (files_ == nullptr) files_ = &files;  // published to the threads by the store below
  slot.index.store(index, std::memory_order_relaxed);
  slot.parent = parent;
  slot.name.assign(name);
  slot.state.store(Ahead::kOffered, std::memory_order_release);
  offeredSinceWake_ = true;
  return true;
}

bool WalkIo::TakeOpened(std::int32_t index, platform::FolderReader& reader) {
  if (!ahead_) return false;
  Ahead& slot = (*ahead_)[static_cast<std::size_t>(index) % kAhead];
  std::uint8_t state = slot.state.load(std::memory_order_acquire);
  if (state == Ahead::kFree || slot.index.load(std::memory_order_relaxed) != index) return false;
  if (state == Ahead::kOffered &&
      slot.state.compare_exchange_strong(state, Ahead::kFree, std::memory_order_acquire)) {
    slot.parent.reset();  // taken back before any thread began: the walk opens it
    return false;
  }
  while (state == Ahead::kOpening) {
    slot.state.wait(Ahead::kOpening, std::memory_order_acquire);
    state = slot.state.load(std::memory_order_acquire);
  }
  // The walk's spent reader goes to the slot, whose next opening reuses its
  // block: no block is allocated on one thread and freed on another.
  const bool opened = slot.opened;
  if (opened) std::swap(reader, slot.reader);
  slot.parent.reset();
  slot.state.store(Ahead::kFree, std::memory_order_release);
  return opened;
}

bool WalkIo::OpenOneAhead() {
  for (;;) {
    Ahead* farthest = nullptr;
    std::int32_t farthestIndex = 0;
    for (Ahead& slot : *ahead_) {
      if (slot.state.load(std::memory_order_relaxed) != Ahead::kOffered) continue;
      const std::int32_t index = slot.index.load(std::memory_order_relaxed);
      if (farthest == nullptr || index > farthestIndex) {
        farthest = &slot;
        farthestIndex = index;
      }
    }
    if (farthest == nullptr) return false;
    std::uint8_t offered = Ahead::kOffered;
    // Taken back (or taken by another thread) meanwhile: look again.
    if (!farthest->state.compare_exchange_strong(offered, Ahead::kOpening, std::memory_order_acquire)) continue;
    farthest->opened = !files_->OpenAhead(*farthest->parent, farthest->name, farthest->reader);
    if (farthest->opened) openedAhead_.fetch_add(1, std::memory_order_relaxed);
    farthest->state.store(Ahead::kOpened, std::memory_order_release);
    farthest->state.notify_one();
    return true;
  }
}

void WalkIo::Learn(Job& job) const {
  std::string name;
  for (std::size_t i = 0; i < job.count; ++i) {
    const FolderList::FactsPlace place = job.places[i];
    name.assign(place.Name());
    platform::EntryFacts found;
    const std::optional<WalkFacts> facts = WalkFactsOf(job.folder->StatEntry(name.c_str(), found), found, withTimes_);
    if (facts) FolderList::LearnFacts(place, &*facts);
  }
}

void WalkIo::Do(Job& job) {
  switch (job.kind) {
    case Job::Kind::LearnFacts:
      Learn(job);
      [[fallthrough]];
    case Job::Kind::Close:
      job.folder.reset();
      jobsDone_.fetch_add(1, std::memory_order_relaxed);
      return;
    case Job::Kind::ListAhead:
    case Job::Kind::StatNames:
      warmQueued_.fetch_sub(1, std::memory_order_relaxed);
      if (dropWarming_.load(std::memory_order_relaxed)) return;
      using Files = platform::MetadataWarmer::Files;
      if (warm_->reader.Read(job.relative, job.statFiles ? Files::Statted : Files::Left, job.allNames)) {
        (job.kind == Job::Kind::ListAhead ? warm_->listed : warm_->statted).fetch_add(1, std::memory_order_relaxed);
      }
      return;
    case Job::Kind::Ahead:
      return;
  }
}

// The queue's jobs first: a full queue hands its jobs back to the walk. The
// ring when the queue is empty, one folder at a time. A thread sleeps only
// when both are.
void WalkIo::Work() {
  Job job;
  for (;;) {
    switch (queue_->TryPop(job)) {
      case BoundedQueue<Job>::PopResult::Got:
        Do(job);
        continue;
      case BoundedQueue<Job>::PopResult::Drained:
        return;
      case BoundedQueue<Job>::PopResult::Empty:
        break;
    }
    if (!dropWarming_.load(std::memory_order_relaxed) && OpenOneAhead()) continue;
    if (!queue_->Pop(job)) return;
    Do(job);
  }
}

void WalkIo::Finish() {
  dropWarming_.store(true, std::memory_order_relaxed);
  if (queue_) queue_->Close();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  finishing_ = false;
}

}  // namespace tidewell
