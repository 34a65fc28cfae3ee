#include "host/HttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "platform/Threads.h"

namespace orvane {

namespace {

using TClock = std::chrono::steady_clock;

// A request the connection cannot go on with: its status and why.
struct TRefusal {
  int Status;
};

// Waits until `fd` has bytes, the deadline passes (TRefusal 408) or the
// server stops (false).
bool WaitReadable(int fd, int wake, TClock::time_point deadline) {
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    if (left <= 0) throw TRefusal{408};
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || fds[1].revents) return false;
    if (fds[0].revents) return true;
  }
}

// Appends what the peer sent; false when it closed or the server stops.
bool ReadMore(int fd, int wake, TClock::time_point deadline, std::string& buffer) {
  if (!WaitReadable(fd, wake, deadline)) return false;
  char chunk[8192];
  const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
  if (got <= 0) return false;
  buffer.append(chunk, static_cast<size_t>(got));
  return true;
}

// The head and the body go out in one call without being joined first.
void SendAll(int fd, std::string_view head, std::string_view body = {}) {
  iovec parts[2] = {{const_cast<char*>(head.data()), head.size()}, {const_cast<char*>(body.data()), body.size()}};
  size_t first = 0;
  while (first < 2) {
    if (parts[first].iov_len == 0) {
      ++first;
      continue;
    }
    msghdr message{};
    message.msg_iov = parts + first;
    message.msg_iovlen = 2 - first;
    const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (auto left = static_cast<size_t>(n); left > 0; ++first) {
      const size_t taken = std::min(left, parts[first].iov_len);
      parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + taken;
      parts[first].iov_len -= taken;
      left -= taken;
      if (parts[first].iov_len > 0) break;
    }
  }
}

