#include <gtest/gtest.h>

#include "base/OvException.h"
#include "data/XMLManager.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchTestSupport.h"

namespace orvane {
namespace {

using testing::DataXml;
using testing::EngineSectionXml;

TEST(EngineName, MapsTheThreeIndicesAndNothingElse) {
  const std::pair<int, const char*> rows[] = {{-1, ""}, {0, "Google"}, {1, "MSN"}, {2, "Yahoo"}, {3, ""}};
  for (const auto& [index, name] : rows) EXPECT_EQ(EngineName(index), name) << index;
}

TEST(SearchEngines, LoadsEachSectionAndLeavesMissingPartsEmpty) {
  testing::ScratchFolder dir;
  // MSN lacks its block pattern, Yahoo has no section at all.
  std::string msn = EngineSectionXml("MSN");
  msn.erase(msn.find("<ResultBlock>"), msn.find("</ResultBlock>") + 14 - msn.find("<ResultBlock>"));
  testing::WriteFile(dir.Path() + "data.xml", DataXml(EngineSectionXml("Google") + msn));
  const TXMLManager store(dir.Path());
  const auto engines = LoadSearchEngines(store);

  ASSERT_EQ(engines.size(), 3u);
  EXPECT_EQ(engines[0]->Name, "Google");
  EXPECT_EQ(engines[0]->ResultCount, testing::kCountPattern);
  EXPECT_EQ(engines[0]->ElementRegexes().size(), 2u);

  const std::string page = testing::MakePage("Results 1 - 1 of about 1", {{"http://a.org/", "A", ""}});
  EXPECT_EQ(SplitBlocks(*engines[0], page).size(), 1u);
  EXPECT_EQ(engines[1]->ResultBlock, "");
  EXPECT_TRUE(SplitBlocks(*engines[1], page).empty());
  EXPECT_EQ(engines[2]->Name, "Yahoo");
  EXPECT_EQ(engines[2]->ResultCount, "");
  EXPECT_EQ(ReadResultCount(*engines[2], page).LastShown, 0);
}

TEST(SearchEngines, BrokenPatternFailsOnlyTheEngineThatUsesIt) {
  const TSearchEngines broken("Google", "(unclosed", testing::kBlockPattern, testing::kElementPatterns);
  EXPECT_THROW(broken.ResultCountRegex(), TOvException);
  EXPECT_THROW(broken.ResultBlockRegex(), TOvException);
  const auto healthy = testing::MakeTestEngine(kMSN);
  EXPECT_NE(healthy->ResultBlockRegex(), nullptr);
}

}  // namespace
}  // namespace orvane
