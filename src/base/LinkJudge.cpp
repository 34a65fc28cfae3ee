#include "base/LinkJudge.h"

#include <algorithm>

#include "base/Escape.h"
#include "base/StrUtils.h"

namespace orvane {

namespace {

// Every byte that can precede a scheme's colon once the browser has read it.
std::string SchemeView(std::string_view stored) {
  // Decoded until nothing changes: a text encoded twice is judged on what
  // it would become, never on its disguise.
  std::string text(stored);
  for (int round = 0; round < 4; ++round) {
    // A "+" is no blank in a link: "http+:" is a scheme of its own.
    std::string unescaped = URLDecode(ReplaceAll(DecodeHTMLEntities(text), "+", "%2B"));
    if (unescaped == text) break;
    text = std::move(unescaped);
  }
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) > 0x20 && c != 0x7f) out += c;
  return LowerCase(out);
}

// IsSafeLink for a link without "&" and "%" before its first "/", "?" or
// "#": decoding leaves that part as it is, and nothing decoded after it
// can move in front, so the scheme is read straight off the stored text.
// Most links are such.
bool IsSafePlainLink(std::string_view stored) {
  char scheme[5];
  size_t length = 0;  // past 5, no scheme that passes
  for (char c : stored) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) continue;
    if (c == '/' || c == '?' || c == '#') return true;
    if (c == ':') {
      const std::string_view name(scheme, std::min(length, sizeof scheme));
      return length <= sizeof scheme && (name == "http" || name == "https" || name == "ftp");
    }
    if (length < sizeof scheme) scheme[length] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    ++length;
  }
  return true;
}

}  // namespace

std::string BrowserLink(std::string_view stored) { return DecodeHTMLEntities(stored); }

void AppendBrowserLink(std::string& out, std::string_view stored) {
  if (stored.find('&') == std::string_view::npos)
    AppendEscapedHTML(out, stored);
  else
    AppendEscapedHTML(out, BrowserLink(stored));
}

bool IsSafeLink(std::string_view stored) {
  if (stored.substr(0, stored.find_first_of("/?#")).find_first_of("&%") == std::string_view::npos)
    return IsSafePlainLink(stored);
  const std::string link = SchemeView(stored);
  // An entity left over where a scheme could stand ("&colon;") may still be
  // one the browser knows.
  if (link.find('&') < link.find_first_of("/?#")) return false;
  const size_t end = link.find_first_of(":/?#");
  // No colon before the path, query or fragment: a link without a scheme.
  if (end == std::string::npos || link[end] != ':') return true;
  const std::string_view scheme = std::string_view(link).substr(0, end);
  return scheme == "http" || scheme == "https" || scheme == "ftp";
}

}  // namespace orvane
