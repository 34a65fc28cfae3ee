#include <gtest/gtest.h>

#include "words/WordUtils.h"

#include "base/Regex.h"
#include "base/StrUtils.h"

namespace orvane {
namespace {

using Strings = std::vector<std::string>;

TEST(SeperateWords, FindsWordsWithTheirPositions) {
  struct Case { const char* text; TWordList words; };
  const Case cases[] = {
      {"Hello World", {{"hello", 1}, {"world", 7}}},
      {"www.example.com", {{"www", 1}}},  // nothing after a dot
      {"AT&amp;T rocks", {{"at", 1}, {"rocks", 10}}},
      {"version 2.0 and 10x", {{"version", 1}, {"and", 13}, {"10x", 17}}},
      {"tcp/ip input/output", {{"tcp/ip", 1}, {"input/output", 8}}},
      {"&#39;quoted&#39; #tag", {{"quoted", 6}}},
      {"snake_case x_y", {{"snake_case", 1}, {"x_y", 12}}},
      {"Echo echo", {{"echo", 1}, {"echo", 6}}},
      // Latin-1 letters are word characters: they end an ASCII word, and no
      // word starts right after one.
      {"caf\xE9 na\xEFve \xE9t\xE9", {{"caf", 1}, {"na", 6}}},
      {"", {}},
  };
  const TSeperateWords separator;
  for (const Case& c : cases) EXPECT_EQ(separator.Separate(c.text), c.words) << c.text;
}

TEST(SeperateWords, FindsWhatItsPatternFindsInTheLowerCasedText) {
  const TRegex pattern("(?<!&|\\.|#)\\b[A-Za-z0-9][A-Za-z0-9_/]+", 0);
  auto expected = [&](const std::string& text) {
    const std::string lower = LowerCase(text);
    TWordList words;
    TMatch match(pattern);
    size_t start = 0;
    while (start < lower.size() && pattern.Find(lower, start, match)) {
      words.push_back({std::string(match.Group(0)), static_cast<int32_t>(match.Start() + 1)});
      start = match.End();
    }
    return words;
  };
  const TSeperateWords separator;
  for (int byte = 0; byte < 256; ++byte)
    for (const char* around : {"", "a", "1"}) {
      const std::string text = std::string(around) + static_cast<char>(byte) + "ab" + static_cast<char>(byte) + "c";
      EXPECT_EQ(separator.Separate(text), expected(text)) << byte << " " << around;
      // The byte after short words, which are looked at sixteen bytes at a time, and after longer ones.
      const std::string runs = std::string(around) + "aBc" + static_cast<char>(byte) + "de fGh" +
                               static_cast<char>(byte) + " qrstuvwxyzabcdefghij" + static_cast<char>(byte) +
                               "Klmnopqrstuvwxyz01";
      EXPECT_EQ(separator.Separate(runs), expected(runs)) << byte << " " << around;
    }
  const char* const pieces[] = {"a", "Z", "7", "_", "/", "&", ".", "#", " ", "-", "\xC9", "\xE9", "\xD7", "\xAA",
                                "\xB5", "ab", "x1", "&amp;", "www.", "http://",
                                // Runs longer than the sixteen bytes looked at in one go.
                                "abcdefghijklmnopq", "MixedCaseWordsRunOnAndOn", "0123456789/_"};
  uint32_t seed = 99;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = round % 11; i >= 0; --i) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
    }
    ASSERT_EQ(separator.Separate(text), expected(text)) << text;
  }
}

