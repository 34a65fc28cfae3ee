// engine-simulator: serves simulated Google, MSN, Yahoo, Wikipedia, arXiv,
// SearXNG and Brave result pages on
// 127.0.0.1 until SIGINT or SIGTERM. See EngineSimulator.h for the control
// words a query may carry.
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "EngineSimulator.h"
#include "base/OvException.h"
#include "base/StrUtils.h"

namespace {

void Usage() {
  std::cerr << "usage: engine-simulator [--google-port P] [--msn-port P] [--yahoo-port P] [--wikipedia-port P]\n"
               "                        [--arxiv-port P] [--searxng-port P] [--brave-port P] [--brave-key KEY]\n"
               "                        [--total N] [--delay-ms N] [--ports-file FILE] [--log FILE] [--prerender FILE]\n"
               "  ports: 0 (default) picks a free port; --total: results every query claims\n"
               "  (default: varies with the query); --ports-file writes GoogleHost=127.0.0.1:P lines\n"
               "  (one per engine; the Brave listener wants --brave-key, default " << orvane::sim::kBraveKey << ");\n"
               "  --prerender: renders the first ten pages of every engine for each line of FILE\n"
               "  (keywords as typed) once at start and answers them from memory\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvane;
  sim::TSimOptions options;
  std::string portsFile, prerenderFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    }
    if (i + 1 >= argc) {
      Usage();
      return 2;
    }
    const std::string value = argv[++i];
    int32_t number = 0;
    const bool numeric = TryStrToInt(value, number) && number >= 0;
    if (arg == "--google-port" && numeric) options.Ports[sim::kGoogle] = number;
    else if (arg == "--msn-port" && numeric) options.Ports[sim::kMSN] = number;
    else if (arg == "--yahoo-port" && numeric) options.Ports[sim::kYahoo] = number;
    else if (arg == "--wikipedia-port" && numeric) options.Ports[sim::kWikipedia] = number;
    else if (arg == "--arxiv-port" && numeric) options.Ports[sim::kArxiv] = number;
    else if (arg == "--searxng-port" && numeric) options.Ports[sim::kSearxng] = number;
    else if (arg == "--brave-port" && numeric) options.Ports[sim::kBrave] = number;
    else if (arg == "--brave-key") options.BraveKey = value;
    else if (arg == "--total" && numeric) options.DefaultTotal = number;
    else if (arg == "--delay-ms" && numeric) options.DelayMs = number;
    else if (arg == "--ports-file") portsFile = value;
    else if (arg == "--log") options.LogFile = value;
    else if (arg == "--prerender") prerenderFile = value;
    else {
      std::cerr << "engine-simulator: bad option " << arg << " " << value << "\n";
      Usage();
      return 2;
    }
  }

  // Block the stop signals in every thread; the main thread waits for them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  sim::TEngineSimulator simulator(options);
  if (!prerenderFile.empty()) {
    std::ifstream in(prerenderFile);
    std::vector<std::string> keywords;
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) keywords.push_back(line);
    if (!in.eof()) {
      std::cerr << "engine-simulator: cannot read " << prerenderFile << "\n";
      return 1;
    }
    simulator.UsePrerendered(std::make_shared<const sim::TPrerenderedPages>(keywords, options.DefaultTotal));
  }
  try {
    simulator.Start();
  } catch (const TOvException& e) {
    std::cerr << "engine-simulator: " << e.what() << "\n";
    return 1;
  }
  if (!portsFile.empty()) {
    std::ofstream out(portsFile, std::ios::trunc);
    for (int e = 0; e < sim::kEngineCount; ++e) out << sim::EngineName(e) << "Host=" << simulator.HostOf(e) << "\n";
    if (!out) {
      std::cerr << "engine-simulator: cannot write " << portsFile << "\n";
      return 1;
    }
  }
  for (int e = 0; e < sim::kEngineCount; ++e) std::cout << sim::EngineName(e) << "Host=" << simulator.HostOf(e) << "\n";
  std::cout.flush();

  int received = 0;
  sigwait(&signals, &received);
  std::cout << "engine-simulator: stopping (" << strsignal(received) << ")\n";
  simulator.Stop();
  return 0;
}
