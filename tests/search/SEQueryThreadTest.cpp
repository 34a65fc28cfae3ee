#include <gtest/gtest.h>

#include <filesystem>

#include "host/GlobalData.h"
#include "search/Results.h"
#include "search/SEQueryThread.h"
#include "search/SearchQuery.h"
#include "search/SearchTestSupport.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::MakePage;
using testing::ReadFile;
using testing::TBlock;
using testing::WriteFile;

constexpr int64_t kWaitMs = 20000;

// A Global over a temporary installation with the test engines, and one
// session whose results the threads fill. Saved pages live in dir_.
class SEQueryThreadTest : public ::testing::Test {
 protected:
  void StartGlobal(const std::string& config, const std::string& googleMore = "") {
    global_ = std::make_unique<testing::TestGlobal>(
        config, testing::DataXml(testing::EngineSectionXml("Google", googleMore) + testing::EngineSectionXml("MSN") +
                                 testing::EngineSectionXml("Yahoo")));
    install_ = global_->Install();
    session_ = std::make_unique<TSessionData>(1, (*global_)->DataDir, true);
    context_ = (*global_)->FetchContext(*session_);
    task_ = session_->Results->AddTask("web search", "Google", nullptr, "");
  }

  bool LogHas(const std::string& text) const { return global_->LogHas(text); }

  void TearDown() override {
    session_.reset();
    global_.reset();
  }

  std::unique_ptr<TSearchQuery> Query(int engine, int page) {
    return std::make_unique<TSearchQuery>(page, "web search", engine, -1, task_, &session_->Results->List);
  }

  static std::string PageOf(const std::string& countLine, int first, int count) {
    std::vector<TBlock> blocks;
    for (int i = first; i < first + count; ++i)
      blocks.push_back({"http://site" + std::to_string(i) + ".org/", "T" + std::to_string(i), "D"});
    return MakePage(countLine, blocks);
  }

  testing::ScratchFolder dir_;
  std::string install_;
  std::unique_ptr<testing::TestGlobal> global_;
  std::unique_ptr<TSessionData> session_;
  TFetchContext context_;
  TTask* task_ = nullptr;
};

TEST_F(SEQueryThreadTest, ReplaysASavedPageAndHandsInItsResults) {
  StartGlobal("");
  // Switched on while the server runs: each fetch reads the setting anew.
  ASSERT_TRUE((*global_)->Reg->WriteString("LoadPath", dir_.Path() + "pages"));
  std::string page = PageOf("Results 901 - 950 of about 950", 1, 2);
  page.replace(page.find("http://site2.org/"), 17, "");  // the second block no longer parses
  WriteFile(dir_.Path() + "pages/Google_file_9.htm", page);

  const auto query = Query(kGoogle, 9);
  TSEQueryThread thread(context_, *query);
  thread.Start();
  ASSERT_TRUE(thread.WaitFor(kWaitMs));
  thread.Join();
  EXPECT_FALSE(thread.Error().has_value());
  EXPECT_EQ(thread.LastShown(), 950);
  EXPECT_EQ(thread.PageCount(), 10);
  ASSERT_EQ(session_->Results->Count(), 1u);
  EXPECT_EQ(session_->Results->Result(0)->Source.Link, "http://site1.org/");
  EXPECT_EQ(session_->Results->Result(0)->Source.EngineRank, 901);
  EXPECT_EQ(session_->Totals.DownloadCount, 1);
  EXPECT_EQ(session_->Totals.ParseCount, 1);
  EXPECT_EQ(ReadFile(install_ + "Google_file_901.htm"), "<a href=\"\">T2</a> <span class=\"d\">D</span></div>\n</body></html>\n");

  EXPECT_TRUE(LogHas("Start, tid="));
  EXPECT_TRUE(LogHas("Failed to parse result 901"));
  EXPECT_TRUE(LogHas("Parsed 1 results "));
  EXPECT_TRUE(LogHas("Incorrect result count, this can lead to missing results"));
}

