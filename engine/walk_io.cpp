#include "engine/walk_io.h"

#include <algorithm>

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
    const std::size_t forQueue = length + kReaders + 1;
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
  if (!queue_) queue_ = std::make_unique<BoundedQueue<Job>>(budget_.QueueLength());
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
  }
}

void WalkIo::Work() {
  Job job;
  while (queue_->Pop(job)) Do(job);
}

void WalkIo::Finish() {
  dropWarming_.store(true, std::memory_order_relaxed);
  if (queue_) queue_->Close();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  finishing_ = false;
}

}  // namespace tidewell
