// TOrvaneServer: what the hidden main form was: owns the HTTP endpoint, the
// tray icon and the session clean-up timer, and ties them to the process
// life. Start and Stop run on the main thread; the timer runs on its own.
#pragma once

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
  // tray icon, checks for an update and reports the start. Raises when the
  // port cannot be bound (nothing else has started then).
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
};

// Asks the maker's service for a newer version (no service configured: does
// nothing). Swallows every error.
void CheckForUpdate();

}  // namespace orvane
