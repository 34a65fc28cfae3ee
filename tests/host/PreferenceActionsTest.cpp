// The preference and filter actions on a session the engine simulator filled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "clusters/ExtClusters.h"
#include "host/Server.h"
#include "pages/MatchRecord.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane::test {
namespace {

class PreferenceActions : public ::testing::Test {
 protected:
  void SetUp() override {
    pipeline.Get("/search?keywords=glacier+walks+simtotal:300&se=1");
    session = pipeline.Session(0);
    ASSERT_TRUE(session);
    ASSERT_GT(session->Results->Count(), 100u);
  }

  // The request for session 0, and the page it was answered with.
  std::string Page(const std::string& target) {
    return pipeline.Get(target + (target.find('?') == std::string::npos ? "?" : "&") + "id=0").ContentText;
  }
  int Visible() const {
    const auto& list = session->Results->List;
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](const auto& r) { return r->Marks.Visible; }));
  }
  TPreferences& Preferences() const { return *session->Preferences; }
  TProfile& Profile() const { return *session->Profile; }

  TSearchPipeline pipeline;
  TSessionPtr session;
};

bool IsOptionsFrame(const std::string& page) { return page.find("id=\"tab1\"") != std::string::npos; }
bool IsResultsFrame(const std::string& page) { return page.find("id=\"list\"") != std::string::npos; }

TEST_F(PreferenceActions, ChangeOrderSwitchesBetweenEngineOrderAndScore) {
  EXPECT_TRUE(IsOptionsFrame(Page("/changeorder.htm?originalorder=1")));
  EXPECT_EQ(Profile().SortBy, TResults::kByEngineRank);
  EXPECT_EQ(Preferences().PreferenceType, "Clusters");
  const auto& list = session->Results->List;
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                             [](const auto& a, const auto& b) { return a->Source.EngineRank < b->Source.EngineRank; }));
  Page("/changeorder.htm");
  EXPECT_EQ(Profile().SortBy, 0);
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                             [](const auto& a, const auto& b) { return a->Rank.TotalScore > b->Rank.TotalScore; }));
}

TEST_F(PreferenceActions, SliceByExtensionPrefersTheDomainAndChecksTheOtherKind) {
  const TExtCluster& domains = *session->Panes.DomainCluster;
  ASSERT_FALSE(domains.Items.empty());
  const std::string extension = domains.Items.front().Text;
  const int32_t count = domains.Items.front().Count;
  const std::string page =
      Page("/sliceresults.htm?showonlyfileextension=pdf&showonlydomainextension=" + extension + "&currentpage=1");
  EXPECT_TRUE(IsOptionsFrame(page));
  EXPECT_EQ(Preferences().ShowOnlyDomainExtension, extension);
  EXPECT_EQ(Preferences().ShowOnlyFileExtension, "");
  EXPECT_EQ(Preferences().PreferenceType, "Advanced");
  EXPECT_FALSE(Preferences().CheckAllExt);
  EXPECT_EQ(Visible(), count);
  EXPECT_FALSE(Profile().FileTypes.empty());
  EXPECT_TRUE(pipeline.WaitForLog("[SliceResults] showonlydomainextension= " + extension));
  EXPECT_EQ(page.find("<ov:"), std::string::npos);

  Page("/sliceresults.htm?currentpage=0");  // nothing to slice by: every result
  EXPECT_TRUE(Preferences().CheckAllExt);
  EXPECT_EQ(Visible(), static_cast<int>(session->Results->Count()));
}

TEST_F(PreferenceActions, StatisticsSlicesAnswerWithTheResultsFrame) {
  const TMatchKeywords keywords(*session->Results);
  int partial = 0;
  for (const auto& result : session->Results->List)
    if (keywords.Of(*result)[kMatchTitle] == 1) ++partial;
  EXPECT_TRUE(IsResultsFrame(Page("/slicestatisticsresults.htm?ExactMatchTitle=1")));
  EXPECT_EQ(Visible(), partial);
  Page("/slicestatisticsresults.htm?WhatToShow=Hidden");  // the others
  EXPECT_EQ(Visible(), static_cast<int>(session->Results->Count()) - partial);
  Page("/slicestatisticsresults.htm?WhatToShow=Total");
  EXPECT_EQ(Visible(), static_cast<int>(session->Results->Count()));
  EXPECT_EQ(Preferences().WhatToShow, "Total");
  Page("/slicestatisticsresults.htm");  // no slice named: nothing
  EXPECT_EQ(Visible(), 0);
}

