// The walk's bounded queue under forced orders, never timing: every
// interleaving of a producer's pushes and close with a consumer's pops, run
// step by step on one thread; and, with real threads, the orders around a
// consumer that sleeps (a push, a deferred wake-up, a close reaching it),
// each forced by the hook that runs just before the consumer sleeps.
#include "engine/bounded_queue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using Queue = BoundedQueue<int>;

// Every way of merging `producer` steps with `consumer` steps, keeping each
// side's own order: calls `run` with the order as a list of sides (true: the
// producer's next step).
void ForEachInterleaving(int producer, int consumer, std::vector<bool>& order,
                         const std::function<void(const std::vector<bool>&)>& run) {
  if (producer == 0 && consumer == 0) {
    run(order);
    return;
  }
  for (const bool side : {true, false}) {
    if ((side ? producer : consumer) == 0) continue;
    order.push_back(side);
    ForEachInterleaving(producer - (side ? 1 : 0), consumer - (side ? 0 : 1), order, run);
    order.pop_back();
  }
}

// A producer pushing 1, 2, 3 and closing, a consumer trying four pops, on a
// queue of two: in every one of the 70 orders, a push is refused exactly
// when two items wait (Full) or after the close (Closed); pops hand out the
// queued items once each, oldest first; what the consumer did not get is
// still drained after the close; and nothing comes after that.
TEST(BoundedQueueTest, EveryInterleavingOfPushesPopsAndCloseKeepsOrderAndLosesNothing) {
  int orders = 0;
  std::vector<bool> order;
  ForEachInterleaving(4, 4, order, [&](const std::vector<bool>& steps) {
    ++orders;
    Queue queue(2);
    int nextPush = 1;
    bool closed = false;
    std::size_t waiting = 0;  // what the steps so far leave queued
    std::vector<int> accepted;
    std::vector<int> taken;
    for (const bool producerStep : steps) {
      if (producerStep && nextPush <= 3) {
        int item = nextPush++;
        const Queue::PushResult result = queue.TryPush(item);
        const Queue::PushResult expected = closed         ? Queue::PushResult::Closed
                                           : waiting == 2 ? Queue::PushResult::Full
                                                          : Queue::PushResult::Queued;
        ASSERT_EQ(result, expected) << "push of " << nextPush - 1 << ", " << orders;
        if (result == Queue::PushResult::Queued) {
          accepted.push_back(nextPush - 1);
          ++waiting;
        }
      } else if (producerStep) {
        queue.Close();
        closed = true;
      } else {
        int item = 0;
        const Queue::PopResult result = queue.TryPop(item);
        if (waiting > 0) {
          ASSERT_EQ(result, Queue::PopResult::Got);
          taken.push_back(item);
          --waiting;
        } else {
          ASSERT_EQ(result, closed ? Queue::PopResult::Drained : Queue::PopResult::Empty);
        }
      }
      EXPECT_EQ(queue.Size(), waiting);
    }
    int item = 0;
    while (queue.TryPop(item) == Queue::PopResult::Got) taken.push_back(item);
    EXPECT_EQ(queue.TryPop(item), Queue::PopResult::Drained);
    EXPECT_FALSE(queue.Pop(item)) << "a closed, empty queue hands out nothing and does not wait";
    EXPECT_EQ(taken, accepted) << "order number " << orders;
  });
  EXPECT_EQ(orders, 70);
}

// Runs `body` on a thread and waits for it, bounded so that a consumer that
// is never woken fails the test instead of hanging it. Such a consumer
// cannot be joined, and the queue it sleeps on is about to go: the suite
// ends there, failed.
class Consumer {
 public:
  explicit Consumer(std::function<void()> body) : done_(std::async(std::launch::async, std::move(body))) {}
  ~Consumer() {
    if (Ends()) return;
    std::fputs("a consumer was never woken: the suite cannot go on\n", stderr);
    std::_Exit(1);
  }
  Consumer(const Consumer&) = delete;
  Consumer& operator=(const Consumer&) = delete;
  bool Ends() { return done_.wait_for(std::chrono::seconds(30)) == std::future_status::ready; }

 private:
  std::future<void> done_;
};

