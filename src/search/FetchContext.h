// TFetchContext: what the query threads of one search read besides their
// query: the engine definitions, the rest table, the page time limit and the
// debug folders, and where they add up their totals. Host fills one per
// search from its configuration and the session; everything is borrowed and
// must outlive the fetch.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "search/SearchEngines.h"

namespace orvane {

class TEngineRest;
struct TFetchTotals;

struct TFetchContext {
  // Null: only the three built-in engines are known, with their default
  // shapes.
  const TEngineList* Engines = nullptr;
  TEngineRest* Rest = nullptr;  // null: no engine ever rests
  TFetchTotals* Totals = nullptr;
  int32_t PageTimeout = 120;  // seconds for one page, connecting and receiving
  bool ProbeFirst = false;    // the probe page alone first, then the rest
  // Where a block that fails to parse is kept; empty keeps none.
  std::string FailedBlockFolder;
  // A debug setting ("LoadPath", "SavePath"), read at every fetch so that
  // replaying or keeping pages can be switched on while the server runs.
  std::function<std::string(const char* name)> Setting;

  const TSearchEngines* Engine(int index) const { return Engines ? FindEngine(*Engines, index) : nullptr; }
};

}  // namespace orvane
