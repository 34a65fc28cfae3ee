#include "clusters/ClusterHash.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <unordered_set>

#include "clusters/WordStorage.h"

namespace orvane {

namespace {

constexpr size_t kFirstSlots = 64;
constexpr size_t kTextBlock = 64 * 1024;

// The slot a hash starts probing at, of a power-of-two count: the rotating
// hash keeps its entropy in the low bits, a multiply moves it to the top ones.
size_t HomeSlot(uint32_t hash, size_t slots) {
  const int shift = 32 - std::countr_zero(slots);
  return shift >= 32 ? 0 : static_cast<size_t>((hash * 0x9E3779B1u) >> shift);
}

// Equal bytes, with short runs (most words) compared in two loads each.
bool SameBytes(const char* a, const char* b, size_t size) {
  auto load8 = [](const char* p) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  };
  auto load4 = [](const char* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  };
  if (size > 16) return std::memcmp(a, b, size) == 0;
  if (size >= 8) return load8(a) == load8(b) && load8(a + size - 8) == load8(b + size - 8);
  if (size >= 4) return load4(a) == load4(b) && load4(a + size - 4) == load4(b + size - 4);
  for (size_t i = 0; i < size; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

TClusterHash::TClusterHash(size_t size) : size_(size) {
  records_.reserve(size);
  entries_.reserve(size);
  additions_.reserve(size);
  if (size > 0) slots_.resize(std::min(std::bit_ceil(size * 2), kFirstSlots));
}

uint32_t TClusterHash::Hash(std::string_view word) {
  uint32_t h = 0;
  for (unsigned char c : word) h = std::rotl(h, 2) ^ c;
  return h;
}

uint32_t TClusterHash::JoinedHash(uint32_t first, uint32_t second, size_t secondSize) {
  // Rotation distributes over XOR: the bytes after a prefix rotate its hash
  // by two bits each and XOR in their own hash.
  const uint32_t withBlank = std::rotl(first, 2) ^ static_cast<uint32_t>(' ');
  return std::rotl(withBlank, static_cast<int>((2 * secondSize) % 32)) ^ second;
}

TWordRecord* TClusterHash::RecordOf(THashEntry* entry) {
  TWordRecord* record = entry->Record;
  while (record->MergedInto) record = record->MergedInto;
  entry->Record = record;
  return record;
}

bool TClusterHash::Matches(const THashEntry& entry, const TKey& key) const {
  const std::string_view word = entry.Word;
  const size_t first = key.First.size();
  if (word.size() != key.Size() || !SameBytes(word.data(), key.First.data(), first)) return false;
  return !key.Joined || (word[first] == ' ' && SameBytes(word.data() + first + 1, key.Second.data(), key.Second.size()));
}

THashEntry* TClusterHash::Lookup(const TKey& key) const {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t slot = HomeSlot(key.Hash, slots_.size());; slot = (slot + 1) & mask) {
    const TSlot& probe = slots_[slot];
    if (probe.Entry == 0) return nullptr;
    if (probe.Hash != key.Hash) continue;
    THashEntry* entry = const_cast<THashEntry*>(&entries_[probe.Entry - 1]);
    if (Matches(*entry, key)) return entry;
  }
}

THashEntry* TClusterHash::Find(std::string_view word) const {
  LayOut();
  THashEntry* entry = Lookup(TKey{word, {}, false, Hash(word)});
  if (entry) RecordOf(entry);
  return entry;
}

std::string_view TClusterHash::Store(const TKey& key) {
  const size_t size = key.Size();
  if (blockUsed_ + size > blockSize_) {
    blockSize_ = std::max(kTextBlock, size);
    textBlocks_.push_back(std::make_unique<char[]>(blockSize_));
    blockUsed_ = 0;
  }
  char* text = textBlocks_.back().get() + blockUsed_;
  blockUsed_ += size;
  std::memcpy(text, key.First.data(), key.First.size());
  if (key.Joined) {
    text[key.First.size()] = ' ';
    std::memcpy(text + key.First.size() + 1, key.Second.data(), key.Second.size());
  }
  return {text, size};
}

void TClusterHash::GrowIndex() {
  std::vector<TSlot> old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const TSlot& filled : old) {
    if (filled.Entry == 0) continue;
    size_t slot = HomeSlot(filled.Hash, slots_.size());
    while (slots_[slot].Entry != 0) slot = (slot + 1) & mask;
    slots_[slot] = filled;
  }
}

THashEntry* TClusterHash::Insert(const TKey& key, TOccurrence* occurrence) {
  if (laidOut_) throw std::logic_error("word table added to after it was read");
  THashEntry* entry = Lookup(key);
  if (!entry) {
    // The arrays were sized for every addition: growing them would move
    // what the occurrences and the cluster lists point at.
    if (entries_.size() == entries_.capacity()) throw std::length_error("word table is full");
    if (2 * (entries_.size() + 1) > slots_.size()) GrowIndex();
    TWordRecord& record = records_.emplace_back();
    entry = &entries_.emplace_back();
    entry->Word = Store(key);
    entry->Record = &record;
    entry->Hash = key.Hash;
    record.Forms.emplace_back(entry->Word);
    const size_t mask = slots_.size() - 1;
    size_t slot = HomeSlot(key.Hash, slots_.size());
    while (slots_[slot].Entry != 0) slot = (slot + 1) & mask;
    slots_[slot] = TSlot{key.Hash, static_cast<uint32_t>(entries_.size())};
  } else {
    RecordOf(entry);
  }
  TWordRecord& record = *entry->Record;
  // A result's places come one after another.
  if (record.Count == 0 || record.LastResult != occurrence->Result) ++record.Count;
  record.LastResult = occurrence->Result;
  additions_.push_back({&record, occurrence});
  return entry;
}

THashEntry* TClusterHash::Add(std::string_view word, TOccurrence* occurrence) {
  return Insert(TKey{word, {}, false, Hash(word)}, occurrence);
}

THashEntry* TClusterHash::AddPhrase(const THashEntry& first, const THashEntry& second, TOccurrence* occurrence) {
  return Insert(TKey{first.Word, second.Word, true, JoinedHash(first.Hash, second.Hash, second.Word.size())},
                occurrence);
}

const std::vector<uint32_t>& TClusterHash::Order() const {
  if (order_.size() == entries_.size()) return order_;
  // By bucket, and within one by the latest addition first.
  std::vector<uint64_t> keys(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i)
    keys[i] = (uint64_t{entries_[i].Hash % static_cast<uint32_t>(size_)} << 32) | (UINT32_MAX - i);
  std::sort(keys.begin(), keys.end());
  order_.resize(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) order_[i] = UINT32_MAX - static_cast<uint32_t>(keys[i]);
  return order_;
}

void TClusterHash::LayOut() const {
  if (!laidOut_) const_cast<TClusterHash*>(this)->LayOutPlaces();
}

void TClusterHash::LayOutPlaces() {
  laidOut_ = true;
  // Counted, then placed: each record's places end up side by side, in the
  // order they were added.
  std::vector<uint32_t> next(records_.size() + 1, 0);
  for (const TAddition& addition : additions_) ++next[addition.Record - records_.data() + 1];
  for (size_t i = 1; i < next.size(); ++i) next[i] += next[i - 1];
  places_.resize(additions_.size());
  for (size_t i = 0; i < records_.size(); ++i)
    records_[i].Occurrences = {places_.data() + next[i], next[i + 1] - next[i]};
  for (const TAddition& addition : additions_) places_[next[addition.Record - records_.data()]++] = addition.Occurrence;
  additions_ = {};
}

void TClusterHash::Merge(THashEntry* into, THashEntry* from) {
  TWordRecord* target = RecordOf(into);
  TWordRecord* source = RecordOf(from);
  if (target == source) return;
  LayOut();
  std::vector<TOccurrence*>& places = mergedPlaces_.emplace_back(target->Occurrences.begin(), target->Occurrences.end());
  places.insert(places.end(), source->Occurrences.begin(), source->Occurrences.end());
  target->Occurrences = places;
  target->Forms.insert(target->Forms.end(), source->Forms.begin(), source->Forms.end());
  std::unordered_set<const TResult*> results;
  for (const TOccurrence* occurrence : target->Occurrences) results.insert(occurrence->Result);
  target->Count = static_cast<int32_t>(results.size());
  source->Occurrences = {};
  source->Forms.clear();
  source->Count = 0;
  source->MergedInto = target;
  from->Record = target;
}

}  // namespace orvane
