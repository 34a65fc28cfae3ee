// The engine check on the simulator's pages with the shipped patterns, on
// pages whose layout was changed, and the names of saved page files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineSimulator.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "search/EngineCheck.h"
#include "search/SearchEngines.h"
#include "support/ShippedEngines.h"

namespace orvane {
namespace {

using testing::ShippedEngines;

sim::TSimPage SimulatorPage(int engine) {
  const std::string keywords = "garden roses simtotal:1200";
  return sim::RenderPage(engine, engine == kMSN ? "language:en " + keywords : keywords, 0);
}

TEST(EngineCheck, SimulatorPagesPassWithEachPatternWhereTheLayoutUsesIt) {
  for (int engine : {kGoogle, kMSN, kYahoo}) {
    SCOPED_TRACE(EngineName(engine));
    const sim::TSimPage page = SimulatorPage(engine);
    const TEngineCheck check = CheckEnginePage(*ShippedEngines()[engine], engine, 0, page.Html);
    EXPECT_TRUE(check.Passed()) << FormatEngineCheck(check);
    EXPECT_TRUE(check.Count.Matched);
    EXPECT_EQ(check.Count.MaxResults, 1200);

    // The simulator knows what it put on the page: a block without excerpt
    // falls to the second pattern; a box the parser rejects (rank 0) has
    // both and still matches the first.
    int bare = 0, untitled = 0, kept = 0;
    for (const sim::TSimEntry& entry : page.Entries) {
      if (entry.Rank == 0) continue;
      bare += entry.Description.empty();
      untitled += entry.Title.empty();
      ++kept;
    }
    ASSERT_EQ(check.Patterns.size(), 2u);
    EXPECT_EQ(check.Blocks, static_cast<int32_t>(page.Entries.size()));
    EXPECT_EQ(check.Unmatched, 0);
    EXPECT_EQ(check.Patterns[0].Blocks, check.Blocks - bare);
    EXPECT_EQ(check.Patterns[1].Blocks, bare);
    EXPECT_GT(bare, 0);  // both patterns are reached
    EXPECT_EQ(check.Patterns[1].EmptyDescription, bare);
    EXPECT_EQ(check.Patterns[0].EmptyDescription, 0);
    EXPECT_EQ(check.Patterns[0].EmptyTitle + check.Patterns[1].EmptyTitle, untitled);
    EXPECT_EQ(check.Patterns[0].EmptyLink + check.Patterns[1].EmptyLink, 0);
    EXPECT_EQ(check.Results, kept);

    ASSERT_EQ(check.FirstResults.size(), kCheckedResultsShown);
    std::vector<const sim::TSimEntry*> shown;
    for (const sim::TSimEntry& entry : page.Entries)
      if (entry.Rank > 0 && shown.size() < kCheckedResultsShown) shown.push_back(&entry);
    for (size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(check.FirstResults[i].Link, shown[i]->Link);
      EXPECT_EQ(check.FirstResults[i].Title, shown[i]->Title.empty() ? shown[i]->Link : shown[i]->Title);
    }
  }
}

// The simulator's page with one piece of markup renamed, as an engine does
// when it changes its layout.
TEST(EngineCheck, AChangedLayoutShowsThePatternThatStoppedMatching) {
  const struct {
    int engine;
    const char* from;
    const char* to;
    bool countMatched;
    bool firstMatches, secondMatches, blocksFound, passes;
  } rows[] = {
      // The excerpt's cell renamed: every result falls to the pattern without excerpt.
      {kGoogle, "<td class=\"j\">", "<td class=\"snip\">", true, false, true, true, true},
      {kYahoo, "class=\"abstr\"", "class=\"summary\"", true, false, true, true, true},
      // The title link renamed: no element pattern matches any block.
      {kGoogle, "<a class=\"l\" ", "<a class=\"t\" ", true, false, false, true, false},
      {kMSN, "<h3><a ", "<h3 class=\"t\"><a ", true, false, false, true, false},
      {kYahoo, "class=\"yschttl\"", "class=\"title\"", true, false, false, true, false},
      // The block marker renamed: no blocks at all.
      {kMSN, "<li class=\"sr\">", "<li class=\"result\">", true, false, false, false, false},
      // The count renamed: the results still come, the count is lost.
      {kGoogle, "<div id=\"stats\"", "<div id=\"info\"", false, true, true, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(EngineName(row.engine) + ": " + row.from);
    const std::string html = SimulatorPage(row.engine).Html;
    ASSERT_NE(html.find(row.from), std::string::npos);
    const TEngineCheck check =
        CheckEnginePage(*ShippedEngines()[row.engine], row.engine, 0, ReplaceAll(html, row.from, row.to));
    const std::string report = FormatEngineCheck(check);
    EXPECT_EQ(check.Count.Matched, row.countMatched) << report;
    EXPECT_EQ(check.Blocks > 0, row.blocksFound) << report;
    ASSERT_EQ(check.Patterns.size(), 2u);
    EXPECT_EQ(check.Patterns[0].Blocks > 0, row.firstMatches) << report;
    EXPECT_EQ(check.Patterns[1].Blocks > 0, row.secondMatches) << report;
    EXPECT_EQ(check.Unmatched, row.firstMatches || row.secondMatches ? 0 : check.Blocks);
    EXPECT_EQ(check.Passed(), row.passes) << report;
    EXPECT_EQ(report.find("element pattern 1: matched no block") != std::string::npos, !row.firstMatches);
    EXPECT_EQ(report.find("FAILED: the page gives no results") != std::string::npos, !row.passes);
  }
}

TEST(EngineCheck, ReportsWhatTheParserRaisesInsteadOfRaising) {
  const TSearchEngines broken("Google", "(?<ResultCount>\\d+", "<b>", "(?<Link>[^<]*)");
  TEngineCheck check = CheckEnginePage(broken, kGoogle, 0, "<b>x");
  EXPECT_FALSE(check.Error.empty());
  EXPECT_FALSE(check.Passed());

  // A link with a broken escape stops the page in a search: no results.
  const TSearchEngines plain("Google", "", "<b>", "(?<Link>[^<]*)");
  check = CheckEnginePage(plain, kGoogle, 0, "<b>http://a.example/%zz<b>http://b.example/");
  EXPECT_EQ(check.Patterns.at(0).Blocks, 2);
  EXPECT_EQ(check.Results, 0);
  EXPECT_NE(check.Error.find("Invalid URL escape"), std::string::npos);
  EXPECT_NE(FormatEngineCheck(check).find("  error: Invalid URL escape"), std::string::npos);
}

TEST(EngineCheck, TheReportIsPlainStableText) {
  const TSearchEngines engine("Yahoo", "total (?<ResultCount>\\d+) of (?<MaxResultCount>\\d+)", "<li>",
                              "<a\\shref=.(?<Link>[^\\x22]*).>(?<Title>.*?)</a>_<i>(?<Link>[^<]*)</i>");
  const std::string page = "total 3 of 3<li><a href=\"http://a.example/\">A &amp; B</a><li><i>b.example</i>"
                           "<li>nothing here";
  EXPECT_EQ(FormatEngineCheck(CheckEnginePage(engine, kYahoo, 2, page)),
            "  engine: Yahoo, page 2\n"
            "  count pattern: matched, last shown 3, total 3\n"
            "  result blocks: 3\n"
            "  element pattern 1: 1 blocks; empty title 0, description 1, link 0\n"
            "  element pattern 2: 1 blocks; empty title 1, description 1, link 0\n"
            "  blocks no element pattern matched: 1\n"
            "  results: 2\n"
            "    1. A &amp; B\n"
            "       http://a.example/\n"
            "    2. b.example\n"
            "       b.example\n"
            "  ok\n");
}

TEST(EngineCheck, PageFileNamesAreThoseSavePathWrites) {
  const struct { const char* name; bool valid; int engine; int32_t page; } rows[] = {
      {"Google_file_0.htm", true, kGoogle, 0},
      {"/tmp/kept pages/MSN_file_9.htm", true, kMSN, 9},
      {"Yahoo_file_12.htm", true, kYahoo, 12},
      {"Bing_file_0.htm", false, -1, 0},
      {"google_file_0.htm", false, -1, 0},  // the engine's name as written
      {"Google_file_.htm", false, -1, 0},
      {"Google_file_x1.htm", false, -1, 0},
      {"Google_file_-1.htm", false, -1, 0},
      {"Google_file_0.html", false, -1, 0},
      {"Google_file_99999999999.htm", false, -1, 0},
      {"Google_file_0.htm/", false, -1, 0},
      {"notes.htm", false, -1, 0},
  };
  for (const auto& row : rows) {
    int engine = -1;
    int32_t page = 0;
    EXPECT_EQ(ParsePageFileName(row.name, engine, page), row.valid) << row.name;
    EXPECT_EQ(engine, row.engine) << row.name;
    EXPECT_EQ(page, row.page) << row.name;
  }
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(EngineCheck, DataPagesReportWhatTheReaderFound) {
  TSearchEngines api("Api_v2", "", "", "");
  api.Shape.Format = "json";
  api.Shape.TotalPointer = "/total";
  api.Shape.ListPointer = "/results";
  api.Shape.TitlePointer = "/title";
  api.Shape.LinkPointer = "/url";
  SetEngineNames({"Api_v2"});
  int engine = -1;
  int32_t page = -1;
  ASSERT_TRUE(ParsePageFileName("/saved/Api_v2_file_3.htm", engine, page));
  EXPECT_EQ(engine, 3);
  EXPECT_EQ(page, 3);
  EXPECT_FALSE(ParsePageFileName("/saved/Other_file_3.htm", engine, page));

  const struct { const char* page; bool passed; const char* shows; } rows[] = {
      {R"({"total":52,"results":[{"title":"A","url":"http://a.org/"},{"title":"B"}]})", true,
       "format: json; read, total 52, items 1\n  results: 1\n    1. A\n       http://a.org/\n  ok\n"},
      {R"({"total":0,"results":[]})", false, "format: json; read, total 0, items 0\n  results: 0\n"},
      {"<html>busy</html>", false, "format: json; not read\n"},
  };
  for (const auto& row : rows) {
    const TEngineCheck check = CheckEnginePage(api, 3, 0, row.page);
    EXPECT_EQ(check.Passed(), row.passed) << row.page;
    const std::string text = FormatEngineCheck(check);
    EXPECT_NE(text.find(row.shows), std::string::npos) << text;
  }
  EXPECT_NE(FormatEngineCheck(CheckEnginePage(api, 3, 0, "<html>")).find("error: not JSON"), std::string::npos);
  SetEngineNames({});
}

}  // namespace
}  // namespace orvane
