#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "base/OvException.h"
#include "platform/HttpClient.h"
#include "search/SearchTestSupport.h"
#include "support/Deflate.h"
#include "support/ServerProcess.h"

namespace orvane {
namespace {

using testing::Compress;

TEST(HttpClient, SendsBrowserHeadersAndDecodesCompressedBodies) {
  const std::string page(5000, 'x');
  testing::TLocalHttpStub stub;
  httplib::Headers seen;
  std::string target;
  stub.Server().Get("/page", [&](const httplib::Request& request, httplib::Response& response) {
    seen = request.headers;
    target = request.target;
    const std::string encoding = request.get_param_value("enc");
    if (encoding == "gzip") response.set_header("Content-Encoding", "gzip");
    if (encoding == "deflate") response.set_header("Content-Encoding", "deflate");
    response.set_content(encoding == "gzip" ? Compress(page, 31) : encoding == "deflate" ? Compress(page, 15) : page,
                         "text/html");
  });
  for (const char* encoding : {"gzip", "deflate", "none"}) {
    THttpClient client;
    EXPECT_EQ(client.Get("http://" + stub.Host() + "/page?enc=" + std::string(encoding) + "&q=language:en web"), page)
        << encoding;
  }
  EXPECT_EQ(target, "/page?enc=none&q=language:en%20web");
  auto header = [&seen](const char* name) {
    const auto it = seen.find(name);
    return it == seen.end() ? std::string("(none)") : it->second;
  };
  EXPECT_EQ(header("Accept-Encoding"), "gzip, deflate");
  EXPECT_EQ(header("Accept-Language"), "en-us");
  EXPECT_EQ(header("User-Agent"),
            "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 1.1.4322; .NET CLR 2.0.40903)");
  EXPECT_EQ(header("Accept").substr(0, 35), "image/gif, image/x-xbitmap, image/j");
  EXPECT_TRUE(header("Accept").ends_with("application/msword, */*"));
}

TEST(HttpClient, KeepsItsConnectionUntilReleased) {
  testing::TLocalHttpStub stub;
  std::mutex lock;
  std::vector<int> ports;  // the client's end of each request's connection
  stub.Server().Get("/page", [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard guard(lock);
    ports.push_back(request.remote_port);
    response.set_content("page", "text/html");
  });
  auto fetch = [&stub] { EXPECT_EQ(THttpClient().Get("http://" + stub.Host() + "/page"), "page"); };
  ReleaseKeptConnections();  // nothing kept by earlier tests for another stub
  fetch();
  fetch();
  ReleaseKeptConnections();
  fetch();
  std::lock_guard guard(lock);
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0], ports[1]);
  EXPECT_NE(ports[1], ports[2]);
}

// Two sites fetched at once leave a kept handle for each; the next page of
// either goes out on the connection its own site already has, whichever
// handle came back last.
TEST(HttpClient, NextPageOfASiteTakesThatSitesConnection) {
  testing::TLocalHttpStub first, second;
  std::mutex lock;
  std::condition_variable changed;
  bool secondArrived = false, secondMayAnswer = false;
  std::vector<int> firstPorts, secondPorts;
  first.Server().Get("/page", [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard guard(lock);
    firstPorts.push_back(request.remote_port);
    response.set_content("first", "text/html");
  });
  second.Server().Get("/page", [&](const httplib::Request& request, httplib::Response& response) {
    std::unique_lock guard(lock);
    secondPorts.push_back(request.remote_port);
    secondArrived = true;
    changed.notify_all();
    changed.wait(guard, [&] { return secondMayAnswer; });
    response.set_content("second", "text/html");
  });
  const std::string firstURL = "http://" + first.Host() + "/page", secondURL = "http://" + second.Host() + "/page";
  ReleaseKeptConnections();
  {
    // The second site's transfer holds its handle while the first's is made.
    std::thread held([&] { EXPECT_EQ(THttpClient().Get(secondURL), "second"); });
    {
      std::unique_lock guard(lock);
      changed.wait(guard, [&] { return secondArrived; });
    }
    EXPECT_EQ(THttpClient().Get(firstURL), "first");
    {
      std::lock_guard guard(lock);
      secondMayAnswer = true;
    }
    changed.notify_all();
    held.join();
  }
  EXPECT_EQ(THttpClient().Get(firstURL), "first");
  EXPECT_EQ(THttpClient().Get(secondURL), "second");
  std::lock_guard guard(lock);
  ASSERT_EQ(firstPorts.size(), 2u);
  ASSERT_EQ(secondPorts.size(), 2u);
  EXPECT_EQ(firstPorts[0], firstPorts[1]);
  EXPECT_EQ(secondPorts[0], secondPorts[1]);
}

