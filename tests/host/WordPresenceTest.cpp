#include <gtest/gtest.h>

#include "host/GlobalData.h"
#include "search/Results.h"
#include "words/WordUtils.h"

namespace orvane {
namespace {

TEST(WordPresence, PhraseBeatsWordsAndEmptyTextsNeverOccur) {
  const struct { const char* text; const char* phrase; std::vector<std::string> words; int32_t expected; } rows[] = {
      {"big redapple pie", "redapple", {"red", "apple"}, 2},
      {"pineapple", "redapple", {"red", "apple"}, 1},
      {"RedApple", "redapple", {"red", "apple"}, 0},
      {"anything", "", {""}, 0},
      {"anything", "", {"", "thing"}, 1},
      {"", "a", {"a"}, 0},
  };
  for (const auto& row : rows)
    EXPECT_EQ(TGlobal::WordPresence(row.text, row.phrase, row.words), row.expected) << row.text << "|" << row.phrase;
}

TEST(WordPresence, FlagsCombineTitleDescriptionAndSiteName) {
  const TClearArgument cleaner;
  const std::vector<std::string> words = {"red", "apple"};
  using TFlags = std::array<int32_t, 8>;
  const struct { const char *title, *description, *link, *domainExt; TFlags expected; } rows[] = {
      {"Red Apple", "Red apples are sweet", "http://www.redapple.com/", "com", {2, 2, 2, 2, 2, 2, 2, 2}},
      {"Apple pie", "Red apple jam", "http://www.pies.com/", "com", {2, 1, 2, 0, -1, -1, -1, -1}},
      {"Pears", "", "http://www.redapple.org/", "org", {2, 0, 0, 2, -1, -1, -1, -1}},
      {"Red Apple", "", "http://www.redapple.com/", "com", {2, 2, 0, 2, -1, 2, -1, -1}},
      {"Pears", "Plums", "http://www.fruit.com/", "com", {-1, 0, 0, 0, -1, -1, -1, -1}},
  };
  for (const auto& row : rows) {
    TResult result;
    result.Title = row.title;
    result.SetDescription(row.description);
    result.Link = row.link;
    result.DomainExt = row.domainExt;
    EXPECT_EQ(TGlobal::WordPresenceFlags("redapple", words, result, cleaner), row.expected) << row.title;
  }
}

}  // namespace
}  // namespace orvane
