#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Memory.h"

namespace orvane {
namespace {

// Sets (or, given none, unsets) an environment variable for one scope, then
// puts back what was there.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~TScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AllocatorArenas, FollowsTheEnvironmentOrTheProcessors) {
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  {
    TScopedEnv none("MALLOC_ARENA_MAX", nullptr);
    EXPECT_EQ(AllocatorArenas(), processors > 2 ? processors / 2 : 1u);
  }
  {
    TScopedEnv three("MALLOC_ARENA_MAX", "3");
    EXPECT_EQ(AllocatorArenas(), 3u);
  }
  // The allocator takes 0 and what is no number as unset: its own eight per
  // processor, which is also as many as a turn can ever be worth.
  for (const char* own : {"0", "many", "-2", "100000000000"}) {
    TScopedEnv set("MALLOC_ARENA_MAX", own);
    EXPECT_EQ(AllocatorArenas(), 8 * processors) << own;
  }
}

TEST(ArenaTurn, NoMoreHoldersAtOnceThanArenasAndAThrowGivesTheTurnBack) {
  const unsigned arenas = AllocatorArenas();
  const unsigned threads = arenas + 4;
  std::atomic<unsigned> holding{0}, most{0}, through{0};
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < threads; ++i) {
    workers.emplace_back([&, i] {
      // Every other thread leaves its turn by an exception: a turn it kept
      // would leave the threads after it waiting for ever.
      try {
        const TArenaTurn turn;
        const unsigned now = holding.fetch_add(1) + 1;
        unsigned seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        holding.fetch_sub(1);
        if (i % 2 == 0) throw std::runtime_error("parse failed");
      } catch (const std::runtime_error&) {
      }
      through.fetch_add(1);
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(through.load(), threads);
  EXPECT_LE(most.load(), arenas);
  EXPECT_GE(most.load(), 1u);
}

}  // namespace
}  // namespace orvane
