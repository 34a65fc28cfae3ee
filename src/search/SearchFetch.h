// The query threads of one search: the probe page that tells how many pages
// the engine has, the first pages of the other engines that join the meta
// boost, and the pages
// below the probe, started together (or, with ProbeFirst, the pages only once
// the probe has answered), all waited for within one deadline. A failed page
// costs only itself: the fetch raises only when no page of the chosen engine
// answered. Results land in
// a staging list owned by the caller, never in the session's own lists, so
// pages of the session can be read while a search runs. The context names
// the engines, the limits and where the totals go. Every thread is
// joined before these functions return, whatever happens.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "search/Results.h"

namespace orvane {

struct TFetchContext;

constexpr std::chrono::milliseconds kThreadWait{150000};

struct TFetchedResults {
  TResultList Main;
  std::vector<TResultList> Meta;  // the other engines that join the boost, lower index first
  std::vector<TFailedPages> Failed;  // engines whose pages failed, in engine order
};

// An ordinary search of `engine` (0 Google, 1 MSN, 2 Yahoo, then the added
// engines in data-file order).
void FetchResults(const TFetchContext& context, int engine, const std::string& keywords, TTask* task, bool metaBoost,
                  TFetchedResults& fetched, std::chrono::milliseconds wait = kThreadWait);

// A profile search: the first two pages only, no probe, no meta boost.
void FetchResultsWithProfilename(const TFetchContext& context, int engine, const std::string& keywords,
                                 int32_t profileMark, TTask* task, TFetchedResults& fetched,
                                 std::chrono::milliseconds wait = kThreadWait);

}  // namespace orvane