// "%XX" becomes its byte; a "+" stays, as in a path it is no blank.
std::string DecodePath(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size()) {
      const int high = hex(path[i + 1]), low = hex(path[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += path[i];
  }
  return out;
}

// A header value never ends the header early.
std::string HeaderValue(const std::string& value) {
  std::string out = value;
  std::erase_if(out, [](char c) { return c == '\r' || c == '\n'; });
  return out;
}

std::string StatusLine(int status) { return "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n"; }

// Bodies never go with these.
bool HasNoBody(int status) { return status == 304 || status == 204 || (status >= 100 && status < 200); }

struct THead {
  std::string Method, Target;
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Rest;  // bytes after the head: the start of the body
};

// Reads and checks the request line and the headers.
std::optional<THead> ReadHead(int fd, int wake, const THttpLimits& limits) {
  const auto deadline = TClock::now() + limits.HeadTimeout;
  std::string buffer;
  std::vector<std::string> lines;
  size_t lineStart = 0;
  while (true) {
    // Every complete line so far, checked as it arrives.
    for (size_t end = buffer.find('\n', lineStart); end != std::string::npos; end = buffer.find('\n', lineStart)) {
      std::string line = buffer.substr(lineStart, end - lineStart);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lineStart = end + 1;
      if (line.empty() && lines.empty()) continue;  // blank lines before a request are allowed
      // The whole head counts, however it was split into lines and reads.
      if (lineStart > limits.MaxHead) throw TRefusal{lines.empty() ? 414 : 431};
      if (line.empty()) {
        THead head;
        head.Rest = buffer.substr(lineStart);
        std::string_view request = lines.front();
        const size_t first = request.find(' '), last = request.rfind(' ');
        if (first == std::string_view::npos || first == last) throw TRefusal{400};
        head.Method = request.substr(0, first);
        head.Target = request.substr(first + 1, last - first - 1);
        const std::string_view version = request.substr(last + 1);
        if (version != "HTTP/1.1" && version != "HTTP/1.0") throw TRefusal{version.starts_with("HTTP/") ? 505 : 400};
        if (head.Method.empty() || head.Target.empty() || head.Target.find(' ') != std::string::npos)
          throw TRefusal{400};
        for (size_t i = 1; i < lines.size(); ++i) {
          const std::string& header = lines[i];
          const size_t colon = header.find(':');
          // A folded line or a name with blanks has no clear meaning.
          if (colon == std::string::npos || colon == 0 || header[0] == ' ' || header[0] == '\t' ||
              header.find_first_of(" \t") < colon)
            throw TRefusal{400};
          head.Headers.emplace_back(header.substr(0, colon), Trim(header.substr(colon + 1)));
        }
        return head;
      }
      const bool requestLine = lines.empty();
      if (line.size() > (requestLine ? limits.MaxRequestLine : limits.MaxHeaderLine))
        throw TRefusal{requestLine ? 414 : 431};
      if (!requestLine && lines.size() > limits.MaxHeaders) throw TRefusal{431};
      lines.push_back(std::move(line));
    }
    const size_t partial = buffer.size() - lineStart;
    if (lines.empty() && partial > limits.MaxRequestLine) throw TRefusal{414};
    if (!lines.empty() && partial > limits.MaxHeaderLine) throw TRefusal{431};
    if (buffer.size() > limits.MaxHead) throw TRefusal{lines.empty() ? 414 : 431};
    if (!ReadMore(fd, wake, deadline, buffer)) return std::nullopt;
  }
}

const std::string* FindHeader(const THead& head, const char* name) {
  for (const auto& [key, value] : head.Headers)
    if (SameText(key, name)) return &value;
  return nullptr;
}

// A short answer of the server itself for a request it does not take.
std::string RefusalAnswer(const std::string& software, int status) {
  const std::string text = std::to_string(status) + " " + ReasonPhrase(status) + "\n";
  std::string answer = StatusLine(status) + "Server: " + software + "\r\nContent-Type: text/plain\r\n";
  if (status == 405) answer += "Allow: GET, HEAD, POST\r\n";
  return answer + "Content-Length: " + std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
}

// After a refusal the peer may still be sending; reading a little of it
// first keeps the close from resetting the connection before the answer
// arrives.
void Linger(int fd) {
  ::shutdown(fd, SHUT_WR);
  char discard[8192];
  const auto until = TClock::now() + std::chrono::milliseconds(200);
  size_t drained = 0;
  while (drained < (1 << 20) && TClock::now() < until) {
    pollfd one{fd, POLLIN, 0};
    if (::poll(&one, 1, 50) <= 0) break;
    const ssize_t got = ::recv(fd, discard, sizeof discard, 0);
    if (got <= 0) break;
    drained += static_cast<size_t>(got);
  }
}

// The status line and the headers of an answer whose body is `body`.
std::string AnswerHead(const std::string& serverSoftware, const THttpResponse& response, std::string_view body) {
  const int status = response.ResponseNo;
  std::string answer = StatusLine(status);
  answer += "Server: " + serverSoftware + "\r\n";
  if (!response.CacheControl.empty()) answer += "Cache-control: " + HeaderValue(response.CacheControl) + "\r\n";
  if (response.Expires) answer += "Expires: " + HttpDateText(*response.Expires) + "\r\n";
  if (response.LastModified) answer += "Last-Modified: " + HttpDateText(*response.LastModified) + "\r\n";
  if (!response.Location.empty()) answer += "Location: " + HeaderValue(response.Location) + "\r\n";
  if (!response.ContentType.empty() && !HasNoBody(status))
    answer += "Content-Type: " + HeaderValue(response.ContentType) + "\r\n";
  for (const auto& [name, value] : response.Headers) answer += HeaderValue(name) + ": " + HeaderValue(value) + "\r\n";
  if (!HasNoBody(status)) answer += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  answer += "Connection: close\r\n\r\n";
  return answer;
}

}  // namespace

THttpServer::THttpServer(std::string serverSoftware, THandler handler, THttpLimits limits)
    : serverSoftware_(std::move(serverSoftware)), handler_(std::move(handler)), limits_(limits) {}

THttpServer::~THttpServer() { Deactivate(); }

void THttpServer::Activate(int port) {
  const auto refuse = [port] {
    throw TOvException("Cannot listen on 127.0.0.1:" + std::to_string(port), "Server", "Activate");
  };
  if (port <= 0 || port > 65535) refuse();
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  // Address reuse only: sharing the port as well would let another program
  // listen on our port unnoticed.
  int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // The frames of a page arrive at once: a long backlog keeps them from
  // waiting for a resent connection request.
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, SOMAXCONN) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
    refuse();
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

