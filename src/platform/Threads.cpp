#include "platform/Threads.h"

#include <thread>
#include <unistd.h>

namespace orvane {

int64_t CurrentThreadId() { return static_cast<int64_t>(gettid()); }

TThreadPool& TThreadPool::Shared() {
  // Never destroyed: its threads may still wait for work when the process
  // ends, and must not find the pool gone.
  static TThreadPool* const pool = new TThreadPool(kIdleTime);
  return *pool;
}

void TThreadPool::Run(std::function<void()> job) {
  std::unique_lock guard(lock_);
  jobs_.push_back(std::move(job));
  // Every queued job needs a thread of its own: one idle thread per job.
  if (jobs_.size() <= idle_) {
    wake_.notify_one();
    return;
  }
  try {
    std::thread([this] { Work(); }).detach();
    ++started_;
  } catch (...) {
    jobs_.pop_back();
    throw;
  }
}

size_t TThreadPool::Started() const {
  std::lock_guard guard(lock_);
  return started_;
}

size_t TThreadPool::Idle() const {
  std::lock_guard guard(lock_);
  return idle_;
}

size_t TThreadPool::Retired() const {
  std::lock_guard guard(lock_);
  return retired_;
}

void TThreadPool::Work() {
  std::unique_lock guard(lock_);
  for (;;) {
    if (jobs_.empty()) {
      if (idle_ >= kMaxIdle) return;
      ++idle_;
      const bool woken = wake_.wait_for(guard, idleTime_, [this] { return !jobs_.empty(); });
      --idle_;
      if (!woken) {
        ++retired_;
        return;
      }
    }
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    guard.unlock();
    job();
    job = nullptr;  // whatever the job holds goes before the thread waits again
    guard.lock();
  }
}

}  // namespace orvane