TEST(WordList, KeepsEveryWordAcrossCopiesAndReuse) {
  const TSeperateWords separator;
  TWordList list;
  separator.Separate("Alpha beta", list);
  const TWordList copy = list;
  EXPECT_EQ(copy, (TWordList{{"alpha", 1}, {"beta", 7}}));
  // A list split again holds only the new text's words.
  separator.Separate("GAMMA", list);
  EXPECT_EQ(list, (TWordList{{"gamma", 1}}));
  EXPECT_EQ(copy[1].Text, "beta");
  EXPECT_NE(copy, (TWordList{{"alpha", 1}, {"beta", 8}}));  // the place counts

  // A text far longer than the splitter keeps room for, then a short one.
  std::string longText;
  for (int i = 0; i < 30000; ++i) longText += "Wd" + std::to_string(i % 10) + " ";
  separator.Separate(longText, list);
  ASSERT_EQ(list.size(), 30000u);
  EXPECT_EQ(list[29999].Text, "wd9");
  EXPECT_EQ(list[29999].Position, 29999 * 4 + 1);
  const TWordList longCopy = list;
  EXPECT_EQ(longCopy, list);
  EXPECT_EQ(longCopy[12345].Text, "wd5");
  // Few letters far into a long text: the place must not be cut to 16 bits.
  separator.Separate(std::string(70000, ' ') + "ab " + std::string(65536, '.') + " cd", list);
  EXPECT_EQ(list, (TWordList{{"ab", 70001}, {"cd", 135541}}));
  separator.Separate("x1 y2", list);
  EXPECT_EQ(list, (TWordList{{"x1", 1}, {"y2", 4}}));
  size_t seen = 0;
  for (const TWord word : list) seen += word.Text.size();
  EXPECT_EQ(seen, 4u);

  // Moved, assigned and grown word by word, each list keeps its own words.
  TWordList moved = std::move(list);
  EXPECT_TRUE(list.empty());  // NOLINT(bugprone-use-after-move): a moved list is empty, and usable
  EXPECT_EQ(list.begin(), list.end());
  list = moved;
  list.push_back({"z3", 7});
  EXPECT_EQ(moved, (TWordList{{"x1", 1}, {"y2", 4}}));
  EXPECT_EQ(list, (TWordList{{"x1", 1}, {"y2", 4}, {"z3", 7}}));
  const TWordList& same = list;
  list = same;  // onto itself
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].Text, "z3");
  moved = TWordList();
  EXPECT_TRUE(moved.empty());
  separator.Separate("", list);
  EXPECT_TRUE(list.empty());
  list.push_back({"", 1});  // an empty text is still a word of the list
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Text, "");
}

TEST(ClearArgument, KeepsOnlyLowerCaseLettersAndDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"Hello, World_2 &amp; more", "helloworld2more"},
      {"&lt;b&gt;Bold&lt;/b&gt;", "bboldb"},
      {"&#39;x&#39;", "39x39"},
      {"Caf\xC9 \xA9 2024", "caf\xC9" "2024"},  // accented letters stay, upper case too
      {"", ""},
  };
  const TClearArgument cleaner;
  for (const auto& [text, cleared] : cases) EXPECT_EQ(cleaner.Clear(text), cleared) << text;
}

TEST(ClearArgument, LeavesWhatRemovingItsPatternFromTheLowerCasedTextLeaves) {
  const TRegex pattern("&gt;|&nbsp;|&quot;|&amp;|&lt;|_|\\W", 0);
  const TClearArgument cleaner;
  auto expected = [&](const std::string& text) { return pattern.ReplaceAll(LowerCase(text), ""); };
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(cleaner.Clear(one), expected(one)) << byte;
  }
  // Entities in any case, cut short, run together and next to other bytes.
  const char* const pieces[] = {"&gt;", "&GT;", "&nbsp;", "&NbSp;", "&quot;", "&amp;", "&lt;", "&lt", "&amp",
                                "&", ";", "_", "a", "Z", "9", "\xC9", "\xE9", "\xD7", "\xF7", "\xA0", " ", "&&lt;"};
  uint32_t seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = round % 9; i >= 0; --i) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % (sizeof pieces / sizeof pieces[0])];
    }
    ASSERT_EQ(cleaner.Clear(text), expected(text)) << text;
  }
}

TEST(ClearArgument, ReusedBufferGivesWhatANewStringGets) {
  // Longest first, so every later text lands in a buffer holding more than it.
  const char* const texts[] = {
      "Long Title, with a tail that is longer than what follows &amp; more",
      "Caf\xC9 na\xEFve \xA0\xD7\xF7 \xFF\xE9t\xE9",
      "!!! ... ,,, --- ___ ;;;",
      "ends in an entity &quot;",
      "cut short &nbs",
      "&&&&amp;&",
      "",
      "X",
  };
  const TClearArgument cleaner;
  std::string buffer;
  for (const char* text : texts) {
    cleaner.Clear(text, buffer);
    EXPECT_EQ(buffer, cleaner.Clear(text)) << text;
  }
  cleaner.Clear("", buffer);
  EXPECT_TRUE(buffer.empty());
}

