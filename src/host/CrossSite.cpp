#include "host/CrossSite.h"

#include "base/StrUtils.h"

namespace orvane {

namespace {

// "scheme://host[:port]" of a URL, the scheme and host lower-cased.
std::string OriginOf(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return "";
  const size_t end = url.find_first_of("/?#", scheme + 3);
  return LowerCase(url.substr(0, end));
}

bool IsOwnOrigin(const std::string& origin, int port) {
  const std::string lower = LowerCase(origin);
  const std::string suffix = ":" + std::to_string(port);
  for (const char* host : {"http://127.0.0.1", "http://localhost"}) {
    if (lower == host + suffix) return true;
    if (port == 80 && lower == host) return true;
  }
  return false;
}

}  // namespace

bool ComesFromAnotherSite(const THttpRequest& request, int port) {
  if (const std::string* origin = request.Header("Origin")) return !IsOwnOrigin(*origin, port);
  if (const std::string* site = request.Header("Sec-Fetch-Site"))
    return !SameText(*site, "same-origin") && !SameText(*site, "none");
  if (const std::string* referer = request.Header("Referer")) return !IsOwnOrigin(OriginOf(*referer), port);
  return false;
}

}  // namespace orvane
