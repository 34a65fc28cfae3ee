// An in-process Global for unit tests: a temporary installation tree with its
// own configuration file, the user data folder pointed into it, and
// orvane::Global set for the object's lifetime (reset to nullptr after).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/GlobalData.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"

namespace orvane::testing {

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

class TestGlobal {
 public:
  // `configLines` go into the "Software\Orvane" section after InstallationDir
  // (and win over the defaults below); `dataXml` becomes Data/data.xml.
  explicit TestGlobal(const std::string& configLines = "", const std::string& dataXml = "") {
    for (const char* sub : {"inst/ie", "inst/firefox", "inst/Data", "inst/Resources/html"})
      std::filesystem::create_directories(folder_.Path() + sub);
    if (!dataXml.empty()) folder_.Write("inst/Data/data.xml", dataXml);
    // The engines point at a closed local port: no test ever reaches the web.
    folder_.Write("orvane.ini", "[Software\\Orvane]\nInstallationDir=" + Install() + "\n" + configLines +
                                    "\nGoogleHost=127.0.0.1:9\nMSNHost=127.0.0.1:9\nYahooHost=127.0.0.1:9\n"
                                    "WikipediaHost=127.0.0.1:9\nArXivHost=127.0.0.1:9\nBraveHost=127.0.0.1:9\n");
    global_ = std::make_unique<TGlobal>(folder_.Path() + "orvane.ini");
    SetGlobal(global_.get());
  }
  ~TestGlobal() {
    SetGlobal(nullptr);
    global_.reset();
  }
  TestGlobal(const TestGlobal&) = delete;
  TestGlobal& operator=(const TestGlobal&) = delete;

  TGlobal& operator*() const { return *global_; }
  TGlobal* operator->() const { return global_.get(); }

  std::string Install() const { return folder_.Path() + "inst/"; }
  // Writes a file below the template folder.
  std::string Page(const std::string& name, const std::string& text) const {
    return folder_.Write("inst/Resources/html/" + name, text);
  }
  const ScratchFolder& Folder() const { return folder_; }

  TSessionPtr NewSession() {
    std::lock_guard guard(global_->SessionLock);
    return global_->CreateSession();
  }

  std::string LogText() const { return folder_.Read("inst/OrvaneServer.log"); }
  // The log is written by its own thread: wait for the text to show up.
  bool LogHas(const std::string& text) const {
    return test::WaitFor([&] { return LogText().find(text) != std::string::npos; });
  }

 private:
  ScratchFolder folder_;
  ScopedEnv xdg_{"XDG_DATA_HOME", folder_.Path() + "share"};
  ScopedEnv bus_{"DBUS_SESSION_BUS_ADDRESS", ""};  // no desktop notifications from tests
  std::unique_ptr<TGlobal> global_;
};

}  // namespace orvane::testing
