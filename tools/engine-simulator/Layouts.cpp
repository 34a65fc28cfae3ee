#include "Layouts.h"

#include <algorithm>
#include <set>

#include "base/Escape.h"
#include "base/StrUtils.h"

namespace orvane::sim {

namespace {

bool IsWordByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b >= 0xC0;
}

// Escapes the text and puts the query's words in bold, as the engines did.
std::string Bold(std::string_view text, const TSimQuery& query, const char* open = "<b>",
                 const char* close = "</b>") {
  std::set<std::string> words;
  for (const auto* list : {&query.Words, &query.AltWords})
    for (const auto& word : *list) words.insert(LowerCase(word));
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsWordByte(text[i])) {
      out += HtmlEscape(text.substr(i, 1));
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsWordByte(text[end])) ++end;
    const std::string_view word = text.substr(i, end - i);
    if (words.count(LowerCase(word))) {
      out += open;
      out += word;
      out += close;
    } else {
      out += word;
    }
    i = end;
  }
  return out;
}

// A number of the count group: plain, or grouped when the query asks for it.
std::string CountValue(int64_t value, bool grouped) { return grouped ? Grouped(value) : IntToStr(value); }

std::string Hex(uint64_t value, int digits) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out;
  for (int i = digits - 1; i >= 0; --i) out += kDigits[(value >> (4 * i)) & 15];
  return out;
}

std::string Escaped(const TPageView& view) { return HtmlEscape(view.Keywords); }
std::string Encoded(const TPageView& view) { return URLEncode(view.Keywords); }

const char* kHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
    "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\n";

// The page links under the results: up to ten page numbers around this one.
std::string PageLinks(const TPageView& view, const std::string& base, int firstOffset) {
  const int pages = std::max(1, (view.Total.Served + view.PageSize - 1) / view.PageSize);
  std::string out;
  for (int p = 1; p <= std::min(pages, 10); ++p) {
    if (p == view.Page) {
      out += "<b>" + IntToStr(p) + "</b> ";
    } else {
      out += "<a href=\"" + base + IntToStr((p - 1) * view.PageSize + firstOffset) + "\">" + IntToStr(p) + "</a> ";
    }
  }
  if (view.Page < std::min(pages, 10))
    out += "<a href=\"" + base + IntToStr(view.Page * view.PageSize + firstOffset) + "\"><b>Next</b></a>";
  return out;
}

void GoogleResult(const TPageView& view, const TViewEntry& entry, std::string& out) {
  const TDoc& doc = entry.Doc;
  const std::string cache = "/search?q=cache:" + Hex(HashText(doc.Link), 12) + ":" + doc.DisplayUrl + "+" + Encoded(view);
  out += "<div class=\"g\"><h2 class=\"r\"><a class=\"l\" href=\"" + entry.Href + "\">" +
         (entry.Untitled ? std::string() : Bold(doc.Title, *view.Query)) + "</a></h2>\n";
  if (entry.NoSnippet) {
    out += "<span class=\"a\">" + HtmlEscape(doc.DisplayUrl) +
           "</span> - <a class=\"fl\" href=\"/search?q=related:" + doc.DisplayUrl + "\">Similar pages</a>\n</div>\n";
    return;
  }
  out += "<table class=\"s\" cellpadding=\"0\" cellspacing=\"0\" border=\"0\"><tr><td class=\"j\"><font size=\"-1\">\n";
  if (doc.Foreign)
    out += "[ <a class=\"tr\" href=\"/translate?hl=en&sl=auto&u=" + doc.Link + "\">Translate this page</a> ]<br>\n";
  if (!doc.FileFormat.empty())
    out += "<span class=\"ff\">File Format:</span> " + doc.FileFormat + " - <a class=\"fl\" href=\"" + cache +
           "\">View as HTML</a><br>\n";
  out += Bold(doc.Snippet, *view.Query) + "<br>\n";
  out += "<span class=\"a\">" + HtmlEscape(doc.DisplayUrl) + " - " + IntToStr(doc.SizeK) +
         "k - </span><nobr><a class=\"fl\" href=\"" + cache + "\">Cached</a> - <a class=\"fl\" href=\"/search?q=related:" +
         doc.DisplayUrl + "\">Similar pages</a></nobr></font></td></tr></table>\n</div>\n";
}

}  // namespace

