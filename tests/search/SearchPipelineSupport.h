// Test support: a TGlobal on a temporary installation whose engines are the
// local simulator, and a way to run requests through the dispatcher in the
// test's own process.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "EngineSimulator.h"
#include "host/GlobalData.h"
#include "host/HttpTypes.h"
#include "support/ScratchFolder.h"
#include "support/TestGlobal.h"

namespace orvane::test {

using TSettings = std::map<std::string, std::string>;

// How many requests the simulator received for `engine`.
int RequestsTo(const sim::TEngineSimulator& simulator, int engine);

class TSearchPipeline {
 public:
  // Extra configuration values override the defaults (engine hosts on the
  // simulator, empty OrvaneURL).
  explicit TSearchPipeline(const std::map<std::string, std::string>& settings = {});
  ~TSearchPipeline();

  // Runs one GET through the dispatcher as a local request.
  THttpResponse Get(const std::string& target);
  // The session with that id, or null.
  TSessionPtr Session(int32_t id);
  bool LogContains(const std::string& text) const;
  bool WaitForLog(const std::string& text) const;

  orvane::testing::ScratchFolder Folder;
  // Saved results go below Folder, never into the real user's folder.
  orvane::testing::ScopedEnv UserData{"XDG_DATA_HOME", Folder.Path() + "userdata"};
  orvane::testing::ScopedEnv NoDesktop{"DBUS_SESSION_BUS_ADDRESS", ""};
  sim::TEngineSimulator Simulator;
  std::unique_ptr<TGlobal> GlobalState;
};

}  // namespace orvane::test
