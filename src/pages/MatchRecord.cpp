#include "pages/MatchRecord.h"

#include "host/GlobalData.h"
#include "search/Results.h"

namespace orvane {

TMatchKeywords::TMatchKeywords(const TResults& results) {
  const TTask* first = results.FirstTask();
  SplitKeywords(first ? first->Keywords : std::string(), words_, cleaner_, phrase_);
}

TMatchRecord TMatchKeywords::Of(const TResult& result) const {
  return TGlobal::WordPresenceFlags(phrase_, words_, result, cleaner_);
}

bool TMatchKeywords::HasPhrase(const TResult& result) const {
  const auto holds = [this](const std::string& text) { return TGlobal::WordPresence(text, phrase_, {}) == 2; };
  return holds(cleaner_.Clear(result.Title)) || holds(cleaner_.Clear(result.Description())) ||
         holds(ExtractSiteName(result.Link, result.DomainExt));
}

int32_t CountMatches(const TResults& results, TMatchField field, int32_t value) {
  const TMatchKeywords keywords(results);
  int32_t count = 0;
  // The options frame counts the exact matches of all results each time it
  // is shown; that needs the phrase only.
  const bool phraseOnly = field == kOneOfThem && value == 2;
  for (const auto& result : results.List)
    if (phraseOnly ? keywords.HasPhrase(*result) : keywords.Of(*result)[field] == value) ++count;
  return count;
}

}  // namespace orvane