// A buffer given to the client keeps no trace of what it held before.
TEST(HttpClient, GetIntoReplacesWhatTheBufferHeld) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/page", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("short", "text/html");
  });
  std::string body(100000, 'x');
  THttpClient().GetInto("http://" + stub.Host() + "/page", body);
  EXPECT_EQ(body, "short");
}

TEST(HttpClient, FailuresRaise) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/missing", [](const httplib::Request&, httplib::Response& response) { response.status = 404; });
  THttpClient client;
  EXPECT_THROW(client.Get("http://" + stub.Host() + "/missing"), TOvException);
  EXPECT_THROW(client.Get("file:///etc/hostname"), TOvException);
  EXPECT_THROW(client.Get(""), TOvException);
}

// What a person is told about each kind of failure, and what the rest rule
// needs to know of a "not now" answer.
TEST(HttpClient, FailuresSayWhyInPlainWordsAndCarryRetryAfter) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/status", [](const httplib::Request& request, httplib::Response& response) {
    response.status = std::stoi(request.get_param_value("code"));
    if (request.has_param("retry")) response.set_header("Retry-After", request.get_param_value("retry"));
  });
  stub.Server().Get("/big", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(3000, 'x'), "text/html");
  });
  // Small on the wire, too large once inflated.
  stub.Server().Get("/bomb", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content(Compress(std::string(3000, 'x'), 31), "text/html");
  });
  stub.Server().Get("/broken", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content("\x1f\x8b but no gzip after all", "text/html");
  });
  const std::string closed = "http://127.0.0.1:" + std::to_string(test::FreePort()) + "/";
  const struct { std::string url; const char* reason; long status; long retryAfter;
  } rows[] = {
      {"http://" + stub.Host() + "/status?code=500", "it answered 500", 500, -1},
      {"http://" + stub.Host() + "/status?code=429&retry=120", "it answered 429", 429, 120},
      {"http://" + stub.Host() + "/status?code=429&retry=0", "it answered 429", 429, 0},
      // A date long past means now; a value that is neither a number nor a date counts as none.
      {"http://" + stub.Host() + "/status?code=503&retry=Wed,%2021%20Oct%202015%2007:28:00%20GMT", "it answered 503",
       503, 0},
      {"http://" + stub.Host() + "/status?code=503&retry=soon", "it answered 503", 503, -1},
      {"http://" + stub.Host() + "/status?code=503", "it answered 503", 503, -1},
      {"http://" + stub.Host() + "/big", "page larger than 1000 bytes", 0, -1},
      {"http://" + stub.Host() + "/bomb", "page larger than 1000 bytes", 0, -1},
      {"http://" + stub.Host() + "/broken", "undecodable page", 0, -1},
      {closed, "connection refused", 0, -1},
  };
  for (const auto& row : rows) {
    THttpClient client;
    client.MaxBodyBytes = 1000;
    try {
      client.Get(row.url);
      ADD_FAILURE() << row.url;
    } catch (const THttpError& e) {
      EXPECT_EQ(e.Reason, row.reason) << row.url;
      EXPECT_EQ(e.Status, row.status) << row.url;
      EXPECT_EQ(e.RetryAfterSeconds, row.retryAfter) << row.url;
    }
  }
}

