// TPredefinedCluster: the subject pane, a link per visible profile that
// narrows the search to that subject. Owned by the session; built when the
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

  std::string Html;
};

}  // namespace orvane
