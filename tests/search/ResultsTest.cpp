#include <gtest/gtest.h>

#include <cstdint>

#include "search/MetaResults.h"
#include "search/Results.h"
#include "words/Profile.h"

namespace orvane {
namespace {

std::unique_ptr<TResult> MakeResult(const std::string& link, int32_t rank, int engine = 0, int32_t profileMark = -1) {
  auto result = std::make_unique<TResult>();
  result->Source.Link = link;
  result->Source.EngineRank = rank;
  result->Source.Engine = engine;
  result->Source.ProfileMark = profileMark;
  return result;
}

std::vector<std::pair<std::string, int32_t>> LinksAndRanks(const TResultList& list) {
  std::vector<std::pair<std::string, int32_t>> out;
  for (const auto& result : list) out.emplace_back(result->Source.Link, result->Source.EngineRank);
  return out;
}

// Every part comes back whole, including the empty ones between full ones.
TEST(URI, TakesALinkApartIntoItsParts) {
  const struct {
    const char* link;
    const char* parts[7];  // protocol, host, port, path, document, params, bookmark
  } rows[] = {
      {"http://host:8080/docs/a.pdf?x=1#top", {"http", "host", "8080", "/docs/", "a.pdf", "x=1", "top"}},
      {"https://www.example.org", {"https", "www.example.org", "", "/", "", "", ""}},
      {"http://h/?#", {"http", "h", "", "/", "", "", ""}},
      {"ftp://h/a/b/c/", {"ftp", "h", "", "/a/b/c/", "", "", ""}},
      {"no-scheme.example/x#a?b", {"", "no-scheme.example", "", "/", "x", "", "a?b"}},
  };
  for (const auto& row : rows) {
    const TURI uri = TURI::Parse(row.link);
    const std::string_view got[7] = {uri.Protocol(), uri.Host(),   uri.Port(),    uri.Path(),
                                     uri.Document(), uri.Params(), uri.Bookmark()};
    for (int part = 0; part < 7; ++part) EXPECT_EQ(got[part], row.parts[part]) << row.link << " part " << part;
  }
  const TURI copied = TURI::Parse("http", "copied.example:81/p/q.htm");
  const TURI kept = copied;  // a copy views the same text
  EXPECT_EQ(kept.Host(), "copied.example");
  EXPECT_EQ(kept.Document(), "q.htm");
}

TEST(RemoveDuplicates, KeepsTheBetterEngineRank) {
  using Rows = std::vector<std::pair<std::string, int32_t>>;
  const struct { Rows input, kept; } rows[] = {
      {{{"b", 7}, {"a", 5}, {"b", 3}}, {{"a", 5}, {"b", 3}}},
      {{{"x", 9}, {"x", 2}, {"x", 4}}, {{"x", 2}}},
      {{{"x", 4}, {"x", 4}}, {{"x", 4}}},
      {{{"http://A.org/", 1}, {"http://a.org/", 2}}, {{"http://A.org/", 1}, {"http://a.org/", 2}}},
      {{}, {}},
  };
  for (const auto& row : rows) {
    TResults results;
    for (const auto& [link, rank] : row.input) results.AddResult(MakeResult(link, rank));
    results.RemoveDuplicates(3);
    EXPECT_EQ(LinksAndRanks(results.List), row.kept);
    EXPECT_EQ(results.ProfileMatchCount, 0);
  }
}

TEST(RemoveDuplicates, ProfileResultYieldsToTheOrdinaryOne) {
  // Results of "x" as (rank, profile mark); the profile search has mark 4.
  using Rows = std::vector<std::pair<int32_t, int32_t>>;
  const struct { const char* name; Rows input; int32_t keptRank, keptMark, matches; } rows[] = {
      {"profile result first", {{1, 4}, {8, -1}}, 8, 4, 1},
      {"ordinary result first", {{1, -1}, {8, 4}}, 1, 4, 1},
      {"both of the profile search are no match", {{6, 4}, {2, 4}}, 2, 4, 0},
      {"a match dropped later no longer counts", {{5, 4}, {9, -1}, {2, -1}}, 2, -1, 0},
  };
  for (const auto& row : rows) {
    TResults results;
    for (const auto& [rank, mark] : row.input) results.AddResult(MakeResult("x", rank, 0, mark));
    results.AddResult(MakeResult("y", 2, 0, 4));
    results.RemoveDuplicates(4);
    ASSERT_EQ(results.Count(), 2u) << row.name;
    EXPECT_EQ(results.Result(0)->Source.EngineRank, row.keptRank) << row.name;
    EXPECT_EQ(results.Result(0)->Source.ProfileMark, row.keptMark) << row.name;
    EXPECT_EQ(results.ProfileMatchCount, row.matches) << row.name;
    EXPECT_EQ(results.ProfileResultCount(), row.keptMark == 4 ? 2 : 1) << row.name;
  }
}

TEST(MetaBoost, AveragesTheRanksOfLinksTheOtherEnginesFoundToo) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, int32_t>> main, other0, other1;
    std::vector<int32_t> metaRanks;  // of the main results, in their order
    int32_t boosts;
  } rows[] = {
      {"three engines", {{"a", 10}}, {{"a", 3}}, {{"a", 20}}, {11}, 1},
      {"only the chosen engine", {{"a", 10}}, {{"b", 3}}, {}, {101}, 0},
      {"only the others", {{"a", 10}}, {{"z", 3}}, {{"z", 5}}, {101}, 0},
      {"last group too", {{"a", 1}, {"z", 4}}, {{"z", 7}}, {}, {101, 6}, 1},
      {"rank 100 stays out", {{"a", 100}, {"b", 99}}, {{"a", 1}, {"b", 1}}, {}, {101, 50}, 1},
      {"duplicates inside a list go first", {{"a", 10}}, {{"a", 9}, {"a", 3}}, {}, {7}, 1},
      {"no results at all", {}, {}, {}, {}, 0},
  };
  for (const auto& row : rows) {
    TResultList main;
    for (const auto& [link, rank] : row.main) main.push_back(MakeResult(link, rank, 2));
    TMetaResults meta(true);
    for (const auto& [link, rank] : row.other0) meta.GetList(0).push_back(MakeResult(link, rank, 0));
    for (const auto& [link, rank] : row.other1) meta.GetList(1).push_back(MakeResult(link, rank, 1));
    meta.RemoveDuplicates();
    meta.Merge(main);
    EXPECT_EQ(meta.Boost(2), row.boosts) << row.name;
    for (size_t i = 0; i < main.size(); ++i) EXPECT_EQ(main[i]->Rank.MetaRank, row.metaRanks[i]) << row.name;
  }
}

