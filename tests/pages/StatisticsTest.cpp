#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/GlobalData.h"
#include "pages/Statistics.h"
#include "pages/TemplateEngine.h"
#include "search/Results.h"
#include "support/TestGlobal.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {
namespace {

using testing::TestGlobal;

TEST(WordCounts, OccurrencesAndWordStarts) {
  EXPECT_EQ(CountOccurrences("jazz", "Jazz and JAZZ, jazzy"), 3);
  EXPECT_EQ(CountOccurrences("aa", "aaaa"), 2);  // never overlapping
  EXPECT_EQ(CountOccurrences("jazz", ""), 0);
  EXPECT_EQ(CountOccurrences("", "jazz"), 0);
  EXPECT_EQ(CountWordStarts("jazz", "best jazzy tunes"), 1);  // begins a longer word
  EXPECT_EQ(CountWordStarts("jazz", "jazz first"), 0);        // no blank before it
  EXPECT_EQ(CountWordStarts("jazz", "a jazz b Jazz"), 2);
  EXPECT_EQ(CountWordStarts("jazz", "the fizzjazz"), 0);
}

TEST(WordListScoring, TotalsThenOneBlockPerWordFound) {
  TProfile profile;
  profile.TitleRank = 0.5;
  profile.DescRank = 0.2;
  profile.UrlRank = 1;
  TPredefinedWord jazz, piano, absent;
  jazz.Text = "jazz";
  piano.Text = "piano";
  absent.Text = "violin";
  TResult result;
  result.Source.Title = "Jazz piano jazz";
  result.SetDescription("piano");
  result.Source.Link = "http://example.com/";
  const std::string html = WordListScoring(result, profile, {jazz, absent, piano});
  EXPECT_EQ(html.rfind("<table border=0 cellpadding=0 cellspacing=0 class=regtext>"
                       "<tr><td>Total title occurrences:</td><td>3</td></tr>"
                       "<tr><td>Total description occurrences:</td><td>1</td></tr>"
                       "<tr><td>Total link occurrences:</td><td>0</td></tr><tr height=5><td></td></tr>"
                       "<tr><td colspan=2><b>jazz</b></td></tr>",
                       0),
            0u)
      << html;
  EXPECT_EQ(html.find("violin"), std::string::npos);
  // 2 of the 3 title occurrences at weight 0.5; no link occurrence keeps 0.
  EXPECT_NE(html.find("<tr><td>Title weight:</td><td>(0.5 * [2 / 3] = 0.333333333333333</td></tr>"), std::string::npos)
      << html;
  EXPECT_NE(html.find("<tr><td>Link weight:</td><td>(1 * [0 / 0] = 0</td></tr>"), std::string::npos);
  EXPECT_NE(html.find("<tr><td>Description weight:</td><td>(0.2 * [1 / 1] = 0.2</td></tr>"), std::string::npos);
  EXPECT_EQ(html.substr(html.size() - 8), "</table>");
}

class InsightPages : public ::testing::Test {
 protected:
  void SetUp() override {
    auto task = std::make_unique<TTask>();
    task->Keywords = "glacier walks";
    task->TotalDuration = 1250;
    task->FetchDuration = 0.4;
    task->FetchThreadCount = 12;
    task->ParseDuration = -1;
    task->RankDuration = 3;
    session.Results->Tasks.push_back(std::move(task));
    Add("Glacier walks in Iceland", "guided tours", "http://tours.example/", true);
    Add("Glacier photos", "walks and glacier walks", "http://photos.example/", false).Facts.IsNested = true;
    Add("Harbour", "boats", "http://www.glacierwalks.example/", true).Facts.IsHomePage = true;
    session.Results->Profile = session.Profile.get();
  }
  TResult& Add(const std::string& title, const std::string& description, const std::string& link, bool visible) {
    auto result = std::make_unique<TResult>();
    result->Source.Title = title;
    result->SetDescription(description);
    result->Source.Link = link;
    result->Facts.DomainExt = "example";
    result->Marks.Visible = visible;
    return *session.Results->AddResult(std::move(result));
  }
  std::string Fill(const std::string& page, const std::string& text, int32_t rankId = 0) {
    const TSessionView view = session.View();
    return ReplaceTags(TPageContext{session.Id, &view, rankId, "0.01 / 3 = 0", "", Global->PageSettings()}, page,
                       text);
  }

  TestGlobal global;
  TSessionData session{3, global->DataDir, true};
};

TEST_F(InsightPages, StatisticsShowTimingsAndCountsEveryResult) {
  EXPECT_EQ(Fill("statistics.htm",
                 "<ov:Statistics:TotalDuration/>|<ov:Statistics:FetchDuration/>|<ov:Statistics:ParseDuration/>|"
                 "<ov:Statistics:RankingDuration/>|<ov:Statistics:PresentationDuration/>"),
            "1.25 sec.|0.4 sec. (12 threads)|-1 sec. (0 threads)|0.003 sec.|0.01 / 3 = 0 sec.");
  EXPECT_EQ(Fill("statistics.htm",
                 "<ov:Statistics:TotalResults/>|<ov:Statistics:HiddenResults/>|<ov:Statistics:SENestedResults/>|"
                 "<ov:Statistics:ResultsRank0/>|<ov:Statistics:ProfileResults/>"),
            "3|1|1|3|0");
  // Exact: the phrase; partial: a keyword only. Hidden results count too.
  EXPECT_EQ(Fill("statistics.htm",
                 "<ov:Statistics:ExactMatchTitle/>|<ov:Statistics:PartialMatchTitle/>|"
                 "<ov:Statistics:ExactMatchDescription/>|<ov:Statistics:ExactMatchLink/>|"
                 "<ov:Statistics:ExactMatchTitleAndDesctipion/>|<ov:Statistics:ExactMatchAll/>"),
            "1|1|1|1|0|0");
  session.Results->Tasks.clear();
  EXPECT_EQ(Fill("statistics.htm", "<ov:Statistics:TotalResults/>"), "");  // no search yet: empty page
}

TEST_F(InsightPages, ExplanationShowsTheTermsOfOneResult) {
  session.Profile->TitleRank = 0.6;
  session.Profile->ProfileResultMatchPenalty = 0.25;
  session.Results->Result(1)->Rank.MetaRank = 96;
  const std::string text =
      "<ov:TitleRank/>|<ov:Result:Title/>|<ov:Result:Title:Parsed/>|<ov:Result:Title:ExactMatch/>|"
      "<ov:Result:Description:ExactMatch/>|<ov:Result:MetaBoost/>|<ov:Result:WordRank/>|"
      "<ov:ProfileResultMatchPenalty/>|<ov:ProfileResultMatchPenaltyForCalc/>|<ov:Result:WordListScoring/>|"
      "<ov:EmptyWord>word<ov:EmptyWord/>";
  EXPECT_EQ(Fill("explainrank.htm", text, 1),
            "0.6|Glacier photos|glacierphotos|1|2|5|0|0.75||No predefined profile was selected.|<!--word-->");
  session.Preferences->ShowOnlyWord = "tours<b>";
  session.Preferences->ProfileName = "Web";
  const std::string word = Fill("explainrank.htm", "<ov:ShowOnlyWord/>|<ov:Result:WordListScoring/>", 0);
  EXPECT_EQ(word.rfind("tours&lt;b&gt;|<table", 0), 0u) << word;
  EXPECT_EQ(Fill("explainrank.htm", text, 3), "");  // no such result
  EXPECT_EQ(Fill("explainrank.htm", text, -1), "");
}

}  // namespace
}  // namespace orvane
