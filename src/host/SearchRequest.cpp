// The search area of the route table (TSearchRequest).
//
// Locking: the whole action holds the session's SearchLock. DataLock is taken
// exclusively only around changes of the session's state, never while the
// engines are asked, so the frames of the session stay readable meanwhile.
#include <exception>
#include <mutex>
#include <stdexcept>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "clusters/SessionPanes.h"
#include "clusters/WordStorage.h"
#include "host/SearchRequest.h"
#include "host/TrayIcon.h"
#include "pages/ResultFilters.h"
#include "search/MetaResults.h"
#include "search/SearchEngines.h"
#include "search/SearchFetch.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

constexpr int kBalloonMs = 10000;

int32_t EngineTextToInt(const std::string& text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) throw std::invalid_argument("'" + text + "' is not a valid integer value");
  return value;
}

// The profile selection a search starts with. Caller holds DataLock
// exclusively.
void SelectProfile(TSessionData& session, const std::string& name) {
  session.Preferences->ClearFilters(true, true);
  session.Results->Narrow.clear();
  session.Preferences->SetPreferenceType("Clusters");
  session.Preferences->SetProfileName(name);
  Global->Predefined->CopyProfile(name, *session.Profile);
  Global->Predefined->SetProfileVisible("Custom", false);
}

// Tells a session with this first search apart: same keywords and engine
// (ignoring case) and exactly the same site.
bool IsSameSearch(const TTask& first, const std::string& keywords, const std::string& engineName,
                  const std::string& site) {
  return SameText(first.Keywords, keywords) && SameText(first.SE_Name, engineName) && first.SiteOnly == site;
}

// What a search starts from, settled under the session's lock.
struct TSearchStart {
  int32_t Engine = 0;
  std::string EngineName;
  std::string Searched;  // the keywords as asked, with the profile's words
  std::string FirstKeywords;
  int32_t ProfileIndex = 0;
  TTask* Task = nullptr;
};

// The profile's words joined the way the engine writes "or", in its brackets;
// empty without words or without a definition.
std::string ProfileQuery(const TSearchEngines* definition, const std::vector<TPredefinedWord>& words) {
  std::string joined;
  bool firstWord = true;
  for (const TPredefinedWord& word : words) {
    if (!firstWord) joined += " " + (definition ? definition->Seperator : std::string()) + " ";
    joined += word.SearchText;
    firstWord = false;
  }
  if (joined.empty() || !definition) return "";
  return " " + definition->LeftParinhesis + joined + definition->RightParinhesis;
}

// Logs the search, clears the session's totals and adds the search's task.
TSearchStart StartSearch(TSessionData& session, const std::string& keywords, const std::string& site,
                         bool profileSearch) {
  TSearchStart start;
  {
    std::shared_lock guard(session.DataLock);
    start.Engine = session.Preferences->SE;
    start.EngineName = session.Preferences->SEName;
  }
  Global->Log("Search",
              "Keywords: " + keywords + " SE: " + start.EngineName + (site.empty() ? "" : " Site: " + site));
  session.Totals.Reset();

  std::unique_lock guard(session.DataLock);
  session.Preferences->SetCheckAllExt(true);
  start.Searched = keywords;
  if (profileSearch) start.Searched += ProfileQuery(Global->GetEngine(start.Engine), session.Profile->Words);
  {
    const auto profiles = Global->Predefined->ReadLock();
    const TProfile* profile = Global->Predefined->FindProfile(session.Preferences->ProfileName);
    start.Task = session.Results->AddTask(start.Searched, start.EngineName, profile, site);
  }
  start.FirstKeywords = session.Results->FirstTask()->Keywords;
  start.ProfileIndex = session.Profile->Index;
  return start;
}

void ShowSearchBalloon(TTrayIcon& tray, const TSearchStart& start, const std::string& site) {
  tray.ShowBalloon("Searching for: " + start.FirstKeywords + "\r\n" + (site.empty() ? "" : "Site: " + site + "\r\n") +
                       "Using " + start.EngineName,
                   "Orvane Server", kBalloonMs);
}

TFetchedResults FetchStage(TSessionData& session, const TSearchStart& start, bool profileSearch) {
  TFetchedResults fetched;
  const TFetchContext context = Global->FetchContext(session);
  if (profileSearch)
    FetchResultsWithProfilename(context, start.Engine, start.FirstKeywords, start.ProfileIndex, start.Task, fetched);
  else
    FetchResults(context, start.Engine, start.FirstKeywords, start.Task, Global->MetaBoost, fetched);
  return fetched;
}

