// TWordStorage: one occurrence record for every word of every result's
// title and description, in one array sized once per search. The session
// owns it; word tables and highlight records point into it, so it is only
// rebuilt or freed after they are gone (at the next search, or when the
// session ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/BigArray.h"

namespace orvane {

class TResult;
class TResults;
struct THashEntry;

// 24 bytes: a search of 1,000 results keeps some 20,000. A text of the
// largest page has far fewer words than 30 bits count.
struct TOccurrence {
  TResult* Result = nullptr;       // borrowed from the session's results
  THashEntry* Entry = nullptr;     // set by the last word table built over it
  uint32_t WordIndex : 30 = 0;     // in the result's title or description word list
  uint32_t InDescription : 1 = 0;  // 1 description, 0 title
  uint32_t HasNext : 1 = 0;        // the next word of the same list is the next record
  int32_t CharPos = 0;             // 1-based, in the lower-cased text
};

class TWordStorage {
 public:
  // Indexes every word of every result, descriptions first; `total` is the
  // number of words (a short count is corrected, never overrun). Each
  // result's occurrence lists then point at its records.
  void Build(TResults& results, size_t total);

  TBigArray<TOccurrence> Records;
};

}  // namespace orvane
