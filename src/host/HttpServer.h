// THttpServer: the local HTTP endpoint over cpp-httplib. Listens on 127.0.0.1
// only, runs every connection on a thread of its own (no fixed pool that long
// requests could exhaust), answers one request per connection, and hands each
// request to the handler as the records of HttpTypes.h.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "host/HttpTypes.h"

namespace httplib {
class Server;
}

namespace orvane {

class THttpServer {
 public:
  using THandler = std::function<void(const THttpRequest&, THttpResponse&)>;

  THttpServer(std::string serverSoftware, THandler handler);
  ~THttpServer();
  THttpServer(const THttpServer&) = delete;
  THttpServer& operator=(const THttpServer&) = delete;

  // Binds 127.0.0.1:port and starts accepting. Raises TOvException when the
  // port cannot be bound.
  void Activate(int port);
  // Stops accepting, closes the listener and waits for every running request.
  void Deactivate();

  // Called on the connection's thread when an exception escapes the handler;
  // the request is then answered with status 500. Set before Activate.
  std::function<void()> OnException;

 private:
  void Serve(const void* request, void* response);

  const std::string serverSoftware_;
  const THandler handler_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
};

}  // namespace orvane
