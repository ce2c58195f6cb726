#include <gtest/gtest.h>

#include <deque>
#include <thread>
#include <vector>

#include "base/SlimLock.h"

// A bounded queue between two threads, as the writers use the lock: every
// item arrives once and in order, and neither side waits for ever (a lost
// wake-up would hang the test).
TEST(SlimLock, AProducerAndAConsumerHandOverEveryItemInOrderThroughABoundedQueue) {
  SlimMutex m;
  SlimCondition cv;
  std::deque<int> queue;
  bool done = false;
  std::vector<int> received;
  std::thread consumer([&] {
    for (;;) {
      std::unique_lock<SlimMutex> lock(m);
      cv.wait(lock, [&] { return !queue.empty() || done; });
      if (queue.empty()) return;
      received.push_back(queue.front());
      queue.pop_front();
      cv.notify_all();
    }
  });
  for (int i = 0; i < 5000; ++i) {
    std::unique_lock<SlimMutex> lock(m);
    cv.wait(lock, [&] { return queue.size() < 3; });
    queue.push_back(i);
    cv.notify_all();
  }
  {
    std::lock_guard<SlimMutex> lock(m);
    done = true;
    cv.notify_all();
  }
  consumer.join();
  ASSERT_EQ(received.size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(received[i], i);
  // The lock is free again, and taken only once at a time.
  ASSERT_TRUE(m.try_lock());
  EXPECT_FALSE(m.try_lock());
  m.unlock();
}
