#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/Threads.h"

namespace orvane {
namespace {

// Waits up to five seconds for `done`.
template <typename T>
bool Eventually(T done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(ThreadPool, JobsGivenAtOnceRunAtOnce) {
  // Each job waits for all the others: one job queued behind another would
  // never see them all arrive.
  constexpr int kJobs = 20;
  std::mutex lock;
  std::condition_variable changed;
  int arrived = 0, met = 0, finished = 0;
  for (int i = 0; i < kJobs; ++i)
    TThreadPool::Shared().Run([&] {
      std::unique_lock guard(lock);
      ++arrived;
      changed.notify_all();
      if (changed.wait_for(guard, std::chrono::seconds(5), [&] { return arrived == kJobs; })) ++met;
      ++finished;
      changed.notify_all();
    });
  std::unique_lock guard(lock);
  ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(10), [&] { return finished == kJobs; }));
  EXPECT_EQ(met, kJobs);
}

TEST(ThreadPool, AnIdleThreadTakesTheNextJob) {
  TThreadPool& pool = TThreadPool::Shared();
  std::atomic<int> runs{0};
  std::atomic<int64_t> firstThread{0}, lastThread{0};
  pool.Run([&] {
    firstThread = CurrentThreadId();
    ++runs;
  });
  ASSERT_TRUE(Eventually([&] { return runs == 1 && pool.Idle() > 0; }));
  const size_t started = pool.Started();
  for (int i = 0; i < 10; ++i) {
    pool.Run([&] {
      lastThread = CurrentThreadId();
      ++runs;
    });
    ASSERT_TRUE(Eventually([&] { return runs == i + 2 && pool.Idle() > 0; }));
  }
  EXPECT_EQ(pool.Started(), started);  // one after the other needs no new thread
}

TEST(ThreadPool, AThreadLeftIdleEndsAndTheNextJobStartsAnother) {
  // Never destroyed: its threads use it to the end.
  static TThreadPool* const pool = new TThreadPool(std::chrono::milliseconds(50));
  std::atomic<int> runs{0};
  pool->Run([&] { ++runs; });
  ASSERT_TRUE(Eventually([&] { return runs == 1 && pool->Retired() == 1; }));
  EXPECT_EQ(pool->Idle(), 0u);
  pool->Run([&] { ++runs; });
  ASSERT_TRUE(Eventually([&] { return runs == 2; }));
  EXPECT_EQ(pool->Started(), 2u);
}

TEST(ThreadCpu, CountsWorkButNotWaiting) {
  const double start = ThreadCpuMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const double slept = ThreadCpuMs() - start;
  EXPECT_GE(slept, 0);
  EXPECT_LT(slept, 30);
  // Busy until the thread has had 20 ms of CPU, which it does within seconds.
  volatile uint64_t sink = 0;
  EXPECT_TRUE(Eventually([&] {
    for (int i = 0; i < 100000; ++i) sink = sink + static_cast<uint64_t>(i);
    return ThreadCpuMs() - start >= slept + 20;
  }));
}

}  // namespace
}  // namespace orvane
