// The request and response records that the dispatcher and the pages read and
// write; the HTTP server adapter fills the one and sends the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace orvane {

// Decoded query parameters, "name=value" each, in query-string order; empty
// pieces are kept.
using TParams = std::vector<std::string>;

struct THttpRequest {
  std::string Method;     // GET, POST or HEAD
  std::string Document;   // percent-decoded path with its leading "/"
  TParams Params;
  std::string RemoteIP;
  std::vector<std::pair<std::string, std::string>> RawHeaders;

  // The first header of that name (ASCII case ignored), or nullptr.
  const std::string* Header(const std::string& name) const;
};

struct THttpResponse {
  int ResponseNo = 200;
  std::string ResponseText = "OK";
  std::string ContentText;
  std::optional<std::string> ContentStream;  // a file's bytes, sent when ContentText is empty
  std::string ContentType = "text/html";
  std::string CacheControl;
  std::optional<TDateTime> Expires;
  std::optional<TDateTime> LastModified;
  std::string Location;
  bool CloseConnection = true;
  // Further headers, sent as they stand after the ones above.
  std::vector<std::pair<std::string, std::string>> Headers;

  void SetResponseNo(int code);
  void Redirect(const std::string& url);
  // The body as it goes out: ContentText, else the stream, else the small
  // HTML page with the status, made in `built`. Not copied: a results frame
  // is about 400 KB.
  std::string_view Body(std::string& built) const;
};

std::string ReasonPhrase(int code);

// Query string to parameters: split at every "&" (empty pieces kept), "+"
// becomes a blank, then "%XX" becomes its byte. For a form POST the body comes
// first, then the query part of the target.
TParams ParseParams(const std::string& target, const std::string& method, const std::string& contentType,
                    const std::string& body);

// Lookups by name without regard to case; the first entry wins; an entry
// without "=" has an empty value.
bool FindParam(const TParams& params, const std::string& name, std::string& value);
int32_t GetParamInt(const TParams& params, const std::string& name, int32_t fallback);
double GetParamFloat(const TParams& params, const std::string& name, double fallback);
// The trimmed value, or `fallback` when the name is missing.
std::string GetParamStr(const TParams& params, const std::string& name, const std::string& fallback);

}  // namespace orvane
