#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <semaphore>
#include <thread>

#include "base/BigArray.h"

namespace orvane {

namespace {

// Below this address the first arena's heap was resident when WarmHeapTop
// last made its room so: its pages were in use or readied then, and only a
// trim takes pages away (ReturnFreedMemory, or the top given back past the
// threshold, which lowers the heap's end). A hint for speed only: a page it
// wrongly counts costs one trap when it is first written.
std::atomic<uintptr_t> warmedTo{0};

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

size_t WarmHeapTop(size_t bytes) {
  // A heap that ends below the mark was trimmed: what it grows into again
  // is new memory.
  char* end = static_cast<char*>(::sbrk(0));
  if (end == reinterpret_cast<char*>(-1)) return 0;
  if (warmedTo.load() > reinterpret_cast<uintptr_t>(end)) warmedTo.store(0);
  size_t top = ::mallinfo2().keepcost;
  if (top < bytes) {
    // A block past the top's size grows the heap; given back, it joins the
    // top. Held through a volatile, so that no compiler drops the pair.
    void* volatile block = std::malloc(bytes);
    if (!block) return 0;
    std::free(block);
    top = ::mallinfo2().keepcost;
    end = static_cast<char*>(::sbrk(0));
  }
  // The first arena's top ends where the heap does. Populating pages that
  // are resident already still costs a walk over them, a third of the price
  // of new ones on a virtual machine: only what lies past the mark is made so.
  const auto start = reinterpret_cast<uintptr_t>(end) - top;
  const uintptr_t wanted = start + std::min(top, bytes);
  const uintptr_t from = std::max(start, warmedTo.load());
  if (top == 0 || from >= wanted) return 0;
  PrefaultPages(reinterpret_cast<void*>(from), wanted - from);
  uintptr_t mark = warmedTo.load();
  while (mark < wanted && !warmedTo.compare_exchange_weak(mark, wanted)) {
  }
  return wanted - from;
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

void ReturnFreedMemory() {
  warmedTo.store(0);
  ::malloc_trim(0);
}

TArenaTurn::TArenaTurn() { ArenaTurns().acquire(); }

TArenaTurn::~TArenaTurn() { ArenaTurns().release(); }

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace orvane
