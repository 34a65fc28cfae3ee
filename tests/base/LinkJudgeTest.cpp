#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "base/LinkJudge.h"

namespace orvane {
namespace {

using namespace std::string_literals;

TEST(LinkJudge, OnlyWebLinksAndLinksWithoutSchemePass) {
  const struct {
    std::string link;
    bool safe;
  } rows[] = {
      {"http://a.example/", true},
      {"HTTPS://a.example/x?y=javascript:1", true},
      {"ftp://files.example/a", true},
      {"/local/page.htm", true},
      {"page.htm?x=1:2", true},
      {"//a.example/", true},
      {"#top", true},
      {"javascript-guide.html", true},
      {"http://tag.example/%3Cov:", true},
      {"javascript:alert(1)", false},
      {" JavaScript :alert(1)", false},
      {"java\tscript:x", false},
      {"java\nscript:x"s, false},
      {"java\0script:x"s, false},
      {"\x01javascript:x", false},
      {"javascript%3Aalert(3)", false},
      {"&#106;avascript:alert(4)", false},
      {"javascript&#58;alert(5)", false},
      {"java&#x09;script:alert(6)", false},
      {"&amp;#106;avascript:alert(7)", false},
      {"&#x4A;AVASCRIPT&#x3a;x", false},
      {"data:text/html,x", false},
      {"vbscript:x", false},
      {"file:///etc/passwd", false},
      {"mailto:a@b.example", false},
      {"\xe9:x", false},
      {"javascript&colon;alert(1)", false},
      {"&Tab;javascript:x", false},
      {"page.htm?a=1&b=2", true},
      {"http+://a.example/", false},
      {"http://a.example/?q=a+b", true},
  };
  for (const auto& row : rows) EXPECT_EQ(IsSafeLink(row.link), row.safe) << row.link;
}

TEST(LinkJudge, PlainLinksAreJudgedAsDecodedOnesAre) {
  // A link without "&" or "%" before its path is read straight off its
  // text; a "%20" in front (a blank, dropped) sends the same link through
  // decoding, which must come to the same verdict.
  const char* const heads[] = {"http", "HTTPS", "ftp", "Ftp", "javascript", "https5", "httpsx", "x", ":",
                               "/",    "?",     "#",   " ",   "\t",         "\x7f",   "\x01",   "+", "\xe9"};
  const char* const tails[] = {"", "/&amp;", "/%3A", "?&#58;x", "#%26", "/a&b", "/%2"};
  uint32_t seed = 7;
  auto next = [&seed](size_t count) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % count;
  };
  for (int round = 0; round < 5000; ++round) {
    std::string link;
    for (int i = round % 6; i >= 0; --i) link += heads[next(std::size(heads))];
    link += tails[next(std::size(tails))];
    EXPECT_EQ(IsSafeLink(link), IsSafeLink("%20" + link)) << link;
  }
}

TEST(LinkJudge, BrowserLinkDecodesEntitiesOnce) {
  EXPECT_EQ(BrowserLink("a?b=1&amp;c=2"), "a?b=1&c=2");
  EXPECT_EQ(BrowserLink("&amp;#106;x"), "&#106;x");
  EXPECT_EQ(BrowserLink("plain"), "plain");
  std::string href = "<";
  AppendBrowserLink(href, "a?b=\"1\"&amp;c=<2>");
  AppendBrowserLink(href, "plain\"<>");
  EXPECT_EQ(href, "<a?b=&quot;1&quot;&amp;c=&lt;2&gt;plain&quot;&lt;&gt;");
}

}  // namespace
}  // namespace orvane
