// The shipped data file's engine patterns and the real page parser, run on
// the pages the local engine simulator renders: every result the simulator
// put on a page must come out of the parser unchanged and in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "EngineSimulator.h"
#include "Layouts.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"
#include "support/ScratchFolder.h"
#include "support/ShippedEngines.h"

namespace orvane {
namespace {

using testing::ShippedEngines;

// The keywords as the engine receives them from the query URL.
std::string AsSent(int engine, const std::string& keywords) {
  return engine == kMSN ? "language:en " + keywords : keywords;
}

constexpr unsigned kAll = 7, kGoogleYahoo = 5, kMSNOnly = 2;

struct TPageCase {
  const char* Name;
  const char* Keywords;
  int Start;
  unsigned Engines;  // bit per engine index
  // The count group: the last result shown, for MSN the page number.
  int32_t LastShown, MsnLastShown, PageCount, FirstRank, Max;
  int Results;
};

const TPageCase kCases[] = {
    {"first page", "garden roses simtotal:1200", 0, kAll, 100, 1, 1, 1, 1200, 100},
    {"middle page", "jazz piano history simtotal:1200", 400, kAll, 500, 5, 5, 401, 1200, 100},
    {"probe of a full search", "medieval castles simtotal:1200", 900, kAll, 1000, 10, 10, 901, 1200, 100},
    {"probe of 350", "tomato soup simtotal:350", 900, kAll, 350, 4, 4, 301, 350, 50},
    {"start beyond the end", "bird songs simtotal:350", 600, kAll, 350, 4, 4, 301, 350, 50},
    {"few results", "rare orchid simtotal:7", 0, kAll, 7, 1, 1, 1, 7, 7},
    {"no results", "zzyzx simtotal:none", 900, kAll, 0, 0, 0, -99, 0, 0},
    // Grouped digits are no plain number: no count, ranks start at -99. MSN's
    // page number has no separator; only its total is lost.
    {"thousands separators", "chess openings simtotal:48000 simsep", 900, kGoogleYahoo, 0, 0, 0, -99, 0, 100},
    {"thousands separators", "chess openings simtotal:48000 simsep", 900, kMSNOnly, 0, 10, 10, 901, 0, 100},
};

TEST(SimulatorPages, ParserTakesEveryRenderedResultInOrder) {
  const testing::ScratchFolder failedBlocks;
  int rejected = 0, redirected = 0, nested = 0, untitled = 0, bare = 0;
  for (int engine : {kGoogle, kMSN, kYahoo}) {
    const TSearchEngines& definition = *ShippedEngines().at(engine);
    for (const TPageCase& c : kCases) {
      if (!(c.Engines & (1u << engine))) continue;
      SCOPED_TRACE(EngineName(engine) + ": " + c.Name);
      const std::string keywords = AsSent(engine, c.Keywords);
      const sim::TSimPage page = sim::RenderPage(engine, keywords, c.Start);
      const TSearchQuery query(c.Start / 100, keywords, engine, -1, nullptr, nullptr);
      TResultPage parsed(definition, query, "test", failedBlocks.Path());
      parsed.Parse(page.Html);

      const int32_t lastShown = engine == kMSN ? c.MsnLastShown : c.LastShown;
      EXPECT_EQ(parsed.Count.LastShown, lastShown);
      EXPECT_EQ(parsed.Count.MaxResults, c.Max);
      EXPECT_EQ(parsed.PageCount, c.PageCount);
      EXPECT_EQ(parsed.FirstRank, c.FirstRank);

      std::vector<const sim::TSimEntry*> kept;
      for (const sim::TSimEntry& entry : page.Entries) {
        if (entry.Rank > 0) kept.push_back(&entry);
        rejected += entry.Rank == 0;
      }
      ASSERT_EQ(static_cast<int>(kept.size()), c.Results);
      ASSERT_EQ(parsed.Results.size(), kept.size());
      for (size_t i = 0; i < kept.size(); ++i) {
        const sim::TSimEntry& want = *kept[i];
        const TResult& got = *parsed.Results[i];
        SCOPED_TRACE("result " + std::to_string(i) + " " + want.Link);
        // With an unreadable count the ranks still run on from the first rank.
        EXPECT_EQ(got.Source.EngineRank, lastShown ? want.Rank : c.FirstRank + static_cast<int32_t>(i));
        EXPECT_EQ(got.Source.Link, want.Link);
        EXPECT_EQ(got.Source.Title, want.Title.empty() ? want.Link : want.Title);
        EXPECT_EQ(got.Description(), want.Description);
        EXPECT_EQ(got.Facts.IsNested, want.Nested);
        EXPECT_EQ(got.Source.Link.find("/click?u="), std::string::npos);
        nested += got.Facts.IsNested;
        untitled += want.Title.empty();
        bare += want.Description.empty();
      }
      if (engine == kYahoo)
        redirected += static_cast<int>(std::count_if(kept.begin(), kept.end(), [&](const sim::TSimEntry* e) {
          return page.Html.find("/click?u=" + URLEncode(e->Link) + "&y=") != std::string::npos;
        }));
    }
  }
  // Every block matched an element pattern: none was saved as a failure.
  EXPECT_TRUE(std::filesystem::is_empty(failedBlocks.Path()));
  // The cases must reach the layouts' rarer shapes.
  EXPECT_GT(rejected, 0);
  EXPECT_GT(redirected, 0);
  EXPECT_GT(nested, 0);
  EXPECT_GT(untitled, 0);
  EXPECT_GT(bare, 0);
}

TEST(SimulatorPages, AFullSearchYieldsAThousandDistinctRanks) {
  // What the page threads of one search collect: ten pages of one engine.
  for (int engine : {kGoogle, kMSN, kYahoo}) {
    SCOPED_TRACE(EngineName(engine));
    const std::string keywords = AsSent(engine, "solar energy storage simtotal:1000");
    std::vector<int32_t> ranks;
    for (int pageIndex = 0; pageIndex < 10; ++pageIndex) {
      const TSearchQuery query(pageIndex, keywords, engine, -1, nullptr, nullptr);
      TResultPage parsed(*ShippedEngines().at(engine), query, "test", "");
      parsed.Parse(sim::RenderPage(engine, keywords, pageIndex * 100).Html);
      EXPECT_EQ(parsed.PageCount, pageIndex + 1);
      for (const auto& result : parsed.Results) ranks.push_back(result->Source.EngineRank);
    }
    // Google's rejected boxes use up no rank: no gap, no repeat.
    std::vector<int32_t> expected(1000);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(ranks, expected);
  }
}

TEST(SimulatorPages, AJunkPageHoldsNoCountAndNoResult) {
  for (int engine : {kGoogle, kMSN, kYahoo}) {
    const TSearchQuery query(0, "chess", engine, -1, nullptr, nullptr);
    TResultPage parsed(*ShippedEngines().at(engine), query, "test", "");
    parsed.Parse(sim::RenderJunk());
    EXPECT_EQ(parsed.Count.LastShown, 0) << EngineName(engine);
    EXPECT_TRUE(parsed.Results.empty()) << EngineName(engine);
  }
}

}  // namespace
}  // namespace orvane
