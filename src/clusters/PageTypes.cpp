#include "clusters/PageTypes.h"

#include <algorithm>

#include "base/Escape.h"
#include "base/StrUtils.h"
#include "clusters/ExtClusters.h"
#include "words/ExtGroups.h"

namespace orvane {

namespace {

constexpr size_t kPerCluster = 10;
constexpr int kShown = 15;
constexpr int kColumnLength = 5;

void TakeFrom(const TExtCluster& cluster, std::vector<TWordData>& entries) {
  const bool domain = cluster.Kind() == TExtCluster::kDomain;
  size_t taken = 0;
  for (int32_t group : cluster.GroupOrder()) {
    if (taken == kPerCluster) return;
    const int32_t count = cluster.GroupCount(group);
    if (count < 1 || !cluster.Groups || !cluster.Groups->Groups[group].Visible) continue;
    TWordData entry;
    entry.Index = group;
    entry.Text = cluster.GroupName(group);
    entry.Count = count;
    entry.SearchText = domain ? "DomainExtGroup" : "FileExtGroup";
    entries.push_back(std::move(entry));
    ++taken;
  }
  for (const TWordData& item : cluster.Items) {
    if (taken == kPerCluster) return;
    if (item.Count <= 0 || cluster.GroupOf(item.Text) != -1) continue;
    TWordData entry;
    entry.Index = item.Index;
    entry.Text = item.Text;
    entry.Count = item.Count;
    entry.SearchText = domain ? "DomainExt" : "FileExt";
    entries.push_back(std::move(entry));
    ++taken;
  }
}

}  // namespace

void TPageTypes::Collect(const TExtCluster& fileCluster, const TExtCluster& domainCluster) {
  Entries.clear();
  TakeFrom(domainCluster, Entries);
  TakeFrom(fileCluster, Entries);
}

void TPageTypes::Render(int32_t sessionId) {
  Html = "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px\">"
         "<tr valign=\"top\"><td></td><td width=\"13\"></td><td style=\"white-space: nowrap;\">";
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const TWordData& a, const TWordData& b) { return a.Count > b.Count; });
  int counter = 0;
  for (const TWordData& entry : Entries) {
    if (counter >= kShown) break;
    if (entry.Count == 0) continue;
    const bool group = entry.SearchText.find("Group") != std::string::npos;
    const char* parameter = "ShowOnlyFileExtension";
    const char* kind = "file extension '";
    if (entry.SearchText == "DomainExtGroup") {
      parameter = "ShowOnlyDomainExtensionGroup";
      kind = "domain group '";
    } else if (entry.SearchText == "FileExtGroup") {
      parameter = "ShowOnlyFileExtensionGroup";
      kind = "file extension group '";
    } else if (entry.SearchText == "DomainExt") {
      parameter = "ShowOnlyDomainExtension";
      kind = "domain '";
    }
    // The keys come from the engines' links: they stay text.
    const std::string text = EscapeHTML(entry.Text);
    const std::string display = group ? text : "." + text;
    Html += std::string("<a title= \"Show results that belong to ") + kind + text +
            "'\" class=\"PrefLink\" href=\"SliceResults.htm?" + parameter + "=" + URLEncode(entry.Text) +
            "&CurrentPage=Clusters&id=" + std::to_string(sessionId) + " \" target=\"bottomFrame\"><ov:PgtWordStartTag_" +
            text + ">" + display + "<ov:PgtWordEndTag_" + text + "></a> &nbsp;(" + std::to_string(entry.Count) +
            ")<br/><img alt=\"\" src=\"/images/trans.gif\" width=\"1\" height=\"3\"/><br/>";
    ++counter;
    if (counter % kColumnLength == 0) Html += "</td><td width=\"10\"></td><td style=\"white-space: nowrap;\">";
  }
  Html += "</td></tr></table>";
}

}  // namespace orvane
