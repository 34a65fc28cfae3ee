// TClusterHash: the word table of the automatic clusters, a chained hash of
// words (or two-word phrases) to their records. It is sized once to the
// number of additions that will be made, so records and entries live in two
// arrays that never move and no rehash ever happens; chains are prepended.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/BigArray.h"

namespace orvane {

struct TOccurrence;

struct TWordRecord {
  std::vector<TOccurrence*> Occurrences;  // every place, in the order added
  int32_t Count = 0;                      // distinct results among them
  bool Ignored = false;
  std::vector<std::string> Forms;  // the word first, then the forms folded in
  bool Used = false;
  TWordRecord* MergedInto = nullptr;  // set when a fold moved the data away
};

struct THashEntry {
  THashEntry* Next = nullptr;
  std::string Word;
  TWordRecord* Record = nullptr;  // after a plural fold, the singular's
};

class TClusterHash {
 public:
  explicit TClusterHash(size_t size);
  virtual ~TClusterHash() = default;
  TClusterHash(const TClusterHash&) = delete;
  TClusterHash& operator=(const TClusterHash&) = delete;

  // Each byte from the first: rotate the 32-bit value left by 2, XOR it in.
  virtual uint32_t Hash(std::string_view word) const;

  // Exact, case-sensitive; none when the table has no buckets.
  THashEntry* Find(std::string_view word) const;
  THashEntry* Add(std::string_view word, TOccurrence* occurrence);
  // Folds `from` into `into`: both words then find one record.
  void Merge(THashEntry* into, THashEntry* from);

  // The entry's current record (following folds).
  static TWordRecord* RecordOf(THashEntry* entry);

  // Every entry, bucket by bucket, each chain from its head.
  template <typename Visit>
  void ForEachEntry(Visit visit) const {
    for (THashEntry* head : Buckets)
      for (THashEntry* entry = head; entry; entry = entry->Next) visit(*entry);
  }

  size_t RecordCount() const { return records_.size(); }
  TBigArray<THashEntry*> Buckets;

 private:
  TBigArray<TWordRecord> records_;
  TBigArray<THashEntry> entries_;
};

}  // namespace orvane
