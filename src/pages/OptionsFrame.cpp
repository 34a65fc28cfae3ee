#include "pages/OptionsFrame.h"

#include <algorithm>
#include <cmath>

#include "base/Escape.h"
#include "base/StrUtils.h"
#include "clusters/ExtClusters.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"
#include "clusters/SessionPanes.h"
#include "pages/ClusterPanes.h"
#include "pages/MatchRecord.h"
#include "pages/ResultsXml.h"
#include "search/Results.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace {

const std::string kChecked = "checked=\"checked\"";
const std::string kDisabled = "disabled=\"disabled\"";

class TReplacer {
 public:
  explicit TReplacer(std::string& text) : text_(text) {}
  void operator()(const std::string& tag, const std::string& value) { ReplaceAllIn(text_, tag, value); }
  // "<b>" and "</b>" around the entry that is chosen, nothing around the others.
  void Bold(const std::string& start, const std::string& end, bool chosen) {
    (*this)(start, chosen ? "<b>" : "");
    (*this)(end, chosen ? "</b>" : "");
  }

 private:
  std::string& text_;
};

int32_t CountHomePages(const TResults& results) {
  return static_cast<int32_t>(std::count_if(results.List.begin(), results.List.end(),
                                            [](const auto& result) { return result->Facts.IsHomePage; }));
}

void CheckExtensionBoxes(const TSessionView& session, TReplacer& replace) {
  const TPreferences& preferences = session.Preferences;
  const TProfile& profile = session.Profile;
  auto checkDomain = [&](const std::string& entry) { replace("<ov:Domain_" + EscapeHTML(entry) + ":Checked:1/>", kChecked); };
  auto checkFile = [&](const std::string& entry) { replace("<ov:File_" + EscapeHTML(entry) + ":Checked:1/>", kChecked); };
  if (preferences.CheckAllExt) {
    for (const std::string& entry : profile.Domains) checkDomain(entry);
    for (const std::string& entry : profile.FileTypes) checkFile(entry);
  } else if (!preferences.ShowOnlyDomainExtension.empty() || !preferences.ShowOnlyDomainExtGroup.empty()) {
    checkDomain(!preferences.ShowOnlyDomainExtension.empty() ? preferences.ShowOnlyDomainExtension
                                                             : preferences.ShowOnlyDomainExtGroup);
    for (const std::string& entry : profile.FileTypes) checkFile(entry);
  } else if (!preferences.ShowOnlyFileExtension.empty() || !preferences.ShowOnlyFileExtGroup.empty()) {
    checkFile(!preferences.ShowOnlyFileExtension.empty() ? preferences.ShowOnlyFileExtension
                                                         : preferences.ShowOnlyFileExtGroup);
    for (const std::string& entry : profile.Domains) checkDomain(entry);
  }
}

// The narrowing, sorting, weight and home-page options.
void FillFilterOptions(const TResults& results, const TProfile& profile, TReplacer& replace) {
  if (results.Narrow.empty()) replace("<ov:CancelNarrowDisabled/>", kDisabled);
  if (profile.RunSearch) {
    replace("<ov:SortBySearchEngine:Disabled/>", kDisabled);
    replace("<ov:SortBySearchEngine:Title/>", "Search Engine option is disabled when using non-Website Subjects");
  } else {
    replace("<ov:SortBySearchEngine:Title/>", "Sort by search engine");
  }

  // The form sends levels on the scale of the total; the weights are stored
  // divided by it.
  const double total = profile.TotalRank;
  replace("<ov:TitleRank:Checked:" + WeightLevel(profile.TitleRank * total) + "/>", kChecked);
  replace("<ov:DescRank:Checked:" + WeightLevel(profile.DescRank * total) + "/>", kChecked);
  replace("<ov:UrlRank:Checked:" + WeightLevel(profile.UrlRank * total) + "/>", kChecked);

  replace("<ov:TotalResults:Value/>", std::to_string(results.Count()));
  replace("<ov:HomePageOnly:Value/>", std::to_string(CountHomePages(results)));
  if (profile.HomepageOnly) replace("<ov:HomePageOnly:Checked/>", kChecked);
}

void FillExactMatch(const TResults& results, const TProfile& profile, TReplacer& replace) {
  const TTask* first = results.FirstTask();
  const std::string keywords = first ? Trim(first->Keywords) : std::string();
  if (keywords.find(' ') == std::string::npos) {
    replace("<ov:ExactMatch:Disabled/>", kDisabled);
    replace("<ov:ExactMatch:Title/>", "Exact Match Only is disabled because there is only one word in the search term");
  } else {
    replace("<ov:ExactMatch:Title/>", "Show exact match only results");
    replace("<ov:ExactMatch:Value/>", std::to_string(CountMatches(results, kOneOfThem, 2)));
    if (profile.ExactMatch) replace("<ov:ExactMatch:Checked/>", kChecked);
  }
}

