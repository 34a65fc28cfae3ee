// The session the session benchmarks work on: one simulator search of
// 1,000 results.
#pragma once

#include <benchmark/benchmark.h>

#include "host/GlobalData.h"
#include "search/Results.h"

namespace orvane::bench {

inline constexpr char kSessionSearch[] = "/search?keywords=solar+energy+simtotal:1000&se=1";

// Whether the search filled `session`; when it did not, the benchmark is
// skipped with the reason.
inline bool Filled(const TSessionPtr& session, benchmark::State& state) {
  if (session && session->Results->Count() >= 900) return true;
  state.SkipWithError("the simulator's search did not fill the session");
  return false;
}

}  // namespace orvane::bench
