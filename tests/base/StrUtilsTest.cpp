#include <gtest/gtest.h>

#include "base/StrUtils.h"

namespace orvane {
namespace {

TEST(StrUtils, FloatToStrIsShortestGeneralForm) {
  const struct { double value; const char* text; } rows[] = {
      {0.1 + 0.2, "0.3"}, {1.0, "1"}, {-2.5, "-2.5"}, {1234567.125, "1234567.125"}, {1e20, "1E+20"}, {0.00001, "1E-5"},
      {0, "0"},
  };
  for (const auto& row : rows) EXPECT_EQ(FloatToStr(row.value), row.text) << row.value;
}

TEST(StrUtils, IntegerParsingRejectsAnythingButDecimal) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("12", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(TryStrToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  for (const char* bad : {"", "12x", " 12", "2147483648", "+", "1.0", "0x10"}) EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
}

TEST(StrUtils, EncodingsKeepTheirOwnSafeSets) {
  EXPECT_EQ(HTTPEncode("a b1|{"), "a+b%31%7c%7b");
  EXPECT_EQ(HTTPEncode("*-.@_"), "*-.@_");
  EXPECT_EQ(URLEncode("a b1!$'()*-._@/&"), "a+b1!$'()*-._@%2f%26");
  EXPECT_EQ(URLDecode("a+b%2Bc%zz%4"), "a b+c%zz%4");
}

TEST(StrUtils, ReplaceAllInChangesTheTextAsReplaceAllWould) {
  const struct { const char* text; const char* from; const char* to;
  } rows[] = {
      {"aXa", "a", "aa"},
      {"abc", "", "z"},
      {"<ov:id/><ov:id/>", "<ov:id/>", "7"},
      {"no tag here", "<ov:id/>", "7"},
      {"aaa", "aa", "b"},
      {"", "x", "y"},
      // One hit, replaced in place: at either end, shorter or longer, and a
      // value holding the tag itself, which is not looked at again.
      {"head<ov:a/>", "<ov:a/>", ""},
      {"<ov:a/>tail", "<ov:a/>", "a much longer value"},
      {"x<t/>y", "<t/>", "<t/><t/>"},
      {"<t/>", "<t/>", "<t"},
  };
  for (const auto& row : rows) {
    std::string text = row.text;
    ReplaceAllIn(text, row.from, row.to);
    EXPECT_EQ(text, ReplaceAll(row.text, row.from, row.to)) << row.text;
  }
}

TEST(StrUtils, ReplaceAllDoesNotRescanInsertedText) {
  EXPECT_EQ(ReplaceAll("aXa", "a", "aa"), "aaXaa");
  EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
  EXPECT_EQ(ReplaceAllText("One one ONE", "one", "1"), "1 1 1");
  EXPECT_EQ(Trim("\t x y \r\n"), "x y");
  EXPECT_EQ(LowerCase("AbC\xC9"), "abc\xC9");
}

TEST(StrUtils, ContainsTextIgnoresAsciiCaseOnly) {
  const struct { const char* text; const char* part; bool found; } rows[] = {
      {"", "", true},
      {"abc", "", true},
      {"", "a", false},
      {"ab", "abc", false},
      {"Translate This Page]", "translate this page", true},
      {"xx translate this pag", "translate this page", false},
      {"aaaab", "aab", true},  // a near miss before the hit
      {"abab", "bab", true},
      {"\xC9t\xC9", "\xE9t\xE9", false},  // Latin-1 letters keep their case
      {"file format", "file format:", false},
  };
  for (const auto& row : rows) EXPECT_EQ(ContainsText(row.text, row.part), row.found) << row.text << " / " << row.part;
  const std::string longPart(300, 'x');
  EXPECT_TRUE(ContainsText("y" + longPart + "y", longPart));
  EXPECT_FALSE(ContainsText("y" + longPart.substr(1) + "y", longPart));
}

TEST(StrUtils, FindTextGivesTheFirstPlaceAtOrAfterTheStart) {
  const struct {
    const char* text;
    const char* part;
    size_t from, at;
  } rows[] = {
      {"abc", "", 2, 2},
      {"abc", "", 4, std::string_view::npos},
      {"xBRy<br>", "<BR>", 0, 4},
      {"<br><br>", "<br>", 1, 4},
      {"<br><br>", "<br>", 5, std::string_view::npos},
      {"aab", "ab", 0, 1},
      {"ab", "ab", 1, std::string_view::npos},
  };
  for (const auto& row : rows)
    EXPECT_EQ(FindText(row.text, row.part, row.from), row.at) << row.text << " / " << row.part << " @" << row.from;
}

TEST(StrUtils, TrimInPlaceMatchesTrim) {
  for (std::string text : {"", " ", "a", "  a b \t", "\x01x\x20", "x  "}) {
    const std::string expected = Trim(text);
    TrimInPlace(text);
    EXPECT_EQ(text, expected);
  }
}

TEST(StrUtils, TryURLDecodeStopsAtTheFirstMalformedEscape) {
  const struct { const char* text; bool ok; size_t badAt; } rows[] = {
      {"a+b%2Bc", true, std::string::npos}, {"100%", false, 3}, {"%4", false, 0}, {"x%2g%zz", false, 1}};
  for (const auto& row : rows) {
    std::string out;
    size_t bad = 0;
    EXPECT_EQ(TryURLDecode(row.text, out, &bad), row.ok) << row.text;
    EXPECT_EQ(bad, row.badAt) << row.text;
  }
  std::string out;
  EXPECT_TRUE(TryURLDecode("%41%62", out));
  EXPECT_EQ(out, "Ab");
  EXPECT_FALSE(TryURLDecode("a+b%zz%41", out));
  EXPECT_EQ(out, "a b");  // what came before the bad escape
}

TEST(StrUtils, URLDecodeMixesBlanksEscapesAndBrokenEscapes) {
  const struct {
    const char* text;
    const char* decoded;
  } rows[] = {
      {"", ""},
      {"+", " "},
      {"++%", "  %"},
      {"%%41", "%A"},
      {"%4%41", "%4A"},
      {"a%2", "a%2"},
      {"%41+%2b+", "A + "},
      {"%ZZ+", "%ZZ "},
      {"+%2B%", " +%"},
      {"%252B", "%2B"},
      {"plain/path", "plain/path"},
  };
  std::string out = "a longer text left from an earlier call";
  for (const auto& row : rows) {
    EXPECT_EQ(URLDecode(row.text), row.decoded) << row.text;
    if (TryURLDecode(row.text, out)) {  // over what an earlier call left
      EXPECT_EQ(out, row.decoded) << row.text;
    }
  }
}

TEST(DecodeHTMLEntities, DecodesTheCommonAndNumericEntitiesAndLeavesTheRest) {
  const struct { const char* html; const char* text; } rows[] = {
      {"Dark &amp; light &lt;b&gt;", "Dark & light <b>"},
      {"&quot;q&quot; it&apos;s&nbsp;x", "\"q\" it's\xa0x"},
      {"&#233;t&#xE9; &#x263A;", "\xe9t\xe9 ?"},
      {"&amp;amp; &copy; & ; &#; &#x; &#12a; &unknownlongname;", "&amp; &copy; & ; &#; &#x; &#12a; &unknownlongname;"},
      {"trailing &amp", "trailing &amp"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(DecodeHTMLEntities(row.html), row.text) << row.html;
}


}  // namespace
}  // namespace orvane
