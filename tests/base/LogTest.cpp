#include "base/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

class RecordingSink : public TLogSink {
 public:
  void Log(const std::string& module, const std::string& text) override { Lines.push_back(module + "|" + text); }
  void RemoteLog(const std::string& line) override { Lines.push_back("remote|" + line); }
  void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                    const std::string& methodName, const std::string& message) override {
    Lines.push_back("exception|" + keywords + "|" + engineName + "|" + unitName + "|" + methodName + "|" + message);
  }
  std::vector<std::string> Lines;
};

// Lines reach the installed sink unchanged, and go nowhere before and after.
TEST(Log, LinesGoToTheInstalledSinkOnly) {
  RecordingSink sink;
  Log("Before", "dropped");
  SetLogSink(&sink);
  Log("Search", "Keywords: a b");
  Log("", "");
  RemoteLog("UID:x|SEARCH|y");
  LogException("k", "Google", "Unit", "Method", "text");
  SetLogSink(nullptr);
  Log("After", "dropped");
  RemoteLog("dropped");
  LogException("", "", "", "", "dropped");
  EXPECT_EQ(sink.Lines, (std::vector<std::string>{"Search|Keywords: a b", "|", "remote|UID:x|SEARCH|y",
                                                  "exception|k|Google|Unit|Method|text"}));
}

}  // namespace
}  // namespace orvane
