#include "clusters/ClusterHash.h"

#include <stdexcept>
#include <unordered_set>

#include "clusters/WordStorage.h"

namespace orvane {

TClusterHash::TClusterHash(size_t size) : Buckets(size, nullptr) {
  records_.reserve(size);
  entries_.reserve(size);
}

uint32_t TClusterHash::Hash(std::string_view word) const {
  uint32_t h = 0;
  for (unsigned char c : word) h = ((h << 2) | (h >> 30)) ^ c;
  return h;
}

TWordRecord* TClusterHash::RecordOf(THashEntry* entry) {
  TWordRecord* record = entry->Record;
  while (record->MergedInto) record = record->MergedInto;
  entry->Record = record;
  return record;
}

THashEntry* TClusterHash::Find(std::string_view word) const {
  if (Buckets.empty()) return nullptr;
  for (THashEntry* entry = Buckets[Hash(word) % Buckets.size()]; entry; entry = entry->Next)
    if (entry->Word == word) {
      RecordOf(entry);
      return entry;
    }
  return nullptr;
}

THashEntry* TClusterHash::Add(std::string_view word, TOccurrence* occurrence) {
  THashEntry* entry = Find(word);
  if (!entry) {
    // The arrays were sized for every addition: growing them would move
    // what the chains point at.
    if (entries_.size() == entries_.capacity()) throw std::length_error("word table is full");
    TWordRecord& record = records_.emplace_back();
    record.Forms.emplace_back(word);
    entry = &entries_.emplace_back();
    entry->Word = word;
    entry->Record = &record;
    THashEntry*& head = Buckets[Hash(word) % Buckets.size()];
    entry->Next = head;
    head = entry;
  }
  TWordRecord& record = *entry->Record;
  if (record.Occurrences.empty() || record.Occurrences.back()->Result != occurrence->Result) ++record.Count;
  record.Occurrences.push_back(occurrence);
  return entry;
}

void TClusterHash::Merge(THashEntry* into, THashEntry* from) {
  TWordRecord* target = RecordOf(into);
  TWordRecord* source = RecordOf(from);
  if (target == source) return;
  target->Occurrences.insert(target->Occurrences.end(), source->Occurrences.begin(), source->Occurrences.end());
  target->Forms.insert(target->Forms.end(), source->Forms.begin(), source->Forms.end());
  std::unordered_set<const TResult*> results;
  for (const TOccurrence* occurrence : target->Occurrences) results.insert(occurrence->Result);
  target->Count = static_cast<int32_t>(results.size());
  source->Occurrences.clear();
  source->Forms.clear();
  source->Count = 0;
  source->MergedInto = target;
  from->Record = target;
}

}  // namespace orvane
