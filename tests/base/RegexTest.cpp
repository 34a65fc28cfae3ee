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

TEST(Regex, RemovingInPlaceLeavesWhatReplacingByNothingLeaves) {
  const struct {
    const char* pattern;
    std::string text;
  } rows[] = {
      {"<ov:.*?>", "<ov:a/>head <OV:b/><ov:c\n/>mid<ov:d> tail<ov:e/>"},
      {"<ov:.*?>", "no tags here"},
      {"<ov:.*?>", "<ov:only/>"},
      {"<ov:.*?>", "<ov: never closed"},
      {"x*", "axxbx"},  // empty matches remove nothing
      {"b", std::string(70000, 'a') + "b" + std::string(70000, 'c') + "bb"},
  };
  for (const auto& row : rows) {
    const TRegex regex(row.pattern, TRegex::kCaseless | TRegex::kDotAll);
    std::string text = row.text;
    regex.RemoveAllIn(text);
    EXPECT_EQ(text, regex.ReplaceAll(row.text, "")) << row.pattern << " on " << row.text.substr(0, 40);
  }
  std::string page = "<ov:a/>head <OV:b/><ov:c\n/>mid<ov:d> tail<ov:e/>";
  TRegex("<ov:.*?>", TRegex::kCaseless | TRegex::kDotAll).RemoveAllIn(page);
  EXPECT_EQ(page, "head mid tail");
}

}  // namespace
}  // namespace orvane
