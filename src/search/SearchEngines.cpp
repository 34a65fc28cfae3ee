#include "search/SearchEngines.h"

namespace orvane {

std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager&) { return {}; }

}  // namespace orvane
