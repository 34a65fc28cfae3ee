// TFetchTotals: what the query threads of a session's last search add up:
// the download and parse times and counts, and each engine's tally. The
// session owns one; the query threads write it under Lock, which also guards
// the staging lists they hand their results to.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace orvane {

// What one engine's pages did during a session's last search.
struct TEngineTally {
  int32_t PagesAsked = 0;
  int32_t PagesAnswered = 0;  // downloaded (or replayed), parsed or not
  int32_t HttpFailures = 0;   // the download raised: a status, a cut transfer, a time-out
  int32_t ResultsParsed = 0;
  long double Seconds = 0;  // download and parse of its pages, added up
};

struct TFetchTotals {
  mutable std::mutex Lock;  // the statistics page reads the totals through a const session

  // Guarded by Lock.
  long double ParseTime = 0;     // seconds
  long double DownloadTime = 0;  // seconds
  int32_t ParseCount = 0;
  int32_t DownloadCount = 0;
  double FetchCpuMs = 0;  // CPU of the query threads, added up
  double ParseCpuMs = 0;
  std::vector<TEngineTally> EngineTallies;  // by engine index, grown as engines answer

  // Caller holds Lock. Null for a negative index; the tallies grow to the
  // highest engine asked.
  TEngineTally* TallyOf(int engine);
  // A copy of EngineTallies taken under Lock.
  std::vector<TEngineTally> EngineTallySnapshot() const;
  // Clears the totals and the tallies under Lock, for a new search or a load
  // of saved results.
  void Reset();
};

}  // namespace orvane
