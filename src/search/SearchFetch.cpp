#include "search/SearchFetch.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "base/Engines.h"
#include "base/Log.h"
#include "base/OvException.h"
#include "platform/Memory.h"
#include "search/EngineRest.h"
#include "search/FetchContext.h"
#include "search/SEQueryThread.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

// A query and its thread; the thread is declared last so that it is joined
// before the query it borrows goes away.
struct TQueryRun {
  TQueryRun(const TFetchContext& context, int32_t page, const std::string& keywords, int engine, int32_t profileMark,
            TTask* task, TResultList* list, bool held = false, bool boostOnly = false)
      : Query(page, keywords, engine, profileMark, task, list), Thread(context, Query) {
    Query.BoostOnly = boostOnly;
    if (held) Thread.HoldResults();
    Thread.Start();
  }
  TSearchQuery Query;
  TSEQueryThread Thread;
};

using TRuns = std::vector<std::unique_ptr<TQueryRun>>;

// Waits for one run; on time-out tells every run to stop and raises.
void WaitOrStop(const TQueryRun& run, const std::vector<const TRuns*>& groups, TMonotonic deadline,
                const char* method) {
  if (run.Thread.WaitUntil(deadline)) return;
  Log(method, "Termiating threads...");
  for (const TRuns* runs : groups)
    for (const auto& other : *runs) other->Thread.Terminate();
  // The error record names the request handler's operation, as it always has.
  throw TOvException("Timeout waiting for threads", "RequestHandler", method);
}

void WaitForAll(const std::vector<const TRuns*>& groups, TMonotonic deadline, const char* method) {
  for (const TRuns* runs : groups)
    for (const auto& run : *runs) WaitOrStop(*run, groups, deadline, method);
}

// The engine comes from a request parameter; only a defined, enabled one can
// be searched. Without definitions only the three built-in ones are known.
void CheckEngine(const TFetchContext& context, int engine, const char* method) {
  const TSearchEngines* definition = context.Engine(engine);
  const bool known = context.Engines ? definition && definition->Shape.Enabled : engine >= 0 && engine < kBuiltInEngines;
  if (!known) throw TOvException("Unknown search engine " + std::to_string(engine), "SearchFetch", method);
}

// The engines whose first page boosts a search of `engine`: every other
// enabled one whose definition joins the boost. Without definitions, the
// other two built-in ones.
std::vector<int> MetaBoostEngines(const TFetchContext& context, int engine) {
  std::vector<int> others;
  const int count = context.Engines ? static_cast<int>(context.Engines->size()) : kBuiltInEngines;
  for (int other = 0; other < count; ++other) {
    if (other == engine) continue;
    const TSearchEngines* definition = context.Engine(other);
    if (!context.Engines || (definition && definition->Shape.Enabled && definition->Shape.MetaBoost))
      others.push_back(other);
  }
  return others;
}

// The page whose count tells how many more to ask (results 901 to 1000 for
// the three built-in engines).
int32_t ProbePage(const TFetchContext& context, int engine) {
  const TSearchEngines* definition = context.Engine(engine);
  return definition ? definition->Shape.ProbePage : BuiltInShape(EngineName(engine)).ProbePage;
}

std::string NameOf(const TFetchContext& context, const TQueryRun& run) {
  const TSearchEngines* definition = context.Engine(run.Query.Engine);
  return definition ? definition->Name : EngineName(run.Query.Engine);
}

// A resting engine is not asked at all; the person learns it at once.
void CheckNotResting(const TFetchContext& context, int engine, const char* method) {
  if (!context.Rest) return;
  const std::string resting = context.Rest->RestingReason(engine);
  if (!resting.empty()) throw TOvException(EngineName(engine) + " is " + resting, "SearchFetch", method);
}

// The search fails only when no page of the chosen engine answered; then with
// the first failure, in the order the pages were started.
void RaiseWhenNoneAnswered(const TRuns& runs) {
  if (runs.empty()) return;
  for (const auto& run : runs)
    if (!run->Thread.Error()) return;
  throw *runs.front()->Thread.Error();
}

