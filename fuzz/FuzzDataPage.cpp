// A data engine's result page (JSON or an Atom or RSS feed) through its reader
// and the page parser; the first byte picks the format.
#include <cstdint>
#include <string>

#include "search/DataPage.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

using namespace orvane;

namespace {

TSearchEngines& Engine(bool json) {
  static TSearchEngines* const engines[2] = {new TSearchEngines("Feed", "", "", ""),
                                             new TSearchEngines("Json", "", "", "")};
  static const bool shaped = [] {
    engines[0]->Shape.Format = "atom";
    TEngineShape& shape = engines[1]->Shape;
    shape.Format = "json";
    shape.TotalPointer = "/query/searchinfo/totalhits";
    shape.ListPointer = "/query/search";
    shape.TitlePointer = "/title";
    shape.LinkPointer = "/title";
    shape.DescriptionPointer = "/snippet";
    shape.LinkTemplate = "https://en.wikipedia.org/wiki/{id}";
    return true;
  }();
  (void)shaped;
  return *engines[json ? 1 : 0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool json = data[0] % 2 == 1;
  const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
  const TSearchQuery query(data[0] / 2 % 10, "solar energy", 3, -1, nullptr, nullptr);
  TResultPage parsed(Engine(json), query, "fuzz", "");
  try {
    parsed.Parse(page);
  } catch (const std::exception&) {
    // A link with a broken escape is refused with an error: that is fine.
  }
  return 0;
}