// What both finders must agree with: the library's own search.
size_t CountByFind(std::string_view text, std::string_view needle) {
  if (needle.empty()) return 0;
  size_t count = 0;
  for (size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + needle.size()))
    ++count;
  return count;
}

std::string RandomText(uint32_t& seed, const char* alphabet, size_t maxLength) {
  seed = seed * 1103515245u + 12345u;
  std::string text((seed >> 16) % (maxLength + 1), ' ');
  for (char& c : text) {
    seed = seed * 1103515245u + 12345u;
    c = alphabet[(seed >> 16) % std::char_traits<char>::length(alphabet)];
  }
  return text;
}

TEST(NeedleFinder, FindsTheFirstOccurrenceAsFindDoes) {
  EXPECT_EQ(TNeedleFinder("").Find("abc"), std::string::npos);
  EXPECT_EQ(TNeedleFinder("abc").Find(""), std::string::npos);
  EXPECT_EQ(TNeedleFinder("abc").Find("ab"), std::string::npos);
  EXPECT_EQ(TNeedleFinder("abc").Find("abc"), 0u);
  EXPECT_EQ(TNeedleFinder("\xE9\xE9").Find("a\xE9\xE9\xE9"), 1u);
  // A small alphabet gives many near misses and repeats.
  uint32_t seed = 5;
  for (int round = 0; round < 20000; ++round) {
    const std::string needle = RandomText(seed, "ab\xE9", 5);
    const std::string text = RandomText(seed, "ab\xE9", 24);
    ASSERT_EQ(TNeedleFinder(needle).Find(text), text.find(needle) == std::string::npos || needle.empty()
                                                    ? std::string::npos
                                                    : text.find(needle))
        << needle << " in " << text;
  }
}

TEST(KeywordCounter, CountsEachKeywordAsRepeatedFindsDo) {
  std::vector<int32_t> counts{99};
  TKeywordCounter({"aa", "a", "", "aaa", "aa", "b"}).Count("aaaaab", counts);
  EXPECT_EQ(counts, (std::vector<int32_t>{2, 5, 0, 1, 2, 1}));  // no overlaps; duplicates count alike
  TKeywordCounter({"x"}).Count("", counts);
  EXPECT_EQ(counts, (std::vector<int32_t>{0}));
  TKeywordCounter().Count("text", counts);
  EXPECT_TRUE(counts.empty());
  // A few keywords are looked for sixteen positions at a time, up to 64 in
  // one scan, more one by one: all give the same, across the chunks' seams.
  uint32_t seed = 77;
  for (const size_t keywordCount : {1u, 3u, 5u, 64u, 65u}) {
    for (int round = 0; round < 300; ++round) {
      std::vector<std::string> keywords;
      for (size_t i = 0; i < keywordCount; ++i) keywords.push_back(RandomText(seed, "ab:\xE9", 4));
      const std::string text = RandomText(seed, "ab:\xE9", 100);
      const TKeywordCounter counter(keywords);
      counter.Count(text, counts);
      ASSERT_EQ(counts.size(), keywords.size());
      for (size_t i = 0; i < keywords.size(); ++i)
        ASSERT_EQ(static_cast<size_t>(counts[i]), CountByFind(text, keywords[i])) << keywords[i] << " in " << text;
    }
  }
}

TEST(SplitKeywords, SplitsAtBlanksAndPlusAndJoinsTheCleanedText) {
  struct Case { const char* keywords; Strings list; const char* joined; };
  const Case cases[] = {
      {"\"Big Apple\" Pie", {"big", "apple", "pie"}, "bigapplepie"},
      {"a  b", {"a", "", "b"}, "ab"},
      {"tea ", {"tea", ""}, "tea"},
      {"salt+Pepper", {"salt", "pepper"}, "saltpepper"},
      {"AT&T, Inc.", {"at&t,", "inc."}, "attinc"},
      {"", {}, ""},
  };
  const TClearArgument cleaner;
  for (const Case& c : cases) {
    Strings list{"stale"};
    std::string joined = "stale";
    SplitKeywords(c.keywords, list, cleaner, joined);
    EXPECT_EQ(list, c.list) << c.keywords;
    EXPECT_EQ(joined, c.joined) << c.keywords;
  }
}

