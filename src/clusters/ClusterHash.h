// TClusterHash: the word table of the automatic clusters, words (or two-word
// phrases) to their records. It is made for a number of additions and holds
// no more entries than that; records and entries grow by blocks as words
// come, and never move: occurrences and cluster lists point at them.
// Lookups go through a flat open-addressing index of hashes that grows on
// its own; walks keep the order of a chained table of that size with its
// chains prepended, since the clusters chosen among equals depend on it.
// All additions come before the first lookup or walk, which lays out the
// places of every record in one array. The caller holds the session's data
// lock exclusively for every call, lookups included: they may lay out the
// places, shorten fold chains and sort the walk order.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/BigArray.h"
#include "base/BlockArray.h"
#include "clusters/WordStorage.h"

namespace orvane {

class TResult;

// A record's word first, then the forms folded into it. The texts are the
// table's: a record of its own would cost one or two allocations per word
// and phrase, the most of any in building the table.
class TWordForms {
 public:
  using value_type = std::string_view;
  using const_iterator = const std::string_view*;
  using iterator = const_iterator;

  TWordForms() = default;
  explicit TWordForms(std::string_view word) : first_(word) {}

  const_iterator begin() const { return more_ ? more_->data() : &first_; }
  const_iterator end() const { return begin() + size(); }
  size_t size() const { return more_ ? more_->size() : (first_.data() ? 1 : 0); }
  bool empty() const { return size() == 0; }
  std::string_view front() const { return *begin(); }
  void Append(const TWordForms& other);
  void clear();

 private:
  std::string_view first_;                               // no text at all once cleared
  std::unique_ptr<std::vector<std::string_view>> more_;  // every form, once there are more than one
};

bool operator==(const TWordForms& forms, const std::vector<std::string>& texts);

// A record's places: each the index of an occurrence from the lowest one
// its table was given, four bytes instead of a pointer's eight. A search's
// word tables keep some 30,000 places, and on a fresh session each byte of
// them is memory new to the process.
class TPlaceList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TOccurrence*;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TOccurrence*;

    const_iterator() = default;
    const_iterator(TOccurrence* base, const uint32_t* at) : base_(base), at_(at) {}
    TOccurrence* operator*() const { return base_ + *at_; }
    const_iterator& operator++() { return ++at_, *this; }
    const_iterator operator++(int) { return {base_, at_++}; }
    bool operator==(const const_iterator& other) const { return at_ == other.at_; }

   private:
    TOccurrence* base_ = nullptr;
    const uint32_t* at_ = nullptr;
  };

  TPlaceList() = default;
  TPlaceList(TOccurrence* base, const uint32_t* places, size_t count) : base_(base), places_(places), count_(count) {}

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  TOccurrence* operator[](size_t index) const { return base_ + places_[index]; }
  TOccurrence* front() const { return (*this)[0]; }
  const_iterator begin() const { return {base_, places_}; }
  const_iterator end() const { return {base_, places_ + count_}; }

 private:
  TOccurrence* base_ = nullptr;
  const uint32_t* places_ = nullptr;
  size_t count_ = 0;
};

struct TWordRecord {
  // Every place, in the order added; kept by the table, which lays them out
  // once the additions are over.
  TPlaceList Occurrences;
  int32_t Count = 0;  // distinct results among them
  bool Ignored = false;
  bool Used = false;
  TWordForms Forms;
  TWordRecord* MergedInto = nullptr;     // set when a fold moved the data away
  const TResult* LastResult = nullptr;  // of the latest addition
};

struct THashEntry {
  std::string_view Word;          // kept by the table
  TWordRecord* Record = nullptr;  // after a plural fold, the singular's
  uint32_t Hash = 0;
  uint32_t Number = 0;  // 1-based, among the table's entries
};

class TClusterHash {
 public:
  explicit TClusterHash(size_t size);
  TClusterHash(const TClusterHash&) = delete;
  TClusterHash& operator=(const TClusterHash&) = delete;

  // Each byte from the first: rotate the 32-bit value left by 2, XOR it in.
  static uint32_t Hash(std::string_view word);
  // The hash of "first second" from the hashes of its two words.
  static uint32_t JoinedHash(uint32_t first, uint32_t second, size_t secondSize);

  // Exact, case-sensitive; none when the table has no room for any entry.
  THashEntry* Find(std::string_view word) const;
  // Raises std::logic_error after the first lookup or walk, and
  // std::length_error past the size the table was made for.
  THashEntry* Add(std::string_view word, TOccurrence* occurrence);
  // Adds the phrase "first second" without its text being built first.
  THashEntry* AddPhrase(const THashEntry& first, const THashEntry& second, TOccurrence* occurrence);
  // Folds `from` into `into`: both words then find one record.
  void Merge(THashEntry* into, THashEntry* from);

  // The entry of a 1-based number; none for 0 or a number past the last.
  THashEntry* Entry(uint32_t number) { return number - 1 < entries_.size() ? &entries_[number - 1] : nullptr; }

  // The entry's current record (following folds).
  static TWordRecord* RecordOf(THashEntry* entry);

  // Every entry in the order of a chained table of `size` buckets: bucket by
  // bucket, each chain from its latest addition.
  template <typename Visit>
  void ForEachEntry(Visit visit) const {
    LayOut();
    for (uint32_t index : Order()) visit(entries_[index]);
  }

  size_t RecordCount() const { return records_.size(); }
  // Ends the additions and lays out the places; the first read does it too.
  void LayOut() const;

 private:
  struct TSlot {
    uint32_t Hash = 0;
    uint32_t Entry = 0;  // 1-based, 0 for an empty slot
  };
  struct TAddition {
    uint32_t Record;  // index, in the order records were made
    TOccurrence* Occurrence;
  };

  // The entry of `hash` that `same` accepts; none, with `slot` the empty
  // slot the probe ended at.
  template <typename Same>
  THashEntry* Probe(uint32_t hash, const Same& same, size_t& slot) const;
  // Adds the place to the entry `same` accepts, or to a new one whose text
  // of `size` bytes `write` fills in.
  template <typename Same, typename Write>
  THashEntry* Insert(uint32_t hash, size_t size, const Same& same, const Write& write, TOccurrence* occurrence);
  char* Reserve(size_t size);
  void GrowIndex();
  const std::vector<uint32_t>& Order() const;
  void LayOutPlaces();

  size_t size_;
  TBigArray<TSlot> slots_;  // a power of two, at most half full
  // Made in pairs: an entry's index is its record's.
  TBlockArray<TWordRecord> records_;
  TBlockArray<THashEntry> entries_;
  std::vector<TBigBlock<char>> textBlocks_;
  size_t blockUsed_ = 0;
  size_t blockSize_ = 0;
  mutable std::vector<uint32_t> order_;  // entry indexes; stale when shorter
  // The places in the order added, until laid out record by record.
  TBigArray<TAddition> additions_;
  // The lowest place added; every place is counted from it. All places of a
  // table lie in one word storage.
  TOccurrence* base_ = nullptr;
  TBigBlock<uint32_t> places_;
  bool laidOut_ = false;
  std::vector<std::vector<uint32_t>> mergedPlaces_;  // one list per fold
};

}  // namespace orvane
