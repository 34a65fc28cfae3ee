// The local work after a search's pages are fetched: ranking, the extension
// clusters and page types, the word index, the automatic word clusters and
// the panes. One benchmark on a real 1,000-result session of the engine
// simulator, one on synthetic snippets of growing size for the curve.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "BenchSession.h"
#include "SnippetMaker.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/WordStorage.h"
#include "host/RequestHandler.h"
#include "host/SearchRequest.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"
#include "words/WordUtils.h"

namespace {

using namespace orvane;
using bench::TSnippetMaker;

// PostProcess of the search action on a session the simulator filled with
// 1,000 results: rank, clusters and page types, filter, sort, word splitting
// and index, automatic word clusters, word and subject panes.
void BM_PostProcessSearch(benchmark::State& state) {
  test::TSearchPipeline pipeline;
  const THttpResponse answer = pipeline.Get(bench::kSessionSearch);
  const TSessionPtr session = pipeline.Session(0);
  if (!bench::Filled(session, state)) return;
  const std::string keywords = session->Results->FirstTask()->Keywords;
  THttpRequest request;
  THttpResponse response;
  TRequestHandler handler(request, response);
  handler.Session = session;
  TSearchRequest search(handler);
  const uint64_t allocationsBefore = bench::AllocationCount();
  double rankCpu = 0;
  double clustersCpu = 0;
  for (auto _ : state) {
    std::unique_lock guard(session->DataLock);
    search.PostProcess(keywords, true, false);
    rankCpu += search.Record.RankCpu;
    clustersCpu += search.Record.ClustersCpu;
  }
  const double results = static_cast<double>(session->Results->Count());
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["results"] = results;
  // The two stages as the server's log line reports them, CPU ms each.
  state.counters["rank_ms"] = rankCpu / iterations;
  state.counters["clusters_ms"] = clustersCpu / iterations;
  state.counters["allocs/result"] = static_cast<double>(bench::AllocationCount() - allocationsBefore) /
                                    static_cast<double>(state.iterations()) / results;
  // What the session's word clusters and their tables hold until its next search.
  std::unique_lock guard(session->DataLock);
  const int64_t held = bench::LiveBytes();
  session->Panes.DropWordClusters();
  state.counters["word_clusters_KB"] = static_cast<double>(held - bench::LiveBytes()) / 1024;
}
BENCHMARK(BM_PostProcessSearch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Automatic word clustering of N synthetic results (an 8-word title and a
// 25-word description each), split and indexed before the timing starts.
void BM_AutoWordClusters(benchmark::State& state) {
  const auto count = static_cast<size_t>(state.range(0));
  TSnippetMaker maker;
  TResults results;
  const TSeperateWords splitter;
  for (size_t i = 0; i < count; ++i) {
    auto result = std::make_unique<TResult>();
    result->Source.Title = maker.Text(8);
    result->SetDescription(maker.Text(25));
    splitter.Separate(result->Description(), result->Words.DescriptionWords);
    splitter.Separate(result->Source.Title, result->Words.TitleWords);
    results.AddResult(std::move(result));
  }
  TWordStorage storage;
  storage.Build(results, 0);
  const std::vector<std::string> ignoreList = {"kaloka", "solsolun"};
  size_t clusters = 0;
  int64_t held = 0;
  const uint64_t allocationsBefore = bench::AllocationCount();
  for (auto _ : state) {
    const int64_t before = bench::LiveBytes();
    TAutoWordClusters clusterer;
    clusterer.BuildWordTable(results);
    clusterer.Prepare(ignoreList);
    clusterer.MarkWords("kalomi renta");
    TAutoClusterList selected;
    clusterer.SelectClusters(selected);
    clusters = selected.size();
    held = bench::LiveBytes() - before;
    benchmark::DoNotOptimize(selected.data());
  }
  state.counters["clusters"] = static_cast<double>(clusters);
  // Held by the clusterer and its list once the clusters are chosen.
  state.counters["held_KB"] = static_cast<double>(held) / 1024;
  state.counters["allocs/result"] = static_cast<double>(bench::AllocationCount() - allocationsBefore) /
                                    static_cast<double>(state.iterations()) / static_cast<double>(count);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(count));
  state.SetComplexityN(static_cast<int64_t>(count));
}
// A few seconds each, so the largest size is measured warm, as the others are.
BENCHMARK(BM_AutoWordClusters)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->MinTime(4.0)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
