#include "platform/HttpClient.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Log.h"

namespace orvane {

namespace {

const char* const kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-gsarcade-launch, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
const char* const kAcceptLanguage = "Accept-Language: en-us";
const char* const kUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322; .NET CLR 2.0.40903)";

struct TBody {
  std::string Text;
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
class THandlePool {
 public:
  static constexpr size_t kMaxKept = 32;

  CURL* Take() {
    {
      std::lock_guard guard(lock_);
      if (!kept_.empty()) {
        CURL* handle = kept_.back();
        kept_.pop_back();
        return handle;
      }
    }
    return curl_easy_init();
  }
  // The options go; live connections stay for the next transfer.
  void Give(CURL* handle) {
    curl_easy_reset(handle);
    std::lock_guard guard(lock_);
    if (kept_.size() < kMaxKept) {
      kept_.push_back(handle);
      return;
    }
    curl_easy_cleanup(handle);
  }
  void Release() {
    std::vector<CURL*> kept;
    {
      std::lock_guard guard(lock_);
      kept.swap(kept_);
    }
    for (CURL* handle : kept) curl_easy_cleanup(handle);
  }

 private:
  std::mutex lock_;
  std::vector<CURL*> kept_;
};

THandlePool& Handles() {
  // Never destroyed, like libcurl's global state it relies on.
  static THandlePool* const pool = new THandlePool;
  return *pool;
}

struct CurlDeleter {
  void operator()(CURL* curl) const { Handles().Give(curl); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

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

// -1 when the answer carried no Retry-After; libcurl reads both of its forms.
long RetryAfterOf(CURL* handle) {
  curl_header* header = nullptr;
  if (curl_easy_header(handle, "Retry-After", 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return -1;
  curl_off_t seconds = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &seconds) != CURLE_OK || seconds < 0) return 0;
  return static_cast<long>(seconds);
}

}  // namespace

void EnsureCurlInitialised() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

void ReleaseKeptConnections() { Handles().Release(); }

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
  EnsureCurlInitialised();
  std::unique_ptr<CURL, CurlDeleter> curl(Handles().Take());
  if (!curl) throw TOvException("Cannot create an HTTP client", "HttpClient", "Get");
  std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, kAccept));
  curl_slist_append(headers.get(), kAcceptLanguage);

  const std::string target = EscapeUnsafeURLBytes(url);
  TBody body{{}, MaxBodyBytes};
  char errorText[CURL_ERROR_SIZE] = "";
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, target.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
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
  if (result != CURLE_OK && !cutOff)
    throw THttpError(*errorText ? errorText : curl_easy_strerror(result), PlainReason(result, TransferTimeoutSeconds));
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400)
    throw THttpError("HTTP error " + std::to_string(status), "it answered " + std::to_string(status), status,
                     RetryAfterOf(handle));
  if (cutOff) {
    Log("HttpClient", "Page cut off at " + std::to_string(MaxBodyBytes) + " bytes: " + url);
    // Half a page would pass for a page with fewer results.
    const bool megabytes = MaxBodyBytes >= (1u << 20);
    throw THttpError("Page cut off at " + std::to_string(MaxBodyBytes) + " bytes",
                     "page larger than " + std::to_string(megabytes ? MaxBodyBytes >> 20 : MaxBodyBytes) +
                         (megabytes ? " MB" : " bytes"));
  }
  return std::move(body.Text);
}

}  // namespace orvane
