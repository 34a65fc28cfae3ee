#include "host/RequestHandler.h"

#include <chrono>
#include <thread>

#include "base/Escape.h"
#include "base/OvException.h"
#include "base/StrUtils.h"
#include "host/TrayIcon.h"
#include "search/Results.h"
#include "words/Preferences.h"

namespace orvane {

namespace {

constexpr size_t kMaxDocumentLength = 1000;
constexpr auto kSleepAction = std::chrono::milliseconds(3000);

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
    std::string doc = LowerCase(Request.Document);
    if (!doc.empty() && doc[0] == '/') doc = doc.substr(1, kMaxDocumentLength);
    SessionId = -1;
    Session = nullptr;
    if (ServeDesktopPage(doc)) return Response;
    FindOrCreateSession(doc);

    TMonotonic start = MonotonicNow();
    const double actionCpu = ThreadCpuMs();
    RunAction(doc);
    LogTiming("Action", start);
    start = MonotonicNow();
    const double filterCpu = ThreadCpuMs();
    RunFilter(doc);
    LogTiming("Filter", start);
    start = MonotonicNow();
    const double pageCpu = ThreadCpuMs();
    RunPage(doc);
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

void TRequestHandler::FindOrCreateSession(const std::string& doc) {
  if (doc == "search") {
    SessionId = CheckSearchParams();
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

void TRequestHandler::RunAction(const std::string& doc) {
  if (doc == "search") {
    HandleRequest_Search();
  } else if (doc == "sleep") {
    std::this_thread::sleep_for(kSleepAction);
  } else if (doc == "loadresults") {
    HandleRequest_LoadResults();
  } else if (doc == "deleteresults") {
    HandleRequest_DeleteResults();
  } else if (!Session) {
    // The remaining actions change a session; without one there is nothing
    // to change and the page follows as usual.
  } else if (doc == "savepreferences") {
    HandleRequest_SavePreferences();
  } else if (doc == "selectpredefined") {
    HandleRequest_SelectPredefined();
  } else if (doc == "findnarrow") {
    HandleRequest_FindNarrow();
  } else if (doc == "changepreferences.htm") {
    HandleRequest_ChangePreferences();
  } else if (doc == "saveresults") {
    HandleRequest_SaveResults();
  }
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

// Loaded results are shown by the search they came from, in their session.
void TRequestHandler::RedirectToLoadedSearch() {
  if (!Session) throw TOvException("Source timeout", "RequestHandler", "Execute");
  std::string keywords, site;
  int se = 0;
  {
    std::shared_lock guard(Session->DataLock);
    if (const TTask* first = Session->Results->FirstTask()) {
      keywords = first->Keywords;
      site = first->SiteOnly;
    }
    se = Session->Preferences->SE + 1;
  }
  // Encoded twice: the parameter reader decodes once and the search decodes
  // the keywords once more; a raw text could also break the header.
  Response.Redirect("/search?keywords=" + URLEncode(URLEncode(keywords)) + "&se=" + std::to_string(se) +
                    "&site=" + URLEncode(site) + "&id=" + std::to_string(Session->Id));
}

void TRequestHandler::RunPage(const std::string& doc) {
  struct TPageRow {
    const char* doc;
    const char* file;
  };
  static const TPageRow kPages[] = {
      {"", ""},
      {"search", "default.htm"},
      {"selectpredefined", "bottomframe.htm"},
      {"savepreferences", "bottomframe.htm"},
      {"bottomframe.htm", "BottomFrame.htm"},
      {"results.htm", "results.htm"},
      {"sliceresults.htm", "BottomFrame.htm"},
      {"selectword", "BottomFrame.htm"},
      {"slicestatisticsresults.htm", "mainframe.htm"},
      {"showotherresults.htm", "BottomFrame.htm"},
      {"topframe3.htm", "topframe3.htm"},
      {"saveresults", "BottomFrame.htm"},
      {"deleteresults", "BottomFrame.htm"},
      {"findnarrow", "BottomFrame.htm"},
      {"changeorder.htm", "BottomFrame.htm"},
      {"changepreferences.htm", "BottomFrame.htm"},
  };
  for (const auto& row : kPages) {
    if (doc == row.doc) {
      Response.ContentText = ServePage(row.file);
      return;
    }
  }
  if (doc == "mainframe.htm") {
    Response.ContentText = ServePage(Session ? "mainframe.htm" : "main.htm");
  } else if (doc == "explainrank.htm") {
    ServeExplainRank();
  } else if (doc == "loadresults") {
    RedirectToLoadedSearch();
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
