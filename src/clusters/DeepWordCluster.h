// TDeepWordCluster: the words most related to each selected word cluster,
// found by clustering again only the results that hold that cluster's word.
// Built when "DeepWordCluster" is on; owned by the session and replaced with
// its cluster list.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "clusters/AutoWordClusters.h"

namespace orvane {

class TDeepWordCluster {
 public:
  static constexpr size_t kSlots = 10;
  static constexpr int kMaxRelated = 10;

  struct TSlot {
    std::unique_ptr<TAutoWordClusters> Clusterer;
    TAutoClusterList Related;
  };

  // Fills the RelatedText of each of the first ten clusters: a CR LF, then a
  // CR LF line "word (count) " per related word, or one with "No Words".
  TDeepWordCluster(TAutoWordClusters& clusterer, const std::vector<std::string>& ignoreList,
                   const std::string& narrowText, const std::string& keywords, TAutoClusterList& clusters,
                   const TPlural* plural = nullptr);

  std::array<TSlot, kSlots> Slots;
};

}  // namespace orvane
