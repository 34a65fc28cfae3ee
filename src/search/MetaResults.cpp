#include "search/MetaResults.h"

#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "base/StrUtils.h"

namespace orvane {

namespace {
// Results ranked this far down by the chosen engine are left out of the boost.
constexpr int32_t kBoostRankLimit = 100;
}  // namespace

void TMetaResults::RemoveDuplicates() {
  for (TResultList& list : lists_) RemoveDuplicateLinks(list, nullptr);
}

void TMetaResults::Merge(const TResultList& mainList) {
  combined_.clear();
  for (const auto& result : mainList)
    if (result->Source.EngineRank < kBoostRankLimit) combined_.push_back(result.get());
  for (const TResultList& list : lists_)
    for (const auto& result : list) combined_.push_back(result.get());
}

int32_t TMetaResults::Boost(int selectedEngine) {
  if (combined_.empty()) return 0;
  std::stable_sort(combined_.begin(), combined_.end(),
                   [](const TResult* a, const TResult* b) { return a->Source.Link < b->Source.Link; });
  int32_t boosts = 0;
  size_t start = 0;
  while (start < combined_.size()) {
    size_t end = start;
    int64_t rankSum = 0;
    TResult* selected = nullptr;
    for (; end < combined_.size() && combined_[end]->Source.Link == combined_[start]->Source.Link; ++end) {
      rankSum += combined_[end]->Source.EngineRank;
      if (combined_[end]->Source.Engine == selectedEngine) selected = combined_[end];
    }
    const size_t members = end - start;
    if (selected && members >= 2) {
      selected->Rank.MetaRank =
          static_cast<int32_t>(std::ceil(static_cast<double>(rankSum) / static_cast<double>(members)));
      ++boosts;
    }
    start = end;
  }
  Log("", "Found " + IntToStr(boosts) + " MetaResults.");
  return boosts;
}

}  // namespace orvane
