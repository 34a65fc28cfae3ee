// TMetaResults: the first pages of the engines the user did not choose that
// join the boost (the other built-in ones, and added ones whose definition
// says so), kept only to boost the results they share with the chosen engine:
// their results hold links and places, no texts.
// Owned by the session; filled and used on the request thread once the query
// threads have ended.
#pragma once

#include <vector>

#include "search/Results.h"

namespace orvane {

class TMetaResults {
 public:
  explicit TMetaResults(bool metaBoost) : MetaBoost(metaBoost) {}

  // List k holds the first page of the k-th engine that joined, by index.
  TResultList& GetList(size_t k) {
    if (k >= lists_.size()) lists_.resize(k + 1);
    return lists_[k];
  }
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
  std::vector<TResultList> lists_;
  std::vector<TResult*> combined_;  // borrowed from the main and per-engine lists
};

}  // namespace orvane
