// The engine index that every layer shares: 0 Google, 1 MSN, 2 Yahoo (request
// parameters carry the index plus 1).
#pragma once

#include <string>

namespace orvane {

enum TEngineIndex : int { kGoogle = 0, kMSN = 1, kYahoo = 2 };

// "Google", "MSN", "Yahoo"; empty text for any other index.
std::string EngineName(int index);

}  // namespace orvane
