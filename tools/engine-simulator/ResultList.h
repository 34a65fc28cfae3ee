// The ranked result list each simulated engine holds for a query: how many
// results it claims and serves, and which document sits at each position.
// The three engines share part of their top 100 in different orders, repeat a
// few links, and Google places some further pages of a site right under it.
// Pure functions of the query; no state.
#pragma once

#include <cstdint>

#include "Corpus.h"
#include "SimQuery.h"

namespace orvane::sim {

// Real engines serve at most this many results, whatever they claim.
constexpr int kMaxServed = 1000;
// Server default meaning "the total depends on the query".
constexpr int64_t kVariedTotal = -1;

struct TEngineTotal {
  int64_t Claimed = 0;  // the total the page announces
  int Served = 0;       // results actually listed, at most kMaxServed
  bool About = false;   // Claimed is an estimate above what is served
};

TEngineTotal TotalFor(const TSimQuery& query, int engine, int64_t defaultTotal);

// The document at 0-based position `position` of the engine's list.
TDocRef DocAt(const TSimQuery& query, int engine, int position);

// Google lists this position indented under the previous one (same site).
bool NestedAt(const TSimQuery& query, int engine, int position);

}  // namespace orvane::sim
