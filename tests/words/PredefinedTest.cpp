#include "words/Predefined.h"

#include <gtest/gtest.h>

#include <set>

#include "data/XMLManager.h"
#include "words/ExtGroups.h"
#include "words/TestFolder.h"
#include "words/StrUtils.h"
#include "words/WordUtils.h"

namespace orvane {
namespace {

class PredefinedLoading : public ::testing::Test {
 protected:
  TPredefined& Load(const std::string& predefined, const std::string& profiles = "") {
    folder_.Write("data.xml", "<d Version=\"1.1\"><predefined>" + predefined + "</predefined><profiles>" + profiles +
                                  "</profiles><DomainGroupData><West>fr,es</West></DomainGroupData></d>");
    store_ = std::make_unique<TXMLManager>(folder_.Path());
    domains_ = std::make_unique<TExtTypeGroups>(*store_, "DomainGroupData");
    files_ = std::make_unique<TExtTypeGroups>(*store_, "FileGroupData");
    predefined_ = std::make_unique<TPredefined>(*store_, *domains_, *files_);
    return *predefined_;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& profile : predefined_->Profiles) names.push_back(profile->Name);
    return names;
  }

  testing::TTestFolder folder_;
  std::unique_ptr<TXMLManager> store_;
  std::unique_ptr<TExtTypeGroups> domains_, files_;
  std::unique_ptr<TPredefined> predefined_;
};

TEST_F(PredefinedLoading, AttributesTakeTheirDefaultsWhenAbsent) {
  const TPredefined& p = Load("<Plain/>");
  ASSERT_EQ(p.Profiles.size(), 1u);
  const TProfile& profile = *p.Profiles[0];
  EXPECT_TRUE(profile.Visible);
  EXPECT_FALSE(profile.Default);
  EXPECT_TRUE(profile.RunSearch);
  EXPECT_FALSE(profile.FindSearchTermsinHost);
  EXPECT_EQ(profile.WordList, 1);
  EXPECT_EQ(profile.ProfileResultMatchPenalty, 1.0);
  EXPECT_EQ(profile.TitleRank, 0);  // no element in "profiles"
  EXPECT_TRUE(profile.Domains.empty());
}

TEST_F(PredefinedLoading, ReadsAttributesOptionsAndExpandsGroups) {
  const TPredefined& p =
      Load("<A/><B Visible=\"false\" Default=\"1\" RunSearch=\"FALSE\" FindSearchTermsinHost=\"True\" "
           "WordList=\"2\" ProfileResultMatchPenalty=\"0.25\"/>",
           "<B><bHomepageonly>-1</bHomepageonly><titleRank>1.5</titleRank><MetaBoostWeight>0.3</MetaBoostWeight>"
           "<Domains>west, com,com</Domains><FileTypes>pdf</FileTypes></B>");
  ASSERT_EQ(p.Profiles.size(), 2u);
  const TProfile& b = *p.Profiles[1];
  EXPECT_EQ(b.Index, 1);
  EXPECT_FALSE(b.Visible);
  EXPECT_TRUE(b.Default);
  EXPECT_FALSE(b.RunSearch);
  EXPECT_TRUE(b.FindSearchTermsinHost);
  EXPECT_EQ(b.WordList, 2);
  EXPECT_EQ(b.ProfileResultMatchPenalty, 0.25);
  EXPECT_TRUE(b.HomepageOnly);
  EXPECT_EQ(b.TitleRank, 1.5);
  EXPECT_EQ(b.MetaBoostWeight, 0.3);
  EXPECT_EQ(b.Domains, (std::vector<std::string>{"west", "com"}));
  EXPECT_EQ(b.DomainExtensions, (std::vector<std::string>{"fr", "es", "west", "com"}));
  EXPECT_EQ(b.FileExtensions, (std::vector<std::string>{"pdf"}));
}

TEST_F(PredefinedLoading, WordStringsHoldWordsAndPhrasesWithoutQuotesThenSingleWords) {
  const TPredefined& p = Load(
      "<S><WordList>new+york;0;0;;1|News;1;0;;1</WordList>"
      "<SingalWordList>Big+Apple, ,Times,</SingalWordList></S>");
  ASSERT_EQ(p.Profiles.size(), 1u);
  EXPECT_EQ(p.Profiles[0]->WordStrings, (std::vector<std::string>{"new york", "news", "big apple", "times"}));
}

TEST_F(PredefinedLoading, BrokenProfileEndsTheLoadingKeepingTheOnesBefore) {
  const char* broken[] = {"<Bad><WordList>w;0;0;;</WordList></Bad>", "<Bad><WordList>w;0;0</WordList></Bad>",
                          "<Bad Visible=\"maybe\"/>", "<Bad WordList=\"one\"/>",
                          "<Bad ProfileResultMatchPenalty=\"high\"/>"};
  for (const char* bad : broken) {
    SCOPED_TRACE(bad);
    Load(std::string("<First/>") + bad + "<After/>");
    EXPECT_EQ(Names(), (std::vector<std::string>{"First"}));
  }
}

TEST_F(PredefinedLoading, LookupsAreCaseSensitiveAndFollowFileOrder) {
  TPredefined& p = Load("<News/><Web Default=\"True\"/><Other Default=\"True\"/><Custom Visible=\"False\"/>");
  EXPECT_NE(p.FindProfile("News"), nullptr);
  EXPECT_EQ(p.FindProfile("news"), nullptr);
  EXPECT_EQ(p.DefaultProfileName(), "Web");
  p.SetProfileVisible("Custom", true);
  p.SetProfileVisible("Missing", true);
  EXPECT_TRUE(p.FindProfile("Custom")->Visible);

  TProfile copy;
  copy.Name = "untouched";
  EXPECT_FALSE(p.CopyProfile("custom", copy));
  EXPECT_EQ(copy.Name, "untouched");
  EXPECT_TRUE(p.CopyProfile("Custom", copy));
  EXPECT_EQ(copy.Name, "Custom");
}

TEST_F(PredefinedLoading, NoDefaultOrNoSectionGivesEmptyAnswers) {
  EXPECT_EQ(Load("<A/>").DefaultProfileName(), "");
  testing::TTestFolder empty;
  TXMLManager store(empty.Path());
  TExtTypeGroups groups;
  TPredefined p(store, groups, groups);
  EXPECT_TRUE(p.Profiles.empty());
  EXPECT_EQ(p.FindProfile("Web"), nullptr);
}

TEST_F(PredefinedLoading, SavedProfileChangesTheNamedProfileInPlace) {
  TPredefined& p = Load("<Custom/>", "<Custom><titleRank>1</titleRank></Custom>");
  pugi::xml_document doc;
  doc.load_string("<Profile><name>Custom</name><bDomde>1</bDomde><titleRank>2</titleRank></Profile>");
  EXPECT_FALSE(p.ReadProfileXml("Other", doc.child("Profile")));
  EXPECT_TRUE(p.ReadProfileXml("Custom", doc.child("Profile")));
  EXPECT_EQ(p.FindProfile("Custom")->TitleRank, 2);
  EXPECT_EQ(p.FindProfile("Custom")->Domains, (std::vector<std::string>{"de"}));
}

// The data file that ships with the server.
class ShippedData : public ::testing::Test {
 protected:
  ShippedData()
      : store_(ORVANE_SOURCE_DIR "/resources/data/"),
        domains_(store_, "DomainGroupData"),
        files_(store_, "FileGroupData"),
        predefined_(store_, domains_, files_) {}
  TXMLManager store_;
  TExtTypeGroups domains_, files_;
  TPredefined predefined_;
};

TEST_F(ShippedData, LoadsEveryProfileWithWeightsAndTheWebProfileAsDefault) {
  ASSERT_TRUE(store_.Loaded());
  std::vector<std::string> names;
  for (const auto& profile : predefined_.Profiles) names.push_back(profile->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Web", "News", "Research", "Shopping", "Travel", "Software", "Custom"}));
  EXPECT_EQ(predefined_.DefaultProfileName(), "Web");
  for (const auto& profile : predefined_.Profiles) {
    SCOPED_TRACE(profile->Name);
    EXPECT_GT(profile->TitleRank, 0);
    EXPECT_GT(profile->MetaBoostWeight, 0);
    if (profile->RunSearch) {
      EXPECT_GE(profile->Words.size(), 5u);
      EXPECT_GT(profile->ProfileResultMatchPenalty, 0);
      EXPECT_LT(profile->ProfileResultMatchPenalty, 1);
      EXPECT_TRUE(profile->Visible);
    }
  }
  const TProfile* custom = predefined_.FindProfile("Custom");
  ASSERT_NE(custom, nullptr);
  EXPECT_FALSE(custom->Visible);
  EXPECT_FALSE(custom->RunSearch);
  EXPECT_FALSE(predefined_.FindProfile("Web")->RunSearch);
}

TEST_F(ShippedData, GroupsLoadWithNamesThatSurviveASavedProfile) {
  ASSERT_GE(domains_.Groups.size(), 8u);
  ASSERT_GE(files_.Groups.size(), 5u);
  for (const TExtTypeGroups* groups : {&domains_, &files_}) {
    std::set<std::string> seen;
    for (const auto& group : groups->Groups) {
      SCOPED_TRACE(group.Name);
      EXPECT_LE(group.Name.size(), 10u);  // saved profiles keep ten characters
      EXPECT_FALSE(group.Extensions.empty());
      for (const auto& extension : group.Extensions) {
        EXPECT_TRUE(seen.insert(extension).second) << extension << " is in two groups";
      }
    }
  }
  EXPECT_EQ(domains_.GroupName(domains_.GroupIndexOf("de")), "Europe");
  EXPECT_EQ(domains_.GroupName(domains_.GroupIndexOf("edu")), "Education");
  EXPECT_EQ(files_.GroupName(files_.GroupIndexOf("PDF")), "Documents");
  EXPECT_EQ(files_.GroupIndexOf("other"), -1);
}

TEST_F(ShippedData, IgnoreListHoldsLowerCaseWordsOfTwoLettersOrMore) {
  const auto words =
      SplitDelimited('|', store_.ReadString(store_.Section("AutoClusters"), "IgnoreList", false));
  ASSERT_GE(words.size(), 100u);
  std::set<std::string> all(words.begin(), words.end());
  for (const char* expected : {"the", "and", "www", "http", "copyright"}) EXPECT_TRUE(all.count(expected)) << expected;
  for (const auto& word : words) {
    EXPECT_GE(word.size(), 2u) << "'" << word << "'";
    EXPECT_EQ(word, LowerCase(word));
  }
}

}  // namespace
}  // namespace orvane
