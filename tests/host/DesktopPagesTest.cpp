// The export, the browser's search description and the address-bar search,
// on sessions the engine simulator filled.
#include <gtest/gtest.h>

#include <string>

#include "search/Results.h"
#include "search/SearchPipelineSupport.h"

namespace orvane::test {
namespace {

TEST(DesktopPages, TheExportFollowsTheSessionAndAnUnknownOneIsNotFound) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:120&se=1");
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_TRUE(session);
  const THttpResponse json = pipeline.Get("/export.json?id=0");
  EXPECT_EQ(json.ResponseNo, 200);
  EXPECT_EQ(json.ContentType, "application/json; charset=utf-8");
  EXPECT_NE(json.ContentText.find("\"position\": 1, "), std::string::npos);
  EXPECT_NE(json.ContentText.find("\"link\": \"" + session->Results->List.front()->Source.Link + "\""),
            std::string::npos);

  // Results the filters hide are left out.
  pipeline.Get("/sliceresults.htm?showonlydomainextension=nowhere&currentpage=1&id=0");
  const THttpResponse csv = pipeline.Get("/export.csv?id=0");
  EXPECT_EQ(csv.ContentType, "text/csv; charset=utf-8");
  EXPECT_EQ(csv.ContentText.find("\r\n"), csv.ContentText.size() - 2) << csv.ContentText.substr(0, 300);

  for (const char* target : {"/export.csv?id=7", "/export.json", "/export.json?id=x"}) {
    const THttpResponse missing = pipeline.Get(target);
    EXPECT_EQ(missing.ResponseNo, 404) << target;
    EXPECT_EQ(missing.ContentText, "No such search: it has expired, or it was never made.\n");
  }
}

TEST(DesktopPages, TheAddressBarSearchArrivesAsTheFormWouldSendIt) {
  TSearchPipeline pipeline;
  const THttpResponse description = pipeline.Get("/opensearch.xml");
  EXPECT_EQ(description.ContentType, "application/opensearchdescription+xml");
  EXPECT_NE(description.ContentText.find("template=\"http://" + Global->GetAddress() + "/find?q={searchTerms}\""),
            std::string::npos) << description.ContentText;

  // UTF-8 from the browser, Latin-1 encoded twice for the search.
  const struct { const char* typed; const char* location; } rows[] = {
      {"/find?q=caf%C3%A9+100%25", "/search?keywords=caf%25e9%2b100%2525"},
      {"/find?q=+plain+", "/search?keywords=plain"},
      {"/find?q=%E9t%E9", "/search?keywords=%25e9t%25e9"},  // already Latin-1
      {"/find?q=", "/default.htm"},
      {"/find", "/default.htm"},
  };
  for (const auto& row : rows) {
    const THttpResponse answer = pipeline.Get(row.typed);
    EXPECT_EQ(answer.ResponseNo, 302) << row.typed;
    EXPECT_EQ(answer.Location, row.location) << row.typed;
  }
  pipeline.Get(pipeline.Get("/find?q=glacier%20walks").Location);
  const TSessionPtr session = pipeline.Session(0);
  ASSERT_TRUE(session);
  EXPECT_EQ(session->Results->FirstTask()->Keywords, "glacier walks");
}

}  // namespace
}  // namespace orvane::test
