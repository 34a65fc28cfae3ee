// TSearchRequest: the search area of the route table, on one request's
// handler: the search parameters and the choice of session, the search, and
// the post-processing that leaves the session ready for its pages. The
// subject selection and the loading of saved results use the search and its
// post-processing too.
#pragma once

#include <cstdint>
#include <string>

#include "host/RequestHandler.h"

namespace orvane {

class TTrayIcon;

// The keywords of the session's first search task; empty before any.
std::string FirstKeywords(const TSessionData& session);

class TSearchRequest : TRequestArea {
 public:
  explicit TSearchRequest(TRequestHandler& handler);

  // Fills the handler's Keywords, Site and SE; the id of the session to
  // reuse, or -1 for a new one.
  int32_t CheckSearchParams();
  // The "search" action; the handler's session exists.
  void HandleRequest_Search();
  // Caller holds the session's SearchLock.
  void RunSearch(const std::string& keywords, const std::string& site, bool profileSearch);
  // The pipeline of RunSearch; returns the remote line to send.
  std::string SearchAndRecord(const std::string& keywords, const std::string& site, bool profileSearch,
                              TTrayIcon* tray);
  // Caller holds the session's DataLock exclusively.
  void PostProcess(const std::string& keywords, bool splitWords, bool profileSearch);
  // Caller holds DataLock exclusively.
  void ShowFirstTaskAgain();

  // What one search measured, reported by its stages; written out in one
  // place (the task's durations, the "SearchTimes" log line, the remote line).
  struct TSearchRecord {
    // CPU milliseconds on the request thread.
    double FetchCpu = 0;  // set-up and waiting for the query threads
    double MergeCpu = 0;  // merge and de-duplication
    double RankCpu = 0;   // ranking and sorting
    double ClustersCpu = 0;
    // The query threads' totals, read from the session once they are done.
    long double ParseTime = 0;     // seconds
    long double DownloadTime = 0;  // seconds
    int32_t ParseCount = 0;
    int32_t DownloadCount = 0;
    double ThreadFetchCpu = 0;  // ms
    double ThreadParseCpu = 0;  // ms
    double FetchWall = 0;       // ms, the time log's lap over fetch and parse
  } Record;

 private:
  std::string& Keywords;
  std::string& Site;
  std::string& SE;
  int32_t& SessionId;
};

}  // namespace orvane