TEST(TotalRank, RoundsEachStepUp) {
  TProfile profile;
  profile.MetaBoostWeight = 0.5;
  profile.ProfileResultMatchPenalty = 1;
  TResult result;
  result.Rank.TitleScore = 0.25;
  result.Rank.DescriptionScore = 0.125;
  result.Rank.LinkScore = 0.0625;
  EXPECT_EQ(result.GetTotalRank(&profile), 44);
  result.Rank.MetaRank = 11;
  EXPECT_EQ(result.GetTotalRank(&profile), 89);
  result.Rank.PathFactor = 0.75;
  EXPECT_EQ(result.GetTotalRank(&profile), 67);
  result.Rank.WordListScore = 10;
  EXPECT_EQ(result.GetTotalRank(nullptr), 41);  // (44 + 10) * 0.75 = 40.5
  // A subject profile's penalty hits only results of its own search that miss it.
  profile.RunSearch = true;
  result.Source.ProfileMark = 3;
  EXPECT_EQ(result.GetTotalRank(&profile), 0);
  result.Rank.DomainMatch = result.Rank.FileMatch = true;
  EXPECT_EQ(result.GetTotalRank(&profile), 75);  // (44 + 10 + 45) * 0.75 = 74.25
  result.Rank.DomainMatch = false;
  result.Source.ProfileMark = -1;
  EXPECT_EQ(result.GetTotalRank(&profile), 75);
}

