// TSEQueryThread: fetches one result page of one engine on its own thread,
// parses it and hands the results to the query's list inside the context's
// totals lock, with the download and parse statistics and its engine's tally
// (pages asked, answered, failed, results, time).
// Owned by the search orchestration, which must Join (or destroy) it before
// the query and the context go away; it borrows both. The work runs on a
// thread of the shared pool.
//
// A held page (HoldResults before Start) downloads at once but keeps its
// outcome until Release tells whether it counts: a page that does not count
// leaves no results, statistics, tally or "Downloaded"/"Parsed" lines.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "base/OvException.h"
#include "platform/Clock.h"
#include "search/Results.h"

namespace orvane {

struct TFetchContext;
class TSearchQuery;
class TSearchEngines;

class TSEQueryThread {
 public:
  // engine: the definition to parse with; nullptr takes the context's engine
  // of the query.
  TSEQueryThread(const TFetchContext& context, TSearchQuery& query, const TSearchEngines* engine = nullptr);
  // The context is borrowed: a temporary would be gone before the thread.
  TSEQueryThread(TFetchContext&&, TSearchQuery&, const TSearchEngines* = nullptr) = delete;
  // Asks a running thread to stop and waits for it.
  ~TSEQueryThread();
  TSEQueryThread(const TSEQueryThread&) = delete;
  TSEQueryThread& operator=(const TSEQueryThread&) = delete;

  // Call before Start.
  void HoldResults() { held_ = true; }
  void Start();
  // For a held page: counts false drops it and aborts its transfer. Any
  // thread; later calls are ignored.
  void Release(bool counts);
  // The transfer is aborted at its next progress call; a held page that was
  // not released yet is dropped.
  void Terminate();
  // True once the work has ended, whatever the outcome.
  bool Done() const;
  bool WaitUntil(TMonotonic deadline) const;
  bool WaitFor(int64_t milliseconds) const;
  void Join();

  // The whole job on the calling thread; never raises. Start runs this.
  void FetchParse();

  // Valid after Done.
  int32_t PageCount() const { return pageCount_; }
  int32_t LastShown() const { return lastShown_; }
  // The failure to hand over, with unit "TSEQueryThread" and method "Execute".
  const std::optional<TOvException>& Error() const { return error_; }
  // The failure in plain words ("time-out after 8 s"); empty without one.
  const std::string& Reason() const { return reason_; }
  // True when a held page was released as not counting.
  bool Dropped() const;

 private:
  enum TDecision { kUndecided, kCount, kDrop };

  // Into `page`, the pool thread's buffer.
  void FetchPage(std::string& page);
  void Parse(const std::string& page, const std::string& module);
  // Raises TPageRefused when the page is the engine's CAPTCHA or consent page.
  void RefuseBlockPage(const std::string& page) const;
  // The download's share of the statistics and the engine's tally.
  void CountDownload(bool answered, double seconds, double cpuMs);
  // The page's results into the query's list, with the parse statistics.
  void HandIn(TResultList& results, double seconds, double cpuMs);
  std::string DebugSetting(const char* name) const;
  void Fail(const std::string& module, const std::string& message, std::string reason);
  // Blocks a held page until Release; true when it counts.
  bool WaitForRelease();
  void SetDone();

  const TFetchContext& context_;
  TSearchQuery& query_;
  const TSearchEngines* engine_;
  std::atomic<bool> terminated_{false};
  int32_t pageCount_ = 0;
  int32_t lastShown_ = 0;
  std::optional<TOvException> error_;
  std::string reason_;
  bool held_ = false;
  TDecision decision_ = kUndecided;  // guarded by doneLock_

  mutable std::mutex doneLock_;
  mutable std::condition_variable doneSignal_;
  bool done_ = false;
  bool started_ = false;
};

}  // namespace orvane
