#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/HttpServer.h"
#include "host/Server.h"
#include "support/ServerProcess.h"

namespace orvane {
namespace {

TEST(HttpServer, AnErrorEscapingTheHandlerIsReportedAndAnsweredWithoutItsMessage) {
  std::atomic<int> reported{0};
  THttpServer server("Orvane server", [](const THttpRequest&, THttpResponse&) { throw std::runtime_error("secret"); });
  server.OnException = [&reported] {
    ++reported;
    TOrvaneServer::ServerException();
  };
  const int port = test::FreePort();
  server.Activate(port);
  ::testing::internal::CaptureStderr();
  const test::THttpAnswer answer = test::HttpGet(port, "/page.htm");
  const std::string shown = ::testing::internal::GetCapturedStderr();
  server.Deactivate();
  EXPECT_EQ(answer.Status, 500);
  EXPECT_EQ(reported.load(), 1);
  EXPECT_EQ(shown, "Orvane: An error occured in Orvane server\n");
  for (const auto& [name, value] : answer.Headers) EXPECT_EQ(value.find("secret"), std::string::npos) << name;
  EXPECT_EQ(answer.Body.find("secret"), std::string::npos);
}

// A body larger than any socket buffer goes out in many partial sends; both
// kinds of body, and the head of a HEAD request, must arrive whole.
TEST(HttpServer, BodiesLargerThanTheSocketBufferArriveWhole) {
  std::string big(6 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
  THttpServer server("Orvane server", [&big](const THttpRequest& request, THttpResponse& response) {
    if (request.Document == "/text")
      response.ContentText = big;
    else
      response.ContentStream = big.substr(1);
  });
  const int port = test::FreePort();
  server.Activate(port);
  const test::THttpAnswer text = test::HttpGet(port, "/text");
  const test::THttpAnswer stream = test::HttpGet(port, "/stream");
  const test::THttpAnswer head = test::RawHttp(port, "HEAD /text HTTP/1.1\r\n\r\n");
  server.Deactivate();
  EXPECT_EQ(text.Status, 200);
  EXPECT_TRUE(text.Body == big) << text.Body.size() << " bytes of " << big.size();
  EXPECT_TRUE(stream.Body == big.substr(1)) << stream.Body.size() << " bytes";
  EXPECT_EQ(head.Headers.at("content-length"), std::to_string(big.size()));
  EXPECT_TRUE(head.Body.empty());
}

// A server with small bounds whose handler echoes what it was given.
class HttpBounds : public ::testing::Test {
 protected:
  void Start(THttpLimits limits) {
    server = std::make_unique<THttpServer>("Orvane server", [this](const THttpRequest& request, THttpResponse& response) {
      std::lock_guard guard(lock);
      seen = request;
      std::string params;
      for (const std::string& param : request.Params) params += param + ";";
      response.ContentText = request.Method + " " + request.Document + " " + params;
    }, limits);
    port = test::FreePort();
    server->Activate(port);
  }
  void TearDown() override {
    if (server) server->Deactivate();
  }
  // A connection that has sent `text` and waits.
  int Open(const std::string& text = "") const {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (!text.empty()) send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    return fd;
  }

  std::unique_ptr<THttpServer> server;
  int port = 0;
  std::mutex lock;
  THttpRequest seen;
};

TEST_F(HttpBounds, EachBoundIsAnsweredWithItsStatus) {
  THttpLimits limits;
  limits.MaxRequestLine = 100;
  limits.MaxHeaderLine = 100;
  limits.MaxHeaders = 5;
  limits.MaxBody = 10;
  Start(limits);
  const std::string host = "Host: 127.0.0.1\r\n";
  std::string manyHeaders;
  for (int i = 0; i < 6; ++i) manyHeaders += "X-" + std::to_string(i) + ": y\r\n";
  const struct { std::string request; int status; } rows[] = {
      {"GET /" + std::string(100, 'a') + " HTTP/1.1\r\n" + host + "\r\n", 414},
      {"GET /" + std::string(200, 'a'), 414},  // not even a whole line yet
      {"GET / HTTP/1.1\r\nX: " + std::string(100, 'b') + "\r\n\r\n", 431},
      {"GET / HTTP/1.1\r\n" + manyHeaders + "\r\n", 431},
      {"POST / HTTP/1.1\r\n" + host + "Content-Length: 11\r\n\r\n01234567890", 413},
      {"POST / HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
      {"POST / HTTP/1.1\r\n" + host + "Content-Length: -1\r\n\r\n", 400},
      {"DELETE / HTTP/1.1\r\n" + host + "\r\n", 405},
      {"GET /\r\n\r\n", 400},
      {"GET / HTTP/2.0\r\n\r\n", 505},
      {"\x16\x03\x01 garbage\r\n\r\n", 400},
      {"GET / HTTP/1.1\r\n folded: line\r\n\r\n", 400},
      {"GET /a%20b+c?x=1+2&y=%41 HTTP/1.1\r\n" + host + "\r\n", 200},
  };
  for (const auto& row : rows) EXPECT_EQ(test::RawHttp(port, row.request).Status, row.status) << row.request;
  const test::THttpAnswer answer = test::RawHttp(port, "POST /form?q=2 HTTP/1.0\r\nContent-Type: "
                                                       "application/x-www-form-urlencoded\r\nContent-Length: 5\r\n\r\nk=v+w");
  EXPECT_EQ(answer.Body, "POST /form k=v w;q=2;");
  EXPECT_EQ(answer.Headers.at("connection"), "close");
  EXPECT_EQ(test::RawHttp(port, "GET /a%20b+c?x=1+2 HTTP/1.1\r\n\r\n").Body, "GET /a b+c x=1 2;");
  const test::THttpAnswer head = test::RawHttp(port, "HEAD /h HTTP/1.1\r\n\r\n");
  EXPECT_EQ(head.Body, "");
  EXPECT_EQ(head.Headers.at("content-length"), "8");  // what a GET would get: "HEAD /h "
}

// Lines each within their bound still add up: the head as a whole is bounded.
TEST_F(HttpBounds, TheWholeHeadIsCountedAgainstItsBound) {
  Start(THttpLimits{});
  std::string lines;
  for (int i = 0; i < 9; ++i) lines += "X-" + std::to_string(i) + ": " + std::string(7990, 'v') + "\r\n";
  EXPECT_EQ(test::RawHttp(port, "GET / HTTP/1.1\r\n" + lines + "\r\n").Status, 431);
  lines.resize(lines.size() / 9 * 7);
  EXPECT_EQ(test::RawHttp(port, "GET / HTTP/1.1\r\n" + lines + "\r\n").Status, 200);
}

TEST_F(HttpBounds, SlowHeadsTimeOutAndConnectionsBeyondTheCapAreRefused) {
  THttpLimits limits;
  limits.MaxConnections = 2;
  limits.HeadTimeout = std::chrono::milliseconds(300);
  Start(limits);
  const int first = Open("GET / HT"), second = Open();
  // Both are taken before the third arrives.
  ASSERT_TRUE(test::WaitFor([&] { return test::RawHttp(port, "GET / HTTP/1.1\r\n\r\n").Status == 503; }));
  for (const int fd : {first, second}) {
    char buffer[512];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);  // the head never came whole
    ASSERT_GT(got, 12);
    EXPECT_EQ(std::string(buffer, 12), "HTTP/1.1 408");
    close(fd);
  }
  EXPECT_TRUE(test::WaitFor([&] { return test::RawHttp(port, "GET / HTTP/1.1\r\n\r\n").Status == 200; }));
}

TEST_F(HttpBounds, ManySlowClientsLeaveRoomForPagesAndAStopEndsThem) {
  Start(THttpLimits{});  // a head may take ten seconds
  std::vector<int> slow;
  for (int i = 0; i < 200; ++i) slow.push_back(Open("GET /slow HTTP/1.1\r\nX-Trickle: "));
  EXPECT_EQ(test::HttpGet(port, "/page.htm").Status, 200);
  // Deactivate does not wait for the heads still coming.
  server->Deactivate();
  // Each one ends: an orderly close, or a reset for a head that was still unread (or never accepted).
  for (const int fd : slow) {
    const timeval wait{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char byte;
    const ssize_t got = recv(fd, &byte, 1, 0);
    EXPECT_TRUE(got == 0 || (got < 0 && errno == ECONNRESET)) << got << " " << std::strerror(errno);
    close(fd);
  }
}

}  // namespace
}  // namespace orvane
