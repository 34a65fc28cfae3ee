#include <gtest/gtest.h>

#include <zlib.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "base/OvException.h"
#include "platform/HttpClient.h"
#include "search/SearchTestSupport.h"

namespace orvane {
namespace {

// windowBits 31 writes a gzip wrapper, 15 a zlib one (HTTP "deflate").
std::string Compress(const std::string& text, int windowBits) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

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

TEST(HttpClient, FailuresRaise) {
  testing::TLocalHttpStub stub;
  stub.Server().Get("/missing", [](const httplib::Request&, httplib::Response& response) { response.status = 404; });
  THttpClient client;
  EXPECT_THROW(client.Get("http://" + stub.Host() + "/missing"), TOvException);
  EXPECT_THROW(client.Get("file:///etc/hostname"), TOvException);
  EXPECT_THROW(client.Get(""), TOvException);
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
  THttpClient client;
  client.TransferTimeoutSeconds = 1;
  EXPECT_THROW(client.Get("http://" + stub.Host() + "/slow"), TOvException);
  {
    std::lock_guard guard(lock);
    released = true;
  }
  changed.notify_all();
}

}  // namespace
}  // namespace orvane
