// Test support: a temporary installation tree with its own configuration, the
// real orvane-server started on it, and small HTTP helpers. Nothing here talks
// to any address but 127.0.0.1.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

#include "EngineSimulator.h"
#include "support/ScratchFolder.h"

namespace orvane::test {

using testing::ReadFile;
using testing::WriteFile;
int FreePort();
// Polls `done` until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(10));

struct THttpAnswer {
  int Status = 0;
  std::map<std::string, std::string> Headers;  // names lower-cased
  std::string Body;
};

// A raw HTTP/1.1 exchange: sends `request` as it is and reads until the peer
// closes. `sourceIp` binds the client end (e.g. 127.0.0.2).
THttpAnswer RawHttp(int port, const std::string& request, const std::string& sourceIp = "127.0.0.1");
THttpAnswer HttpGet(int port, const std::string& target, const std::string& extraHeaders = "");

using TConfig = std::map<std::string, std::string>;
// Copies the build's Resources and Data/data.xml to `install` (ending with
// "/"); returns a configuration on it whose engines are the started simulator.
TConfig LayOutInstallation(const std::string& install, const sim::TEngineSimulator& simulator);
void WriteConfigFile(const std::string& path, const TConfig& values);

class TServerProcess {
 public:
  // Lays out Resources/html and Data copied from the build's installation
  // tree and starts a local engine simulator; config values (Port, engine
  // hosts on the simulator, empty OrvaneURL) can be overridden before Start.
  TServerProcess();
  ~TServerProcess();

  sim::TEngineSimulator Simulator;
  TConfig Config;
  std::string Root;         // temp folder
  std::string Install;      // InstallationDir (ends with "/")
  std::string ConfigFile;
  std::string BrowserLog;   // every URL the server opened
  int Port = 0;

  void WriteConfig();
  // Starts the binary with extra arguments; waits until it answers.
  bool Start(const std::vector<std::string>& args = {});
  // Runs the binary to its end (for second starts and failures); returns its
  // exit code; stderr goes to `errorText`.
  int RunToEnd(const std::vector<std::string>& args, std::string* errorText = nullptr);
  // SIGTERM and wait; the exit code, or -1 on time-out.
  int Stop();
  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  std::string Log() const;

 private:
  testing::ScratchFolder folder_;  // Root; goes after the server has stopped
  pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile);
  pid_t pid_ = -1;
};

}  // namespace orvane::test
