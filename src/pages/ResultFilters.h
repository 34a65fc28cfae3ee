// The filters that decide which of a session's results are visible, and the
// re-filter step and closing sort that the search and the filter actions
// share. Each one changes the session's state and runs with the session's
// data lock held exclusively. A filter only changes Visible flags: no result
// is deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "clusters/SessionPanes.h"

namespace orvane {

class TPreferences;
class TProfile;
class TResult;
class TResults;
class TSeperateWords;
class TXMLManager;

// What the filters take from the configuration.
struct TFilterSettings {
  std::string RelatedColor;  // highlight of the word shown only
  std::string NarrowColor;   // highlight of the narrowing word
  TClusterSettings Clusters;
  const TXMLManager* Store = nullptr;  // the ranking constants
};

// The parts of one session that the filters read and change: a bundle of
// references, so a const bundle still lets a filter change what it points at.
struct TFilterState {
  TResults& Results;
  TProfile& Profile;
  const TPreferences& Preferences;
  TSessionPanes& Panes;
  TSeperateWords& SeperateWords;
  TFilterSettings Settings;
};

// Called with a step's caption when it is done (the handler's time log).
using TLapFunction = std::function<void(const std::string& caption)>;

// Shows the results of the profile search, and of the others those that fit
// the profile's extensions; hides zero-score and nested results and, when
// the profile asks, all but home pages or exact matches.
void ProfileFilter(const TFilterState& state);

// Keeps visible the visible results found holding the narrowing word, and
// those whose link holds it without its spaces (those get a link highlight).
void NarrowingFilter(const TFilterState& state, const std::vector<TResult*>& found);

// Shows only the results of the domain or file extension or group that the
// preferences slice by (the first of the four set); all when none is.
void ExtensionFilter(const TFilterState& state);

// A statistics slice: "Hidden" turns every flag over; "Total", "Nested",
// "Rank0" and "Homepageonly" show their results; any other name shows none.
void SliceFilter(const TFilterState& state, const std::string& whatToShow);

// Shows the results whose match record holds `value` in `field`; a field
// of -1 (none named) shows none.
void MatchFilter(const TFilterState& state, int field, int32_t value);

// Drops every result's highlight records.
void ClearHighLights(const TFilterState& state);

// The profile's domains and file types become every entry of the two
// extension clusters (for a profile whose boxes all start checked).
void CheckAllDomains(const TFilterState& state);
void CheckAllFileTypes(const TFilterState& state);

// The re-filter step up to the narrowing filter: the word shown only, the
// profile filter and the narrowing word.
void ApplyFilter(const TFilterState& state);

// The word-list filter of a subject profile: only the results that hold one
// of the profile's words (or, when the profile says so, a keyword in their
// host) stay, then the word clusters and the word pane are built again over
// them.
void WordListFilter(const TFilterState& state, const std::string& keywords, const TLapFunction& lap);

// Word-list scores for the word shown only, then the profile's order.
void ClosingSort(const TFilterState& state);

}  // namespace orvane
