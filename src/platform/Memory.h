// The process's memory as the operating system sees it.
#pragma once

#include <cstddef>

namespace orvane {

// Lets threads share the allocator's arenas, one for every two processors,
// instead of eight per processor: each arena a thread once used keeps memory
// of its own after a trim, and a server mostly waits. Called before any
// thread starts; a MALLOC_ARENA_MAX in the environment is left to decide.
void ShareAllocatorArenas();

// How many arenas threads share: ShareAllocatorArenas' count, or what
// MALLOC_ARENA_MAX asks for.
unsigned AllocatorArenas();

// A turn at allocating heavily: no more threads hold one at once than there
// are arenas, and the others wait. Threads that allocate at once from one
// arena slow each other far beyond the time they wait for its lock: its lock
// and their interleaved chunks go back and forth between the processors. On
// two processors, twelve engine pages parsed at once took some 4 ms of CPU,
// one at a time 2.4 ms. Only for work that waits for nothing else.
class TArenaTurn {
 public:
  TArenaTurn();
  ~TArenaTurn();
  TArenaTurn(const TArenaTurn&) = delete;
  TArenaTurn& operator=(const TArenaTurn&) = delete;
};

// Hands the allocator's free memory back to the system, so that a server
// whose sessions expired shrinks again instead of keeping its peak.
void ReturnFreedMemory();

// The resident set size in bytes; 0 when it cannot be read.
size_t ResidentBytes();

}  // namespace orvane
