// Metadata warmer on POSIX: threads that openat2 each offered folder below
// the drive's root descriptor with the walk's own restrictions, read it with
// getdents64 and fstatat the names the filter keeps, keeping nothing.
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
#include "platform/posix/scoped_fd.h"

namespace tidewell::platform {
namespace {

// Opens `relative` ("A/B/C") below `rootFd` as the handle cache's openat2
// does: no link anywhere on the way, no other mount, nothing outside the
// root. -1 when it cannot.
int OpenBelowRoot(int rootFd, const char* relative) {
  open_how how{};
  how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
  return static_cast<int>(syscall(SYS_openat2, rootFd, relative, &how, sizeof how));
}

// The kernel's directory entry as getdents64 returns it.
struct RawEntry {
  std::uint64_t inode;
  std::int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

constexpr std::size_t kListingBlock = 32 * 1024;

}  // namespace

struct MetadataWarmer::Shared {
  struct Item {
    std::int32_t position = 0;
    std::string relative;  // "A/B/C" below the drive's root
    bool allNames = false;
  };

  Shared(VirtualFileSystem& files, char letter, NameFilter keeps, unsigned threadCount)
      : files(files), letter(letter), keeps(std::move(keeps)), threadCount(threadCount) {}

  void Work();
  void Warm(const Item& item, char* block);

  VirtualFileSystem& files;
  const char letter;
  const NameFilter keeps;
  const unsigned threadCount;
  FolderHandleCache* cache = nullptr;  // for IsSpared only, which reads what the walk never changes
  ScopedFd root;
  bool checkSpared = false;

  mutable std::mutex mutex;
  std::condition_variable wake;
  std::deque<Item> queue;  // guarded by mutex
  bool finishing = false;  // guarded by mutex: the threads end once the queue is empty
  std::atomic<bool> stopping{false};
  std::atomic<std::int32_t> reached{0};
  std::atomic<std::int64_t> warmed{0};
  std::vector<std::thread> threads;
};

void MetadataWarmer::Shared::Work() {
  // Heap memory is aligned well enough for getdents64's records.
  const std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(kListingBlock);
  for (;;) {
    Item item;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [this] { return stopping.load() || finishing || !queue.empty(); });
      if (stopping.load() || queue.empty()) return;
      item = std::move(queue.front());
      queue.pop_front();
    }
    if (item.position <= reached.load(std::memory_order_relaxed)) continue;  // the walker got there first
    Warm(item, block.get());
  }
}

void MetadataWarmer::Shared::Warm(const Item& item, char* block) {
  const ScopedFd folder(OpenBelowRoot(root.Get(), item.relative.c_str()));
  if (folder.Get() < 0) return;
  if (checkSpared) {
    FolderIdentity identity;
    if (IdentifyFolder(folder.Get(), identity) || cache->IsSpared(identity)) return;
  }
  warmed.fetch_add(1, std::memory_order_relaxed);
  struct stat st {};
  while (!stopping.load(std::memory_order_relaxed)) {
    const long got = syscall(SYS_getdents64, folder.Get(), block, kListingBlock);
    if (got <= 0) return;
    for (long at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const RawEntry*>(block + at);
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

bool MetadataWarmer::HasRoom() const {
  const std::lock_guard lock(shared_->mutex);
  return shared_->queue.size() < kQueueCapacity;
}

bool MetadataWarmer::Offer(std::int32_t position, std::string_view folder, bool allNames) {
  Shared& shared = *shared_;
  if (!Running()) return false;
  ParsedPath parsed;
  if (ParseVirtualPath(shared.files.Drives(), folder, parsed) || parsed.letter != shared.letter ||
      parsed.components.empty()) {
    return false;
  }
  Shared::Item item{position, {}, allNames};
  for (const std::string_view component : parsed.components) {
    if (!item.relative.empty()) item.relative.push_back('/');
    item.relative.append(component);
  }
  {
    const std::lock_guard lock(shared.mutex);
    if (shared.queue.size() >= kQueueCapacity) return false;
    shared.queue.push_back(std::move(item));
  }
  shared.wake.notify_one();
  return true;
}

void MetadataWarmer::Reached(std::int32_t position) {
  shared_->reached.store(position, std::memory_order_relaxed);
}

void MetadataWarmer::Stop(Queued queued) {
  Shared& shared = *shared_;
  {
    const std::lock_guard lock(shared.mutex);
    if (queued == Queued::Drop) {
      shared.stopping = true;
      shared.queue.clear();
    } else {
      shared.finishing = true;
    }
  }
  shared.wake.notify_all();
  for (std::thread& thread : shared.threads) thread.join();
  shared.threads.clear();
  shared.finishing = false;
}

std::int64_t MetadataWarmer::FoldersWarmed() const { return shared_->warmed.load(); }

}  // namespace tidewell::platform
