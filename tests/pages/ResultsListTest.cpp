#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "clusters/WordStorage.h"
#include "pages/ResultsList.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

// A highlight record of a word at a 1-based place; the occurrence is kept
// by the fixture, as the word storage keeps it in a session.
class ResultsList : public ::testing::Test {
 protected:
  TResult& Add(const std::string& title, const std::string& description, const std::string& link) {
    auto result = std::make_unique<TResult>();
    result->Source.Title = title;
    result->SetDescription(description);
    result->Source.Link = link;
    return *results.AddResult(std::move(result));
  }
  void Mark(TResult& result, uint8_t kind, const std::string& word, int32_t position, const std::string& color = "red") {
    // The place is the word list's, as the word index keeps it.
    const TOccurrence* place = nullptr;
    if (position > 0) {
      const bool inDescription = kind == THighLightData::kDescription;
      TWordList& words = inDescription ? result.Words.DescriptionWords : result.Words.TitleWords;
      words.push_back(TWord{word, position});
      auto occurrence = std::make_unique<TOccurrence>();
      occurrence->Result = &result;
      occurrence->InDescription = inDescription;
      occurrence->WordIndex = static_cast<uint32_t>(words.size() - 1);
      place = occurrence.get();
      places.push_back(std::move(occurrence));
    }
    result.Marks.HighLights.push_back(THighLightData{color, kind, word, place});
  }
  std::string Colored(const TResult& result, const std::string& text, uint8_t kind) {
    std::string out;
    Highlight(out, text, kind, result);
    return out;
  }

  TResults results;
  std::vector<std::unique_ptr<TOccurrence>> places;
  testing::ScratchFolder folder;
  TPreferences preferences{folder.Path()};
};

TEST_F(ResultsList, WordsAreColouredAtTheirPlacesOncePerPlace) {
  TResult& result = Add("Jazz piano and jazz", "", "");
  Mark(result, THighLightData::kTitle, "piano", 6);
  Mark(result, THighLightData::kTitle, "piano", 6, "blue");  // same place: one pair
  Mark(result, THighLightData::kTitle, "jazz", 1);
  Mark(result, THighLightData::kDescription, "jazz", 16);  // another text
  EXPECT_EQ(Colored(result, result.Source.Title, THighLightData::kTitle),
            "<font color=\"red\">Jazz</font> <font color=\"red\">piano</font> and jazz");
  // A place past the end closes at the end.
  TResult& shortOne = Add("ab", "", "");
  Mark(shortOne, THighLightData::kTitle, "abcdef", 2);
  EXPECT_EQ(Colored(shortOne, shortOne.Source.Title, THighLightData::kTitle), "a<font color=\"red\">b</font>");
}

TEST_F(ResultsList, LinkRecordsMatchWithoutCaseAndWriteTheStoredWord) {
  TResult& result = Add("Jazz jazz", "", "http://Jazz.example/JAZZ-font");
  Mark(result, THighLightData::kDescription, "jazz", 1);  // no place in the title
  EXPECT_EQ(Colored(result, result.Source.Title, THighLightData::kTitle), "Jazz jazz");
  Mark(result, THighLightData::kLink, "jazz", 0);
  Mark(result, THighLightData::kLink, "font", 0);  // never matches inside our own tags
  EXPECT_EQ(Colored(result, result.Source.Link, THighLightData::kLink),
            "http://<font color=\"red\">jazz</font>.example/<font color=\"red\">jazz</font>-"
            "<font color=\"red\">font</font>");
}

