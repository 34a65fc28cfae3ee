#include <gtest/gtest.h>

#include "search/Results.h"
#include "search/SearchQuery.h"

namespace orvane {
namespace {

TEST(SearchQuery, BuildsEachEnginesURL) {
  const struct { int engine, page; const char *keywords, *site, *url; } rows[] = {
      {0, 0, "web search", "", "https://www.google.com/search?num=100&start=0&q=web+search&lr=lang_en"},
      {0, 9, "web search", "example.com/a b",
       "https://www.google.com/search?num=100&start=900&q=site:example.com/a b web+search&lr=lang_en"},
      {1, 9, "web", "example.com", "https://search.msn.com/results.aspx?q=language:en web&count=100&first=901&FORM=PORE"},
      {1, 0, "web", "", "https://search.msn.com/results.aspx?q=language:en web&count=100&first=1&FORM=PORE"},
      {2, 0, "web", "example.com",
       "https://search.yahoo.com/search?_adv_prop=web&ei=UTF-8&va=web&fl=1&vl=lang_en&n=100&b=1"},
      {2, 3, "a/b \xE9&c", "", "https://search.yahoo.com/search?_adv_prop=web&ei=UTF-8&va=a%2fb+%e9%26c&fl=1&vl=lang_en&n=100&b=301"},
      {0, 1, "!$'()*-.@_~\"", "", "https://www.google.com/search?num=100&start=100&q=!$'()*-.@_%7e%22&lr=lang_en"},
      {3, 0, "web", "", ""},
      {-1, 0, "web", "", ""},
  };
  for (const auto& row : rows) {
    TResults results;
    TTask* task = results.AddTask(row.keywords, "", nullptr, row.site);
    const TSearchQuery query(row.page, row.keywords, row.engine, -1, task, &results.List);
    EXPECT_EQ(query.GetURL(nullptr), row.url) << row.engine << " " << row.page;
  }
}

}  // namespace
}  // namespace orvane