// The failed pages of the runs that counted, grouped by engine in engine order.
std::vector<TFailedPages> FailedPagesOf(const TFetchContext& context, const std::vector<const TRuns*>& groups) {
  std::map<int, TFailedPages> byEngine;
  for (const TRuns* runs : groups) {
    for (const auto& run : *runs) {
      if (run->Thread.Dropped()) continue;
      TFailedPages& engine = byEngine[run->Query.Engine];
      engine.Engine = NameOf(context, *run);
      ++engine.Pages;
      if (run->Thread.Error()) engine.Failed.push_back({run->Query.Page, run->Thread.Reason()});
    }
  }
  std::vector<TFailedPages> failed;
  for (auto& [index, engine] : byEngine) {
    if (engine.Failed.empty()) continue;
    std::sort(engine.Failed.begin(), engine.Failed.end(),
              [](const TFailedPages::TPage& a, const TFailedPages::TPage& b) { return a.Index < b.Index; });
    failed.push_back(std::move(engine));
  }
  return failed;
}

// Heap room readied per page while the engines are asked: a page's results
// with their share of what the session builds from them (a 1,000-result
// search of twelve pages takes some 3.3 MB from the heap).
constexpr size_t kHeapRoomPerPage = 384u << 10;

}  // namespace

void FetchResults(const TFetchContext& context, int engine, const std::string& keywords, TTask* task, bool metaBoost,
                  TFetchedResults& fetched, std::chrono::milliseconds wait) {
  CheckEngine(context, engine, "FetchResults");
  CheckNotResting(context, engine, "FetchResults");
  const TMonotonic deadline = MonotonicNow() + wait;
  const bool probeFirst = context.ProbeFirst;
  TRuns dropped;  // pages the probe ruled out; joined last, on the way out
  TRuns main;  // the probe, then the pages in order
  const int32_t probePage = ProbePage(context, engine);
  main.push_back(std::make_unique<TQueryRun>(context, probePage, keywords, engine, -1, task, &fetched.Main));
  TRuns meta;
  if (metaBoost) {
    const std::vector<int> others = MetaBoostEngines(context, engine);
    // Sized once: each run keeps a pointer to its list.
    fetched.Meta.clear();
    fetched.Meta.resize(others.size());
    for (size_t list = 0; list < others.size(); ++list)
      meta.push_back(
          std::make_unique<TQueryRun>(context, 0, keywords, others[list], -1, task, &fetched.Meta[list], false, true));
  }
  // One round trip: the pages below the probe start with it and hold their
  // results until the probe tells which of them exist.
  if (!probeFirst)
    for (int32_t page = 0; page < probePage; ++page)
      main.push_back(std::make_unique<TQueryRun>(context, page, keywords, engine, -1, task, &fetched.Main, true));
  // While the engines answer, the heap room their results will take is made
  // resident.
  WarmHeapTop(kHeapRoomPerPage * (static_cast<size_t>(probePage) + 1 + meta.size()));
  WaitOrStop(*main.front(), {&main, &meta}, deadline, "FetchResults");
  const TSEQueryThread& probe = main.front()->Thread;

  // Without the probe's count every page asked for counts.
  int32_t needed = probePage;
  if (!probe.Error()) {
    needed = probe.PageCount() - 1;
    Log("FetchResults", "Needed threads: " + std::to_string(needed));
  }
  if (probeFirst) {
    for (int32_t page = 0; page < needed && page < probePage; ++page)
      main.push_back(std::make_unique<TQueryRun>(context, page, keywords, engine, -1, task, &fetched.Main));
  } else {
    TRuns counted;
    for (auto& run : main) {
      run->Thread.Release(run->Query.Page == probePage || run->Query.Page < needed);
      (run->Thread.Dropped() ? dropped : counted).push_back(std::move(run));
    }
    main.swap(counted);
  }
  WaitForAll({&main, &meta}, deadline, "FetchResults");
  RaiseWhenNoneAnswered(main);
  fetched.Failed = FailedPagesOf(context, {&main, &meta});
}

void FetchResultsWithProfilename(const TFetchContext& context, int engine, const std::string& keywords,
                                 int32_t profileMark, TTask* task, TFetchedResults& fetched,
                                 std::chrono::milliseconds wait) {
  CheckEngine(context, engine, "FetchResultsWithProfilename");
  CheckNotResting(context, engine, "FetchResultsWithProfilename");
  TRuns runs;
  for (int32_t page = 0; page < 2; ++page)
    runs.push_back(std::make_unique<TQueryRun>(context, page, keywords, engine, profileMark, task, &fetched.Main));
  WarmHeapTop(kHeapRoomPerPage * runs.size());
  WaitForAll({&runs}, MonotonicNow() + wait, "FetchResultsWithProfilename");
  RaiseWhenNoneAnswered(runs);
  fetched.Failed = FailedPagesOf(context, {&runs});
}

}  // namespace orvane
