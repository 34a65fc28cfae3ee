#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "clusters/ExtClusters.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"
#include "pages/ClusterPanes.h"
#include "search/Results.h"
#include "words/ExtGroups.h"
#include "words/Profile.h"

namespace orvane {
namespace {

// Results with these domain and file extensions, all with a score.
struct TFixture {
  TFixture(const std::vector<std::string>& domains, const std::vector<std::string>& files) {
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

size_t Occurrences(const std::string& text, const std::string& needle) {
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
  return count;
}

bool Has(const std::string& text, const std::string& needle) { return text.find(needle) != std::string::npos; }

TEST(ExtensionPane, EachEntryIsACheckBoxAndASlicingLinkOfTheSession) {
  TExtTypeGroups groups;
  TWordGroupData documents;
  documents.Name = "Documents";
  documents.Extensions = {"pdf"};
  groups.Groups = {documents};
  TFixture fixture({"com", "com", "de"}, {"pdf", "other", "other"});
  TDomainCluster domains(nullptr);
  TFileCluster files(&groups);
  domains.Build(fixture.results);
  files.Build(fixture.results);

  const std::string domainPane = ExtensionPaneHtml(domains, 5);
  EXPECT_TRUE(Has(domainPane, "name=\"suffix\" value=\"com\" <ov:Domain_com:Checked:1/> id=\"DomainCluster_Checkbox0\""));
  EXPECT_TRUE(Has(domainPane, "href=\"SliceResults.htm?ShowOnlyDomainExtension=com&CurrentPage=Advanced&id=5\""));
  EXPECT_TRUE(Has(domainPane, "> .com </a> &nbsp;(2)<br/>"));
  EXPECT_TRUE(Has(domainPane, "id=\"DomainCluster_Checkbox1\""));  // .de

  // File extensions outside the groups take the ids after the ten of the groups.
  const std::string filePane = ExtensionPaneHtml(files, 3);
  EXPECT_TRUE(Has(filePane, "id=\"FileCluster_Checkbox0\""));   // the group
  EXPECT_TRUE(Has(filePane, "id=\"FileCluster_Checkbox11\""));  // "other", the second line
  EXPECT_TRUE(Has(filePane, "ShowOnlyFileExtensionGroup=Documents&CurrentPage=Advanced&id=3\""));
  EXPECT_TRUE(Has(filePane, "ShowOnlyFileExtension=other&CurrentPage=Advanced&id=3\" target=\"bottomFrame\">"
                            ".html; .asp; etc.</a>&nbsp;(2)"));
}

TEST(ExtensionPane, TenEntriesInColumnsOfFive) {
  std::vector<std::string> domains;
  for (int i = 0; i < 11; ++i)
    for (int n = 0; n <= i; ++n) domains.push_back("x" + std::to_string(i));
  TFixture fixture(domains, {});
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  const std::string html = ExtensionPaneHtml(cluster, 1);
  EXPECT_EQ(Occurrences(html, "<input "), 10u);
  EXPECT_FALSE(Has(html, ".x0 "));
  EXPECT_EQ(Occurrences(html, "<td width=\"10\"></td>"), 2u);
}

TEST(ExtensionPane, EngineTextInAnExtensionStaysText) {
  TFixture fixture({"com\"><script>x</script>"}, {});
  TDomainCluster cluster(nullptr);
  cluster.Build(fixture.results);
  const std::string html = ExtensionPaneHtml(cluster, 0);
  EXPECT_FALSE(Has(html, "<script>"));
  EXPECT_TRUE(Has(html, "value=\"com&quot;&gt;&lt;script&gt;"));
  EXPECT_TRUE(Has(html, "ShowOnlyDomainExtension=com%22%3e%3cscript%3e"));
}

TEST(PageTypesPane, FifteenLinksWithTheirKindAndCount) {
  std::vector<std::string> domains, files;
  for (int i = 0; i < 12; ++i) {
    domains.push_back("d" + std::to_string(i));
    files.push_back("f" + std::to_string(i));
  }
  for (int n = 0; n < 30; ++n) {
    domains.push_back("com");
    files.push_back("zzz");
  }
  TFixture fixture(domains, files);
  TDomainCluster domain(nullptr);
  TFileCluster file(nullptr);
  domain.Build(fixture.results);
  file.Build(fixture.results);
  TPageTypes types;
  types.Collect(file, domain);
  const std::string html = PageTypesPaneHtml(types, 4);
  EXPECT_EQ(Occurrences(html, "<a title="), 15u);
  EXPECT_TRUE(Has(html, "<a title= \"Show results that belong to file extension 'zzz'\" class=\"PrefLink\" "
                        "href=\"SliceResults.htm?ShowOnlyFileExtension=zzz&CurrentPage=Clusters&id=4 \" "
                        "target=\"bottomFrame\"><ov:PgtWordStartTag_zzz>.zzz<ov:PgtWordEndTag_zzz></a> &nbsp;(30)"));
  EXPECT_TRUE(Has(html, "ShowOnlyDomainExtension=com&CurrentPage=Clusters&id=4 "));
}

TEST(WordPane, TenWordsInColumnsOfFiveOrNoWords) {
  TWordCluster pane;
  EXPECT_TRUE(Has(WordPaneHtml(pane, 2), "No Words</td></tr></table>"));
  for (int i = 0; i < 11; ++i)
    pane.Items.push_back(TWordCluster::NewClusterWord("w" + std::to_string(i), 20 - i, "t"));
  const std::string html = WordPaneHtml(pane, 2);
  EXPECT_FALSE(Has(html, "w10"));
  EXPECT_TRUE(Has(html, "<a title= \"t\" target=\"bottomFrame\" class=\"prefLink\" "
                        "href=\"selectword?ShowOnlyWord=w0&CurrentPage=Clusters&id=2\"><ov:WordStartTag_w0>"
                        "w0 (20)<ov:WordEndTag_w0></a><br/>"));
  EXPECT_EQ(Occurrences(html, "<td align=\"Left\""), 2u);
}

TEST(SubjectPane, LinksEveryProfileButTheUsersOwn) {
  TPredefinedCluster pane;
  pane.Names = {"Web", "Custom"};
  const std::string html = SubjectPaneHtml(pane);
  EXPECT_TRUE(Has(html, "<a title= \"Show results for 'Web'\" class=\"PrefLink\" "
                        "href=\"selectpredefined?predefinedname=Web&id=<ov:id/>\" target=\"bottomFrame\">"
                        "<ov:StartTag_Web>Web<ov:EndTag_Web></a>"));
  EXPECT_TRUE(Has(html, "<br/><ov:StartTag_Custom>Custom<ov:EndTag_Custom><br/>"));
  EXPECT_FALSE(Has(html, "predefinedname=Custom"));
}

}  // namespace
}  // namespace orvane
