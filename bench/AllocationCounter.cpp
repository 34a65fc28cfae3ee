#include "AllocationCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64_t> allocations{0};
std::atomic<int64_t> liveBytes{0};

void* Counted(void* p) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (p) liveBytes.fetch_add(static_cast<int64_t>(malloc_usable_size(p)), std::memory_order_relaxed);
  return p;
}

void* Allocate(std::size_t size) {
  if (void* p = Counted(std::malloc(size ? size : 1))) return p;
  throw std::bad_alloc();
}

void Free(void* p) {
  if (p) liveBytes.fetch_sub(static_cast<int64_t>(malloc_usable_size(p)), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

namespace orvane::bench {

uint64_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }
int64_t LiveBytes() { return liveBytes.load(std::memory_order_relaxed); }

}  // namespace orvane::bench

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Counted(std::malloc(size ? size : 1)); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
