// The link judgement and the escapers on arbitrary text, read back as a
// browser would read the HTML: no event-handler attribute, no link whose
// scheme is not http, https or ftp, and no string literal, script element or
// attribute that ends early.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "base/Escape.h"
#include "base/LinkJudge.h"
#include "base/StrUtils.h"
#include "pages/ResultsList.h"
#include "search/Results.h"
#include "host/GlobalData.h"
#include "words/Preferences.h"

using namespace orvane;

namespace {

struct TAttribute {
  std::string Name, Value;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The attributes of every start tag, as an HTML tokenizer splits them.
std::vector<TAttribute> Attributes(const std::string& html) {
  std::vector<TAttribute> found;
  for (size_t i = html.find('<'); i != std::string::npos; i = html.find('<', i + 1)) {
    size_t p = i + 1;
    if (p >= html.size() || !std::isalpha(static_cast<unsigned char>(html[p]))) continue;
    while (p < html.size() && !IsSpace(html[p]) && html[p] != '>' && html[p] != '/') ++p;
    while (p < html.size() && html[p] != '>') {
      if (IsSpace(html[p]) || html[p] == '/') {
        ++p;
        continue;
      }
      TAttribute attribute;
      do attribute.Name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[p++])));
      while (p < html.size() && !IsSpace(html[p]) && html[p] != '>' && html[p] != '/' && html[p] != '=');
      while (p < html.size() && IsSpace(html[p])) ++p;
      if (p < html.size() && html[p] == '=') {
        ++p;
        while (p < html.size() && IsSpace(html[p])) ++p;
        if (p < html.size() && (html[p] == '"' || html[p] == '\'')) {
          const size_t end = html.find(html[p], p + 1);
          if (end == std::string::npos) std::abort();  // an attribute that never ends
          attribute.Value = html.substr(p + 1, end - p - 1);
          p = end + 1;
        } else {
          while (p < html.size() && !IsSpace(html[p]) && html[p] != '>') attribute.Value += html[p++];
        }
      }
      found.push_back(std::move(attribute));
    }
    i = p < html.size() ? p : html.size() - 1;
  }
  return found;
}

// A value we wrote holds no entity but these four, so it decodes exactly.
std::string Decode(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '&') {
      out += value[i];
      continue;
    }
    bool known = false;
    for (const auto& [entity, byte] : {std::pair{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}) {
      if (value.compare(i, std::char_traits<char>::length(entity), entity) != 0) continue;
      out += byte;
      i += std::char_traits<char>::length(entity) - 1;
      known = true;
      break;
    }
    if (!known) std::abort();
  }
  return out;
}

// The scheme a browser takes from an href: leading blanks and controls
// skipped, tabs and line breaks dropped.
void CheckHref(const std::string& value) {
  std::string link;
  for (char c : Decode(value))
    if (c != '\t' && c != '\n' && c != '\r') link += c;
  size_t start = 0;
  while (start < link.size() && static_cast<unsigned char>(link[start]) <= 0x20) ++start;
  size_t end = start;
  if (end < link.size() && std::isalpha(static_cast<unsigned char>(link[end]))) {
    while (end < link.size() && (std::isalnum(static_cast<unsigned char>(link[end])) || link[end] == '+' ||
                                 link[end] == '-' || link[end] == '.'))
      ++end;
    if (end < link.size() && link[end] == ':') {
      const std::string scheme = LowerCase(link.substr(start, end - start));
      if (scheme != "http" && scheme != "https" && scheme != "ftp") std::abort();
    }
  }
}

void CheckPage(const std::string& html, size_t ownHandlers) {
  size_t handlers = 0;
  for (const TAttribute& attribute : Attributes(html)) {
    if (attribute.Name.starts_with("on")) ++handlers;
    if (attribute.Name == "href" || attribute.Name == "src" || attribute.Name == "action") CheckHref(attribute.Value);
  }
  if (handlers != ownHandlers) std::abort();
}

// A single-quoted string literal from `from` to its end, which must be `rest`.
void CheckLiteral(const std::string& code, size_t from, const std::string& rest) {
  size_t i = from;
  while (i < code.size() && code[i] != '\'' && code[i] != '\n' && code[i] != '\r') i += code[i] == '\\' ? 2 : 1;
  if (i >= code.size() || code.substr(i) != rest) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TSessionData session(1, fuzz::FuzzGlobal().DataDir, false);
  const std::vector<std::string> texts = fuzz::Pieces(data, size, 3);

  // The results list: a link judged unsafe is never an href.
  TResults results;
  auto result = std::make_unique<TResult>();
  result->Source.Link = texts[0];
  result->Source.Title = texts[1];
  result->SetDescription(texts[2]);
  result->Marks.Visible = true;
  results.AddResult(std::move(result));
  const std::string list = GetResultsHTML(results, *session.Preferences);
  CheckPage(list, 0);
  if (IsSafeLink(texts[0]) != list.starts_with("<a ")) std::abort();

  // Each escaper in its own context.
  for (const std::string& text : texts) {
    const std::string js = EscapeJS(text);
    const std::string page = "<p title=\"" + EscapeHTMLAttribute(text) + "\" class='" + EscapeHTMLAttribute(text) +
                             "'>" + EscapeHTML(text) + "</p><script>f('" + js + "');</script>";
    CheckPage(page, 0);
    // Nothing ends the script element early, and the literal ends where we end it.
    if (LowerCase(page).find("</script") != page.size() - 9) std::abort();
    CheckLiteral(page, page.find("<script>f('") + 11, "');</script>");
    const std::string json = JsonString(text);
    if (json.find('<') != std::string::npos || json.size() < 2 || json.front() != '"') std::abort();
    size_t i = 1;
    while (i < json.size() && json[i] != '"') i += json[i] == '\\' ? 2 : 1;
    if (i != json.size() - 1) std::abort();
  }
  return 0;
}
