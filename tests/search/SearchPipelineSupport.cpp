#include "search/SearchPipelineSupport.h"

#include <filesystem>

#include "host/Server.h"
#include "support/ServerProcess.h"

namespace orvane::test {

namespace fs = std::filesystem;

TSearchPipeline::TSearchPipeline(const std::map<std::string, std::string>& settings) {
  const std::string install = Folder.Path() + "install/";
  fs::create_directories(install + "Data");
  fs::copy(std::string(ORVANE_BINARY_DIR) + "/Resources", install + "Resources", fs::copy_options::recursive);
  fs::copy_file(std::string(ORVANE_SOURCE_DIR) + "/resources/data/data.xml", install + "Data/data.xml");
  Simulator.Start();
  std::map<std::string, std::string> config = {
      {"InstallationDir", install},
      {"GoogleHost", Simulator.HostOf(sim::kGoogle)},
      {"MSNHost", Simulator.HostOf(sim::kMSN)},
      {"YahooHost", Simulator.HostOf(sim::kYahoo)},
      {"OrvaneURL", ""},
  };
  for (const auto& [key, value] : settings) config[key] = value;
  std::string text = "[Software\\Orvane]\n";
  for (const auto& [key, value] : config) text += key + "=" + value + "\n";
  Folder.Write("orvane.ini", text);
  GlobalState = std::make_unique<TGlobal>(Folder.Path() + "orvane.ini");
  Global = GlobalState.get();
}

TSearchPipeline::~TSearchPipeline() {
  Global = nullptr;
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
