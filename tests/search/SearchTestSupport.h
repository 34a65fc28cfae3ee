// Shared pieces of the search tests: the small engine
// definitions the hand-written pages follow, and a local HTTP stub.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

#include "search/SearchEngines.h"
#include "support/ScratchFolder.h"

namespace orvane::testing {

// The pages of these tests: a count line, then one <div class="r"> per result
// holding a link, a title and (optionally) a description span.
inline const char* kCountPattern =
    "Results \\d+ - (?<ResultCount>[\\d,]+) of about (?<MaxResultCount>[\\d,]+)"
    "|Page (?<ResultCount2>[\\d,]+) of (?<MaxResultCount2>\\d+)"
    "|(?<ResultCount3>No results)";
inline const char* kBlockPattern = "<div \\s+ class=\"r\">  # one result";
inline const char* kElementPatterns =
    "\"<a href=\"\"(?<Link>[^\"\"]*)\"\">(?<Title>.*?)</a>.*?<span class=\"\"d\"\">(?<Description>.*?)</span>\""
    "_\"<a href=\"\"(?<Link>[^\"\"]*)\"\">(?<Title>.*?)</a>\"";

inline std::unique_ptr<TSearchEngines> MakeTestEngine(int index) {
  return std::make_unique<TSearchEngines>(EngineName(index), kCountPattern, kBlockPattern, kElementPatterns);
}

// `more`: further elements of the section, as written in the data file.
inline std::string EngineSectionXml(const std::string& name, const std::string& more = "") {
  return "<" + name + "><ResultCount><![CDATA[" + kCountPattern + "]]></ResultCount><ResultBlock><![CDATA[" +
         kBlockPattern + "]]></ResultBlock><ResultElements><![CDATA[" + kElementPatterns +
         "]]></ResultElements><Seperator>OR</Seperator><LeftParinhesis>(</LeftParinhesis>"
         "<RightParinhesis>)</RightParinhesis>" +
         more + "</" + name + ">";
}

inline std::string DataXml(const std::string& engineSections) {
  return "<?xml version=\"1.0\"?><OrvaneData Version=\"1.1\"><engines>" + engineSections +
         "</engines></OrvaneData>";
}

struct TBlock {
  std::string Link, Title, Description;
};

inline std::string MakePage(const std::string& countLine, const std::vector<TBlock>& blocks) {
  std::string page = "<html><body><p>" + countLine + "</p>\n";
  for (const TBlock& block : blocks) {
    page += "<div class=\"r\"><a href=\"" + block.Link + "\">" + block.Title + "</a>";
    if (!block.Description.empty()) page += " <span class=\"d\">" + block.Description + "</span>";
    page += "</div>\n";
  }
  return page + "</body></html>";
}

// cpp-httplib on 127.0.0.1 at a free port, serving until destroyed.
class TLocalHttpStub {
 public:
  TLocalHttpStub() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~TLocalHttpStub() {
    // stop() only reaches a server whose accept loop has begun.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    server_.stop();
    thread_.join();
  }
  httplib::Server& Server() { return server_; }
  int Port() const { return port_; }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace orvane::testing
