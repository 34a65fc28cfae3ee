// Engines that answer "not now" are left alone for as long as they ask (at
// most an hour), and a resting engine receives no request at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "search/EngineRest.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"

namespace orvane::test {
namespace {

TEST(EngineRest, RestsAsLongAsAskedAtMostAnHour) {
  const TDateTime now = Now();
  const struct { long status; long retryAfter; long expectedSeconds; } rows[] = {
      {429, 120, 120},
      {503, -1, 60},     // no Retry-After
      {429, 86400, 3600},
      {503, 1800, 1800},
  };
  for (const auto& row : rows) {
    TEngineRest rest;
    rest.Rest(1, row.status, row.retryAfter, now);
    const TDateTime until = now + std::chrono::seconds(row.expectedSeconds);
    EXPECT_EQ(rest.RestingReason(1, now),
              "resting until " + ClockText(until) + " (it answered " + std::to_string(row.status) + ")");
    EXPECT_EQ(rest.RestingReason(1, until - std::chrono::seconds(1)).empty(), false);
    EXPECT_EQ(rest.RestingReason(1, until), "") << row.retryAfter;
    EXPECT_EQ(rest.RestingReason(0, now), "");  // only the engine that asked
  }
  // Retry-After 0 asks for no rest; a shorter later rest keeps the longer one.
  TEngineRest rest;
  rest.Rest(2, 429, 0, now);
  EXPECT_EQ(rest.RestingReason(2, now), "");
  rest.Rest(2, 503, 600, now);
  rest.Rest(2, 429, 10, now);
  EXPECT_NE(rest.RestingReason(2, now + std::chrono::seconds(300)), "");
  EXPECT_NE(rest.RestingReason(2, now).find("(it answered 503)"), std::string::npos);
}

TEST(EngineRest, ARestingEngineIsNotAskedAndTheSearchSaysSoAtOnce) {
  const struct { const char* fault; } rows[] = {
      {"simfail:429@msn+simretry:120"}, {"simfail:429@msn"}, {"simfail:503@msn+simretrydate:300"}};
  for (const auto& row : rows) {
    TSearchPipeline pipeline;
    // A 429 on MSN's meta page costs only that page and puts MSN to rest.
    pipeline.Get(std::string("/search?keywords=harbour+lights+simtotal:200+") + row.fault + "&se=1");
    TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->SearchPending) << row.fault;
    ASSERT_EQ(session->Results->LastTask()->FailedPages.size(), 1u);
    EXPECT_EQ(session->Results->LastTask()->FailedPages[0].Engine, "MSN");
    ASSERT_EQ(RequestsTo(pipeline.Simulator, sim::kMSN), 1);

    // The next search on Google still shows MSN's rest, without asking it.
    pipeline.Get("/search?keywords=quiet+lanes+simtotal:200&se=1");
    session = pipeline.Session(1);
    ASSERT_TRUE(session);
    const TFailedPages& failed = session->Results->LastTask()->FailedPages.at(0);
    EXPECT_EQ(failed.Engine, "MSN");
    ASSERT_EQ(failed.Failed.size(), 1u);
    EXPECT_EQ(failed.Failed[0].Reason.rfind("resting until ", 0), 0u) << failed.Failed[0].Reason;
    EXPECT_NE(pipeline.Get("/mainframe.htm?id=1").ContentText.find("MSN: 1 of 1 page failed (resting until "),
              std::string::npos);
    // The statistics page lists the page as failed, not as asked.
    const std::string statistics = pipeline.Get("/statistics.htm?id=1").ContentText;
    const std::string engines = statistics.substr(0, statistics.find("<table id=\"failedpages\">"));
    EXPECT_EQ(engines.find("<tr><td>MSN</td>"), std::string::npos);
    EXPECT_NE(engines.find("<tr><td>Google</td>"), std::string::npos);
    EXPECT_NE(statistics.find("</td><td>resting until "), std::string::npos);

    // A search on MSN itself ends at once, on the error answer.
    const auto started = std::chrono::steady_clock::now();
    pipeline.Get("/search?keywords=quiet+lanes+simtotal:200&se=2");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] OvException : MSN is resting until "));
    EXPECT_EQ(RequestsTo(pipeline.Simulator, sim::kMSN), 1) << row.fault;
  }
}

}  // namespace
}  // namespace orvane::test
