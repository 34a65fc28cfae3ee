#include "clusters/ClusterHash.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <unordered_set>

#include "clusters/WordStorage.h"

namespace orvane {

static_assert(sizeof(THashEntry) == 32, "the entry number fits in the padding");

namespace {

constexpr size_t kFirstSlots = 64;
constexpr size_t kFirstTextBlock = 4096;
constexpr size_t kTextBlock = 64 * 1024;

// Records and entries a block: a 64th of the additions, so that the block
// left partly empty costs little next to the table, and the tables of a few
// results (the deep clusters' ones) stay small.
size_t EntryBlock(size_t additions) { return std::clamp<size_t>(std::bit_ceil(additions / 64), 64, 8192); }

// The slot a hash starts probing at, of a power-of-two count: the rotating
// hash keeps its entropy in the low bits, a multiply moves it to the top ones.
size_t HomeSlot(uint32_t hash, size_t slots) {
  const int shift = 32 - std::countr_zero(slots);
  return shift >= 32 ? 0 : static_cast<size_t>((hash * 0x9E3779B1u) >> shift);
}

// Kept out of line, so that the short comparisons need few registers.
[[gnu::noinline]] bool LongSame(const char* a, const char* b, size_t size) { return std::memcmp(a, b, size) == 0; }

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
  if (size > 16) return LongSame(a, b, size);
  if (size >= 8) return load8(a) == load8(b) && load8(a + size - 8) == load8(b + size - 8);
  if (size >= 4) return load4(a) == load4(b) && load4(a + size - 4) == load4(b + size - 4);
  for (size_t i = 0; i < size; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Tells the texts that equal `word`.
auto SameAs(std::string_view word) {
  return [word](std::string_view text) {
    return text.size() == word.size() && SameBytes(text.data(), word.data(), word.size());
  };
}

}  // namespace

void TWordForms::Append(const TWordForms& other) {
  if (!more_) more_ = std::make_unique<std::vector<std::string_view>>(begin(), end());
  more_->insert(more_->end(), other.begin(), other.end());
}

void TWordForms::clear() {
  more_.reset();
  first_ = {};
}

bool operator==(const TWordForms& forms, const std::vector<std::string>& texts) {
  return std::equal(forms.begin(), forms.end(), texts.begin(), texts.end());
}

TClusterHash::TClusterHash(size_t size) : size_(size), records_(EntryBlock(size)), entries_(EntryBlock(size)) {
  // Freed at the layout, and the tables get about as many additions as they
  // are made for: one array of that size is cheaper than one that doubles.
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

// Inlined into its callers: the call cost as much as the probe.
template <typename Same>
[[gnu::always_inline]] inline THashEntry* TClusterHash::Probe(uint32_t hash, const Same& same, size_t& slot) const {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (slot = HomeSlot(hash, slots_.size());; slot = (slot + 1) & mask) {
    const TSlot probe = slots_[slot];
    if (probe.Entry == 0) return nullptr;
    if (probe.Hash != hash) continue;
    const THashEntry& entry = entries_[probe.Entry - 1];
    if (same(entry.Word)) return const_cast<THashEntry*>(&entry);
  }
}

THashEntry* TClusterHash::Find(std::string_view word) const {
  LayOut();
  size_t slot = 0;
  const auto same = SameAs(word);
  THashEntry* entry = Probe(Hash(word), same, slot);
  if (entry) RecordOf(entry);
  return entry;
}

char* TClusterHash::Reserve(size_t size) {
  if (blockUsed_ + size > blockSize_) {
    // Small at first: most tables of a search hold a few thousand words.
    blockSize_ = std::max(std::min(kTextBlock, 4 * blockSize_ + kFirstTextBlock), size);
    textBlocks_.push_back(MakeBigBlock<char>(blockSize_));
    blockUsed_ = 0;
  }
  char* text = textBlocks_.back().get() + blockUsed_;
  blockUsed_ += size;
  return text;
}

void TClusterHash::GrowIndex() {
  TBigArray<TSlot> old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const TSlot& filled : old) {
    if (filled.Entry == 0) continue;
    size_t slot = HomeSlot(filled.Hash, slots_.size());
    while (slots_[slot].Entry != 0) slot = (slot + 1) & mask;
    slots_[slot] = filled;
  }
}

template <typename Same, typename Write>
THashEntry* TClusterHash::Insert(uint32_t hash, size_t size, const Same& same, const Write& write,
                                 TOccurrence* occurrence) {
  if (laidOut_) throw std::logic_error("word table added to after it was read");
  // Grown ahead, so that the probe below ends at the slot a new entry takes.
  if (!slots_.empty() && 2 * (entries_.size() + 1) > slots_.size()) GrowIndex();
  size_t slot = 0;
  THashEntry* entry = Probe(hash, same, slot);
  uint32_t index = 0;
  if (entry) {
    index = slots_[slot].Entry - 1;
  } else {
    if (entries_.size() == size_) throw std::length_error("word table is full");
    index = static_cast<uint32_t>(entries_.size());
    TWordRecord& record = records_.emplace_back();
    entry = &entries_.emplace_back();
    char* text = Reserve(size);
    write(text);
    entry->Word = {text, size};
    entry->Record = &record;
    entry->Hash = hash;
    entry->Number = index + 1;
    record.Forms = TWordForms(entry->Word);
    slots_[slot] = TSlot{hash, index + 1};
  }
  // No fold happens before the table is read: the record is the entry's own.
  TWordRecord& record = *entry->Record;
  // A result's places come one after another.
  if (record.Count == 0 || record.LastResult != occurrence->Result) ++record.Count;
  record.LastResult = occurrence->Result;
  additions_.push_back({index, occurrence});
  return entry;
}

THashEntry* TClusterHash::Add(std::string_view word, TOccurrence* occurrence) {
  const auto same = SameAs(word);
  auto write = [&](char* text) { std::memcpy(text, word.data(), word.size()); };
  return Insert(Hash(word), word.size(), same, write, occurrence);
}

THashEntry* TClusterHash::AddPhrase(const THashEntry& first, const THashEntry& second, TOccurrence* occurrence) {
  const std::string_view one = first.Word;
  const std::string_view two = second.Word;
  const size_t size = one.size() + 1 + two.size();
  auto same = [&](std::string_view text) {
    return text.size() == size && SameBytes(text.data(), one.data(), one.size()) && text[one.size()] == ' ' &&
           SameBytes(text.data() + one.size() + 1, two.data(), two.size());
  };
  auto write = [&](char* text) {
    std::memcpy(text, one.data(), one.size());
    text[one.size()] = ' ';
    std::memcpy(text + one.size() + 1, two.data(), two.size());
  };
  return Insert(JoinedHash(first.Hash, second.Hash, two.size()), size, same, write, occurrence);
}

const std::vector<uint32_t>& TClusterHash::Order() const {
  if (order_.size() == entries_.size()) return order_;
  // By bucket, and within one by the latest addition first: counted per
  // bucket, then placed from the latest entry on.
  const uint32_t buckets = static_cast<uint32_t>(size_);
  std::vector<uint32_t> next(size_ + 1, 0);
  for (size_t i = 0; i < entries_.size(); ++i) ++next[entries_[i].Hash % buckets + 1];
  for (size_t bucket = 1; bucket <= size_; ++bucket) next[bucket] += next[bucket - 1];
  order_.resize(entries_.size());
  for (size_t i = entries_.size(); i-- > 0;) order_[next[entries_[i].Hash % buckets]++] = static_cast<uint32_t>(i);
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
  for (const TAddition& addition : additions_) ++next[addition.Record + 1];
  for (size_t i = 1; i < next.size(); ++i) next[i] += next[i - 1];
  base_ = additions_.empty() ? nullptr : additions_[0].Occurrence;
  for (const TAddition& addition : additions_) base_ = std::min(base_, addition.Occurrence);
  places_ = MakeBigBlock<uint32_t>(additions_.size());
  for (size_t i = 0; i < records_.size(); ++i)
    records_[i].Occurrences = {base_, places_.get() + next[i], next[i + 1] - next[i]};
  for (const TAddition& addition : additions_) {
    const auto place = static_cast<size_t>(addition.Occurrence - base_);
    if (place > UINT32_MAX) throw std::length_error("word table places lie too far apart");
    places_[next[addition.Record]++] = static_cast<uint32_t>(place);
  }
  // Assigning {} would keep the capacity: a moved-in empty array frees it.
  additions_ = TBigArray<TAddition>();
}

void TClusterHash::Merge(THashEntry* into, THashEntry* from) {
  TWordRecord* target = RecordOf(into);
  TWordRecord* source = RecordOf(from);
  if (target == source) return;
  LayOut();
  std::vector<uint32_t>& places = mergedPlaces_.emplace_back();
  places.reserve(target->Occurrences.size() + source->Occurrences.size());
  for (const TPlaceList* list : {&target->Occurrences, &source->Occurrences})
    for (const TOccurrence* occurrence : *list) places.push_back(static_cast<uint32_t>(occurrence - base_));
  target->Occurrences = {base_, places.data(), places.size()};
  target->Forms.Append(source->Forms);
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
