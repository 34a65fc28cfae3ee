#include "host/CrossSite.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvane {
namespace {

TEST(CrossSite, OriginThenSecFetchSiteThenRefererDecide) {
  const std::string own = "http://127.0.0.1:8425";
  const struct {
    std::vector<std::pair<std::string, std::string>> headers;
    bool foreign;
  } rows[] = {
      {{}, false},  // typed address or bookmark
      {{{"Origin", own}}, false},
      {{{"Origin", "http://LocalHost:8425"}}, false},
      {{{"Origin", "http://127.0.0.1:8426"}}, true},
      {{{"Origin", "http://evil.example"}}, true},
      {{{"Origin", "null"}}, true},
      // Origin decides before the others.
      {{{"Origin", "http://evil.example"}, {"Sec-Fetch-Site", "same-origin"}, {"Referer", own + "/"}}, true},
      {{{"Sec-Fetch-Site", "same-origin"}}, false},
      {{{"Sec-Fetch-Site", "none"}}, false},
      {{{"Sec-Fetch-Site", "cross-site"}}, true},
      {{{"Sec-Fetch-Site", "same-site"}}, true},
      {{{"Sec-Fetch-Site", "cross-site"}, {"Referer", own + "/"}}, true},
      {{{"Referer", own + "/results.htm?id=0"}}, false},
      {{{"Referer", "http://localhost:8425"}}, false},
      {{{"Referer", "http://evil.example/page"}}, true},
      {{{"Referer", "http://127.0.0.1:8425.evil.example/"}}, true},
      {{{"Referer", "http://127.0.0.1/"}}, true},
      {{{"Referer", "https://127.0.0.1:8425/"}}, true},
      {{{"Referer", "garbage"}}, true},
  };
  for (const auto& row : rows) {
    THttpRequest request;
    request.RawHeaders = row.headers;
    std::string shown;
    for (const auto& [name, value] : row.headers) shown += name + ": " + value + "; ";
    EXPECT_EQ(ComesFromAnotherSite(request, 8425), row.foreign) << shown;
  }
}

TEST(CrossSite, PortEightyMayGoUnnamed) {
  THttpRequest request;
  request.RawHeaders = {{"Origin", "http://127.0.0.1"}};
  EXPECT_FALSE(ComesFromAnotherSite(request, 80));
  EXPECT_TRUE(ComesFromAnotherSite(request, 8425));
}

}  // namespace
}  // namespace orvane
