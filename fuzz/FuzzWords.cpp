// Word splitting, plural folding and the automatic word clusters on
// arbitrary snippets: each NUL-separated piece is a title or a description.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"
#include "words/Plural.h"
#include "words/WordUtils.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGlobal& global = fuzz::FuzzGlobal();
  const std::vector<std::string> texts = fuzz::Pieces(data, size, 64);
  const TSeperateWords splitter;
  TResults results;
  for (size_t i = 0; i + 1 < texts.size(); i += 2) {
    if (texts[i].empty() && texts[i + 1].empty()) continue;
    auto result = std::make_unique<TResult>();
    result->Source.Title = texts[i];
    result->SetDescription(texts[i + 1]);
    splitter.Separate(result->Description(), result->Words.DescriptionWords);
    splitter.Separate(result->Source.Title, result->Words.TitleWords);
    results.AddResult(std::move(result));
  }
  TWordStorage storage;
  storage.Build(results, 0);
  TAutoWordClusters clusterer(global.Data->Plural.get());
  clusterer.BuildWordTable(results);
  clusterer.Prepare({"the", "and"});
  clusterer.MarkWords(texts[0]);
  TAutoClusterList clusters;
  clusterer.SelectClusters(clusters);
  std::vector<TResult*> found;
  clusterer.FindResultsWithPhrase(texts[1], found, "red");
  return 0;
}
