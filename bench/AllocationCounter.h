// Counts the heap allocations of the whole benchmark program (global
// operator new is replaced in AllocationCounter.cpp), so a benchmark can
// report allocations per unit of work, and the heap bytes held at a point.
#pragma once

#include <cstdint>

namespace orvane::bench {

uint64_t AllocationCount();
// Bytes of the live allocations, as malloc rounds them; arrays past
// kHugePagesFrom are mapped apart and not counted.
int64_t LiveBytes();

}  // namespace orvane::bench
