#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

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

// Only the whole pages inside the block are made resident (a page shared with
// a neighbour's block is left alone), and no byte of it changes.
TEST(BigArray, PrefaultingMakesTheInnerPagesResidentAndKeepsTheBytes) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  constexpr size_t kPages = 16;
  void* mapped = mmap(nullptr, kPages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(mapped, MAP_FAILED);
  auto* bytes = static_cast<unsigned char*>(mapped);
  bytes[3 * page + 5] = 'x';  // one page already written
  const bool done = PrefaultPages(bytes + 100, (kPages - 1) * page - 200);
  std::vector<unsigned char> resident(kPages);
  ASSERT_EQ(mincore(mapped, kPages * page, resident.data()), 0);
  EXPECT_EQ(bytes[3 * page + 5], 'x');
  EXPECT_EQ(bytes[7 * page], 0);
  munmap(mapped, kPages * page);  // what is read below was read before this
  if (!done) GTEST_SKIP() << "this kernel cannot populate pages in one call";
  for (size_t i = 0; i < kPages; ++i) {
    const bool inner = i >= 1 && i <= kPages - 3;
    EXPECT_EQ(resident[i] & 1, inner || i == 3 ? 1 : 0) << "page " << i;
  }
}

TEST(BigArray, ReservingFreshRoomKeepsTheText) {
  std::string text = "the first words of a page";
  ReserveFresh(text, 1 << 20);
  EXPECT_GE(text.capacity(), size_t{1} << 20);
  EXPECT_EQ(text, "the first words of a page");
  const char* data = text.data();
  ReserveFresh(text, 100);  // room enough already: nothing moves
  EXPECT_EQ(text.data(), data);
}

}  // namespace
}  // namespace orvane
