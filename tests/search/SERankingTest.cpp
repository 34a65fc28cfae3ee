#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "search/Results.h"
#include "search/SERanking.h"
#include "support/TestGlobal.h"
#include "words/Profile.h"

namespace orvane {
namespace {

TResult Scored(double title, double description, double link, int32_t metaRank = 101, double pathFactor = 1) {
  TResult result;
  result.Rank.TitleScore = title;
  result.Rank.DescriptionScore = description;
  result.Rank.LinkScore = link;
  result.Rank.MetaRank = metaRank;
  result.Rank.PathFactor = pathFactor;
  return result;
}

TEST(TotalRank, SumsInFloatingPointAndRoundsEveryStepUp) {
  TProfile profile;
  profile.MetaBoostWeight = 0.5;
  TProfile noBoost;
  EXPECT_EQ(Scored(0.25, 0.125, 0.0625).GetTotalRank(&noBoost), 44);  // 43.75
  EXPECT_EQ(Scored(0.25, 0.125, 0.0625, 11).GetTotalRank(&profile), 89);  // 44 + 45
  EXPECT_EQ(Scored(0.25, 0.125, 0.0625, 11, 0.75).GetTotalRank(&profile), 67);  // 66.75
  EXPECT_EQ(Scored(0.1, 0.2, 0.0).GetTotalRank(&noBoost), 31);  // 30.000000000000004
  TResult withWord = Scored(0.25, 0.125, 0.0625);
  withWord.Rank.WordListScore = 6;
  EXPECT_EQ(withWord.GetTotalRank(&noBoost), 50);
}

TEST(TotalRank, ProfilePenaltyHitsOnlyProfileResultsOutsideItsExtensions) {
  TProfile subject;
  subject.RunSearch = true;
  subject.ProfileResultMatchPenalty = 1;
  TResult result = Scored(0.25, 0.125, 0.0625);
  result.Source.ProfileMark = 3;
  result.Rank.DomainMatch = false;
  result.Rank.FileMatch = true;
  EXPECT_EQ(result.GetTotalRank(&subject), 0);
  result.Source.ProfileMark = -1;
  EXPECT_EQ(result.GetTotalRank(&subject), 44);
  result.Source.ProfileMark = 3;
  result.Rank.DomainMatch = true;
  EXPECT_EQ(result.GetTotalRank(&subject), 44);
}

TEST(TotalRank, NoNumberNeverReachesTheTotal) {
  TProfile profile;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Scored(nan, 0.125, 0.0625).GetTotalRank(&profile), 19);
  EXPECT_EQ(Scored(0.25, inf, 0).GetTotalRank(&profile), 25);
  EXPECT_EQ(Scored(0.25, 0, 0, 101, nan).GetTotalRank(&profile), 0);
  EXPECT_EQ(Scored(1e300, 0, 0).GetTotalRank(&profile), std::numeric_limits<int32_t>::max());
}

TEST(RankLookup, TakesThePointBelowTheValue) {
  const TSERanking::TLookupTable table{0, 10, 0.1, 11, 0.2, 12, 0.3, 13, 0.4, 14, 0.5, 15};
  const struct { double v, y; } rows[] = {{0.5, 15}, {0.6, 14}, {0.05, 10}, {0.1, 10}, {0.15, 11}, {0.45, 14},
                                          {0.3, 12}, {-1, 10}};
  for (const auto& row : rows) EXPECT_EQ(TSERanking::Lookup(table, row.v), row.y) << row.v;
}

TEST(RankPathFactor, CostsPerDirectoryLevel) {
  TSERanking ranking(nullptr);
  ranking.BaseURLPenalty = 0.2;
  ranking.DeepURLPenalty = 0.1;
  EXPECT_DOUBLE_EQ(ranking.PathFactor("/"), 1.0);
  EXPECT_DOUBLE_EQ(ranking.PathFactor("/docs/"), 0.8);
  EXPECT_DOUBLE_EQ(ranking.PathFactor("/a/b/c/"), 0.8 * 0.9 * 0.9);
}

// A data file whose "rank" section holds `rank`.
std::string DataWithRank(const std::string& rank) {
  return "<?xml version=\"1.0\"?><OrvaneData Version=\"1.1\"><rank>" + rank + "</rank></OrvaneData>";
}

TEST(RankConstants, ReadingStopsAtTheFirstMissingOrBrokenOne) {
  const std::string table = "0,1, 0.1,2, 0.2,3, 0.3,4, 0.4,5, 0.5,6";
  {
    testing::TestGlobal global("", DataWithRank("<BaseURLPenalty>0.25</BaseURLPenalty><DeepURLPenalty>0.5"
                                                "</DeepURLPenalty><MinLengthExactTitle>30</MinLengthExactTitle>"
                                                "<MinLengthNotExactTitle>x</MinLengthNotExactTitle>"
                                                "<MinExactLocationTitle>9</MinExactLocationTitle>"
                                                "<LengthExactTitle>" + table + "</LengthExactTitle>"));
    const TSERanking ranking(global->XMLManager.get());
    EXPECT_EQ(ranking.BaseURLPenalty, 0.25);
    EXPECT_EQ(ranking.DeepURLPenalty, 0.5);
    EXPECT_EQ(ranking.MinLengthExactTitle, 30);
    EXPECT_EQ(ranking.MinLengthNotExactTitle, 0);
    EXPECT_EQ(ranking.MinExactLocationTitle, 0);  // after the broken one
    EXPECT_EQ(ranking.LengthExactTitle[11], 0);
  }
  {
    testing::TestGlobal global("", DataWithRank("<DeepURLPenalty>0.5</DeepURLPenalty>"));
    const TSERanking ranking(global->XMLManager.get());
    EXPECT_EQ(ranking.DeepURLPenalty, 0);  // BaseURLPenalty, the first, is missing
  }
}

TEST(RankConstants, ShippedDataGivesEveryConstant) {
  testing::TestGlobal global("", testing::ReadFile(std::string(ORVANE_SOURCE_DIR) +
                                                                  "/resources/data/data.xml"));
  const TSERanking ranking(global->XMLManager.get());
  EXPECT_GT(ranking.BaseURLPenalty, 0);
  EXPECT_GT(ranking.MinExactLocationTitle, 0);
  EXPECT_GT(ranking.ExactLocationURL[1], 0);  // the last table read
}

// Ranking with tables whose y values are all 1, so the scores show the
// arithmetic of cover, place and weights alone.
TSERanking FlatRanking() {
  TSERanking ranking(nullptr);
  for (auto* table : {&ranking.LengthExactTitle, &ranking.LengthExactDescription, &ranking.LengthExactURL,
                      &ranking.ExactLocationTitle, &ranking.ExactLocationDescription, &ranking.ExactLocationURL})
    *table = {0, 1, 0.1, 1, 0.2, 1, 0.3, 1, 0.4, 1, 0.5, 1};
  return ranking;
}

TResult Result(const std::string& keywords, const std::string& title, const std::string& description,
               const std::string& link = "http://www.example.com/") {
  TResult result;
  result.Source.SearchKeywords = keywords;
  result.Source.Title = title;
  result.SetDescription(description);
  result.Source.Link = link;
  result.Facts.DomainExt = "com";
  return result;
}

TEST(RankResult, PartialScoreCountsCoverRepetitionAndPresence) {
  TSERanking ranking = FlatRanking();
  ranking.MinLengthNotExactTitle = 10;
  TProfile profile;
  profile.TitleRank = 1;
  // 40 letters; "alpha" twice, "zulu" nowhere.
  TResult result = Result("alpha zulu", "alpha bbbbbbbbbb cccccccccc alpha dddddddddd", "");
  ranking.RankResult(result, profile);
  const double coverage = 5.0 / 40;
  EXPECT_DOUBLE_EQ(result.Rank.TitleScore, coverage * 1 / 3 * (1.0 / 3));
  EXPECT_EQ(result.Rank.DescriptionScore, 0);  // empty description
  EXPECT_EQ(result.Rank.ExactMatch, -1);
}

TEST(RankResult, ExactPhraseUsesCoverAndPlaceAndMarksTheResult) {
  TSERanking ranking(nullptr);
  ranking.LengthExactTitle = {0, 0.1, 0.1, 0.2, 0.2, 0.3, 0.3, 0.4, 0.4, 0.5, 1, 0.6};
  ranking.ExactLocationTitle = {0, 1, 0.1, 0.9, 0.2, 0.8, 0.3, 0.7, 0.4, 0.6, 1, 0.5};
  ranking.MinLengthExactTitle = 30;
  TProfile profile;
  profile.TitleRank = 2;
  // Cleaned title "redgiantsxx" (11 letters) against minimum 30; phrase at 1.
  TResult result = Result("Red Giants", "Red giants xx", "no match here");
  ranking.RankResult(result, profile);
  EXPECT_DOUBLE_EQ(result.Rank.TitleScore, 0.3 * 2 * 1);  // cover 9/30 = 0.3 takes y2
  EXPECT_EQ(result.Rank.ExactMatch, 2);
  EXPECT_EQ(result.Rank.DescriptionScore, 0);
}

TEST(RankResult, EmptyKeywordsMatchNothingAndNeverHang) {
  TSERanking ranking = FlatRanking();
  TProfile profile;
  profile.TitleRank = profile.DescRank = profile.UrlRank = 1;
  for (const char* keywords : {" padded ", "two  blanks", "", "   "}) {
    TResult result = Result(keywords, "padded two blanks", "padded two blanks");
    ranking.RankResult(result, profile);
    EXPECT_TRUE(std::isfinite(result.Rank.TitleScore)) << keywords;
    EXPECT_TRUE(std::isfinite(result.Rank.DescriptionScore)) << keywords;
  }
  TResult blank = Result("   ", "anything at all", "anything");
  ranking.RankResult(blank, profile);
  EXPECT_EQ(blank.Rank.TitleScore, 0);
  EXPECT_EQ(blank.Rank.LinkScore, 0);
  EXPECT_EQ(blank.Rank.ExactMatch, -1);
}

TResult WithTitleWords(const std::vector<std::string>& words) {
  TResult result;
  result.Source.Link = "http://example.com/";
  for (size_t i = 0; i < words.size(); ++i) result.Words.TitleWords.push_back({words[i], static_cast<int32_t>(i + 1)});
  return result;
}

TEST(WordListScore, NearerWordsScoreHigher) {
  TSERanking ranking(nullptr);
  TProfile profile;
  profile.TitleRank = 1;
  const struct { std::vector<std::string> title; double part; } rows[] = {
      {{"the", "opera", "house", "of", "old", "town"}, 50},        // neighbours in six words
      {{"the", "opera", "big", "house", "old", "town"}, 40},        // one word between
      {{"opera", "a", "b", "c", "d", "house"}, 10},                 // never below 10
      {{"opera"}, 0},                                               // word missing
      {{"house"}, 50},                                              // the word is the keyword itself
  };
  for (const auto& row : rows) {
    TResult result = WithTitleWords(row.title);
    const std::string word = row.title.size() == 1 && row.title[0] == "house" ? "house" : "opera";
    const int32_t score = ranking.WordListScore(result, profile, word, "House");
    EXPECT_DOUBLE_EQ(result.Rank.TitleWordProximity, row.part) << row.title.size();
    EXPECT_EQ(score, static_cast<int32_t>(std::ceil(row.part)));
  }
  TResult inLink = WithTitleWords({});
  inLink.Source.Link = "http://opera.example.com/";
  profile.UrlRank = 0.5;
  EXPECT_EQ(ranking.WordListScore(inLink, profile, "Opera", "house"), 25);
  EXPECT_EQ(inLink.Rank.LinkWordProximity, 50);
  EXPECT_EQ(ranking.WordListScore(inLink, profile, "", "house"), 0);  // an empty word is nowhere
}

TEST(ResultsRank, ScoresEveryResultAndForgetsTheCachedCounts) {
  TResults results;
  TProfile profile;
  profile.TitleRank = 1;
  results.Profile = &profile;
  auto result = std::make_unique<TResult>(Result("opera house", "Opera House tours", "the opera house"));
  results.AddResult(std::move(result));
  results.ZeroScoreCountCache = 5;
  results.Rank(nullptr);
  EXPECT_EQ(results.ZeroScoreCountCache, -1);
  EXPECT_EQ(results.Result(0)->Rank.ExactMatch, 2);
  EXPECT_TRUE(results.Result(0)->Rank.DomainMatch);  // a profile without extensions takes all
}

}  // namespace
}  // namespace orvane
