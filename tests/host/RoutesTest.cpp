// The route table: each document is found by its name alone, is answered by
// its own row, and the cross-site check reads the row's flag.
#include "host/Routes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/StrUtils.h"
#include "host/Server.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::TestGlobal;

THttpResponse Get(const std::string& document, const std::vector<std::pair<std::string, std::string>>& headers = {}) {
  THttpRequest request;
  request.Method = "GET";
  request.Document = document;
  request.RemoteIP = "127.0.0.1";
  request.RawHeaders = headers;
  THttpResponse response;
  TOrvaneServer::CommandGet(request, response);
  return response;
}

TEST(Routes, EveryDocumentIsFoundByItsOwnNameAlone) {
  std::set<std::string> seen;
  for (const TRoute& route : Routes()) {
    const std::string doc = route.Document;
    EXPECT_TRUE(seen.insert(doc).second) << doc << " is in the table twice";
    EXPECT_EQ(FindRoute(DocumentName("/" + UpperCase(doc))), &route) << doc;
    EXPECT_FALSE(route.PageFile && route.Page) << doc;
    if (route.Dispatch == TDispatch::kAlone) {
      EXPECT_TRUE(route.Page && !route.Action && !route.Filter) << doc;
    }
  }
  for (const char* doc : {"searchx", "/search", "default.htm", "orvane.css", "main.htm"})
    EXPECT_EQ(FindRoute(doc), nullptr) << doc;
  EXPECT_EQ(DocumentName("/Results.HTM"), "results.htm");
  EXPECT_EQ(DocumentName("Search"), "search");
  EXPECT_EQ(DocumentName("/" + std::string(1200, 'a')), std::string(1000, 'a'));
}

TEST(Routes, ExactlyTheDocumentsWithAnActionOrAFilterChangeState) {
  for (const TRoute& route : Routes()) {
    EXPECT_EQ(route.ChangesState, route.Action || route.Filter) << route.Document;
    EXPECT_TRUE(route.FollowUp == 0 || route.ChangesState) << route.Document;
  }
  for (const char* doc : {"search", "savepreferences", "selectpredefined", "sleep", "saveresults", "loadresults",
                          "deleteresults", "findnarrow", "changepreferences.htm", "selectword", "sliceresults.htm",
                          "slicestatisticsresults.htm", "showotherresults.htm", "changeorder.htm"})
    EXPECT_TRUE(ChangesStateOrStartsWork(doc)) << doc;
  for (const char* doc : {"", "default.htm", "mainframe.htm", "results.htm", "bottomframe.htm", "explainrank.htm",
                          "statistics.htm", "export.json", "orvane.css", "searchx"})
    EXPECT_FALSE(ChangesStateOrStartsWork(doc)) << doc;
}

TEST(Routes, AnotherSiteIsRefusedEveryDocumentThatChangesStateAndServedEveryOther) {
  TestGlobal global;
  const std::string refused = "Request origin unautorized!";
  std::vector<std::string> docs = {"orvane.css", "nothere.htm"};
  for (const TRoute& route : Routes()) docs.push_back(route.Document);
  for (const std::string& doc : docs) {
    const THttpResponse response = Get("/" + doc, {{"Host", "127.0.0.1:8425"}, {"Sec-Fetch-Site", "cross-site"}});
    const bool wasRefused = response.ResponseNo == 403 && response.ContentText == refused;
    EXPECT_EQ(wasRefused, ChangesStateOrStartsWork(doc)) << doc;
  }
  // No refused document ran: the saved-results actions would have made one.
  EXPECT_TRUE(global->Sessions.empty());
}

TEST(Routes, EveryDocumentIsAnsweredByItsOwnRow) {
  TestGlobal global;
  // Each file names itself, so the answer shows which file was served.
  auto write = [&global](const std::string& name) {
    if (!name.empty()) global.Page(name, "file " + name);
  };
  write("main.htm");
  for (const TRoute& route : Routes()) {
    write(route.Document);
    if (route.PageFile) write(route.PageFile);
  }
  for (const TRoute& route : Routes()) {
    const std::string doc = route.Document;
    // The search's own tests cover it; "sleep" holds the thread for 3 s.
    if (route.Dispatch == TDispatch::kSearch || doc == "sleep") continue;
    const THttpResponse response = Get("/" + doc);
    if (doc.empty()) {
      EXPECT_EQ(response.ResponseNo, 404);
    } else if (route.PageFile) {
      EXPECT_EQ(response.ContentText, "file " + std::string(route.PageFile) + "\r\n") << doc;
    } else {
      EXPECT_NE(response.ContentText, "file " + doc + "\r\n") << doc;
    }
  }
}

}  // namespace
}  // namespace orvane