// How many times consumers went to sleep, raised by the queue's hook; a
// test waits for a count, bounded, before its next step.
class Sleeps {
 public:
  void Raise() {
    {
      const std::lock_guard lock(mutex_);
      ++count_;
    }
    changed_.notify_all();
  }
  bool Reach(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

// A consumer sleeping on an empty queue gets an item pushed after it fell
// asleep, one pushed for later once the producer wakes it, and ends when the
// queue closes.
TEST(BoundedQueueTest, ASleepingConsumerIsWokenByAPushByALaterWakeUpAndByTheClose) {
  Queue queue(4);
  Sleeps sleeps;
  queue.BeforeSleepForTests([&] { sleeps.Raise(); });
  std::vector<int> got;
  Consumer consumer([&] {
    int item = 0;
    while (queue.Pop(item)) got.push_back(item);
  });

  ASSERT_TRUE(sleeps.Reach(1));
  int item = 7;
  ASSERT_EQ(queue.TryPush(item), Queue::PushResult::Queued);  // wakes it at once
  EXPECT_TRUE(sleeps.Reach(2)) << "not woken by a push";  // it took the item and sleeps again
  item = 8;
  ASSERT_EQ(queue.TryPush(item, Queue::Notify::Later), Queue::PushResult::Queued);
  queue.NotifyOne();  // the producer keeps its promise
  EXPECT_TRUE(sleeps.Reach(3)) << "not woken by NotifyOne";
  queue.Close();
  ASSERT_TRUE(consumer.Ends()) << "not woken by the close";
  EXPECT_EQ(got, (std::vector<int>{7, 8}));
}

// Items queued for later, with every consumer asleep, are handed out at the
// close: closing drains and wakes every sleeper, each of which ends.
TEST(BoundedQueueTest, CloseWakesEverySleeperAndDrainsWhatWasQueuedForLater) {
  Queue queue(8);
  Sleeps sleeps;
  queue.BeforeSleepForTests([&] { sleeps.Raise(); });
  std::atomic<int> sum{0};
  std::atomic<int> count{0};
  const auto consume = [&] {
    int item = 0;
    while (queue.Pop(item)) {
      sum += item;
      ++count;
    }
  };
  Consumer first(consume);
  Consumer second(consume);
  ASSERT_TRUE(sleeps.Reach(2));
  for (int i = 1; i <= 5; ++i) {
    int item = i;
    ASSERT_EQ(queue.TryPush(item, Queue::Notify::Later), Queue::PushResult::Queued);
  }
  queue.Close();
  ASSERT_TRUE(first.Ends());
  ASSERT_TRUE(second.Ends());
  EXPECT_EQ(count.load(), 5);
  EXPECT_EQ(sum.load(), 15);
  int item = 6;
  EXPECT_EQ(queue.TryPush(item), Queue::PushResult::Closed);
}

// A consumer asleep on a full queue's edge: the producer is refused until a
// pop makes room, and the item it then pushes is the next one out.
TEST(BoundedQueueTest, AFullQueueTakesAgainOnceAPopMadeRoom) {
  Queue queue(1);
  int item = 1;
  ASSERT_EQ(queue.TryPush(item), Queue::PushResult::Queued);
  item = 2;
  EXPECT_EQ(queue.TryPush(item), Queue::PushResult::Full);
  EXPECT_EQ(item, 2);
  int out = 0;
  ASSERT_TRUE(queue.Pop(out));
  EXPECT_EQ(out, 1);
  ASSERT_EQ(queue.TryPush(item), Queue::PushResult::Queued);
  ASSERT_TRUE(queue.Pop(out));
  EXPECT_EQ(out, 2);
  EXPECT_EQ(queue.TryPop(out), Queue::PopResult::Empty);
}

// What the walk does with it: a producer that never waits and does refused
// work itself, three consumers, items that own memory. Every item is done
// exactly once, by one side or the other, and what an item owns goes with it.
TEST(BoundedQueueTest, AProducerThatDoesRefusedWorkItselfLosesNoneAcrossThreads) {
  BoundedQueue<std::unique_ptr<int>> queue(16);
  constexpr int kItems = 20000;
  std::vector<std::atomic<int>> done(kItems);
  std::vector<std::thread> consumers;
  for (int c = 0; c < 3; ++c) {
    consumers.emplace_back([&] {
      std::unique_ptr<int> item;
      while (queue.Pop(item)) ++done[static_cast<std::size_t>(*item)];
    });
  }
  int byProducer = 0;
  for (int i = 0; i < kItems; ++i) {
    auto item = std::make_unique<int>(i);
    const auto notify = i % 8 == 7 ? decltype(queue)::Notify::Now : decltype(queue)::Notify::Later;
    if (queue.TryPush(item, notify) != decltype(queue)::PushResult::Queued) {
      ASSERT_NE(item, nullptr) << "a refused item was taken anyway";
      ++done[static_cast<std::size_t>(*item)];
      ++byProducer;
    }
  }
  queue.Close();
  for (std::thread& consumer : consumers) consumer.join();
  for (int i = 0; i < kItems; ++i) ASSERT_EQ(done[static_cast<std::size_t>(i)].load(), 1) << i;
  EXPECT_LT(byProducer, kItems) << "the consumers took nothing";
}

}  // namespace
}  // namespace tidewell
