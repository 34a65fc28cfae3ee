// TMetaResults: the first pages of the two engines the user did not choose,
// kept only to boost the results they share with the chosen engine. Owned by
// the session; query threads append to the per-engine lists inside
// Session.ResultsLock, the rest runs on the request thread after they ended.
#pragma once

#include <vector>

#include "search/Results.h"

namespace orvane {

class TMetaResults {
 public:
  explicit TMetaResults(bool metaBoost) : MetaBoost(metaBoost) {}

  // List 0 takes the lower engine index of the two, list 1 the higher.
  TResultList& GetList(int k) { return lists_[k == 0 ? 0 : 1]; }
  const std::vector<TResult*>& Combined() const { return combined_; }

  // Drops duplicate links inside each per-engine list.
  void RemoveDuplicates();
  // The combined list: the main results ranked below 100, then both lists.
  void Merge(const TResultList& mainList);
  // A main result of the selected engine whose link the other engines found
  // too gets the rounded-up average of all their engine ranks as MetaRank.
  // Returns the number of results boosted.
  int32_t Boost(int selectedEngine);

  const bool MetaBoost;

 private:
  TResultList lists_[2];
  std::vector<TResult*> combined_;  // borrowed from the main and per-engine lists
};

}  // namespace orvane
