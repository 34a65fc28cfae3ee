#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>

#include "base/BigArray.h"

namespace orvane {
namespace {

// A big array lives in a mapping of its own; it must hold, grow and free
// like any vector, and start on a huge page so that all of it can use them.
TEST(BigArray, BigArraysAreAlignedAndBehaveAsVectors) {
  constexpr size_t kCount = kHugePagesFrom / sizeof(uint64_t) + 123;  // just past the threshold, not a page multiple
  TBigArray<uint64_t> numbers(kCount);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(numbers.data()) % (size_t{2} << 20), 0u);
  std::iota(numbers.begin(), numbers.end(), uint64_t{1});
  numbers.push_back(0);  // grows: copied into a second mapping, the first one freed
  ASSERT_EQ(numbers.size(), kCount + 1);
  EXPECT_EQ(numbers[kCount - 1], kCount);
  EXPECT_EQ(std::accumulate(numbers.begin(), numbers.end(), uint64_t{0}), uint64_t{kCount} * (kCount + 1) / 2);

  // Small arrays, with elements that own memory, come from the heap.
  TBigArray<std::string> words;
  for (int i = 0; i < 100; ++i) words.push_back("word number " + std::to_string(i) + " of a small array");
  EXPECT_EQ(words[99], "word number 99 of a small array");
  words.clear();
  words.shrink_to_fit();
  EXPECT_EQ(words.capacity(), 0u);
}

}  // namespace
}  // namespace orvane
