// The rank stage of a search alone: every result scored under the session's
// profile, then the list sorted, on a real 1,000-result session of the engine
// simulator.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "BenchSession.h"
#include "data/XMLManager.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"
#include "words/Profile.h"

namespace {

using namespace orvane;

// Puts the list back in `order` (pointers it owns), as the clusters leave it
// before the sort; no allocation.
void Restore(TResultList& list, const std::vector<TResult*>& order) {
  for (auto& result : list) (void)result.release();
  for (size_t i = 0; i < list.size(); ++i) list[i].reset(order[i]);
}

void BM_RankSearch(benchmark::State& state) {
  test::TSearchPipeline pipeline;
  const THttpResponse answer = pipeline.Get(bench::kSessionSearch);
  const TSessionPtr session = pipeline.Session(0);
  if (!bench::Filled(session, state)) return;
  std::unique_lock guard(session->DataLock);
  TResults& results = *session->Results;
  const TXMLManager* store = pipeline.GlobalState->XMLManager.get();
  // The order the sort meets in a search: by link, then by the extensions.
  std::stable_sort(results.List.begin(), results.List.end(),
                   [](const auto& a, const auto& b) { return a->Source.Link < b->Source.Link; });
  results.SortByDomainExt();
  results.SortByFileExt();
  std::vector<TResult*> order;
  for (const auto& result : results.List) order.push_back(result.get());
  const int sortBy = session->Profile->SortBy;
  const uint64_t allocationsBefore = bench::AllocationCount();
  for (auto _ : state) {
    state.PauseTiming();
    Restore(results.List, order);
    state.ResumeTiming();
    results.Rank(store);
    results.Sort(sortBy);
  }
  const double count = static_cast<double>(results.Count());
  state.counters["results"] = count;
  state.counters["allocs/result"] = static_cast<double>(bench::AllocationCount() - allocationsBefore) /
                                    static_cast<double>(state.iterations()) / count;
}
BENCHMARK(BM_RankSearch)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
