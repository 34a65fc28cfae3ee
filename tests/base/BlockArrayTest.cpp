#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/BlockArray.h"

namespace orvane {
namespace {

struct TCounted {
  int* destroyed = nullptr;
  std::string text;
  ~TCounted() {
    if (destroyed) ++*destroyed;
  }
};

// Elements keep their place while blocks are added, and each one made is
// destroyed once, those of the partly filled last block included.
TEST(BlockArray, ElementsNeverMoveAndAreDestroyedOnce) {
  int destroyed = 0;
  {
    TBlockArray<TCounted> array(5);  // blocks of 8
    std::vector<const TCounted*> addresses;
    for (int i = 0; i < 21; ++i) {
      TCounted& added = array.emplace_back();
      added.destroyed = &destroyed;
      added.text = "element " + std::to_string(i) + ", long enough to own heap memory";
      addresses.push_back(&added);
    }
    ASSERT_EQ(array.size(), 21u);
    const TBlockArray<TCounted>& read = array;
    for (int i = 0; i < 21; ++i) {
      EXPECT_EQ(&read[i], addresses[i]);
      EXPECT_EQ(read[i].text, "element " + std::to_string(i) + ", long enough to own heap memory");
    }
    EXPECT_EQ(addresses[7] - addresses[0], 7);  // one block, the size rounded up
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 21);
  TBlockArray<TCounted> empty(0);
  EXPECT_EQ(empty.size(), 0u);
}

}  // namespace
}  // namespace orvane
