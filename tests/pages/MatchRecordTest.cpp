#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "pages/MatchRecord.h"
#include "search/Results.h"
#include "search/SERanking.h"
#include "words/Profile.h"

namespace orvane {
namespace {

using namespace std::string_literals;

// The ranking's exact-match flag and the match record's phrase flag answer
// the same question; the options frame counts one, the ranking sets the other.
TEST(MatchRecord, RankingAndRecordAgreeOnTheExactPhrase) {
  const struct { std::string keywords, title, description, link; } rows[] = {
      {"red apple", "Red Apple pie", "", "http://www.pies.com/"},
      {"red apple", "Apple red", "a redapple", "http://www.pies.com/"},
      {"red apple", "Pears", "", "http://www.redapple.com/"},
      {"red apple", "Pears", "Plums", "http://www.fruit.com/"},
      {"  red  apple ", "red apple", "", "http://a.b.com/"},
      {"\"red apple\"", "RED&nbsp;APPLE", "", "http://x.org/"},
      {"", "anything", "anything", "http://www.any.com/"},
      {"+", "a+b", "", "http://plus.com/"},
      {"caf\xe9", "Caf\xe9 noir", "", "http://www.cafe.fr/"},
      {"a\0b"s, "a\0b"s, "", "http://nul.com/"},
      {"&amp;", "&amp;", "&lt;&gt;", "http://amp.com/"},
      {"www", "", "", "http://www.www.com/"},
      {"com", "", "", "http://www.example.com/"},
      {"example/path", "", "", "http://www.example.com/path"},
  };
  TSERanking ranking(nullptr);
  const TProfile profile;
  int exact = 0;
  for (const auto& row : rows) {
    TResults results;
    results.AddTask(row.keywords, "Google", nullptr, "");
    TResult result;
    result.Source.Title = row.title;
    result.SetDescription(row.description);
    result.Source.Link = row.link;
    result.Facts.DomainExt = row.link.find(".com") != std::string::npos ? "com" : "org";
    result.Source.SearchKeywords = row.keywords;
    ranking.RankResult(result, profile);
    const TMatchKeywords keywords(results);
    const bool recorded = keywords.Of(result)[kOneOfThem] == 2;
    EXPECT_EQ(result.Rank.ExactMatch == 2, recorded) << row.keywords << " | " << row.title;
    EXPECT_EQ(keywords.HasPhrase(result), recorded) << row.keywords << " | " << row.title;
    exact += recorded;
  }
  EXPECT_EQ(exact, 9);
}

TEST(MatchRecord, FlagsCombineTitleDescriptionAndSiteName) {
  TResults results;
  results.AddTask("red apple", "Google", nullptr, "");  // the phrase "redapple"
  const TMatchKeywords keywords(results);
  const struct { const char *title, *description, *link, *domainExt; TMatchRecord expected; } rows[] = {
      {"Red Apple", "Red apples are sweet", "http://www.redapple.com/", "com", {2, 2, 2, 2, 2, 2, 2, 2}},
      {"Apple pie", "Red apple jam", "http://www.pies.com/", "com", {2, 1, 2, 0, -1, -1, -1, -1}},
      {"Pears", "", "http://www.redapple.org/", "org", {2, 0, 0, 2, -1, -1, -1, -1}},
      {"Red Apple", "", "http://www.redapple.com/", "com", {2, 2, 0, 2, -1, 2, -1, -1}},
      {"Pears", "Plums", "http://www.fruit.com/", "com", {-1, 0, 0, 0, -1, -1, -1, -1}},
  };
  for (const auto& row : rows) {
    TResult result;
    result.Source.Title = row.title;
    result.SetDescription(row.description);
    result.Source.Link = row.link;
    result.Facts.DomainExt = row.domainExt;
    EXPECT_EQ(keywords.Of(result), row.expected) << row.title;
  }
}

std::unique_ptr<TResult> Titled(const std::string& title, TTask* task) {
  auto result = std::make_unique<TResult>();
  result->Source.Title = title;
  result->Source.Link = "http://www.site.com/";
  result->Source.Task = task;
  return result;
}

// The options frame's count is kept between frames; every way the list or
// its first search can change must count again.
TEST(MatchRecord, TheKeptExactMatchCountFollowsTheList) {
  TResults results;
  TTask* first = results.AddTask("red apple", "Google", nullptr, "");
  const auto exact = [&results] { return CountMatches(results, kOneOfThem, 2); };
  results.AddResult(Titled("red apple pie", first));
  results.AddResult(Titled("green apple", first));
  EXPECT_EQ(exact(), 1);
  results.AddResult(Titled("Red Apple tart", first));
  EXPECT_EQ(exact(), 2) << "added";
  results.List.push_back(Titled("red apple jam", first));
  EXPECT_EQ(exact(), 3) << "pushed straight onto the list";
  results.DeleteResult(0);
  EXPECT_EQ(exact(), 2) << "deleted";
  results.DeleteResult(0);
  results.AddResult(Titled("red apple cider", first));
  EXPECT_EQ(exact(), 3) << "one deleted and one added: the list has the same size and place";
  TTask* narrowing = results.AddTask("red apple (news)", "Google", nullptr, "");
  results.AddResult(Titled("red apple news", narrowing));
  EXPECT_EQ(exact(), 4);
  results.ResetToFirstTask();
  results.DeleteTask(1);
  EXPECT_EQ(exact(), 3) << "back to the first search";
  TResults other;
  other.List.push_back(Titled("red apple", first));
  results.List.swap(other.List);
  results.ResetCounts();
  EXPECT_EQ(exact(), 1) << "a loaded list";
  results.AddTask("green apple", "Google", nullptr, "");
  results.AddResult(Titled("green apple", first));
  EXPECT_EQ(exact(), 1);
  results.DeleteTask(0);
  EXPECT_EQ(exact(), 1) << "another first search";
}

TEST(MatchRecordConcurrency, FramesAskingAtOnceCountOnce) {
  TResults results;
  TTask* first = results.AddTask("red apple", "Google", nullptr, "");
  for (int i = 0; i < 500; ++i) results.AddResult(Titled(i % 5 ? "apple" : "a red apple", first));
  std::atomic<int> counted{0};
  std::vector<int32_t> answers(8, -1);
  std::vector<std::thread> frames;
  for (size_t i = 0; i < answers.size(); ++i)
    frames.emplace_back([&, i] {
      answers[i] = results.ExactMatchCount([&] {
        ++counted;
        return CountMatches(results, kMatchTitle, 2);  // any count will do
      });
    });
  for (std::thread& frame : frames) frame.join();
  EXPECT_EQ(counted, 1);
  EXPECT_EQ(answers, std::vector<int32_t>(8, 100));
}

}  // namespace
}  // namespace orvane