// The query threads are done: their totals stay as they are now.
void ReadThreadTotals(TSessionData& session, TSearchRequest::TSearchRecord& record) {
  std::lock_guard statistics(session.Totals.Lock);
  record.ParseTime = session.Totals.ParseTime;
  record.DownloadTime = session.Totals.DownloadTime;
  record.ParseCount = session.Totals.ParseCount;
  record.DownloadCount = session.Totals.DownloadCount;
  record.ThreadFetchCpu = session.Totals.FetchCpuMs;
  record.ThreadParseCpu = session.Totals.ParseCpuMs;
}

// The fetched lists into the session's results and meta lists, without
// duplicates. Caller holds DataLock exclusively.
void MergeFetched(TSessionData& session, TFetchedResults& fetched, int32_t engine, bool profileSearch) {
  for (auto& result : fetched.Main) session.Results->AddResult(std::move(result));
  for (size_t list = 0; list < fetched.Meta.size(); ++list)
    for (auto& result : fetched.Meta[list]) session.MetaResults->GetList(list).push_back(std::move(result));
  session.Results->RemoveDuplicates(session.Profile->Index);
  if (!profileSearch && Global->MetaBoost) {
    session.MetaResults->RemoveDuplicates();
    session.MetaResults->Merge(session.Results->List);
    session.MetaResults->Boost(engine);
  }
}

// Writes what the search measured: the task's durations and the
// "SearchTimes" log line. Returns the remote line, sent without the lock.
// Caller holds DataLock exclusively.
std::string WriteSearchRecord(TSessionData& session, const TSearchRequest::TSearchRecord& record,
                              const std::string& searched) {
  TTask& last = *session.Results->LastTask();
  last.TotalDuration = record.FetchWall;
  last.FetchThreadCount = record.DownloadCount;
  last.ParseThreadCount = record.ParseCount;
  last.FetchDuration =
      record.DownloadCount >= 1 ? RoundTo2(static_cast<double>(record.DownloadTime / record.DownloadCount)) : -1;
  last.ParseDuration =
      record.ParseCount >= 1 ? RoundTo2(static_cast<double>(record.ParseTime / record.ParseCount)) : -1;

  auto ms = [](double value) { return FloatToStr(RoundTo2(value)); };
  Global->Log("SearchTimes", "CPU ms: fetch " + ms(record.FetchCpu + record.ThreadFetchCpu) + " parse " +
                                 ms(record.ThreadParseCpu) + " merge " + ms(record.MergeCpu) + " rank " +
                                 ms(record.RankCpu) + " clusters " + ms(record.ClustersCpu));
  return "UID:" + Global->UID + "|SEARCH|" + DateTimeText(Now()) + "|" + searched + "|" + last.SE_Name + "|" +
         std::to_string(session.Results->Count()) + "|" + FloatToStr(last.TotalDuration) + "|" +
         FloatToStr(last.FetchDuration) + "|" + FloatToStr(last.ParseDuration) + "|" +
         std::to_string(last.FetchThreadCount) + "|" + std::to_string(last.ParseThreadCount) + "|" +
         FloatToStr(last.RankDuration);
}

// The meta lists and the word index point into the results: after a failed
// search they all go together, and the session waits for a search again.
void ResetAfterFailure(TSessionData& session) {
  std::unique_lock guard(session.DataLock);
  session.Panes.DropWordTables();
  session.Results = std::make_unique<TResults>();
  session.MetaResults = std::make_unique<TMetaResults>(Global->MetaBoost);
  session.SearchPending = true;
}

}  // namespace

std::string FirstKeywords(const TSessionData& session) {
  const TTask* first = session.Results->FirstTask();
  return first ? first->Keywords : std::string();
}

TSearchRequest::TSearchRequest(TRequestHandler& handler)
    : TRequestArea(handler),
      Keywords(handler.Keywords),
      Site(handler.Site),
      SE(handler.SE),
      SessionId(handler.SessionId) {}

