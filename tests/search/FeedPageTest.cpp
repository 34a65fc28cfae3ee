// Result pages as Atom or RSS feeds, and a feed engine searched end to end.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/GlobalData.h"
#include "platform/HttpClient.h"
#include "search/DataPage.h"
#include "search/SearchFetch.h"
#include "search/SearchTestSupport.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

std::string AtomEntry(const std::string& title, const std::string& links, const std::string& summary) {
  return "<entry><id>http://arxiv.org/abs/id-" + title + "</id><title>" + title + "</title>" + links +
         "<summary>" + summary + "</summary></entry>";
}

std::string AtomFeed(const std::string& total, const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\" "
         "xmlns:opensearch=\"http://a9.com/-/spec/opensearch/1.1/\"><title>q</title>"
         "<opensearch:totalResults>" + total + "</opensearch:totalResults>" + entries + "</feed>";
}

TEST(FeedPage, ReadsAtomEntriesWithTheirAlternateLinkAndTheTotal) {
  const std::string page = AtomFeed(
      "3120", AtomEntry("Quantum", "<link title=\"pdf\" rel=\"related\" href=\"http://arxiv.org/pdf/1\"/>"
                                   "<link rel=\"alternate\" href=\"http://arxiv.org/abs/1\"/>",
                        "About \xc3\xa9 things") +
                  AtomEntry("NoLink", "", "falls back to the id") +
                  "<entry><title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">A <b>bold</b> "
                  "title</div></title><link href=\"http://x.org/\"/><content>c</content></entry>");
  const TDataPage read = ReadFeedPage(page);
  ASSERT_TRUE(read.Read) << read.Error;
  EXPECT_EQ(read.Total, 3120);
  ASSERT_EQ(read.Items.size(), 3u);
  EXPECT_EQ(read.Items[0].Link, "http://arxiv.org/abs/1");
  EXPECT_EQ(read.Items[0].Description, "About \xe9 things");
  EXPECT_EQ(read.Items[1].Link, "http://arxiv.org/abs/id-NoLink");
  EXPECT_EQ(read.Items[2].Title, "A bold title");
  EXPECT_EQ(read.Items[2].Description, "c");
}

TEST(FeedPage, EachPartOfAnEntryIsTheFirstOfItsKind) {
  const std::string page =
      AtomFeed("2",
               "<entry><content>c</content><title>one</title><title>two</title><summary>s</summary>"
               "<link rel=\"related\" href=\"\"/><link rel=\"related\" href=\"http://r.org/2\"/>"
               "<link rel=\"related\" href=\"http://r.org/3\"/><id>http://id.org/</id></entry>"
               "<entry><title>t</title><link href=\"http://a.org/1\"/><link rel=\"alternate\" href=\"http://a.org/2\"/>"
               "<link rel=\"related\" href=\"http://r.org/\"/></entry>");
  const TDataPage read = ReadFeedPage(page);
  ASSERT_TRUE(read.Read) << read.Error;
  ASSERT_EQ(read.Items.size(), 2u);
  EXPECT_EQ(read.Items[0].Title, "one");
  EXPECT_EQ(read.Items[0].Description, "s");        // the summary before the content, wherever it stands
  EXPECT_EQ(read.Items[0].Link, "http://r.org/2");  // no alternate: the first other link with an address
  EXPECT_EQ(read.Items[1].Link, "http://a.org/1");
}

TEST(FeedPage, ReadsRssItemsInEitherEncoding) {
  const std::string items = "<item><title>Caf\xe9</title><link> http://a.org/ </link><description>d</description></item>"
                            "<item><title>no link</title></item>";
  for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<?xml version=\"1.0\"?>"}) {
    const std::string page = std::string(declaration) +
                             "<rss version=\"2.0\" xmlns:os=\"http://a9.com/-/spec/opensearch/1.1/\"><channel>"
                             "<os:totalResults>42</os:totalResults>" + items + "</channel></rss>";
    const TDataPage read = ReadFeedPage(page);
    ASSERT_TRUE(read.Read) << declaration << read.Error;
    EXPECT_EQ(read.Total, 42);
    ASSERT_EQ(read.Items.size(), 1u);
    // Declared Latin-1, or bytes that are no UTF-8: the same Latin-1 text.
    EXPECT_EQ(read.Items[0].Title, "Caf\xe9") << declaration;
    EXPECT_EQ(read.Items[0].Link, "http://a.org/");
  }
}

TEST(FeedPage, PagesThatAreNoFeedReadNothing) {
  const struct { const char* name; const char* page; const char* error; } rows[] = {
      {"html", "<html><body>busy</body></html>", "the root is <html>"},
      {"broken xml", "<feed><entry>", "not a feed"},
      {"empty", "", "not a feed"},
      {"rss without channel", "<rss/>", "the root is <rss>"},
  };
  for (const auto& row : rows) {
    const TDataPage read = ReadFeedPage(row.page);
    EXPECT_FALSE(read.Read) << row.name;
    EXPECT_NE(read.Error.find(row.error), std::string::npos) << row.name << ": " << read.Error;
  }
}

TEST(FeedEngine, AnAtomEngineIsSearchedAndHostileEntriesAreDefused) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/api/query", [](const httplib::Request& request, httplib::Response& response) {
    const int start = std::stoi(request.get_param_value("start"));
    std::string entries;
    for (int i = start; i < std::min(start + 20, 45); ++i)
      entries += AtomEntry("T" + std::to_string(i) + " &lt;script&gt;x&lt;/script&gt;",
                           "<link rel=\"alternate\" href=\"http://p" + std::to_string(i) + ".org/\"/>", "S");
    entries += AtomEntry("evil", "<link href=\"javascript:alert(1)\"/>", "S");
    response.set_content(AtomFeed("45", entries), "application/atom+xml");
  });
  const std::string sections =
      testing::EngineSectionXml("Google") + testing::EngineSectionXml("MSN") + testing::EngineSectionXml("Yahoo") +
      "<Feed><Format>atom</Format><URL><![CDATA[{scheme}://{host}/api/query?search_query=all:{keywords}&start={first0}"
      "&max_results={count}]]></URL><PerPage>20</PerPage><MaxPages>5</MaxPages></Feed>";
  const testing::TestGlobal global("FeedHost=" + stub.Host(), testing::DataXml(sections));
  ASSERT_EQ(global->Engines.size(), 4u) << global.LogText();
  TSessionData session(1, global->DataDir, true);
  TTask* task = session.Results->AddTask("quantum", "Feed", nullptr, "");
  TFetchedResults fetched;
  FetchResults(Global->FetchContext(session), 3, "quantum", task, false, fetched);
  std::set<int32_t> ranks;
  for (const auto& result : fetched.Main) {
    ranks.insert(result->Source.EngineRank);
    EXPECT_EQ(result->Source.Title.find('<'), std::string::npos) << result->Source.Title;
    EXPECT_EQ(result->Source.Link.find("javascript"), std::string::npos);
  }
  EXPECT_EQ(ranks.size(), 45u);
  ReleaseKeptConnections();
}

}  // namespace
}  // namespace orvane
