// orvane-soak: the real server under a long, mixed, concurrent load against
// the local engine simulator, with sessions that expire while they are used.
// Every answer is checked; the server's resident size is sampled. Built in
// each build folder, so the sanitizer builds soak their own server.
//
// usage: orvane-soak [SECONDS] [CLIENTS]
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/ServerProcess.h"

namespace {

using namespace orvane::test;
using TClock = std::chrono::steady_clock;

size_t ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6));
  return 0;
}

struct TCounts {
  std::atomic<long> Requests{0}, Failures{0}, Expired{0};
  std::mutex Lock;
  std::vector<std::string> Examples;

  void Fail(const std::string& what) {
    ++Failures;
    std::lock_guard guard(Lock);
    if (Examples.size() < 20) Examples.push_back(what);
  }
};

bool IsPage(const THttpAnswer& answer) { return answer.Status == 200 && answer.Body.find("</html>") != std::string::npos; }
// What an expired session's frame gets: the start page loaded into the frame set.
bool IsStartPageScript(const THttpAnswer& answer) {
  return answer.Status == 200 && answer.Body.rfind("<script>parent.location=", 0) == 0 &&
         answer.Body.find("/default.htm?Failure=") != std::string::npos;
}

class TClient {
 public:
  TClient(int port, int number, TCounts& counts) : port_(port), number_(number), counts_(counts), random_(number) {}

  void Run(TClock::time_point end) {
    while (TClock::now() < end) Step();
  }

 private:
  THttpAnswer Get(const std::string& target) {
    ++counts_.Requests;
    return HttpGet(port_, target);
  }

  // A page of a session, or the start page when the session expired.
  void Expect(const std::string& target, bool resultsFrame = false) {
    const THttpAnswer answer = Get(target);
    if (IsStartPageScript(answer)) {
      ++counts_.Expired;
      session_ = -1;
      return;
    }
    if (!IsPage(answer) || (resultsFrame && answer.Body.find("id=\"list\"") == std::string::npos))
      counts_.Fail(target + " -> " + std::to_string(answer.Status) + " " + answer.Body.substr(0, 120));
  }

  void Search(bool fresh) {
    if (fresh || keywords_.empty())
      keywords_ = "soak+c" + std::to_string(number_) + "q" + std::to_string(random_() % 50) +
                  "+simtotal:" + std::to_string(100 + random_() % 900);
    const THttpAnswer answer = Get("/search?keywords=" + keywords_ + "&se=" + std::to_string(1 + random_() % 3));
    static const std::regex kId(R"(orvaneFillForm\('[^']*', '[^']*', '(-?\d+)'\))");
    std::smatch id;
    if (!IsPage(answer) || !std::regex_search(answer.Body, id, kId)) {
      counts_.Fail("search " + keywords_ + " -> " + std::to_string(answer.Status) + " " + answer.Body.substr(0, 120));
      return;
    }
    session_ = std::stoi(id[1]);
  }

  void Step() {
    const unsigned pick = random_() % 20;
    if (session_ < 0 || pick == 0) return Search(true);
    if (pick == 1) return Search(false);
    const std::string id = "id=" + std::to_string(session_);
    switch (pick % 10) {
      case 2: return Expect("/mainframe.htm?" + id, true);
      case 3: return Expect("/bottomframe.htm?" + id);
      case 4: return Expect("/statistics.htm?" + id);
      case 5: return Expect("/selectword?showonlyword=soak&currentpage=0&" + id);
      case 6: return Expect("/findnarrow?narrow=" + std::string(random_() % 2 ? "soak" : "") + "&" + id);
      case 7: return Expect("/sliceresults.htm?showonlydomainextension=com&currentpage=1&" + id);
      case 8: return Expect("/changeorder.htm?originalorder=" + std::to_string(random_() % 2) + "&" + id);
      case 9: return SaveAndLoad(id);
      default: return Expect("/slicestatisticsresults.htm?WhatToShow=Total&" + id, true);
    }
  }

  void SaveAndLoad(const std::string& id) {
    const std::string name = "soak" + std::to_string(number_);
    Expect("/saveresults?filenametosave=" + name + "&" + id);
    if (session_ < 0) return;
    const THttpAnswer loaded = Get("/loadresults?xmlfilename=" + name);
    if (IsStartPageScript(loaded)) return;  // saved while it expired: nothing to load
    if (loaded.Status != 302 || loaded.Headers.count("location") == 0) {
      counts_.Fail("load " + name + " -> " + std::to_string(loaded.Status) + " " + loaded.Body.substr(0, 120));
      return;
    }
    const THttpAnswer shown = Get(loaded.Headers.at("location"));
    if (IsStartPageScript(shown)) return;
    if (!IsPage(shown)) counts_.Fail("after load -> " + std::to_string(shown.Status) + " " + shown.Body.substr(0, 120));
  }

  int port_;
  int number_;
  TCounts& counts_;
  std::mt19937 random_;
  std::string keywords_;
  int session_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int clients = argc > 2 ? std::atoi(argv[2]) : 8;
  ::signal(SIGPIPE, SIG_IGN);
  TServerProcess server;
  // 3 s of idleness ends a session, so sessions expire while they are used.
  server.Config["TimeOut"] = "28800";
  if (!server.Start()) {
    std::cerr << "orvane-soak: the server did not start\n";
    return 2;
  }
  const size_t startKb = ResidentKb(server.Pid());
  TCounts counts;
  std::atomic<size_t> peakKb{startKb};
  std::atomic<bool> done{false};
  std::thread sampler([&] {
    while (!done) {
      peakKb = std::max(peakKb.load(), ResidentKb(server.Pid()));
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  });
  const auto end = TClock::now() + std::chrono::seconds(seconds);
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i)
    threads.emplace_back([&, i] { TClient(server.Port, i, counts).Run(end); });
  for (auto& thread : threads) thread.join();
  done = true;
  sampler.join();
  // Every session expires; the timer frees them within a second after.
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const size_t finalKb = ResidentKb(server.Pid());
  const bool healthy = HttpGet(server.Port, "/spacer.htm").Status == 200;
  const int exitCode = server.Stop();
  const std::string errors = ReadFile(server.Root + "/stderr.txt");
  const bool sanitizerReport = errors.find("Sanitizer") != std::string::npos ||
                               errors.find("runtime error:") != std::string::npos;

  std::printf("soak: %d s, %d clients: %ld requests, %ld failed, %ld answered for an expired session\n", seconds,
              clients, counts.Requests.load(), counts.Failures.load(), counts.Expired.load());
  std::printf("soak: resident size %zu KB at start, %zu KB at peak, %zu KB after the sessions expired\n", startKb,
              peakKb.load(), finalKb);
  for (const std::string& example : counts.Examples) std::printf("  failed: %s\n", example.c_str());
  if (sanitizerReport) std::printf("soak: the server's stderr holds a sanitizer report:\n%s\n", errors.c_str());
  if (!healthy || exitCode != 0)
    std::printf("soak: the server ended badly (exit %d); its stderr ends:\n%s\n", exitCode,
                errors.substr(errors.size() > 3000 ? errors.size() - 3000 : 0).c_str());
  return counts.Failures == 0 && !sanitizerReport && healthy && exitCode == 0 ? 0 : 1;
}
