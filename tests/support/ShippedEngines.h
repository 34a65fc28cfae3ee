// The engine definitions of the shipped data file, loaded once for the
// tests and benchmarks that parse real engine pages.
#pragma once

#include <memory>
#include <vector>

#include "data/XMLManager.h"
#include "search/SearchEngines.h"

namespace orvane::testing {

inline const std::vector<std::unique_ptr<TSearchEngines>>& ShippedEngines() {
  static const auto engines = [] {
    const TXMLManager store(ORVANE_SOURCE_DIR "/resources/data/");
    return LoadSearchEngines(store);
  }();
  return engines;
}

}  // namespace orvane::testing
