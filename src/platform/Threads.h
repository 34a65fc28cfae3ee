// The operating system's number for the calling thread, as log lines show it,
// and the threads that run the engine queries.
#pragma once

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
// threads are kept; one that would be beyond that ends.
class TThreadPool {
 public:
  static constexpr size_t kMaxIdle = 32;

  // The process's pool; it lives until the process ends.
  static TThreadPool& Shared();

  // The job must not raise. Raises std::system_error when no thread could be
  // started for it.
  void Run(std::function<void()> job);

  // Threads started so far, and those waiting for a job (for tests).
  size_t Started() const;
  size_t Idle() const;

 private:
  TThreadPool() = default;
  void Work();

  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  size_t idle_ = 0;
  size_t started_ = 0;
};

}  // namespace orvane
