// The results list of the results frame: one entry per visible result, in
// list order, as one block of HTML. Reads the session under its DataLock
// (held shared by the page being built).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

class TResult;
class TResults;
class TPreferences;

// Appends `text` (a title, description or link of `result`, by `kind`) with
// the result's highlight records of that kind in colour: words at their
// places for a title or description, every match of a record's word for the
// link. Engine text is written as it is stored, but for a "<", which becomes
// an entity.
void Highlight(std::string& out, const std::string& text, uint8_t kind, const TResult& result);

// Results.GetHTML: called only when at least one result is visible.
std::string GetResultsHTML(const TResults& results, const TPreferences& preferences);
// The same list appended to `html`, with room made for it at once.
void AppendResultsHTML(std::string& html, const TResults& results, const TPreferences& preferences);

}  // namespace orvane
