#include "pages/ResultFilters.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "base/StrUtils.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/ExtClusters.h"
#include "clusters/SessionPanes.h"
#include "pages/MatchRecord.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "words/Profile.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

constexpr int32_t kWordListMark = 3;

std::string WithoutSpaces(const std::string& text) { return ReplaceAll(text, " ", ""); }

bool Contains(std::string_view text, std::string_view needle) {
  return !needle.empty() && text.find(needle) != std::string_view::npos;
}

std::string FirstKeywords(const TFilterState& state) {
  const TTask* first = state.Results.FirstTask();
  return first ? first->Keywords : std::string();
}

// The results holding a word or phrase; none while no word index exists.
std::vector<TResult*> FindWithPhrase(const TFilterState& state, const std::string& phrase, const std::string& color) {
  std::vector<TResult*> found;
  if (state.Panes.AutoWordClusters) state.Panes.AutoWordClusters->FindResultsWithPhrase(phrase, found, color);
  return found;
}

}  // namespace

void ProfileFilter(const TFilterState& state) {
  TResults& results = state.Results;
  const TProfile& profile = state.Profile;
  const TTask* last = results.LastTask();
  const bool siteSearch = last && !last->SiteOnly.empty();
  for (const auto& item : results.List) {
    TResult& result = *item;
    bool visible =
        result.Source.ProfileMark != -1 || (result.Rank.FileMatch && (siteSearch || result.Rank.DomainMatch));
    if (visible &&
        (result.GetTotalRank(results.Profile) == 0 || result.Facts.IsNested ||
         (profile.HomepageOnly && !result.Facts.IsHomePage) || (profile.ExactMatch && result.Rank.ExactMatch != 2)))
      visible = false;
    result.Marks.Visible = visible;
  }
  results.ResetCounts();
}

void NarrowingFilter(const TFilterState& state, const std::vector<TResult*>& found) {
  TResults& results = state.Results;
  const std::unordered_set<const TResult*> holding(found.begin(), found.end());
  const std::string inLink = WithoutSpaces(results.Narrow);
  const std::string color = state.Settings.NarrowColor;
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (!result.Marks.Visible) continue;
    const bool linkHolds = Contains(result.Source.Link, inLink);
    if (linkHolds) result.Marks.HighLights.push_back(THighLightData{color, 2, inLink, nullptr});
    result.Marks.Visible = linkHolds || holding.contains(&result);
  }
  results.ResetCounts();
}

void ExtensionFilter(const TFilterState& state) {
  TResults& results = state.Results;
  const TPreferences& preferences = state.Preferences;
  const TExtCluster& domains = *state.Panes.DomainCluster;
  const TExtCluster& files = *state.Panes.FileCluster;
  std::function<bool(const TResult&)> keeps = [](const TResult&) { return true; };
  if (!preferences.ShowOnlyDomainExtension.empty())
    keeps = [&](const TResult& r) {
      return domains.NameOfIndex(r.Clusters.DomainClusterIndex) == preferences.ShowOnlyDomainExtension;
    };
  else if (!preferences.ShowOnlyFileExtension.empty())
    keeps = [&](const TResult& r) {
      return files.NameOfIndex(r.Clusters.FileClusterIndex) == preferences.ShowOnlyFileExtension;
    };
  else if (!preferences.ShowOnlyDomainExtGroup.empty())
    keeps = [&](const TResult& r) {
      return domains.GroupName(r.Clusters.DomainGroupIndex) == preferences.ShowOnlyDomainExtGroup;
    };
  else if (!preferences.ShowOnlyFileExtGroup.empty())
    keeps = [&](const TResult& r) {
      return files.GroupName(r.Clusters.FileGroupIndex) == preferences.ShowOnlyFileExtGroup;
    };
  for (const auto& result : results.List) result->Marks.Visible = keeps(*result);
  results.ResetCounts();
}

void SliceFilter(const TFilterState& state, const std::string& whatToShow) {
  TResults& results = state.Results;
  if (whatToShow == "Hidden") {
    for (const auto& result : results.List) result->Marks.Visible = !result->Marks.Visible;
  } else {
    for (const auto& item : results.List) {
      const TResult& result = *item;
      bool shown = false;
      if (whatToShow == "Total") shown = true;
      else if (whatToShow == "Nested")
        shown = result.Facts.IsNested;
      else if (whatToShow == "Rank0") shown = result.GetTotalRank(results.Profile) == 0;
      else if (whatToShow == "Homepageonly")
        shown = result.Facts.IsHomePage;
      item->Marks.Visible = shown;
    }
  }
  results.ResetCounts();
}

