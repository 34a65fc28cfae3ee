// The engine index that every layer shares: 0 Google, 1 MSN, 2 Yahoo, then
// the engines the data file adds, in its order (request parameters carry the
// index plus 1).
#pragma once

#include <string>
#include <vector>

namespace orvane {

enum TEngineIndex : int { kGoogle = 0, kMSN = 1, kYahoo = 2 };
constexpr int kBuiltInEngines = 3;

// "Google", "MSN", "Yahoo", then the names set by SetEngineNames; empty text
// for any other index.
std::string EngineName(int index);
// The names of the engines after the three, in index order (from 3 on).
// Set at start-up; safe to call while other threads read names.
void SetEngineNames(std::vector<std::string> added);
// The index of a name; -1 when no engine has it.
int EngineIndex(const std::string& name);

}  // namespace orvane
