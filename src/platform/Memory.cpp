#include "platform/Memory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>

namespace orvane {

void ReturnFreedMemory() { ::malloc_trim(0); }

size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace orvane
