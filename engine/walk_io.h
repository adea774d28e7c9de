// The one I/O queue of a drive's walk: the system calls a walk (ListFolders)
// can leave to other threads, as typed jobs on one bounded queue
// (bounded_queue.h) served by one set of threads, within one budget of open
// folders for the whole walk.
//
// Jobs:
//   - LearnFacts: look up files of a folder the walk has listed, in that same
//     open folder, and write their facts to their places in the walk's
//     FolderList (a test run's lengths and times, WalkFacts). Never dropped:
//     when the queue is full the walk does it itself, at once.
//   - Close: let go of the walk's share of a listed folder, which is closed
//     when the last holder lets go. When the queue is full the walk closes it.
//   - ListAhead: list (and perhaps stat the files of) a folder the walk has
//     found but not reached yet, throwing the answers away, so that the
//     walk's own calls find the kernel's caches warm (metadata_warmer.h).
//   - StatNames: stat the kept names of a folder the walk has listed, for the
//     rule stage, the same way.
//   The first two finish the walk's own work (WalkFinishing); the last two
//   only warm caches (WalkWarming, started by the policy in walk_warmer.h)
//   and are dropped, not done, once the walk ends.
//
// Opening ahead: while finishing runs, the walk offers the next kAhead
// folders it will open (OfferAhead) in a ring of slots beside the queue. A
// thread takes the nearest offered folder between two queued jobs, opens it
// from its held parent and reads the start of its listing
// (VirtualFileSystem::OpenAhead), so that the walk finds most folders open
// and read when it reaches them (TakeOpened) and spends its time on names,
// not system calls. A slot is offered, then opening (a thread's), then
// opened; the walk takes back an offer no thread has begun, waits only for
// one a thread is opening, and opens a folder itself whenever the slot holds
// no answer for it, or an error (OpenSubfolder then decides, as without
// threads). So the walk opens and lists the same folders, in the same
// order, whichever thread opened them.
//
// Threads: none until a kind of job wants them. Finishing starts one thread
// once the walk reaches folder kStartAt (WhenLarge, on a machine with two
// processors or more) or at once (Always); warming grows the set to
// kReaders. A thread that cannot be started (std::system_error) is simply
// not there: with none, every job is done by the walk itself, exactly as
// with the speed-ups off; the run never ends over it. What a walk lists and
// learns is the same however many threads there are and whichever job runs
// where.
//
// Budget: what the process can spare for a walk's open folders
// (platform::FolderHandlesToSpare) is shared out here and only here
// (Share): the queue's part is its length (every waiting job holds at most
// one folder) + kAhead (each slot of the ring holds one opened folder) +
// kReaders (each thread holds one more while it works) + 1 (the readers' own
// root); the walk's held parents (OpenParents) get the rest. The queue is kQueue long where that part is at most half the budget,
// else kShortQueue long where that one is; with less, no thread runs. A long
// queue lets the thread catch up after a folder full of files to look up
// instead of handing the walk its jobs (with every category on, a queue of
// 256 left the walk 6,000 of a 10,000-folder drive's 41,000 look-ups). The
// process's descriptor table is grown to hold the whole budget before any
// thread starts (platform::ReserveFolderHandles).
//
// Waking: a thread sleeping on an empty queue is woken by a warming job at
// once, and for finishing jobs once kWakeAfter of them wait or the walk has
// gone kWakeEvery folders further, whichever comes first (one wake-up for
// several jobs spares the walk a system call per job). Finish() (the
// destructor at the latest) closes the queue, lets the threads do every
// finishing job left and drop the warming ones, and joins them: a walk's
// list is complete when the walk returns, however it ends.
//
// Used by the walk's thread only (besides its own threads).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/bounded_queue.h"
#include "engine/folder_list.h"
#include "engine/run_context.h"
#include "platform/metadata_warmer.h"
#include "platform/virtual_file_system.h"

namespace tidewell {

// What one look-up of a listed file tells the walk: the facts of a file or a
// link (the time only `withTimes`), or none when the look-up failed or found
// a folder (a name that changed since the listing is left for whoever uses
// it to find out).
std::optional<WalkFacts> WalkFactsOf(std::error_code lookUp, const platform::EntryFacts& found, bool withTimes);

// The reads a walk's warming has done, counted on the threads (tests and the
// bench's curiosity; nothing decides on them).
struct WarmReads {
  explicit WarmReads(platform::MetadataWarmer& reader) : reader(reader) {}
  platform::MetadataWarmer& reader;
  std::atomic<std::int64_t> listed{0};
  std::atomic<std::int64_t> statted{0};
};

class WalkIo {
 public:
  using SharedFolder = std::shared_ptr<platform::FolderHandle>;
  // Starts a thread running `body`; throws std::system_error when it cannot,
  // as std::thread does (tests inject failures).
  using ThreadStarter = std::function<std::thread(std::function<void()> body)>;
  static std::thread StartThread(std::function<void()> body) { return std::thread(std::move(body)); }

  static constexpr std::size_t kQueue = 1024;
  static constexpr std::size_t kShortQueue = 256;
  static constexpr unsigned kReaders = 4;
  static constexpr std::int32_t kStartAt = 64;
  static constexpr std::size_t kWakeAfter = 128;
  static constexpr std::int32_t kWakeEvery = 64;
  static constexpr std::int32_t kAhead = 16;

  // How a walk's open folders are shared out of `spare`, when threads may be
  // wanted at all.
  struct Budget {
    std::size_t forParents = 0;  // held by the walk itself (OpenParents)
    std::size_t forQueue = 0;    // held by jobs and threads; 0: no thread
    // How many jobs the queue holds.
    std::size_t QueueLength() const { return forQueue == 0 ? 0 : forQueue - kAhead - kReaders - 1; }
  };
  static Budget Share(std::size_t spare, bool threadsWanted);