int32_t TSearchRequest::CheckSearchParams() {
  const int32_t requestedId = GetParamInt(Request.Params, "id", -1);
  const std::string keywords = GetParamStr(Request.Params, "keywords", "");
  if (keywords.empty()) throw TOvException("No search keywords", "RequestHandler", "CheckSearchParams");
  // The form encodes the keywords once more; a broken escape is refused
  // rather than searched for as it stands.
  size_t badEscape = 0;
  if (!TryURLDecode(keywords, Keywords, &badEscape))
    throw std::invalid_argument("Error decoding URL style (%XX) encoded string at position " +
                                std::to_string(badEscape + 1));
  Site = GetParamStr(Request.Params, "site", "");
  SE = GetParamStr(Request.Params, "se", "1");
  if (Site == "127.0.0.1" || LowerCase(Site) == "localhost")
    throw TOvException("Cannot search within \r\nOrvane search results", "RequestHandler", "CheckSearchParams");

  std::lock_guard tableGuard(Global->SessionLock);
  if (Global->AlwaysSearch || Global->Sessions.empty()) return -1;
  const std::string engineName = EngineName(EngineTextToInt(SE) - 1);
  int32_t unused = -1;
  for (const TSessionPtr& session : Global->Sessions) {
    std::shared_lock dataGuard(session->DataLock);
    const TTask* first = session->Results->FirstTask();
    if (!first) {
      unused = session->Id;
      continue;
    }
    if (IsSameSearch(*first, Keywords, engineName, Site) && (requestedId == -1 || session->Id == requestedId))
      return session->Id;
  }
  return unused;
}

void TSearchRequest::HandleRequest_Search() {
  std::unique_lock searchGuard(Session->SearchLock);
  try {
    bool pending, loaded, sessionFits;
    const int32_t requestedId = GetParamInt(Request.Params, "id", -1);
    auto readState = [&] {
      std::shared_lock guard(Session->DataLock);
      pending = Session->SearchPending;
      // Loaded results are shown to the request that names their session
      // (the redirect after the load), not to a search that found the
      // session empty while the load ran.
      loaded = Session->ResultsLoaded && requestedId == Session->Id;
      const TTask* first = Session->Results->FirstTask();
      sessionFits = pending || loaded ||
                   (first && IsSameSearch(*first, Keywords, EngineName(EngineTextToInt(SE) - 1), Site));
    };
    readState();
    if (!sessionFits) {
      // The empty session chosen for us was taken by another search while we
      // waited for it; showing that search's results would answer the wrong
      // question, so this search gets a session of its own.
      searchGuard.unlock();
      {
        std::lock_guard tableGuard(Global->SessionLock);
        Session = Global->CreateSession();
        SessionId = Session->Id;
        Handler.HoldSession();
      }
      searchGuard = std::unique_lock(Session->SearchLock);
      readState();
    }
    TSessionData& session = *Session;
    if (pending) {
      {
        std::unique_lock guard(session.DataLock);
        session.Preferences->SetSE(EngineTextToInt(SE) - 1);
        SelectProfile(session, Global->Predefined->DefaultProfileName());
      }
      RunSearch(Keywords, Site, false);
      std::unique_lock guard(session.DataLock);
      session.SearchPending = false;
    } else if (!loaded) {
      // The same search asked again: show its first task once more.
      std::unique_lock guard(session.DataLock);
      SelectProfile(session, Global->Predefined->DefaultProfileName());
      ShowFirstTaskAgain();
    } else {
      std::unique_lock guard(session.DataLock);
      session.ResultsLoaded = false;
    }
  } catch (const TOvException&) {
    throw;
  } catch (const std::exception& e) {
    throw TOvException(e.what(), "RequestHandler", "HandleRequest_Search");
  } catch (...) {
    throw TOvException("unknown exception", "RequestHandler", "HandleRequest_Search");
  }
}

void TSearchRequest::RunSearch(const std::string& keywords, const std::string& site, bool profileSearch) {
  TTrayIcon* tray = Global->Data->TrayIcon.load();
  std::exception_ptr failure;
  std::string remoteLine;
  try {
    remoteLine = SearchAndRecord(keywords, site, profileSearch, tray);
  } catch (const TOvException& e) {
    failure = std::make_exception_ptr(e);
  } catch (const std::exception& e) {
    failure = std::make_exception_ptr(TOvException(e.what(), "RequestHandler", "RunSearch"));
  } catch (...) {
    failure = std::make_exception_ptr(TOvException("unknown exception", "RequestHandler", "RunSearch"));
  }
  try {
    if (failure) ResetAfterFailure(*Session);
  } catch (...) {
  }
  try {
    if (tray) tray->HideBalloon();
    if (!failure) Global->RemoteLog(remoteLine);
  } catch (...) {
  }
  if (failure) std::rethrow_exception(failure);
}

