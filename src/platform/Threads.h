// The operating system's number for the calling thread, as log lines show it,
// and the threads that run the engine queries.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace orvane {

int64_t CurrentThreadId();

// Runs jobs on threads that stay for the next job once done, so that what a
// thread sets up (its stack, its regex scratch space, its allocator arena) is
// paid once instead of for every page fetched. A job never waits for another
// one to end: with no thread idle, one more is started. Up to kMaxIdle idle
// threads are kept; one that would be beyond that ends, and so does one left
// idle for kIdleTime, so that a server nobody uses gives back what its
// threads hold.
class TThreadPool {
 public:
  static constexpr size_t kMaxIdle = 32;
  static constexpr std::chrono::milliseconds kIdleTime{10000};

  // The process's pool; it lives until the process ends.
  static TThreadPool& Shared();
  // A pool of its own (for tests); its threads use it, so it must never be
  // destroyed.
  explicit TThreadPool(std::chrono::milliseconds idleTime) : idleTime_(idleTime) {}
  TThreadPool(const TThreadPool&) = delete;
  TThreadPool& operator=(const TThreadPool&) = delete;

  // The job must not raise. Raises std::system_error when no thread could be
  // started for it.
  void Run(std::function<void()> job);

  // Threads started so far, those waiting for a job, and those that ended
  // after waiting too long.
  size_t Started() const;
  size_t Idle() const;
  size_t Retired() const;

 private:
  void Work();

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  size_t idle_ = 0;
  size_t started_ = 0;
  size_t retired_ = 0;
  const std::chrono::milliseconds idleTime_;
};

}  // namespace orvane
