#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "clusters/AutoWordClusters.h"
#include "clusters/DeepWordCluster.h"
#include "clusters/WordCluster.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"
#include "words/Plural.h"
#include "words/WordUtils.h"

namespace orvane {
namespace {

// Results with these titles and descriptions, split and indexed as a search
// leaves them.
struct TIndexed {
  explicit TIndexed(const std::vector<std::pair<std::string, std::string>>& texts) {
    const TSeperateWords splitter;
    for (const auto& [title, description] : texts) {
      auto result = std::make_unique<TResult>();
      result->Source.Title = title;
      result->SetDescription(description);
      splitter.Separate(result->Description(), result->Words.DescriptionWords);
      splitter.Separate(result->Source.Title, result->Words.TitleWords);
      results.AddResult(std::move(result));
    }
    storage.Build(results, 0);
  }
  TResults results;
  TWordStorage storage;
};

std::vector<std::string> Selected(TAutoWordClusters& clusterer) {
  TAutoClusterList clusters;
  clusterer.SelectClusters(clusters);
  std::vector<std::string> words;
  for (const auto& cluster : clusters) words.emplace_back(cluster->Record->Forms.front());
  return words;
}

std::vector<std::pair<std::string, std::string>> Repeat(const std::string& title, int times) {
  return std::vector<std::pair<std::string, std::string>>(times, {title, ""});
}

TEST(ClusterHash, HashRotatesAndXors) {
  const TClusterHash table(7);
  EXPECT_EQ(table.Hash("abc"), 2043u);
  EXPECT_EQ(table.Hash("a"), 97u);
  EXPECT_EQ(TClusterHash(0).Find("abc"), nullptr);  // no buckets, never searched
}

TEST(ClusterHash, CountsDistinctResults) {
  TIndexed indexed({{"jazz jazz jazz", ""}, {"jazz piano", ""}});
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  const TWordRecord* jazz = clusterer.FindWord("jazz");
  ASSERT_NE(jazz, nullptr);
  EXPECT_EQ(jazz->Count, 2);
  EXPECT_EQ(jazz->Occurrences.size(), 4u);
  EXPECT_EQ(clusterer.FindWord("piano")->Count, 1);
  EXPECT_EQ(indexed.results.Result(1)->Words.ListPosition, 1);
}

TEST(AutoWordClusters, SelectsOnlyWordsOfSeveralResultsLongEnoughAndNotNumbers) {
  std::vector<std::pair<std::string, std::string>> texts{
      {"glacier ok", ""}, {"ok 2007 glacier", ""}, {"walks glacier 2007", ""}, {"lonely", ""}};
  TIndexed indexed(texts);
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  clusterer.Prepare({"walks"});
  const auto words = Selected(clusterer);
  EXPECT_NE(std::find(words.begin(), words.end(), "glacier"), words.end());
  for (const char* left : {"ok", "2007", "lonely", "walks"})
    EXPECT_EQ(std::find(words.begin(), words.end(), left), words.end()) << left;
}

TEST(AutoWordClusters, KeywordsAndTheirPhraseAreLeftOut) {
  TIndexed indexed(Repeat("new york hotels", 4));
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  clusterer.Prepare({});
  clusterer.MarkWords("New York");
  EXPECT_TRUE(clusterer.FindWord("new")->Ignored);
  EXPECT_TRUE(clusterer.FindWord("york")->Ignored);
  EXPECT_TRUE(clusterer.PhraseTable->Find("new york")->Record->Ignored);
  EXPECT_EQ(Selected(clusterer), (std::vector<std::string>{"york hotels"}));
  clusterer.MarkWords("");  // marks nothing
}

TEST(AutoWordClusters, PhraseWinsOnlyWhenNearlyAsFrequentAsItsWord) {
  for (const auto& [phraseCount, selected] : std::vector<std::pair<int, std::vector<std::string>>>{
           {9, {"ny city"}}, {8, {"city"}}}) {
    // "ny" is too short to be a cluster, so only city and the phrase compete.
    auto texts = Repeat("ny city", phraseCount);
    for (int i = phraseCount; i < 10; ++i) texts.push_back({"city", ""});
    TIndexed indexed(texts);
    TAutoWordClusters clusterer;
    clusterer.BuildWordTable(indexed.results);
    clusterer.Prepare({});
    EXPECT_EQ(Selected(clusterer), selected) << phraseCount;
  }
}

TEST(AutoWordClusters, AtMostFourPhrasesAndTenClusters) {
  auto texts = [](int phraseCopies, int singles) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < 6 && phraseCopies > 0; ++i)
      for (int copy = 0; copy < phraseCopies; ++copy)
        out.push_back({"first" + std::to_string(i) + " second" + std::to_string(i), ""});
    for (int i = 0; i < singles; ++i)
      for (int copy = 0; copy < 3; ++copy) out.push_back({"single" + std::to_string(i), ""});
    return out;
  };
  auto phrasesOf = [](const std::vector<std::string>& clusters) {
    return std::count_if(clusters.begin(), clusters.end(),
                         [](const std::string& text) { return text.find(' ') != std::string::npos; });
  };
  {
    TIndexed indexed(texts(4, 3));  // six phrases beat their words
    TAutoWordClusters clusterer;
    clusterer.BuildWordTable(indexed.results);
    clusterer.Prepare({});
    const auto clusters = Selected(clusterer);
    EXPECT_EQ(phrasesOf(clusters), 4);
    EXPECT_EQ(clusters.size(), 7u);
  }
  {
    TIndexed indexed(texts(0, 12));
    TAutoWordClusters clusterer;
    clusterer.BuildWordTable(indexed.results);
    clusterer.Prepare({});
    EXPECT_EQ(Selected(clusterer).size(), 10u);
  }
}

