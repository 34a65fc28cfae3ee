// A small page from the HTTP endpoint while 200 other connections trickle
// their headers in and never finish them.
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "host/HttpServer.h"
#include "support/ServerProcess.h"

namespace {

using namespace orvane;

int OpenSlow(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const char head[] = "GET /slow HTTP/1.1\r\nX-Trickle: ";
  send(fd, head, sizeof head - 1, MSG_NOSIGNAL);
  return fd;
}

void BM_PageBesideSlowClients(benchmark::State& state) {
  THttpServer server("Orvane server", [](const THttpRequest&, THttpResponse& response) {
    response.ContentText = "<html><body>page</body></html>";
  });
  const int port = test::FreePort();
  server.Activate(port);
  std::vector<int> slow;
  for (int64_t i = 0; i < state.range(0); ++i) slow.push_back(OpenSlow(port));
  for (auto _ : state) {
    const test::THttpAnswer answer = test::HttpGet(port, "/page.htm");
    if (answer.Status != 200) state.SkipWithError("no answer");
  }
  server.Deactivate();
  for (const int fd : slow) close(fd);
}
BENCHMARK(BM_PageBesideSlowClients)->Arg(0)->Arg(200)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
