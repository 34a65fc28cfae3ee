#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

namespace orvane {

void ShareAllocatorArenas() {
  if (std::getenv("MALLOC_ARENA_MAX")) return;
  const unsigned processors = std::thread::hardware_concurrency();
  ::mallopt(M_ARENA_MAX, static_cast<int>(processors > 2 ? processors / 2 : 1));
}

void ReturnFreedMemory() { ::malloc_trim(0); }

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace orvane
