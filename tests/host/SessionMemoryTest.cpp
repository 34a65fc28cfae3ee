#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/Memory.h"
#include "search/SearchPipelineSupport.h"

namespace orvane::test {
namespace {

// Makes every session idle for two hours, then lets the timer's clean-up run.
void ExpireAll() {
  {
    std::lock_guard guard(Global->SessionLock);
    for (const TSessionPtr& session : Global->Sessions) session->LastAccess = MonotonicNow() - std::chrono::hours(2);
  }
  Global->CleanUpSessions();
}

TEST(SessionMemory, ExpiredSessionsGiveTheirMemoryBack) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers keep freed memory on purpose";
#endif
  TSearchPipeline pipeline;
  // The engine simulator runs in this process: its threads and caches are
  // warmed up first, so that what is measured is the server's own memory.
  for (int i = 0; i < 5; ++i) pipeline.Get("/search?keywords=warm+up+q" + std::to_string(i) + "+simtotal:1000&se=1");
  ExpireAll();
  const size_t before = ResidentBytes();
  ASSERT_GT(before, 0u);
  auto round = [&pipeline](char tag) {
    for (int i = 0; i < 20; ++i)
      pipeline.Get("/search?keywords=memory+" + std::string(1, tag) + std::to_string(i) + "+simtotal:1000&se=1");
  };
  round('a');
  const size_t peak = ResidentBytes();
  ExpireAll();
  const size_t after = ResidentBytes();
  EXPECT_TRUE(Global->Sessions.empty());
  EXPECT_GT(peak, before + (40u << 20)) << "the sessions held too little to tell";
  // The allocator keeps about a megabyte in each of its per-thread arenas:
  // a bound, not a growth. A second round of the same kind ends where the
  // first one did.
  EXPECT_LE(after, before + before / 2) << "before " << before << ", peak " << peak << ", after " << after;
  round('b');
  ExpireAll();
  EXPECT_LE(ResidentBytes(), after + after / 10) << "after a second round";
}

}  // namespace
}  // namespace orvane::test
