// TSearchEngines: one engine's definition from the data file. (Placeholder.)
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace orvane {

class TXMLManager;

class TSearchEngines {
 public:
  std::string Name;
};

// The definitions of "Google", "MSN" and "Yahoo", in this order.
std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager& store);

}  // namespace orvane
