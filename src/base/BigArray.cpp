#include "base/BigArray.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

namespace orvane {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t HugeRounded(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

bool PrefaultPages(void* memory, size_t bytes) {
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(memory);
  const uintptr_t first = (start + page - 1) & ~(page - 1);
  const uintptr_t last = (start + bytes) & ~(page - 1);
  return first >= last || madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE) == 0;
}

void ReserveFresh(std::string& text, size_t bytes) {
  if (bytes <= text.capacity()) return;
  text.reserve(bytes);
  if (bytes >= kPrefaultFrom) PrefaultPages(text.data(), text.capacity());
}

void* AllocateBigArray(size_t bytes) {
  if (bytes < kHugePagesFrom) {
    void* memory = ::operator new(bytes);
    if (bytes >= kPrefaultFrom) PrefaultPages(memory, bytes);
    return memory;
  }
  // Mapped apart from the heap, so that freeing it gives it back at once, and
  // aligned to a huge page, so that all of it can be made of them.
  const size_t size = HugeRounded(bytes);
  void* mapped = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) munmap(mapped, aligned - start);
  if (const size_t tail = start + kHugePage - aligned; tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  // Only a wish: a kernel without huge pages gives ordinary ones.
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void FreeBigArray(void* memory, size_t bytes) {
  if (bytes < kHugePagesFrom)
    ::operator delete(memory);
  else
    munmap(memory, HugeRounded(bytes));
}

}  // namespace orvane
