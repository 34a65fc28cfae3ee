// The search action end to end against the local engine simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/OvException.h"
#include "search/MetaResults.h"
#include "search/Results.h"
#include "search/SearchFetch.h"
#include "search/SearchPipelineSupport.h"
#include "support/ServerProcess.h"

namespace orvane::test {
namespace {

int RequestsTo(const sim::TEngineSimulator& simulator, int engine) {
  const auto requests = simulator.Requests();
  return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                        [&](const sim::TRequestRecord& r) { return r.Engine == engine; }));
}

bool IsStartPageScript(const THttpResponse& response) {
  return response.ContentText.find("parent.location=\"http://127.0.0.1:") != std::string::npos &&
         response.ContentText.find("/default.htm\"") != std::string::npos;
}

TEST(SearchRequest, ProbeTellsHowManyPagesAndTheOtherEnginesBoost) {
  const struct { int se; int total; int neededThreads; int selected; int meta0; int meta1; } rows[] = {
      {1, 350, 3, sim::kGoogle, sim::kMSN, sim::kYahoo},
      {3, 1200, 9, sim::kYahoo, sim::kGoogle, sim::kMSN},
      {2, 40, 0, sim::kMSN, sim::kGoogle, sim::kYahoo},
  };
  for (const auto& row : rows) {
    TSearchPipeline pipeline;
    const THttpResponse answer = pipeline.Get("/search?keywords=solar+panels+simtotal:" + std::to_string(row.total) +
                                              "&se=" + std::to_string(row.se));
    EXPECT_NE(answer.ContentText.find("orvaneFillForm('solar panels simtotal:"), std::string::npos);
    EXPECT_TRUE(pipeline.WaitForLog("[FetchResults] Needed threads: " + std::to_string(row.neededThreads)));
    EXPECT_EQ(RequestsTo(pipeline.Simulator, row.selected), 1 + row.neededThreads) << row.se;
    EXPECT_EQ(RequestsTo(pipeline.Simulator, row.meta0), 1);
    EXPECT_EQ(RequestsTo(pipeline.Simulator, row.meta1), 1);

    const TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->SearchPending);
    EXPECT_GT(session->Results->Count(), 0u);
    EXPECT_LE(session->Results->Count(), static_cast<size_t>(row.total));
    for (const auto& result : session->Results->List) EXPECT_EQ(result->Engine, row.selected);
    for (int list = 0; list < 2; ++list)
      for (const auto& result : session->MetaResults->GetList(list))
        EXPECT_EQ(result->Engine, list == 0 ? row.meta0 : row.meta1);
    const TTask* task = session->Results->LastTask();
    ASSERT_TRUE(task);
    EXPECT_EQ(task->FetchThreadCount, 3 + row.neededThreads);
    EXPECT_EQ(task->ParseThreadCount, 3 + row.neededThreads);
  }
}

TEST(SearchRequest, MetaBoostOffAsksOnlyTheChosenEngine) {
  TSearchPipeline pipeline(TSettings{{"MetaBoost", "0"}});
  pipeline.Get("/search?keywords=river+trips+simtotal:100&se=1");
  EXPECT_EQ(RequestsTo(pipeline.Simulator, sim::kGoogle), 1);  // the probe's page count is 1
  EXPECT_EQ(RequestsTo(pipeline.Simulator, sim::kMSN), 0);
  EXPECT_EQ(RequestsTo(pipeline.Simulator, sim::kYahoo), 0);
  EXPECT_GT(pipeline.Session(0)->Results->Count(), 0u);
}

TEST(SearchRequest, OneFailingPageFailsTheSearchAndTheNextRequestSearchesAgain) {
  TSearchPipeline pipeline;
  const THttpResponse failed = pipeline.Get("/search?keywords=opera+houses+simtotal:500+simfail:500@google2&se=1");
  EXPECT_TRUE(IsStartPageScript(failed)) << failed.ContentText;
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] OvException : "));
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
    FetchResults(*session, sim::kGoogle, task->Keywords, task, false, fetched, std::chrono::milliseconds(500));
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

TEST(SearchRequest, RefusedSearchesAnswerWithTheStartPage) {
  TSearchPipeline pipeline;
  const struct { const char* target; const char* logged; } rows[] = {
      {"/search?keywords=x&se=1&site=LOCALHOST", "OvException : Cannot search within \r\nOrvane search results"},
      {"/search?keywords=x&se=1&site=127.0.0.1", "OvException : Cannot search within"},
      {"/search?keywords=++&se=1", "OvException : No search keywords"},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(IsStartPageScript(pipeline.Get(row.target))) << row.target;
    EXPECT_TRUE(pipeline.WaitForLog(row.logged)) << row.target;
  }
  EXPECT_EQ(pipeline.Simulator.Requests().size(), 0u);
  EXPECT_EQ(pipeline.Session(0), nullptr);
  // Another loopback address is an ordinary site.
  EXPECT_FALSE(IsStartPageScript(pipeline.Get("/search?keywords=x+simtotal:10&se=1&site=127.0.0.2")));
}

}  // namespace
}  // namespace orvane::test
