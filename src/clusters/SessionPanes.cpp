#include "clusters/SessionPanes.h"

#include "clusters/AutoWordClusters.h"
#include "clusters/DeepWordCluster.h"
#include "clusters/ExtClusters.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"
#include "words/Predefined.h"
#include "words/Profile.h"

namespace orvane {

namespace {

const std::vector<std::string>& IgnoreList(const TClusterSettings& settings) {
  static const std::vector<std::string> kNone;
  return settings.IgnoreWords ? *settings.IgnoreWords : kNone;
}

}  // namespace

TSessionPanes::TSessionPanes(const TExtTypeGroups* domainGroups, const TExtTypeGroups* fileGroups,
                             const TPredefined* predefined)
    : PredefinedCluster(std::make_unique<TPredefinedCluster>()),
      DomainCluster(std::make_unique<TDomainCluster>(domainGroups)),
      FileCluster(std::make_unique<TFileCluster>(fileGroups)),
      WordCluster(std::make_unique<TWordCluster>()),
      PageTypes(std::make_unique<TPageTypes>()) {
  BuildSubjectPane(predefined);
}

TSessionPanes::~TSessionPanes() = default;

void TSessionPanes::BuildClusters(TResults& results, TProfile& profile) {
  DomainCluster->Build(results);
  FileCluster->Build(results);
  // A profile without its own extensions starts with every one of the first
  // results checked.
  if (profile.Domains.empty()) DomainCluster->CollectNames(profile.Domains);
  if (profile.FileTypes.empty()) FileCluster->CollectNames(profile.FileTypes);
  PageTypes->Collect(*FileCluster, *DomainCluster);
}

void TSessionPanes::DropWordClusters() {
  DeepWordCluster.reset();
  AutoClusterList.clear();
  AutoWordClusters.reset();
}

void TSessionPanes::DropWordTables() {
  DropWordClusters();
  WordStorage.reset();
}

void TSessionPanes::ReplaceWordStorage(TResults& results) {
  // Everything that points at occurrence records goes before the records.
  DropWordClusters();
  size_t total = 0;
  for (const auto& result : results.List) {
    result->Marks.HighLights.clear();
    total += result->Words.TitleWords.size() + result->Words.DescriptionWords.size();
  }
  // Built again in the same array: nothing points into it any more, and
  // fresh memory of that size would cost a page fault per page.
  if (!WordStorage) WordStorage = std::make_unique<TWordStorage>();
  WordStorage->Build(results, total);
}

void TSessionPanes::PrepareWordClusters(TResults& results, const TClusterSettings& settings) {
  DropWordClusters();
  // Results split before the index existed (loaded ones) get it now.
  if (!WordStorage) ReplaceWordStorage(results);
  auto clusterer = std::make_unique<TAutoWordClusters>(settings.Plural, settings.Debug);
  clusterer->BuildWordTable(results);
  clusterer->Prepare(IgnoreList(settings));
  AutoWordClusters = std::move(clusterer);
}

void TSessionPanes::SelectWordClusters(const std::string& keywords, const std::string& narrow,
                                       const TClusterSettings& settings) {
  TAutoWordClusters& clusterer = *AutoWordClusters;
  clusterer.MarkWords(keywords);
  if (!narrow.empty()) clusterer.MarkWords(narrow);
  clusterer.SelectClusters(AutoClusterList);
  if (settings.DeepWordCluster)
    DeepWordCluster = std::make_unique<TDeepWordCluster>(clusterer, IgnoreList(settings), narrow, keywords,
                                                         AutoClusterList, settings.Plural);
}

void TSessionPanes::RebuildWordClusters(TResults& results, const TProfile& profile, const std::string& keywords,
                                        const TClusterSettings& settings) {
  PrepareWordClusters(results, settings);
  SelectWordClusters(keywords, results.Narrow, settings);
  BuildWordCluster(profile);
}

void TSessionPanes::BuildWordCluster(const TProfile& profile) {
  WordCluster->Clear();
  if (profile.WordList == 1)
    WordCluster->BuildFromAutoClusters(AutoClusterList);
  else if (AutoWordClusters)
    WordCluster->BuildFromProfileWords(profile.Words, *AutoWordClusters);
}

void TSessionPanes::BuildSubjectPane(const TPredefined* predefined) {
  if (!predefined) return;
  const auto guard = predefined->ReadLock();
  PredefinedCluster->BuildPane(predefined->Profiles);
}

}  // namespace orvane
