// The match record of a result: where the search keywords occur in its
// cleaned title, description and site name. Computed again when needed,
// never stored; the statistics, the slices and the options frame count it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "words/WordUtils.h"

namespace orvane {

class TResult;
class TResults;

enum TMatchField : int {
  kOneOfThem = 0,
  kMatchTitle,
  kMatchDescription,
  kMatchLink,
  kMatchTitleAndDescription,
  kMatchLinkAndTitle,
  kMatchLinkAndDescription,
  kMatchAll
};
using TMatchRecord = std::array<int32_t, 8>;

// The keywords of the session's first search, split once for many records.
class TMatchKeywords {
 public:
  explicit TMatchKeywords(const TResults& results);

  // [kOneOfThem] the phrase anywhere, [kMatchTitle..kMatchLink] the
  // WordPresence of title, description and site name, the rest the phrase in
  // both or all three fields; -1 where a condition does not hold.
  TMatchRecord Of(const TResult& result) const;
  // Of(result)[kOneOfThem] == 2, found without the single words: the phrase
  // is in the cleaned title, the cleaned description or the site name.
  bool HasPhrase(const TResult& result) const;

 private:
  std::string phrase_;
  std::vector<std::string> words_;
  TClearArgument cleaner_;
  mutable std::string scratch_;  // HasPhrase's: an instance serves one thread
};

// Results, visible or not, whose record holds `value` in `field`.
int32_t CountMatches(const TResults& results, TMatchField field, int32_t value);

}  // namespace orvane
