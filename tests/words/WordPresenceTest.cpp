#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "words/WordUtils.h"

namespace orvane {
namespace {

using namespace std::string_literals;

TEST(WordPresence, PhraseBeatsWordsAndEmptyTextsNeverOccur) {
  const struct { std::string text; std::string phrase; std::vector<std::string> words; int32_t expected; } rows[] = {
      {"big redapple pie", "redapple", {"red", "apple"}, 2},
      {"pineapple", "redapple", {"red", "apple"}, 1},
      {"RedApple", "redapple", {"red", "apple"}, 0},
      {"anything", "", {""}, 0},
      {"anything", "", {"", "thing"}, 1},
      {"", "a", {"a"}, 0},
      {"", "", {}, 0},
      {"a\0b"s, "\0"s, {}, 2},
      {"caf\xe9", "caf\xc3\xa9", {"\xe9"}, 1},
      {"redapple", "redapplepie", {"redapplepie", "pp"}, 1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(WordPresence(row.text, row.phrase, row.words), row.expected) << row.text << "|" << row.phrase;
}

}  // namespace
}  // namespace orvane
