// TDomainCluster, TFileCluster: the session's results grouped by domain or
// file extension and by the named extension groups of the data file, and the
// pane of links and check boxes that slices the results by them. Each session
// owns one of each. The group definitions are shared by every session and
// never written: a cluster keeps its own counts and its own order of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clusters/WordClusters.h"

namespace orvane {

class TResult;

class TExtCluster : public TWordClusters {
 public:
  enum TKind { kDomain, kFile };

  TExtCluster(TKind kind, const TExtTypeGroups* groups);

  void Clear() override;
  // Counts the results by extension, leaving out those whose total score is
  // 0, then orders the groups and the entries by descending count. Sorts the
  // results by the extension. An empty list keeps the last build.
  void Build(TResults& results) override;
  // The lines of the pane: the groups first, then the extensions that belong
  // to no group, at most ten in all.
  std::vector<TPaneEntry> PaneEntries() const;

  // The Text of the entry with that Index; empty when there is none.
  std::string NameOfIndex(int32_t index) const;
  // Name of the group with that index; empty when there is none.
  std::string GroupName(int32_t index) const;
  // Appends every group and every extension outside the groups that counted
  // a result: a profile starts with all of them checked.
  void CollectNames(std::vector<std::string>& list) const;

  // Results of the last build in the group with that index.
  int32_t GroupCount(int32_t index) const;
  // Group indexes by descending count, as the last build ordered them.
  const std::vector<int32_t>& GroupOrder() const { return groupOrder_; }
  // The group index of an extension (-1 for none).
  int32_t GroupOf(const std::string& extension) const;

  // The extension and group the cluster slices a result by.
  const std::string& ExtensionOf(const TResult& result) const;
  int32_t ClusterIndexOf(const TResult& result) const;
  int32_t GroupIndexOf(const TResult& result) const;

  TKind Kind() const { return kind_; }

 private:
  void SetIndexes(TResult& result, int32_t cluster, int32_t group) const;
  void OrderByCount();

  TKind kind_;
  std::vector<int32_t> groupCounts_;  // by group index
  std::vector<int32_t> groupOrder_;
};

class TDomainCluster : public TExtCluster {
 public:
  explicit TDomainCluster(const TExtTypeGroups* groups) : TExtCluster(kDomain, groups) {}
};

class TFileCluster : public TExtCluster {
 public:
  explicit TFileCluster(const TExtTypeGroups* groups) : TExtCluster(kFile, groups) {}
};

}  // namespace orvane
