#include "search/SearchPipelineSupport.h"

#include <algorithm>

#include "host/Server.h"
#include "support/ServerProcess.h"

namespace orvane::test {

int RequestsTo(const sim::TEngineSimulator& simulator, int engine) {
  const auto requests = simulator.Requests();
  return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                        [&](const sim::TRequestRecord& r) { return r.Engine == engine; }));
}

TSearchPipeline::TSearchPipeline(const std::map<std::string, std::string>& settings) {
  Simulator.Start();
  TConfig config = LayOutInstallation(Folder.Path() + "install/", Simulator);
  for (const auto& [key, value] : settings) config[key] = value;
  WriteConfigFile(Folder.Path() + "orvane.ini", config);
  GlobalState = std::make_unique<TGlobal>(Folder.Path() + "orvane.ini");
  SetGlobal(GlobalState.get());
}

TSearchPipeline::~TSearchPipeline() {
  SetGlobal(nullptr);
  GlobalState.reset();
  Simulator.Stop();
}

THttpResponse TSearchPipeline::Get(const std::string& target) {
  THttpRequest request;
  request.Method = "GET";
  request.Document = target.substr(0, target.find('?'));
  request.Params = ParseParams(target, "GET", "", "");
  request.RemoteIP = "127.0.0.1";
  THttpResponse response;
  TOrvaneServer::CommandGet(request, response);
  return response;
}

TSessionPtr TSearchPipeline::Session(int32_t id) {
  std::lock_guard guard(Global->SessionLock);
  for (const auto& session : Global->Sessions)
    if (session->Id == id) return session;
  return nullptr;
}

bool TSearchPipeline::LogContains(const std::string& text) const {
  return ReadFile(Global->InstallationDir + "OrvaneServer.log").find(text) != std::string::npos;
}

bool TSearchPipeline::WaitForLog(const std::string& text) const {
  return WaitFor([&] { return LogContains(text); });
}

}  // namespace orvane::test
