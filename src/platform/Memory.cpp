#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <semaphore>
#include <thread>

#include "base/BigArray.h"

namespace orvane {

namespace {

unsigned ArenasForProcessors() {
  const unsigned processors = std::thread::hardware_concurrency();
  return processors > 2 ? processors / 2 : 1;
}

std::counting_semaphore<>& ArenaTurns() {
  static std::counting_semaphore<> turns(static_cast<std::ptrdiff_t>(AllocatorArenas()));
  return turns;
}

}  // namespace

void ShareAllocatorArenas() {
  if (std::getenv("MALLOC_ARENA_MAX")) return;
  ::mallopt(M_ARENA_MAX, static_cast<int>(ArenasForProcessors()));
}

void WarmHeapTop(size_t bytes) {
  size_t top = ::mallinfo2().keepcost;
  if (top < bytes) {
    // A block past the top's size grows the heap; given back, it joins the
    // top. Held through a volatile, so that no compiler drops the pair.
    void* volatile block = std::malloc(bytes);
    if (!block) return;
    std::free(block);
    top = ::mallinfo2().keepcost;
  }
  // The first arena's top ends where the heap does.
  char* end = static_cast<char*>(::sbrk(0));
  if (end == reinterpret_cast<char*>(-1) || top == 0) return;
  PrefaultPages(end - top, std::min(top, bytes));
}

void FixAllocatorThresholds() {
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHugePagesFrom));
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kHugePagesFrom));
}

unsigned AllocatorArenas() {
  if (const char* set = std::getenv("MALLOC_ARENA_MAX")) {
    const long arenas = std::strtol(set, nullptr, 10);
    // 0 or nonsense leaves the allocator's own count, eight per processor.
    const unsigned own = 8 * std::max(1u, std::thread::hardware_concurrency());
    return arenas > 0 ? static_cast<unsigned>(std::min<long>(arenas, own)) : own;
  }
  return ArenasForProcessors();
}

void ReturnFreedMemory() { ::malloc_trim(0); }

TArenaTurn::TArenaTurn() { ArenaTurns().acquire(); }

TArenaTurn::~TArenaTurn() { ArenaTurns().release(); }

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace orvane
