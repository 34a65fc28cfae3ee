#include "clusters/PredefinedCluster.h"

#include "words/Profile.h"

namespace orvane {

void TPredefinedCluster::BuildPane(const std::vector<std::unique_ptr<TProfile>>& profiles) {
  Names.clear();
  for (const auto& profile : profiles)
    if (profile->Visible) Names.push_back(profile->Name);
}

}  // namespace orvane