TEST_F(SEQueryThreadTest, FailuresBecomeTheThreadsError) {
  StartGlobal("LoadPath=" + dir_.Path() + "pages\n");
  WriteFile(dir_.Path() + "pages/Google_file_0.htm", PageOf("Results 1 - 1001 of about 2000", 1, 3));
  std::filesystem::create_directories(dir_.Path() + "pages/Yahoo_file_0.htm");  // opens, but is no page
  const struct { int engine, page; const char* message; int32_t pageCount; } rows[] = {
      {kGoogle, 0, "Current page number is too high", 11},
      {kMSN, 0, "Cannot open file", 0},
      {kYahoo, 0, "Cannot open file", 0},
  };
  for (const auto& row : rows) {
    const auto query = Query(row.engine, row.page);
    TSEQueryThread thread(context_, *query);
    thread.Start();
    ASSERT_TRUE(thread.WaitFor(kWaitMs));
    ASSERT_TRUE(thread.Error().has_value());
    EXPECT_TRUE(thread.Error()->Message().starts_with(row.message)) << thread.Error()->Message();
    EXPECT_EQ(thread.Error()->UnitName, "TSEQueryThread");
    EXPECT_EQ(thread.Error()->MethodName, "Execute");
    EXPECT_EQ(thread.PageCount(), row.pageCount);
  }
  EXPECT_EQ(session_->Results->Count(), 0u);
  EXPECT_EQ(session_->Totals.DownloadCount, 1);  // the missing file was never downloaded
  EXPECT_EQ(session_->Totals.ParseCount, 0);
  EXPECT_TRUE(LogHas("Exception: Current page number is too high"));
}

// Only a page without results can be the engine's CAPTCHA page: a result
// page that quotes one is still read.
TEST_F(SEQueryThreadTest, OnlyAPageWithoutResultsIsABlockPage) {
  StartGlobal("LoadPath=" + dir_.Path() + "pages\n", "<BlockPage><![CDATA[solve\\s+the\\s+puzzle]]></BlockPage>");
  std::vector<TBlock> quoting = {{"http://puzzles.org/", "Puzzles", "how to solve the puzzle"}};
  WriteFile(dir_.Path() + "pages/Google_file_0.htm", MakePage("Results 1 - 1 of about 1", quoting));
  WriteFile(dir_.Path() + "pages/Google_file_1.htm", "<html><body>Please solve the puzzle first</body></html>");
  WriteFile(dir_.Path() + "pages/Google_file_2.htm", MakePage("No results", {}) + "solve the puzzle");
  const struct {
    int page;
    bool refused;
  } rows[] = {{0, false}, {1, true}, {2, true}};
  for (const auto& row : rows) {
    const auto query = Query(kGoogle, row.page);
    TSEQueryThread thread(context_, *query);
    thread.Start();
    ASSERT_TRUE(thread.WaitFor(kWaitMs));
    EXPECT_EQ(thread.Error().has_value(), row.refused) << row.page;
    if (row.refused) {
      EXPECT_TRUE(thread.Reason().starts_with("asked for a CAPTCHA: open ")) << thread.Reason();
    }
  }
  ASSERT_EQ(session_->Results->Count(), 1u);
  EXPECT_EQ(session_->Results->Result(0)->Source.Link, "http://puzzles.org/");
  EXPECT_EQ(session_->Totals.ParseCount, 1);
}

// Run under ThreadSanitizer in CI: several threads hand in to one list.
class SEQueryThreadConcurrency : public SEQueryThreadTest {};

TEST_F(SEQueryThreadConcurrency, EachPageStaysContiguousInTheSharedList) {
  StartGlobal("LoadPath=" + dir_.Path() + "pages\n");
  constexpr int kPages = 4, kPerPage = 25;
  std::vector<std::unique_ptr<TSearchQuery>> queries;
  std::vector<std::unique_ptr<TSEQueryThread>> threads;
  for (int page = 0; page < kPages; ++page) {
    WriteFile(dir_.Path() + "pages/Yahoo_file_" + std::to_string(page) + ".htm",
              PageOf("Results 1 - " + std::to_string(page * 100 + kPerPage) + " of about 400", page * 100, kPerPage));
    queries.push_back(Query(kYahoo, page));
    threads.push_back(std::make_unique<TSEQueryThread>(context_, *queries.back()));
  }
  for (auto& thread : threads) thread->Start();
  const TMonotonic deadline = MonotonicNow() + std::chrono::milliseconds(kWaitMs);
  for (auto& thread : threads) ASSERT_TRUE(thread->WaitUntil(deadline));
  threads.clear();

  const TResults& results = *session_->Results;
  ASSERT_EQ(results.Count(), static_cast<size_t>(kPages * kPerPage));
  for (size_t start = 0; start < results.Count(); start += kPerPage) {
    const int32_t firstRank = results.Result(start)->Source.EngineRank;
    EXPECT_EQ((firstRank - 1) % 100, 0);
    for (size_t i = 1; i < kPerPage; ++i)
      EXPECT_EQ(results.Result(start + i)->Source.EngineRank, firstRank + static_cast<int32_t>(i));
  }
  EXPECT_EQ(session_->Totals.DownloadCount, kPages);
  EXPECT_EQ(session_->Totals.ParseCount, kPages);
}

}  // namespace
}  // namespace orvane
