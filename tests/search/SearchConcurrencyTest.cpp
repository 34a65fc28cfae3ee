// Frames of a session keep being requested while searches of the same session
// run and another session expires. Run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "search/Results.h"
#include "search/SearchFetch.h"
#include "search/SearchPipelineSupport.h"
#include "support/ServerProcess.h"

namespace orvane::test {
namespace {

bool IsCompleteAnswer(const THttpResponse& response) {
  const std::string& text = response.ContentText;
  const bool page = text.find("</html>") != std::string::npos;
  const bool redirect = text.rfind("<script>parent.location=\"", 0) == 0 && text.find("\"</script>") != std::string::npos;
  return page || redirect;
}

TEST(SearchConcurrency, FramesDuringSearchesOfTheirSessionAndAnExpiry) {
  // One second of idleness expires a session.
  TSearchPipeline pipeline(TSettings{{"TimeOut", "86400"}});
  pipeline.Get("/search?keywords=glacier+walks+simtotal:300&se=1");         // session 0
  pipeline.Get("/search?keywords=harbour+lights+simtotal:100&se=2");        // session 1, left idle
  ASSERT_NE(pipeline.Session(1), nullptr);

  std::atomic<bool> stop{false};
  std::atomic<int> incomplete{0}, answers{0};
  std::vector<std::thread> frames;
  for (const char* frame : {"/mainframe.htm?id=0", "/bottomframe.htm?id=0", "/default.htm?id=0",
                            "/results.htm?id=0"}) {
    frames.emplace_back([&, frame] {
      while (!stop) {
        if (!IsCompleteAnswer(pipeline.Get(frame))) ++incomplete;
        ++answers;
      }
    });
  }
  std::thread timer([&] {
    while (!stop) {
      Global->CleanUpSessions();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });

  // A failing search (no page answers) empties session 0, a slow one fills
  // it again while the frames read it, then the same search is asked again a
  // few times.
  EXPECT_TRUE(IsCompleteAnswer(pipeline.Get("/search?keywords=glacier+walks+simfail:500@google&se=1&id=0")));
  EXPECT_TRUE(IsCompleteAnswer(pipeline.Get("/search?keywords=glacier+walks+simtotal:400+simdelay:200&se=1&id=0")));
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(IsCompleteAnswer(pipeline.Get("/search?keywords=glacier+walks+simtotal:400+simdelay:200&se=1")));
  EXPECT_TRUE(WaitFor([&] { return pipeline.Session(1) == nullptr; }));

  stop = true;
  for (auto& frame : frames) frame.join();
  timer.join();
  EXPECT_EQ(incomplete.load(), 0);
  EXPECT_GT(answers.load(), 0);
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_NE(session, nullptr);
  EXPECT_GT(session->Results->Count(), 0u);
  EXPECT_FALSE(session->SearchPending);
}

// A search longer than the sessions' time-out keeps its session: the page it
// answers with names a session that its frames still find.
TEST(SearchConcurrency, ASearchInProgressKeepsItsSessionAlive) {
  TSearchPipeline pipeline(TSettings{{"TimeOut", "86400"}});  // one second
  std::atomic<bool> stop{false};
  std::thread timer([&] {
    while (!stop) {
      Global->CleanUpSessions();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const THttpResponse search = pipeline.Get("/search?keywords=glacier+walks+simtotal:100+simdelay:1500&se=1");
  const bool kept = pipeline.Session(0) != nullptr;
  const std::string frame = pipeline.Get("/mainframe.htm?id=0").ContentText;
  EXPECT_TRUE(kept);
  EXPECT_EQ(frame.find("parent.location"), std::string::npos) << frame.substr(0, 200);
  // Idle again, it expires as usual.
  EXPECT_TRUE(WaitFor([&] { return pipeline.Session(0) == nullptr; }));
  stop = true;
  timer.join();
  EXPECT_NE(search.ContentText.find("</html>"), std::string::npos);
}

// The pages the probe rules out are dropped at every point of their work
// (connecting, receiving, parsed and waiting) while the pages that count
// append to the same list: nothing of theirs arrives, and the pages that
// count are all there.
TEST(SearchConcurrency, PagesRuledOutByTheProbeWhileOthersAppend) {
  TSearchPipeline pipeline(TSettings{{"MetaBoost", "0"}});
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->CreateSession();
  }
  // Google has three pages; pages 3 to 8 are asked with the probe and arrive
  // before it, with it, or long after it.
  const char* const delays[] = {"", "simdelay:40@9", "simdelay:5@google4", "simdelay:3000@google6",
                                "simdelay:20@google1"};
  for (int round = 0; round < 20; ++round) {
    const std::string keywords = std::string("glacier walks simtotal:300 ") + delays[round % 5];
    TTask* task = session->Results->AddTask(keywords, "Google", nullptr, "");
    session->Totals.Reset();
    TFetchedResults fetched;
    FetchResults(Global->FetchContext(*session), sim::kGoogle, keywords, task, false, fetched, std::chrono::seconds(30));
    std::set<int32_t> ranks;
    for (const auto& result : fetched.Main) EXPECT_TRUE(ranks.insert(result->Source.EngineRank).second) << round;
    EXPECT_GT(ranks.size(), 250u) << round;
    EXPECT_LE(*ranks.rbegin(), 300) << round;
    EXPECT_TRUE(fetched.Failed.empty()) << round;
    std::lock_guard guard(session->Totals.Lock);
    EXPECT_EQ(session->Totals.DownloadCount, 3) << round;
    EXPECT_EQ(session->Totals.ParseCount, 3) << round;
  }
}

// The filter actions of one session change it while its frames are built,
// and a subject choice searches again meanwhile.
TEST(SearchConcurrency, FilterActionsWhileTheFramesAreBuilt) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:300&se=1");
  ASSERT_NE(pipeline.Session(0), nullptr);
  std::atomic<bool> stop{false};
  std::atomic<int> incomplete{0};
  std::vector<std::thread> frames;
  for (const char* frame : {"/mainframe.htm?id=0", "/bottomframe.htm?id=0", "/statistics.htm?id=0"}) {
    frames.emplace_back([&, frame] {
      while (!stop)
        if (!IsCompleteAnswer(pipeline.Get(frame))) ++incomplete;
    });
  }
  const char* const actions[] = {
      "/selectword?showonlyword=glacier&currentpage=0&id=0", "/findnarrow?narrow=walks&id=0",
      "/sliceresults.htm?showonlydomainextension=com&id=0",   "/changeorder.htm?originalorder=1&id=0",
      "/slicestatisticsresults.htm?WhatToShow=Total&id=0",    "/showotherresults.htm?ExactMatch=2&id=0",
      "/selectpredefined?predefinedname=News&id=0",           "/savepreferences?titlerank=6&totalrank=10&id=0",
      "/selectpredefined?predefinedname=Web&id=0",            "/findnarrow?narrow=&id=0",
  };
  for (int round = 0; round < 2; ++round)
    for (const char* action : actions) EXPECT_TRUE(IsCompleteAnswer(pipeline.Get(action))) << action;
  stop = true;
  for (auto& frame : frames) frame.join();
  EXPECT_EQ(incomplete.load(), 0);
}

}  // namespace
}  // namespace orvane::test
