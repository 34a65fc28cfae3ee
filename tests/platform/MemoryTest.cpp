#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
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

// How many of the whole pages inside a block are resident. It allocates
// nothing: a block taken after the one looked at would keep that one from
// joining the heap's top again when it is freed.
size_t ResidentPages(void* block, size_t bytes) {
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
  const uintptr_t last = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(page - 1);
  std::array<unsigned char, 2048> resident{};
  if (last <= first || (last - first) / page > resident.size()) return 0;
  if (mincore(reinterpret_cast<void*>(first), last - first, resident.data()) != 0) return 0;
  return static_cast<size_t>(
      std::count_if(resident.begin(), resident.begin() + (last - first) / page, [](unsigned char r) { return r & 1; }));
}

// Once the heap gave its free memory back, a big block comes from pages
// nobody wrote yet; warmed first, the heap hands out resident ones, after
// growing its top to the room asked for.
TEST(HeapTop, WarmedRoomIsResidentWhenTheNextBlockTakesIt) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers bring allocators of their own";
#endif
  FixAllocatorThresholds();
  constexpr size_t kBlock = size_t{3} << 20;  // past any hole the other tests left
  auto take = [] {
    char* block = static_cast<char*>(std::malloc(kBlock));
    const size_t resident = ResidentPages(block + 4096, kBlock - 8192);
    std::free(block);
    return resident;
  };
  const size_t pages = (kBlock - 8192) / static_cast<size_t>(sysconf(_SC_PAGESIZE)) - 1;
  ::malloc_trim(0);
  EXPECT_LT(take(), pages / 2) << "a trimmed heap should have handed out pages not yet written";
  constexpr size_t kRoom = kBlock + (size_t{1} << 20);
  WarmHeapTop(kRoom);
  // Trimmed behind its back (the heap's end went down), the warm-up still
  // readies the room the heap grows into again.
  ::malloc_trim(0);
  EXPECT_GE(WarmHeapTop(kRoom), kBlock);
  EXPECT_GE(take(), pages);
  // The room stays when the block goes back: the next one finds it too, and
  // a warm-up now has next to nothing left to ask for.
  EXPECT_GE(take(), pages);
  EXPECT_LT(WarmHeapTop(kRoom), size_t{64} << 10);
  EXPECT_GE(take(), pages);
  // The idle give-back returns the room: the next warm-up asks for all of it.
  ReturnFreedMemory();
  EXPECT_GE(WarmHeapTop(kRoom), kBlock);
  EXPECT_GE(take(), pages);
}

}  // namespace
}  // namespace orvane
