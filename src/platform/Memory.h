// The process's memory as the operating system sees it.
#pragma once

#include <cstddef>

namespace orvane {

// Lets threads share the allocator's arenas, one for every two processors,
// instead of eight per processor: each arena a thread once used keeps memory
// of its own after a trim, and a server mostly waits. Called before any
// thread starts; a MALLOC_ARENA_MAX in the environment is left to decide.
void ShareAllocatorArenas();

// Hands the allocator's free memory back to the system, so that a server
// whose sessions expired shrinks again instead of keeping its peak.
void ReturnFreedMemory();

// The resident set size in bytes; 0 when it cannot be read.
size_t ResidentBytes();

}  // namespace orvane
