#include "search/FetchTotals.h"

namespace orvane {

TEngineTally* TFetchTotals::TallyOf(int engine) {
  if (engine < 0) return nullptr;
  if (engine >= static_cast<int>(EngineTallies.size())) EngineTallies.resize(static_cast<size_t>(engine) + 1);
  return &EngineTallies[static_cast<size_t>(engine)];
}

std::vector<TEngineTally> TFetchTotals::EngineTallySnapshot() const {
  std::lock_guard guard(Lock);
  return EngineTallies;
}

void TFetchTotals::Reset() {
  std::lock_guard guard(Lock);
  DownloadTime = ParseTime = 0;
  DownloadCount = ParseCount = 0;
  FetchCpuMs = ParseCpuMs = 0;
  EngineTallies.clear();
}

}  // namespace orvane
