#include "platform/Desktop.h"

#include <cstdlib>
#include <iostream>
#include <ifaddrs.h>
#include <net/if.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace orvane {

bool OpenInBrowser(const std::string& url) {
  const char* browser = std::getenv("BROWSER");
  const std::string program = (browser && *browser) ? browser : "xdg-open";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  // Reap the child in the background so it never lingers as a zombie.
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
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