// The preference page shown, the engine, the window and the saved searches.
void FillPreferenceChoices(const TSessionView& session, const TPageSettings& settings, TReplacer& replace) {
  const TPreferences& preferences = session.Preferences;
  if (preferences.PreferenceType == "Clusters")
    replace("<ov:prefPage/>", "1");
  else if (preferences.PreferenceType == "Advanced")
    replace("<ov:prefPage/>", "2");
  else if (preferences.PreferenceType == "Data Tools")
    replace("<ov:prefPage/>", "3");
  replace("<ov:SearchEngine:Value:" + std::to_string(preferences.SE) + "/>", kChecked);
  if (preferences.OpenInNewWindow) replace("<ov:OpenInNewWindow/>", kChecked);
  // The saved searches list arrives with saving and loading results.
  replace("<ov:ResultsFileName/>", SavedResultsOptions(settings.UserDir, session.SavedResultsName));
}

// The domain, file and page-type panes, the chosen page type in bold.
void FillExtensionPanes(const TSessionView& session, TReplacer& replace) {
  const TPreferences& preferences = session.Preferences;
  replace("<ov:DomainExtensionHTML/>", ExtensionPaneHtml(*session.Panes.DomainCluster, session.Id));
  replace("<ov:FileExtensionHTML/>", ExtensionPaneHtml(*session.Panes.FileCluster, session.Id));
  replace("<ov:PageTypesHTML/>", PageTypesPaneHtml(*session.Panes.PageTypes, session.Id));
  for (const std::string* filter : {&preferences.ShowOnlyDomainExtension, &preferences.ShowOnlyFileExtension,
                                    &preferences.ShowOnlyDomainExtGroup, &preferences.ShowOnlyFileExtGroup}) {
    if (filter->empty()) continue;
    for (const TWordData& entry : session.Panes.PageTypes->Entries)
      replace.Bold("<ov:PgtWordStartTag_" + EscapeHTML(entry.Text) + ">", "<ov:PgtWordEndTag_" + EscapeHTML(entry.Text) + ">",
                   entry.Text == *filter);
    break;
  }
}

// The profile list and the word pane, the chosen ones in bold or checked.
void FillProfilePanes(const TSessionView& session, const TPageSettings& settings, TReplacer& replace) {
  const TPreferences& preferences = session.Preferences;
  replace("<ov:predefined:predefinednamelist/>", SubjectPaneHtml(*session.Panes.PredefinedCluster));
  replace("<ov:id/>", std::to_string(session.Id));
  if (settings.Predefined) {
    const auto guard = settings.Predefined->ReadLock();
    for (const auto& other : settings.Predefined->Profiles)
      replace.Bold("<ov:StartTag_" + other->Name + ">", "<ov:EndTag_" + other->Name + ">",
                   preferences.ProfileName == other->Name);
  }
  CheckExtensionBoxes(session, replace);

  if (!preferences.ProfileName.empty()) {
    replace("<ov:predefined:wordlist/>", WordPaneHtml(*session.Panes.WordCluster, session.Id));
    if (!preferences.ShowOnlyWord.empty())
      for (const TPredefinedWord& word : session.Panes.WordCluster->Items)
        replace.Bold("<ov:WordStartTag_" + word.Text + ">", "<ov:WordEndTag_" + word.Text + ">",
                     word.Text == preferences.ShowOnlyWord);
    replace("<ov:predefined:" + LowerCase(preferences.ProfileName) + ":checked/>", kChecked);
  } else {
    replace("<ov:predefined:other:checked/>", kChecked);
  }
  if (!preferences.WhatToShow.empty()) {
    replace("<ov:" + preferences.WhatToShow + "StartTag/>", "<b>");
    replace("<ov:" + preferences.WhatToShow + "EndTag/>", "</b>");
  }
}

}  // namespace

void FillOptionsFrame(const TSessionView& session, const TPageSettings& settings, std::string& text) {
  TReplacer replace(text);
  const TResults& results = session.Results;
  const TProfile& profile = session.Profile;
  // In this order: the panes bring tags of their own that later steps fill.
  FillFilterOptions(results, profile, replace);
  FillExactMatch(results, profile, replace);
  const bool engineOrder = profile.SortBy == TResults::kByEngineRank;
  replace(engineOrder ? "<ov:OriginalOrder:Checked:-1/>" : "<ov:OriginalOrder:Checked:0/>", kChecked);
  FillPreferenceChoices(session, settings, replace);
  FillExtensionPanes(session, replace);
  FillProfilePanes(session, settings, replace);
  const std::string order = engineOrder ? "-1" : "0";
  replace("<ov:orderStartTag:Value:" + order + "/>", "<b>");
  replace("<ov:orderEndTag:Value:" + order + "/>", "</b>");
}

std::string WeightLevel(double x) {
  if (!std::isfinite(x)) return "";
  const int64_t level = RoundHalfEven(x);
  if (level == 0) return "no";
  if (level >= 1 && level <= 3) return "low";
  if (level >= 4 && level <= 6) return "medium";
  if (level >= 7 && level <= 10) return "high";
  return "";
}

}  // namespace orvane
