#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "search/SearchPipelineSupport.h"
#include "support/ScratchFolder.h"

namespace orvane::test {
namespace {

// The figures of the last "[<module>] <document> CPU ms: name value ..." line.
std::map<std::string, double> LastFigures(const std::string& module, const std::string& document) {
  const std::string log = ReadFile(Global->InstallationDir + "OrvaneServer.log");
  const std::string tag = "[" + module + "] " + document + (document.empty() ? "" : " ") + "CPU ms:";
  const size_t at = log.rfind(tag);
  if (at == std::string::npos) return {};
  std::istringstream figures(log.substr(at + tag.size(), log.find('\r', at) - at - tag.size()));
  std::map<std::string, double> found;
  std::string name;
  double value;
  while (figures >> name >> value) found[name] = value;
  return found;
}

TEST(SearchTimes, ASearchAndItsPagesLogTheCpuOfEachStage) {
  TSearchPipeline pipeline;
  const THttpResponse answer = pipeline.Get("/search?keywords=stage+times+simtotal:1000&se=1");
  ASSERT_EQ(answer.ResponseNo, 200);
  const TSessionPtr session = Global->Sessions.back();
  pipeline.Get("/mainframe.htm?id=" + std::to_string(session->Id));
  ASSERT_TRUE(pipeline.WaitForLog("[PageTimes] /mainframe.htm CPU ms: "));

  const auto stages = LastFigures("SearchTimes", "");
  ASSERT_EQ(stages.size(), 5u);
  for (const char* stage : {"fetch", "parse", "merge", "rank", "clusters"}) {
    ASSERT_TRUE(stages.count(stage)) << stage;
    EXPECT_GE(stages.at(stage), 0) << stage;
  }
  // Twelve pages of a hundred results take measurable work to fetch and parse.
  EXPECT_GT(stages.at("fetch"), 0);
  EXPECT_GT(stages.at("parse"), 0);

  const auto page = LastFigures("PageTimes", "/mainframe.htm");
  ASSERT_EQ(page.size(), 3u);
  EXPECT_GT(page.at("page"), 0);  // the list of a thousand results
  EXPECT_TRUE(pipeline.LogContains("[PageTimes] /search CPU ms: action "));
}

}  // namespace
}  // namespace orvane::test
