// The sources the data file ships beside the three engines, each searched end
// to end through the engine simulator with the shipped definitions: search,
// rank, clusters, export, save and load.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/Engines.h"
#include "base/StrUtils.h"
#include "clusters/ExtClusters.h"
#include "search/Results.h"
#include "search/SearchEngines.h"
#include "search/SearchPipelineSupport.h"
#include "search/SearchQuery.h"

namespace orvane::test {
namespace {

TEST(ShippedSources, EachFormatIsSearchedRankedClusteredExportedSavedAndLoaded) {
  const struct {
    int simEngine;
    const char* name;
    const char* format;
    int total;
  } rows[] = {
      {sim::kWikipedia, "Wikipedia", "json", 150},  // two of its pages of 100
      {sim::kArxiv, "ArXiv", "atom", 120},          // one page of 200
      {sim::kSearxng, "SearXNG", "json", 50},       // three pages of 20
      {sim::kBrave, "Brave", "json", 50},           // no total: the pages tell
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TSearchPipeline pipeline(TSettings{{"BraveKey", sim::kBraveKey}});
    const int index = EngineIndex(row.name);
    ASSERT_GE(index, kBuiltInEngines);
    const TSearchEngines* engine = Global->GetEngine(index);
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->Shape.Format, row.format);
    EXPECT_TRUE(engine->Shape.Enabled);

    const std::string words = "chess openings simtotal:" + std::to_string(row.total);
    pipeline.Get("/search?keywords=" + ReplaceAll(words, " ", "+") + "&se=" + std::to_string(index + 1));
    const TSessionPtr session = pipeline.Session(0);
    ASSERT_TRUE(session);
    ASSERT_FALSE(session->SearchPending);
    EXPECT_GT(RequestsTo(pipeline.Simulator, row.simEngine), 0);
    // Of the other sources only SearXNG joins the boost, with its first page.
    for (int other : {sim::kWikipedia, sim::kArxiv, sim::kSearxng, sim::kBrave})
      if (other != row.simEngine) {
        EXPECT_EQ(RequestsTo(pipeline.Simulator, other), other == sim::kSearxng ? 1 : 0);
      }

    // Every result the source listed, once, in its own order.
    std::set<std::string> expected;
    for (const sim::TSimEntry& entry : sim::RenderPage(row.simEngine, words, 0, row.total, row.total).Entries)
      expected.insert(entry.Link);
    std::set<std::string> found;
    for (const auto& result : session->Results->List) {
      EXPECT_EQ(result->Source.Engine, index);
      EXPECT_GT(result->Source.EngineRank, 0);
      found.insert(result->Source.Link);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(session->Results->Count(), expected.size());
    // Ranked: the list is in score order.
    const auto& list = session->Results->List;
    for (size_t i = 1; i < list.size(); ++i) EXPECT_GE(list[i - 1]->Rank.TotalScore, list[i]->Rank.TotalScore);
    // Clustered: every result has a domain extension.
    ASSERT_TRUE(session->Panes.DomainCluster);
    int32_t clustered = 0;
    for (const auto& item : session->Panes.DomainCluster->Items) clustered += item.Count;
    EXPECT_EQ(clustered, static_cast<int32_t>(expected.size()));

    // The statistics panel and the options frame name the engine.
    EXPECT_NE(pipeline.Get("/statistics.htm?id=0").ContentText.find("<tr><td>" + std::string(row.name) + "</td>"),
              std::string::npos);
    const std::string radio = "id=\"engine" + std::to_string(index) + "\" onchange=\"orvaneChooseEngine(this)\" " +
                              "checked=\"checked\">";
    EXPECT_NE(pipeline.Get("/bottomframe.htm?id=0").ContentText.find(radio), std::string::npos);

    const std::string json = pipeline.Get("/export.json?id=0").ContentText;
    EXPECT_NE(json.find("\"engine\": \"" + std::string(row.name) + "\""), std::string::npos) << json.substr(0, 300);
    const std::string csv = pipeline.Get("/export.csv?id=0").ContentText;
    EXPECT_NE(csv.find("," + std::string(row.name) + ","), std::string::npos) << csv.substr(0, 300);

    pipeline.Get("/saveresults?filenametosave=source&id=0");
    pipeline.Simulator.ClearRequests();
    const THttpResponse load = pipeline.Get("/loadresults?xmlfilename=source");
    EXPECT_NE(load.Location.find("&se=" + std::to_string(index + 1) + "&"), std::string::npos) << load.Location;
    pipeline.Get(load.Location);
    EXPECT_TRUE(pipeline.Simulator.Requests().empty());
    const TSessionPtr loaded = pipeline.Session(1);
    ASSERT_TRUE(loaded);
    std::set<std::string> reloaded;
    for (const auto& result : loaded->Results->List) {
      EXPECT_EQ(result->Source.Engine, index);
      reloaded.insert(result->Source.Link);
    }
    EXPECT_EQ(reloaded, expected);
    pipeline.Get("/deleteresults?xmlfilename=source&id=1");
  }
}

// arXiv is sent every word with its field and AND between them, a subject
// query's OR as it stands.
TEST(ShippedSources, ArxivIsAskedInItsOwnQueryLanguage) {
  TSearchPipeline pipeline;
  TResults results;
  TTask* task = results.AddTask("chess (tactics OR endgames)", "ArXiv", nullptr, "");
  const TSearchQuery query(0, task->Keywords, EngineIndex("ArXiv"), -1, task, &results.List);
  EXPECT_NE(query.GetURL(Global->GetEngine(EngineIndex("ArXiv"))).find("/api/query?search_query=all%3Achess%20AND%20%28all%3Atactics%20OR%20all%3Aendgames"
                                "%29&start=0&max_results=200&"),
            std::string::npos)
      << query.GetURL(Global->GetEngine(EngineIndex("ArXiv")));
}

// The start page and the options frame offer every enabled engine after the
// three, whose lines stay as they were (pages are served with CRLF lines); an engine that is off or left out is
// not offered.
TEST(ShippedSources, EveryEnabledEngineIsOfferedAfterTheThree) {
  const struct {
    TSettings settings;
    std::vector<std::pair<std::string, std::string>> offered;  // name, label
  } rows[] = {
      {{{"BraveKey", sim::kBraveKey}},
       {{"Wikipedia", "Wikipedia"}, {"ArXiv", "arXiv"}, {"SearXNG", "SearXNG"}, {"Brave", "Brave Search"}}},
      {{{"SearXNGHost", ""}}, {{"Wikipedia", "Wikipedia"}, {"ArXiv", "arXiv"}}},  // no address: off; no key: left out
  };
  for (const auto& row : rows) {
    TSearchPipeline pipeline(row.settings);
    const std::string start = pipeline.Get("/default.htm").ContentText;
    std::string options = "<option value=\"3\">Yahoo</option>";
    for (const auto& [name, label] : row.offered)
      options += "\r\n<option value=\"" + std::to_string(EngineIndex(name) + 1) + "\">" + label + "</option>";
    options += "\r\n";
    const size_t home = start.find("<option value=\"1\">Google</option>\r\n              <option value=\"2\">MSN</option>"
                                   "\r\n              " + options);
    EXPECT_NE(home, std::string::npos) << start;
    EXPECT_NE(start.find(options, home + options.size()), std::string::npos);  // the top bar's list too

    pipeline.Get("/search?keywords=glacier+walks+simtotal:30&se=1");
    const std::string frame = pipeline.Get("/bottomframe.htm?id=0").ContentText;
    EXPECT_NE(frame.find("<label for=\"engine2\">Yahoo</label></div>\r\n"), std::string::npos);
    for (const auto& [name, label] : row.offered) {
      const std::string id = "engine" + std::to_string(EngineIndex(name));
      EXPECT_NE(frame.find("id=\"" + id + "\" onchange=\"orvaneChooseEngine(this)\" ><label for=\"" + id + "\">" +
                           label + "</label></div>"),
                std::string::npos)
          << label;
    }
    EXPECT_EQ(frame.find("Brave Search") != std::string::npos, row.offered.size() == 4);
  }
}

}  // namespace
}  // namespace orvane::test
