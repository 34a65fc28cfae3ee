#include "pages/MatchRecord.h"

#include <gtest/gtest.h>

#include <string>

#include "search/Results.h"
#include "search/SERanking.h"
#include "words/Profile.h"

namespace orvane {
namespace {

using namespace std::string_literals;

// The ranking's exact-match flag and the match record's phrase flag answer
// the same question; the options frame counts one, the ranking sets the other.
TEST(MatchRecord, RankingAndRecordAgreeOnTheExactPhrase) {
  const struct { std::string keywords, title, description, link; } rows[] = {
      {"red apple", "Red Apple pie", "", "http://www.pies.com/"},
      {"red apple", "Apple red", "a redapple", "http://www.pies.com/"},
      {"red apple", "Pears", "", "http://www.redapple.com/"},
      {"red apple", "Pears", "Plums", "http://www.fruit.com/"},
      {"  red  apple ", "red apple", "", "http://a.b.com/"},
      {"\"red apple\"", "RED&nbsp;APPLE", "", "http://x.org/"},
      {"", "anything", "anything", "http://www.any.com/"},
      {"+", "a+b", "", "http://plus.com/"},
      {"caf\xe9", "Caf\xe9 noir", "", "http://www.cafe.fr/"},
      {"a\0b"s, "a\0b"s, "", "http://nul.com/"},
      {"&amp;", "&amp;", "&lt;&gt;", "http://amp.com/"},
      {"www", "", "", "http://www.www.com/"},
      {"com", "", "", "http://www.example.com/"},
      {"example/path", "", "", "http://www.example.com/path"},
  };
  TSERanking ranking(nullptr);
  const TProfile profile;
  int exact = 0;
  for (const auto& row : rows) {
    TResults results;
    results.AddTask(row.keywords, "Google", nullptr, "");
    TResult result;
    result.Source.Title = row.title;
    result.SetDescription(row.description);
    result.Source.Link = row.link;
    result.Facts.DomainExt = row.link.find(".com") != std::string::npos ? "com" : "org";
    result.Source.SearchKeywords = row.keywords;
    ranking.RankResult(result, profile);
    const TMatchKeywords keywords(results);
    const bool recorded = keywords.Of(result)[kOneOfThem] == 2;
    EXPECT_EQ(result.Rank.ExactMatch == 2, recorded) << row.keywords << " | " << row.title;
    EXPECT_EQ(keywords.HasPhrase(result), recorded) << row.keywords << " | " << row.title;
    exact += recorded;
  }
  EXPECT_EQ(exact, 9);
}

TEST(MatchRecord, FlagsCombineTitleDescriptionAndSiteName) {
  TResults results;
  results.AddTask("red apple", "Google", nullptr, "");  // the phrase "redapple"
  const TMatchKeywords keywords(results);
  const struct { const char *title, *description, *link, *domainExt; TMatchRecord expected; } rows[] = {
      {"Red Apple", "Red apples are sweet", "http://www.redapple.com/", "com", {2, 2, 2, 2, 2, 2, 2, 2}},
      {"Apple pie", "Red apple jam", "http://www.pies.com/", "com", {2, 1, 2, 0, -1, -1, -1, -1}},
      {"Pears", "", "http://www.redapple.org/", "org", {2, 0, 0, 2, -1, -1, -1, -1}},
      {"Red Apple", "", "http://www.redapple.com/", "com", {2, 2, 0, 2, -1, 2, -1, -1}},
      {"Pears", "Plums", "http://www.fruit.com/", "com", {-1, 0, 0, 0, -1, -1, -1, -1}},
  };
  for (const auto& row : rows) {
    TResult result;
    result.Source.Title = row.title;
    result.SetDescription(row.description);
    result.Source.Link = row.link;
    result.Facts.DomainExt = row.domainExt;
    EXPECT_EQ(keywords.Of(result), row.expected) << row.title;
  }
}

}  // namespace
}  // namespace orvane
