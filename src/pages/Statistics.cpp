#include "pages/Statistics.h"

#include <algorithm>
#include <stdexcept>

#include "base/Engines.h"
#include "base/Escape.h"
#include "base/StrUtils.h"
#include "pages/FailedPages.h"
#include "pages/MatchRecord.h"
#include "pages/ResultsList.h"
#include "search/FetchTotals.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "words/Profile.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

void Replace(std::string& text, const std::string& tag, const std::string& value) { ReplaceAllIn(text, tag, value); }

std::string Int(int64_t value) { return std::to_string(value); }

// The tasks keep milliseconds; the pages show seconds.
std::string Seconds(double ms) { return FloatToStr(ms / 1000); }

std::string EngineText(std::string_view value) {
  std::string out;
  AppendEngineText(out, value);
  return out;
}

template <typename Predicate>
int32_t CountResults(const TResults& results, Predicate predicate) {
  return static_cast<int32_t>(
      std::count_if(results.List.begin(), results.List.end(), [&](const auto& result) { return predicate(*result); }));
}

// Counts `needle` in `text`, each search going on after the previous match.
int32_t CountFrom(const std::string& text, const std::string& needle) {
  if (needle.empty()) return 0;
  int32_t count = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
  return count;
}

}  // namespace

std::string EnginePanel(const std::vector<TEngineTally>& tallies) {
  std::string html = "<table id=\"engines\">\n<tr><th>Engine</th><th class=\"num\">Pages asked</th>"
                     "<th class=\"num\">Answered</th><th class=\"num\">HTTP failures</th>"
                     "<th class=\"num\">Results</th><th class=\"num\">Time (s)</th></tr>\n";
  bool any = false;
  for (size_t engine = 0; engine < tallies.size(); ++engine) {
    const TEngineTally& tally = tallies[engine];
    if (tally.PagesAsked == 0) continue;  // took no part
    any = true;
    html += "<tr><td>" + EscapeHTML(EngineName(static_cast<int>(engine))) + "</td><td class=\"num\">" +
            Int(tally.PagesAsked) + "</td><td class=\"num\">" + Int(tally.PagesAnswered) +
            "</td><td class=\"num\">" + Int(tally.HttpFailures) + "</td><td class=\"num\">" +
            Int(tally.ResultsParsed) + "</td><td class=\"num\">" +
            FloatToStr(RoundTo2(static_cast<double>(tally.Seconds))) + "</td></tr>\n";
  }
  if (!any) html += "<tr><td colspan=\"6\">No engine was asked.</td></tr>\n";
  return html + "</table>";
}

std::string MissingEnginesNote(const TResults& results) {
  std::vector<std::string> missing;
  for (const auto& task : results.Tasks)
    if (!task->SE_Name.empty() && EngineIndex(task->SE_Name) < 0 &&
        std::find(missing.begin(), missing.end(), task->SE_Name) == missing.end())
      missing.push_back(task->SE_Name);
  std::string html;
  for (const std::string& name : missing)
    html += "<p class=\"missing-engine\">These results came from " + EscapeHTML(name) +
            ", an engine the data file no longer defines.</p>\n";
  return html;
}

int32_t CountOccurrences(const std::string& word, const std::string& text) {
  return CountFrom(LowerCase(text), LowerCase(word));
}

int32_t CountWordStarts(const std::string& word, const std::string& text) {
  const std::string lower = LowerCase(text);
  const std::string whole = " " + LowerCase(word) + " ";
  const std::string start = whole.substr(0, whole.size() - 1);
  int32_t count = 0;
  size_t from = 0;
  while (true) {
    size_t at = lower.find(whole, from);
    size_t length = whole.size();
    if (at == std::string::npos) {
      at = lower.find(start, from);
      length = start.size();
    }
    if (at == std::string::npos) return count;
    ++count;
    from = at + length;
  }
}