  // `withTimes`: whether looked-up facts hold the files' times. `spare`:
  // what the process can spare for the walk's open folders.
  WalkIo(WalkFinishing finishing, WalkWarming warming, bool withTimes, std::size_t spare,
         ThreadStarter start = StartThread);
  ~WalkIo();
  WalkIo(const WalkIo&) = delete;
  WalkIo& operator=(const WalkIo&) = delete;

  const Budget& Folders() const { return budget_; }

  // The walk is about to open folder `cursor` (1 for its first): starts
  // finishing once the walk has gone far enough, and wakes a thread for
  // finishing jobs that have waited kWakeEvery folders.
  void Reaching(std::int32_t cursor);
  // Whether LearnFacts and Close go to the threads (else the walk does them).
  bool Finishing() const { return finishing_; }
  std::size_t Threads() const { return threads_.size(); }

  // Looks up the files at `places` in `folder` and writes their facts there.
  void LearnFacts(const SharedFolder& folder, std::span<const FolderList::FactsPlace> places);
  // Lets go of the walk's share of `folder`.
  void Close(SharedFolder folder);

  // Starts warming with `reads` (which must outlive this object): opens its
  // reader and grows the threads to kReaders. False, and nothing warmed,
  // when the reader cannot open, threads are not allowed, or none starts.
  bool StartWarming(WarmReads& reads);
  bool Warming() const { return warm_ != nullptr; }
  // Queues `folder` (a virtual folder path of the walk's drive) to be listed
  // ahead, its files statted too with Files::Statted. False, and nothing
  // queued, when warming has not started or half the queue already holds
  // warming jobs; true for a folder no reader could read (another drive's,
  // the root), which is taken and dropped.
  bool ListAhead(std::string_view folder, platform::MetadataWarmer::Files files, bool allNames);
  // The same for a listed folder whose files are to be statted.
  bool StatNames(std::string_view folder, bool allNames);

  // Offers folder `index`, to be opened ahead from `parent` (which
  // `files.OpensAhead` allowed) as `name`; `files` must outlive this
  // object. False, and nothing offered, when finishing has not started or
  // the folder's slot still holds an earlier one.
  bool OfferAhead(std::int32_t index, const SharedFolder& parent, std::string_view name,
                  const platform::VirtualFileSystem& files);
  // The walk reaches folder `index`: true with `reader` open (and read
  // ahead) when a thread opened it, the reader given (its folder released)
  // kept for a later opening; false when the walk must open it, having
  // taken back an offer that no thread had begun.
  bool TakeOpened(std::int32_t index, platform::FolderReader& reader);
  // Folders a thread opened ahead (tests).
  std::int64_t OpenedAhead() const { return openedAhead_.load(std::memory_order_relaxed); }

  // Closes the queue, lets the threads do what must be done, and joins them.
  void Finish();

  // Finishing jobs the threads did (tests).
  std::int64_t JobsDone() const { return jobsDone_.load(std::memory_order_relaxed); }

 private:
  static constexpr std::size_t kPlacesPerJob = 6;

  // One folder offered to be opened ahead. `state` hands the slot over:
  // the walk fills it while kFree and publishes kOffered; a thread claims
  // kOffered -> kOpening, fills `reader` and `opened`, and publishes
  // kOpened; the walk reads them and frees the slot. `index` is read before
  // the claim, so it is atomic; the rest belongs to one side at a time.
  struct Ahead {
    static constexpr std::uint8_t kFree = 0, kOffered = 1, kOpening = 2, kOpened = 3;
    std::atomic<std::uint8_t> state{kFree};
    std::atomic<std::int32_t> index{0};
    SharedFolder parent;
    std::string name;
    platform::FolderReader reader;
    bool opened = false;
  };

  struct Job {
    // Ahead: no work of its own; it wakes a sleeping thread for the ring.
    enum class Kind : std::uint8_t { LearnFacts, Close, ListAhead, StatNames, Ahead };
    Kind kind = Kind::Close;
    bool statFiles = false;
    bool allNames = false;
    std::uint8_t count = 0;
    SharedFolder folder;
    std::array<FolderList::FactsPlace, kPlacesPerJob> places{};
    std::string relative;  // "A/B/C" below the drive's root, for the warming jobs
  };

  // Grows the threads to `count`; false when none runs.
  bool StartThreads(std::size_t count);
  void HandFinishing(Job& job);
  bool HandWarming(std::string_view folder, Job::Kind kind, bool statFiles, bool allNames);
  void Do(Job& job);
  void Learn(Job& job) const;
  // Opens the nearest offered folder of the ring; false when none is.
  bool OpenOneAhead();
  void Work();

  WalkFinishing finishingMode_;
  bool withTimes_;
  Budget budget_;
  ThreadStarter start_;
  std::unique_ptr<BoundedQueue<Job>> queue_;  // made with the first thread
  bool finishing_ = false;
  bool startRefused_ = false;   // a thread failed to start: no more tries
  std::size_t unwoken_ = 0;     // finishing jobs queued since the last wake-up
  std::int32_t lastWake_ = 0;   // the folder of the last wake-up
  WarmReads* warm_ = nullptr;
  std::atomic<std::size_t> warmQueued_{0};
  std::atomic<bool> dropWarming_{false};
  std::atomic<std::int64_t> jobsDone_{0};
  std::unique_ptr<std::array<Ahead, kAhead>> ahead_;  // made with the first thread
  const platform::VirtualFileSystem* files_ = nullptr;
  bool offeredSinceWake_ = false;
  std::atomic<std::int64_t> openedAhead_{0};
  std::vector<std::thread> threads_;
};

}  // namespace tidewell