void MatchFilter(const TFilterState& state, int field, int32_t value) {
  TResults& results = state.Results;
  const TMatchKeywords keywords(results);
  for (const auto& result : results.List)
    result->Marks.Visible = field >= kOneOfThem && field <= kMatchAll && keywords.Of(*result)[field] == value;
  results.ResetCounts();
}

void ClearHighLights(const TFilterState& state) {
  for (const auto& result : state.Results.List) result->Marks.HighLights.clear();
}

void CheckAllDomains(const TFilterState& state) {
  state.Profile.ClearDomains();
  state.Panes.DomainCluster->CollectNames(state.Profile.Domains);
}

void CheckAllFileTypes(const TFilterState& state) {
  state.Profile.ClearFileTypes();
  state.Panes.FileCluster->CollectNames(state.Profile.FileTypes);
}

void ApplyFilter(const TFilterState& state) {
  TResults& results = state.Results;
  const TPreferences& preferences = state.Preferences;
  ClearHighLights(state);
  const bool wordOnly = !preferences.ShowOnlyWord.empty() && results.Narrow.empty();
  if (wordOnly) {
    const std::vector<TResult*> found =
        FindWithPhrase(state, preferences.ShowOnlyWord, state.Settings.RelatedColor);
    for (const auto& result : results.List) result->Marks.Visible = false;
    for (TResult* result : found) {
      result->Marks.Visible = true;
      result->Marks.FilterMark = 1;
    }
    results.ResetCounts();
  } else if (preferences.PreferenceType == "Advanced" || results.Narrow.empty()) {
    ProfileFilter(state);
    if (preferences.PreferenceType == "Advanced" && !results.Narrow.empty())
      state.Panes.RebuildWordClusters(state.Results, state.Profile, FirstKeywords(state), state.Settings.Clusters);
  }
  if (!results.Narrow.empty())
    NarrowingFilter(state, FindWithPhrase(state, results.Narrow, state.Settings.NarrowColor));
}

void WordListFilter(const TFilterState& state, const std::string& keywords, const TLapFunction& lap) {
  TResults& results = state.Results;
  const TProfile& profile = state.Profile;
  state.Panes.PrepareWordClusters(state.Results, state.Settings.Clusters);

  // A mark belongs to this pass only.
  for (const auto& result : results.List) result->Marks.FilterMark = 0;
  auto markable = [](const TResult& result) {
    return result.Marks.Visible && result.Source.ProfileMark == -1 && result.Marks.FilterMark == 0;
  };
  std::vector<TResult*> found;
  for (const std::string& entry : profile.WordStrings)
    state.Panes.AutoWordClusters->FindResultsWithPhrase(entry, found, "");
  int32_t wordResults = 0;
  for (TResult* result : found) {
    if (!markable(*result)) continue;
    result->Marks.FilterMark = kWordListMark;
    ++wordResults;
  }
  results.SearchProfileDicWordsResults = wordResults;

  const TWordList keywordWords = state.SeperateWords.Separate(keywords);
  int32_t urlResults = 0, hostResults = 0;
  for (const auto& item : results.List) {
    TResult& result = *item;
    if (!markable(result)) continue;
    const bool inLink =
        std::any_of(profile.WordStrings.begin(), profile.WordStrings.end(),
                    [&](const std::string& entry) { return Contains(result.Source.Link, WithoutSpaces(entry)); });
    if (inLink) {
      result.Marks.FilterMark = kWordListMark;
      ++urlResults;
    } else if (profile.FindSearchTermsinHost &&
               std::any_of(keywordWords.begin(), keywordWords.end(),
                           [host = result.URI().Host()](const TWord& word) { return Contains(host, word.Text); })) {
      result.Marks.FilterMark = kWordListMark;
      ++hostResults;
    }
  }
  results.DicWordsUrlCount = urlResults;
  results.SearchTermHostResults = hostResults;
  for (const auto& result : results.List)
    if (result->Source.ProfileMark == -1 && result->Marks.FilterMark == 0) result->Marks.Visible = false;
  results.ResetCounts();
  if (lap) lap("Word List Filter ");

  state.Panes.PrepareWordClusters(state.Results, state.Settings.Clusters);
  state.Panes.AutoWordClusters->IgnoreWord(LowerCase(profile.Name));
  state.Panes.SelectWordClusters(keywords, state.Results.Narrow, state.Settings.Clusters);
  if (lap) lap("Auto clusters ");
  state.Panes.BuildWordCluster(state.Profile);
}

void ClosingSort(const TFilterState& state) {
  TResults& results = state.Results;
  const TProfile& profile = state.Profile;
  results.ClearWordListScores();
  if (profile.SortBy != TResults::kByEngineRank && !state.Preferences.ShowOnlyWord.empty())
    results.ScoreWordList(state.Preferences.ShowOnlyWord, state.Settings.Store);
  results.Sort(profile.SortBy);
}

}  // namespace orvane
