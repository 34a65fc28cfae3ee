// The preferences-and-filters area of the route table (TPreferenceActions):
// what each action and filter reads from the request and changes in the
// session, and the re-filter step and closing sort that follow them.
//
// Locking: every change holds the session's DataLock exclusively, so the
// frames of the session, built under the shared lock, see either the state
// before an action or the state after it. "selectpredefined" also holds the
// session's SearchLock for its whole run, since it may search again; that
// search takes DataLock only around its own changes.
#include <mutex>
#include <string>

#include "base/StrUtils.h"
#include "clusters/ExtClusters.h"
#include "clusters/SessionPanes.h"
#include "clusters/WordCluster.h"
#include "host/PreferenceActions.h"
#include "host/SearchRequest.h"
#include "pages/MatchRecord.h"
#include "pages/ResultFilters.h"
#include "search/Results.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace {

bool IsClustersPage(const TPreferences& preferences) { return LowerCase(preferences.PreferenceType) == "clusters"; }

// A weight level sent on the scale of the total; a total of 0 (or none)
// counts as 1, so that no weight becomes infinite or NaN.
double Weight(const TParams& params, const char* name, double total) {
  return RoundTo2(GetParamFloat(params, name, 0) / (total == 0 ? 1 : total));
}

}  // namespace

