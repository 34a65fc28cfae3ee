#include "words/ExtGroups.h"

#include <gtest/gtest.h>

#include "data/XMLManager.h"
#include "words/TestFolder.h"

namespace orvane {
namespace {

TExtTypeGroups LoadGroups(const testing::TTestFolder& folder, const std::string& body) {
  folder.Write("data.xml", "<d Version=\"1.1\"><G>" + body + "</G></d>");
  TXMLManager store(folder.Path());
  return TExtTypeGroups(store, "G");
}

TEST(ExtGroupsLoading, ReadsNamesExtensionsAndIndexesInFileOrder) {
  testing::TTestFolder folder;
  const TExtTypeGroups groups = LoadGroups(folder, "<Europe> de , at,fr,</Europe><Docs>pdf</Docs><Empty/>");
  ASSERT_EQ(groups.Groups.size(), 3u);
  EXPECT_EQ(groups.Groups[0].Name, "Europe");
  EXPECT_EQ(groups.Groups[0].Extensions, (std::vector<std::string>{"de", "at", "fr"}));
  EXPECT_EQ(groups.Groups[1].Index, 1);
  EXPECT_TRUE(groups.Groups[2].Extensions.empty());
}

TEST(ExtGroupsLoading, VisibleIsTrueUnlessItReadsAsFalse) {
  const std::pair<const char*, bool> cases[] = {{"", true},          {"Visible=\"False\"", false},
                                                {"Visible=\"0\"", false}, {"Visible=\"TRUE\"", true},
                                                {"Visible=\"2\"", true},  {"Visible=\"maybe\"", true}};
  for (const auto& [attribute, expected] : cases) {
    testing::TTestFolder folder;
    const TExtTypeGroups groups = LoadGroups(folder, std::string("<A ") + attribute + ">com</A>");
    ASSERT_EQ(groups.Groups.size(), 1u);
    EXPECT_EQ(groups.Groups[0].Visible, expected) << attribute;
  }
}

TEST(ExtGroupsLoading, MissingSectionOrDataFileGivesNoGroups) {
  testing::TTestFolder folder;
  EXPECT_TRUE(TExtTypeGroups(TXMLManager(folder.Path()), "G").Groups.empty());
  folder.Write("data.xml", "<d Version=\"1.1\"/>");
  EXPECT_TRUE(TExtTypeGroups(TXMLManager(folder.Path()), "G").Groups.empty());
}

TEST(ExtGroupsLookup, FirstGroupHoldingTheExtensionWinsIgnoringCase) {
  testing::TTestFolder folder;
  const TExtTypeGroups groups = LoadGroups(folder, "<A>com,co.</A><B>CO,com</B><C>de</C>");
  EXPECT_EQ(groups.GroupIndexOf("com"), 0);
  EXPECT_EQ(groups.GroupIndexOf("co"), 1);
  EXPECT_EQ(groups.GroupIndexOf("DE"), 2);
  EXPECT_EQ(groups.GroupIndexOf("uk"), -1);
  EXPECT_EQ(groups.GroupIndexOf(""), -1);
  EXPECT_EQ(groups.GroupName(1), "B");
  EXPECT_EQ(groups.GroupName(3), "");
  EXPECT_EQ(groups.GroupName(-1), "");
}

}  // namespace
}  // namespace orvane
