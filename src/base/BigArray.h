// TBigArrayAllocator: for the arrays that grow with the number of results
// (the word storage, the word tables). An array past kHugePagesFrom bytes
// gets memory of its own with transparent huge pages asked for: a big search
// then takes one page fault per 2 MB instead of one per 4 KB, and its random
// walks through the array miss the TLB far less. Smaller arrays, and so those
// of an everyday search, come from the ordinary heap; from kPrefaultFrom on
// their pages are made resident in one call (see PrefaultPages).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

inline constexpr size_t kHugePagesFrom = size_t{8} << 20;
inline constexpr size_t kPrefaultFrom = size_t{64} << 10;

// Makes the whole pages inside a block resident in one call, its bytes
// unchanged. Each page the heap hands out fresh (a search mostly gets pages
// the last idle give-back returned) would otherwise cost a trap when first
// written, and on a virtual machine the traps cost three to twenty times
// what making the pages resident does. False when the kernel cannot (before
// 5.14): the pages then come one trap at a time, as before.
bool PrefaultPages(void* memory, size_t bytes);

// Reserves room for `bytes` in `text`, its pages made resident when it is big.
void ReserveFresh(std::string& text, size_t bytes);

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

// Room for `Count` elements from AllocateBigArray, not constructed: the
// owner makes and destroys what it puts there.
template <typename T>
struct TBigFree {
  size_t Count = 0;
  void operator()(T* block) const noexcept { FreeBigArray(block, sizeof(T) * Count); }
};
template <typename T>
using TBigBlock = std::unique_ptr<T[], TBigFree<T>>;

template <typename T>
TBigBlock<T> MakeBigBlock(size_t count) {
  return TBigBlock<T>(static_cast<T*>(AllocateBigArray(sizeof(T) * count)), TBigFree<T>{count});
}

}  // namespace orvane