void TPreferenceActions::HandleRequest_SavePreferences() {
  Global->Log("RequestHandler", "Saving preferences");
  TSessionData& session = *Session;
  std::unique_lock guard(session.DataLock);
  TPreferences& preferences = *session.Preferences;
  TProfile& profile = *session.Profile;
  TResults& results = *session.Results;
  preferences.ClearFilters(true, true);
  preferences.SetProfileName("Custom");
  Global->Predefined->SetProfileVisible("Custom", true);
  Global->Predefined->CopyProfile("Custom", profile);
  results.Profile = &profile;
  if (TTask* last = results.LastTask()) last->SearchProfile = &profile;

  profile.ClearDomains();
  profile.ClearFileTypes();
  preferences.SetPreferenceType("Advanced");
  profile.HomepageOnly = false;
  profile.ExactMatch = false;
  for (const std::string& entry : Request.Params) {
    const size_t eq = entry.find('=');
    const std::string name = LowerCase(entry.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
    if (name == "suffix") profile.SetDomain(value, true);
    if (name == "filetype") profile.SetFileType(value, true);
  }
  profile.SortBy = GetParamInt(Request.Params, "originalorder", 0) != 0 ? TResults::kByEngineRank : 0;
  profile.HomepageOnly = !GetParamStr(Request.Params, "homepageonly", "").empty();
  profile.ExactMatch = !GetParamStr(Request.Params, "exactmatch", "").empty();
  profile.TotalRank = GetParamFloat(Request.Params, "totalrank", 0);
  profile.TitleRank = Weight(Request.Params, "titlerank", profile.TotalRank);
  profile.DescRank = Weight(Request.Params, "descrank", profile.TotalRank);
  profile.UrlRank = Weight(Request.Params, "urlrank", profile.TotalRank);
  results.Narrow = GetParamStr(Request.Params, "narrow", "");
  results.Rank(Global->XMLManager.get());
  Global->Log("Preferences", "Writing to database");
  preferences.SavePreferences();
  Global->Log("Preferences", "Save complete");
}

void TPreferenceActions::HandleRequest_SelectPredefined() {
  Global->Log("RequestHandler", "Select Predefined");
  TSessionData& session = *Session;
  std::unique_lock searchGuard(session.SearchLock);
  std::unique_lock guard(session.DataLock);
  TPreferences& preferences = *session.Preferences;
  TProfile& profile = *session.Profile;
  TResults& results = *session.Results;
  const std::string name = GetParamStr(Request.Params, "predefinedname", "");
  preferences.ClearFilters(true, true);
  results.Narrow.clear();
  session.Panes.WordCluster->Clear();
  preferences.SetPreferenceType("Clusters");
  preferences.SetProfileName(name);
  Global->Predefined->CopyProfile(name, profile);
  Global->Predefined->SetProfileVisible("Custom", false);
  if (name.empty() || !results.FirstTask()) return;

  if (!profile.RunSearch) {
    TSearchRequest(Handler).ShowFirstTaskAgain();
    return;
  }
  if (profile.SortBy == TResults::kByEngineRank) profile.SortBy = 0;
  const TTask* last = results.LastTask();
  if (last->Profile && last->Profile->Name == profile.Name) {
    // The results of this subject are here already: filter them again.
    ClearHighLights(Global->FilterState(session));
    if (profile.Domains.empty()) session.Panes.DomainCluster->CollectNames(profile.Domains);
    if (profile.FileTypes.empty()) session.Panes.FileCluster->CollectNames(profile.FileTypes);
    ProfileFilter(Global->FilterState(session));
    WordListFilter(Global->FilterState(session), FirstKeywords(session),
                   [this](const std::string& caption) { TimeLog.Lap(caption, true); });
    results.ClearWordListScores();
    results.Sort(profile.SortBy);
    session.Panes.BuildSubjectPane(Global->Predefined.get());
    session.Panes.BuildWordCluster(*session.Profile);
    return;
  }
  session.Panes.DropWordClusters();
  results.ResetToFirstTask();
  if (results.Tasks.size() > 1) results.DeleteTask(results.Tasks.size() - 1);
  const std::string keywords = results.FirstTask()->Keywords;
  const std::string site = results.FirstTask()->SiteOnly;
  // The engines are asked without DataLock, so the frames stay readable.
  guard.unlock();
  TSearchRequest(Handler).RunSearch(keywords, site, true);
}

void TPreferenceActions::HandleRequest_FindNarrow() {
  TSessionData& session = *Session;
  std::unique_lock guard(session.DataLock);
  session.Preferences->SetPreferenceType(GetParamStr(Request.Params, "currentpage", "0"));
  session.Results->Narrow = GetParamStr(Request.Params, "narrow", "");
  if (session.Results->Narrow.empty()) session.Preferences->ClearFilters(false, true);
}

void TPreferenceActions::HandleRequest_ChangePreferences() {
  TSessionData& session = *Session;
  std::unique_lock guard(session.DataLock);
  session.Preferences->SetOpenInNewWindow(!session.Preferences->OpenInNewWindow);
  session.Preferences->SetPreferenceType("Data Tools");
}

void TPreferenceActions::Filter_SelectWord() {
  TSessionData& session = *Session;
  TPreferences& preferences = *session.Preferences;
  preferences.ClearFilters(false, true);
  session.Results->Narrow.clear();
  preferences.SetShowOnlyWord(GetParamStr(Request.Params, "showonlyword", ""));
  if (!preferences.ShowOnlyWord.empty()) Global->Log("SelectWord", "showonlyword= " + preferences.ShowOnlyWord);
  preferences.SetPreferenceType(GetParamStr(Request.Params, "currentpage", ""));
  preferences.SetCheckAllExt(IsClustersPage(preferences));
}

void TPreferenceActions::Filter_SliceResults() {
  TSessionData& session = *Session;
  TPreferences& preferences = *session.Preferences;
  TProfile& profile = *session.Profile;
  preferences.ClearFilters(false, true);
  session.Results->Narrow.clear();
  const struct {
    const char* parameter;
    void (TPreferences::*set)(const std::string&);
  } kSlices[] = {
      {"showonlydomainextension", &TPreferences::SetShowOnlyDomainExtension},
      {"showonlyfileextension", &TPreferences::SetShowOnlyFileExtension},
      {"showonlydomainextensiongroup", &TPreferences::SetShowOnlyDomainExtGroup},
      {"showonlyfileextensiongroup", &TPreferences::SetShowOnlyFileExtGroup},
  };
  for (const auto& slice : kSlices) {
    const std::string value = GetParamStr(Request.Params, slice.parameter, "");
    if (value.empty()) continue;
    (preferences.*slice.set)(value);
    Global->Log("SliceResults", std::string(slice.parameter) + "= " + value);
    break;
  }
  preferences.SetPreferenceType(GetParamStr(Request.Params, "currentpage", ""));
  preferences.SetCheckAllExt(IsClustersPage(preferences));
  const bool domainFilter = !preferences.ShowOnlyDomainExtension.empty() || !preferences.ShowOnlyDomainExtGroup.empty();
  const bool fileFilter = !preferences.ShowOnlyFileExtension.empty() || !preferences.ShowOnlyFileExtGroup.empty();
  if (!preferences.CheckAllExt && (domainFilter || fileFilter)) {
    // The other kind's boxes all show checked beside the one filtered on.
    profile.HomepageOnly = false;
    profile.ExactMatch = false;
    if (domainFilter)
      CheckAllFileTypes(Global->FilterState(session));
    else
      CheckAllDomains(Global->FilterState(session));
  }
  ExtensionFilter(Global->FilterState(session));
}

void TPreferenceActions::Filter_SliceStatisticsResults() {
  TSessionData& session = *Session;
  TPreferences& preferences = *session.Preferences;
  preferences.ClearFilters(false, true);
  preferences.SetWhatToShow(GetParamStr(Request.Params, "WhatToShow", ""));
  if (!preferences.WhatToShow.empty()) {
    SliceFilter(Global->FilterState(session), preferences.WhatToShow);
    return;
  }
  const struct {
    const char* parameter;
    TMatchField field;
  } kMatches[] = {
      {"ExactMatchTitle", kMatchTitle},
      {"ExactMatchDescription", kMatchDescription},
      {"ExactMatchLink", kMatchLink},
      {"ExactMatchTitleAndDescription", kMatchTitleAndDescription},
      {"ExactMatchLinkAndTitle", kMatchLinkAndTitle},
      {"ExactMatchLinkAndDescription", kMatchLinkAndDescription},
      {"ExactMatchAll", kMatchAll},
  };
  std::string unused;
  for (const auto& match : kMatches) {
    if (!FindParam(Request.Params, match.parameter, unused)) continue;
    MatchFilter(Global->FilterState(session), match.field, GetParamInt(Request.Params, match.parameter, -1));
    return;
  }
  MatchFilter(Global->FilterState(session), -1, -1);
}

void TPreferenceActions::Filter_ShowOtherResults() {
  TSessionData& session = *Session;
  TPreferences& preferences = *session.Preferences;
  TProfile& profile = *session.Profile;
  preferences.ClearFilters(false, true);
  session.Results->Narrow.clear();
  preferences.SetWhatToShow(GetParamStr(Request.Params, "WhatToShow", ""));
  if (!preferences.WhatToShow.empty()) {
    if (preferences.WhatToShow == "Homepageonly") {
      profile.HomepageOnly = true;
      preferences.SetCheckAllExt(true);
      profile.ExactMatch = false;
    }
    SliceFilter(Global->FilterState(session), preferences.WhatToShow);
  } else {
    const int32_t value = GetParamInt(Request.Params, "ExactMatch", -1);
    if (value != -1) {
      profile.ExactMatch = true;
      preferences.SetCheckAllExt(true);
      profile.HomepageOnly = false;
      MatchFilter(Global->FilterState(session), kOneOfThem, value);
    } else {
      MatchFilter(Global->FilterState(session), -1, -1);
    }
    preferences.SetWhatToShow("ExactMatchAll");
  }
  preferences.SetPreferenceType(GetParamStr(Request.Params, "currentpage", "Clusters"));
  if (preferences.CheckAllExt && preferences.PreferenceType == "Advanced") {
    CheckAllDomains(Global->FilterState(session));
    CheckAllFileTypes(Global->FilterState(session));
  }
}

void TPreferenceActions::Filter_ChangeOrder() {
  TSessionData& session = *Session;
  session.Preferences->SetPreferenceType("Clusters");
  session.Profile->SortBy = GetParamInt(Request.Params, "originalorder", 0) != 0 ? TResults::kByEngineRank : 0;
}

void TPreferenceActions::RunFollowUps(unsigned steps) {
  TSessionData& session = *Session;
  if (steps & kRebuildWords) {
    ClearHighLights(Global->FilterState(session));
    session.RebuildWordClusters(FirstKeywords(session));
  }
  if (steps & kRefilter) {
    TResults& results = *session.Results;
    const TPreferences& preferences = *session.Preferences;
    ApplyFilter(Global->FilterState(session));
    if ((steps & kNarrowWordList) && results.Narrow.empty() && session.Profile->RunSearch)
      WordListFilter(Global->FilterState(session), FirstKeywords(session),
                     [this](const std::string& caption) { TimeLog.Lap(caption, true); });
    else if (preferences.ShowOnlyWord.empty() || !results.Narrow.empty())
      session.RebuildWordClusters(FirstKeywords(session));
  }
  if (steps & kClosingSort) ClosingSort(Global->FilterState(session));
  if (steps & kSubjectPane) session.Panes.BuildSubjectPane(Global->Predefined.get());
}

}  // namespace orvane
