// Reading a 100-result JSON page and a 100-result Atom page into results,
// against the bare parse of the same bytes by simdjson and pugixml.
#include <benchmark/benchmark.h>

#include <simdjson.h>

#include <pugixml.hpp>
#include <string>

#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {
namespace {

std::string Snippet(int i) {
  return "The <span class=\\\"searchmatch\\\">solar</span> energy storage article number " + std::to_string(i) +
         " tells of batteries, molten salt and pumped water in some detail";
}

std::string JsonPage() {
  std::string page = R"({"batchcomplete":true,"query":{"searchinfo":{"totalhits":48213},"search":[)";
  for (int i = 0; i < 100; ++i)
    page += std::string(i ? "," : "") + R"({"ns":0,"title":"Solar energy storage )" + std::to_string(i) +
            R"(","pageid":)" + std::to_string(1000 + i) + R"(,"size":48211,"wordcount":5120,"snippet":")" +
            Snippet(i) + R"(","timestamp":"2026-11-02T10:00:00Z"})";
  return page + "]}}";
}

std::string AtomPage() {
  std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\" "
                     "xmlns:opensearch=\"http://a9.com/-/spec/opensearch/1.1/\"><title>q</title>"
                     "<opensearch:totalResults>48213</opensearch:totalResults>";
  for (int i = 0; i < 100; ++i)
    page += "<entry><id>http://arxiv.org/abs/2611." + std::to_string(10000 + i) +
            "v1</id><updated>2026-11-02T10:00:00Z</updated><published>2026-11-01T10:00:00Z</published>"
            "<title>Solar energy storage " + std::to_string(i) + "</title><summary>A study of solar energy storage "
            "in molten salt and batteries, with some detail on pumped water, number " + std::to_string(i) +
            "</summary><author><name>A. Author</name></author><link href=\"http://arxiv.org/abs/2611." +
            std::to_string(10000 + i) + "v1\" rel=\"alternate\" type=\"text/html\"/><link title=\"pdf\" "
            "href=\"http://arxiv.org/pdf/2611." + std::to_string(10000 + i) + "v1\" rel=\"related\"/></entry>";
  return page + "</feed>";
}

std::unique_ptr<TSearchEngines> Engine(bool json) {
  auto engine = std::make_unique<TSearchEngines>(json ? "Wikipedia" : "arXiv", "", "", "");
  TEngineShape& shape = engine->Shape;
  shape.Format = json ? "json" : "atom";
  shape.TotalPointer = "/query/searchinfo/totalhits";
  shape.ListPointer = "/query/search";
  shape.TitlePointer = "/title";
  shape.LinkPointer = "/title";
  shape.DescriptionPointer = "/snippet";
  shape.LinkTemplate = "https://en.wikipedia.org/wiki/{id}";
  return engine;
}

// Arg 0: JSON, 1: Atom.
void BM_ParseDataPage(benchmark::State& state) {
  const bool json = state.range(0) == 0;
  const std::string page = json ? JsonPage() : AtomPage();
  const auto engine = Engine(json);
  const TSearchQuery query(0, "solar energy storage", 3, -1, nullptr, nullptr);
  size_t results = 0;
  for (auto _ : state) {
    TResultPage parsed(*engine, query, "bench", "");
    parsed.Parse(page);
    results += parsed.Results.size();
  }
  if (results != 100 * static_cast<size_t>(state.iterations())) state.SkipWithError("not 100 results a page");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
  state.SetLabel(json ? "json" : "atom");
}
BENCHMARK(BM_ParseDataPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The floor: the parser alone over the same bytes (simdjson's DOM, pugixml's
// document), no pointer, no result.
void BM_BareDataParse(benchmark::State& state) {
  const bool json = state.range(0) == 0;
  const std::string page = json ? JsonPage() : AtomPage();
  simdjson::dom::parser parser;
  for (auto _ : state) {
    if (json) {
      simdjson::dom::element root;
      benchmark::DoNotOptimize(parser.parse(page).get(root));
    } else {
      pugi::xml_document document;
      benchmark::DoNotOptimize(document.load_buffer(page.data(), page.size()));
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
  state.SetLabel(json ? "simdjson" : "pugixml");
}
BENCHMARK(BM_BareDataParse)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvane
