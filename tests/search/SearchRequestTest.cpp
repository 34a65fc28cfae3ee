// The search action end to end against the local engine simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <filesystem>
#include <set>
#include <thread>

#include "base/Engines.h"
#include "base/OvException.h"
#include "host/RequestHandler.h"
#include "host/SearchRequest.h"
#include "search/MetaResults.h"
#include "clusters/ExtClusters.h"
#include "search/Results.h"
#include "search/SearchFetch.h"
#include "search/SearchPipelineSupport.h"
#include "support/ServerProcess.h"
#include "words/Profile.h"

namespace orvane::test {
namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

bool IsStartPageScript(const THttpResponse& response) {
  return response.ContentText.find("parent.location=\"http://127.0.0.1:") != std::string::npos &&
         response.ContentText.find("/default.htm?Failure=") != std::string::npos;
}

// The probe and the pages below it are asked together; the probe's count
// decides which of them count. With ProbeFirst only the pages that count are
// asked, after the probe. The three alone here (no SearXNG address): an added
// engine joining the boost is the next test.
TEST(SearchRequest, ProbeTellsHowManyPagesAndTheOtherEnginesBoost) {
  const struct { int se; int total; bool boost; bool probeFirst; int neededThreads; int selected; int meta0; int meta1; } rows[] = {
      {1, 350, true, false, 3, sim::kGoogle, sim::kMSN, sim::kYahoo},
      {1, 350, true, true, 3, sim::kGoogle, sim::kMSN, sim::kYahoo},
      {3, 1200, true, false, 9, sim::kYahoo, sim::kGoogle, sim::kMSN},
      {2, 40, true, false, 0, sim::kMSN, sim::kGoogle, sim::kYahoo},
      {2, 40, true, true, 0, sim::kMSN, sim::kGoogle, sim::kYahoo},
      {1, 100, false, false, 0, sim::kGoogle, sim::kMSN, sim::kYahoo},  // MetaBoost off: the chosen engine alone
  };
  for (const auto& row : rows) {
    TSearchPipeline pipeline(TSettings{
        {"MetaBoost", row.boost ? "1" : "0"}, {"ProbeFirst", row.probeFirst ? "1" : "0"}, {"SearXNGHost", ""}});
    const THttpResponse answer = pipeline.Get("/search?keywords=solar+panels+simtotal:" + std::to_string(row.total) +
                                              "&se=" + std::to_string(row.se));
    EXPECT_NE(answer.ContentText.find("orvaneFillForm('solar panels simtotal:"), std::string::npos);
    EXPECT_TRUE(pipeline.WaitForLog("[FetchResults] Needed threads: " + std::to_string(row.neededThreads)));
    // A page ruled out before its request went may never reach the engine.
    const int asked = RequestsTo(pipeline.Simulator, row.selected);
    EXPECT_GE(asked, 1 + row.neededThreads) << row.se;
    EXPECT_LE(asked, 1 + (row.probeFirst ? row.neededThreads : 9)) << row.se;
    EXPECT_EQ(RequestsTo(pipeline.Simulator, row.meta0), row.boost ? 1 : 0);
    EXPECT_EQ(RequestsTo(pipeline.Simulator, row.meta1), row.boost ? 1 : 0);
    if (row.probeFirst) {
      const auto requests = pipeline.Simulator.Requests();
      const auto probe = std::find_if(requests.begin(), requests.end(),
                                      [&](const sim::TRequestRecord& r) { return r.Engine == row.selected; });
      ASSERT_NE(probe, requests.end());
      EXPECT_EQ(probe->Start, 900);
    }

    const TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->SearchPending);
    EXPECT_GT(session->Results->Count(), 0u);
    EXPECT_LE(session->Results->Count(), static_cast<size_t>(row.total));
    for (const auto& result : session->Results->List) EXPECT_EQ(result->Source.Engine, row.selected);
    for (int list = 0; list < 2; ++list)
      for (const auto& result : session->MetaResults->GetList(list)) {
        EXPECT_EQ(result->Source.Engine, list == 0 ? row.meta0 : row.meta1);
        // Only the boost reads them: they carry no texts.
        EXPECT_TRUE(result->Source.Title.empty() && result->Description().empty());
      }
    const TTask* task = session->Results->LastTask();
    ASSERT_TRUE(task);
    // Pages beyond the count leave no trace in the statistics.
    const int threads = (row.boost ? 3 : 1) + row.neededThreads;
    EXPECT_EQ(task->FetchThreadCount, threads);
    EXPECT_EQ(task->ParseThreadCount, threads);
    // Nor in the log: the last line of the search is written after every page's.
    ASSERT_TRUE(pipeline.WaitForLog("[SearchTimes] CPU ms: fetch "));
    const std::string log = ReadFile(Global->InstallationDir + "OrvaneServer.log");
    EXPECT_EQ(CountOf(log, "] Downloaded page "), threads);
    EXPECT_EQ(CountOf(log, "] Parsed "), threads);
    EXPECT_TRUE(task->FailedPages.empty());
    // Averages are kept to two decimals, as saved and shown.
    EXPECT_DOUBLE_EQ(task->FetchDuration, std::round(task->FetchDuration * 100) / 100);
    EXPECT_DOUBLE_EQ(task->ParseDuration, std::round(task->ParseDuration * 100) / 100);
  }
}

// Every other enabled engine whose definition joins the boost gives its first
// page (SearXNG does, Wikipedia, arXiv and Brave do not), whichever engine is
// chosen; its results only boost.
TEST(SearchRequest, AddedEnginesThatJoinTheBoostGiveTheirFirstPage) {
  const struct { int selected; std::vector<int> boosting; } rows[] = {
      {sim::kGoogle, {sim::kMSN, sim::kYahoo, sim::kSearxng}},
      {sim::kWikipedia, {sim::kGoogle, sim::kMSN, sim::kYahoo, sim::kSearxng}},
      {sim::kSearxng, {sim::kGoogle, sim::kMSN, sim::kYahoo}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.selected);
    TSearchPipeline pipeline(TSettings{{"BraveKey", sim::kBraveKey}});
    // The simulator numbers the shipped engines as the data file does.
    ASSERT_EQ(EngineIndex("Wikipedia"), sim::kWikipedia);
    ASSERT_EQ(EngineIndex("SearXNG"), sim::kSearxng);
    pipeline.Get("/search?keywords=solar+panels+simtotal:100&se=" + std::to_string(row.selected + 1));
    const TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    ASSERT_FALSE(session->SearchPending);
    for (int engine = sim::kGoogle; engine <= sim::kBrave; ++engine) {
      const bool boosts = std::count(row.boosting.begin(), row.boosting.end(), engine) > 0;
      if (engine != row.selected) {
        EXPECT_EQ(RequestsTo(pipeline.Simulator, engine), boosts ? 1 : 0) << engine;
      }
    }
    for (size_t list = 0; list < row.boosting.size(); ++list) {
      EXPECT_FALSE(session->MetaResults->GetList(list).empty()) << list;
      for (const auto& result : session->MetaResults->GetList(list))
        EXPECT_EQ(result->Source.Engine, row.boosting[list]);
    }
    EXPECT_TRUE(session->MetaResults->GetList(row.boosting.size()).empty());
    EXPECT_GT(session->Results->Count(), 0u);
    for (const auto& result : session->Results->List) EXPECT_EQ(result->Source.Engine, row.selected);
  }
}

// The frames of the session show what was lost; a saved search keeps it.
TEST(SearchRequest, OneFailingPageCostsOnlyItselfAndTheFramesSaySo) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=opera+houses+simtotal:500&se=1");
  const size_t whole = pipeline.Session(0)->Results->Count();
  pipeline.Get("/search?keywords=opera+houses+simtotal:500+simfail:500@google2&se=1");
  const TSessionPtr session = pipeline.Session(1);
  ASSERT_TRUE(session);
  EXPECT_FALSE(session->SearchPending);
  EXPECT_GT(session->Results->Count(), whole - 110);
  EXPECT_LT(session->Results->Count(), whole - 90);
  for (const auto& result : session->Results->List)
    EXPECT_TRUE(result->Source.EngineRank <= 200 || result->Source.EngineRank > 300) << result->Source.EngineRank;

  const std::string notice = "<p class=\"failedpages\" role=\"alert\">Google: 1 of 5 pages failed (it answered 500)</p>";
  EXPECT_NE(pipeline.Get("/mainframe.htm?id=1").ContentText.find(notice), std::string::npos);
  EXPECT_EQ(pipeline.Get("/mainframe.htm?id=0").ContentText.find("failedpages"), std::string::npos);
  const std::string statistics = pipeline.Get("/statistics.htm?id=1").ContentText;
  EXPECT_NE(statistics.find("<tr><td>Google</td><td class=\"num\">3</td><td>it answered 500</td></tr>"),
            std::string::npos)
      << statistics;
  EXPECT_TRUE(pipeline.WaitForLog("Exception: HTTP error 500"));
}

TEST(SearchRequest, NoAnsweringPageFailsTheSearchAndTheNextRequestSearchesAgain) {
  TSearchPipeline pipeline;
  const THttpResponse failed = pipeline.Get("/search?keywords=opera+houses+simtotal:500+simfail:500@google&se=1");
  EXPECT_TRUE(IsStartPageScript(failed)) << failed.ContentText;
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] OvException : HTTP error 500"));
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_TRUE(session);
  EXPECT_TRUE(session->SearchPending);
  EXPECT_EQ(session->Results->Count(), 0u);
  EXPECT_EQ(session->Results->FirstTask(), nullptr);

  // The emptied session is taken for the next search.
  const THttpResponse retried = pipeline.Get("/search?keywords=opera+houses+simtotal:500&se=1&id=0");
  EXPECT_FALSE(IsStartPageScript(retried));
  EXPECT_FALSE(session->SearchPending);
  EXPECT_GT(session->Results->Count(), 0u);
  EXPECT_EQ(pipeline.Session(1), nullptr);
}

TEST(SearchRequest, SlowPagesTimeOutAndTheirThreadsAreTerminated) {
  TSearchPipeline pipeline;
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->CreateSession();
  }
  TTask* task = session->Results->AddTask("slow pages simtotal:300 simdelay:30000@google1", "Google", nullptr, "");
  TFetchedResults fetched;
  const auto started = std::chrono::steady_clock::now();
  try {
    FetchResults(Global->FetchContext(*session), sim::kGoogle, task->Keywords, task, false, fetched, std::chrono::milliseconds(500));
    FAIL() << "no time-out";
  } catch (const TOvException& e) {
    EXPECT_STREQ(e.what(), "Timeout waiting for threads");
    EXPECT_EQ(e.MethodName, "FetchResults");
  }
  // The slow transfer was aborted, not waited for.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_TRUE(pipeline.WaitForLog("[FetchResults] Termiating threads..."));
  EXPECT_TRUE(pipeline.WaitForLog("Terminating..."));
}

TEST(SearchRequest, SavedPagesReplayWithoutTheNetwork) {
  orvane::testing::ScratchFolder pages;
  size_t found = 0;
  {
    TSearchPipeline pipeline(TSettings{{"SavePath", pages.Path()}, {"MetaBoost", "0"}});
    pipeline.Get("/search?keywords=tea+gardens+simtotal:250&se=2");
    found = pipeline.Session(0)->Results->Count();
    ASSERT_GT(found, 0u);
  }
  for (const char* name : {"MSN_file_0.htm", "MSN_file_1.htm", "MSN_file_9.htm"})
    EXPECT_TRUE(std::filesystem::exists(pages.Path() + name)) << name;

  TSearchPipeline replay(TSettings{{"LoadPath", pages.Path()}, {"MetaBoost", "0"}});
  replay.Get("/search?keywords=tea+gardens+simtotal:250&se=2");
  EXPECT_EQ(replay.Session(0)->Results->Count(), found);
  EXPECT_EQ(replay.Simulator.Requests().size(), 0u);
}

