#include "clusters/DeepWordCluster.h"

#include <algorithm>

namespace orvane {

TDeepWordCluster::TDeepWordCluster(TAutoWordClusters& clusterer, const std::vector<std::string>& ignoreList,
                                   const std::string& narrowText, const std::string& keywords,
                                   TAutoClusterList& clusters, const TPlural* plural) {
  for (size_t i = 0; i < clusters.size() && i < kSlots; ++i) {
    TAutoClusterData& cluster = *clusters[i];
    const std::string word(cluster.Record->Forms.front());
    std::vector<TResult*> holding;
    clusterer.FindResultsWithPhrase(word, holding, "");

    TSlot& slot = Slots[i];
    slot.Clusterer = std::make_unique<TAutoWordClusters>(plural, clusterer.Debug);
    slot.Clusterer->BuildWordTable(holding);
    slot.Clusterer->Prepare(ignoreList);
    slot.Clusterer->MarkWords(keywords);
    if (!narrowText.empty()) slot.Clusterer->MarkWords(narrowText);
    slot.Clusterer->SelectClusters(slot.Related);

    std::stable_sort(slot.Related.begin(), slot.Related.end(),
                     [](const auto& a, const auto& b) { return a->Record->Count > b->Record->Count; });
    std::string text = "\r\n";
    int lines = 0;
    for (const auto& related : slot.Related) {
      if (lines == kMaxRelated) break;
      const TWordRecord& record = *related->Record;
      if (record.Forms.front() == word) continue;
      if (record.Count > 0) {
        ((text += "\r\n") += record.Forms.front()) += " (" + std::to_string(record.Count) + ") ";
        ++lines;
      }
    }
    if (lines == 0) text += "\r\nNo Words";
    cluster.RelatedText = std::move(text);
  }
}

}  // namespace orvane
