#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "host/LogThreads.h"
#include "search/SearchTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"

namespace orvane {
namespace {

using testing::ScratchFolder;
using test::WaitFor;

TEST(LogFile, AppendsEachLineAndSurvivesTheFileBeingDeleted) {
  ScratchFolder folder;
  TLogFile log(folder.Path() + "server.log");
  EXPECT_TRUE(log.Post("first"));
  EXPECT_TRUE(log.Post(""));
  ASSERT_TRUE(WaitFor([&] { return folder.Read("server.log") == "first\r\n\r\n"; })) << folder.Read("server.log");
  // Opened per line: a file deleted meanwhile is simply begun again.
  std::filesystem::remove(folder.Path() + "server.log");
  EXPECT_TRUE(log.Post("second"));
  EXPECT_TRUE(WaitFor([&] { return folder.Read("server.log") == "second\r\n"; })) << folder.Read("server.log");
  EXPECT_TRUE(log.Running());
}

TEST(LogFile, StopWritesWhatWasPostedBeforeAndRefusesTheRest) {
  ScratchFolder folder;
  std::string expected;
  TLogFile log(folder.Path() + "server.log");
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(log.Post("line " + std::to_string(i)));
    expected += "line " + std::to_string(i) + "\r\n";
  }
  log.Stop();
  EXPECT_EQ(folder.Read("server.log"), expected);
  EXPECT_FALSE(log.Running());
  EXPECT_FALSE(log.Post("late"));
  log.Stop();  // a second stop is harmless
  EXPECT_EQ(folder.Read("server.log"), expected);
}

TEST(LogFile, AFileThatCannotBeOpenedEndsTheThreadForGood) {
  ScratchFolder folder;
  TLogFile log(folder.Path() + "no/such/folder/server.log");
  EXPECT_TRUE(log.Post("lost"));
  ASSERT_TRUE(WaitFor([&] { return !log.Running(); }));
  EXPECT_FALSE(log.Post("also lost"));
  // Creating the folder afterwards does not bring the thread back.
  std::filesystem::create_directories(folder.Path() + "no/such/folder");
  EXPECT_FALSE(log.Post("still lost"));
}

TEST(LogRemote, DropsRecordsWhileOfflineAndEndsAfterItsFirstFailure) {
  const std::string closedPort = "http://127.0.0.1:" + std::to_string(test::FreePort());
  testing::TLocalHttpStub service;
  service.Server().Get("/ok/logaction.asp", [](const httplib::Request&, httplib::Response& r) { r.status = 200; });
  service.Server().Get("/bad/logaction.asp", [](const httplib::Request&, httplib::Response& r) { r.status = 500; });
  const std::string stub = "http://" + service.Host();
  const struct { std::string url; bool online; bool ends; } rows[] = {
      {"", true, false},           {closedPort, false, false}, {closedPort, true, true},
      {stub + "/ok", true, false}, {stub + "/bad", true, true},  // an error status is a failure
  };
  for (const auto& row : rows) {
    TLogRemote remote(row.url, [&] { return row.online; });
    EXPECT_TRUE(remote.Post("UID:{x}|EXCEPTION|a"));
    if (row.ends) {
      EXPECT_TRUE(WaitFor([&] { return !remote.Running(); })) << row.url;
      EXPECT_FALSE(remote.Post("next")) << row.url;
    } else {
      // A second record is only taken once the first has been handled.
      EXPECT_TRUE(remote.Post("next")) << row.url;
      EXPECT_TRUE(remote.Running()) << row.url;
    }
  }
}

TEST(LogThreadsConcurrency, EveryLineArrivesWholeAndInItsThreadsOrder) {
  ScratchFolder folder;
  TLogFile log(folder.Path() + "server.log");
  constexpr int kThreads = 6, kLines = 150;
  const std::string padding(200, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i)
        EXPECT_TRUE(log.Post("T" + std::to_string(t) + " " + std::to_string(i) + " " + padding));
    });
  }
  for (auto& thread : threads) thread.join();
  const auto lineCount = [&] {
    const std::string text = folder.Read("server.log");
    return std::count(text.begin(), text.end(), '\n');
  };
  ASSERT_TRUE(WaitFor([&] { return lineCount() == kThreads * kLines; })) << lineCount();

  std::istringstream in(folder.Read("server.log"));
  std::vector<int> next(kThreads, 0);
  std::string line;
  while (std::getline(in, line)) {
    int t = -1, i = -1;
    char rest[256] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "T%d %d %255s", &t, &i, rest), 3) << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_EQ(i, next[t]++) << line;
    EXPECT_EQ(line, "T" + std::to_string(t) + " " + std::to_string(i) + " " + padding + "\r");
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLines);
}

}  // namespace
}  // namespace orvane
