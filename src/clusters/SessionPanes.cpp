#include "clusters/SessionPanes.h"

#include <memory>

#include "clusters/AutoWordClusters.h"
#include "clusters/DeepWordCluster.h"
#include "clusters/ExtClusters.h"
#include "clusters/IgnoreWords.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"
#include "clusters/WordStorage.h"
#include "host/GlobalData.h"
#include "search/Results.h"
#include "words/Plural.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace {

const std::vector<std::string>& IgnoreList() {
  static const std::vector<std::string> kNone;
  return Global && Global->Data->IgnoreWords ? Global->Data->IgnoreWords->List() : kNone;
}

const TPlural* Plural() { return Global ? Global->Data->Plural.get() : nullptr; }

}  // namespace

void BuildClustersHtml(TSessionData& session) {
  TResults& results = *session.Results;
  TProfile& profile = *session.Profile;
  session.DomainCluster->Build(results);
  session.DomainCluster->Render(session.Id);
  session.FileCluster->Build(results);
  session.FileCluster->Render(session.Id);
  // A profile without its own extensions starts with every one of the first
  // results checked.
  if (profile.Domains.empty()) session.DomainCluster->CollectNames(profile.Domains);
  if (profile.FileTypes.empty()) session.FileCluster->CollectNames(profile.FileTypes);
  session.PageTypes->Collect(*session.FileCluster, *session.DomainCluster);
  session.PageTypes->Render(session.Id);
}

void DropWordClusters(TSessionData& session) {
  session.DeepWordCluster.reset();
  session.AutoClusterList.clear();
  session.AutoWordClusters.reset();
}

void ReplaceWordStorage(TSessionData& session) {
  // Everything that points at occurrence records goes before the records.
  DropWordClusters(session);
  size_t total = 0;
  for (const auto& result : session.Results->List) {
    result->HighLights.clear();
    total += result->TitleWords.size() + result->DescriptionWords.size();
  }
  auto storage = std::make_unique<TWordStorage>();
  storage->Build(*session.Results, total);
  session.WordStorage = std::move(storage);
}

void PrepareWordClusters(TSessionData& session) {
  DropWordClusters(session);
  // Results split before the index existed (loaded ones) get it now.
  if (!session.WordStorage) ReplaceWordStorage(session);
  auto clusterer = std::make_unique<TAutoWordClusters>(Plural(), Global && Global->WordClustersDebug == 1);
  clusterer->BuildWordTable(*session.Results);
  clusterer->Prepare(IgnoreList());
  session.AutoWordClusters = std::move(clusterer);
}

void SelectWordClusters(TSessionData& session, const std::string& keywords) {
  TAutoWordClusters& clusterer = *session.AutoWordClusters;
  clusterer.MarkWords(keywords);
  const std::string& narrow = session.Results->Narrow;
  if (!narrow.empty()) clusterer.MarkWords(narrow);
  clusterer.SelectClusters(session.AutoClusterList);
  if (Global && Global->DeepWordCluster)
    session.DeepWordCluster = std::make_unique<TDeepWordCluster>(clusterer, IgnoreList(), narrow, keywords,
                                                                 session.AutoClusterList, Plural());
}

void RebuildWordClusters(TSessionData& session, const std::string& keywords) {
  PrepareWordClusters(session);
  SelectWordClusters(session, keywords);
  BuildWordCluster(session);
}

void BuildWordCluster(TSessionData& session) {
  TWordCluster& pane = *session.WordCluster;
  pane.Clear();
  if (session.Profile->WordList == 1)
    pane.BuildFromAutoClusters(session.AutoClusterList);
  else if (session.AutoWordClusters)
    pane.BuildFromProfileWords(session.Profile->Words, *session.AutoWordClusters);
  pane.Render(session.Id);
}

void BuildSubjectPane(TSessionData& session) {
  if (!Global || !Global->Predefined) return;
  const auto guard = Global->Predefined->ReadLock();
  session.PredefinedCluster->BuildPane(Global->Predefined->Profiles);
}

}  // namespace orvane
