// How the local work after the fetch grows with the number of results:
// merging the engines' results, dropping duplicate links, ranking, word
// splitting and the automatic word clusters. The time per result should stay
// flat from a thousand results to a hundred thousand.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "SnippetMaker.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/WordStorage.h"
#include "data/XMLManager.h"
#include "search/Results.h"
#include "words/Profile.h"
#include "words/WordUtils.h"

namespace {

using namespace orvane;

constexpr const char* kKeywords = "kalomi renta";

// N results as three engines would give them: 8-word titles, 25-word
// descriptions, links on a few dozen hosts, about one in ten a link another
// result has already. Made once per size, outside the timing.
std::vector<TResult> MakeResults(size_t count) {
  bench::TSnippetMaker maker;
  static const char* const kExtensions[] = {"com", "org", "net", "de", "uk"};
  static const char* const kFiles[] = {"", "index.html", "page.htm", "paper.pdf", "notes.txt"};
  std::vector<std::string> hosts;
  for (int i = 0; i < 40; ++i) hosts.push_back("www." + maker.Word() + "." + kExtensions[i % 5]);
  std::vector<TResult> results(count);
  int32_t ranks[3] = {1, 1, 1};
  for (size_t i = 0; i < count; ++i) {
    TResult& result = results[i];
    result.Source.Engine = static_cast<int32_t>(maker.Below(3));
    result.Source.EngineRank = ranks[result.Source.Engine]++;
    result.Source.SearchKeywords = kKeywords;
    result.Source.Title = maker.Text(8);
    result.SetDescription(maker.Text(25));
    if (i > 0 && maker.Below(10) == 0) {
      result.Source.Link = results[maker.Below(i)].Source.Link;
    } else {
      const size_t host = maker.Below(hosts.size());
      result.Source.Link =
          "http://" + hosts[host] + "/" + maker.Word() + "/" + maker.Word() + "/" + kFiles[maker.Below(5)];
      result.Facts.DomainExt = kExtensions[host % 5];
    }
    result.Facts.FileExt = "other";
  }
  return results;
}

const std::vector<TResult>& Results(size_t count) {
  static std::vector<std::pair<size_t, std::vector<TResult>>> made;
  for (const auto& [size, results] : made)
    if (size == count) return results;
  made.emplace_back(count, MakeResults(count));
  return made.back().second;
}

void BM_Growth(benchmark::State& state) {
  const auto count = static_cast<size_t>(state.range(0));
  const std::vector<TResult>& made = Results(count);
  static const TXMLManager store(ORVANE_SOURCE_DIR "/resources/data/");
  TProfile profile;
  profile.TitleRank = profile.DescRank = profile.UrlRank = 1;
  const TSeperateWords splitter;
  const std::vector<std::string> ignoreList = {"kaloka", "solsolun"};
  size_t kept = 0, clusters = 0;
  for (auto _ : state) {
    TResults results;
    results.Profile = &profile;
    for (const TResult& result : made) results.AddResult(std::make_unique<TResult>(result));
    results.RemoveDuplicates(0);
    results.Rank(&store);
    for (const auto& result : results.List) {
      splitter.Separate(result->Description(), result->Words.DescriptionWords);
      splitter.Separate(result->Source.Title, result->Words.TitleWords);
      result->Words.WordsSplit = true;
    }
    TWordStorage storage;
    storage.Build(results, 0);
    TAutoWordClusters clusterer;
    clusterer.BuildWordTable(results);
    clusterer.Prepare(ignoreList);
    clusterer.MarkWords(kKeywords);
    TAutoClusterList selected;
    clusterer.SelectClusters(selected);
    kept = results.Count();
    clusters = selected.size();
    benchmark::DoNotOptimize(selected.data());
  }
  state.counters["kept"] = static_cast<double>(kept);
  state.counters["clusters"] = static_cast<double>(clusters);
  // Seconds per (iteration * count * 1e-6): microseconds per result.
  state.counters["us_per_result"] = benchmark::Counter(static_cast<double>(count) * 1e-6,
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
// A warm-up run first: every size is then timed on a heap that has held its
// tables before, as a running server's has, instead of the largest size alone
// paying for the first touch of its hundreds of megabytes. This library takes
// a benchmark's warm-up only beside its own minimum time; half a second gives
// the largest size a single timed run.
BENCHMARK(BM_Growth)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->MinTime(0.5)
    ->MinWarmUpTime(0.5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
