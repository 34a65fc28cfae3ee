// TMetaResults: the other engines' first pages for the meta boost.
// (Placeholder.)
#pragma once

namespace orvane {

class TMetaResults {
 public:
  explicit TMetaResults(bool metaBoost) : MetaBoost(metaBoost) {}
  bool MetaBoost;
};

}  // namespace orvane