std::string WordListScoring(const TResult& result, const TProfile& profile, const std::vector<TPredefinedWord>& words) {
  struct TCounts {
    int32_t title, description, link;
  };
  std::vector<TCounts> counts;
  int32_t totalTitle = 0, totalDescription = 0, totalLink = 0;
  for (const TPredefinedWord& word : words) {
    auto count = [&](const std::string& text) {
      return word.FirstFlag ? CountWordStarts(word.Text, text) : CountOccurrences(word.Text, text);
    };
    counts.push_back({count(result.Source.Title), count(result.Description()), count(result.Source.Link)});
    totalTitle += counts.back().title;
    totalDescription += counts.back().description;
    totalLink += counts.back().link;
  }
  std::string html = "<table border=0 cellpadding=0 cellspacing=0 class=regtext>";
  html += "<tr><td>Total title occurrences:</td><td>" + Int(totalTitle) + "</td></tr>";
  html += "<tr><td>Total description occurrences:</td><td>" + Int(totalDescription) + "</td></tr>";
  html += "<tr><td>Total link occurrences:</td><td>" + Int(totalLink) + "</td></tr>";
  html += "<tr height=5><td></td></tr>";
  // A share whose total is 0 keeps the value of the word before.
  double titleShare = 0, descriptionShare = 0, linkShare = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const TCounts& c = counts[i];
    if (c.title < 1 && c.description < 1 && c.link < 1) continue;
    html += "<tr><td colspan=2><b>" + EscapeHTML(words[i].Text) + "</b></td></tr>";
    html += "<tr><td>Title occurrences:</td><td>" + Int(c.title) + "</td></tr>";
    html += "<tr><td>Description occurrences:</td><td>" + Int(c.description) + "</td></tr>";
    html += "<tr><td>Link occurrences:</td><td>" + Int(c.link) + "</td></tr>";
    if (totalTitle > 0) titleShare = static_cast<double>(c.title) / totalTitle * profile.TitleRank;
    if (totalDescription > 0) descriptionShare = static_cast<double>(c.description) / totalDescription * profile.DescRank;
    if (totalLink > 0) linkShare = static_cast<double>(c.link) * profile.UrlRank / totalLink;
    auto weightRow = [&](const char* caption, double rank, int32_t count, int32_t total, double share) {
      html += std::string("<tr><td>") + caption + "</td><td>(" + FloatToStr(rank) + " * [" + Int(count) + " / " +
              Int(total) + "] = " + FloatToStr(share) + "</td></tr>";
    };
    weightRow("Title weight:", profile.TitleRank, c.title, totalTitle, titleShare);
    weightRow("Description weight:", profile.DescRank, c.description, totalDescription, descriptionShare);
    weightRow("Link weight:", profile.UrlRank, c.link, totalLink, linkShare);
    html += "<tr height=5><td></td></tr>";
  }
  html += "</table>";
  return html;
}

void FillStatistics(const TResults& results, const TFetchTotals& totals, const std::string& presentationDuration,
                    std::string& text) {
  const TTask* last = results.LastTask();
  if (!last) throw std::runtime_error("The session has no search yet");
  Replace(text, "<ov:Statistics:TotalDuration/>", Seconds(last->TotalDuration) + " sec.");
  Replace(text, "<ov:Statistics:FetchDuration/>",
          FloatToStr(last->FetchDuration) + " sec. (" + Int(last->FetchThreadCount) + " threads)");
  Replace(text, "<ov:Statistics:ParseDuration/>",
          FloatToStr(last->ParseDuration) + " sec. (" + Int(last->ParseThreadCount) + " threads)");
  Replace(text, "<ov:Statistics:RankingDuration/>", Seconds(last->RankDuration) + " sec.");
  Replace(text, "<ov:Statistics:PresentationDuration/>", presentationDuration + " sec.");
  if (text.find("<ov:Statistics:EnginePanel/>") != std::string::npos)
    Replace(text, "<ov:Statistics:EnginePanel/>",
            EnginePanel(totals.EngineTallySnapshot()) + MissingEnginesNote(results) +
                FailedPagesPanel(last->FailedPages));
  Replace(text, "<ov:Statistics:TotalResults/>", Int(results.Count()));
  Replace(text, "<ov:Statistics:ResultsRank0/>",
          Int(CountResults(results, [&](const TResult& r) { return r.GetTotalRank(results.Profile) == 0; })));
  Replace(text, "<ov:Statistics:HiddenResults/>",
          Int(CountResults(results, [](const TResult& r) { return !r.Marks.Visible; })));
  Replace(text, "<ov:Statistics:ProfileResults/>", Int(results.ProfileResultCount()));
  Replace(text, "<ov:Statistics:ProfileDupResults/>", Int(results.ProfileMatchCount));
  Replace(text, "<ov:Statistics:SearchProfileDicWordsResults/>", Int(results.SearchProfileDicWordsResults));
  Replace(text, "<ov:Statistics:SearchTermHostResults/>", Int(results.SearchTermHostResults));
  Replace(text, "<ov:Statistics:DicWordsUrlCount/>", Int(results.DicWordsUrlCount));
  Replace(text, "<ov:Statistics:SENestedResults/>",
          Int(CountResults(results, [](const TResult& r) { return r.Facts.IsNested; })));

  // One pass over the match records for all ten figures.
  const TMatchKeywords keywords(results);
  std::vector<TMatchRecord> records;
  records.reserve(results.List.size());
  for (const auto& result : results.List) records.push_back(keywords.Of(*result));
  auto count = [&](TMatchField field, int32_t value) {
    return Int(std::count_if(records.begin(), records.end(), [&](const TMatchRecord& r) { return r[field] == value; }));
  };
  Replace(text, "<ov:Statistics:ExactMatchTitle/>", count(kMatchTitle, 2));
  Replace(text, "<ov:Statistics:PartialMatchTitle/>", count(kMatchTitle, 1));
  Replace(text, "<ov:Statistics:ExactMatchDescription/>", count(kMatchDescription, 2));
  Replace(text, "<ov:Statistics:PartialMatchDescription/>", count(kMatchDescription, 1));
  Replace(text, "<ov:Statistics:ExactMatchLink/>", count(kMatchLink, 2));
  Replace(text, "<ov:Statistics:PartialMatchLink/>", count(kMatchLink, 1));
  Replace(text, "<ov:Statistics:ExactMatchTitleAndDesctipion/>", count(kMatchTitleAndDescription, 2));
  Replace(text, "<ov:Statistics:ExactMatchLinkAndTitle/>", count(kMatchLinkAndTitle, 2));
  Replace(text, "<ov:Statistics:ExactMatchLinkAndDescription/>", count(kMatchLinkAndDescription, 2));
  Replace(text, "<ov:Statistics:ExactMatchAll/>", count(kMatchAll, 2));
}