TEST_F(PreferenceActions, ThePhraseTestAgreesWithTheMatchRecord) {
  // The search's phrase carries its control word; these keywords are found
  // as a phrase in some results and only word by word in others.
  bool mixed = false;
  for (const char* keywords : {"glacier walks simtotal:300", "glacier walks", "glacier", "", "walks glacier"}) {
    session->Results->FirstTask()->Keywords = keywords;
    const TMatchKeywords match(*session->Results);
    int phrases = 0;
    for (const auto& result : session->Results->List) {
      const bool exact = match.Of(*result)[kOneOfThem] == 2;
      EXPECT_EQ(match.HasPhrase(*result), exact) << keywords << ": " << result->Source.Title;
      phrases += exact;
    }
    EXPECT_EQ(CountMatches(*session->Results, kOneOfThem, 2), phrases) << keywords;
    mixed = mixed || (phrases > 0 && phrases < static_cast<int>(session->Results->Count()));
  }
  EXPECT_TRUE(mixed);
}

TEST_F(PreferenceActions, HomePagesAndExactMatchesOnly) {
  Page("/showotherresults.htm?WhatToShow=Homepageonly");
  EXPECT_TRUE(Profile().HomepageOnly);
  EXPECT_FALSE(Profile().ExactMatch);
  for (const auto& result : session->Results->List) EXPECT_TRUE(!result->Marks.Visible || result->Facts.IsHomePage);
  Page("/showotherresults.htm?ExactMatch=2&currentpage=1");
  EXPECT_TRUE(Profile().ExactMatch);
  EXPECT_FALSE(Profile().HomepageOnly);
  EXPECT_EQ(Preferences().WhatToShow, "ExactMatchAll");
  EXPECT_EQ(Visible(), CountMatches(*session->Results, kOneOfThem, 2));
  Page("/showotherresults.htm");  // no slice and no value: nothing
  EXPECT_EQ(Visible(), 0);
  EXPECT_EQ(Preferences().WhatToShow, "ExactMatchAll");
}

TEST_F(PreferenceActions, SelectWordShowsItsResultsAndTheClustersPageChecksAll) {
  Page("/selectword?showonlyword=glacier&currentpage=Clusters");
  EXPECT_EQ(Preferences().ShowOnlyWord, "glacier");
  EXPECT_TRUE(Preferences().CheckAllExt);
  EXPECT_TRUE(pipeline.WaitForLog("[SelectWord] showonlyword= glacier"));
  EXPECT_GT(Visible(), 0);
  for (const auto& result : session->Results->List) {
    if (!result->Marks.Visible) continue;
    EXPECT_EQ(result->Marks.FilterMark, 1);
    EXPECT_FALSE(result->Marks.HighLights.empty());
  }
  // The closing sort scores the word: the list is in word-list order.
  const auto& list = session->Results->List;
  EXPECT_TRUE(std::all_of(list.begin(), list.end(),
                          [](const auto& r) { return !r->Marks.Visible || r->Rank.WordListScore >= 0; }));
  Page("/selectword?showonlyword=glacier&currentpage=Advanced");
  EXPECT_FALSE(Preferences().CheckAllExt);
}

TEST_F(PreferenceActions, NarrowingKeepsTheResultsWithTheWordAndAnEmptyOneClearsFilters) {
  const std::string profileName = Preferences().ProfileName;
  Page("/findnarrow?narrow=walks&currentpage=0");
  EXPECT_EQ(session->Results->Narrow, "walks");
  EXPECT_GT(Visible(), 0);
  EXPECT_LT(Visible(), static_cast<int>(session->Results->Count()));
  for (const auto& result : session->Results->List)
    EXPECT_TRUE(!result->Marks.Visible || !result->Marks.HighLights.empty());
  EXPECT_NE(Page("/mainframe.htm").find("(results narrowed down by \"walks\")"), std::string::npos);
  Page("/sliceresults.htm?showonlydomainextension=com");
  Page("/findnarrow?narrow=");
  EXPECT_EQ(Preferences().ShowOnlyDomainExtension, "");
  EXPECT_EQ(Preferences().ProfileName, profileName);
}

