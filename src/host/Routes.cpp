#include "host/Routes.h"

#include <chrono>
#include <thread>

#include "base/StrUtils.h"
#include "host/DesktopPages.h"
#include "host/PreferenceActions.h"
#include "host/RequestHandler.h"
#include "host/SavedResults.h"
#include "host/SearchRequest.h"

namespace orvane {

namespace {

constexpr size_t kMaxDocumentLength = 1000;
constexpr auto kSleepAction = std::chrono::milliseconds(3000);

// Holds the request's thread: a worker kept busy on purpose.
void Sleep(TRequestHandler&) { std::this_thread::sleep_for(kSleepAction); }

void Search(TRequestHandler& handler) { TSearchRequest(handler).HandleRequest_Search(); }
void SavePreferences(TRequestHandler& handler) { TPreferenceActions(handler).HandleRequest_SavePreferences(); }
void SelectPredefined(TRequestHandler& handler) { TPreferenceActions(handler).HandleRequest_SelectPredefined(); }
void FindNarrow(TRequestHandler& handler) { TPreferenceActions(handler).HandleRequest_FindNarrow(); }
void ChangePreferences(TRequestHandler& handler) { TPreferenceActions(handler).HandleRequest_ChangePreferences(); }
void SelectWord(TRequestHandler& handler) { TPreferenceActions(handler).Filter_SelectWord(); }
void SliceResults(TRequestHandler& handler) { TPreferenceActions(handler).Filter_SliceResults(); }
void SliceStatisticsResults(TRequestHandler& handler) { TPreferenceActions(handler).Filter_SliceStatisticsResults(); }
void ShowOtherResults(TRequestHandler& handler) { TPreferenceActions(handler).Filter_ShowOtherResults(); }
void ChangeOrder(TRequestHandler& handler) { TPreferenceActions(handler).Filter_ChangeOrder(); }
void SaveResults(TRequestHandler& handler) { TSavedResults(handler).HandleRequest_SaveResults(); }
void LoadResults(TRequestHandler& handler) { TSavedResults(handler).HandleRequest_LoadResults(); }
void DeleteResults(TRequestHandler& handler) { TSavedResults(handler).HandleRequest_DeleteResults(); }
void RedirectToLoadedSearch(TRequestHandler& handler) { TSavedResults(handler).RedirectToLoadedSearch(); }
void ServeMainFrame(TRequestHandler& handler) { handler.ServeMainFrame(); }
void ServeExplainRank(TRequestHandler& handler) { handler.ServeExplainRank(); }

const TRoute kRoutes[] = {
    // The empty name is served and not found.
    {.Document = "", .PageFile = ""},
    // search
    {.Document = "search", .Dispatch = TDispatch::kSearch, .ChangesState = true, .Action = Search,
     .ActionNeedsSession = true, .PageFile = "default.htm"},
    {.Document = "sleep", .ChangesState = true, .Action = Sleep},
    // preferences and filters
    {.Document = "savepreferences", .ChangesState = true, .Action = SavePreferences, .ActionNeedsSession = true,
     .FollowUp = kRefilter | kClosingSort | kSubjectPane, .PageFile = "bottomframe.htm"},
    {.Document = "selectpredefined", .ChangesState = true, .Action = SelectPredefined, .ActionNeedsSession = true,
     .PageFile = "bottomframe.htm"},
    {.Document = "findnarrow", .ChangesState = true, .Action = FindNarrow, .ActionNeedsSession = true,
     .FollowUp = kRefilter | kNarrowWordList | kClosingSort, .PageFile = "BottomFrame.htm"},
    {.Document = "changepreferences.htm", .ChangesState = true, .Action = ChangePreferences,
     .ActionNeedsSession = true, .PageFile = "BottomFrame.htm"},
    {.Document = "selectword", .ChangesState = true, .Filter = SelectWord, .FollowUp = kRefilter | kClosingSort,
     .PageFile = "BottomFrame.htm"},
    {.Document = "sliceresults.htm", .ChangesState = true, .Filter = SliceResults,
     .FollowUp = kRebuildWords | kClosingSort, .PageFile = "BottomFrame.htm"},
    {.Document = "slicestatisticsresults.htm", .ChangesState = true, .Filter = SliceStatisticsResults,
     .FollowUp = kRebuildWords | kClosingSort, .PageFile = "mainframe.htm"},
    {.Document = "showotherresults.htm", .ChangesState = true, .Filter = ShowOtherResults,
     .FollowUp = kRebuildWords | kClosingSort, .PageFile = "BottomFrame.htm"},
    {.Document = "changeorder.htm", .ChangesState = true, .Filter = ChangeOrder, .FollowUp = kClosingSort,
     .PageFile = "BottomFrame.htm"},
    // saved results
    {.Document = "saveresults", .ChangesState = true, .Action = SaveResults, .ActionNeedsSession = true,
     .PageFile = "BottomFrame.htm"},
    {.Document = "loadresults", .ChangesState = true, .Action = LoadResults, .Page = RedirectToLoadedSearch},
    {.Document = "deleteresults", .ChangesState = true, .Action = DeleteResults, .PageFile = "BottomFrame.htm"},
    // the frames of the search workspace
    {.Document = "bottomframe.htm", .PageFile = "BottomFrame.htm"},
    {.Document = "mainframe.htm", .Page = ServeMainFrame},
    {.Document = "results.htm", .PageFile = "results.htm"},
    {.Document = "topframe3.htm", .PageFile = "topframe3.htm"},
    {.Document = "explainrank.htm", .Page = ServeExplainRank},
    // desktop pages
    {.Document = "opensearch.xml", .Dispatch = TDispatch::kAlone, .Page = ServeOpenSearch},
    {.Document = "find", .Dispatch = TDispatch::kAlone, .Page = ServeFind},
    {.Document = "export.json", .Dispatch = TDispatch::kAlone, .Page = ServeExportJson},
    {.Document = "export.csv", .Dispatch = TDispatch::kAlone, .Page = ServeExportCsv},
};

}  // namespace

std::span<const TRoute> Routes() { return kRoutes; }

const TRoute* FindRoute(const std::string& doc) {
  for (const TRoute& route : kRoutes)
    if (doc == route.Document) return &route;
  return nullptr;
}

std::string DocumentName(const std::string& document) {
  std::string doc = LowerCase(document);
  if (!doc.empty() && doc[0] == '/') doc = doc.substr(1, kMaxDocumentLength);
  return doc;
}

bool ChangesStateOrStartsWork(const std::string& doc) {
  const TRoute* route = FindRoute(doc);
  return route && route->ChangesState;
}

}  // namespace orvane
