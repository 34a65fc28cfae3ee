#include <gtest/gtest.h>

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
      result->DomainExt = domains[i];
      result->FileExt = i < files.size() ? files[i] : "other";
      result->TitleScore = 0.5;
      results.AddResult(std::move(result));
    }
  }
  TProfile profile;
  TResults results;
};

size_t Occurrences(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

TEST(DomainCluster, GroupsComeFirstAndHideTheirExtensions) {
  TExtTypeGroups groups;
  groups.Groups = {Group("Europe", {"de", "org"}, 0)};
  TFixture fixture({"com", "de", "com", "org"});
  TDomainCluster cluster(&groups);
  cluster.Build(fixture.results);
  cluster.Render(5);
  const std::string& html = cluster.Html;
  EXPECT_LT(html.find("> Europe </a> &nbsp;(2)"), html.find("> .com </a> &nbsp;(2)"));
  EXPECT_EQ(html.find(".de "), std::string::npos);
  EXPECT_EQ(html.find(".org "), std::string::npos);
  EXPECT_EQ(groups.Groups[0].Count, 0);  // the shared definitions are never written
  std::vector<std::string> names;
  cluster.CollectNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Europe", "com"}));
  // The results learned their cluster and group, in extension order.
  for (const auto& result : fixture.results.List) {
    EXPECT_EQ(cluster.NameOfIndex(result->DomainClusterIndex), result->DomainExt);
    EXPECT_EQ(result->DomainGroupIndex, result->DomainExt == "com" ? -1 : 0);
  }
}

TEST(DomainCluster, EntryHtmlIsExact) {
  std::vector<std::string> domains(12, "com");
  TFixture fixture(domains);
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  cluster.Render(5);
  EXPECT_EQ(cluster.Html,
            "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\"><tr valign=\"top\">"
            "<td style=\"white-space: nowrap;\">&nbsp;&nbsp;&nbsp;<input title=\"Show results that belong to domain "
            "'com'\" type=\"checkbox\" name=\"suffix\" value=\"com\" <ov:Domain_com:Checked:1/> "
            "id=\"DomainCluster_Checkbox0\"/>&nbsp; <a title= \"Show results that belong to domain 'com'\" "
            "onclick=\"ExtensionSelected('DomainCluster_Checkbox0', 'suffix')\" class=\"PrefLink\" "
            "href=\"SliceResults.htm?ShowOnlyDomainExtension=com&CurrentPage=Advanced&id=5\" "
            "target=\"bottomFrame\"> .com </a> &nbsp;(12)<br/></td></tr></table>");
}

TEST(DomainCluster, ShowsTenOfElevenInColumnsOfFive) {
  std::vector<std::string> domains;
  for (int i = 0; i < 11; ++i)
    for (int n = 0; n <= i; ++n) domains.push_back("x" + std::to_string(i));  // x10 most frequent
  TFixture fixture(domains);
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  cluster.Render(1);
  EXPECT_EQ(Occurrences(cluster.Html, "<input "), 10u);
  EXPECT_EQ(cluster.Html.find(".x0 "), std::string::npos);  // the least frequent is left out
  EXPECT_EQ(Occurrences(cluster.Html, "<td width=\"10\"></td>"), 2u);
}

TEST(ExtClusters, ZeroScoreResultsCountNowhere) {
  TFixture fixture({"com", "de"});
  fixture.results.Result(1)->TitleScore = 0;
  fixture.results.Result(1)->DomainClusterIndex = 7;  // from an earlier build
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  ASSERT_EQ(cluster.Items.size(), 1u);
  EXPECT_EQ(cluster.Items[0].Text, "com");
  EXPECT_EQ(fixture.results.Result(1)->DomainClusterIndex, -1);
  cluster.Render(0);
  EXPECT_EQ(cluster.Html.find(".de"), std::string::npos);

  // An empty list keeps the last build.
  TResults empty;
  cluster.Build(empty);
  EXPECT_EQ(cluster.Items.size(), 1u);
}

TEST(FileCluster, OtherIsShownAsWebPagesAndIdsOfExtensionsStartAtTen) {
  TExtTypeGroups groups;
  groups.Groups = {Group("Documents", {"pdf"}, 0)};
  TFixture fixture({"com", "com", "com"}, {"pdf", "other", "other"});
  TFileCluster cluster(&groups);
  cluster.Build(fixture.results);
  cluster.Render(3);
  EXPECT_NE(cluster.Html.find("id=\"FileCluster_Checkbox0\""), std::string::npos);   // the group
  EXPECT_NE(cluster.Html.find("id=\"FileCluster_Checkbox11\""), std::string::npos);  // "other", n = 1
  EXPECT_NE(cluster.Html.find("ShowOnlyFileExtension=other&CurrentPage=Advanced&id=3\" target=\"bottomFrame\">"
                              ".html; .asp; etc.</a>&nbsp;(2)"),
            std::string::npos);
  EXPECT_NE(cluster.Html.find("<td style=\"height:3px; white-space: nowrap;\">"), std::string::npos);
}

TEST(ExtClusters, TwoSessionsKeepTheirOwnCountsOnSharedGroups) {
  TExtTypeGroups groups;
  groups.Groups = {Group("North", {"se", "no"}, 0), Group("South", {"es", "it"}, 1)};
  TFixture north({"se", "no", "se"});
  TFixture south({"es"});
  TDomainCluster first(&groups), second(&groups);
  first.Build(north.results);
  second.Build(south.results);
  first.Render(0);
  second.Render(1);
  EXPECT_EQ(first.GroupCount(0), 3);
  EXPECT_EQ(first.GroupCount(1), 0);
  EXPECT_EQ(second.GroupCount(1), 1);
  EXPECT_EQ(second.GroupOrder(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(groups.Groups[0].Name, "North");  // never reordered
}

TEST(ExtClusters, EngineTextInAnExtensionStaysText) {
  TFixture fixture({"com\"><script>x</script>"});
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  cluster.Render(0);
  EXPECT_EQ(cluster.Html.find("<script>"), std::string::npos);
  EXPECT_NE(cluster.Html.find("value=\"com&quot;&gt;&lt;script&gt;"), std::string::npos);
  EXPECT_NE(cluster.Html.find("ShowOnlyDomainExtension=com%22%3e%3cscript%3e"), std::string::npos);
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
  domain.Render(0);
  file.Build(fixture.results);
  file.Render(0);
  EXPECT_NE(domain.Html.find("> Hidden </a>"), std::string::npos);  // the pane still shows it

  TPageTypes types;
  types.Collect(file, domain);
  EXPECT_EQ(types.Entries.size(), 20u);
  for (const TWordData& entry : types.Entries) EXPECT_NE(entry.Text, "Hidden");
  EXPECT_EQ(types.Entries.front().SearchText, "DomainExt");
  types.Render(4);
  EXPECT_EQ(Occurrences(types.Html, "<a title="), 15u);
  EXPECT_NE(types.Html.find("<a title= \"Show results that belong to file extension 'zzz'\" class=\"PrefLink\" "
                            "href=\"SliceResults.htm?ShowOnlyFileExtension=zzz&CurrentPage=Clusters&id=4 \" "
                            "target=\"bottomFrame\"><ov:PgtWordStartTag_zzz>.zzz<ov:PgtWordEndTag_zzz></a> "
                            "&nbsp;(30)<br/>"),
            std::string::npos);
}

TEST(PredefinedCluster, LinksVisibleProfilesAndNotCustom) {
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
  EXPECT_EQ(pane.Html,
            "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px\">"
            "<tr valign=\"top\"><td></td><td width=\"13\"></td><td><a title= \"Show results for 'Web'\" "
            "class=\"PrefLink\" href=\"selectpredefined?predefinedname=Web&id=<ov:id/>\" target=\"bottomFrame\">"
            "<ov:StartTag_Web>Web<ov:EndTag_Web></a><br/><img alt=\"\" src=\"/images/trans.gif\" width=\"1\" "
            "height=\"3\"/><br/><ov:StartTag_Custom>Custom<ov:EndTag_Custom><br/><img alt=\"\" "
            "src=\"/images/trans.gif\" width=\"1\" height=\"3\"/><br/>\t</td></tr></table>");
}

}  // namespace
}  // namespace orvane
