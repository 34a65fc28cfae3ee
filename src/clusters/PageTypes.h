// TPageTypes: the strongest extension groups and extensions of both
// clusters in one pane. Owned by the session; rebuilt after its clusters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "words/Profile.h"

namespace orvane {

class TExtCluster;

class TPageTypes {
 public:
  // At most ten entries from each cluster (groups first, visible ones only),
  // the domain cluster's first, then all by descending count. SearchText
  // holds the entry's kind: "DomainExtGroup", "FileExtGroup", "DomainExt" or
  // "FileExt".
  void Collect(const TExtCluster& fileCluster, const TExtCluster& domainCluster);

  std::vector<TWordData> Entries;
};

}  // namespace orvane
