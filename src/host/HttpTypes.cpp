#include "host/HttpTypes.h"

#include "base/StrUtils.h"

namespace orvane {

const std::string* THttpRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : RawHeaders)
    if (SameText(key, name)) return &value;
  return nullptr;
}

std::string ReasonPhrase(int code) {
  switch (code) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
  }
}

void THttpResponse::SetResponseNo(int code) {
  ResponseNo = code;
  ResponseText = ReasonPhrase(code);
}

void THttpResponse::Redirect(const std::string& url) {
  SetResponseNo(302);
  Location = url;
}

std::string_view THttpResponse::Body(std::string& built) const {
  if (!ContentText.empty()) return ContentText;
  if (ContentStream) return *ContentStream;
  built = "<HTML><BODY><B>" + std::to_string(ResponseNo) + " " + ResponseText + "</B></BODY></HTML>";
  return built;
}

TParams ParseParams(const std::string& target, const std::string& method, const std::string& contentType,
                    const std::string& body) {
  std::string query;
  const size_t mark = target.find('?');
  const bool hasQuery = mark != std::string::npos;
  if (method == "POST" && StartsText("application/x-www-form-urlencoded", contentType)) {
    query = body;
    if (hasQuery) query += "&" + target.substr(mark + 1);
  } else if (hasQuery) {
    query = target.substr(mark + 1);
  } else {
    return {};
  }
  TParams params;
  size_t start = 0;
  while (true) {
    const size_t amp = query.find('&', start);
    params.push_back(URLDecode(std::string_view(query).substr(start, amp == std::string::npos ? amp : amp - start)));
    if (amp == std::string::npos) break;
    start = amp + 1;
  }
  return params;
}

bool FindParam(const TParams& params, const std::string& name, std::string& value) {
  for (const auto& entry : params) {
    const size_t eq = entry.find('=');
    const std::string_view key = std::string_view(entry).substr(0, eq);
    if (SameText(key, name)) {
      value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
      return true;
    }
  }
  return false;
}

int32_t GetParamInt(const TParams& params, const std::string& name, int32_t fallback) {
  std::string value;
  if (!FindParam(params, name, value)) return fallback;
  return StrToIntDef(Trim(value), fallback);
}

double GetParamFloat(const TParams& params, const std::string& name, double fallback) {
  std::string value;
  if (!FindParam(params, name, value)) return fallback;
  return StrToFloatDef(Trim(value), fallback);
}

std::string GetParamStr(const TParams& params, const std::string& name, const std::string& fallback) {
  std::string value;
  if (!FindParam(params, name, value)) return fallback;
  return Trim(value);
}

}  // namespace orvane
