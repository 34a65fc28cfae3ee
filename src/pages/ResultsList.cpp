#include "pages/ResultsList.h"

#include "search/Results.h"
#include "words/Preferences.h"

namespace orvane {

namespace {

// Sized for several hundred results so that appending rarely reallocates.
constexpr size_t kInitialBuffer = 500000;

}  // namespace

std::string GetResultsHTML(const TResults& results, const TPreferences& preferences) {
  std::string html;
  html.reserve(kInitialBuffer);
  const TTask* firstTask = results.FirstTask();
  for (size_t i = 0; i < results.List.size(); ++i) {
    const TResult& result = *results.List[i];
    if (!result.Visible) continue;
    html += preferences.OpenInNewWindow ? "<a class=\"regtext\" target=\"_blank\" href=\"" : "<a class=\"regtext\" href=\"";
    html += result.Link;
    html += "\">";
    // Highlighted words arrive with the word clusters and the narrowing.
    html += result.Title;
    html += "</a><br/>";
    html += result.Description();
    html += "<div class=\"l\">";
    html += result.Link;
    html += "</div>";
    if (preferences.AdminMode) {
      html += "Orvane rank: <a href=\"#\" onclick=\"ExplainRank(";
      html += std::to_string(i);
      html += ")\">";
      html += std::to_string(result.GetTotalRank(results.Profile));
      html += "</a>";
    }
    const bool ofFirstTask = firstTask && result.Task == firstTask;
    if (ofFirstTask) {
      html += "(Location ";
      html += std::to_string(result.EngineRank);
      html += " on ";
      html += preferences.SEName;
      html += ")";
    }
    if (preferences.AdminMode || ofFirstTask) html += "<br/>";
    html += "<br/>";
  }
  html.shrink_to_fit();
  return html;
}

}  // namespace orvane
