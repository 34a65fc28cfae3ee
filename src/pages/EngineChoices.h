// The engine choices of the start page and the options frame beyond the
// three the templates list: one per enabled engine the data file adds, in
// index order. Without a list there are none.
#pragma once

#include <string>

#include "search/SearchEngines.h"

namespace orvane {

// "<option value=\"4\">Wikipedia</option>" per added engine (the value is
// the request's "se", the index plus 1), each on a line of its own.
std::string AddedEngineOptions(const TEngineList* engines);
// The options frame's radio line per added engine, as the three are written,
// with its "<ov:SearchEngine:Value:N/>" tag still to be filled.
std::string AddedEngineRadios(const TEngineList* engines);

}  // namespace orvane