TEST(HttpClient, StuckTransferTimesOut) {
  testing::TLocalHttpStub stub;
  std::mutex lock;
  std::condition_variable changed;
  bool released = false;
  stub.Server().Get("/slow", [&](const httplib::Request&, httplib::Response& response) {
    std::unique_lock guard(lock);
    changed.wait_for(guard, std::chrono::seconds(20), [&] { return released; });
    response.set_content("late", "text/plain");
  });
  THttpClient client(1);
  try {
    client.Get("http://" + stub.Host() + "/slow");
    ADD_FAILURE() << "no time-out";
  } catch (const THttpError& e) {
    EXPECT_EQ(e.Reason, "time-out after 1 s");
  }
  {
    std::lock_guard guard(lock);
    released = true;
  }
  changed.notify_all();
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

TEST(HttpClient, PlainHttpGoesOnlyToLoopbackHostsWhenAsked) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/p", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("ok", "text/plain");
  });
  THttpClient client;
  client.RefusePlainHttpBeyondLoopback = true;
  EXPECT_EQ(client.Get("http://" + stub.Host() + "/p"), "ok");
  EXPECT_EQ(client.Get("http://localhost:" + std::to_string(stub.Port()) + "/p"), "ok");
  // Refused before any connection is tried: nothing leaves the machine.
  for (const char* url : {"http://www.example.com/search?q=secret", "http://10.0.0.1/", "HTTP://Example.com/",
                          "http://127.0.0.1.example.com/", "http://user@example.com:80/"}) {
    try {
      client.Get(url);
      ADD_FAILURE() << url << " was not refused";
    } catch (const TOvException& e) {
      EXPECT_NE(e.Message().find("Plain HTTP to "), std::string::npos) << url << ": " << e.Message();
      EXPECT_NE(e.Message().find("must use https"), std::string::npos) << url;
    }
  }
  ReleaseKeptConnections();  // the stub stops without waiting out the kept connection
}

TEST(HttpClient, CallerHeadersReplaceOrJoinTheClientsOwn) {
  testing::TLocalHttpStub stub;
  httplib::Headers seen;
  stub.Server().Get("/p", [&](const httplib::Request& request, httplib::Response& response) {
    seen = request.headers;
    response.set_content("ok", "text/plain");
  });
  THttpClient client;
  client.Headers = {{"User-Agent", "Orvane/1.0 (+mailto:a@b.example)"},
                    {"accept", "application/json"},
                    {"X-Subscription-Token", "k3y"}};
  EXPECT_EQ(client.Get("http://" + stub.Host() + "/p"), "ok");
  auto header = [&seen](const char* name) {
    const auto range = seen.equal_range(name);
    std::string values;
    for (auto it = range.first; it != range.second; ++it) values += (values.empty() ? "" : "|") + it->second;
    return values;
  };
  EXPECT_EQ(header("User-Agent"), "Orvane/1.0 (+mailto:a@b.example)");
  EXPECT_EQ(header("Accept"), "application/json");
  EXPECT_EQ(header("Accept-Language"), "en-us");
  EXPECT_EQ(header("X-Subscription-Token"), "k3y");
  ReleaseKeptConnections();
}

TEST(URLHost, NamesTheHostAndTellsLoopbackApart) {
  const struct { const char* url; const char* host; bool loopback; } rows[] = {
      {"http://127.0.0.1:8080/x", "127.0.0.1", true},
      {"http://127.1.2.3/", "127.1.2.3", true},
      {"http://LocalHost/", "localhost", true},
      {"http://[::1]:9/", "::1", true},
      {"http://127.0.0.1.example.com/", "127.0.0.1.example.com", false},
      {"http://127.0.0.256/", "127.0.0.256", false},
      {"http://127.0.0/", "127.0.0", false},
      {"http://user:pw@host.example:1/a?b#c", "host.example", false},
      {"https://en.wikipedia.org/w/api.php?q=1", "en.wikipedia.org", false},
      {"no scheme", "", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(URLHost(row.url), row.host) << row.url;
    EXPECT_EQ(IsLoopbackHost(URLHost(row.url)), row.loopback) << row.url;
  }
}

}  // namespace
}  // namespace orvane
