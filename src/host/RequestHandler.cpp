#include "host/RequestHandler.h"

#include <chrono>
#include <mutex>
#include <shared_mutex>

#include "base/Escape.h"
#include "base/OvException.h"
#include "base/StrUtils.h"
#include "host/PreferenceActions.h"
#include "host/SearchRequest.h"
#include "host/TrayIcon.h"
#include "words/Preferences.h"

namespace orvane {

namespace {

std::string StartPageURL() { return "http://" + Global->GetAddress() + "/default.htm"; }

}  // namespace

TRequestHandler::TRequestHandler(const THttpRequest& request, THttpResponse& response)
    : Request(request), Response(response) {}

TRequestHandler::~TRequestHandler() {
  if (!held_) return;
  std::lock_guard guard(Global->SessionLock);
  --held_->RequestsInProgress;
  held_->LastAccess = MonotonicNow();
}

void TRequestHandler::HoldSession() {
  if (!Session || Session == held_) return;
  if (held_) --held_->RequestsInProgress;
  held_ = Session;
  ++held_->RequestsInProgress;
}

std::string TRequestHandler::RedirectScript(const std::string& url) {
  return "<script>parent.location=\"" + EscapeJS(url) + "\"</script>";
}

std::string TRequestHandler::ErrorPageScript(const std::string& message) {
  return RedirectScript("http://" + Global->GetAddress() + "/Error.htm?Error=" + URLEncode(message));
}

std::string TRequestHandler::EngineNameForLog() const {
  if (!Session) return "";
  std::shared_lock guard(Session->DataLock);
  return Session->Preferences->SEName;
}

THttpResponse& TRequestHandler::Execute() {
  Response.CloseConnection = true;
  try {
    const std::string doc = DocumentName(Request.Document);
    const TRoute* route = FindRoute(doc);
    SessionId = -1;
    Session = nullptr;
    if (route && route->Dispatch == TDispatch::kAlone) {
      route->Page(*this);
      return Response;
    }
    FindOrCreateSession(route);

    TMonotonic start = MonotonicNow();
    const double actionCpu = ThreadCpuMs();
    RunAction(route);
    LogTiming("Action", start);
    start = MonotonicNow();
    const double filterCpu = ThreadCpuMs();
    RunFilter(route);
    LogTiming("Filter", start);
    start = MonotonicNow();
    const double pageCpu = ThreadCpuMs();
    RunPage(route, doc);
    LogTiming("HTML", start);
    if (Session) {
      auto ms = [](double value) { return FloatToStr(RoundTo2(value)); };
      Global->Log("PageTimes", Request.Document + " CPU ms: action " + ms(filterCpu - actionCpu) + " filter " +
                                   ms(pageCpu - filterCpu) + " page " + ms(ThreadCpuMs() - pageCpu));
    }
  } catch (const TOvException& e) {
    Global->Log("RequestHandler", "OvException : " + e.Message());
    Global->LogException(Keywords, EngineNameForLog(), e.UnitName, e.MethodName, e.Message());
    Response.CacheControl = "no-cache";
    // The start page shows why the browser was sent there.
    Response.ContentText = RedirectScript(StartPageURL() + "?Failure=" + URLEncode(e.Message()));
    if (dynamic_cast<const TNotFound*>(&e)) Response.SetResponseNo(404);
    if (TTrayIcon* tray = Global->Data->TrayIcon.load()) tray->ShowBalloon(e.Message(), "Orvane Server", 10000);
  } catch (const std::exception& e) {
    Global->Log("RequestHandler", std::string("Exception : ") + e.what());
    Global->LogException("", "", "RequestHandler", "TRequestHandler.Execute", e.what());
    Response.CacheControl = "no-cache";
    Response.ContentText = ErrorPageScript(e.what());
  } catch (...) {
    Global->Log("RequestHandler", "Exception : unknown:Execute");
    Global->LogException("", "", "RequestHandler", "TRequestHandler.Execute", "Exception : unknown:Execute");
    Response.CacheControl = "no-cache";
    Response.ContentText = ErrorPageScript("Unknown:Execute");
  }
  Response.CloseConnection = true;
  return Response;
}

void TRequestHandler::FindOrCreateSession(const TRoute* route) {
  if (route && route->Dispatch == TDispatch::kSearch) {
    SessionId = TSearchRequest(*this).CheckSearchParams();
    std::lock_guard guard(Global->SessionLock);
    if (SessionId == -1) {
      Session = Global->CreateSession();
      SessionId = Session->Id;
    } else {
      Session = Global->FindSession(SessionId);
      if (!Session) throw TOvException("Source timeout", "RequestHandler", "Execute");
    }
    HoldSession();
    return;
  }
  if (Request.Params.empty()) return;
  SessionId = GetParamInt(Request.Params, "id", -1);
  std::lock_guard guard(Global->SessionLock);
  Session = Global->FindSession(SessionId);
  if (SessionId != -1 && !Session) throw TOvException("Source timeout", "RequestHandler", "Execute");
  HoldSession();
}

void TRequestHandler::RunAction(const TRoute* route) {
  if (!route || !route->Action) return;
  // Without a session, an action that changes one has nothing to change and
  // the page follows as usual.
  if (route->ActionNeedsSession && !Session) return;
  route->Action(*this);
}

void TRequestHandler::RunFilter(const TRoute* route) {
  if (!Session) return;
  std::unique_lock guard(Session->DataLock);
  TimeLog.Start();
  if (!route) return;
  if (route->Filter) route->Filter(*this);
  TPreferenceActions(*this).RunFollowUps(route->FollowUp);
}

void TRequestHandler::ServeExplainRank() {
  std::string value;
  FindParam(Request.Params, "RankId", value);
  int32_t rankId = 0;
  if (!TryStrToInt(value, rankId)) throw std::invalid_argument("'" + value + "' is not a valid integer value");
  RankId = rankId;
  Response.ContentText = ServePage("explainrank.htm");
  RankId = 0;
}

void TRequestHandler::ServeMainFrame() { Response.ContentText = ServePage(Session ? "mainframe.htm" : "main.htm"); }

void TRequestHandler::RunPage(const TRoute* route, const std::string& doc) {
  if (route && route->PageFile) {
    Response.ContentText = ServePage(route->PageFile);
  } else if (route && route->Page) {
    route->Page(*this);
  } else {
    if (doc.size() >= 4 && doc.compare(doc.size() - 4, 4, ".css") == 0) Response.ContentType = "text/css";
    if (doc.size() >= 4 && doc.compare(doc.size() - 4, 4, ".gif") == 0) {
      Response.ContentStream = ServeImage(doc);
    } else {
      Response.ContentText = ServePage(doc);
    }
  }
}

void TRequestHandler::LogTiming(const std::string& kind, TMonotonic start) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(MonotonicNow() - start).count();
  if (elapsed > 0) Global->Log(Request.Document, kind + " " + std::to_string(elapsed) + " ms.");
}

}  // namespace orvane
