// The process's memory as the operating system sees it.
#pragma once

#include <cstddef>

namespace orvane {

// Hands the allocator's free memory back to the system, so that a server
// whose sessions expired shrinks again instead of keeping its peak.
void ReturnFreedMemory();

// The resident set size in bytes; 0 when it cannot be read.
size_t ResidentBytes();

}  // namespace orvane
