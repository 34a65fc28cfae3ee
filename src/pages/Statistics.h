// The statistics page and the rank explanation page: the tags that show how
// the last search went and how its results divide, and every term of one
// result's total rank. Both only read the session (its DataLock is held
// shared by the page being built); counts are made here, never cached.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

class TResult;
class TResults;
class TProfile;
struct TEngineTally;
struct TFetchTotals;
class TPreferences;
struct TPredefinedWord;

// The "<ov:Statistics:...>" tags. Raises when the session has no task yet.
// "<ov:Statistics:EnginePanel/>" is the table of EnginePanel for the totals.
void FillStatistics(const TResults& results, const TFetchTotals& totals, const std::string& presentationDuration,
                    std::string& text);

// One row per engine that took part in the last search (pages asked,
// answered, failed, results, seconds), or a row saying none was asked.
std::string EnginePanel(const std::vector<TEngineTally>& tallies);
// One line per engine of the saved tasks that the data file no longer
// defines; empty when every one is defined.
std::string MissingEnginesNote(const TResults& results);

// The explanation tags for the result at `index` of the list. Raises when
// there is no such result.
void FillRankExplanation(const TResults& results, const TProfile& profile, const TPreferences& preferences,
                         int32_t index, std::string& text);

// The table of the profile words' occurrences in one result and their
// shares of the weights.
std::string WordListScoring(const TResult& result, const TProfile& profile, const std::vector<TPredefinedWord>& words);

// How often `word` occurs in `text`, ASCII case ignored, occurrences not
// overlapping.
int32_t CountOccurrences(const std::string& word, const std::string& text);
// The same for words starting with `word` after a blank (" word " counts
// first, then " word"); the very start of the text does not count.
int32_t CountWordStarts(const std::string& word, const std::string& text);

}  // namespace orvane
