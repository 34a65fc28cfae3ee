#include "clusters/AutoWordClusters.h"

#include <algorithm>
#include <unordered_set>

#include "base/Log.h"
#include "base/StrUtils.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"
#include "words/Plural.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

constexpr size_t kPrefetchAhead = 8;

size_t WordCount(const TResult& result) {
  return result.Words.DescriptionWords.size() + result.Words.TitleWords.size();
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The word table as the plural rules see it.
class TFoldableTable : public TPluralWordTable {
 public:
  explicit TFoldableTable(TClusterHash& table) : table_(table) {}
  bool Contains(std::string_view word) const override { return table_.Find(word) != nullptr; }
  void Merge(std::string_view into, std::string_view from) override {
    THashEntry* target = table_.Find(into);
    THashEntry* source = table_.Find(from);
    if (target && source) table_.Merge(target, source);
  }
  void ForEachWord(const std::function<void(const std::string& word)>& visit) const override {
    table_.ForEachEntry([&](const THashEntry& entry) { visit(std::string(entry.Word)); });
  }

 private:
  TClusterHash& table_;
};

}  // namespace

TAutoWordClusters::TAutoWordClusters(const TPlural* plural, bool debug)
    : WordTable(std::make_unique<TClusterHash>(0)),
      PhraseTable(std::make_unique<TClusterHash>(0)),
      Debug(debug),
      plural_(plural),
      splitter_(std::make_unique<TSeperateWords>()) {}

TAutoWordClusters::~TAutoWordClusters() = default;

void TAutoWordClusters::AddResult(TResult& result) {
  auto add = [this](const TWordList& words, std::span<TOccurrence> slots) {
    const size_t count = std::min(words.size(), slots.size());
    for (size_t i = 0; i < count; ++i) slots[i].Entry = WordTable->Add(words[i].Text, &slots[i])->Number;
  };
  add(result.Words.DescriptionWords, result.Words.DescriptionOccurrences);
  add(result.Words.TitleWords, result.Words.TitleOccurrences);
}

void TAutoWordClusters::BuildWordTable(TResults& results) {
  size_t total = 0;
  for (const auto& result : results.List)
    if (result->Marks.Visible) total += WordCount(*result);
  WordTable = std::make_unique<TClusterHash>(total);
  for (size_t i = 0; i < results.List.size(); ++i) {
    TResult& result = *results.List[i];
    if (!result.Marks.Visible) continue;
    result.Words.ListPosition = static_cast<int32_t>(i);
    AddResult(result);
  }
}

void TAutoWordClusters::BuildWordTable(const std::vector<TResult*>& results) {
  std::vector<TResult*> unique;
  std::unordered_set<const TResult*> seen;
  for (TResult* result : results)
    if (seen.insert(result).second) unique.push_back(result);
  size_t total = 0;
  for (const TResult* result : unique) total += WordCount(*result);
  WordTable = std::make_unique<TClusterHash>(total);
  for (TResult* result : unique) AddResult(*result);
}

void TAutoWordClusters::Prepare(const std::vector<std::string>& ignoreList) {
  for (const std::string& word : ignoreList) IgnoreWord(word);

  // Pairs of adjacent words whose first word is frequent and not ignored.
  auto frequent = [](const THashEntry& entry) { return !entry.Record->Ignored && entry.Record->Count >= 2; };
  size_t total = 0;
  WordTable->ForEachEntry([&](const THashEntry& entry) {
    if (frequent(entry)) total += entry.Record->Occurrences.size();
  });
  PhraseTable = std::make_unique<TClusterHash>(total);
  WordTable->ForEachEntry([&](const THashEntry& entry) {
    if (!frequent(entry)) return;
    const auto& occurrences = entry.Record->Occurrences;
    for (size_t k = 0; k < occurrences.size(); ++k) {
      // A word's places lie far apart in a big storage: ask for a later one
      // early, so that its load overlaps the work on this one.
      if (k + kPrefetchAhead < occurrences.size()) __builtin_prefetch(occurrences[k + kPrefetchAhead]);
      if (k + kPrefetchAhead / 2 < occurrences.size()) {
        const TOccurrence* ahead = occurrences[k + kPrefetchAhead / 2];
        if (ahead->HasNext) __builtin_prefetch(WordTable->Entry(ahead[1].Entry));
      }
      TOccurrence* occurrence = occurrences[k];
      if (occurrence->HasNext) {
        // The storage keeps a list's words in adjacent records, and the next
        // word went into this table with its result: its entry holds the
        // text and its hash, which spares reaching into the result for them.
        TOccurrence* next = occurrence + 1;
        PhraseTable->AddPhrase(entry, *WordTable->Entry(next->Entry), next);
        continue;
      }
      const TWordList& words = WordsOf(*occurrence);
      const auto next = static_cast<size_t>(occurrence->WordIndex) + 1;
      if (next >= words.size() || next >= SlotsOf(*occurrence).size()) continue;
      const THashEntry second{words[next].Text, nullptr, TClusterHash::Hash(words[next].Text), 0};
      PhraseTable->AddPhrase(entry, second, &SlotsOf(*occurrence)[next]);
    }
  });

  if (plural_) {
    TFoldableTable foldable(*WordTable);
    plural_->MergePlurals(foldable);
  }
  // From here on the tables are only read.
  PhraseTable->LayOut();
}

