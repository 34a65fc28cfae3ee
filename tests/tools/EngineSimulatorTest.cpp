#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <future>
#include <memory>
#include <set>

#include "EngineSimulator.h"
#include "Layouts.h"
#include "SimQuery.h"

namespace orvane::sim {
namespace {

std::vector<std::string> Links(const TSimPage& page) {
  std::vector<std::string> links;
  for (const auto& entry : page.Entries)
    if (entry.Rank > 0) links.push_back(entry.Link);
  return links;
}

TEST(EngineSimulatorCorpus, PagesAreDeterministicAndControlWordsOnlySteer) {
  const TSimPage first = RenderPage(kYahoo, "solar panels", 100, 100, 900);
  EXPECT_EQ(first.Html, RenderPage(kYahoo, "solar panels", 100, 100, 900).Html);
  EXPECT_EQ(Links(first), Links(RenderPage(kYahoo, "Solar  panels simdelay:10 simtotal:900", 100)));
  std::set<std::string> other;
  for (const auto& link : Links(RenderPage(kYahoo, "solar power", 100, 100, 900))) other.insert(link);
  int same = 0;
  for (const auto& link : Links(first)) same += other.count(link);
  EXPECT_LT(same, 5);
  // A start past the total shows the last page.
  const TSimPage last = RenderPage(kGoogle, "bird songs simtotal:350", 600);
  EXPECT_EQ(last.PageNumber, 4);
  EXPECT_EQ(last.LastShown, 350);
}

TEST(SimQuery, SeparatesWordsOperatorsAndControls) {
  const TSimQuery q = ParseKeywords(
      "site:Example.org language:en Java -coffee (tutorial OR guide) simtotal:1,200 simfail:500@msn9 "
      "simdelay:250@3 simsep simulation");
  EXPECT_EQ(q.Words, (std::vector<std::string>{"Java", "simulation"}));
  EXPECT_EQ(q.AltWords, (std::vector<std::string>{"tutorial", "guide"}));
  EXPECT_EQ(q.Site, "example.org");
  EXPECT_EQ(q.Controls.Total, 1200);
  EXPECT_EQ(q.Controls.Fail, "500");
  EXPECT_TRUE(q.Controls.FailWhere.Matches(kMSN, 9));
  EXPECT_FALSE(q.Controls.FailWhere.Matches(kMSN, 0));
  EXPECT_FALSE(q.Controls.FailWhere.Matches(kGoogle, 9));
  EXPECT_EQ(q.Controls.DelayMs, 250);
  EXPECT_TRUE(q.Controls.DelayWhere.Matches(kYahoo, 3));
  EXPECT_TRUE(q.Controls.GroupedCount);
  EXPECT_EQ(ParseKeywords("x simtotal:none").Controls.Total, 0);
  EXPECT_EQ(ParseKeywords("x simfail:bogus").Controls.Fail, "");
}

class EngineSimulatorServer : public ::testing::Test {
 protected:
  void SetUp() override {
    TSimOptions options;
    options.DefaultTotal = 350;
    simulator_ = std::make_unique<TEngineSimulator>(options);
    simulator_->Start();
  }

  httplib::Result Get(int engine, const std::string& target, const std::string& encoding = "identity") {
    httplib::Client client("127.0.0.1", simulator_->Port(engine));
    client.set_url_encode(false);
    client.set_decompress(false);
    return client.Get(target.c_str(), {{"Accept-Encoding", encoding}, {"Accept-Language", "en-us"}});
  }

  std::unique_ptr<TEngineSimulator> simulator_;
};

std::string Gunzip(const std::string& data) {
  z_stream stream{};
  inflateInit2(&stream, 16 + MAX_WBITS);
  std::string out(1 << 22, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return status == Z_STREAM_END ? out : "<corrupt>";
}

TEST_F(EngineSimulatorServer, GzipsOnlyWhenAsked) {
  const std::string target = QueryTarget(kYahoo, "opera lyrics", 0);
  const std::string page = RenderPage(kYahoo, "opera lyrics", 0, 100, 350).Html;
  const auto zipped = Get(kYahoo, target, "gzip, deflate");
  ASSERT_TRUE(zipped);
  EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(Gunzip(zipped->body), page);
  const auto plain = Get(kYahoo, target);
  EXPECT_EQ(plain->get_header_value("Content-Encoding"), "");
  EXPECT_EQ(plain->body, page);
  EXPECT_EQ(Get(kYahoo, "/elsewhere")->status, 404);
}

TEST_F(EngineSimulatorServer, FailureControlsHitOnlyTheirTargets) {
  EXPECT_EQ(Get(kMSN, QueryTarget(kMSN, "chess simfail:503@msn", 0))->status, 503);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:503@msn", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 9))->status, 500);
  const auto dropped = Get(kYahoo, QueryTarget(kYahoo, "chess simfail:drop", 0));
  EXPECT_FALSE(dropped && dropped->body == RenderPage(kYahoo, "chess simfail:drop", 0, 100, 350).Html);
  const auto junk = Get(kGoogle, QueryTarget(kGoogle, "chess simfail:junk", 0));
  ASSERT_TRUE(junk);
  EXPECT_EQ(junk->status, 200);
  EXPECT_EQ(junk->body, RenderJunk());
}

TEST_F(EngineSimulatorServer, RetryAfterAndBlockPagesGoOnlyWhereAsked) {
  const auto seconds = Get(kMSN, QueryTarget(kMSN, "chess simfail:429@msn simretry:120", 0));
  ASSERT_TRUE(seconds);
  EXPECT_EQ(seconds->status, 429);
  EXPECT_EQ(seconds->get_header_value("Retry-After"), "120");
  const auto dated = Get(kMSN, QueryTarget(kMSN, "chess simfail:503 simretrydate:60", 0));
  ASSERT_TRUE(dated);
  EXPECT_EQ(dated->status, 503);
  EXPECT_NE(dated->get_header_value("Retry-After").find(" GMT"), std::string::npos);
  const auto bare = Get(kMSN, QueryTarget(kMSN, "chess simfail:429", 0));
  ASSERT_TRUE(bare);
  EXPECT_FALSE(bare->has_header("Retry-After"));
  for (int engine : {kGoogle, kMSN, kYahoo}) {
    const auto blocked = Get(engine, QueryTarget(engine, "chess simfail:captcha", 0));
    ASSERT_TRUE(blocked);
    EXPECT_EQ(blocked->status, 200);
    EXPECT_EQ(blocked->body, RenderBlockPage(engine));
  }
  simulator_->ClearRequests();
  Get(kGoogle, QueryTarget(kGoogle, "chess simfail:captcha@google3", 0));
  Get(kGoogle, QueryTarget(kGoogle, "chess simfail:captcha@google3", 3));
  const auto requests = simulator_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Outcome, "page");
  EXPECT_EQ(requests[1].Outcome, "captcha");
}

TEST_F(EngineSimulatorServer, StopCutsAWaitingAnswerShort) {
  auto pending = std::async(std::launch::async,
                            [this] { return Get(kGoogle, QueryTarget(kGoogle, "chess simdelay:600000", 0)); });
  ASSERT_TRUE(simulator_->WaitForRequests(1, 5000));
  simulator_->Stop();
  const auto res = pending.get();
  EXPECT_FALSE(res && res->status == 200);
}

}  // namespace
}  // namespace orvane::sim
