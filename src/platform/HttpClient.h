// THttpClient: one blocking HTTP GET of an engine's result page through
// libcurl, with the browser-like request headers the engines expect and gzip
// or deflate bodies decoded. Not shared: a query thread makes one per fetch;
// the libcurl handles behind them are kept and reused.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/OvException.h"

namespace orvane {

// A transfer that failed: the message is the client's own text (what the log
// and the error page carry), Reason the same in plain words for a person.
class THttpError : public TOvException {
 public:
  THttpError(const std::string& message, std::string reason, long status = 0, long retryAfterSeconds = -1)
      : TOvException(message, "HttpClient", "Get"),
        Reason(std::move(reason)),
        Status(status),
        RetryAfterSeconds(retryAfterSeconds) {}
  std::string Reason;
  long Status;             // the HTTP status of the answer; 0 when none came
  long RetryAfterSeconds;  // from a Retry-After header (seconds or a date); -1 without one
};

// Raised when the progress callback asked to stop the transfer.
class TAbortException : public std::runtime_error {
 public:
  TAbortException() : std::runtime_error("Operation aborted") {}
};

class THttpClient {
 public:
  static constexpr long kConnectTimeoutSeconds = 30;
  // Below the orchestration's 150 s wait, so a stuck engine fails its page.
  static constexpr long kTransferTimeoutSeconds = 120;
  // Orvane's own web service (remote log, update check) must answer quickly.
  static constexpr long kServiceTimeoutSeconds = 5;

  THttpClient() = default;
  // The same limit for connecting and for the whole transfer.
  explicit THttpClient(long timeoutSeconds)
      : ConnectTimeoutSeconds(timeoutSeconds), TransferTimeoutSeconds(timeoutSeconds) {}

  // Called repeatedly during the transfer (about once a second when idle);
  // returning false aborts it with TAbortException.
  std::function<bool()> OnProgress;
  // A page beyond this is cut off there (and logged): a broken or hostile
  // engine cannot make a search hold unbounded memory.
  static constexpr size_t kMaxBodyBytes = 8u << 20;
  size_t MaxBodyBytes = kMaxBodyBytes;
  long ConnectTimeoutSeconds = kConnectTimeoutSeconds;
  long TransferTimeoutSeconds = kTransferTimeoutSeconds;
  // When set, a plain "http://" URL is refused unless its host is on the
  // loopback interface, and redirects may only go to "https://".
  bool RefusePlainHttpBeyondLoopback = false;
  // Name and value; "User-Agent", "Accept" and "Accept-Language" replace the
  // client's own, any other is added.
  std::vector<std::pair<std::string, std::string>> Headers;

  // The decoded body. Raises THttpError for a transfer failure (one that says
  // so for a certificate that cannot be verified), a body cut at MaxBodyBytes,
  // an HTTP status of 400 or more, or a URL the policy above refuses. Blanks
  // and other bytes that cannot stand in a URL
  // are sent percent-encoded.
  std::string Get(const std::string& url);
  // The same into `body` (cleared first), which keeps its memory: a caller
  // fetching page after page reads each into the room the last one left.
  void GetInto(const std::string& url, std::string& body);
};

// libcurl's process-wide set-up, done once before the first transfer of any
// thread (curl_global_init itself is not thread-safe).
void EnsureCurlInitialised();

// Ends the kept transfer handles and their open connections, so that a
// server left alone gives back their memory; the next fetch makes new ones.
void ReleaseKeptConnections();

// Percent-encodes the bytes a URL cannot carry as they are (controls, blank,
// bytes above 0x7E); everything else is left alone.
std::string EscapeUnsafeURLBytes(const std::string& url);

// True for localhost and the addresses of the loopback interface.
bool IsLoopbackHost(std::string_view host);
// The lower-cased host of a URL with "://" (no user, port or brackets);
// empty when the URL has no "://".
std::string URLHost(std::string_view url);

}  // namespace orvane
