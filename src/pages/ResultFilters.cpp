#include "pages/ResultFilters.h"

#include <algorithm>
#include <unordered_set>

#include "base/StrUtils.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/ExtClusters.h"
#include "clusters/SessionPanes.h"
#include "host/GlobalData.h"
#include "pages/MatchRecord.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "words/Profile.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

constexpr int32_t kWordListMark = 3;

std::string WithoutSpaces(const std::string& text) { return ReplaceAll(text, " ", ""); }

bool Contains(const std::string& text, const std::string& needle) {
  return !needle.empty() && text.find(needle) != std::string::npos;
}

std::string FirstKeywords(const TSessionData& session) {
  const TTask* first = session.Results->FirstTask();
  return first ? first->Keywords : std::string();
}

// The results holding a word or phrase; none while no word index exists.
std::vector<TResult*> FindWithPhrase(TSessionData& session, const std::string& phrase, const std::string& color) {
  std::vector<TResult*> found;
  if (session.AutoWordClusters) session.AutoWordClusters->FindResultsWithPhrase(phrase, found, color);
  return found;
}

}  // namespace

void ProfileFilter(TSessionData& session) {
  TResults& results = *session.Results;
  const TProfile& profile = *session.Profile;
  const TTask* last = results.LastTask();
  const bool siteSearch = last && !last->SiteOnly.empty();
  for (const auto& item : results.List) {
    TResult& result = *item;
    bool visible = result.ProfileMark != -1 || (result.FileMatch && (siteSearch || result.DomainMatch));
    if (visible && (result.GetTotalRank(results.Profile) == 0 || result.IsNested ||
                    (profile.HomepageOnly && !result.IsHomePage) || (profile.ExactMatch && result.ExactMatch != 2)))
      visible = false;
    result.Visible = visible;
  }
  results.ResetCounts();
}

void NarrowingFilter(TSessionData& session, const std::vector<TResult*>& found) {
  TResults& results = *session.Results;
  const std::unordered_set<const TResult*> holding(found.begin(), found.end());
  const std::string inLink = WithoutSpaces(results.Narrow);
  const std::string color = Global ? Global->NarrowHighLightColor : std::string();
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (!result.Visible) continue;
    const bool linkHolds = Contains(result.Link, inLink);
    if (linkHolds) result.HighLights.push_back(THighLightData{color, 2, inLink, nullptr});
    result.Visible = linkHolds || holding.contains(&result);
  }
  results.ResetCounts();
}

void ExtensionFilter(TSessionData& session) {
  TResults& results = *session.Results;
  const TPreferences& preferences = *session.Preferences;
  const TExtCluster& domains = *session.DomainCluster;
  const TExtCluster& files = *session.FileCluster;
  std::function<bool(const TResult&)> keeps = [](const TResult&) { return true; };
  if (!preferences.ShowOnlyDomainExtension.empty())
    keeps = [&](const TResult& r) { return domains.NameOfIndex(r.DomainClusterIndex) == preferences.ShowOnlyDomainExtension; };
  else if (!preferences.ShowOnlyFileExtension.empty())
    keeps = [&](const TResult& r) { return files.NameOfIndex(r.FileClusterIndex) == preferences.ShowOnlyFileExtension; };
  else if (!preferences.ShowOnlyDomainExtGroup.empty())
    keeps = [&](const TResult& r) { return domains.GroupName(r.DomainGroupIndex) == preferences.ShowOnlyDomainExtGroup; };
  else if (!preferences.ShowOnlyFileExtGroup.empty())
    keeps = [&](const TResult& r) { return files.GroupName(r.FileGroupIndex) == preferences.ShowOnlyFileExtGroup; };
  for (const auto& result : results.List) result->Visible = keeps(*result);
  results.ResetCounts();
}

void SliceFilter(TSessionData& session, const std::string& whatToShow) {
  TResults& results = *session.Results;
  if (whatToShow == "Hidden") {
    for (const auto& result : results.List) result->Visible = !result->Visible;
  } else {
    for (const auto& item : results.List) {
      const TResult& result = *item;
      bool shown = false;
      if (whatToShow == "Total") shown = true;
      else if (whatToShow == "Nested") shown = result.IsNested;
      else if (whatToShow == "Rank0") shown = result.GetTotalRank(results.Profile) == 0;
      else if (whatToShow == "Homepageonly") shown = result.IsHomePage;
      item->Visible = shown;
    }
  }
  results.ResetCounts();
}

