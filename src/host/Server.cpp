#include "host/Server.h"

#include <chrono>
#include <iostream>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "host/CrossSite.h"
#include "host/GlobalData.h"
#include "host/RequestHandler.h"
#include "host/Routes.h"
#include "platform/Desktop.h"
#include "platform/HttpClient.h"
#include "platform/Memory.h"
#include "platform/Threads.h"

namespace orvane {

namespace {

constexpr auto kCleanUpInterval = std::chrono::milliseconds(1000);
const char* const kOriginRefused = "Request origin unautorized!";

// "127.0.0.1" or "localhost", optionally with a port.
bool IsLocalHostHeader(const std::string& host) {
  std::string name = host;
  const size_t colon = name.rfind(':');
  if (colon != std::string::npos) {
    const std::string port = name.substr(colon + 1);
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos) return false;
    name = name.substr(0, colon);
  }
  return name == "127.0.0.1" || SameText(name, "localhost");
}

}  // namespace

TOrvaneServer::TOrvaneServer() = default;

TOrvaneServer::~TOrvaneServer() { Stop(); }

bool TOrvaneServer::IsLocalOrigin(const THttpRequest& request) {
  if (request.RemoteIP != "127.0.0.1") return false;
  // A page of another site that resolves its own name to 127.0.0.1 (DNS
  // rebinding) sends its own name as Host: refuse it like a foreign peer.
  const std::string* host = request.Header("Host");
  return !host || IsLocalHostHeader(*host);
}

void TOrvaneServer::CommandGet(const THttpRequest& request, THttpResponse& response) {
  // Only our own frame set may frame our pages: another site could lay its
  // page over the Delete button otherwise.
  response.Headers = {{"Content-Security-Policy", "frame-ancestors 'self'"}, {"X-Frame-Options", "SAMEORIGIN"}};
  const std::string doc = DocumentName(request.Document);
  if (!IsLocalOrigin(request) || (ChangesStateOrStartsWork(doc) && ComesFromAnotherSite(request, Global->Port))) {
    Global->LogException("", "", "Server", "TOrvaneForm.IdHTTPServer1CommandGet", kOriginRefused);
    response.SetResponseNo(403);
    response.ContentType = "text/plain";
    response.ContentText = kOriginRefused;
    return;
  }
  std::string text, target;
  try {
    TRequestHandler handler(request, response);
    handler.Execute();
    return;
  } catch (const std::exception& e) {
    text = std::string("Exception : ") + e.what();
    target = "http://" + Global->GetAddress() + "/Error.htm?Error=" + URLEncode(e.what());
  } catch (...) {
    text = "Exception : unknown";
    target = "http://" + Global->GetAddress() + "/Error.htm?Error=Unknown";
  }
  Global->LogException("", "", "Server", "TOrvaneForm.IdHTTPServer1CommandGet", text);
  Global->Log("Server", text);
  response.Redirect(target);
}

void TOrvaneServer::ServerException() { ShowMessage("Orvane", "An error occured in Orvane server"); }

void TOrvaneServer::Start() {
  {
    std::lock_guard guard(timerLock_);
    stopping_ = false;
  }
  cleanUpTimer_ = std::thread([this] { CleanUpLoop(); });
  Global->Data->StartTime = Now();
  http_ = std::make_unique<THttpServer>("Orvane server", &TOrvaneServer::CommandGet);
  http_->OnException = &TOrvaneServer::ServerException;
  try {
    http_->Activate(Global->Port);
  } catch (...) {
    http_.reset();
    Stop();
    throw;
  }
  trayIcon_ = std::make_unique<TTrayIcon>();
  trayIcon_->Show();
  Global->Data->TrayIcon = trayIcon_.get();
  stopUpdateCheck_ = false;
  updateCheck_ = std::thread([this] { CheckForUpdate(&stopUpdateCheck_); });
  Global->RemoteLog("UID:" + Global->UID + "|STARTUP|" + DateTimeText(Now()) + "|" + Global->Data->Version + "|" +
                    Global->Refer + "|");
}

void TOrvaneServer::Stop() {
  {
    std::lock_guard guard(timerLock_);
    stopping_ = true;
  }
  timerWake_.notify_all();
  if (cleanUpTimer_.joinable()) cleanUpTimer_.join();
  stopUpdateCheck_ = true;
  if (updateCheck_.joinable()) updateCheck_.join();
  if (http_) http_->Deactivate();
  http_.reset();
  if (trayIcon_) {
    trayIcon_->Remove();
    Global->Data->TrayIcon = nullptr;
    trayIcon_.reset();
  }
}

void TOrvaneServer::CleanUpLoop() {
  std::unique_lock guard(timerLock_);
  size_t retired = TThreadPool::Shared().Retired();
  while (!timerWake_.wait_for(guard, kCleanUpInterval, [this] { return stopping_; })) {
    guard.unlock();
    Global->CleanUpSessions();
    // Threads that ended after a quiet spell leave their memory to give back.
    if (const size_t now = TThreadPool::Shared().Retired(); now != retired) {
      retired = now;
      ReturnFreedMemory();
    }
    guard.lock();
  }
}

bool IsNewerVersion(const std::string& offered, const std::string& current) {
  return !offered.empty() && offered > current;
}

void CheckForUpdate(const std::atomic<bool>* stop) {
  try {
    const std::string service = Global->OrvaneURL;
    const std::string version = Global->Data->Version;
    if (service.empty() || (!IsLocalServiceURL(service) && !IsConnected())) return;
    THttpClient client(THttpClient::kServiceTimeoutSeconds);
    if (stop) client.OnProgress = [stop] { return !stop->load(); };
    const std::string offered = client.Get(service + "/checkforupdate.asp?version=" + version);
    if (!IsNewerVersion(offered, version)) return;
    // One write: the notice never stands half-written beside another thread's line.
    const std::string notice =
        "Orvane update\nA new version has been realeased.\nDo you wish to download the newer version?\n" + service +
        "/checkforupdateui.asp?version=" + version + "\n";
    std::cerr << notice << std::flush;
  } catch (...) {
    // The update check never stands in the way of the server.
  }
}

}  // namespace orvane
