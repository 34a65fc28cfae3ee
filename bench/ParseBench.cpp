// Parsing throughput of the real page parser with the shipped engine
// patterns, on pages the engine simulator renders before timing starts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AllocationCounter.h"
#include "EngineSimulator.h"
#include "base/Regex.h"
#include "data/XMLManager.h"
#include "platform/ContentDecoding.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"
#include "support/ShippedEngines.h"

namespace {

using namespace orvane;

using testing::ShippedEngines;

std::string Keywords(int engine) {
  const std::string words = "solar energy storage simtotal:1000";
  return engine == kMSN ? "language:en " + words : words;
}

struct TRendered {
  int Page;
  std::string Html;
};

// Parses the pages once per iteration and reports bytes/s and results/s.
void ParsePages(benchmark::State& state, int engine, const std::vector<TRendered>& pages) {
  const TSearchEngines& definition = *ShippedEngines().at(engine);
  const std::string keywords = Keywords(engine);
  int64_t bytes = 0, results = 0;
  for (const TRendered& page : pages) bytes += static_cast<int64_t>(page.Html.size());
  const uint64_t allocationsBefore = bench::AllocationCount();
  for (auto _ : state) {
    for (const TRendered& page : pages) {
      const TSearchQuery query(page.Page, keywords, engine, -1, nullptr, nullptr);
      TResultPage parsed(definition, query, "bench", "");
      parsed.Parse(page.Html);
      results += static_cast<int64_t>(parsed.Results.size());
      benchmark::DoNotOptimize(parsed.Results.data());
    }
  }
  const uint64_t allocations = bench::AllocationCount() - allocationsBefore;
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["results/s"] = benchmark::Counter(static_cast<double>(results), benchmark::Counter::kIsRate);
  state.counters["allocs/result"] = static_cast<double>(allocations) / static_cast<double>(std::max<int64_t>(results, 1));
  state.counters["page_KB"] = static_cast<double>(bytes) / 1024.0 / static_cast<double>(pages.size());
  state.SetLabel(EngineName(engine));
}

// One page of 100 results from the middle of the list.
void BM_ParsePage(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  const std::vector<TRendered> pages = {{4, sim::RenderPage(engine, Keywords(engine), 400).Html}};
  ParsePages(state, engine, pages);
}
BENCHMARK(BM_ParsePage)->Arg(kGoogle)->Arg(kMSN)->Arg(kYahoo)->Unit(benchmark::kMicrosecond);

// The ten pages of a 1,000-result search of one engine.
void BM_ParseSearch(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  std::vector<TRendered> pages;
  for (int page = 0; page < 10; ++page) pages.push_back({page, sim::RenderPage(engine, Keywords(engine), page * 100).Html});
  ParsePages(state, engine, pages);
}
BENCHMARK(BM_ParseSearch)->Arg(kGoogle)->Arg(kMSN)->Arg(kYahoo)->Unit(benchmark::kMillisecond);

// The bare scan of BM_BareScanSearch and BM_FloorSearch: the compiled block
// pattern over each page and the first matching element pattern inside each
// block, with the match data made once. No results, no strings.
class TBareScan {
 public:
  explicit TBareScan(const TSearchEngines& definition) : block_(definition.ResultBlockRegex()) {
    for (const auto& regex : definition.ElementRegexes()) {
      if (!regex) continue;
      elements_.push_back(regex.get());
      elementMatches_.push_back(std::make_unique<TMatch>(*regex));
    }
    if (block_) blockMatch_ = std::make_unique<TMatch>(*block_);
  }
  bool Usable() const { return block_ != nullptr; }
  // Blocks whose element matched, over one page.
  int64_t Scan(std::string_view page) {
    int64_t matched = 0;
    size_t from = 0, blockStart = std::string_view::npos;
    while (from <= page.size() && block_->Find(page, from, *blockMatch_)) {
      const size_t start = blockMatch_->Start(), end = blockMatch_->End();
      if (blockStart != std::string_view::npos) matched += MatchBlock(page.substr(blockStart, start - blockStart));
      blockStart = end;
      from = end > start ? end : end + 1;
    }
    if (blockStart != std::string_view::npos) matched += MatchBlock(page.substr(blockStart));
    return matched;
  }

 private:
  int64_t MatchBlock(std::string_view text) {
    for (size_t i = 0; i < elements_.size(); ++i)
      if (elements_[i]->Find(text, *elementMatches_[i])) return 1;
    return 0;
  }

  const TRegex* block_;
  std::unique_ptr<TMatch> blockMatch_;
  std::vector<const TRegex*> elements_;
  std::vector<std::unique_ptr<TMatch>> elementMatches_;
};

// The floor for BM_ParseSearch: the same pages and compiled patterns, bare scan only.
void BM_BareScanSearch(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  TBareScan scan(*ShippedEngines().at(engine));
  std::vector<std::string> pages;
  int64_t bytes = 0;
  for (int page = 0; page < 10; ++page) {
    pages.push_back(sim::RenderPage(engine, Keywords(engine), page * 100).Html);
    bytes += static_cast<int64_t>(pages.back().size());
  }
  if (!scan.Usable()) {
    state.SkipWithError("the engine has no block pattern");
    return;
  }
  int64_t matched = 0;
  for (auto _ : state)
    for (const std::string& html : pages) matched += scan.Scan(html);
  benchmark::DoNotOptimize(matched);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(matched), benchmark::Counter::kIsRate);
  state.SetLabel(EngineName(engine));
}
BENCHMARK(BM_BareScanSearch)->Arg(kGoogle)->Arg(kMSN)->Arg(kYahoo)->Unit(benchmark::kMillisecond);

// Inflates a gzip body into `out`, whose memory is kept from call to call,
// the way the server inflates a page it fetched.
bool Gunzip(const std::string& body, std::string& out, size_t size) {
  return DecodeContent("gzip", body, out, size).Outcome == TDecodeOutcome::kDecoded && out.size() == size;
}

// The floor of a whole fresh search: the twelve pages the server asks for
// (ten of Google, the first of MSN and Yahoo for the boost), gzipped as an
// engine sends them, inflated and scanned bare once each.
void BM_FloorSearch(benchmark::State& state) {
  struct TPage {
    int Engine;
    std::string Body;
    size_t Size;
  };
  std::vector<TPage> pages;
  int64_t bytes = 0;
  for (int page = 0; page < 10; ++page)
    pages.push_back({kGoogle, sim::RenderPage(kGoogle, Keywords(kGoogle), page * 100).Html, 0});
  for (int engine : {kMSN, kYahoo}) pages.push_back({engine, sim::RenderPage(engine, Keywords(engine), 0).Html, 0});
  for (TPage& page : pages) {
    page.Size = page.Body.size();
    bytes += static_cast<int64_t>(page.Size);
    page.Body = sim::Gzip(page.Body);
  }
  std::vector<std::unique_ptr<TBareScan>> scans;
  for (int engine = 0; engine < 3; ++engine) scans.push_back(std::make_unique<TBareScan>(*ShippedEngines().at(engine)));
  std::string html;
  int64_t matched = 0;
  for (auto _ : state)
    for (const TPage& page : pages) {
      if (!Gunzip(page.Body, html, page.Size)) {
        state.SkipWithError("a page did not inflate");
        return;
      }
      matched += scans[static_cast<size_t>(page.Engine)]->Scan(html);
    }
  benchmark::DoNotOptimize(matched);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["pages"] = static_cast<double>(pages.size());
}
BENCHMARK(BM_FloorSearch)->Unit(benchmark::kMillisecond);

}  // namespace
