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
  // the domain cluster's first. SearchText holds the entry's kind:
  // "DomainExtGroup", "FileExtGroup", "DomainExt" or "FileExt".
  void Collect(const TExtCluster& fileCluster, const TExtCluster& domainCluster);
  // At most fifteen entries by descending count, in columns of five.
  void Render(int32_t sessionId);

  std::vector<TWordData> Entries;
  std::string Html;
};

}  // namespace orvane
