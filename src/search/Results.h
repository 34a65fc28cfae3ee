// TResult, TTask, TResults: the results of one session. (Placeholder with the
// fields the pages read.)
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace orvane {

struct TTask {
  std::string Keywords;
  std::string SiteOnly;
};

class TResults {
 public:
  TTask* FirstTask() const { return Tasks.empty() ? nullptr : Tasks.front().get(); }
  TTask* LastTask() const { return Tasks.empty() ? nullptr : Tasks.back().get(); }

  std::vector<std::unique_ptr<TTask>> Tasks;
  std::string Narrow;
};

}  // namespace orvane
