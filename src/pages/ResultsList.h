// The results list of the results frame: one entry per visible result, in
// list order, as one block of HTML. Reads the session under its DataLock
// (held shared by the page being built).
#pragma once

#include <string>

namespace orvane {

class TResults;
class TPreferences;

// Results.GetHTML: called only when at least one result is visible.
std::string GetResultsHTML(const TResults& results, const TPreferences& preferences);

}  // namespace orvane
