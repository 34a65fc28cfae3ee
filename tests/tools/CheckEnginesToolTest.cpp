// The built orvane-check-engines program on saved simulator pages: its output
// and exit status, with the build's own data file beside it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "EngineSimulator.h"
#include "base/StrUtils.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

struct TRun {
  int Status = -1;
  std::string Output;
};

TRun CheckEngines(const std::string& arguments) {
  const std::string command = std::string(ORVANE_BINARY_DIR) + "/orvane-check-engines " + arguments + " 2>&1";
  TRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CheckEnginesTool : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int engine : {sim::kGoogle, sim::kMSN, sim::kYahoo}) {
      const std::string keywords = engine == sim::kMSN ? "language:en garden roses" : "garden roses";
      const std::string html = sim::RenderPage(engine, keywords + " simtotal:1200", 0).Html;
      saved[engine] = pages.Write(std::string(sim::EngineName(engine)) + "_file_0.htm", html);
    }
  }
  testing::ScratchFolder pages;
  std::string saved[3];
};

TEST_F(CheckEnginesTool, SimulatorPagesPassWithTheBuildsDataFile) {
  const TRun run = CheckEngines(saved[0] + " " + saved[1] + " " + saved[2]);
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_NE(run.Output.find(std::string("data file: ") + ORVANE_BINARY_DIR + "/Data/data.xml\n"), std::string::npos);
  for (const char* engine : {"Google", "MSN", "Yahoo"})
    EXPECT_NE(run.Output.find(std::string("  engine: ") + engine + ", page 0\n"), std::string::npos) << engine;
  EXPECT_EQ(run.Output.find("matched no block"), std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find("pages checked: 3, failed: 0\n"), std::string::npos) << run.Output;
  // The same pages give the same text.
  EXPECT_EQ(CheckEngines(saved[0] + " " + saved[1] + " " + saved[2]).Output, run.Output);
}

TEST_F(CheckEnginesTool, AChangedLayoutABadNameOrAMissingFileFail) {
  const std::string yahoo = testing::ReadFile(saved[2]);
  const std::string changed = pages.Write("moved/Yahoo_file_3.htm", ReplaceAll(yahoo, "class=\"yschttl\"", "class=\"t\""));
  const std::string unnamed = pages.Write("yahoo-page.htm", yahoo);
  const struct { std::string arguments; int status; const char* says; } rows[] = {
      {changed, 1, "  engine: Yahoo, page 3\n"
                   "  count pattern: matched, last shown 100, total 1200\n"
                   "  result blocks: 100\n"
                   "  element pattern 1: matched no block\n"
                   "  element pattern 2: matched no block\n"
                   "  blocks no element pattern matched: 100\n"
                   "  results: 0\n"
                   "  FAILED: the page gives no results\n"},
      {saved[0] + " " + unnamed, 1, "yahoo-page.htm\n  error: the name names no engine"},
      {pages.Path() + "MSN_file_4.htm", 1, "MSN_file_4.htm\n  error: cannot read the file\n"},
      {"--data " + std::string(ORVANE_SOURCE_DIR) + "/resources/data/data.xml " + saved[1], 0, "failed: 0\n"},
      {"--data " + pages.Path() + "data.xml " + saved[1], 2, "no data file"},
      {"", 2, "usage: orvane-check-engines"},
  };
  for (const auto& row : rows) {
    const TRun run = CheckEngines(row.arguments);
    EXPECT_EQ(run.Status, row.status) << row.arguments << "\n" << run.Output;
    EXPECT_NE(run.Output.find(row.says), std::string::npos) << row.arguments << "\n" << run.Output;
  }
  // One bad page fails the run; the good ones are still reported.
  const TRun mixed = CheckEngines(saved[0] + " " + changed);
  EXPECT_EQ(mixed.Status, 1);
  EXPECT_NE(mixed.Output.find("  ok\n"), std::string::npos);
  EXPECT_NE(mixed.Output.find("pages checked: 2, failed: 1\n"), std::string::npos) << mixed.Output;
}

}  // namespace
}  // namespace orvane