TEST(SearchRequest, SameSearchInAnotherCaseReusesTheSessionUnlessAlwaysSearch) {
  {
    TSearchPipeline pipeline;
    pipeline.Get("/search?keywords=Mountain+Huts+simtotal:100&se=1");
    const size_t requests = pipeline.Simulator.Requests().size();
    const THttpResponse again = pipeline.Get("/search?keywords=mountain+HUTS+simtotal:100&se=1");
    EXPECT_NE(again.ContentText.find("'Mountain Huts simtotal:100', '0'"), std::string::npos);
    EXPECT_EQ(pipeline.Simulator.Requests().size(), requests);
    EXPECT_EQ(pipeline.Session(1), nullptr);
    // Another engine or site is another search.
    pipeline.Get("/search?keywords=mountain+huts+simtotal:100&se=2");
    pipeline.Get("/search?keywords=mountain+huts+simtotal:100&se=1&site=example.org");
    EXPECT_NE(pipeline.Session(2), nullptr);
  }
  TSearchPipeline always(TSettings{{"AlwaysSearch", "1"}});
  always.Get("/search?keywords=mountain+huts+simtotal:100&se=1");
  always.Get("/search?keywords=mountain+huts+simtotal:100&se=1");
  EXPECT_NE(always.Session(1), nullptr);
}

TEST(SearchRequest, RefusedSearchesAskNoEngine) {
  TSearchPipeline pipeline;
  // "%25" reaches the search as "%", which it decodes once more.
  const THttpResponse broken = pipeline.Get("/search?keywords=100%25zz+simtotal:10&se=1");
  EXPECT_NE(broken.ContentText.find("/Error.htm?Error=Error+decoding"), std::string::npos) << broken.ContentText;
  const struct { const char* target; const char* logged; bool session; } rows[] = {
      {"/search?keywords=x&se=1&site=LOCALHOST", "OvException : Cannot search within \r\nOrvane search results", false},
      {"/search?keywords=x&se=1&site=127.0.0.1", "OvException : Cannot search within", false},
      {"/search?keywords=++&se=1", "OvException : No search keywords", false},
      // An unknown engine fails once the session exists.
      {"/search?keywords=x+simtotal:10&se=0", "OvException : Unknown search engine ", true},
      {"/search?keywords=x+simtotal:10&se=8", "OvException : Unknown search engine ", true},  // after the seven shipped
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(IsStartPageScript(pipeline.Get(row.target))) << row.target;
    EXPECT_TRUE(pipeline.WaitForLog(row.logged)) << row.target;
    EXPECT_EQ(pipeline.Session(0) != nullptr, row.session) << row.target;
  }
  EXPECT_EQ(pipeline.Simulator.Requests().size(), 0u);
  EXPECT_TRUE(pipeline.Session(0)->SearchPending);
  EXPECT_EQ(pipeline.Session(1), nullptr);
  // Another loopback address is an ordinary site.
  EXPECT_FALSE(IsStartPageScript(pipeline.Get("/search?keywords=x+simtotal:10&se=1&site=127.0.0.2")));
}

