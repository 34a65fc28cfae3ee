#include "words/Profile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/OvException.h"
#include "data/XMLManager.h"
#include "support/ScratchFolder.h"
#include "words/ExtGroups.h"

namespace orvane {
namespace {

using Strings = std::vector<std::string>;

TEST(ProfileWordList, ParsesPhrasesSearchTextsAndStopsAtTheFirstEmptyEntry) {
  const struct { const char* text; Strings texts, searchTexts; } cases[] = {
      {"new+york;1;0;;5|", {"\"new york\""}, {"\"new york\""}},  // trailing "|" adds nothing
      {"Big+Apple;0;1;big+apple;3", {"\"big apple\""}, {"big apple"}},
      {"News;true;False;;2| sport;0;0;Sports;1 ", {"news", "sport"}, {"news", "Sports"}},
      {"a;0;0;;1||b;0;0;;1", {"a"}, {"a"}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TProfile profile;
    profile.SetWordList(c.text);
    Strings texts, searchTexts;
    for (const auto& word : profile.Words) {
      texts.push_back(word.Text);
      searchTexts.push_back(word.SearchText);
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(searchTexts, c.searchTexts);
  }
  TProfile profile;
  profile.SetWordList("new+york;1;0;;5|b;False;-1;;-2");
  EXPECT_TRUE(profile.Words[0].FirstFlag && !profile.Words[0].SecondFlag && profile.Words[0].Weight == 5);
  EXPECT_TRUE(!profile.Words[1].FirstFlag && profile.Words[1].SecondFlag && profile.Words[1].Weight == -2);
}

TEST(ProfileWordList, BrokenEntryRaisesAfterKeepingTheWordsBeforeIt) {
  for (const char* text : {"ok;0;0;;1|four;0;0;1", "ok;0;0;;1|bad;yes;0;;1", "ok;0;0;;1|bad;0;0;;1.5",
                           "ok;0;0;;1|bad;0;0;;"}) {
    TProfile profile;
    EXPECT_THROW(profile.SetWordList(text), TOvException) << text;
    EXPECT_EQ(profile.Words.size(), 1u) << text;
  }
}

TEST(ProfileGroups, ExpansionPutsGroupExtensionsInGroupOrderThenTheNamesLowerCased) {
  testing::ScratchFolder folder;
  folder.Write("data.xml",
               "<d Version=\"1.1\"><DomainGroupData><North>de, AT</North><South>fr</South><East>pl</East>"
               "</DomainGroupData><FileGroupData><Docs>pdf,doc</Docs></FileGroupData></d>");
  const TXMLManager store(folder.Path());
  const TExtTypeGroups domains(store, "DomainGroupData"), files(store, "FileGroupData");
  TProfile profile;
  profile.SetDomain("South", true);
  profile.SetDomain("UK", true);
  profile.SetDomain("north", true);
  profile.SetDomain("UK", true);
  profile.SetFileType("docs", true);
  profile.ExpandGroups(domains, files);
  EXPECT_EQ(profile.DomainExtensions, (Strings{"de", "at", "fr", "south", "uk", "north"}));
  EXPECT_EQ(profile.FileExtensions, (Strings{"pdf", "doc", "docs"}));
  profile.ClearDomains();
  profile.ExpandGroups(domains, files);
  EXPECT_TRUE(profile.DomainExtensions.empty());
}

TEST(SavedProfile, RoundTripKeepsNameChoicesFlagsAndWeights) {
  TProfile source;
  source.Name = "Custom";
  source.Domains = {"com", "europe", "co.", "x\"><script>", "a b"};  // the last two are no element names
  source.FileTypes = {"pdf"};
  source.HomepageOnly = true;
  source.SortBy = 2;
  source.TitleRank = 0.1 + 0.2;
  source.UrlRank = 1e-7;
  source.MetaBoostWeight = 0.25;
  pugi::xml_document doc;
  source.WriteProfileXml(doc.append_child("Profile"));
  std::ostringstream text;
  doc.save(text);
  pugi::xml_document reread;
  ASSERT_TRUE(reread.load_string(text.str().c_str()));
  EXPECT_STREQ(reread.child("Profile").first_child().name(), "name");

  TProfile copy;
  copy.ReadProfileXml(reread.child("Profile"));
  EXPECT_EQ(copy.Name, "Custom");
  EXPECT_EQ(copy.Domains, (Strings{"com", "europe", "co."}));
  EXPECT_EQ(copy.FileTypes, source.FileTypes);
  EXPECT_TRUE(copy.HomepageOnly);
  EXPECT_FALSE(copy.ExactMatch);
  EXPECT_EQ(copy.SortBy, 2);
  EXPECT_DOUBLE_EQ(copy.TitleRank, 0.3);
  EXPECT_DOUBLE_EQ(copy.UrlRank, 1e-7);
  EXPECT_DOUBLE_EQ(copy.MetaBoostWeight, 0.25);
}

TEST(SavedProfile, ReadsCheckedEntriesOfAtMostTenCharactersAndZeroForMissingItems) {
  pugi::xml_document doc;
  doc.load_string(
      "<Profile><bDomcom>1</bDomcom><bDomde>0</bDomde><bDomAbcdefghijklmn>1</bDomAbcdefghijklmn>"
      "<bTypePDF>1</bTypePDF><bTypedoc>-1</bTypedoc><bSortByOrvane>7</bSortByOrvane></Profile>");
  TProfile profile;
  profile.TitleRank = 3;
  profile.DomainExtensions = {"kept"};
  profile.ReadProfileXml(doc.child("Profile"));
  EXPECT_EQ(profile.Domains, (Strings{"com", "abcdefghij"}));
  EXPECT_EQ(profile.FileTypes, (Strings{"pdf"}));
  EXPECT_EQ(profile.SortBy, 2);
  EXPECT_EQ(profile.TitleRank, 0);
  EXPECT_EQ(profile.Name, "");
  EXPECT_EQ(profile.DomainExtensions, (Strings{"kept"}));  // not rebuilt by reading
}

}  // namespace
}  // namespace orvane