TEST(AutoWordClusters, PluralsFoldIntoOneRecord) {
  TIndexed indexed({{"city lights", ""}, {"cities at night", ""}, {"cities", ""}});
  const TPlural plural(std::vector<std::string>{});
  TAutoWordClusters clusterer(&plural);
  clusterer.BuildWordTable(indexed.results);
  clusterer.Prepare({});
  const TWordRecord* city = clusterer.FindWord("city");
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(clusterer.FindWord("cities"), city);
  EXPECT_EQ(city->Forms, (std::vector<std::string>{"city", "cities"}));
  EXPECT_EQ(city->Count, 3);
  EXPECT_EQ(Selected(clusterer), (std::vector<std::string>{"city"}));  // taken once
  EXPECT_EQ(TWordCluster::TitleOf(*city), "Show results with words 'city, cities'");
}

TEST(FindResultsWithPhrase, MatchesWithinOneTextAndMarksEveryWord) {
  TIndexed indexed({{"visit york", "city tours"}, {"old york city", "nothing"}, {"york", "city"}});
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  std::vector<TResult*> found;
  clusterer.FindResultsWithPhrase("York City", found, "#ff0");
  ASSERT_EQ(found.size(), 1u);  // never from the end of a title into the description
  EXPECT_EQ(found[0], indexed.results.Result(1));
  const auto& marks = found[0]->Marks.HighLights;
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].Word, "york");
  EXPECT_EQ(CharPosOf(*marks[0].Occurrence), 5);
  EXPECT_EQ(marks[1].Kind, THighLightData::kTitle);
  for (const char* nothing : {"", "   ", "unknown words"}) {
    found.clear();
    clusterer.FindResultsWithPhrase(nothing, found, "#ff0");
    EXPECT_TRUE(found.empty()) << nothing;
  }
}

TEST(WordCluster, EntriesGoByDescendingCount) {
  TIndexed indexed({{"opera house opera", ""}, {"opera tickets house", ""}, {"opera", ""}});
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  std::vector<TPredefinedWord> words(2);
  words[0].Text = "house";
  words[1].Text = "opera";
  TWordCluster pane;
  pane.BuildFromProfileWords(words, clusterer);
  ASSERT_EQ(pane.Items.size(), 2u);
  EXPECT_EQ(pane.Items[0].Text, "opera");
  EXPECT_EQ(pane.Items[1].Text, "house");
  EXPECT_GT(pane.Items[0].Count, pane.Items[1].Count);
}

TEST(WordCluster, ProfileWordsFoundInTheResults) {
  TIndexed indexed({{"opera house", ""}, {"opera tickets", ""}});
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  std::vector<TPredefinedWord> words(3);
  words[0].Text = "Opera";
  words[1].Text = "ballet";
  words[2].Text = "\"opera house\"";
  TWordCluster pane;
  pane.BuildFromProfileWords(words, clusterer);
  ASSERT_EQ(pane.Items.size(), 1u);
  EXPECT_EQ(pane.Items[0].Text, "opera");
  EXPECT_EQ(pane.Items[0].Count, 2);
}

TEST(DeepWordCluster, RelatedWordsOfEachCluster) {
  auto texts = Repeat("glacier walks alpine", 3);
  texts.push_back({"glacier only", ""});
  texts.push_back({"glacier only", ""});
  TIndexed indexed(texts);
  TAutoWordClusters clusterer;
  clusterer.BuildWordTable(indexed.results);
  clusterer.Prepare({});
  TAutoClusterList clusters;
  clusterer.SelectClusters(clusters);
  const TDeepWordCluster deep(clusterer, {}, "", "", clusters);
  for (const auto& cluster : clusters) {
    const std::string word(cluster->Record->Forms.front());
    EXPECT_EQ(cluster->RelatedText.rfind("\r\n", 0), 0u) << word;
    if (word == "glacier") {
      EXPECT_NE(cluster->RelatedText.find("\r\nglacier walks (3) "), std::string::npos);
    }
  }
  // A cluster whose only related cluster is itself.
  TIndexed alone(Repeat("solitude", 2));
  TAutoWordClusters single;
  single.BuildWordTable(alone.results);
  single.Prepare({});
  TAutoClusterList one;
  single.SelectClusters(one);
  ASSERT_EQ(one.size(), 1u);
  const TDeepWordCluster lonely(single, {}, "", "", one);
  EXPECT_EQ(one[0]->RelatedText, "\r\n\r\nNo Words");
}

}  // namespace
}  // namespace orvane
