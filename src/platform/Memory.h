// The process's memory as the operating system sees it.
#pragma once

#include <cstddef>

namespace orvane {

// Lets threads share the allocator's arenas, one for every two processors,
// instead of eight per processor: each arena a thread once used keeps memory
// of its own after a trim, and a server mostly waits. Called before any
// thread starts; a MALLOC_ARENA_MAX in the environment is left to decide.
void ShareAllocatorArenas();

// Makes the free room at the top of the heap resident, up to `bytes`, with
// the top grown to that first when it is smaller: a search's results, words
// and tables then find their pages there instead of trapping on each one
// (on a virtual machine a trap can cost twenty times what populating the
// page does). Only the heap of the process's first arena, which is all of it
// on two processors; memory the allocator cannot give leaves the room as it
// was. Room an earlier call readied is not asked for again; returns the
// bytes made resident now.
size_t WarmHeapTop(size_t bytes);

// Fixes the allocator's thresholds where it would otherwise move them as
// blocks come and go: every block below kHugePagesFrom comes from the heap,
// and freeing gives the system back the top of the heap only past twice that.
// The memory a search frees then stays resident for the next one, and the
// room WarmHeapTop readies stays until it is used. The idle give-back
// (ReturnFreedMemory) returns all of it. Called before any thread starts.
void FixAllocatorThresholds();

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
