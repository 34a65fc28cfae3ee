// Counts the heap allocations of the whole benchmark program (global
// operator new is replaced in AllocationCounter.cpp), so a benchmark can
// report allocations per unit of work.
#pragma once

#include <cstdint>

namespace orvane::bench {

uint64_t AllocationCount();

}  // namespace orvane::bench
