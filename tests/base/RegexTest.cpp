#include <gtest/gtest.h>

#include "base/OvException.h"
#include "base/Regex.h"

namespace orvane {
namespace {

TEST(Regex, Latin1LettersAreWordCharactersButCaseStaysAscii) {
  const TRegex word("\\w+", 0);
  TMatch match(word);
  ASSERT_TRUE(word.Find("  caf\xE9s!", match));
  EXPECT_EQ(match.Group(0), "caf\xE9s");
  EXPECT_TRUE(TRegex("\\bna\xEFve\\b", 0).Matches("a na\xEFve idea"));
  EXPECT_FALSE(TRegex("\\bna\\b", 0).Matches("na\xEFve"));
  EXPECT_FALSE(TRegex("\xE9", TRegex::kCaseless).Matches("\xC9"));
  EXPECT_TRUE(TRegex("abc", TRegex::kCaseless).Matches("xABCx"));
}

TEST(Regex, NamedGroupsAndStandardOptions) {
  const TRegex link("<a \\s href=\"(?<Link>[^\"]*)\">(?<Title>.*?)</a>");
  TMatch match(link);
  ASSERT_TRUE(link.Find("<A HREF=\"http://x.org/\">Two\nlines</A>", match));
  EXPECT_EQ(match.Named("Link"), "http://x.org/");
  EXPECT_EQ(match.Named("Title"), "Two\nlines");
  EXPECT_EQ(match.Named("Missing"), "");
  EXPECT_EQ(link.GroupCount(), 2);
}

TEST(Regex, ReplaceAllHandlesEmptyMatchesAndBadPatternsRaise) {
  EXPECT_EQ(TRegex("<[^>]*>", 0).ReplaceAll("<b>bold</b> x", ""), "bold x");
  EXPECT_EQ(TRegex("x*", 0).ReplaceAll("abc", "-"), "-a-b-c-");
  EXPECT_THROW(TRegex("(unclosed", 0), TOvException);
}

}  // namespace
}  // namespace orvane
