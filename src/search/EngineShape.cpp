#include "search/EngineShape.h"

#include <algorithm>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "search/DataPage.h"

namespace orvane {

namespace {

TEngineShape Google() {
  TEngineShape shape;
  shape.Label = "Google";
  shape.DefaultHost = "www.google.com";
  shape.URL = "{scheme}://{host}/search?num={count}&start={first0}&q={keywords}&lr=lang_en";
  // The site goes in as typed: the engine reads "site:" operators raw.
  shape.SiteURL = "{scheme}://{host}/search?num={count}&start={first0}&q=site:{site} {keywords}&lr=lang_en";
  shape.NestedAfterBlockquote = true;
  shape.RejectPrefixes = {"/url?q="};
  return shape;
}

TEngineShape MSN() {
  TEngineShape shape;
  shape.Label = "MSN";
  shape.DefaultHost = "search.msn.com";
  shape.URL = "{scheme}://{host}/results.aspx?q=language:en {keywords}&count={count}&first={first1}&FORM=PORE";
  shape.CountIsPageNumber = true;
  return shape;
}

TEngineShape Yahoo() {
  TEngineShape shape;
  shape.Label = "Yahoo";
  shape.DefaultHost = "search.yahoo.com";
  shape.URL = "{scheme}://{host}/search?_adv_prop=web&ei=UTF-8&va={keywords}&fl=1&vl=lang_en&n={count}&b={first1}";
  // Click-tracking redirects: the target follows the prefix and ends before "&y=".
  shape.Redirects = {{"http://click.yahoo.com/click?u=", "&y="}, {"http://track.yahoo.com/click?u=", "&y="}};
  return shape;
}

std::string Fault(const std::string& text) { throw TOvException(text, "SearchEngines", "ReadShape"); }

bool ReadFlag(pugi::xml_node node, const char* name, bool fallback) {
  const pugi::xml_node child = node.child(name);
  return child ? std::string_view(child.text().get()) != "0" : fallback;
}

int32_t ReadCount(pugi::xml_node node, const char* name, int32_t fallback, int32_t low, int32_t high) {
  const pugi::xml_node child = node.child(name);
  if (!child) return fallback;
  int32_t value = 0;
  if (!TryStrToInt(child.text().get(), value) || value < low || value > high)
    Fault(std::string(name) + " is not a number from " + IntToStr(low) + " to " + IntToStr(high));
  return value;
}

void ReadText(pugi::xml_node node, const char* name, std::string& field) {
  if (const pugi::xml_node child = node.child(name)) field = child.text().get();
}

std::string PercentRFC3986(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string Encode(std::string_view value, std::string_view encoding) {
  if (encoding == "raw") return std::string(value);
  if (encoding == "form") return URLEncode(value);
  if (encoding == "percent") return PercentRFC3986(value);
  // Text is Latin-1 inside; most APIs read their parameters as UTF-8.
  if (encoding == "utf8") return PercentRFC3986(Latin1ToUtf8(value));
  throw TOvException("Unknown encoding \"" + std::string(encoding) + "\"", "SearchEngines", "URL");
}

}  // namespace

TEngineShape BuiltInShape(const std::string& name) {
  if (name == "Google") return Google();
  if (name == "MSN") return MSN();
  if (name == "Yahoo") return Yahoo();
  TEngineShape shape;
  shape.Label = name;
  return shape;
}

void ReadShape(pugi::xml_node section, TEngineShape& shape) {
  ReadText(section, "Label", shape.Label);
  shape.Enabled = ReadFlag(section, "Enabled", shape.Enabled);
  shape.MetaBoost = ReadFlag(section, "MetaBoost", shape.MetaBoost);
  ReadText(section, "Format", shape.Format);
  ReadText(section, "Host", shape.DefaultHost);
  ReadText(section, "URL", shape.URL);
  ReadText(section, "SiteURL", shape.SiteURL);
  shape.PerPage = ReadCount(section, "PerPage", shape.PerPage, 1, 1000);
  shape.MaxPages = ReadCount(section, "MaxPages", shape.MaxPages, 1, 10);
  // The count of the last page tells how many there are.
  shape.ProbePage = shape.MaxPages - 1;
  shape.CountIsPageNumber = ReadFlag(section, "CountIsPageNumber", shape.CountIsPageNumber);
  if (section.child("Header")) shape.Headers.clear();
  for (pugi::xml_node header : section.children("Header")) {
    const std::string name = header.attribute("Name").value();
    if (name.empty() || name.find_first_of(": \r\n") != std::string::npos) Fault("A Header has no usable Name");
    shape.Headers.emplace_back(name, header.text().get());
  }
  if (const pugi::xml_node key = section.child("Key")) {
    shape.KeyHeader = key.attribute("Header").value();
    shape.KeyRequired = std::string_view(key.attribute("Required").value()) == "1";
  }
  if (section.child("RejectPrefix")) shape.RejectPrefixes.clear();
  for (pugi::xml_node reject : section.children("RejectPrefix")) shape.RejectPrefixes.push_back(reject.text().get());
  if (section.child("Redirect")) shape.Redirects.clear();
  for (pugi::xml_node redirect : section.children("Redirect")) {
    TRedirectRule rule{redirect.attribute("Prefix").value(), redirect.attribute("End").value()};
    if (rule.Prefix.empty()) Fault("A Redirect has no Prefix");
    shape.Redirects.push_back(std::move(rule));
  }
  ReadText(section, "LinkBase", shape.LinkBase);
  ReadText(section, "TotalPointer", shape.TotalPointer);
  ReadText(section, "ListPointer", shape.ListPointer);
  ReadText(section, "TitlePointer", shape.TitlePointer);
  ReadText(section, "LinkPointer", shape.LinkPointer);
  ReadText(section, "DescriptionPointer", shape.DescriptionPointer);
  ReadText(section, "LinkTemplate", shape.LinkTemplate);
  ReadText(section, "WordPrefix", shape.WordPrefix);
  ReadText(section, "WordJoin", shape.WordJoin);
}

std::string ShapeFault(const TEngineShape& shape) {
  if (shape.Format != "html" && shape.Format != "json" && shape.Format != "atom" && shape.Format != "rss") return "unknown format \"" + shape.Format + "\"";
  if (shape.Format == "json") {
    if (shape.LinkPointer.empty()) return "a json engine needs a LinkPointer";
    for (const std::string* pointer : {&shape.TotalPointer, &shape.ListPointer, &shape.TitlePointer,
                                       &shape.LinkPointer, &shape.DescriptionPointer})
      if (std::string fault = PointerFault(*pointer); !fault.empty()) return fault;
  }
  if (shape.URL.find("{keywords") == std::string::npos) return "the URL has no {keywords} placeholder";
  try {
    const TURLValues sample{"https", "host", "k", "s", "key", 0, shape.PerPage};
    ExpandURLTemplate(shape.URL, sample);
    if (!shape.SiteURL.empty()) ExpandURLTemplate(shape.SiteURL, sample);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::string ExpandURLTemplate(const std::string& pattern, const TURLValues& values) {
  const int64_t first = static_cast<int64_t>(values.Page) * values.PerPage;
  std::string out;
  size_t from = 0;
  while (from < pattern.size()) {
    const size_t open = pattern.find('{', from);
    if (open == std::string::npos) break;
    const size_t close = pattern.find('}', open);
    if (close == std::string::npos) throw TOvException("Unclosed placeholder in the URL", "SearchEngines", "URL");
    out.append(pattern, from, open - from);
    const std::string_view inside(pattern.data() + open + 1, close - open - 1);
    const size_t bar = inside.find('|');
    const std::string_view name = inside.substr(0, bar);
    const std::string_view encoding = bar == std::string_view::npos ? std::string_view() : inside.substr(bar + 1);
    auto text = [&](const std::string& value, std::string_view fallback) {
      out += Encode(value, encoding.empty() ? fallback : encoding);
    };
    if (name == "keywords") text(values.Keywords, "form");
    else if (name == "site") text(values.Site, "raw");
    else if (name == "key") text(values.Key, "form");
    else if (name == "host") text(values.Host, "raw");
    else if (name == "scheme") text(values.Scheme, "raw");
    else if (name == "first0") text(IntToStr(first), "raw");
    else if (name == "first1") text(IntToStr(first + 1), "raw");
    else if (name == "page0") text(IntToStr(values.Page), "raw");
    else if (name == "page1") text(IntToStr(values.Page + 1), "raw");
    else if (name == "count") text(IntToStr(values.PerPage), "raw");
    else throw TOvException("Unknown placeholder {" + std::string(inside) + "}", "SearchEngines", "URL");
    from = close + 1;
  }
  out.append(pattern, from, std::string::npos);
  return out;
}

namespace {

// The end of the token at `at`: the next blank, but a quoted phrase (after
// any opening parentheses) runs to its closing quote.
size_t TokenEnd(const std::string& text, size_t at) {
  size_t p = text.find_first_not_of('(', at);
  if (p != std::string::npos && text[p] == '"') {
    const size_t quote = text.find('"', p + 1);
    if (quote == std::string::npos) return text.size();
    at = quote;
  }
  const size_t blank = text.find(' ', at);
  return blank == std::string::npos ? text.size() : blank;
}

}  // namespace

std::string FieldedKeywords(const std::string& keywords, const TEngineShape& shape, const std::string& separator) {
  if (shape.WordPrefix.empty() && shape.WordJoin.empty()) return keywords;
  const std::string join = shape.WordJoin.empty() ? " " : shape.WordJoin;
  std::string out;
  bool afterWord = false;
  for (size_t at = keywords.find_first_not_of(' '); at != std::string::npos;
       at = keywords.find_first_not_of(' ', at)) {
    const size_t end = TokenEnd(keywords, at);
    const std::string_view token(keywords.data() + at, end - at);
    at = end;
    const bool isSeparator = !separator.empty() && token == separator;
    if (!out.empty()) out += afterWord && !isSeparator ? join : " ";
    afterWord = !isSeparator;
    if (isSeparator) {
      out.append(token);
      continue;
    }
    const size_t open = std::min(token.find_first_not_of('('), token.size());
    size_t close = token.size();
    while (close > open && token[close - 1] == ')') --close;
    out.append(token.substr(0, open));
    if (close > open) {
      out += shape.WordPrefix;
      out.append(token.substr(open, close - open));
    }
    out.append(token.substr(close));
  }
  return out;
}

bool ApplyLinkRules(const TEngineShape& shape, std::string& link) {
  for (const std::string& prefix : shape.RejectPrefixes)
    if (!prefix.empty() && link.starts_with(prefix)) return false;
  for (const TRedirectRule& rule : shape.Redirects) {
    if (!link.starts_with(rule.Prefix)) continue;
    const size_t end = rule.End.empty() ? link.size() : link.find(rule.End, rule.Prefix.size());
    link = end == std::string::npos ? std::string() : link.substr(rule.Prefix.size(), end - rule.Prefix.size());
    break;
  }
  if (!shape.LinkBase.empty() && link.starts_with('/') && !link.starts_with("//")) link = shape.LinkBase + link;
  return !link.empty();
}

}  // namespace orvane