void FillRankExplanation(const TResults& results, const TProfile& profile, const TPreferences& preferences,
                         int32_t index, std::string& text) {
  if (index < 0 || static_cast<size_t>(index) >= results.List.size())
    throw std::out_of_range("List index out of bounds (" + Int(index) + ")");
  const TResult& result = *results.List[index];

  Replace(text, "<ov:TitleRank/>", FloatToStr(profile.TitleRank));
  Replace(text, "<ov:DescriptionRank/>", FloatToStr(profile.DescRank));
  Replace(text, "<ov:LinkRank/>", FloatToStr(profile.UrlRank));
  Replace(text, "<ov:TotalRank/>", FloatToStr(profile.TotalRank));
  Replace(text, "<ov:Result:Title/>", EngineText(result.Source.Title));
  Replace(text, "<ov:Result:Description/>", EngineText(result.Description()));
  Replace(text, "<ov:Result:Link/>", EngineText(result.Source.Link));
  Replace(text, "<ov:Result:Rank:Total/>", Int(result.GetTotalRank(&profile)));
  Replace(text, "<ov:Result:Title:Score/>", FloatToStr(result.Rank.TitleScore));
  Replace(text, "<ov:Result:Description:Score/>", FloatToStr(result.Rank.DescriptionScore));
  Replace(text, "<ov:Result:Link:Score/>", FloatToStr(result.Rank.LinkScore));
  Replace(text, "<ov:Result:Rank:Penalty/>", FloatToStr(result.Rank.PathFactor));
  const std::string keep = FloatToStr(1 - profile.ProfileResultMatchPenalty);
  if (profile.RunSearch && !(result.Rank.DomainMatch && result.Rank.FileMatch) && result.Source.ProfileMark != -1)
    Replace(text, "<ov:ProfileResultMatchPenaltyForCalc/>", " * " + keep);
  Replace(text, "<ov:ProfileResultMatchPenalty/>", keep);
  Replace(text, "<ov:Result:WordRank/>", result.Rank.WordListScore == -1 ? "0" : Int(result.Rank.WordListScore));
  Replace(text, "<ov:Result:MetaBoost/>", result.Rank.MetaRank == 101 ? "0" : Int(101 - result.Rank.MetaRank));
  Replace(text, "<ov:Result:MetaBoost:Weight/>", FloatToStr(profile.MetaBoostWeight));
  const TClearArgument cleaner;
  Replace(text, "<ov:Result:Title:Parsed/>", EngineText(cleaner.Clear(result.Source.Title)));
  Replace(text, "<ov:Result:Description:Parsed/>", EngineText(cleaner.Clear(result.Description())));
  Replace(text, "<ov:Result:Link:Parsed/>", EngineText(ExtractSiteName(result.Source.Link, result.Facts.DomainExt)));
  const TMatchRecord match = TMatchKeywords(results).Of(result);
  Replace(text, "<ov:Result:Title:ExactMatch/>", Int(match[kMatchTitle]));
  Replace(text, "<ov:Result:Description:ExactMatch/>", Int(match[kMatchDescription]));
  Replace(text, "<ov:Result:Link:ExactMatch/>", Int(match[kMatchLink]));
  Replace(text, "<ov:Result:All:ExactMatch/>", Int(match[kMatchAll]));
  Replace(text, "<ov:Result:WordListScoring/>", preferences.ProfileName.empty()
                                                     ? "No predefined profile was selected."
                                                     : WordListScoring(result, profile, profile.Words));
  if (!preferences.ShowOnlyWord.empty()) {
    Replace(text, "<ov:ShowOnlyWord/>", EscapeHTML(preferences.ShowOnlyWord));
    Replace(text, "<ov:Word:Link:Position/>", FloatToStr(result.Rank.LinkWordProximity));
    Replace(text, "<ov:Word:Title:Position/>", FloatToStr(result.Rank.TitleWordProximity));
    Replace(text, "<ov:Word:Desc:Position/>", FloatToStr(result.Rank.DescriptionWordProximity));
    Replace(text, "<ov:Word:Link:Weight/>", FloatToStr(profile.UrlRank * result.Rank.LinkWordProximity));
    Replace(text, "<ov:Word:Title:Weight/>", FloatToStr(profile.TitleRank * result.Rank.TitleWordProximity));
    Replace(text, "<ov:Word:Desc:Weight/>", FloatToStr(profile.DescRank * result.Rank.DescriptionWordProximity));
  } else {
    Replace(text, "<ov:EmptyWord>", "<!--");
    Replace(text, "<ov:EmptyWord/>", "-->");
  }
}

}  // namespace orvane
