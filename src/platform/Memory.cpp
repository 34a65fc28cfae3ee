#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <semaphore>
#include <thread>

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
