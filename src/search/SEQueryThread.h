// TSEQueryThread: fetches one result page of one engine on its own thread,
// parses it and hands the results to the query's list inside
// Session.ResultsLock, with the session's download and parse statistics and
// its engine's tally (pages asked, answered, failed, results, time).
// Owned by the search orchestration, which must Join (or destroy) it before
// the query and the session go away; it borrows both. The work runs on a
// thread of the shared pool.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "base/OvException.h"
#include "platform/Clock.h"

namespace orvane {

class TSessionData;
class TSearchQuery;
class TSearchEngines;

class TSEQueryThread {
 public:
  // engine: the definition to parse with; nullptr takes Global's engine of
  // the query.
  TSEQueryThread(TSessionData& session, TSearchQuery& query, const TSearchEngines* engine = nullptr);
  // Asks a running thread to stop and waits for it.
  ~TSEQueryThread();
  TSEQueryThread(const TSEQueryThread&) = delete;
  TSEQueryThread& operator=(const TSEQueryThread&) = delete;

  void Start();
  // The transfer is aborted at its next progress call.
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

 private:
  std::string FetchPage();
  void Parse(const std::string& page, const std::string& module);
  void SetDone();

  TSessionData& session_;
  TSearchQuery& query_;
  const TSearchEngines* engine_;
  std::atomic<bool> terminated_{false};
  int32_t pageCount_ = 0;
  int32_t lastShown_ = 0;
  std::optional<TOvException> error_;

  mutable std::mutex doneLock_;
  mutable std::condition_variable doneSignal_;
  bool done_ = false;
  bool started_ = false;
};

}  // namespace orvane
