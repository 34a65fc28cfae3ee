// TBlockArray: an array that grows by blocks of one power-of-two size and
// never moves an element, so that pointers into it stay valid while it
// grows. It holds what was added, give or take one block.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "base/BigArray.h"

namespace orvane {

template <typename T>
class TBlockArray {
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

 public:
  // `blockSize` elements a block, rounded up to a power of two.
  explicit TBlockArray(size_t blockSize) : shift_(std::countr_zero(std::bit_ceil(std::max<size_t>(blockSize, 1)))) {}
  TBlockArray(const TBlockArray&) = delete;
  TBlockArray& operator=(const TBlockArray&) = delete;
  ~TBlockArray() {
    if constexpr (!std::is_trivially_destructible_v<T>)
      for (size_t i = 0; i < blocks_.size(); ++i)
        std::destroy_n(blocks_[i].get(), std::min(size_ - (i << shift_), BlockSize()));
  }

  T& emplace_back() {
    if (size_ == blocks_.size() << shift_) {
      blocks_.push_back(MakeBigBlock<T>(BlockSize()));
    }
    T* element = std::construct_at(blocks_.back().get() + (size_ & (BlockSize() - 1)));
    ++size_;
    return *element;
  }

  T& operator[](size_t index) { return blocks_[index >> shift_].get()[index & (BlockSize() - 1)]; }
  const T& operator[](size_t index) const { return blocks_[index >> shift_].get()[index & (BlockSize() - 1)]; }
  size_t size() const { return size_; }

 private:
  size_t BlockSize() const { return size_t{1} << shift_; }

  int shift_;
  size_t size_ = 0;
  std::vector<TBigBlock<T>> blocks_;  // frees the memory only: the elements go in the destructor above
};

}  // namespace orvane
