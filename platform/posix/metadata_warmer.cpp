// Metadata warmer on POSIX: threads that openat2 each offered folder below
// the drive's root descriptor with the walk's own restrictions, read it with
// getdents64 and, for a folder offered for its files, fstatat the names the
// filter keeps, keeping nothing.
#include "platform/metadata_warmer.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/folder_handle_cache.h"
#include "platform/posix/folder_identity.h"
#include "platform/posix/open_beneath.h"
#include "platform/posix/raw_directory_entry.h"
#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {
namespace {

// Opens `relative` ("A/B/C") below `rootFd` as the handle cache does
// (open_beneath.h): no link anywhere on the way, no other mount, nothing
// outside the root. -1 when it cannot, also where the kernel has no openat2:
// then nothing is warmed (Start's probe of the root fails).
int OpenBelowRoot(int rootFd, const char* relative) {
  ScopedFd opened;
  OpenBeneath(Openat2::Present, rootFd, relative, opened);
  return opened.Release();
}


}  // namespace

struct MetadataWarmer::Shared {
  // One queued folder. The slots are reused, their texts keeping their
  // capacity, so that no memory allocated on one thread is freed on another
  // (which would make the threads wait for the allocator's locks).
  struct Slot {
    std::string relative;  // "A/B/C" below the drive's root
    bool allNames = false;
    bool statFiles = false;
  };
  // A bounded first-in first-out queue of slots; guarded by the mutex.
  struct Queue {
    std::vector<Slot> ring = std::vector<Slot>(kQueueCapacity);
    std::size_t head = 0;  // the oldest queued slot
    std::size_t queued = 0;
  };
  enum class Job { List, Stat };

  Shared(VirtualFileSystem& files, char letter, NameFilter keeps, unsigned threadCount)
      : files(files), letter(letter), keeps(std::move(keeps)), threadCount(threadCount) {}

  bool Offer(Queue& queue, std::string_view folder, bool statFiles, bool allNames);
  void Work();
  void Read(const Slot& item, Job job, char* block);
  bool Idle() const { return ahead.queued == 0 && behind.queued == 0; }

  VirtualFileSystem& files;
  const char letter;
  const NameFilter keeps;
  const unsigned threadCount;
  FolderHandleCache* cache = nullptr;  // for IsSpared only, which reads what the walk never changes
  ScopedFd root;
  bool checkSpared = false;
  std::string scratch;  // the walker's: the folder being offered

  std::mutex mutex;
  std::condition_variable wake;
  Queue ahead;   // folders to list, read first
  Queue behind;  // folders to stat the files of
  bool finishing = false;  // guarded by mutex: the threads end once both queues are empty
  std::atomic<bool> stopping{false};
  std::atomic<std::int64_t> listed{0};
  std::atomic<std::int64_t> statted{0};
  std::vector<std::thread> threads;
};

bool MetadataWarmer::Shared::Offer(Queue& queue, std::string_view folder, bool statFiles, bool allNames) {
  if (threads.empty()) return false;
  ParsedPath parsed;
  if (ParseVirtualPath(files.Drives(), folder, parsed) || parsed.letter != letter || parsed.components.empty()) {
    return true;  // nothing the threads could read: taken, and dropped
  }
  scratch.clear();
  for (const std::string_view component : parsed.components) {
    if (!scratch.empty()) scratch.push_back('/');
    scratch.append(component);
  }
  {
    // The walker never waits for a thread that holds the queues.
    const std::unique_lock lock(mutex, std::try_to_lock);
    if (!lock.owns_lock() || queue.queued == queue.ring.size()) return false;
    Slot& slot = queue.ring[(queue.head + queue.queued) % queue.ring.size()];
    slot.relative.assign(scratch);
    slot.allNames = allNames;
    slot.statFiles = statFiles;
    ++queue.queued;
  }
  wake.notify_one();
  return true;
}

