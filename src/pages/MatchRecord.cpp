#include "pages/MatchRecord.h"

#include "search/Results.h"

namespace orvane {

TMatchKeywords::TMatchKeywords(const TResults& results) {
  const TTask* first = results.FirstTask();
  SplitKeywords(first ? first->Keywords : std::string(), words_, cleaner_, phrase_);
}

TMatchRecord TMatchKeywords::Of(const TResult& result) const {
  const int32_t t = WordPresence(cleaner_.Clear(result.Source.Title), phrase_, words_);
  const int32_t d = WordPresence(cleaner_.Clear(result.Description()), phrase_, words_);
  const int32_t l = WordPresence(ExtractSiteName(result.Source.Link, result.Facts.DomainExt), phrase_, words_);
  const auto both = [](bool holds) { return holds ? 2 : -1; };
  return {both(t == 2 || d == 2 || l == 2), t, d, l, both(t == 2 && d == 2), both(l == 2 && t == 2),
          both(l == 2 && d == 2), both(t == 2 && d == 2 && l == 2)};
}

bool TMatchKeywords::HasPhrase(const TResult& result) const {
  // Asked for every result each time the options frame is shown: the texts
  // are cleaned into one buffer.
  std::string& text = scratch_;
  cleaner_.Clear(result.Source.Title, text);
  if (Occurs(text, phrase_)) return true;
  ExtractSiteName(result.Source.Link, result.Facts.DomainExt, text);
  if (Occurs(text, phrase_)) return true;
  cleaner_.Clear(result.Description(), text);
  return Occurs(text, phrase_);
}

int32_t CountMatches(const TResults& results, TMatchField field, int32_t value) {
  const auto count = [&results](const auto& holds) {
    int32_t found = 0;
    for (const auto& result : results.List) found += holds(*result) ? 1 : 0;
    return found;
  };
  // The options frame counts the exact matches of all results each time it
  // is shown: that needs the phrase only, and the answer is kept.
  if (field == kOneOfThem && value == 2)
    return results.ExactMatchCount([&] {
      const TMatchKeywords keywords(results);
      return count([&keywords](const TResult& result) { return keywords.HasPhrase(result); });
    });
  const TMatchKeywords keywords(results);
  return count([&](const TResult& result) { return keywords.Of(result)[field] == value; });
}

}  // namespace orvane
