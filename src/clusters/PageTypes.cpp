#include "clusters/PageTypes.h"

#include <algorithm>

#include "clusters/ExtClusters.h"
#include "words/ExtGroups.h"

namespace orvane {

namespace {

constexpr size_t kPerCluster = 10;

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
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const TWordData& a, const TWordData& b) { return a.Count > b.Count; });
}

}  // namespace orvane
