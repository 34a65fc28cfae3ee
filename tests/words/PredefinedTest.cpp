#include "words/Predefined.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "support/ScratchFolder.h"
#include "words/ExtGroups.h"
#include "words/WordUtils.h"

namespace orvane {
namespace {

using Strings = std::vector<std::string>;

struct TLoaded {
  explicit TLoaded(const std::string& folder)
      : store(folder), domains(store, "DomainGroupData"), files(store, "FileGroupData"), predefined(store, domains, files) {}
  Strings Names() const {
    Strings names;
    for (const auto& profile : predefined.Profiles) names.push_back(profile->Name);
    return names;
  }
  TXMLManager store;
  TExtTypeGroups domains, files;
  TPredefined predefined;
};

std::unique_ptr<TLoaded> Load(const testing::ScratchFolder& folder, const std::string& predefined,
                              const std::string& profiles = "") {
  folder.Write("data.xml", "<d Version=\"1.1\"><predefined>" + predefined + "</predefined><profiles>" + profiles +
                               "</profiles><DomainGroupData><West>fr,es</West></DomainGroupData></d>");
  return std::make_unique<TLoaded>(folder.Path());
}

TEST(PredefinedLoading, ReadsAttributesWithDefaultsWordStringsAndExpandedOptions) {
  testing::ScratchFolder folder;
  const auto loaded = Load(folder,
                           "<Plain/><S Visible=\"false\" Default=\"1\" RunSearch=\"FALSE\" FindSearchTermsinHost=\"True\" "
                           "WordList=\"2\" ProfileResultMatchPenalty=\"0.25\"><WordList>new+york;0;0;;1|News;1;0;;1"
                           "</WordList><SingalWordList>Big+Apple, ,Times,</SingalWordList></S>",
                           "<S><titleRank>1.5</titleRank><Domains>west, com,com</Domains></S>");
  const auto& profiles = loaded->predefined.Profiles;
  ASSERT_EQ(profiles.size(), 2u);
  const TProfile& plain = *profiles[0];
  EXPECT_TRUE(plain.Visible && !plain.Default && plain.RunSearch && !plain.FindSearchTermsinHost);
  EXPECT_EQ(plain.WordList, 1);
  EXPECT_EQ(plain.ProfileResultMatchPenalty, 1.0);
  EXPECT_EQ(plain.TitleRank, 0);  // no element in "profiles"

  const TProfile& s = *profiles[1];
  EXPECT_EQ(s.Index, 1);
  EXPECT_TRUE(!s.Visible && s.Default && !s.RunSearch && s.FindSearchTermsinHost);
  EXPECT_EQ(s.WordList, 2);
  EXPECT_EQ(s.ProfileResultMatchPenalty, 0.25);
  EXPECT_EQ(s.WordStrings, (Strings{"new york", "news", "big apple", "times"}));
  EXPECT_EQ(s.TitleRank, 1.5);
  EXPECT_EQ(s.DomainExtensions, (Strings{"fr", "es", "west", "com"}));
}

TEST(PredefinedLoading, BrokenProfileEndsTheLoadingKeepingTheOnesBefore) {
  for (const char* bad : {"<Bad><WordList>w;0;0;;</WordList></Bad>", "<Bad><WordList>w;0;0</WordList></Bad>",
                          "<Bad Visible=\"maybe\"/>", "<Bad WordList=\"one\"/>",
                          "<Bad ProfileResultMatchPenalty=\"high\"/>"}) {
    testing::ScratchFolder folder;
    EXPECT_EQ(Load(folder, std::string("<First/>") + bad + "<After/>")->Names(), Strings{"First"}) << bad;
  }
}

TEST(PredefinedLoading, SavedProfileChangesTheNamedProfileForEveryone) {
  testing::ScratchFolder folder;
  const auto loaded = Load(folder, "<Custom Visible=\"False\"/>");
  TPredefined& p = loaded->predefined;
  pugi::xml_document doc;
  doc.load_string("<Profile><name>Custom</name><bDomde>1</bDomde><titleRank>2</titleRank></Profile>");
  EXPECT_FALSE(p.ReadProfileXml("custom", doc.child("Profile")));
  EXPECT_TRUE(p.ReadProfileXml("Custom", doc.child("Profile")));
  p.SetProfileVisible("Custom", true);
  TProfile copy;
  EXPECT_FALSE(p.CopyProfile("Other", copy));
  ASSERT_TRUE(p.CopyProfile("Custom", copy));
  EXPECT_TRUE(copy.Visible);
  EXPECT_EQ(copy.TitleRank, 2);
  EXPECT_EQ(copy.Domains, Strings{"de"});

  doc.child("Profile").remove_child("name");  // an edited file: the profile keeps its name
  EXPECT_TRUE(p.ReadProfileXml("Custom", doc.child("Profile")));
  EXPECT_TRUE(p.CopyProfile("Custom", copy));
  EXPECT_EQ(copy.Name, "Custom");
}

// Counted from the raw text, so a reader that stops early or drops entries
// shows up as a difference.
size_t Entries(const std::string& text, char separator) {
  if (Trim(text).empty()) return 0;
  return static_cast<size_t>(std::count(text.begin(), text.end(), separator)) + 1;
}

TEST(ShippedData, EveryProfileGroupAndListLoadsToItsLastEntry) {
  TLoaded data(ORVANE_SOURCE_DIR "/resources/data/");
  const TXMLManager& store = data.store;
  ASSERT_TRUE(store.Loaded());
  EXPECT_EQ(data.Names(), (Strings{"Web", "News", "Research", "Shopping", "Travel", "Software", "Custom"}));
  EXPECT_EQ(data.predefined.DefaultProfileName(), "Web");
  EXPECT_EQ(data.predefined.FindProfile("news"), nullptr);  // names compare exactly
  const pugi::xml_node predefined = store.Section("predefined");
  for (const auto& profile : data.predefined.Profiles) {
    SCOPED_TRACE(profile->Name);
    EXPECT_GT(profile->TitleRank, 0);
    if (profile->RunSearch) {
      EXPECT_GE(profile->Words.size(), 5u);
      EXPECT_GT(profile->ProfileResultMatchPenalty, 0);
      EXPECT_LT(profile->ProfileResultMatchPenalty, 1);
    }
    const pugi::xml_node node = predefined.child(profile->Name.c_str());
    const size_t words = Entries(store.ReadString(node, "WordList", false), '|');
    EXPECT_EQ(profile->Words.size(), words);
    EXPECT_EQ(profile->WordStrings.size(), words + Entries(store.ReadString(node, "SingalWordList", false), ','));
    for (const auto& word : profile->WordStrings) EXPECT_TRUE(!word.empty() && word == Trim(word)) << word;
  }
  for (const auto& [section, groups] : {std::pair{"DomainGroupData", &data.domains}, {"FileGroupData", &data.files}}) {
    const pugi::xml_node node = store.Section(section);
    EXPECT_EQ(groups->Groups.size(), static_cast<size_t>(std::distance(node.begin(), node.end()))) << section;
    std::set<std::string> seen;
    for (const auto& group : groups->Groups) {
      EXPECT_LE(group.Name.size(), 10u) << group.Name;  // saved profiles keep ten characters
      EXPECT_EQ(group.Extensions.size(), Entries(store.ReadString(node, group.Name, false), ',')) << group.Name;
      for (const auto& extension : group.Extensions) EXPECT_TRUE(seen.insert(extension).second) << extension;
    }
  }
  EXPECT_EQ(data.files.GroupIndexOf("other"), -1);  // the extension of files without one

  const Strings ignore = SplitDelimited('|', store.ReadString(store.Section("AutoClusters"), "IgnoreList", false));
  EXPECT_GE(ignore.size(), 100u);
  for (const auto& word : ignore) EXPECT_TRUE(word.size() >= 2 && word == LowerCase(word)) << "'" << word << "'";
  const std::string plurals = store.Section("IrregularPlurals").text().get();
  EXPECT_EQ(SplitDelimited('|', plurals).size(), static_cast<size_t>(std::count(plurals.begin(), plurals.end(), '=')));
}

}  // namespace
}  // namespace orvane
