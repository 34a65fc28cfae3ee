#include <gtest/gtest.h>

#include <shared_mutex>
#include <thread>

#include "host/GlobalData.h"
#include "pages/OptionsFrame.h"
#include "pages/ResultsList.h"
#include "pages/TemplateEngine.h"
#include "search/Results.h"
#include "support/TestGlobal.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {
namespace {

using testing::TestGlobal;

class TemplateEngine : public ::testing::Test {
 protected:
  void SetUp() override { global->Data->Version = "2.10.3.7"; }

  void AddTask(const std::string& keywords, const std::string& site = "") {
    auto task = std::make_unique<TTask>();
    task->Keywords = keywords;
    task->SiteOnly = site;
    session.Results->Tasks.push_back(std::move(task));
  }
  void AddResults(int visible, int hidden) {
    for (int i = 0; i < visible + hidden; ++i) {
      auto result = std::make_unique<TResult>();
      result->Source.Title = "title" + std::to_string(i);
      result->Source.Link = "http://example.com/" + std::to_string(i);
      result->Marks.Visible = i < visible;
      session.Results->List.push_back(std::move(result));
    }
  }
  std::string WithSession(const std::string& page, const std::string& text) {
    const TSessionView view = session.View();
    return ReplaceTags(TPageContext{session.Id, &view, 0, "", "", Global->PageSettings()}, page, text);
  }
  std::string WithoutSession(const std::string& page, const std::string& text) {
    TPageContext context;
    context.Settings = Global->PageSettings();
    return ReplaceTags(context, page, text);
  }

