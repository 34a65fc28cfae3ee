// TPredefinedCluster: the subject pane's entries, one per visible profile (a
// link that narrows the search to that subject). Owned by the session; built when the
// session is made and again when a profile is chosen or defined.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace orvane {

class TProfile;

class TPredefinedCluster {
 public:
  // The caller holds the profile table's read lock.
  void BuildPane(const std::vector<std::unique_ptr<TProfile>>& profiles);

  std::vector<std::string> Names;  // of the visible profiles, in table order
};

}  // namespace orvane
