#include "clusters/WordStorage.h"

#include <algorithm>

#include "search/Results.h"

namespace orvane {

void TWordStorage::Build(TResults& results, size_t total) {
  size_t words = 0;
  for (const auto& result : results.List)
    words += result->Words.DescriptionWords.size() + result->Words.TitleWords.size();
  // The results keep pointers into the array: it must never move.
  Records.clear();
  Records.reserve(std::max(words, total));
  auto index = [this](TResult& result, const TWordList& list, std::vector<TOccurrence*>& slots, uint8_t inDescription) {
    slots.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      TOccurrence& record = Records.emplace_back();
      record.WordIndex = static_cast<int32_t>(i);
      record.Result = &result;
      record.InDescription = inDescription;
      record.CharPos = list[i].Position;
      record.HasNext = i + 1 < list.size();
      slots[i] = &record;
    }
  };
  for (const auto& result : results.List) {
    index(*result, result->Words.DescriptionWords, result->Words.DescriptionOccurrences, 1);
    index(*result, result->Words.TitleWords, result->Words.TitleOccurrences, 0);
  }
}

}  // namespace orvane
