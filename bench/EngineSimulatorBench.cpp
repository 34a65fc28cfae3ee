#include <benchmark/benchmark.h>

#include "EngineSimulator.h"

namespace {

// One full page of 100 results, as a query thread receives it.
void BM_RenderPage(benchmark::State& state) {
  const int engine = static_cast<int>(state.range(0));
  int page = 0;
  for (auto _ : state) {
    auto rendered = orvane::sim::RenderPage(engine, "solar energy simtotal:5000", (page++ % 10) * 100);
    benchmark::DoNotOptimize(rendered.Html.data());
  }
}
BENCHMARK(BM_RenderPage)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