TEST_F(PreferenceActions, SavedPreferencesBecomeTheCustomProfileAndStayFinite) {
  const std::string page = Page(
      "/savepreferences?suffix=com&suffix=org&fileType=pdf&titlerank=5&descrank=3&urlrank=9&totalrank=10"
      "&exactmatch=on&narrow=");
  EXPECT_TRUE(IsOptionsFrame(page));
  EXPECT_EQ(Preferences().ProfileName, "Custom");
  EXPECT_EQ(Preferences().PreferenceType, "Advanced");
  EXPECT_EQ(Profile().Domains, (std::vector<std::string>{"com", "org"}));
  EXPECT_EQ(Profile().FileTypes, (std::vector<std::string>{"pdf"}));
  EXPECT_DOUBLE_EQ(Profile().TitleRank, 0.5);
  EXPECT_DOUBLE_EQ(Profile().DescRank, 0.3);
  EXPECT_DOUBLE_EQ(Profile().UrlRank, 0.9);
  EXPECT_TRUE(Profile().ExactMatch);
  EXPECT_FALSE(Profile().HomepageOnly);
  EXPECT_EQ(session->Results->LastTask()->SearchProfile, &Profile());
  EXPECT_TRUE(pipeline.WaitForLog("[Preferences] Save complete"));
  // 0.5 of 10 is the level "medium".
  EXPECT_NE(page.find("aria-label=\"Title weight medium\" checked=\"checked\""), std::string::npos);

  // A total of 0 or none counts as 1: the weights stay numbers.
  Page("/savepreferences?titlerank=4&descrank=2&urlrank=1&totalrank=0");
  EXPECT_DOUBLE_EQ(Profile().TitleRank, 4);
  Page("/savepreferences?titlerank=4");
  EXPECT_TRUE(std::isfinite(Profile().TitleRank));
  for (const auto& result : session->Results->List) EXPECT_GE(result->GetTotalRank(&Profile()), 0);
}

TEST_F(PreferenceActions, NewWindowLinksToggleAndPersist) {
  const bool before = Preferences().OpenInNewWindow;
  EXPECT_TRUE(IsOptionsFrame(Page("/changepreferences.htm")));
  EXPECT_EQ(Preferences().OpenInNewWindow, !before);
  EXPECT_EQ(Preferences().PreferenceType, "Data Tools");
  TPreferences stored(Preferences().Folder);
  stored.LoadPreferences();
  EXPECT_EQ(stored.OpenInNewWindow, !before);
}

TEST_F(PreferenceActions, ASubjectProfileSearchesAgainOnceAndAWebsiteProfileDoesNot) {
  pipeline.Simulator.ClearRequests();
  Page("/selectpredefined?predefinedname=News");
  EXPECT_EQ(Preferences().ProfileName, "News");
  EXPECT_EQ(session->Results->Tasks.size(), 2u);
  EXPECT_GT(pipeline.Simulator.Requests().size(), 0u);
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Select Predefined"));

  pipeline.Simulator.ClearRequests();
  Page("/selectpredefined?predefinedname=News");  // its results are here already
  EXPECT_EQ(pipeline.Simulator.Requests().size(), 0u);
  EXPECT_EQ(session->Results->Tasks.size(), 2u);

  Page("/selectpredefined?predefinedname=Web");
  EXPECT_EQ(pipeline.Simulator.Requests().size(), 0u);
  EXPECT_EQ(session->Results->Tasks.size(), 1u);
  EXPECT_TRUE(Preferences().CheckAllExt);

  Page("/selectpredefined?predefinedname=");
  EXPECT_EQ(Preferences().ProfileName, "");
}