void MatchFilter(TSessionData& session, int field, int32_t value) {
  TResults& results = *session.Results;
  const TMatchKeywords keywords(results);
  for (const auto& result : results.List)
    result->Visible = field >= kOneOfThem && field <= kMatchAll && keywords.Of(*result)[field] == value;
  results.ResetCounts();
}

void ClearHighLights(TSessionData& session) {
  for (const auto& result : session.Results->List) result->HighLights.clear();
}

void CheckAllDomains(TSessionData& session) {
  session.Profile->ClearDomains();
  session.DomainCluster->CollectNames(session.Profile->Domains);
}

void CheckAllFileTypes(TSessionData& session) {
  session.Profile->ClearFileTypes();
  session.FileCluster->CollectNames(session.Profile->FileTypes);
}

void ApplyFilter(TSessionData& session) {
  TResults& results = *session.Results;
  const TPreferences& preferences = *session.Preferences;
  ClearHighLights(session);
  const bool wordOnly = !preferences.ShowOnlyWord.empty() && results.Narrow.empty();
  if (wordOnly) {
    const std::vector<TResult*> found =
        FindWithPhrase(session, preferences.ShowOnlyWord, Global->RelatedWordHighLightColor);
    for (const auto& result : results.List) result->Visible = false;
    for (TResult* result : found) {
      result->Visible = true;
      result->FilterMark = 1;
    }
    results.ResetCounts();
  } else if (preferences.PreferenceType == "Advanced" || results.Narrow.empty()) {
    ProfileFilter(session);
    if (preferences.PreferenceType == "Advanced" && !results.Narrow.empty())
      RebuildWordClusters(session, FirstKeywords(session));
  }
  if (!results.Narrow.empty())
    NarrowingFilter(session, FindWithPhrase(session, results.Narrow, Global->NarrowHighLightColor));
}

void WordListFilter(TSessionData& session, const std::string& keywords, const TLapFunction& lap) {
  TResults& results = *session.Results;
  const TProfile& profile = *session.Profile;
  PrepareWordClusters(session);

  // A mark belongs to this pass only.
  for (const auto& result : results.List) result->FilterMark = 0;
  auto markable = [](const TResult& result) {
    return result.Visible && result.ProfileMark == -1 && result.FilterMark == 0;
  };
  std::vector<TResult*> found;
  for (const std::string& entry : profile.WordStrings)
    session.AutoWordClusters->FindResultsWithPhrase(entry, found, "");
  int32_t wordResults = 0;
  for (TResult* result : found) {
    if (!markable(*result)) continue;
    result->FilterMark = kWordListMark;
    ++wordResults;
  }
  results.SearchProfileDicWordsResults = wordResults;

  const TWordList keywordWords = session.SeperateWords->Separate(keywords);
  int32_t urlResults = 0, hostResults = 0;
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (!markable(result)) continue;
    const bool inLink = std::any_of(profile.WordStrings.begin(), profile.WordStrings.end(),
                                    [&](const std::string& entry) { return Contains(result.Link, WithoutSpaces(entry)); });
    if (inLink) {
      result.FilterMark = kWordListMark;
      ++urlResults;
    } else if (profile.FindSearchTermsinHost && result.URI &&
               std::any_of(keywordWords.begin(), keywordWords.end(),
                           [&](const TWord& word) { return Contains(result.URI->Host, word.Text); })) {
      result.FilterMark = kWordListMark;
      ++hostResults;
    }
  }
  results.DicWordsUrlCount = urlResults;
  results.SearchTermHostResults = hostResults;
  for (const auto& result : results.List)
    if (result->ProfileMark == -1 && result->FilterMark == 0) result->Visible = false;
  results.ResetCounts();
  if (lap) lap("Word List Filter ");

  PrepareWordClusters(session);
  session.AutoWordClusters->IgnoreWord(LowerCase(profile.Name));
  SelectWordClusters(session, keywords);
  if (lap) lap("Auto clusters ");
  BuildWordCluster(session);
}

void ClosingSort(TSessionData& session) {
  TResults& results = *session.Results;
  const TProfile& profile = *session.Profile;
  results.ClearWordListScores();
  if (profile.SortBy != TResults::kByEngineRank && !session.Preferences->ShowOnlyWord.empty())
    results.ScoreWordList(session.Preferences->ShowOnlyWord, Global->XMLManager.get());
  results.Sort(profile.SortBy);
}

}  // namespace orvane
