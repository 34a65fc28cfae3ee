#include "host/HttpServer.h"

#include <condition_variable>
#include <httplib.h>
#include <mutex>
#include <sys/socket.h>

#include "base/OvException.h"

namespace orvane {

namespace {

// One thread per connection. Shutdown waits until every connection thread
// has left, so nothing outlives the server it serves.
class TThreadPerConnection : public httplib::TaskQueue {
 public:
  void enqueue(std::function<void()> fn) override {
    {
      std::lock_guard guard(lock_);
      ++running_;
    }
    std::thread([this, fn = std::move(fn)] {
      fn();
      std::lock_guard guard(lock_);
      --running_;
      // Notified under the lock: the waiter cannot destroy this queue before
      // the thread has released it.
      idle_.notify_all();
    }).detach();
  }

  void shutdown() override {
    std::unique_lock guard(lock_);
    idle_.wait(guard, [this] { return running_ == 0; });
  }

 private:
  std::mutex lock_;
  std::condition_variable idle_;
  int running_ = 0;
};

}  // namespace

THttpServer::THttpServer(std::string serverSoftware, THandler handler)
    : serverSoftware_(std::move(serverSoftware)), handler_(std::move(handler)) {}

THttpServer::~THttpServer() { Deactivate(); }

void THttpServer::Activate(int port) {
  server_ = std::make_unique<httplib::Server>();
  server_->new_task_queue = [] { return new TThreadPerConnection(); };
  server_->set_keep_alive_max_count(1);
  const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
    Serve(&request, &response);
  };
  // Without a handler of its own the library would put the message into a
  // header of the answer.
  server_->set_exception_handler([this](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    response.status = 500;
    if (OnException) OnException();
  });
  server_->Get(".*", serve);
  server_->Post(".*", serve);
  // Address reuse only: the library's default also shares the port, which
  // would let another program listen on our port unnoticed.
  int listener = -1;
  server_->set_socket_options([&listener](int socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listener = socket;
  });
  if (port <= 0 || port > 65535 || !server_->bind_to_port("127.0.0.1", port)) {
    server_.reset();
    throw TOvException("Cannot listen on 127.0.0.1:" + std::to_string(port), "Server", "Activate");
  }
  // The library listens with a backlog of 5; the frames of a page arrive at
  // once and would otherwise wait a second for a resent connection request.
  if (listener >= 0) ::listen(listener, SOMAXCONN);
  listener_ = std::thread([this] { server_->listen_after_bind(); });
}

void THttpServer::Deactivate() {
  if (!server_) return;
  server_->stop();
  if (listener_.joinable()) listener_.join();
  server_.reset();
}

void THttpServer::Serve(const void* rawRequest, void* rawResponse) {
  const auto& in = *static_cast<const httplib::Request*>(rawRequest);
  auto& out = *static_cast<httplib::Response*>(rawResponse);

  THttpRequest request;
  request.Method = in.method;
  request.Document = in.path;
  request.RemoteIP = in.remote_addr;
  for (const auto& [name, value] : in.headers) request.RawHeaders.emplace_back(name, value);
  const std::string contentType = in.get_header_value("Content-Type");
  request.Params = ParseParams(in.target, in.method, contentType, in.body);

  THttpResponse response;
  handler_(request, response);

  out.status = response.ResponseNo;
  out.set_header("Server", serverSoftware_);
  // "Connection: close" comes from the server itself: one request per connection.
  if (!response.CacheControl.empty()) out.set_header("Cache-control", response.CacheControl);
  if (response.Expires) out.set_header("Expires", HttpDateText(*response.Expires));
  if (response.LastModified) out.set_header("Last-Modified", HttpDateText(*response.LastModified));
  if (!response.Location.empty()) out.set_header("Location", response.Location);
  if (response.ContentType.empty())
    out.body = response.Body();
  else
    out.set_content(response.Body(), response.ContentType.c_str());
}

}  // namespace orvane
