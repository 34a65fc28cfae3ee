// The real binary on a temporary installation tree, spoken to over HTTP.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "base/Regex.h"
#include "host/Server.h"
#include "support/ServerProcess.h"

namespace orvane::test {
namespace {

class ServerIntegration : public ::testing::Test {
 protected:
  TServerProcess server;
};

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

TEST_F(ServerIntegration, AnswersPagesWithTheirHeaders) {
  WriteFile(server.Install + "Resources/html/plain.css", "a { }");
  ASSERT_TRUE(server.Start());

  const THttpAnswer page = HttpGet(server.Port, "/default.htm");
  EXPECT_EQ(page.Status, 200);
  EXPECT_EQ(page.Headers.at("server"), "Orvane server");
  EXPECT_EQ(page.Headers.at("connection"), "close");
  // No other site may frame our pages.
  EXPECT_EQ(page.Headers.at("content-security-policy"), "frame-ancestors 'self'");
  EXPECT_EQ(page.Headers.at("x-frame-options"), "SAMEORIGIN");
  EXPECT_EQ(page.Headers.at("cache-control"), "no-cache");
  EXPECT_TRUE(page.Headers.count("expires"));
  EXPECT_NE(page.Body.find("Orvane 1.0.0.1"), std::string::npos);
  EXPECT_EQ(page.Body.find("<ov:"), std::string::npos);

  const THttpAnswer css = HttpGet(server.Port, "/Plain.CSS");
  EXPECT_EQ(css.Headers.at("content-type"), "text/css");
  EXPECT_EQ(css.Body, "a { }\r\n");

  const THttpAnswer image = HttpGet(server.Port, "/spacer.gif");
  EXPECT_EQ(image.Status, 200);
  EXPECT_EQ(image.Body.substr(0, 6), "GIF89a");
  EXPECT_TRUE(image.Headers.count("last-modified"));
  EXPECT_FALSE(image.Headers.count("cache-control"));
  const THttpAnswer cached = HttpGet(server.Port, "/missing.gif", "If-Modified-Since: whatever\r\n");
  EXPECT_EQ(cached.Status, 304);
  EXPECT_TRUE(cached.Body.empty());
  EXPECT_TRUE(WaitFor([&] { return server.Log().find("file: spacer.gif loaded from disk") != std::string::npos; }));
}

TEST_F(ServerIntegration, RefusesForeignPeersAndForeignHostNames) {
  ASSERT_TRUE(server.Start());
  const std::string refused = "Request origin unautorized!";
  const THttpAnswer foreignPeer =
      RawHttp(server.Port, "GET /default.htm HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "127.0.0.2");
  EXPECT_EQ(foreignPeer.Status, 403);
  EXPECT_EQ(foreignPeer.Body, refused);
  EXPECT_EQ(foreignPeer.Headers.at("x-frame-options"), "SAMEORIGIN");
  EXPECT_EQ(foreignPeer.Headers.at("server"), "Orvane server");

  const struct { std::string host; bool allowed; } rows[] = {
      {"127.0.0.1", true}, {"127.0.0.1:" + std::to_string(server.Port), true}, {"LocalHost", true},
      {"localhost:80", true}, {"evil.example", false}, {"evil.example:" + std::to_string(server.Port), false},
      {"127.0.0.1.evil.example", false}, {"localhost:", false},
  };
  for (const auto& row : rows) {
    const THttpAnswer answer = RawHttp(server.Port, "GET /spacer.htm HTTP/1.1\r\nHost: " + row.host + "\r\n\r\n");
    EXPECT_EQ(answer.Body == refused, !row.allowed) << row.host;
    EXPECT_EQ(answer.Status == 403, !row.allowed) << row.host;
  }
}

TEST_F(ServerIntegration, ErrorsBecomeRedirectScriptsToTheStartPage) {
  ASSERT_TRUE(server.Start());
  // A missing page says so in its status; the body still takes the browser
  // to the start page, which shows why.
  const std::string home = "<script>parent.location=\"http://127.0.0.1:" + std::to_string(server.Port) +
                           "/default.htm?Failure=File+not+found";
  for (const char* missing : {"/nothere.htm", "/../../etc/passwd"}) {
    const THttpAnswer answer = HttpGet(server.Port, missing);
    EXPECT_EQ(answer.Status, 404) << missing;
    EXPECT_EQ(answer.Body.rfind(home, 0), 0u) << answer.Body;
  }

  // The running server shows its own errors in a balloon.
  EXPECT_TRUE(WaitFor([&] { return server.Log().find("[TrayIcon] Balloon \"Orvane Server\"") != std::string::npos; }));
}

TEST_F(ServerIntegration, SessionsLiveWhileUsedAndExpire) {
  server.Config["TimeOut"] = "0";
  ASSERT_TRUE(server.Start());
  const THttpAnswer search = HttpGet(server.Port, "/search?keywords=alpha&se=1");
  EXPECT_NE(search.Body.find("'0'"), std::string::npos);  // the start page now names session 0
  const std::string home = "parent.location=";
  EXPECT_TRUE(WaitFor([&] { return HttpGet(server.Port, "/mainframe.htm?id=0").Body.find(home) != std::string::npos; }));
  const THttpAnswer second = HttpGet(server.Port, "/search?keywords=beta&se=1");
  EXPECT_NE(second.Body.find("'1'"), std::string::npos);  // ids are never reused
}

TEST_F(ServerIntegration, SessionsOutliveShortGapsWithTheDefaultTimeout) {
  ASSERT_TRUE(server.Start());
  HttpGet(server.Port, "/search?keywords=alpha&se=1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // more than one clean-up round
  EXPECT_EQ(HttpGet(server.Port, "/mainframe.htm?id=0").Body.find("parent.location="), std::string::npos);
  EXPECT_NE(HttpGet(server.Port, "/mainframe.htm").Body.find("Search the web"), std::string::npos);
}

TEST_F(ServerIntegration, SecondStartOpensTheRunningServerWhichKeepsItsPort) {
  ASSERT_TRUE(server.Start());
  HttpGet(server.Port, "/nothere.htm");  // a line in its log
  EXPECT_TRUE(WaitFor([&] { return server.Log().find("[ServePage]") != std::string::npos; }));
  EXPECT_EQ(server.RunToEnd({}), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port) + "/default.htm\n";
  // The browser runs on its own, after the second start may have ended.
  EXPECT_TRUE(WaitFor([&] { return ReadFile(server.BrowserLog) == url; })) << ReadFile(server.BrowserLog);
  EXPECT_EQ(HttpGet(server.Port, "/spacer.htm").Status, 200);
  EXPECT_NE(server.Log().find("[ServePage]"), std::string::npos);  // its log was not wiped
  // No other program can share its port.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
  sockaddr_in address = Loopback(server.Port);
  EXPECT_NE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

TEST_F(ServerIntegration, BoostOpensTheStartPageAndTheServerStillRuns) {
  ASSERT_TRUE(server.Start({"/BOOST"}));
  EXPECT_TRUE(WaitFor([&] { return !ReadFile(server.BrowserLog).empty(); }));
  EXPECT_EQ(ReadFile(server.BrowserLog), "http://127.0.0.1:" + std::to_string(server.Port) + "/default.htm\n");
  EXPECT_EQ(server.Stop(), 0);
}

TEST_F(ServerIntegration, BusyPortEndsWithAClearMessage) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(server.Port);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  listen(fd, 1);
  std::string errorText;
  EXPECT_NE(server.RunToEnd({}, &errorText), 0);
  EXPECT_NE(errorText.find("Cannot listen on 127.0.0.1:" + std::to_string(server.Port)), std::string::npos);
  EXPECT_NE(errorText.find("Set \"Port\" in " + server.ConfigFile), std::string::npos) << errorText;
  close(fd);
}

TEST_F(ServerIntegration, LogLinesAreCompleteUnderConcurrentRequests) {
  ASSERT_TRUE(server.Start());
  std::vector<std::thread> clients;
  for (int i = 0; i < 8; ++i)
    clients.emplace_back([&] {
      for (int j = 0; j < 10; ++j) HttpGet(server.Port, "/missing" + std::to_string(j) + ".htm");
    });
  for (auto& client : clients) client.join();
  EXPECT_EQ(server.Stop(), 0);
  const TRegex line(R"(^\[\d{4}-\d\d-\d\d(\ \d\d:\d\d:\d\d)?\]\ \[[^\]]*\]\ .*$)", 0);
  std::istringstream log(server.Log());
  std::string text;
  int notFound = 0;
  while (std::getline(log, text)) {
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\r');
    text.pop_back();
    EXPECT_TRUE(line.Matches(text)) << text;
    if (text.find("[ServePage] File not found: ") != std::string::npos) ++notFound;
  }
  EXPECT_EQ(notFound, 80);
}

TEST_F(ServerIntegration, SleepingRequestsDoNotDelayPages) {
  ASSERT_TRUE(server.Start());
  // Twenty connections each hold a three-second "sleep" before the page is
  // asked for; a server with a bounded pool would make the page wait.
  std::vector<int> sleepers;
  for (int i = 0; i < 20; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(server.Port);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request = "GET /sleep HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    sleepers.push_back(fd);
  }
  EXPECT_EQ(HttpGet(server.Port, "/default.htm").Status, 200);
  char byte;
  for (const int fd : sleepers) EXPECT_LT(recv(fd, &byte, 1, MSG_DONTWAIT), 0) << "a sleep ended before the page";
  for (const int fd : sleepers) {
    EXPECT_EQ(recv(fd, &byte, 1, 0), 1);  // every sleep is answered in the end
    close(fd);
  }
}

TEST_F(ServerIntegration, RemoteRecordsReachTheServiceUntilItFails) {
  httplib::Server stub;
  std::mutex lock;
  std::vector<std::string> messages;
  stub.Get("/logaction.asp", [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard guard(lock);
    messages.push_back(request.get_param_value("message"));
    response.set_content("ok", "text/plain");
  });
  const int stubPort = stub.bind_to_any_port("127.0.0.1");
  std::thread stubThread([&] { stub.listen_after_bind(); });
  server.Config["OrvaneURL"] = "http://127.0.0.1:" + std::to_string(stubPort);
  ASSERT_TRUE(server.Start());
  // The message with that index once it has arrived, else "".
  auto message = [&](size_t index) {
    std::lock_guard guard(lock);
    return index < messages.size() ? messages[index] : std::string();
  };
  const auto refusedRequest = [&] { RawHttp(server.Port, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "127.0.0.3"); };
  ASSERT_TRUE(WaitFor([&] { return !message(0).empty(); }));
  const TRegex startup(R"(^UID:\{[0-9A-F-]{36}\}\|STARTUP\|[-0-9: ]+\|1\.0\.0\.1\|\|$)", 0);
  EXPECT_TRUE(startup.Matches(message(0))) << message(0);
  refusedRequest();
  ASSERT_TRUE(WaitFor([&] { return !message(1).empty(); }));
  EXPECT_NE(message(1).find("|EXCEPTION|"), std::string::npos);
  EXPECT_NE(message(1).find("|||Server|TOrvaneForm.IdHTTPServer1CommandGet|Request origin unautorized!"),
            std::string::npos)
      << message(1);
  stub.stop();
  stubThread.join();
  EXPECT_TRUE(WaitFor([&] {
    refusedRequest();  // the first of these fails to send
    return server.Log().find("[Remote log] Failed to post thread message") != std::string::npos;
  }));
}

TEST(UpdateCheck, AVersionIsNewerWhenItSortsAfterOurs) {
  EXPECT_TRUE(IsNewerVersion("1.2.0.10", "1.2.0.1"));
  EXPECT_FALSE(IsNewerVersion("1.10.0.0", "1.2.0.1"));
  EXPECT_FALSE(IsNewerVersion("1.2.0.1", "1.2.0.1"));
  EXPECT_FALSE(IsNewerVersion("", "1.2.0.1"));
}

// The maker's service stood in for on this machine; the server is 1.0.0.1.
TEST_F(ServerIntegration, UpdateCheckSaysSoOnStderrOnlyForANewerVersion) {
  const struct { const char* reply; bool told; } rows[] = {{"1.0.0.2", true}, {"1.0.0.1", false}, {"", false}};
  for (const auto& row : rows) {
    TServerProcess process;
    httplib::Server stub;
    std::atomic<int> asked{0};
    stub.Get("/checkforupdate.asp", [&](const httplib::Request& request, httplib::Response& response) {
      if (request.get_param_value("version") == "1.0.0.1") ++asked;
      response.set_content(row.reply, "text/plain");
    });
    const int stubPort = stub.bind_to_any_port("127.0.0.1");
    std::thread stubThread([&] { stub.listen_after_bind(); });
    const std::string service = "http://127.0.0.1:" + std::to_string(stubPort);
    process.Config["OrvaneURL"] = service;
    ASSERT_TRUE(process.Start());
    ASSERT_TRUE(WaitFor([&] { return asked > 0; })) << row.reply;
    // The answer is still on its way when the stub has counted the question, and a stop aborts it.
    const std::string notice = "Orvane update\nA new version has been realeased.";
    if (row.told) WaitFor([&] { return ReadFile(process.Root + "/stderr.txt").find(notice) != std::string::npos; });
    process.Stop();
    const std::string said = ReadFile(process.Root + "/stderr.txt");
    EXPECT_EQ(said.find(notice) != std::string::npos, row.told) << said;
    EXPECT_EQ(said.find(service + "/checkforupdateui.asp?version=1.0.0.1") != std::string::npos, row.told);
    EXPECT_EQ(ReadFile(process.BrowserLog), "");  // nothing is opened
    stub.stop();
    stubThread.join();
  }
}

TEST_F(ServerIntegration, AServiceThatNeverAnswersDelaysNothing) {
  httplib::Server stub;
  std::atomic<bool> release{false};
  stub.Get("/checkforupdate.asp", [&](const httplib::Request&, httplib::Response& response) {
    for (int i = 0; i < 100 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    response.set_content("9.9", "text/plain");
  });
  const int stubPort = stub.bind_to_any_port("127.0.0.1");
  std::thread stubThread([&] { stub.listen_after_bind(); });
  server.Config["OrvaneURL"] = "http://127.0.0.1:" + std::to_string(stubPort);
  // The check waits beside the server: pages answer, and a stop ends it.
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(HttpGet(server.Port, "/spacer.htm").Status, 200);
  EXPECT_EQ(server.Stop(), 0);
  release = true;
  stub.stop();
  stubThread.join();
}

}  // namespace
}  // namespace orvane::test
