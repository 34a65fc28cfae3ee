#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "clusters/ExtClusters.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "search/Results.h"
#include "words/ExtGroups.h"
#include "words/Profile.h"

namespace orvane {
namespace {

TWordGroupData Group(const std::string& name, std::vector<std::string> extensions, int32_t index,
                     bool visible = true) {
  TWordGroupData group;
  group.Name = name;
  group.Extensions = std::move(extensions);
  group.Index = index;
  group.Visible = visible;
  return group;
}

// Results with these domain extensions (file "other"), all with a score.
struct TFixture {
  explicit TFixture(const std::vector<std::string>& domains, const std::vector<std::string>& files = {}) {
    results.Profile = &profile;
    for (size_t i = 0; i < domains.size(); ++i) {
      auto result = std::make_unique<TResult>();
      result->Facts.DomainExt = domains[i];
      result->Facts.FileExt = i < files.size() ? files[i] : "other";
      result->Rank.TitleScore = 0.5;
      results.AddResult(std::move(result));
    }
  }
  TProfile profile;
  TResults results;
};

// "line kind value display count" of one pane entry.
std::string Line(const TPaneEntry& entry) {
  return std::to_string(entry.Line) + (entry.IsGroup ? " group " : " ext ") + entry.Value + " " + entry.Display +
         " " + std::to_string(entry.Count);
}

TEST(DomainCluster, GroupsComeFirstAndHideTheirExtensions) {
  TExtTypeGroups groups;
  groups.Groups = {Group("Europe", {"de", "org"}, 0)};
  TFixture fixture({"com", "de", "com", "org"});
  TDomainCluster cluster(&groups);
  cluster.Build(fixture.results);
  const std::vector<TPaneEntry> entries = cluster.PaneEntries();
  ASSERT_EQ(entries.size(), 2u);  // .de and .org only inside their group
  EXPECT_EQ(Line(entries[0]), "0 group Europe Europe 2");
  EXPECT_EQ(Line(entries[1]), "1 ext com .com 2");
  EXPECT_EQ(groups.Groups[0].Count, 0);  // the shared definitions are never written
  std::vector<std::string> names;
  cluster.CollectNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Europe", "com"}));
  // The results learned their cluster and group, in extension order.
  for (const auto& result : fixture.results.List) {
    EXPECT_EQ(cluster.NameOfIndex(result->Clusters.DomainClusterIndex), result->Facts.DomainExt);
    EXPECT_EQ(result->Clusters.DomainGroupIndex, result->Facts.DomainExt == "com" ? -1 : 0);
  }
}

TEST(DomainCluster, ShowsTheTenMostFrequentOfEleven) {
  std::vector<std::string> domains;
  for (int i = 0; i < 11; ++i)
    for (int n = 0; n <= i; ++n) domains.push_back("x" + std::to_string(i));  // x10 most frequent
  TFixture fixture(domains);
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  const std::vector<TPaneEntry> entries = cluster.PaneEntries();
  ASSERT_EQ(entries.size(), 10u);
  EXPECT_EQ(Line(entries.front()), "0 ext x10 .x10 11");
  EXPECT_EQ(Line(entries.back()), "9 ext x1 .x1 2");  // the least frequent is left out
}

TEST(ExtClusters, ZeroScoreResultsCountNowhere) {
  TFixture fixture({"com", "de"});
  fixture.results.Result(1)->Rank.TitleScore = 0;
  fixture.results.Result(1)->Clusters.DomainClusterIndex = 7;  // from an earlier build
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  ASSERT_EQ(cluster.Items.size(), 1u);
  EXPECT_EQ(cluster.Items[0].Text, "com");
  EXPECT_EQ(fixture.results.Result(1)->Clusters.DomainClusterIndex, -1);
  ASSERT_EQ(cluster.PaneEntries().size(), 1u);

  // An empty list keeps the last build.
  TResults empty;
  cluster.Build(empty);
  EXPECT_EQ(cluster.Items.size(), 1u);
}

TEST(FileCluster, OtherIsShownAsWebPages) {
  TExtTypeGroups groups;
  groups.Groups = {Group("Documents", {"pdf"}, 0)};
  TFixture fixture({"com", "com", "com"}, {"pdf", "other", "other"});
  TFileCluster cluster(&groups);
  cluster.Build(fixture.results);
  const std::vector<TPaneEntry> entries = cluster.PaneEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(Line(entries[0]), "0 group Documents Documents 1");
  EXPECT_EQ(Line(entries[1]), "1 ext other .html; .asp; etc. 2");
}

TEST(ExtClusters, TwoSessionsKeepTheirOwnCountsOnSharedGroups) {
  TExtTypeGroups groups;
  groups.Groups = {Group("North", {"se", "no"}, 0), Group("South", {"es", "it"}, 1)};
  TFixture north({"se", "no", "se"});
  TFixture south({"es"});
  TDomainCluster first(&groups), second(&groups);
  first.Build(north.results);
  second.Build(south.results);
  EXPECT_EQ(first.GroupCount(0), 3);
  EXPECT_EQ(first.GroupCount(1), 0);
  EXPECT_EQ(second.GroupCount(1), 1);
  EXPECT_EQ(second.GroupOrder(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(groups.Groups[0].Name, "North");  // never reordered
}

TEST(PageTypes, TenFromEachClusterFifteenInAllNoInvisibleGroup) {
  TExtTypeGroups domainGroups;
  domainGroups.Groups = {Group("Hidden", {"com"}, 0, false)};
  std::vector<std::string> domains, files;
  for (int i = 0; i < 12; ++i)
    for (int n = 0; n < 2; ++n) {
      domains.push_back("d" + std::to_string(i));
      files.push_back("f" + std::to_string(i));
    }
  for (int n = 0; n < 30; ++n) {
    domains.push_back("com");
    files.push_back("zzz");
  }
  TFixture fixture(domains, files);
  TDomainCluster domain(&domainGroups);
  TFileCluster file(nullptr);
  domain.Build(fixture.results);
  file.Build(fixture.results);
  EXPECT_EQ(Line(domain.PaneEntries().front()), "0 group Hidden Hidden 30");  // the pane still shows it

  TPageTypes types;
  types.Collect(file, domain);
  EXPECT_EQ(types.Entries.size(), 20u);
  for (const TWordData& entry : types.Entries) EXPECT_NE(entry.Text, "Hidden");
  EXPECT_EQ(types.Entries.front().Text, "zzz");  // by descending count, the domains' first on a tie
  EXPECT_EQ(types.Entries.front().SearchText, "FileExt");
  EXPECT_EQ(types.Entries[1].Text, "d0");
  EXPECT_EQ(types.Entries[1].SearchText, "DomainExt");
}

TEST(PredefinedCluster, ListsTheVisibleProfilesInTableOrder) {
  std::vector<std::unique_ptr<TProfile>> profiles;
  for (const auto& [name, visible] : std::vector<std::pair<std::string, bool>>{
           {"Web", true}, {"Secret", false}, {"Custom", true}}) {
    auto profile = std::make_unique<TProfile>();
    profile->Name = name;
    profile->Visible = visible;
    profiles.push_back(std::move(profile));
  }
  TPredefinedCluster pane;
  pane.BuildPane(profiles);
  EXPECT_EQ(pane.Names, (std::vector<std::string>{"Web", "Custom"}));
}

TEST(ExtCluster, SortsResultsStablyByExtension) {
  // Prefixes of each other, an empty one, and many ties whose order must hold.
  const std::vector<std::string> names = {"com", "co", "", "de", "com", "c", "org", "co", "de", "", "com", "de"};
  std::vector<std::string> domains, files;
  for (size_t i = 0; i < 60; ++i) {
    domains.push_back(names[i * 7 % names.size()]);
    files.push_back(names[i * 5 % names.size()]);
  }
  for (const TExtCluster::TKind kind : {TExtCluster::kDomain, TExtCluster::kFile}) {
    TFixture fixture(domains, files);
    std::vector<const TResult*> expected;
    for (const auto& result : fixture.results.List) expected.push_back(result.get());
    auto extension = [kind](const TResult* result) {
      return kind == TExtCluster::kDomain ? result->Facts.DomainExt : result->Facts.FileExt;
    };
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const TResult* a, const TResult* b) { return extension(a) < extension(b); });
    TExtCluster cluster(kind, nullptr);
    cluster.Build(fixture.results);
    std::vector<const TResult*> sorted;
    for (const auto& result : fixture.results.List) sorted.push_back(result.get());
    EXPECT_EQ(sorted, expected) << kind;
  }
}

}  // namespace
}  // namespace orvane
