#include "words/ExtGroups.h"

#include <gtest/gtest.h>

#include "data/XMLManager.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

TEST(ExtGroups, LoadsInFileOrderAndTheFirstGroupHoldingAnExtensionWins) {
  testing::ScratchFolder folder;
  folder.Write("data.xml",
               "<d Version=\"1.1\"><G><A> com <!-- the list goes on -->, <![CDATA[co.]]>,</A>"
               "<B Visible=\"False\">CO,com</B><C Visible=\"0\">de</C><D Visible=\"TRUE\"/><E Visible=\"maybe\"/></G></d>");
  const TXMLManager store(folder.Path());
  const TExtTypeGroups groups(store, "G");
  ASSERT_EQ(groups.Groups.size(), 5u);
  EXPECT_EQ(groups.Groups[0].Extensions, (std::vector<std::string>{"com", "co."}));
  std::vector<bool> visible;
  for (const auto& group : groups.Groups) visible.push_back(group.Visible);
  EXPECT_EQ(visible, (std::vector<bool>{true, false, false, true, true}));

  EXPECT_EQ(groups.GroupIndexOf("COM"), 0);
  EXPECT_EQ(groups.GroupIndexOf("co"), 1);
  EXPECT_EQ(groups.GroupIndexOf("uk"), -1);
  EXPECT_EQ(groups.GroupIndexOf(""), -1);  // the trailing comma made no empty extension
  EXPECT_EQ(groups.GroupName(2), "C");
  EXPECT_EQ(groups.GroupName(5), "");
  EXPECT_TRUE(TExtTypeGroups(store, "Missing").Groups.empty());
}

}  // namespace
}  // namespace orvane
