// THttpServer: the local HTTP endpoint. Listens on 127.0.0.1 only, runs every
// connection on a thread of its own (no fixed pool that long requests could
// exhaust: a connection that finds no idle thread of the shared TThreadPool
// gets a new one; a kept thread is far cheaper than a new one for a small
// file), answers one request per connection, and hands each request to the
// handler as the records of HttpTypes.h.
//
// Any web page the user visits can make the browser connect here, so what a
// connection may cost is bounded: the number of connections at once, the time
// and size of a request's head, its header count and its body. What goes past
// a bound is answered with its status and a short text, and closed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "host/HttpTypes.h"

namespace orvane {

struct THttpLimits {
  size_t MaxConnections = 256;         // beyond: 503
  size_t MaxRequestLine = 8192;        // beyond: 414
  size_t MaxHeaderLine = 8192;         // beyond: 431
  size_t MaxHeaders = 100;             // beyond: 431
  size_t MaxHead = 65536;              // request line and headers together; beyond: 431
  size_t MaxBody = 1 << 20;            // beyond: 413
  std::chrono::milliseconds HeadTimeout{10000};  // the whole head; beyond: 408
  std::chrono::milliseconds BodyTimeout{10000};  // the whole body; beyond: 408
};

class THttpServer {
 public:
  using THandler = std::function<void(const THttpRequest&, THttpResponse&)>;

  THttpServer(std::string serverSoftware, THandler handler, THttpLimits limits = {});
  ~THttpServer();
  THttpServer(const THttpServer&) = delete;
  THttpServer& operator=(const THttpServer&) = delete;

  // Binds 127.0.0.1:port and starts accepting. Raises TOvException when the
  // port cannot be bound.
  void Activate(int port);
  // Stops accepting, closes the listener, ends connections still sending
  // their request and waits for every request being answered.
  void Deactivate();

  // Called on the connection's thread when an exception escapes the handler;
  // the request is then answered with status 500. Set before Activate.
  std::function<void()> OnException;

 private:
  void AcceptLoop();
  void Serve(int fd, const std::string& remoteIp);
  // Answers the request of one connection; false when it was cut short.
  void Answer(int fd, const std::string& remoteIp);

  const std::string serverSoftware_;
  const THandler handler_;
  const THttpLimits limits_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};  // readable once the server stops
  std::thread acceptor_;
  std::mutex lock_;
  std::condition_variable idle_;  // a connection has ended
  size_t running_ = 0;            // connections accepted and not yet closed
};

}  // namespace orvane