void THttpServer::Deactivate() {
  if (listener_ < 0) return;
  const char stop = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wake_[1], &stop, 1);
  if (acceptor_.joinable()) acceptor_.join();
  ::close(listener_);
  listener_ = -1;
  {
    std::unique_lock guard(lock_);
    idle_.wait(guard, [this] { return running_ == 0; });
  }
  ::close(wake_[0]);
  ::close(wake_[1]);
  wake_[0] = wake_[1] = -1;
}

void THttpServer::AcceptLoop() {
  while (true) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!fds[0].revents) continue;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) continue;
    char ip[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
    // A client that never reads its answer must not hold a thread forever.
    timeval sendTimeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    {
      std::lock_guard guard(lock_);
      if (running_ >= limits_.MaxConnections) {
        SendAll(fd, RefusalAnswer(serverSoftware_, 503));
        ::close(fd);
        continue;
      }
      ++running_;
    }
    try {
      TThreadPool::Shared().Run([this, fd, remote = std::string(ip)] { Serve(fd, remote); });
    } catch (const std::system_error&) {
      ::close(fd);
      std::lock_guard guard(lock_);
      --running_;
      idle_.notify_all();
    }
  }
}

void THttpServer::Serve(int fd, const std::string& remoteIp) {
  Answer(fd, remoteIp);
  ::close(fd);
  std::lock_guard guard(lock_);
  --running_;
  // Notified under the lock: Deactivate cannot destroy the server before
  // this thread has let go of it.
  idle_.notify_all();
}

void THttpServer::Answer(int fd, const std::string& remoteIp) {
  THttpRequest request;
  try {
    std::optional<THead> head = ReadHead(fd, wake_[0], limits_);
    if (!head) return;
    if (head->Method != "GET" && head->Method != "HEAD" && head->Method != "POST") throw TRefusal{405};
    // Only bodies of a stated length are taken.
    if (FindHeader(*head, "Transfer-Encoding")) throw TRefusal{501};
    size_t bodyLength = 0;
    if (const std::string* length = FindHeader(*head, "Content-Length")) {
      if (length->empty() || length->size() > 12 || length->find_first_not_of("0123456789") != std::string::npos)
        throw TRefusal{400};
      bodyLength = std::stoull(*length);
      if (bodyLength > limits_.MaxBody) throw TRefusal{413};
    }
    std::string body = std::move(head->Rest);
    const auto deadline = TClock::now() + limits_.BodyTimeout;
    while (body.size() < bodyLength)
      if (!ReadMore(fd, wake_[0], deadline, body)) return;
    body.resize(bodyLength);

    std::string target = head->Target;
    // An absolute target names this server; only its path and query count.
    if (const size_t scheme = target.find("://"); scheme != std::string::npos && target[0] != '/') {
      const size_t path = target.find('/', scheme + 3);
      target = path == std::string::npos ? "/" : target.substr(path);
    }
    request.Method = head->Method;
    request.Document = DecodePath(std::string_view(target).substr(0, target.find('?')));
    request.RemoteIP = remoteIp;
    request.RawHeaders = std::move(head->Headers);
    const std::string* contentType = request.Header("Content-Type");
    request.Params = ParseParams(target, request.Method, contentType ? *contentType : "", body);
  } catch (const TRefusal& refusal) {
    SendAll(fd, RefusalAnswer(serverSoftware_, refusal.Status));
    Linger(fd);
    return;
  }

  THttpResponse response;
  try {
    handler_(request, response);
  } catch (...) {
    if (OnException) OnException();
    SendAll(fd, StatusLine(500) + "Server: " + serverSoftware_ +
                    "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  std::string built;
  const std::string_view body = HasNoBody(response.ResponseNo) ? std::string_view() : response.Body(built);
  SendAll(fd, AnswerHead(serverSoftware_, response, body), request.Method != "HEAD" ? body : std::string_view());
}

}  // namespace orvane
