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

  void BuildFromAutoClusters(const TAutoClusterList& clusters);
  // The profile's words that occur in the results; phrases give no entry.
  void BuildFromProfileWords(const std::vector<TPredefinedWord>& words, const TAutoWordClusters& clusterer);
  // At most ten entries by descending count, in columns of five; "No Words"
  // when there is none.
  void Render(int32_t sessionId) override;
};

}  // namespace orvane