void MetadataWarmer::Shared::Work() {
  // Heap memory is aligned well enough for getdents64's records.
  const std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(kDirectoryBlock);
  Slot item;
  for (;;) {
    Job job = Job::List;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [this] { return stopping.load() || finishing || !Idle(); });
      if (stopping.load() || Idle()) return;
      Queue& queue = ahead.queued > 0 ? ahead : behind;
      job = &queue == &ahead ? Job::List : Job::Stat;
      const Slot& slot = queue.ring[queue.head];
      item.relative.assign(slot.relative);
      item.allNames = slot.allNames;
      item.statFiles = slot.statFiles;
      queue.head = (queue.head + 1) % queue.ring.size();
      --queue.queued;
    }
    Read(item, job, block.get());
  }
}

void MetadataWarmer::Shared::Read(const Slot& item, Job job, char* block) {
  const ScopedFd folder(OpenBelowRoot(root.Get(), item.relative.c_str()));
  if (folder.Get() < 0) return;
  if (checkSpared) {
    FolderIdentity identity;
    if (IdentifyFolder(folder.Get(), identity) || cache->IsSpared(identity)) return;
  }
  (job == Job::List ? listed : statted).fetch_add(1, std::memory_order_relaxed);
  struct stat st {};
  while (!stopping.load(std::memory_order_relaxed)) {
    const long got = ReadListing(folder.Get(), block, kDirectoryBlock);
    if (got <= 0 || !item.statFiles) return;
    for (long at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const RawDirectoryEntry*>(block + at);
      at += entry->length;
      if (entry->type == DT_DIR) continue;
      const std::string_view name(entry->name);
      if (!IsDriveEntryName(name) || !(item.allNames || keeps(name))) continue;
      fstatat(folder.Get(), entry->name, &st, AT_SYMLINK_NOFOLLOW);
    }
  }
}

MetadataWarmer::MetadataWarmer(VirtualFileSystem& files, char letter, NameFilter keeps, unsigned threads)
    : shared_(std::make_unique<Shared>(files, letter, std::move(keeps), threads)) {}

MetadataWarmer::~MetadataWarmer() { Stop(); }

bool MetadataWarmer::Start() {
  Shared& shared = *shared_;
  if (!shared.threads.empty() || shared.threadCount == 0) return Running();
  shared.cache = shared.files.cache_.get();
  int rootFd = -1;
  if (shared.cache->Root(shared.letter, rootFd)) return false;
  // A descriptor of its own, so that nothing the walker's cache closes or
  // reopens is shared with the threads.
  shared.root.Reset(fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
  if (shared.root.Get() < 0) return false;
  // The root itself, opened the threads' way: refused where the kernel has
  // no openat2 (or a sandbox forbids it), and then nothing is warmed.
  if (const ScopedFd probe(OpenBelowRoot(shared.root.Get(), ".")); probe.Get() < 0) return false;
  shared.checkSpared = shared.cache->SparedMayLieOn(shared.letter);
  shared.stopping = false;
  shared.finishing = false;
  for (unsigned i = 0; i < shared.threadCount; ++i) shared.threads.emplace_back([&shared] { shared.Work(); });
  return true;
}

bool MetadataWarmer::Running() const { return !shared_->threads.empty(); }

bool MetadataWarmer::Offer(std::string_view folder, Files files, bool allNames) {
  return shared_->Offer(shared_->ahead, folder, files == Files::Statted, allNames);
}

bool MetadataWarmer::OfferStats(std::string_view folder, bool allNames) {
  return shared_->Offer(shared_->behind, folder, true, allNames);
}

void MetadataWarmer::Stop(Queued queued) {
  Shared& shared = *shared_;
  {
    const std::lock_guard lock(shared.mutex);
    if (queued == Queued::Drop) {
      shared.stopping = true;
      shared.ahead.queued = shared.behind.queued = 0;
    } else {
      shared.finishing = true;
    }
  }
  shared.wake.notify_all();
  for (std::thread& thread : shared.threads) thread.join();
  shared.threads.clear();
  shared.finishing = false;
}

std::int64_t MetadataWarmer::FoldersListed() const { return shared_->listed.load(); }
std::int64_t MetadataWarmer::FoldersStatted() const { return shared_->statted.load(); }

}  // namespace tidewell::platform
