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
};

// A session of the pipeline's Global fetches the pages of one search.
TOutcome Fetch(const std::string& fault, std::chrono::milliseconds wait) {
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->CreateSession();
  }
  TTask* task = session->Results->AddTask("glacier walks simtotal:300 " + fault, "Google", nullptr, "");
  TFetchedResults fetched;
  TOutcome outcome;
  try {
    FetchResults(*session, sim::kGoogle, task->Keywords, task, false, fetched, wait);
  } catch (const TOvException& e) {
    outcome.Error = e.what();
  }
  outcome.Results = fetched.Main.size();
  return outcome;
}

TEST(EngineFaults, EachFaultEndsTheFetchWithItsOutcome) {
  TSearchPipeline pipeline;
  const size_t whole = Fetch("", std::chrono::seconds(30)).Results;
  ASSERT_GT(whole, 200u);
  const struct { const char* fault; const char* error; } rows[] = {
      {"simfail:hang@google1", "Timeout waiting for threads"},
      {"simdelay:60000@google1", "Timeout waiting for threads"},
      {"simfail:drop@google1", "transfer closed"},
      {"simfail:length@google1", "transfer closed"},
      {"simfail:500@google1", "HTTP error 500"},
      {"simfail:loop@google1", "Maximum (5) redirects followed"},
      {"simfail:binary@google1", ""},
      {"simfail:huge@google1", ""},
  };
  for (const auto& row : rows) {
    const TOutcome outcome = Fetch(row.fault, std::chrono::seconds(3));
    EXPECT_NE(outcome.Error.find(row.error), std::string::npos) << row.fault << ": " << outcome.Error;
    if (!*row.error) {
      EXPECT_TRUE(outcome.Error.empty()) << row.fault << ": " << outcome.Error;
    }
  }
  EXPECT_TRUE(pipeline.WaitForLog("[HttpClient] Page cut off at 8388608 bytes: "));
  // The server goes on as before.
  EXPECT_EQ(Fetch("", std::chrono::seconds(30)).Results, whole);
}

}  // namespace
}  // namespace orvane::test
