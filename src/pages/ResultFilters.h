// The filters that decide which of a session's results are visible, and the
// re-filter step and closing sort that the search and the filter actions
// share. Each one changes the session and runs with its DataLock held
// exclusively. A filter only changes Visible flags: no result is deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane {

class TResult;
class TSessionData;

// Called with a step's caption when it is done (the handler's time log).
using TLapFunction = std::function<void(const std::string& caption)>;

// Shows the results of the profile search, and of the others those that fit
// the profile's extensions; hides zero-score and nested results and, when
// the profile asks, all but home pages or exact matches.
void ProfileFilter(TSessionData& session);

// Keeps visible the visible results found holding the narrowing word, and
// those whose link holds it without its spaces (those get a link highlight).
void NarrowingFilter(TSessionData& session, const std::vector<TResult*>& found);

// Shows only the results of the domain or file extension or group that the
// preferences slice by (the first of the four set); all when none is.
void ExtensionFilter(TSessionData& session);

// A statistics slice: "Hidden" turns every flag over; "Total", "Nested",
// "Rank0" and "Homepageonly" show their results; any other name shows none.
void SliceFilter(TSessionData& session, const std::string& whatToShow);

// Shows the results whose match record holds `value` in `field`; a field
// of -1 (none named) shows none.
void MatchFilter(TSessionData& session, int field, int32_t value);

// Drops every result's highlight records.
void ClearHighLights(TSessionData& session);

// The profile's domains and file types become every entry of the two
// extension clusters (for a profile whose boxes all start checked).
void CheckAllDomains(TSessionData& session);
void CheckAllFileTypes(TSessionData& session);

// The re-filter step up to the narrowing filter: the word shown only, the
// profile filter and the narrowing word.
void ApplyFilter(TSessionData& session);

// The word-list filter of a subject profile: only the results that hold one
// of the profile's words (or, when the profile says so, a keyword in their
// host) stay, then the word clusters and the word pane are built again over
// them.
void WordListFilter(TSessionData& session, const std::string& keywords, const TLapFunction& lap);

// Word-list scores for the word shown only, then the profile's order.
void ClosingSort(TSessionData& session);

}  // namespace orvane
