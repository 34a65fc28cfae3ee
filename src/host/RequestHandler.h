// TRequestHandler: one per request. Finds the request's session, runs the
// action, filter and page phases in that order (each read from the document's
// route, host/Routes.h), and turns every error into a page answer. Owns
// nothing of the session: it holds a shared reference for the request's
// lifetime. The work of each area of the route table is done by that area's
// own class (SearchRequest.h, PreferenceActions.h, SavedResults.h) or
// functions (DesktopPages.h), on the handler's request and session.
#pragma once

#include <string>

#include "host/GlobalData.h"
#include "host/HttpTypes.h"
#include "host/Routes.h"
#include "host/TimeLog.h"

namespace orvane {

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

  // Pages of the workspace that are more than a file.
  void ServeMainFrame();
  void ServeExplainRank();

  // Caller holds Global->SessionLock: the session found or made is in use
  // until the handler ends, so a long search cannot lose it to the clean-up.
  void HoldSession();

  static std::string RedirectScript(const std::string& url);
  // The answer the dispatcher gives for an error message that is not our own.
  static std::string ErrorPageScript(const std::string& message);

  const THttpRequest& Request;
  THttpResponse& Response;
  int32_t RankId = 0;
  TSessionPtr Session;
  int32_t SessionId = -1;
  // The search parameters, filled by TSearchRequest::CheckSearchParams; the
  // error answer names the keywords.
  std::string Keywords;
  std::string Site;
  std::string SE;
  TTimeLog TimeLog;

 private:
  TSessionPtr held_;
  // `route` is null for a document outside the table.
  void FindOrCreateSession(const TRoute* route);
  void RunAction(const TRoute* route);
  void RunFilter(const TRoute* route);
  void RunPage(const TRoute* route, const std::string& doc);
  void LogTiming(const std::string& kind, TMonotonic start) const;
  std::string EngineNameForLog() const;
};

// The base of each area's class: what its handlers work on, all of it the
// handler's and borrowed for one step of the request.
class TRequestArea {
 protected:
  explicit TRequestArea(TRequestHandler& handler)
      : Handler(handler),
        Request(handler.Request),
        Response(handler.Response),
        Session(handler.Session),
        TimeLog(handler.TimeLog) {}

  TRequestHandler& Handler;
  const THttpRequest& Request;
  THttpResponse& Response;
  TSessionPtr& Session;
  TTimeLog& TimeLog;
};

}  // namespace orvane