TEST(ResultsSort, OrdersByScoreWordListOrEngineRank) {
  TResults results;
  const struct { double title; int32_t wordList, rank; } items[] = {
      {0.1, 5, 3}, {0.3, -1, 2}, {0.1, 5, 1}, {0.0, 9, 4}};
  for (const auto& item : items) {
    auto result = MakeResult("l" + std::to_string(item.rank), item.rank);
    result->Rank.TitleScore = item.title;
    result->Rank.WordListScore = item.wordList;
    results.AddResult(std::move(result));
  }
  auto ranks = [&results] {
    std::vector<int32_t> out;
    for (const auto& result : results.List) out.push_back(result->Source.EngineRank);
    return out;
  };
  results.Sort(TResults::kByEngineRank);
  EXPECT_EQ(ranks(), (std::vector<int32_t>{1, 2, 3, 4}));
  results.Sort(TResults::kByWordListScore);
  EXPECT_EQ(ranks(), (std::vector<int32_t>{4, 1, 3, 2}));
  results.ClearWordListScores();
  results.Sort(TResults::kByScore);
  EXPECT_EQ(ranks(), (std::vector<int32_t>{2, 1, 3, 4}));
  EXPECT_EQ(results.Result(0)->Rank.TotalScore, 30);
  EXPECT_EQ(results.ZeroScoreCount(), 1);
  results.Sort(7);
  EXPECT_EQ(ranks(), (std::vector<int32_t>{2, 1, 3, 4}));
}

TEST(ResultsSort, TiesKeepTheirOrderAndExtremeScoresSortRight) {
  TResults results;
  const struct { const char* link; int32_t wordList, rank; } items[] = {
      {"a", 7, 2}, {"b", INT32_MIN, 1}, {"c", 7, 2}, {"d", INT32_MAX, 5}, {"e", 7, 2}, {"f", 7, 1}, {"g", 7, 2}};
  for (const auto& item : items) {
    auto result = MakeResult(item.link, item.rank);
    result->Rank.WordListScore = item.wordList;
    results.AddResult(std::move(result));
  }
  auto links = [&results] {
    std::string out;
    for (const auto& result : results.List) out += result->Source.Link;
    return out;
  };
  results.Sort(TResults::kByWordListScore);
  EXPECT_EQ(links(), "dfacegb");
  results.Sort(TResults::kByEngineRank);
  EXPECT_EQ(links(), "fbacegd");
}

TEST(ResultsTasks, ResetToFirstTaskDropsNarrowingResults) {
  TResults results;
  TTask* first = results.AddTask("web", "Google", nullptr, "");
  TTask* second = results.AddTask("web (news)", "Google", nullptr, "");
  EXPECT_EQ(second->Index, 1);
  for (auto [link, task, mark] : {std::tuple{"a", first, 2}, {"b", second, 2}, {"c", first, -1}}) {
    auto result = MakeResult(link, 1, 0, mark);
    result->Source.Task = task;
    results.AddResult(std::move(result));
  }
  results.ResetToFirstTask();
  EXPECT_EQ(LinksAndRanks(results.List), (std::vector<std::pair<std::string, int32_t>>{{"a", 1}, {"c", 1}}));
  EXPECT_EQ(results.ProfileResultCount(), 0);
  results.DeleteTask(1);
  EXPECT_EQ(results.LastTask(), first);
}

TEST(ProfileMatching, ComparesDomainAndFileExtensions) {
  const struct { const char *host, *domainExt; std::vector<std::string> domains; bool matches; } rows[] = {
      {"www.a.com", "com", {}, true},
      {"www.a.com", "com", {"de", "com"}, true},
      {"www.a.com", "com", {"co."}, false},
      {"www.bbc.co.uk", "uk", {"co."}, true},
      {"bbc.co.uk", "uk", {"co."}, true},
      {"co.uk", "uk", {"co."}, false},
      {"a.co.uk", "uk", {"ac."}, false},
  };
  for (const auto& row : rows) EXPECT_EQ(DomainMatches(row.host, row.domainExt, row.domains), row.matches) << row.host;
  TResult result;
  result.Facts.FileExt = "pdf";
  EXPECT_TRUE(FileMatches(result, {}));
  EXPECT_TRUE(FileMatches(result, {"doc", "pdf"}));
  EXPECT_FALSE(FileMatches(result, {"other"}));
}

}  // namespace
}  // namespace orvane