std::string TSearchRequest::SearchAndRecord(const std::string& keywords, const std::string& site, bool profileSearch,
                                             TTrayIcon* tray) {
  TSessionData& session = *Session;
  TimeLog.Start();
  Record = {};
  double cpuMark = ThreadCpuMs();
  const TSearchStart start = StartSearch(session, keywords, site, profileSearch);
  if (tray) ShowSearchBalloon(*tray, start, site);
  TFetchedResults fetched = FetchStage(session, start, profileSearch);
  Record.FetchCpu = ThreadCpuMs() - cpuMark;
  cpuMark = ThreadCpuMs();

  std::unique_lock guard(session.DataLock);
  ReadThreadTotals(session, Record);
  // No page downloaded (all replayed from LoadPath) is no reason to fail.
  const double averageParse =
      Record.DownloadCount > 0 ? static_cast<double>(Record.ParseTime / Record.DownloadCount) : 0.0;
  Record.FetchWall =
      TimeLog.Lap("Avg thread parse " + FloatToStr(RoundTo2(averageParse)) + " s. Threads done ", true);
  session.Results->LastTask()->FailedPages = std::move(fetched.Failed);
  MergeFetched(session, fetched, start.Engine, profileSearch);
  TimeLog.Lap("Remove duplicates ", true);
  Record.MergeCpu = ThreadCpuMs() - cpuMark;
  PostProcess(start.FirstKeywords, true, profileSearch);
  return WriteSearchRecord(session, Record, start.Searched);
}

void TSearchRequest::ShowFirstTaskAgain() {
  // Caller holds DataLock exclusively. The word tables point at the results
  // of the later tasks, so they go first.
  TSessionData& session = *Session;
  session.Panes.DropWordClusters();
  session.Results->ResetToFirstTask();
  if (session.Results->Tasks.size() > 1) session.Results->DeleteTask(session.Results->Tasks.size() - 1);
  PostProcess(FirstKeywords(session), false, false);
  session.Preferences->SetCheckAllExt(true);
}

void TSearchRequest::PostProcess(const std::string& keywords, bool splitWords, bool profileSearch) {
  // Caller holds the session's DataLock exclusively: pages never see a
  // half-built pane.
  TSessionData& session = *Session;
  TResults& results = *session.Results;
  TimeLog.Start();
  const double rankStart = ThreadCpuMs();
  results.Profile = session.Profile.get();
  if (!session.Preferences->ProfileName.empty()) {
    results.Rank(Global->XMLManager.get());
    if (TTask* last = results.LastTask()) last->RankDuration = TimeLog.Lap("Rank ", true);
  }
  Record.RankCpu = ThreadCpuMs() - rankStart;
  const double clustersStart = ThreadCpuMs();
  session.Panes.BuildClusters(*session.Results, *session.Profile);
  TimeLog.Lap("BuildClustersHtml ", true);
  ApplyFilter(Global->FilterState(session));
  TimeLog.Lap("Apply filter ", true);
  results.ClearWordListScores();
  const double sortStart = ThreadCpuMs();
  results.Sort(session.Profile->SortBy);
  TimeLog.Lap("Sort results ", true);
  const double sortCpu = ThreadCpuMs() - sortStart;
  Record.RankCpu += sortCpu;
  if (splitWords) {
    for (const auto& result : results.List) {
      if (result->Words.WordsSplit) {
        result->Words.TitleWords.clear();
        result->Words.DescriptionWords.clear();
        result->Words.TitleOccurrences = {};
        result->Words.DescriptionOccurrences = {};
      }
      session.SeperateWords->Separate(result->Description(), result->Words.DescriptionWords);
      session.SeperateWords->Separate(result->Source.Title, result->Words.TitleWords);
      result->Words.WordsSplit = true;
    }
    session.Panes.ReplaceWordStorage(*session.Results);
    TimeLog.Lap("Split to words ", true);
  }
  // Either way the word pane is built at the end, once.
  if (!profileSearch) {
    session.RebuildWordClusters(keywords);
    TimeLog.Lap("Auto clusters ", true);
  } else {
    WordListFilter(Global->FilterState(session), keywords,
                   [this](const std::string& caption) { TimeLog.Lap(caption, true); });
  }
  session.Panes.BuildSubjectPane(Global->Predefined.get());
  Record.ClustersCpu = ThreadCpuMs() - clustersStart - sortCpu;
}

}  // namespace orvane
