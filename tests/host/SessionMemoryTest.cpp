#include <gtest/gtest.h>

#include <algorithm>
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
  ShareAllocatorArenas();  // as the server's main does, before any thread starts
  FixAllocatorThresholds();
  TSearchPipeline pipeline;
  // The engine simulator runs in this process: its threads and caches are
  // warmed up first, so that what is measured is the server's own memory.
  for (int i = 0; i < 5; ++i) pipeline.Get("/search?keywords=warm+up+q" + std::to_string(i) + "+simtotal:1000&se=1");
  ExpireAll();
  const size_t before = ResidentBytes();
  ASSERT_GT(before, 0u);
  // Enough sessions to hold well over 40 MB, at about 2.4 MB each.
  auto round = [&pipeline](char tag) {
    for (int i = 0; i < 25; ++i)
      pipeline.Get("/search?keywords=memory+" + std::string(1, tag) + std::to_string(i) + "+simtotal:1000&se=1");
  };
  round('a');
  const size_t peak = ResidentBytes();
  ExpireAll();
  const size_t after = ResidentBytes();
  EXPECT_TRUE(Global->Sessions.empty());
  ASSERT_GT(peak, before + (40u << 20)) << "the sessions held too little to tell";
  const size_t held = peak - before;
  // What stays is the allocator's fragments around the few blocks that live
  // on (thread caches, kept handles), a few megabytes however many sessions
  // came and went, and no fewer when the sessions are small; a session that
  // is never freed keeps about three. A second round of the same kind ends
  // about where the first one did. The floors are the shares these bounds
  // came to when a session held 4.5 MB.
  const std::string figures =
      "before " + std::to_string(before) + ", peak " + std::to_string(peak) + ", after " + std::to_string(after);
  EXPECT_LE(after, before + std::max(held / 5, size_t{16} << 20)) << figures;
  round('b');
  ExpireAll();
  EXPECT_LE(ResidentBytes(), after + std::max(held / 10, size_t{8} << 20)) << figures << ", after a second round";
}

}  // namespace
}  // namespace orvane::test
