#include "pages/TemplateEngine.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "base/Escape.h"
#include "base/Log.h"
#include "base/Regex.h"
#include "base/StrUtils.h"
#include "pages/EngineChoices.h"
#include "pages/FailedPages.h"
#include "pages/OptionsFrame.h"
#include "pages/ResultsList.h"
#include "pages/Statistics.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace {

// The pass list is applied to one text; each pass replaces every occurrence
// of its tag, case-sensitively, left to right.
class TPage {
 public:
  explicit TPage(std::string text) : text_(std::move(text)) {}
  void Replace(const std::string& tag, const std::string& value) { ReplaceAllIn(text_, tag, value); }
  // Replaces `tag` by the results list. A tag that stands once gets the list
  // written straight into the page, so that its 400 KB are written once.
  void ReplaceByResults(std::string_view tag, const TResults& results, const TPreferences& preferences) {
    const size_t at = FindBytes(text_, tag, 0);
    if (at == std::string::npos) return;
    if (FindBytes(text_, tag, at + tag.size()) != std::string::npos) {
      ReplaceAllIn(text_, tag, GetResultsHTML(results, preferences));
      return;
    }
    std::string page = text_.substr(0, at);
    AppendResultsHTML(page, results, preferences);
    page.append(text_, at + tag.size());
    text_.swap(page);
  }
  std::string& Text() { return text_; }

 private:
  std::string text_;
};

void FillCommonTags(const TPageContext& context, const std::string& page, TPage& text) {
  text.Replace("<ov:id/>", std::to_string(context.SessionId));
  const std::string& version = context.Settings.Version;
  text.Replace("<ov:engine:version/>", version);
  text.Replace("<ov:engine:versionformatted/>", ReplaceAll(version, ".", "_"));
  if (page == "default.htm") text.Replace("<ov:AddedEngines:Options/>", AddedEngineOptions(context.Settings.Engines));
  if (page == "bottomframe.htm") text.Replace("<ov:AddedEngines:Radios/>", AddedEngineRadios(context.Settings.Engines));

  const TSessionView* session = context.Session;
  if (session && session->Preferences.AdminMode) {
    text.Replace("<ov:AdminMode>", "");
    text.Replace("</ov:AdminMode>", "");
  } else {
    text.Replace("<ov:AdminMode>", "<!--");
    text.Replace("</ov:AdminMode>", "-->");
  }
  if (!session) return;

  const TResults& results = session->Results;
  const TTask* first = results.FirstTask();
  const TTask* last = results.LastTask();
  const std::string firstKeywords = first ? first->Keywords : "";
  text.Replace("<ov:KeywordsJS/>", EscapeJS(firstKeywords));
  if (last && !last->SiteOnly.empty())
    text.Replace("<ov:KeywordsWithSiteJS/>",
                 EscapeJS(firstKeywords + " (Searched within site: " + last->SiteOnly + ")"));
  else
    text.Replace("<ov:KeywordsWithSiteJS/>", EscapeJS(firstKeywords));
  text.Replace("<ov:Keywords/>", EscapeHTML(last ? last->Keywords : ""));
  if (page == "results.htm") text.Replace("<ov:EscapedKeywords/>", URLEncode(firstKeywords));
  if (!results.Narrow.empty()) {
    text.Replace("<ov:ShowOnly/>", "(results narrowed down by \"<ov:NarrowJS/>\")");
    text.Replace("<ov:Narrow/>", EscapeHTML(results.Narrow));
    text.Replace("<ov:NarrowJS/>", EscapeJS(results.Narrow));
  }
}

// The results frame.
void FillResultsFrame(const TSessionView& session, TPage& text) {
  const TResults& results = session.Results;
  const TPreferences& preferences = session.Preferences;
  // Counted here, not through the results' cached count: the frames of one
  // session are built at the same time under a shared lock, so a page must
  // not write to the session.
  const auto visible = static_cast<int32_t>(std::count_if(results.List.begin(), results.List.end(),
                                                          [](const auto& result) { return result->Marks.Visible; }));
  if (visible == 0) {
    text.Replace("<ov:MinResultInPage/>", "0");
    text.Replace("<ov:MaxResultInPage/>", "0");
    text.Replace("<ov:results/>", "No results found");
    text.Replace("<ov:Paging/>", "");
  }
  text.Replace("<ov:TotalResults/>", std::to_string(results.Count()));
  text.Replace("<ov:QualifiedResults/>", std::to_string(visible));
  if (const TTask* last = results.LastTask()) text.Replace("<ov:FailedPages/>", FailedPagesNotice(last->FailedPages));

  const struct {
    const std::string& value;
    const char* before;
  } captions[] = {
      {preferences.ShowOnlyDomainExtGroup, "(showing results with domain extension group\""},
      {preferences.ShowOnlyFileExtGroup, "(showing results with file extension group\""},
      {preferences.ShowOnlyDomainExtension, "(showing results with domain extension \""},
      {preferences.ShowOnlyFileExtension, "(showing results with file extension \""},
      {preferences.ShowOnlyWord, "(showing results with word \""},
  };
  for (const auto& caption : captions) {
    if (caption.value.empty()) continue;
    const std::string value = &caption.value == &preferences.ShowOnlyDomainExtension && caption.value == "com"
                                  ? "com; co.*"
                                  : caption.value;
    text.Replace("<ov:ShowOnly/>", caption.before + EscapeHTML(value) + "\")");
    break;
  }
  if (session.Profile.HomepageOnly) text.Replace("<ov:ShowOnly/>", "(showing only homepage results)");
  if (session.Profile.ExactMatch) text.Replace("<ov:ShowOnly/>", "(showing only exact matches)");
  // The list goes in last, so that the tags above are looked for in the
  // template only, not in some 400 KB of results. It holds no tag of ours:
  // every "<" of engine text is an entity.
  if (visible > 0) text.ReplaceByResults("<ov:results/>", results, preferences);
}

}  // namespace

std::string RemoveUnfilledTags(std::string text) {
  static const TRegex kAnyTag("<ov:.*?>", TRegex::kCaseless | TRegex::kDotAll);
  kAnyTag.RemoveAllIn(text);
  return text;
}

std::string ReplaceTags(const TPageContext& context, const std::string& pageName, const std::string& pageText) {
  try {
    const std::string page = LowerCase(pageName);
    TPage text(pageText);
    FillCommonTags(context, page, text);
    if (page == "default.htm" && !context.Failure.empty())
      text.Replace("<ov:Failure/>", "<p class=\"failure\" role=\"alert\">" + EscapeHTML(context.Failure) +
                                        " <button type=\"button\" onclick=\"this.parentNode.remove()\">Dismiss</button></p>");
    if (context.Session && page == "mainframe.htm") FillResultsFrame(*context.Session, text);
    if (context.Session && page == "bottomframe.htm") FillOptionsFrame(*context.Session, context.Settings, text.Text());
    if (page == "statistics.htm") {
      if (!context.Session) throw std::runtime_error("No session for the statistics");
      FillStatistics(context.Session->Results, context.Session->Totals, context.PresentationDuration, text.Text());
    }
    if (page == "explainrank.htm") {
      if (!context.Session) throw std::runtime_error("No session for the rank explanation");
      const TSessionView& session = *context.Session;
      FillRankExplanation(session.Results, session.Profile, session.Preferences, context.RankId, text.Text());
    }
    return RemoveUnfilledTags(std::move(text.Text()));
  } catch (const std::exception& e) {
    Log("ReplaceTags", std::string("Exception: ") + e.what());
    return "";
  }
}

}  // namespace orvane
