// A whole search through the real server: the engine simulator answers in
// this process, orvane-server runs as a child on a temporary installation
// whose engine hosts point at the simulator. Only 127.0.0.1 is contacted.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "EngineSimulator.h"
#include "support/ServerProcess.h"

namespace {

using orvane::test::TServerProcess;

struct TSearchRig {
  orvane::sim::TEngineSimulator Simulator;
  TServerProcess Server;
  bool Ready = false;

  TSearchRig() {
    Simulator.Start();
    for (int engine = 0; engine < orvane::sim::kEngineCount; ++engine)
      Server.Config[std::string(orvane::sim::EngineName(engine)) + "Host"] = Simulator.HostOf(engine);
    Server.Config["OrvaneURL"] = "";
    Server.Config["AlwaysSearch"] = "1";  // every request searches anew
    Ready = Server.Start();
  }
};

TSearchRig& Rig() {
  static TSearchRig rig;
  return rig;
}

// Distinct keywords per call, so no session's results are reused.
std::string NextKeywords() {
  static const char* const kWords[] = {"garden", "roses",  "jazz",   "piano",  "castle", "solar",  "energy",
                                       "chess",  "opening", "tomato", "soup",  "bird",   "songs",  "river",
                                       "mountain", "bread", "coffee", "violin", "comet", "harbour"};
  constexpr int kCount = sizeof kWords / sizeof kWords[0];
  static int next = 0;
  const int n = next++;
  return std::string(kWords[n % kCount]) + "+" + kWords[(n / kCount + n + 1) % kCount] + "+q" + std::to_string(n);
}

// GET /search for 1,000 Google results with the meta boost pages of MSN and
// Yahoo; the simulator adds no delay.
void BM_FullSearch(benchmark::State& state) {
  TSearchRig& rig = Rig();
  if (!rig.Ready) {
    state.SkipWithError("orvane-server did not start");
    return;
  }
  size_t requests = 0;
  for (auto _ : state) {
    const std::string target = "/search?keywords=" + NextKeywords() + "+simtotal:1000&se=1";
    rig.Simulator.ClearRequests();
    const auto begin = std::chrono::steady_clock::now();
    const orvane::test::THttpAnswer answer = orvane::test::HttpGet(rig.Server.Port, target);
    const auto end = std::chrono::steady_clock::now();
    if (answer.Status != 200) {
      state.SkipWithError(("search answered " + std::to_string(answer.Status)).c_str());
      break;
    }
    requests += rig.Simulator.Requests().size();
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
  }
  // Engine pages fetched per search: 12 once the search does its work.
  state.counters["engine_pages"] =
      benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullSearch)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(21)  // the median is then that of single searches
    ->ReportAggregatesOnly()
    ->Unit(benchmark::kMillisecond);

}  // namespace
