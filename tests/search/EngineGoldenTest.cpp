// The three page-parsing engines must keep their query URLs and their reading
// of result pages exactly: both are compared with a record taken from the
// code before engines became data. Set ORVANE_WRITE_GOLDEN=1 to rewrite the
// record (only when a change to them is meant).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EngineSimulator.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"
#include "support/TestGlobal.h"
#include "support/ShippedEngines.h"

namespace orvane {
namespace {

const char* const kGoldenFile = ORVANE_SOURCE_DIR "/tests/search/data/engines-golden.txt";

using testing::ShippedEngines;

// The keywords a profile search sends: the typed words and the profile's
// words in the engine's own OR syntax.
std::string ProfileKeywords(const TSearchEngines& engine, const std::string& typed) {
  return typed + " " + engine.LeftParinhesis + "\"tree surgery\" " + engine.Seperator + " arborist " +
         engine.Seperator + " pruning" + engine.RightParinhesis;
}

// The hosts point at the loopback interface, as the simulator's do: there the
// URLs must stay exactly as they were.
std::string UrlRecord() {
  const testing::TestGlobal global("GoogleHost=127.0.0.1:18001\nMSNHost=localhost:18002\nYahooHost=127.0.0.1:18003");
  const char* const keywordSets[] = {"web search", "jazz piano history", "!$'()*-.@_~\"", "caf\xe9 cr\xe8me",
                                     "  padded  words "};
  const char* const sites[] = {"", "example.com", "example.com/a b"};
  std::string out;
  for (int engine = 0; engine < 3; ++engine) {
    const TSearchEngines& definition = *ShippedEngines().at(engine);
    out += "engine " + definition.Name + " sep=" + definition.Seperator + " left=" + definition.LeftParinhesis +
           " right=" + definition.RightParinhesis + "\n";
    for (const char* typed : keywordSets) {
      for (const char* site : sites) {
        for (const bool profile : {false, true}) {
          const std::string keywords = profile ? ProfileKeywords(definition, typed) : std::string(typed);
          for (const int32_t page : {0, 1, 4, 9}) {
            if (profile && page > 1) continue;  // a profile search asks two pages
            TResults results;
            TTask* task = results.AddTask(keywords, definition.Name, nullptr, site);
            const TSearchQuery query(page, keywords, engine, profile ? 0 : -1, task, &results.List);
            out += "url " + query.GetURL(global->GetEngine(engine)) + "\n";
          }
        }
      }
    }
  }
  return out;
}

std::string AsSent(int engine, const std::string& keywords) {
  return engine == kMSN ? "language:en " + keywords : keywords;
}

std::string ParseRecord() {
  struct TPage {
    const char* Keywords;
    int Start;
  };
  const TPage pages[] = {{"garden roses simtotal:1200", 0},   {"tomato soup simtotal:350", 900},
                         {"rare orchid simtotal:7", 0},       {"zzyzx simtotal:none", 900},
                         {"chess openings simtotal:48000 simsep", 900}};
  std::string out;
  for (int engine = 0; engine < 3; ++engine) {
    const TSearchEngines& definition = *ShippedEngines().at(engine);
    for (const TPage& p : pages) {
      const std::string keywords = AsSent(engine, p.Keywords);
      const sim::TSimPage page = sim::RenderPage(engine, keywords, p.Start);
      const TSearchQuery query(p.Start / 100, keywords, engine, -1, nullptr, nullptr);
      TResultPage parsed(definition, query, "test", "");
      parsed.Parse(page.Html);
      out += "page " + definition.Name + " '" + keywords + "' " + IntToStr(p.Start) + " shown=" +
             IntToStr(parsed.Count.LastShown) + " max=" + IntToStr(parsed.Count.MaxResults) +
             " matched=" + IntToStr(parsed.Count.Matched) + " pages=" + IntToStr(parsed.PageCount) +
             " first=" + IntToStr(parsed.FirstRank) + " results=" + IntToStr(static_cast<int64_t>(parsed.Results.size())) +
             "\n";
      for (const auto& r : parsed.Results)
        out += "  " + IntToStr(r->Source.EngineRank) + "|" + IntToStr(r->Facts.IsNested) + "|" +
               IntToStr(r->Facts.IsHomePage) + "|" + r->Facts.DomainExt + "|" + r->Facts.FileExt + "|" +
               r->Source.Link + "|" + r->Source.Title + "|" + r->Description() + "\n";
    }
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ReadGolden() {
  std::ifstream in(kGoldenFile, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(EngineGolden, TheThreeEnginesKeepTheirURLsAndParseResults) {
  const std::string record = UrlRecord() + ParseRecord();
  if (std::getenv("ORVANE_WRITE_GOLDEN")) {
    std::ofstream(kGoldenFile, std::ios::binary | std::ios::trunc) << record;
    GTEST_SKIP() << "golden record rewritten";
  }
  const std::string golden = ReadGolden();
  ASSERT_FALSE(golden.empty()) << kGoldenFile;
  // Line by line, so that a failure names the first line that moved.
  const std::vector<std::string> want = Lines(golden);
  const std::vector<std::string> got = Lines(record);
  for (size_t i = 0; i < want.size() && i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
  EXPECT_EQ(got.size(), want.size());
}

}  // namespace
}  // namespace orvane
