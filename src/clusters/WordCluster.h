// TWordCluster: the word pane, a link per word or phrase that many results
// share (or per word of a subject profile found in the results). Owned by the
// session; rebuilt after every search and narrowing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clusters/AutoWordClusters.h"
#include "clusters/WordClusters.h"

namespace orvane {

class TWordCluster : public TWordClusters {
 public:
  TWordCluster() : TWordClusters(nullptr) {}

  static TPredefinedWord NewClusterWord(const std::string& text, int32_t count, const std::string& title);
  // "Show results with word 'city'" or "... words 'city, cities'".
  static std::string TitleOf(const TWordRecord& record);

  // Both add to Items and keep them by descending count.
  void BuildFromAutoClusters(const TAutoClusterList& clusters);
  // The profile's words that occur in the results; phrases give no entry.
  void BuildFromProfileWords(const std::vector<TPredefinedWord>& words, const TAutoWordClusters& clusterer);

 private:
  void OrderByCount();
};

}  // namespace orvane
