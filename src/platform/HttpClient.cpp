#include "platform/HttpClient.h"

#include <curl/curl.h>

#include <charconv>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/Log.h"
#include "platform/ContentDecoding.h"

namespace orvane {

namespace {

const char* const kAccept =
    "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-gsarcade-launch, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
const char* const kAcceptLanguage = "en-us";
const char* const kUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322; .NET CLR 2.0.40903)";

struct TBody {
  std::string& Text;
  size_t Limit;
  bool CutOff = false;
};

// Beyond the limit the transfer stops and what arrived is kept.
size_t AppendBody(char* data, size_t size, size_t count, void* target) {
  auto& body = *static_cast<TBody*>(target);
  const size_t bytes = size * count;
  if (body.Text.size() + bytes > body.Limit) {
    body.Text.append(data, body.Limit - body.Text.size());
    body.CutOff = true;
    return 0;
  }
  body.Text.append(data, bytes);
  return bytes;
}

int Progress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& onProgress = static_cast<THttpClient*>(client)->OnProgress;
  return onProgress && !onProgress() ? 1 : 0;
}

// Easy handles are kept for the next transfer once done: making one sets up
// its connection and resolver caches anew, which every page would pay for.
// Each handle keeps the connection of its last transfer, so a page goes to a
// handle that last spoke to the same site where one is free: a search asks
// the same engine for many pages, and then none of them connects again.
class THandlePool {
 public:
  static constexpr size_t kMaxKept = 32;

  CURL* Take(std::string_view site) {
    {
      std::lock_guard guard(lock_);
      if (!kept_.empty()) {
        auto match = kept_.end() - 1;
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
          if (it->Site == site) {
            match = std::prev(it.base());
            break;
          }
        CURL* handle = match->Handle;
        kept_.erase(match);
        return handle;
      }
    }
    return curl_easy_init();
  }
  // The options go; live connections stay for the next transfer.
  void Give(CURL* handle, std::string site) {
    curl_easy_reset(handle);
    std::lock_guard guard(lock_);
    if (kept_.size() < kMaxKept) {
      kept_.push_back({handle, std::move(site)});
      return;
    }
    curl_easy_cleanup(handle);
  }
  void CloseAll() {
    std::vector<TKept> kept;
    {
      std::lock_guard guard(lock_);
      kept.swap(kept_);
    }
    for (const TKept& entry : kept) curl_easy_cleanup(entry.Handle);
  }

 private:
  struct TKept {
    CURL* Handle;
    std::string Site;  // scheme, host and port of its last transfer
  };
  std::mutex lock_;
  std::vector<TKept> kept_;
};

THandlePool& Handles() {
  // Never destroyed, like libcurl's global state it relies on.
  static THandlePool* const pool = new THandlePool;
  return *pool;
}

// The part of a URL that names where its connection goes.
std::string_view SiteOf(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return url.substr(0, 0);
  return url.substr(0, url.find_first_of("/?#", scheme + 3));
}

// Hands the handle back to the pool, to be found again by its site.
class THandleLease {
 public:
  explicit THandleLease(std::string_view site) : site_(site), handle_(Handles().Take(site)) {}
  ~THandleLease() {
    if (handle_) Handles().Give(handle_, std::move(site_));
  }
  THandleLease(const THandleLease&) = delete;
  THandleLease& operator=(const THandleLease&) = delete;
  CURL* get() const { return handle_; }

 private:
  std::string site_;
  CURL* handle_;
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

// The value of the named header among the caller's, else the fallback.
std::string HeaderOr(const std::vector<std::pair<std::string, std::string>>& headers, std::string_view name,
                     const char* fallback) {
  for (const auto& [key, value] : headers)
    if (SameName(key, name)) return value;
  return fallback;
}

// Only https, or http to this machine; libcurl would take a URL without a
// scheme as http.
void CheckTransport(const std::string& url) {
  const std::string host = URLHost(url);
  const size_t colon = url.find("://");
  std::string scheme = url.substr(0, colon == std::string::npos ? 0 : colon);
  for (char& c : scheme) c = static_cast<char>(c | 0x20);
  if (scheme == "https" || (scheme == "http" && IsLoopbackHost(host))) return;
  throw THttpError("Plain HTTP to " + (host.empty() ? url : host) +
                       " refused: keywords would cross the network in clear text; the engine's URL must use https",
                   "plain HTTP refused");
}

// The failure in words a person waiting for results understands.
std::string PlainReason(CURLcode result, long timeoutSeconds) {
  switch (result) {
    case CURLE_OPERATION_TIMEDOUT: return "time-out after " + std::to_string(timeoutSeconds) + " s";
    case CURLE_COULDNT_CONNECT: return "connection refused";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return "host not found";
    case CURLE_TOO_MANY_REDIRECTS: return "too many redirects";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return "TLS error";
    case CURLE_BAD_CONTENT_ENCODING: return "undecodable page";
    default: return "connection cut off";
  }
}

// -1 when the answer carried no Retry-After, or one that is neither a number
// nor a date (so the engine gets the default rest, not none); libcurl reads
// both forms, but gives 0 for one it cannot read.
long RetryAfterOf(CURL* handle) {
  curl_header* header = nullptr;
  if (curl_easy_header(handle, "Retry-After", 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return -1;
  curl_off_t seconds = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &seconds) != CURLE_OK || seconds < 0) seconds = 0;
  if (seconds > 0) return static_cast<long>(seconds);
  const std::string value = header->value ? header->value : "";
  const bool number = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
  return number || curl_getdate(value.c_str(), nullptr) != -1 ? 0 : -1;
}

// The headers sent, ours where the caller set none; the user agent goes
// its own way.
std::unique_ptr<curl_slist, HeaderListDeleter> RequestHeaders(
    const std::vector<std::pair<std::string, std::string>>& given) {
  const std::string accept = "Accept: " + HeaderOr(given, "Accept", kAccept);
  const std::string acceptLanguage = "Accept-Language: " + HeaderOr(given, "Accept-Language", kAcceptLanguage);
  std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, accept.c_str()));
  curl_slist_append(headers.get(), acceptLanguage.c_str());
  // The body is decoded here, not by libcurl (see ContentDecoding.h).
  if (HeaderOr(given, "Accept-Encoding", "").empty())
    curl_slist_append(headers.get(), "Accept-Encoding: gzip, deflate");
  for (const auto& [name, value] : given)
    if (!SameName(name, "Accept") && !SameName(name, "Accept-Language") && !SameName(name, "User-Agent"))
      curl_slist_append(headers.get(), (name + ": " + value).c_str());
  return headers;
}