TEST(CrossSiteRequests, AreRefusedWithStatus403ForEveryDocumentThatChangesStateOrStartsWork) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:100&se=1");
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_TRUE(session);
  const bool before = session->Preferences->OpenInNewWindow;
  auto get = [](const std::string& target, const std::vector<std::pair<std::string, std::string>>& headers) {
    THttpRequest request;
    request.Method = "GET";
    request.Document = target.substr(0, target.find('?'));
    request.Params = ParseParams(target, "GET", "", "");
    request.RemoteIP = "127.0.0.1";
    request.RawHeaders = headers;
    THttpResponse response;
    TOrvaneServer::CommandGet(request, response);
    return response;
  };
  pipeline.Get("/saveresults?filenametosave=keep&id=0");
  ASSERT_TRUE(std::filesystem::exists(Global->UserDir + "keep.xml"));
  const std::string refused = "Request origin unautorized!";
  const std::string host = "127.0.0.1:8425";
  const size_t requests = pipeline.Simulator.Requests().size();
  const struct { std::string target, header, value; } foreign[] = {
      {"/changepreferences.htm?id=0", "Sec-Fetch-Site", "cross-site"},
      {"/savepreferences?id=0&titlerank=9", "Origin", "http://evil.example"},
      {"/ChangePreferences.htm?id=0", "Origin", "null"},
      {"/saveresults?filenametosave=x&id=0", "Referer", "http://evil.example/a"},
      {"/search?keywords=other+words&se=99", "Referer", "http://evil.example/a"},
      {"/selectpredefined?predefinedname=Shopping&id=0", "Sec-Fetch-Site", "same-site"},
      {"/findnarrow?narrow=glacier&id=0", "Referer", "http://evil.example/a"},
      {"/changeorder.htm?order=1&id=0", "Referer", "http://evil.example/a"},
      {"/selectword?ShowOnlyWord=glacier&id=0", "Referer", "http://evil.example/a"},
      {"/sleep", "Referer", "http://evil.example/a"},
      {"/loadresults?xmlfilename=keep", "Origin", "http://evil.example"},
      {"/deleteresults?xmlfilename=keep&id=0", "Referer", "http://localhost.evil.example:8425/"},
  };
  for (const auto& row : foreign) {
    const THttpResponse response = get(row.target, {{"Host", host}, {row.header, row.value}});
    EXPECT_EQ(response.ResponseNo, 403) << row.target;
    EXPECT_EQ(response.ContentText, refused) << row.target;
  }
  EXPECT_EQ(session->Preferences->OpenInNewWindow, before);
  EXPECT_NE(session->Preferences->ProfileName, "Custom");
  EXPECT_TRUE(session->Results->Narrow.empty());
  EXPECT_TRUE(session->Preferences->ShowOnlyWord.empty());
  EXPECT_FALSE(std::filesystem::exists(Global->UserDir + "x.xml"));
  EXPECT_TRUE(std::filesystem::exists(Global->UserDir + "keep.xml"));
  EXPECT_EQ(pipeline.Simulator.Requests().size(), requests);  // no engine was asked
  EXPECT_EQ(Global->Sessions.size(), 1u);
  // Our own pages, and pages that change nothing, still answer.
  const THttpResponse own = get("/changepreferences.htm?id=0", {{"Host", host}, {"Origin", "http://" + host},
                                                                {"Sec-Fetch-Site", "same-origin"}});
  EXPECT_EQ(own.ResponseNo, 200);
  EXPECT_EQ(session->Preferences->OpenInNewWindow, !before);
  EXPECT_EQ(get("/findnarrow?narrow=glacier&id=0", {{"Host", host}, {"Referer", "http://" + host + "/b.htm"}}).ResponseNo,
            200);
  EXPECT_EQ(session->Results->Narrow, "glacier");
  EXPECT_NE(get("/mainframe.htm?id=0", {{"Host", host}, {"Sec-Fetch-Site", "cross-site"}}).ContentText, refused);
}

TEST(PreferencesIniErrors, ABrokenEngineNumberAnswersWithTheErrorPageAndAddsNoSession) {
  TSearchPipeline pipeline;
  std::ofstream(Global->DataDir + "Preferences.ini") << "[General]\r\nSE=Yahoo\r\n";
  const THttpResponse response = pipeline.Get("/search?keywords=glacier+walks&se=1");
  EXPECT_NE(response.ContentText.find("/Error.htm?Error=\\'Yahoo\\'+is+not+a+valid+integer+value"),
            std::string::npos)
      << response.ContentText;
  EXPECT_TRUE(Global->Sessions.empty());
  EXPECT_TRUE(pipeline.Simulator.Requests().empty());
}

}  // namespace
}  // namespace orvane::test
