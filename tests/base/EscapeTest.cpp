#include "base/Escape.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

using namespace std::string_literals;

// One hostile text through every escaper: what each writes, side by side.
TEST(Escape, HostileTextsNeverLeaveTheirContext) {
  const struct {
    std::string text, html, attribute, js, json, csv;
  } rows[] = {
      {"plain 123", "plain 123", "plain 123", "plain 123", "\"plain 123\"", "plain 123"},
      {"\"q\" 'a'", "&quot;q&quot; 'a'", "&quot;q&quot; &#39;a&#39;", "\\\"q\\\" \\'a\\'", "\"\\\"q\\\" 'a'\"",
       "\"\"\"q\"\" 'a'\""},
      {"a<b>&c", "a&lt;b&gt;&amp;c", "a&lt;b&gt;&amp;c", "a\\x3cb\\x3e\\x26c", "\"a\\u003cb>&c\"",
       "a<b>&c"},
      {"&#106;avascript:", "&amp;#106;avascript:", "&amp;#106;avascript:", "\\x26#106;avascript:",
       "\"&#106;avascript:\"", "&#106;avascript:"},
      {"<ov:x>", "&lt;ov:x&gt;", "&lt;ov:x&gt;", "\\x3cov:x\\x3e", "\"\\u003cov:x>\"", "<ov:x>"},
      {"</script>", "&lt;/script&gt;", "&lt;/script&gt;", "\\x3c/script\\x3e", "\"\\u003c/script>\"", "</script>"},
      {"n\0l\x01\x7f"s, "nl\x01\x7f", "nl\x01\x7f", "n\\x00l\\x01\\x7f", "\"n\\u0000l\\u0001\\u007f\"",
       "n\0l\x01\x7f"s},
      {"l1\r\nl2\t", "l1\r\nl2\t", "l1\r\nl2\t", "l1\\r\\nl2\\x09", "\"l1\\r\\nl2\\t\"", "\"l1\r\nl2\t\""},
      {"caf\xe9 \xff", "caf\xe9 \xff", "caf\xe9 \xff", "caf\xe9 \xff", "\"caf\xc3\xa9 \xc3\xbf\"",
       "caf\xc3\xa9 \xc3\xbf"},
      // U+2028 sent as UTF-8 by a page: three Latin-1 bytes, the middle one a C1 control.
      {"a\xe2\x80\xa8z", "a\xe2\x80\xa8z", "a\xe2\x80\xa8z", "a\xe2\x80\xa8z", "\"a\xc3\xa2\\u0080\xc2\xa8z\"",
       "a\xc3\xa2\xc2\x80\xc2\xa8z"},
      {"\\", "\\", "\\", "\\\\", "\"\\\\\"", "\\"},
      {"=HYPERLINK(\"x\")", "=HYPERLINK(&quot;x&quot;)", "=HYPERLINK(&quot;x&quot;)", "=HYPERLINK(\\\"x\\\")",
       "\"=HYPERLINK(\\\"x\\\")\"", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"+1,2", "+1,2", "+1,2", "+1,2", "\"+1,2\"", "\"'+1,2\""},
      {"", "", "", "", "\"\"", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EscapeHTML(row.text), row.html) << row.text;
    EXPECT_EQ(EscapeHTMLAttribute(row.text), row.attribute) << row.text;
    EXPECT_EQ(EscapeJS(row.text), row.js) << row.text;
    EXPECT_EQ(JsonString(row.text), row.json) << row.text;
    EXPECT_EQ(CsvField(row.text), row.csv) << row.text;
  }
}

// What no output may hold, whatever byte comes in.
TEST(Escape, NoByteBreaksOutOfItsContext) {
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  const std::string html = EscapeHTMLAttribute(every), js = EscapeJS(every), json = JsonString(every);
  EXPECT_EQ(html.find_first_of("<>\"'\0"s), std::string::npos);
  EXPECT_EQ(js.find_first_of("<>&\r\n\0"s), std::string::npos);
  for (size_t i = 0; i < js.size(); ++i) {
    if (js[i] == '"' || js[i] == '\'') {
      EXPECT_EQ(js[i - 1], '\\') << i;
    }
  }
  EXPECT_EQ(json.find('<'), std::string::npos);
  for (size_t i = 1; i + 1 < json.size(); ++i) {
    if (json[i] == '"') {
      EXPECT_EQ(json[i - 1], '\\') << i;
    }
  }
  EXPECT_EQ(json.find("\xc2\x85"), std::string::npos);  // NEL, a line break to some parsers
  // Engine text keeps its entities but can open no tag.
  std::string engine;
  AppendEngineText(engine, every + "<ov:x> &amp; &#106;");
  EXPECT_EQ(engine.find('<'), std::string::npos);
  EXPECT_TRUE(engine.ends_with("&lt;ov:x> &amp; &#106;"));
}

}  // namespace
}  // namespace orvane
