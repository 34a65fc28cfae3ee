// The per-engine panel of the statistics page after searches against the
// local engine simulator: what each engine's query threads tallied.
#include <gtest/gtest.h>

#include <string>

#include "pages/Statistics.h"
#include "search/SearchPipelineSupport.h"

namespace orvane::test {
namespace {

// The panel's row of one engine: name, asked, answered, failed, results.
std::string Row(const std::string& engine, int asked, int answered, int failed, int results) {
  auto cell = [](int value) { return "<td class=\"num\">" + std::to_string(value) + "</td>"; };
  return "<tr><td>" + engine + "</td>" + cell(asked) + cell(answered) + cell(failed) + cell(results);
}

TEST(EnginePanel, CountsThePagesOfEachEngineIncludingFailedOnes) {
  TSearchPipeline pipeline;
  // Google: the probe (results 301-350) and pages 0-2 (the pages beyond
  // them were asked too, but do not count); MSN and Yahoo: one meta-boost
  // page each. The failed meta page costs only its boost; the tallies tell
  // which engine it was.
  pipeline.Get("/search?keywords=glacier+walks+simtotal:350+simfail:500%40msn&se=1");
  TSessionPtr session = pipeline.Session(0);
  ASSERT_TRUE(session);
  EXPECT_FALSE(session->SearchPending);
  std::string panel = EnginePanel(session->Totals.EngineTallySnapshot());
  EXPECT_NE(panel.find(Row("Google", 4, 4, 0, 350)), std::string::npos) << panel;
  EXPECT_NE(panel.find(Row("MSN", 1, 0, 1, 0)), std::string::npos) << panel;
  EXPECT_NE(panel.find(Row("Yahoo", 1, 1, 0, 100)), std::string::npos) << panel;

  // The next search (another session) starts from nothing. A page that is no result page is
  // answered but gives no results; the search goes on without them.
  pipeline.Get("/search?keywords=glacier+walks+simtotal:150+simfail:junk%40yahoo&se=1");
  session = pipeline.Session(1);
  ASSERT_TRUE(session);
  ASSERT_FALSE(session->SearchPending);
  const std::string page = pipeline.Get("/statistics.htm?id=1").ContentText;
  const size_t start = page.find("<table id=\"engines\">");
  ASSERT_NE(start, std::string::npos) << page;
  panel = page.substr(start, page.find("</table>", start) - start);
  EXPECT_NE(panel.find(Row("Google", 2, 2, 0, 150)), std::string::npos) << panel;
  EXPECT_NE(panel.find(Row("MSN", 1, 1, 0, 100)), std::string::npos) << panel;
  EXPECT_NE(panel.find(Row("Yahoo", 1, 1, 0, 0)), std::string::npos) << panel;
  EXPECT_EQ(panel.find("No engine was asked"), std::string::npos);
}

TEST(EnginePanel, OnlyEnginesThatTookPartAndTheirTime) {
  std::vector<TEngineTally> tallies(3);
  EXPECT_NE(EnginePanel(tallies).find("<tr><td colspan=\"6\">No engine was asked.</td></tr>"), std::string::npos);
  tallies[2] = {3, 2, 1, 180, 1.234L};
  const std::string panel = EnginePanel(tallies);
  EXPECT_NE(panel.find(Row("Yahoo", 3, 2, 1, 180) + "<td class=\"num\">1.23</td></tr>"), std::string::npos) << panel;
  EXPECT_EQ(panel.find("Google"), std::string::npos);
  EXPECT_EQ(panel.find("MSN"), std::string::npos);
  EXPECT_EQ(panel.find("No engine was asked"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
