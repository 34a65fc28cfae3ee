// orvane-server [--config FILE] [-Boost | /Boost]
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <string>

#include "base/StrUtils.h"
#include "host/GlobalData.h"
#include "host/Server.h"
#include "platform/Desktop.h"
#include "platform/HttpClient.h"
#include "platform/Memory.h"
#include "platform/SingleInstance.h"

using namespace orvane;

namespace {

struct TCommandLine {
  std::string ConfigFile;
  bool Boost = false;
};

TCommandLine ParseCommandLine(int argc, char** argv) {
  TCommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--config" && i + 1 < argc) {
      line.ConfigFile = argv[++i];
    } else if (StartsText("--config=", arg)) {
      line.ConfigFile = arg.substr(9);
    } else {
      std::string word = arg;
      if (StartsText("--", word)) word = word.substr(2);
      else if (StartsText("-", word) || StartsText("/", word)) word = word.substr(1);
      else continue;
      if (SameText(word, "Boost")) line.Boost = true;
    }
  }
  return line;
}

// --config, else $ORVANE_CONFIG, else ~/.config/orvane/orvane.ini.
std::string ConfigFileName(const TCommandLine& line) {
  if (!line.ConfigFile.empty()) return line.ConfigFile;
  if (const char* env = std::getenv("ORVANE_CONFIG"); env && *env) return env;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.config";
  else base = ".";
  const std::string folder = base + "/orvane";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder + "/orvane.ini";
}

std::string StartPageURL(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/default.htm"; }

}  // namespace

int main(int argc, char** argv) {
  ShareAllocatorArenas();
  FixAllocatorThresholds();
  // SIGINT and SIGTERM are the confirmed "E&xit": block them in every thread
  // and wait for them on the main thread.
  sigset_t exitSignals;
  sigemptyset(&exitSignals);
  sigaddset(&exitSignals, SIGINT);
  sigaddset(&exitSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &exitSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  const TCommandLine line = ParseCommandLine(argc, argv);
  const std::string configFile = ConfigFileName(line);
  try {
    TSingleInstance instance;
    if (!instance.IsFirst()) {
      // A second start leaves the running server (and its log) alone: it only
      // needs the port to open the start page.
      const TOrvaneReg reg(configFile);
      OpenInBrowser(StartPageURL(reg.ReadInteger("Port", kDefaultPort)));
      return 0;
    }
    EnsureCurlInitialised();
    TGlobal global(configFile);
    SetGlobal(&global);
    if (line.Boost) OpenInBrowser(StartPageURL(global.Port));
    TOrvaneServer server;
    try {
      server.Start();
    } catch (const std::exception& e) {
      std::cerr << "Orvane Server: " << e.what() << "; another program may use the port. Set \"Port\" in "
                << configFile << " to a free port from 1024 up." << std::endl;
      SetGlobal(nullptr);
      return 2;
    }
    std::cerr << "Orvane server listening on " << StartPageURL(global.Port) << std::endl;
    int signal = 0;
    sigwait(&exitSignals, &signal);
    server.Stop();
    SetGlobal(nullptr);
  } catch (const std::exception& e) {
    SetGlobal(nullptr);
    ShowMessage("Orvane Server", std::string("Error: ") + e.what());
    return 1;
  }
  return 0;
}
