// How a search ends when one engine page misbehaves, and that the server is
// fine afterwards. Every engine here is the local simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "base/OvException.h"
#include "search/Results.h"
#include "search/SearchFetch.h"
#include "search/SearchPipelineSupport.h"

namespace orvane::test {
namespace {

struct TOutcome {
  std::string Error;  // empty when the fetch succeeded
  size_t Results = 0;
  std::vector<TFailedPages> Failed;
};

// Long enough for a healthy page under ThreadSanitizer on a busy two-core
// machine (one second was not), short enough for the rows that hang.
constexpr char kPageTimeout[] = "3";

// A session of the pipeline's Global fetches the pages of one search.
TOutcome Fetch(const std::string& fault, std::chrono::milliseconds wait, bool metaBoost = false) {
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->CreateSession();
  }
  TTask* task = session->Results->AddTask("glacier walks simtotal:300 " + fault, "Google", nullptr, "");
  TFetchedResults fetched;
  TOutcome outcome;
  try {
    FetchResults(Global->FetchContext(*session), sim::kGoogle, task->Keywords, task, metaBoost, fetched, wait);
  } catch (const TOvException& e) {
    outcome.Error = e.what();
  }
  outcome.Results = fetched.Main.size();
  outcome.Failed = fetched.Failed;
  return outcome;
}

// A page that fails costs only itself: the other two pages of the three
// still count, and the failure's reason is in plain words.
TEST(EngineFaults, AFailedPageCostsOnlyItselfAndSaysWhy) {
  TSearchPipeline pipeline(TSettings{{"PageTimeout", kPageTimeout}});
  const size_t whole = Fetch("", std::chrono::seconds(30)).Results;
  const size_t withoutPage1 = Fetch("simfail:binary@google1", std::chrono::seconds(30)).Results;
  ASSERT_GT(whole, 200u);
  ASSERT_LT(withoutPage1, whole - 90);
  const std::string home = "http://" + pipeline.Simulator.HostOf(sim::kGoogle) + "/";
  const struct { const char* fault; const char* reason; } rows[] = {
      {"simfail:hang@google1", "time-out after 3 s"},
      {"simdelay:60000@google1", "time-out after 3 s"},
      {"simfail:drop@google1", "connection cut off"},
      {"simfail:length@google1", "connection cut off"},
      {"simfail:500@google1", "it answered 500"},
      {"simfail:loop@google1", "too many redirects"},
      {"simfail:huge@google1", "page larger than 8 MB"},
      {"simfail:captcha@google1", ""},  // the reason names the engine's home page
  };
  for (const auto& row : rows) {
    const TOutcome outcome = Fetch(row.fault, std::chrono::seconds(30));
    EXPECT_EQ(outcome.Error, "") << row.fault;
    EXPECT_EQ(outcome.Results, withoutPage1) << row.fault;
    ASSERT_EQ(outcome.Failed.size(), 1u) << row.fault;
    EXPECT_EQ(outcome.Failed[0].Engine, "Google");
    EXPECT_EQ(outcome.Failed[0].Pages, 3);
    ASSERT_EQ(outcome.Failed[0].Failed.size(), 1u) << row.fault;
    EXPECT_EQ(outcome.Failed[0].Failed[0].Index, 1);
    const std::string reason = *row.reason ? row.reason : "asked for a CAPTCHA: open " + home + " in your browser once";
    EXPECT_EQ(outcome.Failed[0].Failed[0].Reason, reason) << row.fault;
  }
  // Each failure keeps its log line.
  EXPECT_TRUE(pipeline.WaitForLog("[HttpClient] Page cut off at 8388608 bytes: "));
  EXPECT_TRUE(pipeline.WaitForLog("Exception: HTTP error 500"));
  EXPECT_TRUE(pipeline.WaitForLog("Exception: asked for a CAPTCHA: open " + home + " in your browser once"));
  // A page that is no result page answered: no failure, no results.
  EXPECT_TRUE(Fetch("simfail:binary@google1", std::chrono::seconds(30)).Failed.empty());
  // The server goes on as before.
  EXPECT_EQ(Fetch("", std::chrono::seconds(30)).Results, whole);
}

TEST(EngineFaults, TheSearchFailsOnlyWhenNoPageOfTheChosenEngineAnswered) {
  TSearchPipeline pipeline(TSettings{{"PageTimeout", kPageTimeout}});
  const struct { const char* fault; bool metaBoost; const char* error; } rows[] = {
      {"simfail:500@google", false, "HTTP error 500"},
      {"simbadescape", false, "Invalid URL escape at position "},
      {"simfail:500@9", false, ""},    // the probe alone: every page below it counts
      {"simfail:hang@9", false, ""},   // a hung probe waits only its own time limit
      {"simfail:500@msn", true, ""},   // a meta page costs only its boost
      {"simfail:500@google", true, "HTTP error 500"},
  };
  for (const auto& row : rows) {
    const TOutcome outcome = Fetch(row.fault, std::chrono::seconds(30), row.metaBoost);
    if (*row.error) {
      EXPECT_NE(outcome.Error.find(row.error), std::string::npos) << row.fault << ": " << outcome.Error;
    } else {
      EXPECT_EQ(outcome.Error, "") << row.fault;
      EXPECT_GT(outcome.Results, 200u) << row.fault;
      ASSERT_EQ(outcome.Failed.size(), 1u) << row.fault;
      EXPECT_EQ(outcome.Failed[0].Failed.size(), 1u) << row.fault;
    }
  }
}

// A subject's search asks two pages; it fails only when both do.
TEST(EngineFaults, AProfileSearchKeepsTheOnePageThatAnswered) {
  TSearchPipeline pipeline;
  const struct { const char* fault; bool fails; size_t failedPages; } rows[] = {
      {"", false, 0}, {"simfail:500@google1", false, 1}, {"simfail:500@google", true, 2}};
  for (const auto& row : rows) {
    TSessionPtr session;
    {
      std::lock_guard guard(Global->SessionLock);
      session = Global->CreateSession();
    }
    TTask* task = session->Results->AddTask(std::string("glacier walks simtotal:300 ") + row.fault, "Google", nullptr, "");
    TFetchedResults fetched;
    bool failed = false;
    try {
      FetchResultsWithProfilename(Global->FetchContext(*session), sim::kGoogle, task->Keywords, 1, task, fetched);
    } catch (const TOvException& e) {
      failed = true;
      EXPECT_STREQ(e.what(), "HTTP error 500");
    }
    EXPECT_EQ(failed, row.fails) << row.fault;
    if (row.fails) continue;
    EXPECT_GE(fetched.Main.size(), 90u) << row.fault;
    EXPECT_EQ(fetched.Failed.empty() ? 0u : fetched.Failed[0].Failed.size(), row.failedPages) << row.fault;
  }
}

TEST(EngineFaults, TheOuterBoundStillStopsAHungSearch) {
  TSearchPipeline pipeline;  // pages may take 8 s, the search only 1
  const TOutcome outcome = Fetch("simfail:hang@google1", std::chrono::seconds(1));
  EXPECT_EQ(outcome.Error, "Timeout waiting for threads");
}

}  // namespace
}  // namespace orvane::test
