#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/Export.h"
#include "search/Results.h"

namespace orvane {
namespace {

// Two visible results and a hidden one between them, in list order.
void AddThreeResults(TResults& results) {
  const struct { const char* title; const char* link; int engine, rank; bool visible; } rows[] = {
      {"First, \"quoted\"", "http://one.example.org/a.pdf", 0, 7, true},
      {"Hidden", "http://hidden.example.com/", 1, 1, false},
      {"Second\nline", "http://two.example.co.uk/", 2, 3, true},
  };
  for (const auto& row : rows) {
    auto result = std::make_unique<TResult>();
    result->Source.Title = row.title;
    result->Source.Link = row.link;
    result->Source.Engine = row.engine;
    result->Source.EngineRank = row.rank;
    result->Marks.Visible = row.visible;
    result->SetDescription("about \xe9");
    results.AddResult(std::move(result));
  }
}

TEST(Export, JsonAndCsvHoldTheVisibleResultsInListOrder) {
  TResults results;
  AddThreeResults(results);
  const std::string json = ExportResultsJson(results);
  EXPECT_EQ(json.find("Hidden"), std::string::npos);
  EXPECT_NE(json.find("{\"position\": 1, \"engine\": \"Google\", \"engine_rank\": 7, \"orvane_rank\": "),
            std::string::npos) << json;
  EXPECT_NE(json.find("\"title\": \"First, \\\"quoted\\\"\", \"link\": \"http://one.example.org/a.pdf\""),
            std::string::npos);
  EXPECT_NE(json.find("\"description\": \"about \xc3\xa9\", \"domain\": \"one.example.org\""), std::string::npos);
  EXPECT_NE(json.find("{\"position\": 2, \"engine\": \"Yahoo\", \"engine_rank\": 3"), std::string::npos);
  EXPECT_LT(json.find("First"), json.find("Second"));

  // A re-sort moves the rows with it.
  std::swap(results.List[0], results.List[2]);
  const std::string csv = ExportResultsCsv(results);
  const std::string header =
      "position,engine,engine_rank,orvane_rank,title,link,description,domain,domain_extension,file_extension\r\n";
  ASSERT_EQ(csv.substr(0, header.size()), header);
  EXPECT_EQ(csv.find("Hidden"), std::string::npos);
  const size_t second = csv.find("1,Yahoo,3,");
  const size_t first = csv.find("2,Google,7,");
  ASSERT_NE(second, std::string::npos) << csv;
  ASSERT_NE(first, std::string::npos) << csv;
  EXPECT_LT(second, first);
  EXPECT_NE(csv.find(",\"Second\nline\",http://two.example.co.uk/,about \xc3\xa9,two.example.co.uk,"),
            std::string::npos) << csv;
  EXPECT_NE(csv.find(",\"First, \"\"quoted\"\"\",http://one.example.org/a.pdf,"), std::string::npos);
}

TEST(Export, NoVisibleResultsGiveAnEmptyListAndAHeaderAlone) {
  TResults results;
  EXPECT_EQ(ExportResultsJson(results), "[]\n");
  EXPECT_EQ(ExportResultsCsv(results).find("\r\n"), ExportResultsCsv(results).size() - 2);
}

}  // namespace
}  // namespace orvane
