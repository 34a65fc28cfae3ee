// TWordStorage: one occurrence record for every word of every result's
// title and description, in one array sized once per search. The session
// owns it; word tables and highlight records point into it, so it is only
// rebuilt or freed after they are gone (at the next search, or when the
// session ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/BigArray.h"
#include "words/WordUtils.h"

namespace orvane {

class TResult;
class TResults;

// 16 bytes: a search of 1,000 results keeps some 20,000, and on a fresh
// session every page of them is memory new to the process. A text of the
// largest page has far fewer words than 30 bits count. The word's text and
// place are its list's, not copied here.
struct TOccurrence {
  TResult* Result = nullptr;       // borrowed from the session's results
  uint32_t Entry = 0;              // in the last word table built over it, 1-based; 0 none
  uint32_t WordIndex : 30 = 0;     // in the result's title or description word list
  uint32_t InDescription : 1 = 0;  // 1 description, 0 title
  uint32_t HasNext : 1 = 0;        // the next word of the same list is the next record
};

// The word list the record indexes, and its places there.
const TWordList& WordsOf(const TOccurrence& occurrence);
std::span<TOccurrence> SlotsOf(const TOccurrence& occurrence);
// The word's 1-based place in the lower-cased text.
int32_t CharPosOf(const TOccurrence& occurrence);

class TWordStorage {
 public:
  // Indexes every word of every result, descriptions first; `total` is the
  // number of words (a short count is corrected, never overrun). Each
  // result's occurrence lists then point at its records.
  void Build(TResults& results, size_t total);

  TBigArray<TOccurrence> Records;
};

}  // namespace orvane
