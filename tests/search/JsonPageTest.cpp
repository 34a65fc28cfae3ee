// Result pages in JSON: the definition's pointers, link templates, pages that
// are broken or hostile, and a JSON engine searched end to end.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/GlobalData.h"
#include "platform/HttpClient.h"
#include "search/DataPage.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchFetch.h"
#include "search/SearchQuery.h"
#include "search/SearchTestSupport.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

TEngineShape WikipediaShape() {
  TEngineShape shape;
  shape.Format = "json";
  shape.TotalPointer = "/query/searchinfo/totalhits";
  shape.ListPointer = "/query/search";
  shape.TitlePointer = "/title";
  shape.LinkPointer = "/title";
  shape.DescriptionPointer = "/snippet";
  shape.LinkTemplate = "https://en.wikipedia.org/wiki/{id}";
  return shape;
}

TEST(JsonPage, ReadsTotalListAndItemsWithTheLinkTemplate) {
  const std::string page =
      R"({"query":{"searchinfo":{"totalhits":1234},"search":[)"
      R"({"title":"Jazz piano","pageid":1,"snippet":"<span class=\"searchmatch\">Jazz</span> piano is"},)"
      R"({"title":"Caf\u00e9 society / 1920s","snippet":"x"},)"
      R"({"pageid":3,"snippet":"no title, no link"},)"
      R"({"title":"Ω tone","snippet":"beyond Latin-1"}]}})";
  const TDataPage read = ReadJsonPage(WikipediaShape(), page);
  ASSERT_TRUE(read.Read) << read.Error;
  EXPECT_EQ(read.Total, 1234);
  ASSERT_EQ(read.Items.size(), 3u);
  EXPECT_EQ(read.Items[0].Link, "https://en.wikipedia.org/wiki/Jazz_piano");
  EXPECT_EQ(read.Items[0].Description, "<span class=\"searchmatch\">Jazz</span> piano is");
  EXPECT_EQ(read.Items[1].Title, "Caf\xe9 society / 1920s");  // Latin-1 inside
  EXPECT_EQ(read.Items[1].Link, "https://en.wikipedia.org/wiki/Caf%C3%A9_society_/_1920s");
  EXPECT_EQ(read.Items[2].Title, "? tone");
}

TEST(JsonPage, TheIdIsEscapedAtEveryMarkOfTheTemplate) {
  TEngineShape shape = WikipediaShape();
  shape.LinkTemplate = "https://w.org/{id}?from={id}&x={i}";
  const std::string page = R"({"query":{"search":[{"title":"100% a&b?#~\u00ff"},{"title":""}]}})";
  const TDataPage read = ReadJsonPage(shape, page);
  ASSERT_EQ(read.Items.size(), 1u);
  EXPECT_EQ(read.Items[0].Link, "https://w.org/100%25_a%26b%3F%23~%C3%BF?from=100%25_a%26b%3F%23~%C3%BF&x={i}");
}

TEST(JsonPage, BrokenOrEmptyPagesReadNothingAndSayWhy) {
  const struct { const char* name; std::string page; bool read; const char* error; size_t items; } rows[] = {
      {"not json", "<html>rate limited</html>", false, "not JSON", 0},
      {"truncated", R"({"query":{"search":[{"title":"a")", false, "not JSON", 0},
      {"list pointer finds nothing", R"({"error":{"code":"maxlag"}})", false, "no list at /query/search", 0},
      {"list is no array", R"({"query":{"search":{"title":"a"}}})", false, "no list at", 0},
      {"empty list", R"({"query":{"searchinfo":{"totalhits":0},"search":[]}})", true, "", 0},
      {"items of the wrong type", R"({"query":{"search":[1,"two",null,{"title":7}]}})", true, "", 1},
  };
  for (const auto& row : rows) {
    const TDataPage read = ReadJsonPage(WikipediaShape(), row.page);
    EXPECT_EQ(read.Read, row.read) << row.name;
    EXPECT_NE(read.Error.find(row.error), std::string::npos) << row.name << ": " << read.Error;
    EXPECT_EQ(read.Items.size(), row.items) << row.name;
  }
}

TEST(JsonPage, BytesThatAreNotUtf8AreReadAsLatin1) {
  const std::string page = "{\"query\":{\"search\":[{\"title\":\"caf\xe9 cr\xe8me\",\"snippet\":\"\xff\"}]}}";
  const TDataPage read = ReadJsonPage(WikipediaShape(), page);
  ASSERT_TRUE(read.Read) << read.Error;
  ASSERT_EQ(read.Items.size(), 1u);
  EXPECT_EQ(read.Items[0].Title, "caf\xe9 cr\xe8me");
  EXPECT_EQ(read.Items[0].Description, "\xff");
}

