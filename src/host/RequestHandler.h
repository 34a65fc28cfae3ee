// TRequestHandler: one per request. Finds the request's session, runs the
// action, filter and page phases in that order (each read from the document's
// route, host/Routes.h), and turns every error into a page answer. Owns
// nothing of the session: it holds a shared reference for the request's
// lifetime.
#pragma once

#include <string>

#include "host/GlobalData.h"
#include "host/HttpTypes.h"
#include "host/Routes.h"
#include "host/TimeLog.h"

namespace orvane {

class TTrayIcon;

class TRequestHandler {
 public:
  TRequestHandler(const THttpRequest& request, THttpResponse& response);
  // Lets go of the session it worked on; its idle time starts now.
  ~TRequestHandler();
  TRequestHandler(const TRequestHandler&) = delete;
  TRequestHandler& operator=(const TRequestHandler&) = delete;

  THttpResponse& Execute();

  // Page phase helpers (StaticFiles.cpp).
  std::string ServePage(const std::string& name);
  std::string ServeImage(const std::string& name);
  // The session's page-building time over the pages served; in ms, or in
  // other units when `divisor` says (1000 gives seconds).
  std::string PresentationDurationText(double divisor = 1) const;

  // Search action (SearchRequest.cpp).
  int32_t CheckSearchParams();
  void HandleRequest_Search();
  void RunSearch(const std::string& keywords, const std::string& site, bool profileSearch);
  // The pipeline of RunSearch; returns the remote line to send.
  std::string SearchAndRecord(const std::string& keywords, const std::string& site, bool profileSearch,
                              TTrayIcon* tray);
  void PostProcess(const std::string& keywords, bool splitWords, bool profileSearch);

  // Preference and filter actions (PreferenceActions.cpp); each needs a
  // session.
  void HandleRequest_SavePreferences();
  void HandleRequest_SelectPredefined();
  void HandleRequest_FindNarrow();
  void HandleRequest_ChangePreferences();
  // Caller holds DataLock exclusively.
  void ShowFirstTaskAgain();

  // Saved-results actions (SavedResults.cpp).
  void HandleRequest_SaveResults();
  void HandleRequest_LoadResults();
  void HandleRequest_DeleteResults();
  // The session named by "id", or a new one when it names none.
  void FindOrCreateRequestedSession();

  // The pages beside the search workspace (DesktopPages.cpp): the export of
  // a session, the browser's search description and the address-bar search.
  void ServeOpenSearch();
  void ServeFind();
  void ServeExport(bool json);

  // The filter handlers; the caller holds DataLock exclusively.
  void Filter_SelectWord();
  void Filter_SliceResults();
  void Filter_SliceStatisticsResults();
  void Filter_ShowOtherResults();
  void Filter_ChangeOrder();
  // TFollowUp steps; the caller holds DataLock exclusively.
  void RunFollowUps(unsigned steps);

  // Pages of the workspace that are more than a file.
  void ServeMainFrame();
  void ServeExplainRank();
  void RedirectToLoadedSearch();

  static std::string RedirectScript(const std::string& url);
  // The answer the dispatcher gives for an error message that is not our own.
  static std::string ErrorPageScript(const std::string& message);

  const THttpRequest& Request;
  THttpResponse& Response;
  int32_t RankId = 0;
  TSessionPtr Session;
  int32_t SessionId = -1;
  std::string Keywords;
  std::string Site;
  std::string SE;
  TTimeLog TimeLog;
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
  // Caller holds Global->SessionLock: the session found or made is in use
  // until the handler ends, so a long search cannot lose it to the clean-up.
  void HoldSession();
  TSessionPtr held_;
  // `route` is null for a document outside the table.
  void FindOrCreateSession(const TRoute* route);
  void RunAction(const TRoute* route);
  void RunFilter(const TRoute* route);
  void RunPage(const TRoute* route, const std::string& doc);
  void LogTiming(const std::string& kind, TMonotonic start) const;
  std::string EngineNameForLog() const;
};

}  // namespace orvane
