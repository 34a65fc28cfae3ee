// TAutoWordClusters: the words and two-word phrases that many results of a
// search share (keywords, ignored words and plurals left out), and the word
// index that tells which results hold a word sequence. A session keeps one,
// made anew at every rebuild under its DataLock held exclusively; it points
// into the session's word storage and results, which outlive it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "clusters/ClusterHash.h"

namespace orvane {

class TPlural;
class TResult;
class TResults;
class TSeperateWords;

// One selected cluster.
struct TAutoClusterData {
  TWordRecord* Record = nullptr;  // borrowed from the clusterer's tables
  std::string RelatedText;        // the deep word cluster's related words
};
using TAutoClusterList = std::vector<std::unique_ptr<TAutoClusterData>>;

class TAutoWordClusters {
 public:
  static constexpr size_t kTopCandidates = 15;
  static constexpr size_t kMaxPhrases = 4;
  static constexpr size_t kMaxClusters = 10;

  // Plurals are folded with `plural` when given; `debug` logs the ranking.
  explicit TAutoWordClusters(const TPlural* plural = nullptr, bool debug = false);
  ~TAutoWordClusters();

  // The word table over the visible results (each learns its ListPosition).
  void BuildWordTable(TResults& results);
  // The same over a list of results, each taken once.
  void BuildWordTable(const std::vector<TResult*>& results);
  // Ignores the listed words, builds the phrase table from the frequent
  // words and folds plurals.
  void Prepare(const std::vector<std::string>& ignoreList);
  // Ignores every word of the text and every phrase of two of its words.
  void MarkWords(const std::string& text);
  void IgnoreWord(std::string_view word);
  // At most four phrases, then words up to ten clusters in all.
  void SelectClusters(TAutoClusterList& clusters);
  // The best `count` candidates of a table by descending result count.
  std::vector<std::pair<std::string, TWordRecord*>> SelectTop(const TClusterHash& table, size_t count);

  // Appends every result, once per place, whose title or description holds
  // the words of the phrase in a row; with a colour each place also gets
  // highlight records. An empty phrase finds nothing.
  void FindResultsWithPhrase(const std::string& phrase, std::vector<TResult*>& results, const std::string& color);

  // The record of a word (or phrase), none when absent.
  TWordRecord* FindWord(std::string_view word) const;

  std::unique_ptr<TClusterHash> WordTable;
  std::unique_ptr<TClusterHash> PhraseTable;
  const bool Debug;

 private:
  void AddResult(TResult& result);
  bool IsCandidate(const TWordRecord& record) const;

  const TPlural* plural_;
  std::unique_ptr<TSeperateWords> splitter_;
};

}  // namespace orvane
