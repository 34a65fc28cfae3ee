#include "clusters/WordStorage.h"

#include <algorithm>

#include "search/Results.h"

namespace orvane {

static_assert(sizeof(TOccurrence) == 16, "a search keeps one per word");

const TWordList& WordsOf(const TOccurrence& occurrence) {
  return occurrence.InDescription ? occurrence.Result->Words.DescriptionWords : occurrence.Result->Words.TitleWords;
}

std::span<TOccurrence> SlotsOf(const TOccurrence& occurrence) {
  return occurrence.InDescription ? occurrence.Result->Words.DescriptionOccurrences
                                  : occurrence.Result->Words.TitleOccurrences;
}

int32_t CharPosOf(const TOccurrence& occurrence) { return WordsOf(occurrence)[occurrence.WordIndex].Position; }

void TWordStorage::Build(TResults& results, size_t total) {
  size_t words = 0;
  for (const auto& result : results.List)
    words += result->Words.DescriptionWords.size() + result->Words.TitleWords.size();
  // The results keep pointers into the array: it must never move.
  Records.clear();
  Records.reserve(std::max(words, total));
  auto index = [this](TResult& result, const TWordList& list, std::span<TOccurrence>& slots, uint8_t inDescription) {
    const size_t count = list.size();
    const size_t first = Records.size();
    Records.resize(first + count);
    TOccurrence* records = Records.data() + first;
    slots = {records, count};
    for (size_t i = 0; i < count; ++i) {
      TOccurrence& record = records[i];
      record.WordIndex = static_cast<uint32_t>(i);
      record.Result = &result;
      record.InDescription = inDescription;
      record.HasNext = i + 1 < count;
    }
  };
  for (const auto& result : results.List) {
    index(*result, result->Words.DescriptionWords, result->Words.DescriptionOccurrences, 1);
    index(*result, result->Words.TitleWords, result->Words.TitleOccurrences, 0);
  }
}

}  // namespace orvane