TEST_F(ResultsList, EntriesCarryLinksRanksAndLocations) {
  auto first = std::make_unique<TTask>();
  auto later = std::make_unique<TTask>();
  TTask* firstTask = first.get();
  results.Tasks.push_back(std::move(first));
  results.Tasks.push_back(std::move(later));
  TResult& a = Add("A", "da", "http://a.example/");
  a.Source.Task = firstTask;
  a.Source.EngineRank = 4;
  Add("B", "db", "http://b.example/").Marks.Visible = false;
  TResult& c = Add("C", "dc", "http://c.example/");
  c.Source.Task = results.Tasks.back().get();
  preferences.SEName = "Google";
  EXPECT_EQ(GetResultsHTML(results, preferences),
            "<a class=\"regtext\" href=\"http://a.example/\">A</a><br/>da<div class=\"l\">http://a.example/</div>"
            "(Location 4 on Google)<br/><br/>"
            "<a class=\"regtext\" href=\"http://c.example/\">C</a><br/>dc<div class=\"l\">http://c.example/</div><br/>");
  preferences.AdminMode = true;
  preferences.OpenInNewWindow = true;
  const std::string admin = GetResultsHTML(results, preferences);
  EXPECT_NE(admin.find("<a class=\"regtext\" target=\"_blank\" href=\"http://c.example/\">"), std::string::npos);
  // The hidden result counts in the index.
  EXPECT_NE(admin.find("Orvane rank: <a href=\"#\" onclick=\"ExplainRank(2)\">0</a><br/>"), std::string::npos);
}

TEST_F(ResultsList, NothingAnEngineSendsCanRunScript) {
  for (const char* link : {"javascript:alert(1)", " JavaScript :alert(1)", "java\tscript:x", "DATA:text/html,x",
                           "vbscript:x", "&#106;avascript:alert(4)", "javascript&#58;alert(5)",
                           "java&#x09;script:alert(6)"}) {
    TResults one;
    auto result = std::make_unique<TResult>();
    result->Source.Link = link;
    result->Source.Title = "T";
    one.AddResult(std::move(result));
    const std::string html = GetResultsHTML(one, preferences);
    EXPECT_EQ(html.rfind("<span class=\"regtext\">T</span><br/>", 0), 0u) << link;
    EXPECT_EQ(html.find("href"), std::string::npos) << html;
  }
  // The href holds what the browser reads: entities decoded, then escaped.
  Add("x", "d", "http://a.example/?a=1&amp;b=2&c=3&#39;");
  Add("y", "d", "http://tag.example/<ov:");
  Add("a <script src=//x", "b <img", "http://x/\"onmouseover=\"y");
  const std::string html = GetResultsHTML(results, preferences);
  EXPECT_NE(html.find("href=\"http://x/&quot;onmouseover=&quot;y\""), std::string::npos) << html;
  EXPECT_NE(html.find("a &lt;script src=//x</a>"), std::string::npos);
  EXPECT_NE(html.find("b &lt;img<div"), std::string::npos);
  EXPECT_NE(html.find("href=\"http://a.example/?a=1&amp;b=2&amp;c=3'\""), std::string::npos) << html;
  EXPECT_NE(html.find("href=\"http://tag.example/&lt;ov:\""), std::string::npos) << html;
}

TEST_F(ResultsList, TheRoomMadeForTheListFitsItWithoutGrowing) {
  // A list longer than the least room made: room made short doubles the
  // block, room made far too big has fresh pages cleared for nothing. Either
  // leaves a capacity far from the size.
  auto first = std::make_unique<TTask>();
  TTask* task = first.get();
  results.Tasks.push_back(std::move(first));
  preferences.SEName = "Google";
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    TResult& result = Add("Jazz piano <b>" + n + "</b> and more jazz", "Jazz & piano, lessons <i>for</i> all " + n,
                          "http://jazz" + n + ".example/piano?a=1&b=2&c=" + n);
    result.Source.Task = task;
    result.Source.EngineRank = i + 1;
    Mark(result, THighLightData::kTitle, "jazz", 1);
    Mark(result, THighLightData::kDescription, "piano", 8, "#00ff00");
    Mark(result, THighLightData::kLink, "jazz", 0);
  }
  for (const bool admin : {false, true}) {
    preferences.AdminMode = admin;
    preferences.OpenInNewWindow = admin;
    std::string html = "<p>head</p>";
    AppendResultsHTML(html, results, preferences);
    ASSERT_GT(html.size(), 500000u);
    EXPECT_LT(html.capacity(), html.size() + html.size() / 4) << "admin " << admin;
  }
}

}  // namespace
}  // namespace orvane
