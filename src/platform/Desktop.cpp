#include "platform/Desktop.h"

#include <cstdlib>
#include <iostream>
#include <ifaddrs.h>
#include <net/if.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "base/StrUtils.h"

extern char** environ;

namespace orvane {

namespace {

// Starts a program without waiting for it; false when it could not start.
bool SpawnDetached(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // Reap the child in the background so it never lingers as a zombie.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string_view rest = path;
  while (true) {
    const size_t colon = rest.find(':');
    const std::string folder(rest.substr(0, colon));
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace

bool OpenInBrowser(const std::string& url) {
  const char* browser = std::getenv("BROWSER");
  return SpawnDetached({(browser && *browser) ? browser : "xdg-open", url});
}

void NotifyDesktop(const std::string& title, const std::string& text, int timeoutMs) {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus || !OnPath("notify-send")) return;
  SpawnDetached({"notify-send", "--app-name=Orvane", "--expire-time=" + std::to_string(timeoutMs),
                 Latin1ToUtf8(title), Latin1ToUtf8(text)});
}

bool IsLocalServiceURL(const std::string& url) {
  return StartsText("http://127.", url) || StartsText("http://localhost", url);
}

void ShowMessage(const std::string& caption, const std::string& text) {
  std::cerr << caption << ": " << text << std::endl;
}

bool AskYesNo(const std::string& caption, const std::string& text) {
  std::cerr << caption << ": " << text << " [answered No]" << std::endl;
  return false;
}

bool IsConnected() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool connected = false;
  for (ifaddrs* entry = list; entry && !connected; entry = entry->ifa_next) {
    if (!entry->ifa_addr) continue;
    const bool up = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
    const bool loopback = entry->ifa_flags & IFF_LOOPBACK;
    const int family = entry->ifa_addr->sa_family;
    connected = up && !loopback && (family == AF_INET || family == AF_INET6);
  }
  freeifaddrs(list);
  return connected;
}

}  // namespace orvane
