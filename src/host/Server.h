// TOrvaneServer: what the hidden main form was: owns the HTTP endpoint, the
// tray icon and the session clean-up timer, and ties them to the process
// life. Start and Stop run on the main thread; the timer runs on its own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "host/HttpServer.h"
#include "host/TrayIcon.h"

namespace orvane {

class TOrvaneServer {
 public:
  TOrvaneServer();
  ~TOrvaneServer();

  // Starts the clean-up timer and the endpoint on Global->Port, shows the
  // tray icon, starts the update check beside the server and reports the
  // start. Raises when the port cannot be bound (nothing else has started
  // then).
  void Start();
  // Timer off, endpoint off (running requests finish), tray icon removed.
  void Stop();

  // The entry of every HTTP request: the origin check, then the dispatcher.
  static void CommandGet(const THttpRequest& request, THttpResponse& response);
  static bool IsLocalOrigin(const THttpRequest& request);
  // An exception escaped the handling of a connection.
  static void ServerException();

 private:
  void CleanUpLoop();

  std::unique_ptr<THttpServer> http_;
  std::unique_ptr<TTrayIcon> trayIcon_;
  std::thread cleanUpTimer_;
  std::mutex timerLock_;
  std::condition_variable timerWake_;
  bool stopping_ = false;
  std::thread updateCheck_;
  std::atomic<bool> stopUpdateCheck_{false};
};

// Asks the maker's service for a newer version and, when there is one, says
// so on stderr with the download page; nothing is opened and nothing waits
// for an answer. No service configured, or no connection to a service
// elsewhere: nothing. `stop` ends a transfer early. Swallows every error.
void CheckForUpdate(const std::atomic<bool>* stop = nullptr);
// The offered version is newer when it sorts after ours byte by byte.
bool IsNewerVersion(const std::string& offered, const std::string& current);

}  // namespace orvane
