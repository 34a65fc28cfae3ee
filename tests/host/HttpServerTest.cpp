#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

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

}  // namespace
}  // namespace orvane