TEST(ExtractSiteName, KeepsTheNamePartOfHostAndPath) {
  struct Case { const char* url; const char* extension; const char* site; };
  const Case cases[] = {
      {"http://www.example.com/", "com", "example"},
      {"http://example.com/", "com", "example"},
      {"http://docs.example.com/", "com", "example"},
      {"http://www.example.com/b.com/", "com", "exampleb"},
      {"HTTP://WWW.Example.COM/", "COM", "example"},
      {"https://example.com/", "com", "example"},  // copied from the 7th character: "//example.com/"
      {"http://localhost/", "", "localhost"},
      {"abc", "com", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractSiteName(c.url, c.extension), c.site) << c.url;
  EXPECT_EQ(LastPos("ab", "abab"), 3u);
  EXPECT_EQ(LastPos("", "abc"), 0u);
}

TEST(ExtractSiteName, DropsEveryExtensionHitAndReusesItsBuffer) {
  struct Case { const char* url; const char* extension; const char* site; };
  const Case cases[] = {
      {"http://a.example.com/www.b.com/c", "com", "bc"},  // "www." anywhere starts the name
      {"http://www.b.com.com.org/x.com", "com", "borgx"},
      {"http://www.b.comcom/", "com", "bcom"},             // a bare "com" stays
      {"http://www.b.Com/", "cOM", "b"},
      {"http://www.b.co.uk/", "", "bcouk"},                // no extension: only the dots go
      {"http://www.caf\xC9.de/", "de", "caf\xC9"},
      {"http://x/", "com", "x"},
      {"http:", "com", ""},
      {"", "", ""},
  };
  std::string buffer = "a stale buffer longer than any of the sites";
  for (const Case& c : cases) {
    ExtractSiteName(c.url, c.extension, buffer);
    EXPECT_EQ(buffer, c.site) << c.url;
    EXPECT_EQ(ExtractSiteName(c.url, c.extension), c.site) << c.url;
  }
}

TEST(SetDelimitedList, ReadsLooseDelimitedText) {
  struct Case { const char* text; Strings items; };
  const Case cases[] = {
      {"", {}},
      {"a,b", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {"a, ", {"a", ""}},
      {",", {"", ""}},
      {"a b,c", {"a", "b", "c"}},
      {"a\tb\nc", {"a", "b", "c"}},
      {"\"\"", {""}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"\"unclosed, text", {"unclosed, text"}},
      {"a\"b,c", {"a\"b", "c"}},  // a quote counts only at the start of an item
      {"\"a\"b", {"a", "b"}},
  };
  for (const Case& c : cases) {
    Strings items{"stale"};
    SetDelimitedList(',', c.text, items);
    EXPECT_EQ(items, c.items) << c.text;
  }
  EXPECT_EQ(SplitDelimited(' ', "|New York| tea", '|'), (Strings{"New York", "tea"}));
}

TEST(DelimitedText, QuotesOnlyWhatWouldNotReadBack) {
  EXPECT_EQ(DelimitedText(',', {"a", "b c", "d\"e", "f,g", ""}), "a,\"b c\",\"d\"\"e\",\"f,g\",");

  const struct { char delimiter; char quote; Strings items; } roundTrips[] = {
      {',', '"', {"a b", "say \"hi\"", "", "x,y", "plain"}},
      {' ', '|', {"new york", "", "a|b", "tea", ""}},
      {'+', '"', {"c", "", "\t"}},
      {',', '"', {""}},
  };
  for (const auto& t : roundTrips) {
    const std::string text = DelimitedText(t.delimiter, t.items, t.quote);
    EXPECT_EQ(SplitDelimited(t.delimiter, text, t.quote), t.items) << text;
  }
}

}  // namespace
}  // namespace orvane
