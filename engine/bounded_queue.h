// A bounded first-in first-out queue that hands work from producers to
// consumer threads: the one queue of a drive's walk (engine/walk_io.h) is
// built on it.
//
// Contract:
//   - TryPush never waits. It queues the item (PushResult::Queued), or
//     refuses it, leaving it untouched with the caller, when `capacity`
//     items wait (Full) or the queue is closed (Closed). A producer that
//     must not wait does refused work itself, or drops work it may drop.
//   - Pop waits until an item waits or the queue is closed. It takes the
//     oldest item (true) or, once the queue is closed and empty, returns
//     false. Every item queued before Close is handed out, exactly once, in
//     the order queued: closing drains, it never drops.
//   - TryPop is Pop without the wait: PopResult::Got, Empty, or Drained
//     (closed and empty; nothing will ever come).
//   - Close refuses every later push and wakes every sleeping consumer; a
//     second Close changes nothing.
//   - Waking: TryPush(item, Notify::Now) wakes one sleeping consumer.
//     Notify::Later wakes none: the producer promises a NotifyOne() or a
//     Close() later, and so pays one wake-up (a system call) for several
//     items instead of one each. Until then the items wait, as they would
//     for a busy consumer.
//
// Why no item is lost and no consumer sleeps past its item (the interleaving
// tests in tests/engine/bounded_queue_test.cpp force each order below):
//
//     producer                      mutex_                      consumer
//     TryPush: lock ─ room? store, ++count_ ─ unlock ─┐
//                                                     │  Pop: lock ─ count_ > 0? take ─ unlock
//                                                     │       else closed_? false
//                                                     │       else wait (unlocks and sleeps
//                                                     │            at once; relocks on waking)
//              notify_one (Now, or NotifyOne later) ──┴────►  wakes, tests again from the top
//     Close:   lock ─ closed_ = true ─ unlock ─ notify_all ─► every sleeper wakes, drains, false
//
// Every change a consumer waits for (an item, the close) is made under
// mutex_, and a consumer tests for it and starts sleeping under mutex_ as
// one step (condition_variable::wait releases the mutex only once the thread
// sleeps). So a change comes either before the test, which sees it, or after
// the consumer sleeps, and then the notify that follows the change (at once,
// at the promised NotifyOne, or at Close) reaches a sleeper. A consumer that
// wakes for nothing (a spurious wake-up, or another consumer took the item)
// tests again and sleeps again. Items are kept in a ring of `capacity`
// slots: head_ is the oldest, count_ how many wait; a slot is moved from
// when taken, so what an item owns goes with it to its consumer.
//
// Any number of producers and consumers may use one queue; it allocates only
// when made.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace tidewell {

template <typename T>
class BoundedQueue {
 public:
  enum class PushResult { Queued, Full, Closed };
  enum class PopResult { Got, Empty, Drained };
  enum class Notify { Now, Later };

  // `capacity` must be at least 1.
  explicit BoundedQueue(std::size_t capacity) : slots_(capacity) {}
  BoundedQueue(const BoundedQueue&) = delete;
  BoundedQueue& operator=(const BoundedQueue&) = delete;

  std::size_t Capacity() const { return slots_.size(); }

  // Queues `item` (moved from only when PushResult::Queued).
  PushResult TryPush(T& item, Notify notify = Notify::Now) {
    {
      const std::lock_guard lock(mutex_);
      if (closed_) return PushResult::Closed;
      if (count_ == slots_.size()) return PushResult::Full;
      slots_[(head_ + count_) % slots_.size()] = std::move(item);
      ++count_;
      if (notify == Notify::Later || sleepers_ == 0) return PushResult::Queued;
    }
    wake_.notify_one();
    return PushResult::Queued;
  }

  // Wakes one sleeping consumer when an item waits (after Notify::Later).
  void NotifyOne() {
    {
      const std::lock_guard lock(mutex_);
      if (count_ == 0 || sleepers_ == 0) return;
    }
    wake_.notify_one();
  }

  // Waits for the oldest item; false once closed and empty.
  bool Pop(T& item) {
    std::unique_lock lock(mutex_);
    while (count_ == 0 && !closed_) {
      if (beforeSleep_) beforeSleep_();
      ++sleepers_;
      wake_.wait(lock);
      --sleepers_;
    }
    if (count_ == 0) return false;
    Take(item);
    return true;
  }

  PopResult TryPop(T& item) {
    const std::lock_guard lock(mutex_);
    if (count_ == 0) return closed_ ? PopResult::Drained : PopResult::Empty;
    Take(item);
    return PopResult::Got;
  }

  void Close() {
    {
      const std::lock_guard lock(mutex_);
      closed_ = true;
    }
    wake_.notify_all();
  }

  // How many items wait now (a moment's answer when others use the queue).
  std::size_t Size() const {
    const std::lock_guard lock(mutex_);
    return count_;
  }

  // Tests only: called by a consumer with the queue's lock held, right before
  // it sleeps, so that a test can order the other side's steps after it.
  // Set before any consumer runs.
  void BeforeSleepForTests(std::function<void()> hook) { beforeSleep_ = std::move(hook); }

 private:
  void Take(T& item) {
    item = std::move(slots_[head_]);
    head_ = (head_ + 1) % slots_.size();
    --count_;
  }

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<T> slots_;
  std::size_t head_ = 0;
  std::size_t count_ = 0;
  std::size_t sleepers_ = 0;
  bool closed_ = false;
  std::function<void()> beforeSleep_;
};

}  // namespace tidewell
