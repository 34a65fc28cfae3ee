// TSessionPanes: the panes and word tables of one session, rebuilt from its
// results: the extension clusters and page types, the word index with its
// automatic clusters, the word pane and the subject pane. The panes hold
// entries; the options frame renders them. The session owns
// one and calls it with its data lock held exclusively, so a page request
// never reads a half-built pane.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

class TAutoWordClusters;
class TDeepWordCluster;
class TDomainCluster;
class TExtTypeGroups;
class TFileCluster;
class TPageTypes;
class TPlural;
class TPredefined;
class TPredefinedCluster;
class TProfile;
class TResults;
class TWordCluster;
class TWordStorage;
struct TAutoClusterData;

// What the word clusters read of the configuration and the shared tables.
struct TClusterSettings {
  const std::vector<std::string>* IgnoreWords = nullptr;  // null: nothing ignored
  const TPlural* Plural = nullptr;
  bool Debug = false;            // the clusterer logs its tables
  bool DeepWordCluster = false;  // related words for every cluster
};

class TSessionPanes {
 public:
  // The group tables may be null; the subject pane starts from `predefined`.
  TSessionPanes(const TExtTypeGroups* domainGroups, const TExtTypeGroups* fileGroups, const TPredefined* predefined);
  ~TSessionPanes();
  TSessionPanes(const TSessionPanes&) = delete;
  TSessionPanes& operator=(const TSessionPanes&) = delete;

  // Domain and file clusters (each result gets its cluster and group), the
  // profile's default extensions and the page types.
  void BuildClusters(TResults& results, TProfile& profile);

  // Drops the automatic clusterer, its cluster list and the deep cluster:
  // they point at results, so they go before any result is freed.
  void DropWordClusters();
  // Drops the word index too, with everything that points into it.
  void DropWordTables();
  // The word index built again over the words split from the results. The
  // tables and highlight records that pointed into the old one go first.
  void ReplaceWordStorage(TResults& results);

  // A new automatic clusterer over the visible results, prepared with the
  // ignore list; the old one, its cluster list and the deep cluster go.
  void PrepareWordClusters(TResults& results, const TClusterSettings& settings);
  // The cluster list of the prepared clusterer (keywords and narrowing word
  // left out) and, when configured, the related words of each cluster.
  void SelectWordClusters(const std::string& keywords, const std::string& narrow, const TClusterSettings& settings);
  // Both of the above, then the word pane.
  void RebuildWordClusters(TResults& results, const TProfile& profile, const std::string& keywords,
                           const TClusterSettings& settings);

  // The word pane from the cluster list or from the profile's words.
  void BuildWordCluster(const TProfile& profile);
  // The subject pane from the shared profile table.
  void BuildSubjectPane(const TPredefined* predefined);

  // The word storage is declared before everything that points into it, so
  // it is freed last.
  std::unique_ptr<TWordStorage> WordStorage;
  std::unique_ptr<TPredefinedCluster> PredefinedCluster;
  std::unique_ptr<TDomainCluster> DomainCluster;
  std::unique_ptr<TFileCluster> FileCluster;
  std::unique_ptr<TWordCluster> WordCluster;
  std::unique_ptr<TPageTypes> PageTypes;
  std::unique_ptr<TAutoWordClusters> AutoWordClusters;
  std::vector<std::unique_ptr<TAutoClusterData>> AutoClusterList;
  std::unique_ptr<TDeepWordCluster> DeepWordCluster;  // only with the deep setting
};

}  // namespace orvane
