// TBigArrayAllocator: for the arrays that grow with the number of results
// (the word storage). An array past kHugePagesFrom bytes gets memory of its
// own with transparent huge pages asked for: a big search then takes one page
// fault per 2 MB instead of one per 4 KB, and its random walks through the
// array miss the TLB far less. Smaller arrays, and so those of an everyday
// search, come from the ordinary heap.
#pragma once

#include <cstddef>
#include <vector>

namespace orvane {

inline constexpr size_t kHugePagesFrom = size_t{8} << 20;

// Raises std::bad_alloc when no memory is left.
void* AllocateBigArray(size_t bytes);
void FreeBigArray(void* memory, size_t bytes);

template <typename T>
struct TBigArrayAllocator {
  using value_type = T;
  TBigArrayAllocator() = default;
  template <typename U>
  TBigArrayAllocator(const TBigArrayAllocator<U>&) noexcept {}
  T* allocate(size_t count) { return static_cast<T*>(AllocateBigArray(count * sizeof(T))); }
  void deallocate(T* memory, size_t count) noexcept { FreeBigArray(memory, count * sizeof(T)); }
  template <typename U>
  bool operator==(const TBigArrayAllocator<U>&) const noexcept {
    return true;
  }
};

template <typename T>
using TBigArray = std::vector<T, TBigArrayAllocator<T>>;

}  // namespace orvane
