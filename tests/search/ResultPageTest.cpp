#include <gtest/gtest.h>


#include "base/OvException.h"
#include "base/Regex.h"
#include "search/ResultPage.h"
#include "search/SearchQuery.h"
#include "search/SearchTestSupport.h"

namespace orvane {
namespace {

using testing::MakePage;
using testing::TBlock;

TEST(ReadResultCount, ReadsThePairThatIsSetAndOnlyPlainNumbers) {
  const auto engine = testing::MakeTestEngine(kGoogle);
  const struct { const char* page; int32_t lastShown, maxResults; } rows[] = {
      {"Results 301 - 350 of about 350", 350, 350},
      {"Results 1 - 1,000 of about 5000", 0, 0},     // separator in the first group: nothing read
      {"Results 901 - 1000 of about 12,000", 1000, 0},  // the total alone is unreadable
      {"Page 3 of 250", 3, 250},
      {"Page 3,1 of 250", 0, 0},
      {"No results for you", 0, 0},
      {"nothing that matches", 0, 0},
      {"RESULTS 1 - 99999999999 of about 5", 0, 0},  // too large for a count
  };
  for (const auto& row : rows) {
    const TResultCount count = ReadResultCount(*engine, row.page);
    EXPECT_EQ(count.LastShown, row.lastShown) << row.page;
    EXPECT_EQ(count.MaxResults, row.maxResults) << row.page;
  }
}

TEST(PageNumbers, FollowTheEnginesCounting) {
  const struct { int engine; int32_t lastShown, pageCount, firstRank; } rows[] = {
      {kGoogle, 350, 4, 301}, {kGoogle, 1000, 10, 901}, {kGoogle, 1001, 11, 1001}, {kGoogle, 0, 0, -99},
      {kYahoo, 100, 1, 1},    {kYahoo, 101, 2, 101},    {kMSN, 3, 3, 201},         {kMSN, 0, 0, -99},
      {kMSN, INT32_MAX, INT32_MAX, INT32_MAX},  // a claim that absurd must not overflow the rank
  };
  for (const auto& row : rows) {
    int32_t pageCount = -1, firstRank = -1;
    PageNumbers(row.engine, row.lastShown, pageCount, firstRank);
    EXPECT_EQ(pageCount, row.pageCount) << row.engine << " " << row.lastShown;
    EXPECT_EQ(firstRank, row.firstRank) << row.engine << " " << row.lastShown;
  }
}

TEST(SplitBlocks, CutsAtEveryMatchAndDropsTheLead) {
  const auto engine = testing::MakeTestEngine(kGoogle);
  using Blocks = std::vector<std::string_view>;
  EXPECT_EQ(SplitBlocks(*engine, "lead<div class=\"r\">A<DIV  class=\"r\">B"), (Blocks{"A", "B"}));
  EXPECT_EQ(SplitBlocks(*engine, "x<div class=\"r\">"), (Blocks{""}));
  EXPECT_TRUE(SplitBlocks(*engine, "no results here").empty());
  // A pattern that can match empty text must still end.
  const TSearchEngines empty("Google", "", "x*", "");
  EXPECT_EQ(SplitBlocks(empty, "ab").size(), 3u);
}

TEST(ParseBlock, TakesTheFirstMatchingPatternAndFillsGaps) {
  const auto engine = testing::MakeTestEngine(kGoogle);
  const struct { const char* block; bool parsed; const char *title, *description, *link; } rows[] = {
      {"<a href=\"http://a.org/x\">T</a> <span class=\"d\">D</span>", true, "T", "D", "http://a.org/x"},
      {"<A HREF=\"http://a.org/x\">T\nU</A>", true, "T\nU", "", "http://a.org/x"},  // second pattern, no span
      {"<a href=\"http://a.org/%7Ex+y\"></a>", true, "http://a.org/~x y", "", "http://a.org/~x y"},
      {"<a href=\"http://a.org/\"><</a><span class=\"d\"><</span>", true, "http://a.org/", "", "http://a.org/"},
      {"<a href=\"\">T</a>", false, "T", "", ""},
      {"plain text", false, "", "", ""},
  };
  for (const auto& row : rows) {
    const TBlockFields fields = ParseBlock(*engine, row.block);
    EXPECT_EQ(fields.Parsed, row.parsed) << row.block;
    EXPECT_EQ(fields.Title, row.title) << row.block;
    EXPECT_EQ(fields.Description, row.description) << row.block;
    EXPECT_EQ(fields.Link, row.link) << row.block;
  }
  EXPECT_THROW(ParseBlock(*engine, "<a href=\"http://a.org/100%\">T</a>"), TOvException);
  EXPECT_THROW(ParseBlock(*engine, "<a href=\"http://a.org/%zz\">T</a>"), TOvException);
}

TEST(NormaliseLink, CleansAndRejectsEngineLinks) {
  const struct { int engine; const char* link; bool accepted; const char* result; } rows[] = {
      {kGoogle, " <b>www.a.org</b>/x\"\" \r\n", true, "www.a.org/x"},
      {kGoogle, "/url?q=http://a.org/", false, ""},
      {kMSN, "/url?q=http://a.org/", true, "/url?q=http://a.org/"},
      {kYahoo, "http://click.yahoo.com/click?u=http://a.org/p&y=123&z", true, "http://a.org/p"},
      {kYahoo, "http://track.yahoo.com/click?u=http://b.org/&y=", true, "http://b.org/"},
      {kYahoo, "http://click.yahoo.com/click?u=http://a.org/p", false, ""},
      {kYahoo, "http://click.yahoo.com/click?u=&y=1", false, ""},
      {kGoogle, "http://click.yahoo.com/click?u=http://a.org/p", true, "http://click.yahoo.com/click?u=http://a.org/p"},
      {kGoogle, "<b></b>", false, ""},
      {kMSN, "", false, ""},
  };
  for (const auto& row : rows) {
    std::string link = row.link;
    EXPECT_EQ(NormaliseLink(row.engine, link), row.accepted) << row.link;
    if (row.accepted) {
      EXPECT_EQ(link, row.result) << row.link;
    }
  }
}

TEST(CleanDescription, RemovesEngineNotesAndTags) {
  const std::pair<const char*, const char*> rows[] = {
      {"[ Translate this page ] Real <b>text</b>", " Real text"},
      {"<b>File Format:</b> PDF/Adobe Acrobat - <a>View as HTML</a><br>Summary", "Summary"},
      {"line one\nTranslate this page ]", "line one\n"},  // "." stops at line breaks
      {"a < b and c > d", "a  d"},
  };
  for (const auto& [text, cleaned] : rows) EXPECT_EQ(CleanDescription(text), cleaned) << text;
}

// The cleaning takes short cuts around its patterns; on texts built to trip
// them it must give what the patterns alone give.
TEST(CleanDescription, ShortCutsGiveWhatThePatternsGive) {
  const TRegex translate(".*?translate this page.*?]", TRegex::kCaseless);
  const TRegex fileFormat(".*?file format:.*?<br>", TRegex::kCaseless);
  const TRegex tag("<.*?>", TRegex::kCaseless);
  const TRegex anyTag("<.*?>", TRegex::kStandard);
  const std::string rows[] = {
      "",
      "plain text",
      "<",
      ">",
      "<>",
      "a < b",
      "a <b> c < d",
      "<<b>>",
      "a <b\nc> d <e> f",
      "x <a\rb> y",
      "x <a\0b> <c>",
      "TRANSLATE THIS PAGE] tail",
      "Translate this page but no bracket",
      "tr] Translate this pag",
      "one\ntranslate this page ] two",
      "FILE FORMAT: x<BR>y",
      "file format: x <br",
      "file format:\n<br> z",
      "<b>File Format:</b> PDF<br>Summary <i>more</i>",
      // Several notes, across lines: each line is cut on its own.
      "a file format: x<br>b file format: y<br>c",
      "x\nFile Format: a<br>tail\nmore file format: b <BR> end",
      "file format: a\n<br> x file format: b<br>",
      "<br>file format: x",
      "file format:<br>file format:<br",
      "\r\nfile format: x<br>y\r\n",
      std::string("one\0file format: two<br>three", 29),
      "[translate this page] one ] two\ntranslate this page",
      "x translate this page\n] y translate this page ]",
      "Translate this page ] <b>File Format:</b> doc<br>\n<b>a</b>\nz",
      // Texts longer than the sixteen bytes looked at in one go, with the
      // "<" on either side of each edge.
      "0123456789abcde<b>0123456789abcdef<i>x",
      "0123456789abcdef<b>0123456789abcdefg</b>tail of the text",
      "<b>0123456789abcdef0123456789abcdef</b><i></i>0123456789abcdef0",
      "a text of more than sixteen bytes without a tag at all",
      "0123456789abcdefghij < an open tag that never closes",
      "0123456789abcdefghij <a\nb> 0123456789abcdefghij <c>",
  };
  TTextCleaner reused;  // long texts first, then short ones over their stale bytes
  for (const std::string& text : rows) {
    const std::string expected =
        tag.ReplaceAll(fileFormat.ReplaceAll(translate.ReplaceAll(text, ""), ""), "");
    EXPECT_EQ(CleanDescription(text), expected) << text;
    EXPECT_EQ(StripTags(text), anyTag.ReplaceAll(text, "")) << text;
  }
  for (auto row = std::rbegin(rows); row != std::rend(rows); ++row) {
    EXPECT_EQ(reused.Description(*row), CleanDescription(*row)) << *row;
    EXPECT_EQ(reused.Title(*row), StripTags(*row)) << *row;
  }
}

class ResultPageTest : public ::testing::Test {
 protected:
  TResultList Parse(int engineIndex, int page, const std::string& text, const std::string& failedFolder = "",
                    bool boostOnly = false) {
    engine_ = testing::MakeTestEngine(engineIndex);
    TTask* task = results_.AddTask("web search", EngineName(engineIndex), nullptr, "");
    query_ = std::make_unique<TSearchQuery>(page, "first keywords", engineIndex, 4, task, &results_.List);
    query_->BoostOnly = boostOnly;
    TResultPage parsed(*engine_, *query_, "test", failedFolder);
    parsed.Parse(text);
    pageCount_ = parsed.PageCount;
    return std::move(parsed.Results);
  }
  std::unique_ptr<TSearchEngines> engine_;
  std::unique_ptr<TSearchQuery> query_;
  TResults results_;
  int32_t pageCount_ = 0;
};

TEST_F(ResultPageTest, ClassifiesEachLink) {
  const struct { const char* link; bool homePage; const char *domainExt, *fileExt;
  } rows[] = {
      {"www.example.com/docs/a.pdf", false, "com", "pdf"},
      {"www.example.com", true, "com", "other"},
      {"http://www.example.com/", true, "com", "other"},
      {"HTTP://WWW.EXAMPLE.COM/", true, "com", "other"},  // a scheme in capitals is still one
      {"http://www.example.com/index.html", true, "com", "html"},
      {"http://www.example.com/Index.html", false, "com", "html"},
      {"http://www.example.com/?q=1", true, "com", "other"},
      {"http://www.bbc.co.uk/news/", false, "uk", "other"},
      {"http://Host.COM:8080/page.Html", false, "com:8080", "html"},
      {"http://x.org/file.js", false, "org", "other"},
      {"http://x.org/a.pdf?x=1", false, "org", "other"},
      {"http://x.org/dir.docx/file", false, "org", "other"},
      {"https://x.org/sub/", false, "org", "other"},
      {"www.example.com/a//b.pdf", false, "com", "pdf"},  // "//" in a path is no scheme
      {"//x.org/a.txt", false, "org", "txt"},
  };
  for (const auto& row : rows) {
    const TResultList found = Parse(kMSN, 0, MakePage("Page 1 of 1", {{row.link, "T", "D"}}));
    ASSERT_EQ(found.size(), 1u) << row.link;
    const TResult& result = *found[0];
    EXPECT_EQ(result.Source.Link, row.link);
    EXPECT_EQ(result.Facts.IsHomePage, row.homePage) << row.link;
    EXPECT_EQ(result.Facts.DomainExt, row.domainExt) << row.link;
    EXPECT_EQ(result.Facts.FileExt, row.fileExt) << row.link;
  }
}

TEST_F(ResultPageTest, RanksFromTheCountAndSkipsRejectedLinks) {
  std::string page = MakePage("Results 301 - 350 of about 350",
                              {{"http://a.org/", "<b>A</b> title", " [ Translate this page ] Desc <i>a</i> \t"},
                               {"http://a.org/more", "", ""},
                               {"/url?q=http://c.org/", "C", ""},
                               {"http://d.org/", "D", ""}});
  // Google shows further results of a site indented after a blockquote.
  page.replace(page.find("</div>"), 6, "<blockquote></div>");
  const TResultList found = Parse(kGoogle, 3, page);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(pageCount_, 4);
  const struct { const char* link; int32_t rank; bool nested; const char *title, *description; } expected[] = {
      {"http://a.org/", 301, false, "A title", "Desc a"},
      {"http://a.org/more", 302, true, "http://a.org/more", ""},
      {"http://d.org/", 303, false, "D", ""}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(found[i]->Source.Link, expected[i].link);
    EXPECT_EQ(found[i]->Source.EngineRank, expected[i].rank);
    // The page's results hold one copy of its keywords between them.
    EXPECT_EQ(found[i]->Source.SearchKeywords, "first keywords");
    EXPECT_EQ(found[i]->Source.SearchKeywords.str().data(), query_->SearchKeywords.str().data()) << i;
    EXPECT_EQ(found[i]->Facts.IsNested, expected[i].nested) << i;
    EXPECT_EQ(found[i]->Source.Title, expected[i].title);
    EXPECT_EQ(found[i]->Description(), expected[i].description);
  }
  // A page asked for the meta boost alone gives the same results, places
  // and links, without their texts.
  const TResultList boosting = Parse(kGoogle, 3, page, "", true);
  ASSERT_EQ(boosting.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(boosting[i]->Source.Link, expected[i].link);
    EXPECT_EQ(boosting[i]->Source.EngineRank, expected[i].rank);
    EXPECT_EQ(boosting[i]->Source.Engine, kGoogle);
    EXPECT_EQ(boosting[i]->Source.Task, query_->Task);
    EXPECT_EQ(boosting[i]->Source.Title, "");
    EXPECT_EQ(boosting[i]->Description(), "");
  }
  // Only Google nests.
  const TResultList yahoo = Parse(kYahoo, 3, page);
  ASSERT_EQ(yahoo.size(), 4u);
  EXPECT_FALSE(yahoo[1]->Facts.IsNested);
}

TEST_F(ResultPageTest, UnparsedBlockIsSavedButYieldsNoResult) {
  testing::ScratchFolder dir;
  std::string page = MakePage("Page 2 of 200", {{"http://a.org/", "A", ""}, {"", "broken", ""}, {"http://b.org/", "B", ""}});
  const TResultList found = Parse(kMSN, 1, page, dir.Path());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0]->Source.EngineRank, 101);
  EXPECT_EQ(found[1]->Source.EngineRank, 102);
  const std::string saved = testing::ReadFile(dir.Path() + "MSN_file_101.htm");
  EXPECT_EQ(saved, "<a href=\"\">broken</a></div>\n\n");
}

}  // namespace
}  // namespace orvane
