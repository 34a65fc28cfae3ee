#include "clusters/ExtClusters.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "search/Results.h"
#include "words/ExtGroups.h"

namespace orvane {

namespace {

constexpr int32_t kMaxEntries = 10;

// The same order as a stable sort by the extension texts, made by buckets:
// a search has few distinct extensions, and comparing texts for every pair
// of results cost more than the clustering itself.
template <typename Extension>
void SortByExtension(TResultList& list, const Extension& extensionOf) {
  std::unordered_map<std::string_view, uint32_t> bucketOf;
  std::vector<std::string_view> names;
  std::vector<uint32_t> buckets(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string_view name = extensionOf(*list[i]);
    const auto [it, added] = bucketOf.try_emplace(name, static_cast<uint32_t>(names.size()));
    if (added) names.push_back(name);
    buckets[i] = it->second;
  }
  std::vector<uint32_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return names[a] < names[b]; });
  // Where each bucket's results start in the sorted list.
  std::vector<size_t> start(names.size());
  std::vector<size_t> counts(names.size(), 0);
  for (uint32_t bucket : buckets) ++counts[bucket];
  size_t next = 0;
  for (uint32_t bucket : order) {
    start[bucket] = next;
    next += counts[bucket];
  }
  TResultList sorted(list.size());
  for (size_t i = 0; i < list.size(); ++i) sorted[start[buckets[i]]++] = std::move(list[i]);
  list = std::move(sorted);
}

}  // namespace

TExtCluster::TExtCluster(TKind kind, const TExtTypeGroups* groups)
    : TWordClusters(groups), kind_(kind), groupCounts_(groups ? groups->Groups.size() : 0, 0) {}

void TExtCluster::Clear() { Items.clear(); }

int32_t TExtCluster::GroupOf(const std::string& extension) const {
  return Groups ? Groups->GroupIndexOf(extension) : -1;
}

const std::string& TExtCluster::ExtensionOf(const TResult& result) const {
  return kind_ == kDomain ? result.Facts.DomainExt : result.Facts.FileExt;
}

int32_t TExtCluster::ClusterIndexOf(const TResult& result) const {
  return kind_ == kDomain ? result.Clusters.DomainClusterIndex : result.Clusters.FileClusterIndex;
}

int32_t TExtCluster::GroupIndexOf(const TResult& result) const {
  return kind_ == kDomain ? result.Clusters.DomainGroupIndex : result.Clusters.FileGroupIndex;
}

void TExtCluster::SetIndexes(TResult& result, int32_t cluster, int32_t group) const {
  (kind_ == kDomain ? result.Clusters.DomainClusterIndex : result.Clusters.FileClusterIndex) = cluster;
  (kind_ == kDomain ? result.Clusters.DomainGroupIndex : result.Clusters.FileGroupIndex) = group;
}

void TExtCluster::Build(TResults& results) {
  if (results.Count() == 0) return;
  Clear();
  std::fill(groupCounts_.begin(), groupCounts_.end(), 0);
  SortByExtension(results.List, [this](const TResult& result) -> const std::string& { return ExtensionOf(result); });

  std::string current = ExtensionOf(*results.Result(0));
  int32_t group = GroupOf(current);
  int32_t run = 0;
  auto closeRun = [&] {
    TPredefinedWord entry;
    entry.Index = static_cast<int32_t>(Items.size());
    entry.Text = current;
    entry.Count = run;
    Items.push_back(std::move(entry));
    if (group >= 0 && group < static_cast<int32_t>(groupCounts_.size())) groupCounts_[group] += run;
  };
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (result.GetTotalRank(results.Profile) == 0) {
      SetIndexes(result, -1, -1);
      continue;
    }
    if (ExtensionOf(result) != current) {
      // Results that were all left out give their extension no entry.
      if (run > 0) closeRun();
      current = ExtensionOf(result);
      group = GroupOf(current);
      run = 0;
    }
    ++run;
    SetIndexes(result, static_cast<int32_t>(Items.size()), group);
  }
  if (run > 0) closeRun();
  OrderByCount();
}

void TExtCluster::OrderByCount() {
  groupOrder_.resize(groupCounts_.size());
  std::iota(groupOrder_.begin(), groupOrder_.end(), 0);
  std::stable_sort(groupOrder_.begin(), groupOrder_.end(),
                   [this](int32_t a, int32_t b) { return groupCounts_[a] > groupCounts_[b]; });
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TWordData& a, const TWordData& b) { return a.Count > b.Count; });
}

std::vector<TPaneEntry> TExtCluster::PaneEntries() const {
  std::vector<TPaneEntry> entries;
  auto full = [&] { return static_cast<int32_t>(entries.size()) >= kMaxEntries; };
  for (int32_t group : groupOrder_) {
    if (full()) break;
    if (groupCounts_[group] == 0) continue;
    const std::string name = GroupName(group);
    entries.push_back({name, name, groupCounts_[group], true, static_cast<int32_t>(entries.size())});
  }
  for (const TPredefinedWord& entry : Items) {
    if (full()) break;
    if (entry.Count == 0 || GroupOf(entry.Text) != -1) continue;
    const std::string display = kind_ == kFile && entry.Text == "other" ? ".html; .asp; etc." : "." + entry.Text;
    entries.push_back({entry.Text, display, entry.Count, false, static_cast<int32_t>(entries.size())});
  }
  return entries;
}

std::string TExtCluster::NameOfIndex(int32_t index) const {
  for (const TPredefinedWord& entry : Items)
    if (entry.Index == index) return entry.Text;
  return "";
}

std::string TExtCluster::GroupName(int32_t index) const { return Groups ? Groups->GroupName(index) : ""; }

int32_t TExtCluster::GroupCount(int32_t index) const {
  return index >= 0 && index < static_cast<int32_t>(groupCounts_.size()) ? groupCounts_[index] : 0;
}

void TExtCluster::CollectNames(std::vector<std::string>& list) const {
  // In the order of the last build; before any, in the groups' own order.
  std::vector<int32_t> order = groupOrder_;
  if (order.size() != groupCounts_.size()) {
    order.resize(groupCounts_.size());
    std::iota(order.begin(), order.end(), 0);
  }
  for (int32_t group : order)
    if (groupCounts_[group] != 0) list.push_back(GroupName(group));
  for (const TPredefinedWord& entry : Items)
    if (entry.Count != 0 && GroupOf(entry.Text) == -1) list.push_back(entry.Text);
}

}  // namespace orvane