// Half a page would pass for a page with fewer results.
[[noreturn]] void RaiseCutOff(const std::string& url, size_t limit) {
  Log("HttpClient", "Page cut off at " + std::to_string(limit) + " bytes: " + url);
  const bool megabytes = limit >= (1u << 20);
  throw THttpError(
      "Page cut off at " + std::to_string(limit) + " bytes",
      "page larger than " + std::to_string(megabytes ? limit >> 20 : limit) + (megabytes ? " MB" : " bytes"));
}

// The Content-Encoding of the last answer, its headers joined.
std::string ContentEncodingOf(CURL* handle) {
  std::string encoding;
  curl_header* header = nullptr;
  for (size_t index = 0; curl_easy_header(handle, "Content-Encoding", index, CURLH_HEADER, -1, &header) == CURLHE_OK;
       ++index)
    if (header->value) encoding += (encoding.empty() ? "" : ",") + std::string(header->value);
  return encoding;
}

// The raw body in `text` becomes the decoded one.
void DecodeBody(CURL* handle, std::string& text, const std::string& url, size_t limit) {
  const std::string encoding = ContentEncodingOf(handle);
  if (encoding.empty()) return;
  thread_local std::string decoded;  // keeps its room, like the caller's buffer
  const TDecoded result = DecodeContent(encoding, text, decoded, limit);
  if (result.Outcome == TDecodeOutcome::kTooLarge) RaiseCutOff(url, limit);
  if (result.Outcome == TDecodeOutcome::kUndecodable)
    throw THttpError("Error while processing content unencoding: " + result.Problem, "undecodable page");
  text.swap(decoded);
  if (decoded.capacity() > (1u << 20)) std::string().swap(decoded);
}

}  // namespace

void EnsureCurlInitialised() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

void ReleaseKeptConnections() { Handles().CloseAll(); }

std::string EscapeUnsafeURLBytes(const std::string& url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(url.size());
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string THttpClient::Get(const std::string& url) {
  std::string body;
  GetInto(url, body);
  return body;
}

void THttpClient::GetInto(const std::string& url, std::string& text) {
  text.clear();
  EnsureCurlInitialised();
  const std::string target = EscapeUnsafeURLBytes(url);
  const THandleLease curl(SiteOf(target));
  if (!curl.get()) throw TOvException("Cannot create an HTTP client", "HttpClient", "Get");
  if (RefusePlainHttpBeyondLoopback) CheckTransport(url);
  const std::string userAgent = HeaderOr(Headers, "User-Agent", kUserAgent);
  const std::unique_ptr<curl_slist, HeaderListDeleter> headers = RequestHeaders(Headers);

  TBody body{text, MaxBodyBytes};
  char errorText[CURL_ERROR_SIZE] = "";
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, target.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                   RefusePlainHttpBeyondLoopback && !IsLoopbackHost(URLHost(url)) ? "https" : "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, TransferTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);

  const CURLcode result = curl_easy_perform(handle);
  if (result == CURLE_ABORTED_BY_CALLBACK) throw TAbortException();
  const bool cutOff = result == CURLE_WRITE_ERROR && body.CutOff;
  if (result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CACERT_BADFILE)
    throw THttpError("The certificate of " + URLHost(url) + " could not be verified: " +
                         (*errorText ? errorText : curl_easy_strerror(result)),
                     "certificate not trusted");
  if (result != CURLE_OK && !cutOff)
    throw THttpError(*errorText ? errorText : curl_easy_strerror(result), PlainReason(result, TransferTimeoutSeconds));
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400)
    throw THttpError("HTTP error " + std::to_string(status), "it answered " + std::to_string(status), status,
                     RetryAfterOf(handle));
  if (cutOff) RaiseCutOff(url, MaxBodyBytes);
  DecodeBody(handle, text, url, MaxBodyBytes);
}

bool IsLoopbackHost(std::string_view host) {
  if (host == "localhost" || host == "::1") return true;
  // Any 127.x.y.z written as four decimal numbers.
  if (!host.starts_with("127.")) return false;
  int parts = 0;
  for (size_t from = 0; from <= host.size(); ++parts) {
    size_t dot = host.find('.', from);
    if (dot == std::string_view::npos) dot = host.size();
    int value = -1;
    const auto [end, error] = std::from_chars(host.data() + from, host.data() + dot, value);
    if (error != std::errc() || end != host.data() + dot || value > 255) return false;
    from = dot + 1;
  }
  return parts == 4;
}

std::string URLHost(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return "";
  url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find_first_of("/?#"));
  if (const size_t at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
  if (url.starts_with('[')) url = url.substr(1, url.find(']') - 1);
  else url = url.substr(0, url.find(':'));
  std::string host(url);
  for (char& c : host)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return host;
}

}  // namespace orvane
