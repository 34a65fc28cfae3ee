#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <algorithm>
#include <future>
#include <memory>
#include <set>

#include "EngineSimulator.h"
#include "Layouts.h"
#include "SimQuery.h"
#include "host/OvException.h"

namespace orvane::sim {
namespace {

// ---- The generated results ----

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
}

TEST(EngineSimulatorCorpus, EnginesShareTopResultsInTheirOwnOrder) {
  const auto google = Links(RenderPage(kGoogle, "medieval castles", 0, 100, 5000));
  for (int e : {kMSN, kYahoo}) {
    const auto other = Links(RenderPage(e, "medieval castles", 0, 100, 5000));
    std::vector<std::string> common;
    for (const auto& link : google)
      if (std::find(other.begin(), other.end(), link) != other.end()) common.push_back(link);
    EXPECT_GE(common.size(), 15u) << EngineName(e);
    EXPECT_LE(common.size(), 60u) << EngineName(e);
    std::vector<std::string> otherOrder;
    for (const auto& link : other)
      if (std::find(common.begin(), common.end(), link) != common.end()) otherOrder.push_back(link);
    EXPECT_NE(common, otherOrder) << EngineName(e);
  }
}

TEST(EngineSimulatorCorpus, ResultsSpanExtensionsFileTypesHomePagesAndRepeats) {
  std::set<std::string> domains, files;
  int homes = 0, repeats = 0;
  std::string html;
  std::set<std::string> seen;
  for (int start = 0; start < 300; start += 100) {
    const TSimPage page = RenderPage(kGoogle, "jazz piano", start, 100, 5000);
    html += page.Html + RenderPage(kYahoo, "jazz piano", start, 100, 5000).Html;
    for (const auto& link : Links(page)) {
      repeats += !seen.insert(link).second;
      const size_t hostEnd = link.find('/', 7);
      const std::string host = link.substr(7, hostEnd == std::string::npos ? std::string::npos : hostEnd - 7);
      domains.insert(host.substr(host.rfind('.') + 1));
      const std::string path = hostEnd == std::string::npos ? "" : link.substr(hostEnd);
      homes += path.empty() || path == "/" || path == "/index.html";
      const size_t dot = path.rfind('.');
      if (dot != std::string::npos && path.find('?') == std::string::npos) files.insert(path.substr(dot + 1));
    }
  }
  EXPECT_GE(domains.size(), 10u);
  for (const char* ext : {"com", "org", "net", "edu", "gov", "uk", "de", "fr"}) EXPECT_TRUE(domains.count(ext)) << ext;
  for (const char* ext : {"htm", "html", "php", "pdf", "doc", "ppt", "xls"}) EXPECT_TRUE(files.count(ext)) << ext;
  EXPECT_GT(homes, 3);
  EXPECT_GT(repeats, 0);
  for (const char* text : {"Translate this page", "File Format:", "&amp;", "<b>", "http://click.yahoo.com/click?u=",
                           "http://track.yahoo.com/click?u=", "&y="})
    EXPECT_NE(html.find(text), std::string::npos) << text;
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

// ---- Over HTTP ----

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
    return client.Get(target.c_str(), {{"Accept-Encoding", encoding},
                                       {"Accept-Language", "en-us"},
                                       {"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"}});
  }

  std::unique_ptr<TEngineSimulator> simulator_;
};

std::string Gunzip(const std::string& data) {
  z_stream stream{};
  inflateInit2(&stream, 16 + MAX_WBITS);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  std::string out;
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - stream.avail_out);
  }
  inflateEnd(&stream);
  return status == Z_STREAM_END ? out : "<corrupt>";
}

TEST_F(EngineSimulatorServer, AnswersEachEngineContractAndLogsTheRequest) {
  for (int e = 0; e < 3; ++e) {
    const std::string target = QueryTarget(e, "garden roses", 1, e == kGoogle ? "roses.org" : "");
    const auto res = Get(e, target);
    ASSERT_TRUE(res) << EngineName(e);
    EXPECT_EQ(res->status, 200);
    const std::string keywords = e == kGoogle ? "site:roses.org garden roses" : e == kMSN ? "language:en garden roses" : "garden roses";
    EXPECT_EQ(res->body, RenderPage(e, keywords, 100, 100, 350).Html) << EngineName(e);
  }
  ASSERT_TRUE(simulator_->WaitForRequests(3, 5000));
  const auto log = simulator_->Requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].Engine, kMSN);
  EXPECT_EQ(log[1].Target, QueryTarget(kMSN, "garden roses", 1));
  EXPECT_EQ(log[1].Start, 100);
  EXPECT_EQ(log[1].Keywords, "language:en garden roses");
  EXPECT_EQ(log[2].AcceptLanguage, "en-us");
  EXPECT_EQ(log[2].UserAgent.rfind("Mozilla/4.0", 0), 0u);
  EXPECT_EQ(log[0].Outcome, "page");
  EXPECT_EQ(Get(kGoogle, "/elsewhere")->status, 404);
}

TEST_F(EngineSimulatorServer, GzipsOnlyWhenAsked) {
  const std::string target = QueryTarget(kYahoo, "opera lyrics", 0);
  const auto zipped = Get(kYahoo, target, "gzip, deflate");
  ASSERT_TRUE(zipped);
  EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(Gunzip(zipped->body), RenderPage(kYahoo, "opera lyrics", 0, 100, 350).Html);
  const auto plain = Get(kYahoo, target);
  EXPECT_EQ(plain->get_header_value("Content-Encoding"), "");
  EXPECT_EQ(plain->body, RenderPage(kYahoo, "opera lyrics", 0, 100, 350).Html);
  EXPECT_EQ(simulator_->Requests().front().AcceptEncoding, "gzip, deflate");
}

TEST_F(EngineSimulatorServer, FailureControlsHitOnlyTheirTargets) {
  const auto failed = Get(kMSN, QueryTarget(kMSN, "chess simfail:503@msn", 0));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 503);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:503@msn", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 9))->status, 500);

  const auto dropped = Get(kYahoo, QueryTarget(kYahoo, "chess simfail:drop", 0));
  EXPECT_FALSE(dropped && dropped->body == RenderPage(kYahoo, "chess simfail:drop", 0, 100, 350).Html);

  const auto junk = Get(kGoogle, QueryTarget(kGoogle, "chess simfail:junk", 0));
  ASSERT_TRUE(junk);
  EXPECT_EQ(junk->status, 200);
  EXPECT_EQ(junk->body, RenderJunk());
  const auto log = simulator_->Requests();
  EXPECT_EQ(log.front().Outcome, "503");
  EXPECT_EQ(log.back().Outcome, "junk");
}

TEST_F(EngineSimulatorServer, StopCutsAWaitingAnswerShort) {
  auto pending = std::async(std::launch::async,
                            [this] { return Get(kGoogle, QueryTarget(kGoogle, "chess simdelay:600000", 0)); });
  ASSERT_TRUE(simulator_->WaitForRequests(1, 5000));
  simulator_->Stop();
  const auto res = pending.get();
  EXPECT_FALSE(res && res->status == 200);
}

TEST_F(EngineSimulatorServer, ABusyPortFailsToStart) {
  TSimOptions options;
  options.Ports[kMSN] = simulator_->Port(kMSN);
  TEngineSimulator second(options);
  EXPECT_THROW(second.Start(), TOvException);
}

}  // namespace
}  // namespace orvane::sim
