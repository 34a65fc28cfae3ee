#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>

#include "DataLayouts.h"
#include "EngineSimulator.h"
#include "base/StrUtils.h"
#include "search/DataPage.h"

namespace orvane::sim {
namespace {

// How each source's documentation says to read its answer.
TEngineShape DocumentedShape(int engine) {
  TEngineShape shape;
  shape.Format = engine == kArxiv ? "atom" : "json";
  if (engine == kWikipedia) {
    shape.TotalPointer = "/query/searchinfo/totalhits";
    shape.ListPointer = "/query/search";
    shape.TitlePointer = shape.LinkPointer = "/title";
    shape.DescriptionPointer = "/snippet";
    shape.LinkTemplate = std::string(kWikiBase) + "{id}";
  } else if (engine == kSearxng) {
    shape.TotalPointer = "/number_of_results";
    shape.ListPointer = "/results";
    shape.TitlePointer = "/title";
    shape.LinkPointer = "/url";
    shape.DescriptionPointer = "/content";
  } else if (engine == kBrave) {
    shape.ListPointer = "/web/results";
    shape.TitlePointer = "/title";
    shape.LinkPointer = "/url";
    shape.DescriptionPointer = "/description";
  }
  return shape;
}

TDataPage Read(int engine, const std::string& body) {
  return engine == kArxiv ? ReadFeedPage(body) : ReadJsonPage(DocumentedShape(engine), body);
}

std::string Unmarked(std::string text) {
  return ReplaceAll(ReplaceAll(text, "<span class=\"searchmatch\">", ""), "</span>", "");
}

class EngineSimulatorData : public ::testing::Test {
 protected:
  void SetUp() override {
    TSimOptions options;
    options.DefaultTotal = 350;
    simulator_ = std::make_unique<TEngineSimulator>(options);
    simulator_->Start();
  }

  httplib::Result Get(int engine, const std::string& target, const std::string& key = kBraveKey) {
    httplib::Client client("127.0.0.1", simulator_->Port(engine));
    client.set_url_encode(false);
    return client.Get(target.c_str(), {{"X-Subscription-Token", key}});
  }

  std::unique_ptr<TEngineSimulator> simulator_;
};

TEST_F(EngineSimulatorData, EachSourceAnswersInItsDocumentedShape) {
  for (int engine : {kWikipedia, kArxiv, kSearxng, kBrave}) {
    SCOPED_TRACE(EngineName(engine));
    const std::string words = "chess openings";
    const auto answer = Get(engine, QueryTarget(engine, words, 1));
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 200);
    const TDataPage read = Read(engine, answer->body);
    ASSERT_TRUE(read.Read) << read.Error;
    const int size = PageSize(engine);
    const TSimPage expected = RenderPage(engine, words, size, size, 350);
    // Brave tells no total; the others the claimed one.
    EXPECT_EQ(read.Total, engine == kBrave ? -1 : 350);
    ASSERT_EQ(read.Items.size(), expected.Entries.size());
    EXPECT_EQ(read.Items.size(), static_cast<size_t>(std::min(size, 350 - size)));
    for (size_t i = 0; i < read.Items.size(); ++i) {
      EXPECT_EQ(read.Items[i].Link, expected.Entries[i].Link);
      EXPECT_EQ(Unmarked(read.Items[i].Description), expected.Entries[i].Description);
      EXPECT_FALSE(read.Items[i].Title.empty());
    }
    EXPECT_EQ(expected.Entries.front().Rank, size + 1);
  }
}

TEST_F(EngineSimulatorData, SourcesListNothingPastTheirEnd) {
  for (int engine : {kWikipedia, kArxiv, kSearxng, kBrave}) {
    SCOPED_TRACE(EngineName(engine));
    const auto answer = Get(engine, QueryTarget(engine, "chess simtotal:30", 5));
    ASSERT_TRUE(answer);
    const TDataPage read = Read(engine, answer->body);
    ASSERT_TRUE(read.Read) << read.Error;
    EXPECT_TRUE(read.Items.empty());
    if (engine != kBrave) {
      EXPECT_EQ(read.Total, 30);
    }
  }
}

TEST_F(EngineSimulatorData, BraveWantsTheKeyInItsHeader) {
  const std::string target = QueryTarget(kBrave, "chess", 0);
  EXPECT_EQ(Get(kBrave, target, "")->status, 401);
  EXPECT_EQ(Get(kBrave, target, "wrong")->status, 401);
  EXPECT_EQ(Get(kBrave, target)->status, 200);
  const auto requests = simulator_->Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].Outcome, "401");
  EXPECT_EQ(requests[2].Token, kBraveKey);
}

TEST_F(EngineSimulatorData, FaultWordsReachTheDataSourcesByNameAndPage) {
  const std::string failWiki = "chess simfail:503@wikipedia";
  EXPECT_EQ(Get(kWikipedia, QueryTarget(kWikipedia, failWiki, 0))->status, 503);
  EXPECT_EQ(Get(kSearxng, QueryTarget(kSearxng, failWiki, 0))->status, 200);
  // The page index counts the source's own pages.
  const std::string failThird = "chess simfail:500@searxng2";
  EXPECT_EQ(Get(kSearxng, QueryTarget(kSearxng, failThird, 1))->status, 200);
  EXPECT_EQ(Get(kSearxng, QueryTarget(kSearxng, failThird, 2))->status, 500);
  for (int engine : {kWikipedia, kArxiv, kBrave}) {
    SCOPED_TRACE(EngineName(engine));
    const auto junk = Get(engine, QueryTarget(engine, "chess simfail:junk", 0));
    ASSERT_TRUE(junk);
    EXPECT_FALSE(Read(engine, junk->body).Read);
    const auto dropped = Get(engine, QueryTarget(engine, "chess simfail:drop", 0));
    EXPECT_FALSE(dropped && dropped->status == 200 && Read(engine, dropped->body).Read);
  }
}

TEST(EngineSimulatorDataText, HostileAndForeignTextStaysWellFormed) {
  // Quotes, backslashes and Latin-1 letters survive the JSON and XML writers.
  for (int engine : {kWikipedia, kArxiv, kSearxng, kBrave}) {
    SCOPED_TRACE(EngineName(engine));
    const TSimPage page = RenderPage(engine, "caf\xE9 \"quoted\" back\\slash <b>", 0, 20, 50);
    const TDataPage read = Read(engine, page.Html);
    ASSERT_TRUE(read.Read) << read.Error;
    EXPECT_EQ(read.Items.size(), 20u);
  }
  EXPECT_EQ(WikiTitle("Caf\xE9 <b>Chess</b>: a \"guide\""), "Caf bChessb a guide");
}

}  // namespace
}  // namespace orvane::sim