void TAutoWordClusters::IgnoreWord(std::string_view word) {
  if (TWordRecord* record = FindWord(word)) record->Ignored = true;
}

TWordRecord* TAutoWordClusters::FindWord(std::string_view word) const {
  THashEntry* entry = WordTable->Find(word);
  return entry ? entry->Record : nullptr;
}

void TAutoWordClusters::MarkWords(const std::string& text) {
  const TWordList words = splitter_->Separate(text);
  for (const TWord word : words) IgnoreWord(word.Text);
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (THashEntry* entry = PhraseTable->Find(std::string(words[i].Text) + " " + std::string(words[i + 1].Text)))
      entry->Record->Ignored = true;
}

bool TAutoWordClusters::IsCandidate(const TWordRecord& record) const {
  if (record.Ignored || record.Forms.empty() || record.Occurrences.empty()) return false;
  const std::string_view text = record.Forms.front();
  if (text.size() < 3 || AllDigits(text)) return false;
  THashEntry* entry = WordTable->Entry(record.Occurrences.front()->Entry);
  if (!entry) return false;
  const TWordRecord* word = TClusterHash::RecordOf(entry);
  if (word == &record) return true;
  // A phrase: its first occurrence is that of its second word. A doubled
  // word ("york york", or two forms of one word) is no phrase.
  for (const std::string_view first : word->Forms)
    for (const std::string_view second : word->Forms)
      if (text.size() == first.size() + 1 + second.size() && text.starts_with(first) &&
          text[first.size()] == ' ' && text.ends_with(second))
        return false;
  return !word->Ignored;
}

std::vector<std::pair<std::string, TWordRecord*>> TAutoWordClusters::SelectTop(const TClusterHash& table,
                                                                               size_t count) {
  // A bucket sort by result count; a later entry goes in front of the
  // earlier ones of its count.
  std::vector<std::vector<THashEntry*>> byCount;
  table.ForEachEntry([&](const THashEntry& constEntry) {
    THashEntry* entry = const_cast<THashEntry*>(&constEntry);
    const int32_t records = TClusterHash::RecordOf(entry)->Count;
    if (records <= 1) return;
    if (byCount.size() <= static_cast<size_t>(records)) byCount.resize(records + 1);
    byCount[records].push_back(entry);
  });
  std::vector<std::pair<std::string, TWordRecord*>> top;
  std::string debugLines;
  for (size_t records = byCount.size(); records-- > 0 && top.size() < count;) {
    for (auto it = byCount[records].rbegin(); it != byCount[records].rend() && top.size() < count; ++it) {
      TWordRecord& record = *(*it)->Record;
      if (Debug)
        (debugLines += record.Forms.front()) +=
            " " + std::to_string(record.Occurrences.size()) + " " + std::to_string(record.Count) + "\r\n";
      if (record.Used || !IsCandidate(record)) continue;
      record.Used = true;
      top.emplace_back(record.Forms.front(), &record);
    }
  }
  if (Debug) Log("", debugLines);
  return top;
}

void TAutoWordClusters::SelectClusters(TAutoClusterList& clusters) {
  auto words = SelectTop(*WordTable, kTopCandidates);
  auto phrases = SelectTop(*PhraseTable, kTopCandidates);
  // A phrase stays only when it is nearly as frequent as a word it holds,
  // and then that word gives way to it.
  for (auto& [phraseText, phrase] : phrases) {
    phrase->Ignored = true;
    for (auto& [wordText, word] : words) {
      if (phraseText.find(wordText) != std::string::npos && phrase->Count > 0.8 * word->Count) {
        phrase->Ignored = false;
        word->Ignored = true;
      }
    }
  }
  auto take = [&clusters](const auto& candidates, size_t limit) {
    for (const auto& candidate : candidates) {
      if (clusters.size() >= limit) return;
      if (candidate.second->Ignored) continue;
      auto cluster = std::make_unique<TAutoClusterData>();
      cluster->Record = candidate.second;
      clusters.push_back(std::move(cluster));
    }
  };
  take(phrases, kMaxPhrases);
  take(words, kMaxClusters);
}

void TAutoWordClusters::FindResultsWithPhrase(const std::string& phrase, std::vector<TResult*>& results,
                                              const std::string& color) {
  const TWordList words = splitter_->Separate(phrase);
  if (words.empty()) return;
  const TWordRecord* record = FindWord(words.front().Text);
  if (!record) return;
  for (const TOccurrence* occurrence : record->Occurrences) {
    const TWordList& list = WordsOf(*occurrence);
    const std::span<TOccurrence> slots = SlotsOf(*occurrence);
    const auto start = static_cast<size_t>(occurrence->WordIndex);
    // The phrase must fit in this one title or description.
    if (start + words.size() > list.size() || start + words.size() > slots.size()) continue;
    bool matches = true;
    for (size_t k = 1; k < words.size() && matches; ++k) matches = list[start + k].Text == words[k].Text;
    if (!matches) continue;
    if (!color.empty()) {
      for (size_t k = 0; k < words.size(); ++k) {
        const TOccurrence* place = &slots[start + k];
        occurrence->Result->Marks.HighLights.push_back(THighLightData{color, static_cast<uint8_t>(place->InDescription),
                                                                      std::string(list[start + k].Text), place});
      }
    }
    results.push_back(occurrence->Result);
  }
}

}  // namespace orvane
