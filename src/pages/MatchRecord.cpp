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

int32_t CountMatches(const TResults& results, TMatchField field, int32_t value) {
  const TMatchKeywords keywords(results);
  int32_t count = 0;
  for (const auto& result : results.List)
    if (keywords.Of(*result)[field] == value) ++count;
  return count;
}

}  // namespace orvane
