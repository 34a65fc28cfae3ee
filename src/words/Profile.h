// TProfile: a search profile; the session keeps its own copy. (Placeholder.)
#pragma once

#include <string>

namespace orvane {

class TProfile {
 public:
  std::string Name;
  bool RunSearch = false;
  bool HomepageOnly = false;
  bool ExactMatch = false;
  int SortBy = 0;
  double MetaBoostWeight = 0;
  double ProfileResultMatchPenalty = 0;
};

}  // namespace orvane
