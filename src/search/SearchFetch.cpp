#include "search/SearchFetch.h"

#include <memory>
#include <vector>

#include "base/OvException.h"
#include "host/GlobalData.h"
#include "search/SEQueryThread.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

// A query and its thread; the thread is declared last so that it is joined
// before the query it borrows goes away.
struct TQueryRun {
  TQueryRun(TSessionData& session, int32_t page, const std::string& keywords, int engine, int32_t profileMark,
            TTask* task, TResultList* list)
      : Query(page, keywords, engine, profileMark, task, list), Thread(session, Query) {
    Thread.Start();
  }
  TSearchQuery Query;
  TSEQueryThread Thread;
};

using TRuns = std::vector<std::unique_ptr<TQueryRun>>;

// Waits for every run; on time-out tells them all to stop and raises.
void WaitForAll(const TRuns& runs, std::chrono::milliseconds wait, const char* method) {
  const TMonotonic deadline = MonotonicNow() + wait;
  for (const auto& run : runs) {
    if (run->Thread.WaitUntil(deadline)) continue;
    Log(method, "Termiating threads...");
    for (const auto& other : runs) other->Thread.Terminate();
    throw TOvException("Timeout waiting for threads", "RequestHandler", method);
  }
}

// The engine comes from a request parameter; only a defined, enabled one can
// be searched. Without Global only the three built-in ones are known.
void CheckEngine(int engine, const char* method) {
  const TSearchEngines* definition = Global ? Global->GetEngine(engine) : nullptr;
  const bool known = Global ? definition && definition->Shape.Enabled : engine >= 0 && engine < kBuiltInEngines;
  if (!known) throw TOvException("Unknown search engine " + std::to_string(engine), "RequestHandler", method);
}

// The page whose count tells how many more to ask (results 901 to 1000 for
// the three built-in engines).
int32_t ProbePage(int engine) {
  const TSearchEngines* definition = Global ? Global->GetEngine(engine) : nullptr;
  return definition ? definition->Shape.ProbePage : BuiltInShape(EngineName(engine)).ProbePage;
}

void RaiseFirstError(const TRuns& runs) {
  for (const auto& run : runs)
    if (run->Thread.Error()) throw *run->Thread.Error();
}

}  // namespace

void FetchResults(TSessionData& session, int engine, const std::string& keywords, TTask* task, bool metaBoost,
                  TFetchedResults& fetched, std::chrono::milliseconds wait) {
  CheckEngine(engine, "FetchResults");
  const auto probe = std::make_unique<TQueryRun>(session, ProbePage(engine), keywords, engine, -1, task, &fetched.Main);
  TRuns others;
  if (metaBoost) {
    int list = 0;
    for (int other = 0; other < kBuiltInEngines; ++other)
      if (other != engine && list < 2)
        others.push_back(std::make_unique<TQueryRun>(session, 0, keywords, other, -1, task, &fetched.Meta[list++]));
  }
  probe->Thread.Join();
  if (probe->Thread.Error()) throw *probe->Thread.Error();

  // A probe beyond the last page answers with the last page; a probe of the
  // first page is that page. Either way it is not asked again.
  const int32_t probePage = ProbePage(engine);
  const int32_t needed = probe->Thread.PageCount() - 1;
  Log("FetchResults", "Needed threads: " + std::to_string(needed));
  const int32_t from = probePage == 0 ? 1 : 0;
  for (int32_t page = from; page < needed + from && page < kMaxQueryThreads; ++page)
    others.push_back(std::make_unique<TQueryRun>(session, page, keywords, engine, -1, task, &fetched.Main));
  if (!others.empty()) WaitForAll(others, wait, "FetchResults");
  RaiseFirstError(others);
}

void FetchResultsWithProfilename(TSessionData& session, int engine, const std::string& keywords,
                                 int32_t profileMark, TTask* task, TFetchedResults& fetched,
                                 std::chrono::milliseconds wait) {
  CheckEngine(engine, "FetchResultsWithProfilename");
  TRuns runs;
  for (int32_t page = 0; page < 2; ++page)
    runs.push_back(std::make_unique<TQueryRun>(session, page, keywords, engine, profileMark, task, &fetched.Main));
  WaitForAll(runs, wait, "FetchResultsWithProfilename");
  RaiseFirstError(runs);
}

}  // namespace orvane
