// An engine's result page through the count, block and element patterns of
// the shipped data file; the first byte picks the engine.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/XMLManager.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::unique_ptr<TSearchEngines>> engines = [] {
    const TXMLManager store(ORVANE_SOURCE_DIR "/resources/data/");
    return LoadSearchEngines(store);
  }();
  if (size == 0 || engines.empty()) return 0;
  const int engine = data[0] % static_cast<int>(engines.size());
  const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
  const TSearchQuery query(data[0] / 3 % 10, "solar energy", engine, -1, nullptr, nullptr);
  TResultPage parsed(*engines[engine], query, "fuzz", "");
  try {
    parsed.Parse(page);
  } catch (const std::exception&) {
    // A page that is no result page is refused with an error: that is fine.
  }
  return 0;
}
