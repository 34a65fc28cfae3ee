#include "words/Profile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "data/XMLManager.h"
#include "host/OvException.h"
#include "words/ExtGroups.h"
#include "words/TestFolder.h"

namespace orvane {
namespace {

struct WordListCase {
  const char* name;
  const char* text;
  std::vector<std::string> texts;
  std::vector<std::string> searchTexts;
};

TEST(ProfileWordList, ParsesPhrasesSearchTextsAndStopsAtTheFirstEmptyEntry) {
  const WordListCase cases[] = {
      {"trailing bar adds nothing", "new+york;1;0;;5|", {"\"new york\""}, {"\"new york\""}},
      {"own search text loses its plus signs", "Big+Apple;0;1;big+apple;3", {"\"big apple\""}, {"big apple"}},
      {"word lower-cased, search text kept", "News;true;False;;2|sport;0;0;Sports;1", {"news", "sport"},
       {"news", "Sports"}},
      {"empty entry ends the list", "a;0;0;;1||b;0;0;;1", {"a"}, {"a"}},
      {"blanks around entries are ignored", " a;0;0;;1 | b;0;0;;1 ", {"a", "b"}, {"a", "b"}},
      {"empty text", "", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TProfile profile;
    profile.SetWordList(c.text);
    ASSERT_EQ(profile.Words.size(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(profile.Words[i].Text, c.texts[i]);
      EXPECT_EQ(profile.Words[i].SearchText, c.searchTexts[i]);
    }
  }
}

TEST(ProfileWordList, ReadsFlagsAndWeight) {
  TProfile profile;
  profile.SetWordList("new+york;1;0;;5|b;False;-1;;-2");
  ASSERT_EQ(profile.Words.size(), 2u);
  EXPECT_TRUE(profile.Words[0].FirstFlag);
  EXPECT_FALSE(profile.Words[0].SecondFlag);
  EXPECT_EQ(profile.Words[0].Weight, 5);
  EXPECT_FALSE(profile.Words[1].FirstFlag);
  EXPECT_TRUE(profile.Words[1].SecondFlag);
  EXPECT_EQ(profile.Words[1].Weight, -2);
}

TEST(ProfileWordList, BrokenEntryRaisesAfterKeepingTheWordsBeforeIt) {
  const char* broken[] = {"ok;0;0;;1|four;0;0;1", "ok;0;0;;1|bad;yes;0;;1", "ok;0;0;;1|bad;0;0;;1.5",
                          "ok;0;0;;1|bad;0;0;;"};
  for (const char* text : broken) {
    SCOPED_TRACE(text);
    TProfile profile;
    EXPECT_THROW(profile.SetWordList(text), TOvException);
    EXPECT_EQ(profile.Words.size(), 1u);
  }
}

TEST(ProfileLists, SetDomainAddsOnceAndRemovesExactMatchesOnly) {
  TProfile profile;
  profile.SetDomain("com", true);
  profile.SetDomain("com", true);
  profile.SetDomain("COM", true);
  EXPECT_EQ(profile.Domains, (std::vector<std::string>{"com", "COM"}));
  profile.SetDomain("Com", false);
  profile.SetDomain("com", false);
  EXPECT_EQ(profile.Domains, (std::vector<std::string>{"COM"}));
  profile.SetFileType("pdf", true);
  profile.SetFileType("doc", false);
  EXPECT_EQ(profile.FileTypes, (std::vector<std::string>{"pdf"}));
}

class ProfileGroups : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("data.xml",
                  "<d Version=\"1.1\">"
                  "<DomainGroupData><North>de, AT</North><South>fr</South><East>pl</East></DomainGroupData>"
                  "<FileGroupData><Docs>pdf,doc</Docs></FileGroupData>"
                  "</d>");
    store_ = std::make_unique<TXMLManager>(folder_.Path());
    domains_ = std::make_unique<TExtTypeGroups>(*store_, "DomainGroupData");
    files_ = std::make_unique<TExtTypeGroups>(*store_, "FileGroupData");
  }
  testing::TTestFolder folder_;
  std::unique_ptr<TXMLManager> store_;
  std::unique_ptr<TExtTypeGroups> domains_, files_;
};

TEST_F(ProfileGroups, ExpansionPutsGroupExtensionsInGroupOrderThenTheNamesLowerCased) {
  TProfile profile;
  profile.Domains = {"South", "UK", "north"};
  profile.FileTypes = {"docs"};
  profile.ExpandGroups(*domains_, *files_);
  EXPECT_EQ(profile.DomainExtensions, (std::vector<std::string>{"de", "at", "fr", "south", "uk", "north"}));
  EXPECT_EQ(profile.FileExtensions, (std::vector<std::string>{"pdf", "doc", "docs"}));
}

TEST_F(ProfileGroups, EmptyChoiceExpandsToNothing) {
  TProfile profile;
  profile.DomainExtensions = {"stale"};
  profile.ExpandGroups(*domains_, *files_);
  EXPECT_TRUE(profile.DomainExtensions.empty());
  EXPECT_TRUE(profile.FileExtensions.empty());
}

TEST(ProfileOptions, SortByKeepsZeroAndOneAndTurnsAnythingElseIntoTwo) {
  const std::pair<const char*, int> cases[] = {{"0", 0}, {"1", 1}, {"7", 2}, {"-1", 2}, {"x", 0}, {nullptr, 0}};
  for (const auto& [text, expected] : cases) {
    pugi::xml_document doc;
    pugi::xml_node node = doc.append_child("p");
    if (text) node.append_child("bSortByOrvane").text().set(text);
    TProfile profile;
    profile.ReadProfileOptions(node);
    EXPECT_EQ(profile.SortBy, expected) << (text ? text : "(absent)");
  }
}

pugi::xml_node SavedProfile(pugi::xml_document& doc, const std::string& body) {
  doc.load_string(("<Profile>" + body + "</Profile>").c_str());
  return doc.child("Profile");
}

TEST(SavedProfile, RoundTripKeepsNameChoicesFlagsAndWeights) {
  TProfile source;
  source.Name = "Custom";
  source.Domains = {"com", "europe", "co."};
  source.FileTypes = {"pdf", "worksheets"};
  source.HomepageOnly = true;
  source.ExactMatch = false;
  source.SortBy = 2;
  source.TitleRank = 0.1 + 0.2;
  source.DescRank = 0.6;
  source.UrlRank = 1e-7;
  source.TotalRank = 12345.5;
  source.MetaBoostWeight = 0.25;

  pugi::xml_document doc;
  source.WriteProfileXml(doc.append_child("Profile"));
  std::ostringstream text;
  doc.save(text);
  pugi::xml_document reread;
  ASSERT_TRUE(reread.load_string(text.str().c_str()));

  TProfile copy;
  copy.ReadProfileXml(reread.child("Profile"));
  EXPECT_EQ(copy.Name, "Custom");
  EXPECT_EQ(copy.Domains, source.Domains);
  EXPECT_EQ(copy.FileTypes, source.FileTypes);
  EXPECT_TRUE(copy.HomepageOnly);
  EXPECT_FALSE(copy.ExactMatch);
  EXPECT_EQ(copy.SortBy, 2);
  EXPECT_DOUBLE_EQ(copy.TitleRank, 0.3);
  EXPECT_DOUBLE_EQ(copy.DescRank, 0.6);
  EXPECT_DOUBLE_EQ(copy.UrlRank, 1e-7);
  EXPECT_DOUBLE_EQ(copy.TotalRank, 12345.5);
  EXPECT_DOUBLE_EQ(copy.MetaBoostWeight, 0.25);
  EXPECT_FALSE(copy.ReadOnly);
}

TEST(SavedProfile, WritesTheElementsInFileOrder) {
  TProfile source;
  source.Name = "Web";
  source.Domains = {"de"};
  source.FileTypes = {"pdf"};
  pugi::xml_document doc;
  source.WriteProfileXml(doc.append_child("Profile"));
  std::vector<std::string> names;
  for (pugi::xml_node child : doc.child("Profile").children()) names.push_back(child.name());
  const std::vector<std::string> head = {"name",          "bDomde",    "bTypepdf", "bHomepageonly", "bExactMatch",
                                         "bSortByOrvane", "titleRank", "descRank", "urlRank",       "totalRank"};
  ASSERT_GE(names.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + head.size()), head);
  EXPECT_STREQ(doc.child("Profile").child_value("bHomepageonly"), "0");
}

TEST(SavedProfile, ReadsOnlyCheckedEntriesAndAtMostTenCharacters) {
  pugi::xml_document doc;
  TProfile profile;
  profile.Domains = {"stale"};
  profile.DomainExtensions = {"kept"};
  profile.ReadProfileXml(SavedProfile(doc,
                                      "<name>Mine</name><bDomcom>1</bDomcom><bDomde>0</bDomde>"
                                      "<bDomAbcdefghijklmn>1</bDomAbcdefghijklmn><bTypePDF>1</bTypePDF>"
                                      "<bTypedoc>-1</bTypedoc><bReadonly>1</bReadonly>"));
  EXPECT_EQ(profile.Name, "Mine");
  EXPECT_EQ(profile.Domains, (std::vector<std::string>{"com", "abcdefghij"}));
  EXPECT_EQ(profile.FileTypes, (std::vector<std::string>{"pdf"}));
  EXPECT_TRUE(profile.ReadOnly);
  EXPECT_EQ(profile.DomainExtensions, (std::vector<std::string>{"kept"}));  // not rebuilt here
}

TEST(SavedProfile, MissingItemsReadAsEmptyFalseOrZero) {
  pugi::xml_document doc;
  TProfile profile;
  profile.HomepageOnly = true;
  profile.TitleRank = 3;
  profile.ReadProfileXml(SavedProfile(doc, ""));
  EXPECT_EQ(profile.Name, "");
  EXPECT_FALSE(profile.HomepageOnly);
  EXPECT_EQ(profile.TitleRank, 0);
  EXPECT_EQ(profile.SortBy, 0);
}

TEST(SavedProfile, EntriesThatAreNoElementNameAreNotWritten) {
  TProfile source;
  source.Domains = {"com", "x\"><script>", "a b"};
  pugi::xml_document doc;
  source.WriteProfileXml(doc.append_child("Profile"));
  std::ostringstream text;
  doc.save(text);
  pugi::xml_document reread;
  ASSERT_TRUE(reread.load_string(text.str().c_str()));
  TProfile copy;
  copy.ReadProfileXml(reread.child("Profile"));
  EXPECT_EQ(copy.Domains, (std::vector<std::string>{"com"}));
}

}  // namespace
}  // namespace orvane
