// Saving and loading a 1,000-result session as a saved results file.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchSession.h"
#include "host/GlobalData.h"
#include "pages/ResultsXml.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"
#include "words/Predefined.h"
#include "words/Preferences.h"

namespace {

using namespace orvane;

struct TSavedSession {
  test::TSearchPipeline Pipeline;
  TSessionPtr Session;
  TSavedSession() {
    Pipeline.Get(bench::kSessionSearch);
    Session = Pipeline.Session(0);
  }
};

void BM_SaveResults(benchmark::State& state) {
  TSavedSession saved;
  if (!bench::Filled(saved.Session, state)) return;
  const TSessionData& session = *saved.Session;
  for (auto _ : state)
    Global->Data->ResultsXml->SaveSearchResultToXml(Global->UserDir, "bench.xml", *session.Results,
                                                    *session.Preferences, *session.Profile);
  state.counters["results"] = static_cast<double>(session.Results->Count());
}
BENCHMARK(BM_SaveResults)->Unit(benchmark::kMillisecond);

void BM_LoadResults(benchmark::State& state) {
  TSavedSession saved;
  if (!bench::Filled(saved.Session, state)) return;
  TSessionData& session = *saved.Session;
  Global->Data->ResultsXml->SaveSearchResultToXml(Global->UserDir, "bench.xml", *session.Results,
                                                  *session.Preferences, *session.Profile);
  size_t loaded = 0;
  for (auto _ : state) {
    TResults results;
    Global->Data->ResultsXml->LoadSearchResultFromXml(Global->UserDir, "bench.xml", results, *session.Preferences,
                                                      *Global->Predefined);
    loaded = results.Count();
  }
  state.counters["results"] = static_cast<double>(loaded);
}
BENCHMARK(BM_LoadResults)->Unit(benchmark::kMillisecond);

}  // namespace