  TestGlobal global;
  TSessionData session{7, global->DataDir, true};
};

TEST_F(TemplateEngine, EveryPageGetsIdVersionAndAdminBlock) {
  const std::string text =
      "<ov:id/>|<ov:engine:version/>|<ov:engine:versionformatted/>|<ov:AdminMode>admin</ov:AdminMode>";
  EXPECT_EQ(WithoutSession("main.htm", text), "-1|2.10.3.7|2_10_3_7|<!--admin-->");
  EXPECT_EQ(WithSession("main.htm", text), "7|2.10.3.7|2_10_3_7|<!--admin-->");
  session.Preferences->AdminMode = true;
  EXPECT_EQ(WithSession("main.htm", text), "7|2.10.3.7|2_10_3_7|admin");
  EXPECT_EQ(WithoutSession("main.htm", "<ov:AdminMode>a</ov:AdminMode>b</ov:AdminMode>"), "<!--a-->b-->");
}

TEST_F(TemplateEngine, KeywordTagsNeedASessionAndTakeTheirOwnTask) {
  const std::string text = "<ov:KeywordsJS/>|<ov:KeywordsWithSiteJS/>|<ov:Keywords/>|<ov:EscapedKeywords/>";
  EXPECT_EQ(WithoutSession("results.htm", text), "|||");
  EXPECT_EQ(WithSession("results.htm", text), "|||");  // a session before its first search

  const struct { const char *first, *last, *site, *page, *expected; } rows[] = {
      {"it's", "it's", "", "results.htm", "it\\'s|it\\'s|it's|it's"},
      {"red apple", "pear", "", "results.htm", "red apple|red apple|pear|red+apple"},
      {"red apple", "pear", "example.com", "Results.HTM",
       "red apple|red apple (Searched within site: example.com)|pear|red+apple"},
      {"red apple", "pear", "example.com", "mainframe.htm",
       "red apple|red apple (Searched within site: example.com)|pear|"},
      {"a", "b", "it's.example", "results.htm", "a|a (Searched within site: it\\'s.example)|b|a"},
      // Keywords can never become markup, script or a tag of their own.
      {"x<y & \"z\"", "x<y & \"z\"", "", "results.htm",
       "x\\x3cy \\x26 \\\"z\\\"|x\\x3cy \\x26 \\\"z\\\"|x&lt;y &amp; &quot;z&quot;|x%3cy+%26+%22z%22"},
      {"<ov:id/>", "<ov:AdminMode>", "", "results.htm",
       "\\x3cov:id/\\x3e|\\x3cov:id/\\x3e|&lt;ov:AdminMode&gt;|%3cov%3aid%2f%3e"},
      {"a\\b\r\nc", "a", "", "results.htm", "a\\\\b\\r\\nc|a\\\\b\\r\\nc|a|a%5cb%0d%0ac"},
  };
  for (const auto& row : rows) {
    session.Results->Tasks.clear();
    AddTask(row.first);
    AddTask(row.last, row.site);
    EXPECT_EQ(WithSession(row.page, text), row.expected) << row.first;
  }
}

TEST_F(TemplateEngine, NarrowingCaptionIsFilledByTheLaterPass) {
  const std::string text = "<ov:ShowOnly/>|<ov:Narrow/>|<ov:NarrowJS/>";
  EXPECT_EQ(WithSession("mainframe.htm", text), "||");
  const struct { const char* narrow; const char* expected; } rows[] = {
      {"word", "(results narrowed down by \"word\")|word|word"},
      {"w\"x'", "(results narrowed down by \"w\\\"x\\'\")|w&quot;x'|w\\\"x\\'"},
      {"<ov:id/>", "(results narrowed down by \"\\x3cov:id/\\x3e\")|&lt;ov:id/&gt;|\\x3cov:id/\\x3e"},
  };
  for (const auto& row : rows) {
    session.Results->Narrow = row.narrow;
    EXPECT_EQ(WithSession("mainframe.htm", text), row.expected) << row.narrow;
    EXPECT_EQ(WithoutSession("mainframe.htm", text), "||") << row.narrow;
  }
}

TEST_F(TemplateEngine, ResultsFrameCountsAndEmptyList) {
  const std::string text =
      "<ov:MinResultInPage/>|<ov:MaxResultInPage/>|<ov:results/>|<ov:Paging/>|<ov:TotalResults/>|"
      "<ov:QualifiedResults/>";
  EXPECT_EQ(WithSession("mainframe.htm", text), "0|0|No results found||0|0");
  EXPECT_EQ(WithoutSession("mainframe.htm", text), "|||||");
  AddResults(0, 3);
  EXPECT_EQ(WithSession("mainframe.htm", text), "0|0|No results found||3|0");
  EXPECT_EQ(WithSession("results.htm", text), "|||||");
  session.Results->List.clear();
  AddResults(2, 1);
  const std::string list = GetResultsHTML(*session.Results, *session.Preferences);
  EXPECT_EQ(WithSession("mainframe.htm", text), "||" + list + "||3|2");
  // A template may ask for the list twice, or put it first or last.
  EXPECT_EQ(WithSession("mainframe.htm", "<ov:results/>[<ov:results/>]"), list + "[" + list + "]");
  EXPECT_EQ(WithSession("mainframe.htm", "<ov:results/>"), list);
}

TEST_F(TemplateEngine, ResultsFrameCaptionIsTheFirstFilterThatApplies) {
  const struct { const char *domainGroup, *fileGroup, *domainExt, *fileExt, *word; bool homepageOnly, exactMatch;
      const char* expected; } rows[] = {
      {"", "", "", "", "", false, false, ""},
      {"Europe", "Docs", "de", "pdf", "w", true, true, "(showing results with domain extension group\"Europe\")"},
      {"", "Docs", "de", "pdf", "w", true, true, "(showing results with file extension group\"Docs\")"},
      {"", "", "com", "pdf", "w", true, true, "(showing results with domain extension \"com; co.*\")"},
      {"", "", "co.uk", "pdf", "w", true, true, "(showing results with domain extension \"co.uk\")"},
      {"", "", "", "pdf", "w", true, true, "(showing results with file extension \"pdf\")"},
      {"", "", "", "", "w", true, true, "(showing results with word \"w\")"},
      {"", "", "", "", "", true, true, "(showing only homepage results)"},
      {"", "", "", "", "", false, true, "(showing only exact matches)"},
  };
  for (const auto& row : rows) {
    TPreferences& preferences = *session.Preferences;
    preferences.ShowOnlyDomainExtGroup = row.domainGroup;
    preferences.ShowOnlyFileExtGroup = row.fileGroup;
    preferences.ShowOnlyDomainExtension = row.domainExt;
    preferences.ShowOnlyFileExtension = row.fileExt;
    preferences.ShowOnlyWord = row.word;
    session.Profile->HomepageOnly = row.homepageOnly;
    session.Profile->ExactMatch = row.exactMatch;
    EXPECT_EQ(WithSession("mainframe.htm", "<ov:ShowOnly/>"), row.expected) << row.expected;
    EXPECT_EQ(WithSession("bottomframe.htm", "<ov:ShowOnly/>"), "") << row.expected;
  }
  session.Results->Narrow = "n";
  EXPECT_EQ(WithSession("mainframe.htm", "<ov:ShowOnly/>"), "(results narrowed down by \"n\")");
}

TEST_F(TemplateEngine, UnfilledTagsAreDeletedWhateverTheirCase) {
  AddTask("kw");
  const struct { const char* text; const char* expected; } rows[] = {
      {"a<OV:KEYWORDSJS/>b<ov:Id/>c<ov:keywords/>d", "abcd"},
      {"a <ov:oops\r\nb\r\n <ov:Unknown/> c", "a  c"},
      {"keep</ov:x>this", "keep</ov:x>this"},
      {"<ov:Keywords/><ov:never closed", "kw<ov:never closed"},
      {"<ov:TitleRank:Checked:low/><ov:results/>", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(WithSession("bottomframe.htm", row.text), row.expected) << row.text;
}

TEST(WeightLevel, HalvesGoToTheEvenNeighbour) {
  const struct { double x; const char* level; } rows[] = {
      {0, "no"},       {0.5, "no"},     {1, "low"},   {2.5, "low"},   {3.5, "medium"}, {6.4, "medium"},
      {6.5, "medium"}, {7, "high"},     {10, "high"}, {10.6, ""},     {11, ""},        {-1, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(WeightLevel(row.x), row.level) << row.x;
}

TEST_F(TemplateEngine, OptionsFrameFillsItsControlsFromTheSession) {
  AddTask("  solo  ");
  AddResults(3, 1);
  session.Results->List[1]->Facts.IsHomePage = true;
  TProfile& profile = *session.Profile;
  profile.TotalRank = 10;
  profile.TitleRank = 0.25;  // 2.5: low
  profile.DescRank = 0.35;   // 3.5: medium
  profile.UrlRank = 1.1;     // 11: none
  profile.SortBy = TResults::kByEngineRank;
  profile.RunSearch = true;
  TPreferences& preferences = *session.Preferences;
  preferences.PreferenceType = "Advanced";
  preferences.SE = 2;
  preferences.OpenInNewWindow = true;
  preferences.WhatToShow = "Nested";
  const struct { const char* text; const char* expected; } rows[] = {
      {"<ov:CancelNarrowDisabled/>", "disabled=\"disabled\""},
      {"<ov:SortBySearchEngine:Disabled/>|<ov:SortBySearchEngine:Title/>",
       "disabled=\"disabled\"|Search Engine option is disabled when using non-Website Subjects"},
      {"<ov:TitleRank:Checked:low/>|<ov:DescRank:Checked:medium/>|<ov:DescRank:Checked:low/>|"
       "<ov:UrlRank:Checked:high/>",
       "checked=\"checked\"|checked=\"checked\"||"},
      {"<ov:TotalResults:Value/>|<ov:HomePageOnly:Value/>|<ov:HomePageOnly:Checked/>", "4|1|"},
      // One word, however padded: no exact match option.
      {"<ov:ExactMatch:Disabled/>|<ov:ExactMatch:Title/>",
       "disabled=\"disabled\"|Exact Match Only is disabled because there is only one word in the search term"},
      {"<ov:OriginalOrder:Checked:-1/>|<ov:OriginalOrder:Checked:0/>", "checked=\"checked\"|"},
      {"<ov:prefPage/>|<ov:SearchEngine:Value:2/>|<ov:SearchEngine:Value:0/>|<ov:OpenInNewWindow/>",
       "2|checked=\"checked\"||checked=\"checked\""},
      {"<ov:predefined:other:checked/>|<ov:NestedStartTag/>x<ov:NestedEndTag/>|<ov:TotalStartTag/>",
       "checked=\"checked\"|<b>x</b>|"},
      {"<ov:orderStartTag:Value:-1/>o<ov:orderEndTag:Value:-1/><ov:orderStartTag:Value:0/>", "<b>o</b>"},
      {"<ov:ResultsFileName/>", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(WithSession("bottomframe.htm", row.text), row.expected) << row.text;
  // The options frame's tags belong to it alone.
  EXPECT_EQ(WithSession("mainframe.htm", "<ov:prefPage/><ov:CancelNarrowDisabled/>"), "");
}

// The frames of one session are built at once, each under the shared lock:
// building a page must only read the session.
TEST(TemplateEngineConcurrency, FramesOfOneSessionAreBuiltAtOnce) {
  TestGlobal global;
  TSessionData session{0, global->DataDir, true};
  for (int i = 0; i < 40; ++i) {
    auto result = std::make_unique<TResult>();
    result->Source.Link = "http://example.com/" + std::to_string(i);
    result->Marks.Visible = i % 2 == 0;
    session.Results->List.push_back(std::move(result));
  }
  const auto build = [&session](std::string& out) {
    std::shared_lock guard(session.DataLock);
    const TSessionView view = session.View();
    out = ReplaceTags(TPageContext{0, &view, 0, "", "", Global->PageSettings()}, "mainframe.htm",
                      "<ov:QualifiedResults/>");
  };
  std::string first, second;
  std::thread other([&] { build(second); });
  build(first);
  other.join();
  EXPECT_EQ(first, "20");
  EXPECT_EQ(second, "20");
}

TEST(RemoveUnfilledTags, FromOpeningToTheFirstClosingBracket) {
  const struct { const char* text; const char* expected; } rows[] = {
      {"<ov:a>b<ov:c/>", "b"}, {"<ov:>", ""}, {"<ov:a<ov:b>>", ">"}, {"<Ov:X\n\ny>z", "z"},
      {"< ov:a>", "< ov:a>"},  {"<ovx:a>", "<ovx:a>"}, {"<ov:", "<ov:"}, {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(RemoveUnfilledTags(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// A link that decodes to "<ov:" once made the clearing step cut the markup,
// and a description full of quotes then became attributes of the link.
TEST_F(TemplateEngine, EngineTextNeverBecomesATagOrAnAttribute) {
  AddTask("k");
  auto result = std::make_unique<TResult>();
  result->Source.Title = "t<ov:id/>";
  result->Source.Link = "http://tag.example/<ov:";
  result->SetDescription("\" onmouseover=\"alert(8)\" style=\"position:fixed\" x=\"");
  result->Marks.Visible = true;
  session.Results->List.push_back(std::move(result));
  const std::string html = WithSession("mainframe.htm", "[<ov:results/>]");
  EXPECT_EQ(html,
            "[<a class=\"regtext\" target=\"_blank\" href=\"http://tag.example/&lt;ov:\">t&lt;ov:id/></a><br/>"
            "\" onmouseover=\"alert(8)\" style=\"position:fixed\" x=\"<div class=\"l\">http://tag.example/&lt;ov:</div>"
            "<br/>]");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST_F(TemplateEngine, TheStartPageShowsTheFailureThatSentTheBrowserThere) {
  TPageContext context;
  context.Settings = Global->PageSettings();
  context.Failure = "No search keywords <ov:id/> \"x\"";
  EXPECT_EQ(ReplaceTags(context, "default.htm", "[<ov:Failure/>]"),
            "[<p class=\"failure\" role=\"alert\">No search keywords &lt;ov:id/&gt; &quot;x&quot; <button "
            "type=\"button\" onclick=\"this.parentNode.remove()\">Dismiss</button></p>]");
  EXPECT_EQ(ReplaceTags(context, "main.htm", "[<ov:Failure/>]"), "[]");
  EXPECT_EQ(WithoutSession("default.htm", "[<ov:Failure/>]"), "[]");
}

}  // namespace
}  // namespace orvane
