// Building the result pages of a 1,000-result session: the results frame
// (the whole list, highlighted) and the options frame with every pane.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <shared_mutex>
#include <string>

#include "BenchSession.h"
#include "host/GlobalData.h"
#include "pages/TemplateEngine.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"

namespace {

using namespace orvane;

// The shipped template, with the "\r\n" line ends the page server gives it.
std::string Template(const std::string& name) {
  std::ifstream in(Global->HtmlDir + name, std::ios::binary);
  std::string text, line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text += line + "\r\n";
  }
  return text;
}

void BuildPage(benchmark::State& state, const std::string& file, const std::string& page, const std::string& after) {
  test::TSearchPipeline pipeline;
  pipeline.Get(bench::kSessionSearch);
  // A word selected, so that the results carry highlight records.
  if (!after.empty()) pipeline.Get(after);
  const TSessionPtr session = pipeline.Session(0);
  if (!bench::Filled(session, state)) return;
  const std::string text = Template(file);
  size_t bytes = 0;
  for (auto _ : state) {
    std::shared_lock guard(session->DataLock);
    const TSessionView view = session->View();
    const std::string out =
        ReplaceTags(TPageContext{session->Id, &view, 0, "", "", Global->PageSettings()}, page, text);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["page_KB"] = static_cast<double>(bytes) / 1024.0;
  state.counters["results"] = static_cast<double>(session->Results->Count());
}

void BM_ResultsFrame(benchmark::State& state) {
  BuildPage(state, "mainframe.htm", "mainframe.htm", "/findnarrow?narrow=solar&id=0");
}
BENCHMARK(BM_ResultsFrame)->Unit(benchmark::kMillisecond);

void BM_OptionsFrame(benchmark::State& state) { BuildPage(state, "BottomFrame.htm", "bottomframe.htm", ""); }
BENCHMARK(BM_OptionsFrame)->Unit(benchmark::kMillisecond);

}  // namespace