// The apostrophe too, as the engines' own pages do.
std::string HtmlEscape(std::string_view text) { return EscapeHTMLAttribute(text); }

std::string Grouped(int64_t value) {
  std::string digits = IntToStr(value);
  std::string out;
  const int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string RenderGoogle(const TPageView& view) {
  std::string out = kHead;
  out += "<title>" + Escaped(view) + " - Web Search</title>\n";
  out += "<style>body{font-family:arial,sans-serif;margin:8px}div.g{margin:1em 0}h2.r{font-size:medium;"
         "font-weight:normal;margin:0}.a{color:#008000}.fl{color:#77c}blockquote.more{margin:0 0 0 40px}"
         "#stats{background:#e5ecf9;border-top:1px solid #36c;padding:2px 4px}</style>\n</head><body>\n";
  out += "<form name=\"f\" action=\"/search\" method=\"get\"><table class=\"hd\"><tr><td><a href=\"/\">"
         "<b class=\"logo\">Web Search</b></a></td>\n<td><input type=\"text\" name=\"q\" size=\"41\" maxlength=\"2048\" "
         "value=\"" + Escaped(view) + "\"> <input type=\"submit\" value=\"Search\">"
         "<input type=\"hidden\" name=\"num\" value=\"" + IntToStr(view.PageSize) + "\"></td></tr></table></form>\n";
  out += "<div class=\"tabs\"><b>Web</b> &nbsp; <a href=\"/images?q=" + Encoded(view) + "\">Images</a> &nbsp; "
         "<a href=\"/groups?q=" + Encoded(view) + "\">Groups</a> &nbsp; <a href=\"/news?q=" + Encoded(view) +
         "\">News</a></div>\n";
  if (view.Entries.empty()) {
    out += "<div id=\"none\"><p>Your search - <b>" + Escaped(view) +
           "</b> - did not match any documents.</p>\n<p>Suggestions:</p><ul><li>Make sure all words are spelled "
           "correctly.</li><li>Try different keywords.</li><li>Try more general keywords.</li></ul></div>\n"
           "</body></html>\n";
    return out;
  }
  const std::string last = CountValue(view.Last, view.GroupedCount);
  const std::string claimed = CountValue(view.Total.Claimed, view.GroupedCount);
  out += "<div id=\"stats\" data-last=\"" + last + (view.Total.About ? "\" data-about=\"" : "\" data-exact=\"") +
         claimed + "\">Results <b>" + Grouped(view.First) + "</b> - <b>" + Grouped(view.Last) + "</b> of " +
         (view.Total.About ? "about " : "") + "<b>" + Grouped(view.Total.Claimed) + "</b> for " +
         Bold(view.Query->Phrase(), *view.Query) + ". (<b>0." + IntToStr(10 + view.Last % 80) +
         "</b> seconds)</div>\n";
  if (view.Page == 1) {
    const std::string shop = "www.shop" + Slug(view.Query->Phrase()) + ".com";
    out += "<div id=\"ads\"><h4>Sponsored Links</h4><div class=\"ad\"><a href=\"/aclk?sa=L&ai=B" +
           Hex(HashText(shop), 10) + "&adurl=http://" + shop + "/\">" + Bold(view.Query->Phrase(), *view.Query) +
           " on sale</a><br><span class=\"adt\">Low prices on " + HtmlEscape(view.Query->Phrase()) +
           ". Free shipping on orders over $25.</span><br><span class=\"a\">" + shop + "</span></div></div>\n";
  }
  out += "<div id=\"res\">\n";
  for (size_t i = 0; i < view.Entries.size(); ++i) {
    const TViewEntry& entry = view.Entries[i];
    const bool nextNested = i + 1 < view.Entries.size() && view.Entries[i + 1].Nested;
    if (entry.Rank == 0) {
      // A news box: its "/url?q=" link is not a result of its own.
      out += "<div class=\"g\"><h2 class=\"r\"><a class=\"l\" href=\"" + entry.Href + "\">News results for " +
             Bold(view.Query->Phrase(), *view.Query) + "</a></h2>\n<table class=\"s\"><tr><td class=\"j\">"
             "<font size=\"-1\">\n" + Bold(entry.Doc.Title, *view.Query) + " - " + IntToStr(entry.Doc.SizeK % 12 + 1) +
             " hours ago<br>\n<span class=\"a\">" + HtmlEscape(entry.Doc.DisplayUrl) +
             "</span></font></td></tr></table>\n</div>\n";
      continue;
    }
    GoogleResult(view, entry, out);
    if (entry.Nested) out += "</blockquote>\n";
    if (nextNested) out += "<blockquote class=\"more\">\n";
  }
  out += "</div>\n<div id=\"nav\"><table align=\"center\"><tr><td>Result Page: " +
         PageLinks(view, "/search?q=" + Encoded(view) + "&num=" + IntToStr(view.PageSize) + "&start=", 0) +
         "</td></tr></table></div>\n";
  out += "<div class=\"ftr\"><p><a href=\"/advanced_search\">Advanced Search</a> - <a href=\"/preferences\">"
         "Preferences</a> - <a href=\"/help\">Search Tips</a></p><p>&copy;2006 Web Search</p></div>\n</body></html>\n";
  return out;
}

std::string RenderMSN(const TPageView& view) {
  std::string out =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n<html xmlns=\"http://www.w3.org/1999/xhtml\">"
      "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\" />\n";
  out += "<title>" + Escaped(view) + " - Search Results</title>\n<link rel=\"stylesheet\" href=\"/s/results.css\" "
         "type=\"text/css\" />\n</head>\n<body><div id=\"hd\"><form id=\"sb\" action=\"/results.aspx\" method=\"get\">"
         "<input type=\"text\" name=\"q\" id=\"q\" value=\"" + Escaped(view) +
         "\" /><input type=\"submit\" value=\"Search\" /></form></div>\n<div id=\"bd\">\n";
  if (view.Entries.empty()) {
    out += "<div id=\"nores\"><h4>We did not find any results containing <strong>" + Escaped(view) +
           "</strong>.</h4><p>Check your spelling or try different keywords.</p></div>\n</div></body></html>\n";
    return out;
  }
  out += "<div class=\"sb-count\" data-page=\"" + IntToStr(view.Page) + "\" data-total=\"" +
         CountValue(view.Total.Claimed, view.GroupedCount) + "\"><h5>Page " + IntToStr(view.Page) + " of " +
         Grouped(view.Total.Claimed) + " results containing " + Bold(view.Query->Phrase(), *view.Query, "<strong>", "</strong>") +
         "</h5></div>\n";
  out += "<div id=\"results\"><ul>\n";
  for (const TViewEntry& entry : view.Entries) {
    const TDoc& doc = entry.Doc;
    out += "<li class=\"sr\"><h3><a href=\"" + entry.Href + "\" onmousedown=\"return rc(this," +
           IntToStr(entry.Rank) + ")\">" + (entry.Untitled ? std::string() : Bold(doc.Title, *view.Query, "<strong>", "</strong>")) +
           "</a></h3>";
    if (!entry.NoSnippet) out += "<p>" + Bold(doc.Snippet, *view.Query, "<strong>", "</strong>") + "</p>";
    out += "<ul class=\"sc\"><li class=\"first\"><cite>" + HtmlEscape(doc.DisplayUrl) +
           "</cite></li><li>&middot; <a href=\"/cache.aspx?d=" + Hex(HashText(doc.Link), 16) + "&w=" +
           IntToStr(entry.Rank) + "\">Cached page</a></li></ul></li>\n";
  }
  out += "</ul></div>\n<div id=\"pg\"><ul><li class=\"pg\">" +
         PageLinks(view, "/results.aspx?q=" + Encoded(view) + "&count=" + IntToStr(view.PageSize) + "&first=", 1) +
         "</li></ul></div>\n</div>\n<div id=\"ft\"><p>&copy; 2006 Web Search &middot; <a href=\"/privacy\">Privacy"
         "</a> &middot; <a href=\"/legal\">Legal</a></p></div>\n</body></html>\n";
  return out;
}

std::string RenderYahoo(const TPageView& view) {
  std::string out = kHead;
  out += "<title>" + Escaped(view) + " - Search Results</title>\n</head>\n<body><div id=\"ysch\">\n<div id=\"hd\">"
         "<form name=\"s\" action=\"/search\"><input type=\"text\" name=\"p\" size=\"40\" value=\"" +
         Escaped(view) + "\"><input type=\"submit\" value=\"Search\"></form></div>\n";
  if (view.Entries.empty()) {
    out += "<div id=\"nores\"><p>We did not find results for: <strong>" + Escaped(view) +
           "</strong>.</p><p>Try suggestions below or type a new query above.</p></div>\n</div></body></html>\n";
    return out;
  }
  out += "<form name=\"nav\" action=\"/search\"><input type=\"hidden\" id=\"ysr-last\" value=\"" +
         CountValue(view.Last, view.GroupedCount) + "\"><input type=\"hidden\" id=\"ysr-total\" value=\"" +
         CountValue(view.Total.Claimed, view.GroupedCount) + "\"></form>\n";
  out += "<div id=\"info\"><p>" + Grouped(view.First) + " - " + Grouped(view.Last) + " of " +
         (view.Total.About ? "about " : "") + Grouped(view.Total.Claimed) + " for <strong>" + HtmlEscape(view.Query->Phrase()) +
         "</strong> - <span class=\"t\">0." + IntToStr(10 + view.First % 40) + "</span> sec.</p></div>\n";
  out += "<div id=\"web\"><h2>Search Results</h2><ol start=\"" + IntToStr(view.First) + "\">\n";
  for (const TViewEntry& entry : view.Entries) {
    const TDoc& doc = entry.Doc;
    out += "<li><div class=\"res\"><div><a class=\"yschttl\" href=\"" + entry.Href + "\">" +
           (entry.Untitled ? std::string() : Bold(doc.Title, *view.Query)) + "</a></div>\n";
    if (!entry.NoSnippet) {
      out += "<div class=\"abstr\">";
      if (doc.Foreign)
        out += "[<a class=\"tr\" href=\"/language/translate?u=" + URLEncode(doc.Link) +
               "\">Translate this page</a>]<br>\n";
      out += Bold(doc.Snippet, *view.Query) + "</div>\n";
    }
    out += "<span class=\"url\">" + HtmlEscape(doc.DisplayUrl) + "</span> - " + IntToStr(doc.SizeK) +
           "k - <a class=\"cache\" href=\"/search/cache?u=" + URLEncode(doc.DisplayUrl) +
           "\">Cached</a></div></li>\n";
  }
  out += "</ol></div>\n<div id=\"pg\">Result Page: " +
         PageLinks(view, "/search?p=" + Encoded(view) + "&n=" + IntToStr(view.PageSize) + "&b=", 1) +
         "</div>\n</div>\n<div id=\"ft\">Copyright &copy; 2006 Web Search. All rights reserved.</div></body></html>\n";
  return out;
}

std::string RenderJunk() {
  return std::string(kHead) +
         "<title>Sorry...</title></head><body>\n<h1>We're sorry...</h1>\n<p>... but your query looks similar to "
         "automated requests from a computer virus or spyware application. To protect our users, we can't process "
         "your request right now.</p>\n</body></html>\n";
}

std::string RenderError(int status) {
  return std::string(kHead) + "<title>" + IntToStr(status) +
         " Server Error</title></head><body>\n<h1>Server Error</h1>\n<p>The server encountered a temporary error "
         "and could not complete your request. Please try again in 30 seconds.</p>\n</body></html>\n";
}

std::string RenderBlockPage(int engine) {
  switch (engine) {
    case 0:
      return std::string(kHead) +
             "<title>Sorry</title></head><body>\n<form id=\"captcha-form\" action=\"index\" method=\"post\">\n"
             "<p>Our systems have detected unusual traffic from your computer network.</p>\n</form>\n</body></html>\n";
    case 1:
      return std::string(kHead) +
             "<title>Verify</title></head><body>\n<div id=\"b_captcha\"><p>One last step: please solve the "
             "challenge below to continue.</p></div>\n</body></html>\n";
    default:
      return std::string(kHead) +
             "<title>Yahoo is part of the Yahoo family of brands</title></head><body>\n<form class=\"consent-form\" "
             "method=\"post\" action=\"https://consent.yahoo.com/v2/collectConsent?sessionId=3_cc-session\">\n"
             "<button type=\"submit\" name=\"agree\" value=\"agree\">Accept all</button>\n</form>\n</body></html>\n";
  }
}

}  // namespace orvane::sim
