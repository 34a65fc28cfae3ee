#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "clusters/ClusterHash.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"

namespace orvane {
namespace {

// Places in `results` results, the i-th place in result i / perResult.
struct TPlaces {
  TPlaces(size_t count, size_t perResult) : results(count / perResult + 1), places(count) {
    for (size_t i = 0; i < count; ++i) places[i].Result = &results[i / perResult];
  }
  std::vector<TResult> results;
  std::vector<TOccurrence> places;
};

std::vector<std::string> Walk(const TClusterHash& table) {
  std::vector<std::string> words;
  table.ForEachEntry([&](const THashEntry& entry) { words.emplace_back(entry.Word); });
  return words;
}

// The order of a table of `size` chains, each new word put at its chain's head.
std::vector<std::string> ChainedOrder(const std::vector<std::string>& added, size_t size) {
  std::vector<std::vector<std::string>> chains(size);
  for (const std::string& word : added) {
    auto& chain = chains[TClusterHash::Hash(word) % size];
    if (std::find(chain.begin(), chain.end(), word) == chain.end()) chain.insert(chain.begin(), word);
  }
  std::vector<std::string> order;
  for (const auto& chain : chains) order.insert(order.end(), chain.begin(), chain.end());
  return order;
}

TEST(ClusterHash, WalksInTheOrderOfAChainedTable) {
  // Few buckets and many words, so that chains are long and the flat index
  // has to grow several times.
  for (size_t size : {size_t{3}, size_t{97}, size_t{2000}}) {
    std::vector<std::string> added;
    for (size_t i = 0; added.size() < size; ++i) added.push_back("w" + std::to_string(i * 7 % 301));
    TPlaces places(added.size(), 1);
    TClusterHash table(added.size());
    for (size_t i = 0; i < added.size(); ++i) table.Add(added[i], &places.places[i]);
    EXPECT_EQ(Walk(table), ChainedOrder(added, added.size())) << size;
  }
}

// Occurrences keep an entry's number, not its address: the number must
// lead back to the entry across the table's blocks, and nowhere else.
TEST(ClusterHash, EntryNumbersLeadBackToTheirEntries) {
  const size_t count = 5000;  // several blocks of entries
  TPlaces places(count + 1, 1);
  TClusterHash table(count);
  std::vector<THashEntry*> added;
  for (size_t i = 0; i < count; ++i) added.push_back(table.Add("w" + std::to_string(i), &places.places[i]));
  EXPECT_EQ(table.Add("w7", &places.places[count]), added[7]);  // a word again keeps its number
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(added[i]->Number, i + 1);
    ASSERT_EQ(table.Entry(added[i]->Number), added[i]);
  }
  EXPECT_EQ(table.Entry(0), nullptr);
  EXPECT_EQ(table.Entry(count + 1), nullptr);
  EXPECT_EQ(table.Entry(UINT32_MAX), nullptr);
}

// Places are kept as indexes from the lowest one added, whichever came first;
// a fold keeps both records' places in their order.
TEST(ClusterHash, PlacesComeBackInTheOrderAddedWhereverTheyLie) {
  TPlaces places(8, 1);
  TClusterHash table(2);
  for (size_t i : {5, 7, 0, 3}) table.Add("low", &places.places[i]);
  for (size_t i : {6, 1}) table.Add("high", &places.places[i]);
  auto listed = [&](const char* word) {
    std::vector<const TOccurrence*> found;
    for (const TOccurrence* occurrence : table.Find(word)->Record->Occurrences) found.push_back(occurrence);
    return found;
  };
  const auto at = [&](size_t i) -> const TOccurrence* { return &places.places[i]; };
  EXPECT_EQ(listed("low"), (std::vector<const TOccurrence*>{at(5), at(7), at(0), at(3)}));
  EXPECT_EQ(listed("high"), (std::vector<const TOccurrence*>{at(6), at(1)}));
  table.Merge(table.Find("high"), table.Find("low"));
  EXPECT_EQ(listed("low"), (std::vector<const TOccurrence*>{at(6), at(1), at(5), at(7), at(0), at(3)}));
  EXPECT_EQ(table.Find("high")->Record->Occurrences.front(), at(6));
}

TEST(ClusterHash, PhrasesFromTwoEntriesAreTheJoinedText) {
  const std::vector<std::string> words = {"new", "york", "hotels", "a", "toolongtofitinoneload", "x/y_z"};
  TPlaces places(64, 2);
  TClusterHash single(words.size());
  for (size_t i = 0; i < words.size(); ++i) single.Add(words[i], &places.places[i]);
  for (const std::string& word : words) ASSERT_NE(single.Find(word), nullptr) << word;
  TClusterHash phrases(48);
  size_t next = 0;
  for (const std::string& first : words)
    for (const std::string& second : words) {
      const std::string joined = first + " " + second;
      EXPECT_EQ(TClusterHash::JoinedHash(TClusterHash::Hash(first), TClusterHash::Hash(second), second.size()),
                TClusterHash::Hash(joined))
          << joined;
      if (next < 36) phrases.AddPhrase(*single.Find(first), *single.Find(second), &places.places[next++]);
    }
  // Added once more as whole texts, they find the same entries.
  const THashEntry* newYork = phrases.Find("new york");
  ASSERT_NE(newYork, nullptr);
  EXPECT_EQ(newYork->Word, "new york");
  EXPECT_EQ(phrases.Find("new  york"), nullptr);
  EXPECT_EQ(phrases.Find("newyork"), nullptr);
  EXPECT_EQ(phrases.Find("new yor"), nullptr);
  EXPECT_EQ(phrases.RecordCount(), 36u);
}

TEST(ClusterHash, PlacesCountsAndFolds) {
  TPlaces places(8, 2);  // results 0, 0, 1, 1, 2, 2, 3, 3
  TClusterHash table(8);
  for (size_t i : {0, 1, 2}) table.Add("city", &places.places[i]);
  for (size_t i : {3, 4, 5}) table.Add("cities", &places.places[i]);
  table.Add("town", &places.places[6]);
  THashEntry* city = table.Find("city");
  THashEntry* cities = table.Find("cities");
  EXPECT_EQ(city->Record->Count, 2);
  EXPECT_EQ(cities->Record->Count, 2);
  ASSERT_EQ(city->Record->Occurrences.size(), 3u);
  EXPECT_EQ(city->Record->Occurrences[2], &places.places[2]);
  table.Merge(city, cities);
  table.Merge(city, cities);  // already one record
  const TWordRecord* merged = table.Find("cities")->Record;
  EXPECT_EQ(merged, city->Record);
  EXPECT_EQ(merged->Count, 3);  // results 0, 1 and 2
  EXPECT_EQ(merged->Forms, (std::vector<std::string>{"city", "cities"}));
  ASSERT_EQ(merged->Occurrences.size(), 6u);
  EXPECT_EQ(merged->Occurrences[3], &places.places[3]);
  EXPECT_EQ(table.Find("town")->Record->Occurrences.size(), 1u);
  // A record already holding two forms takes a third, and the one folded in
  // keeps none.
  table.Merge(table.Find("town"), city);
  EXPECT_EQ(table.Find("town")->Record->Forms, (std::vector<std::string>{"town", "city", "cities"}));
  EXPECT_TRUE(merged->Forms.empty());
  // Once read, the table takes no more; a table made for 8 takes no 9th word.
  EXPECT_THROW(table.Add("village", &places.places[7]), std::logic_error);
  TClusterHash small(1);
  small.Add("one", &places.places[0]);
  small.Add("one", &places.places[1]);
  EXPECT_THROW(small.Add("two", &places.places[2]), std::length_error);
  EXPECT_THROW(TClusterHash(0).Add("any", &places.places[0]), std::length_error);
}

TEST(ClusterHash, FewWordsInATableMadeForManyStayWhereTheyWere) {
  // Made for 40,000 additions and given 3,000 words twice: the entries fill
  // several blocks, and nothing handed out may move meanwhile.
  constexpr size_t kWords = 3000;
  TPlaces places(2 * kWords, 1);
  TClusterHash table(40000);
  std::vector<std::string> added;
  std::vector<THashEntry*> entries;
  std::vector<TWordRecord*> records;
  for (size_t i = 0; i < kWords; ++i) {
    added.push_back("w" + std::to_string(i * 7919 % 10007));
    entries.push_back(table.Add(added[i], &places.places[i]));
    records.push_back(entries[i]->Record);
  }
  for (size_t i = 0; i < kWords; ++i) EXPECT_EQ(table.Add(added[i], &places.places[kWords + i]), entries[i]);
  EXPECT_EQ(table.RecordCount(), kWords);
  EXPECT_EQ(Walk(table), ChainedOrder(added, 40000));
  for (size_t i = 0; i < kWords; ++i) {
    ASSERT_EQ(table.Find(added[i]), entries[i]) << added[i];
    EXPECT_EQ(entries[i]->Word, added[i]);
    EXPECT_EQ(records[i]->Forms, std::vector<std::string>{added[i]});
    EXPECT_EQ(records[i]->Count, 2);
    ASSERT_EQ(records[i]->Occurrences.size(), 2u);
    EXPECT_EQ(records[i]->Occurrences[0], &places.places[i]);
    EXPECT_EQ(records[i]->Occurrences[1], &places.places[kWords + i]);
  }
  // The limit is the size the table was made for, not the room of its blocks.
  TClusterHash exact(65);
  for (size_t i = 0; i < 65; ++i) exact.Add(added[i], &places.places[i]);
  EXPECT_THROW(exact.Add(added[65], &places.places[65]), std::length_error);
  EXPECT_EQ(exact.RecordCount(), 65u);
}

}  // namespace
}  // namespace orvane