TEST(JsonPage, PointersMustFollowRfc6901) {
  const struct { const char* pointer; bool good; } rows[] = {
      {"", true}, {"/a/0/b", true}, {"/a~1b/~0c", true}, {"a/b", false}, {"/a~2", false}, {"/a~", false}};
  for (const auto& row : rows) EXPECT_EQ(PointerFault(row.pointer).empty(), row.good) << row.pointer;
}

// A JSON engine beside the three, its host a local stub that holds `total`
// results and answers an empty list past them, as search APIs do.
std::string JsonEngineXml() {
  return testing::EngineSectionXml("Google") + testing::EngineSectionXml("MSN") + testing::EngineSectionXml("Yahoo") +
         "<Api><Format>json</Format><URL><![CDATA[{scheme}://{host}/api?q={keywords|utf8}&offset={first0}&n={count}]]>"
         "</URL><PerPage>10</PerPage><MaxPages>5</MaxPages><TotalPointer>/total</TotalPointer>"
         "<ListPointer>/results</ListPointer><TitlePointer>/title</TitlePointer><LinkPointer>/url</LinkPointer>"
         "<DescriptionPointer>/content</DescriptionPointer></Api>";
}

void ServeApi(testing::TLocalHttpStub& stub, int total) {
  stub.Server().Get("/api", [total](const httplib::Request& request, httplib::Response& response) {
    const int offset = std::stoi(request.get_param_value("offset"));
    std::string items;
    for (int i = offset; i < std::min(offset + 10, total); ++i) {
      if (!items.empty()) items += ",";
      items += "{\"title\":\"<b>T" + std::to_string(i) + "</b> & <script>x</script>\",\"url\":\"http://r" +
               std::to_string(i) + ".org/\",\"content\":\"D" + std::to_string(i) + "\"}";
    }
    // Script links are dropped without any rule in the definition.
    items += std::string(items.empty() ? "" : ",") +
             R"j({"title":"bad","url":" JavaScript:alert(1)"},{"title":"bad","url":"data:text/html,<b>"})j";
    response.set_content("{\"total\":" + std::to_string(total) + ",\"results\":[" + items + "]}", "application/json");
  });
}

TEST(JsonEngine, ASearchGetsEveryResultWhetherTheProbeIsInsideOrPastTheEnd) {
  for (const int total : {7, 23, 480}) {
    SCOPED_TRACE(total);
    testing::TLocalHttpStub stub;
    ServeApi(stub, total);
    const testing::TestGlobal global("ApiHost=" + stub.Host(), testing::DataXml(JsonEngineXml()));
    ASSERT_EQ(global->Engines.size(), 4u) << global.LogText();
    TSessionData session(1, global->DataDir, true);
    TTask* task = session.Results->AddTask("jazz", "Api", nullptr, "");
    TFetchedResults fetched;
    FetchResults(Global->FetchContext(session), 3, "jazz", task, false, fetched);
    std::set<int32_t> ranks;
    for (const auto& result : fetched.Main) {
      ranks.insert(result->Source.EngineRank);
      EXPECT_EQ(result->Source.Link.find("alert"), std::string::npos);
      EXPECT_FALSE(result->Source.Link.starts_with("data:"));
      EXPECT_EQ(result->Source.Title.find('<'), std::string::npos)
          << result->Source.Title;  // tags stripped as for HTML
    }
    const int expected = std::min(total, 50);  // at most MaxPages of PerPage
    EXPECT_EQ(static_cast<int>(ranks.size()), expected);
    EXPECT_EQ(*ranks.begin(), 1);
    EXPECT_EQ(*ranks.rbegin(), expected);
    ReleaseKeptConnections();
  }
}

TEST(JsonEngine, ABadPageYieldsNoResultsAndOneLogLine) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/api", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<html>not today</html>", "text/html");
  });
  const testing::TestGlobal global("ApiHost=" + stub.Host(), testing::DataXml(JsonEngineXml()));
  const TSearchEngines& api = *global->GetEngine(3);
  TResults results;
  TTask* task = results.AddTask("jazz", "Api", nullptr, "");
  const TSearchQuery query(0, "jazz", 3, -1, task, &results.List);
  TResultPage parsed(api, query, "test", "");
  parsed.Parse("<html>not today</html>");
  EXPECT_TRUE(parsed.Results.empty());
  EXPECT_TRUE(global.LogHas("Api: not JSON"));
}

}  // namespace
}  // namespace orvane