TEST(SearchRequest, AnEmptySessionTakenMeanwhileIsNotShownForAnotherSearch) {
  TSearchPipeline pipeline;
  TSessionPtr taken;
  {
    std::lock_guard guard(Global->SessionLock);
    taken = Global->CreateSession();
  }
  // Another search holds the empty session while our request picks it.
  std::unique_lock searchGuard(taken->SearchLock);
  std::thread request([&pipeline] { pipeline.Get("/search?keywords=coral+reefs+simtotal:50&se=1"); });
  EXPECT_TRUE(WaitFor([&taken] { return taken.use_count() > 2; }));  // the request holds it too
  {
    std::unique_lock guard(taken->DataLock);
    taken->Results->AddTask("desert roads", "Google", nullptr, "");
    taken->SearchPending = false;
  }
  searchGuard.unlock();
  request.join();
  EXPECT_EQ(taken->Results->FirstTask()->Keywords, "desert roads");
  const TSessionPtr own = pipeline.Session(1);
  ASSERT_NE(own, nullptr);
  ASSERT_NE(own->Results->FirstTask(), nullptr);
  EXPECT_EQ(own->Results->FirstTask()->Keywords, "coral reefs simtotal:50");
  EXPECT_GT(own->Results->Count(), 0u);
}

TEST(SearchRequest, ProfileSearchAsksTwoPagesWithTheSubjectWords) {
  TSearchPipeline pipeline(TSettings{{"MetaBoost", "0"}});
  pipeline.Get("/search?keywords=alpine+lakes+simtotal:500&se=1");
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_NE(session, nullptr);
  const size_t before = pipeline.Simulator.Requests().size();
  {
    std::unique_lock guard(session->DataLock);
    session->Profile->Index = 4;
    session->Profile->Words.clear();
    session->Profile->SetWordList("hiking;0;0;;1|camping;0;0;;1");
  }
  THttpRequest request;
  THttpResponse response;
  TRequestHandler handler(request, response);
  handler.Session = session;
  {
    std::lock_guard searchGuard(session->SearchLock);
    TSearchRequest(handler).RunSearch("alpine lakes simtotal:500", "", true);
  }
  const auto requests = pipeline.Simulator.Requests();
  ASSERT_EQ(requests.size(), before + 2);
  std::multiset<int> starts;
  for (size_t i = before; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].Keywords, "alpine lakes simtotal:500 (hiking OR camping)");
    starts.insert(requests[i].Start);
  }
  EXPECT_EQ(starts, (std::multiset<int>{0, 100}));
  ASSERT_EQ(session->Results->Tasks.size(), 2u);
  EXPECT_EQ(session->Results->LastTask()->Keywords, "alpine lakes simtotal:500 (hiking OR camping)");
  EXPECT_GT(session->Results->ProfileResultCount(), 0);
  for (const auto& result : session->Results->List) {
    EXPECT_EQ(result->Source.SearchKeywords, "alpine lakes simtotal:500");
    if (result->Source.Task == session->Results->LastTask()) {
      EXPECT_EQ(result->Source.ProfileMark, 4);
    }
  }
}

}  // namespace
}  // namespace orvane::test

namespace orvane::test {
namespace {

TEST(SearchRequest, ResultsComeBackInScoreOrderEvenWithPaddedKeywords) {
  for (const char* keywords : {"glacier+walks+simtotal:300", "%2520glacier%2520walks%2520simtotal:300"}) {
    TSearchPipeline pipeline;
    pipeline.Get(std::string("/search?keywords=") + keywords + "&se=1");
    const TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    const TResults& results = *session->Results;
    ASSERT_GT(results.Count(), 0u) << keywords;
    int32_t previous = std::numeric_limits<int32_t>::max();
    size_t scored = 0;
    for (const auto& result : results.List) {
      EXPECT_LE(result->Rank.TotalScore, previous) << keywords;
      previous = result->Rank.TotalScore;
      if (result->Rank.TotalScore > 0) ++scored;
    }
    EXPECT_GT(scored, 0u) << keywords;
    EXPECT_FALSE(session->Panes.DomainCluster->PaneEntries().empty());
    const std::string frame = pipeline.Get("/bottomframe.htm?id=0").ContentText;
    EXPECT_EQ(frame.find("<ov:"), std::string::npos);
  }
}

}  // namespace
}  // namespace orvane::test
