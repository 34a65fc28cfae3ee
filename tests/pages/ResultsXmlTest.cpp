#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "base/OvException.h"
#include "host/GlobalData.h"
#include "pages/ResultsXml.h"
#include "search/Results.h"
#include "support/TestGlobal.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using testing::TestGlobal;

class ResultsXml : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = global->UserDir;
    ASSERT_FALSE(folder.empty());
    for (const char* keywords : {"glacier walks", "glacier walks (tours)"}) {
      auto task = std::make_unique<TTask>();
      task->Index = static_cast<int32_t>(results.Tasks.size());
      task->Keywords = keywords;
      task->SE_Name = "Google";
      task->TotalDuration = 812.5;
      task->FetchDuration = 0.25;
      task->FetchThreadCount = 10;
      task->SiteOnly = "example.com";
      results.Tasks.push_back(std::move(task));
    }
    Add("Caf\xe9 <walks> & \"tours\"", "line\tone\r\ntwo \x01\x1f end", "http://www.example.com/a?b=1&c=2", 0);
    TResult& home = Add("Home", "", "www.example.org", 1);
    home.Facts.IsHomePage = true;
    home.Facts.IsNested = true;
    home.Source.Engine = 2;
    home.Source.EngineRank = 17;
    results.Narrow = "walks \xe9";
  }
  TResult& Add(const std::string& title, const std::string& description, const std::string& link, int task) {
    auto result = std::make_unique<TResult>();
    result->Source.Title = title;
    result->SetDescription(description);
    result->Source.Link = link;
    result->Facts.DomainExt = "com";
    result->Facts.FileExt = "html";
    result->Source.Task = results.Tasks[task].get();
    return *results.AddResult(std::move(result));
  }
  void Save(const std::string& name) {
    global->Data->ResultsXml->SaveSearchResultToXml(folder, name, results, preferences, profile);
  }
  bool Load(const std::string& name, TResults& into) {
    return global->Data->ResultsXml->LoadSearchResultFromXml(folder, name, into, preferences, *global->Predefined);
  }
  std::string File(const std::string& name) const {
    std::ifstream in(folder + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder + name, std::ios::binary) << text;
  }

  TestGlobal global;
  std::string folder;
  TResults results;
  TPreferences preferences{global->DataDir};
  TProfile profile;
};

TEST_F(ResultsXml, EveryByteAndFieldComesBack) {
  preferences.ProfileName = "Custom";
  preferences.ShowOnlyWord = "walks";
  Save("trip.xml");
  TResults loaded;
  ASSERT_TRUE(Load("trip.xml", loaded));
  ASSERT_EQ(loaded.Tasks.size(), 2u);
  ASSERT_EQ(loaded.List.size(), 2u);
  EXPECT_EQ(loaded.Narrow, "walks \xe9");
  const TResult& first = *loaded.List[0];
  EXPECT_EQ(first.Source.Title, "Caf\xe9 <walks> & \"tours\"");
  // Control bytes XML cannot carry become blanks; tab and line breaks stay.
  EXPECT_EQ(first.Description(), "line\tone\r\ntwo    end");
  EXPECT_EQ(first.Source.Link, "http://www.example.com/a?b=1&c=2");
  EXPECT_EQ(first.Source.Task, loaded.Tasks[0].get());
  EXPECT_EQ(first.Source.SearchKeywords, "glacier walks");
  const TResult& home = *loaded.List[1];
  EXPECT_TRUE(home.Facts.IsHomePage);
  EXPECT_TRUE(home.Facts.IsNested);
  EXPECT_EQ(home.Source.Engine, 2);
  EXPECT_EQ(home.Source.EngineRank, 17);
  EXPECT_EQ(home.Source.Task, loaded.Tasks[1].get());
  EXPECT_EQ(home.Source.Link, "www.example.org");  // kept as stored; only the parsed link gets a scheme
  EXPECT_EQ(home.URI().Host(), "www.example.org");
  // Both carry the first task's keywords, in one shared copy.
  EXPECT_EQ(&home.Source.SearchKeywords.str(), &first.Source.SearchKeywords.str());
  EXPECT_EQ(loaded.Tasks[1]->Keywords, "glacier walks (tours)");
  EXPECT_DOUBLE_EQ(loaded.Tasks[0]->TotalDuration, 812.5);
  EXPECT_DOUBLE_EQ(loaded.Tasks[0]->FetchDuration, 0.25);
  EXPECT_EQ(loaded.Tasks[0]->FetchThreadCount, 10);
  EXPECT_EQ(loaded.Tasks[0]->SiteOnly, "example.com");
  EXPECT_EQ(preferences.ShowOnlyWord, "walks");
}

TEST_F(ResultsXml, TheDocumentKeepsItsNamesAndOrder) {
  Save("trip.xml");
  const std::string text = File("trip.xml");
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SearchResults Version=\"1.1\" "
                       "NarrowKeyword=\"walks \xe9\">\n",
                       0),
            0u)
      << text;
  const size_t results = text.find("<Results>"), profile = text.find("<Profile>"),
               preferences = text.find("<Preferences>"), statistics = text.find("<Statistics>");
  EXPECT_LT(results, profile);
  EXPECT_LT(profile, preferences);
  EXPECT_LT(preferences, statistics);
  EXPECT_NE(text.find("<Result SER_ID=\"2\" SER_SE_Rank=\"17\" SER_Homepage=\"-1\" SER_EngineNested=\"-1\" "
                      "TaskId=\"1\">"),
            std::string::npos);
  EXPECT_NE(text.find("<SER_Title>Home</SER_Title>"), std::string::npos);
  EXPECT_NE(text.find("<TotalDuration>812.5</TotalDuration>"), std::string::npos);
  for (const char* element : {"<SER_Description>", "<SER_Link>", "<DomainExtension>", "<FileExtension>",
                              "<ProfileName>", "<SE_Name>", "<Keywords>", "<RankDuration>", "<SiteOnly>"})
    EXPECT_NE(text.find(element), std::string::npos) << element;
}

TEST_F(ResultsXml, HandEditedFilesReadAsTheSpecSays) {
  const std::string head = "<SearchResults Version=\"1.2\"><Statistics><Task><Keywords>k</Keywords></Task></Statistics>"
                           "<Results>";
  Write("edited.xml", head + "<Result SER_Homepage=\"false\" SER_EngineNested=\"0\" SER_ID=\"x\">"
                             "<SER_Title>caf\xc3\xa9</SER_Title></Result>"
                             "<Result TaskId=\"zero\"/></Results></SearchResults>");
  TResults loaded;
  ASSERT_TRUE(Load("edited.xml", loaded));
  ASSERT_EQ(loaded.List.size(), 2u);
  EXPECT_TRUE(loaded.List[0]->Facts.IsHomePage);  // anything but "0"
  EXPECT_FALSE(loaded.List[0]->Facts.IsNested);
  EXPECT_EQ(loaded.List[0]->Source.Engine, 0);
  EXPECT_EQ(loaded.List[0]->Source.Task, nullptr);
  EXPECT_EQ(loaded.List[0]->Source.Title, "caf\xe9");  // UTF-8 without a declaration
  EXPECT_EQ(loaded.List[1]->Source.Task, nullptr);
}

TEST_F(ResultsXml, AFailedLoadChangesNothing) {
  Save("good.xml");
  const struct { const char* text; const char* message; } rows[] = {
      {"<SearchResults Version=\"1.0\"/>", "Invalid saved results\r\nfile version"},
      {"<SearchResults/>", "Invalid saved results\r\nfile version"},
      {"<SearchResults Version=\"1.1\"><Results><Result TaskId=\"3\"/></Results></SearchResults>", "TaskId 3"},
      {"<SearchResults Version=\"1.1\"><Results>", "is not readable XML"},
      {"", "is not readable XML"},
      {"<Foo Version=\"1.1\"/>", "holds no saved results"},
  };
  for (const auto& row : rows) {
    Write("bad.xml", row.text);
    TResults target;
    ASSERT_TRUE(Load("good.xml", target));
    const std::string narrow = target.Narrow;
    try {
      Load("bad.xml", target);
      ADD_FAILURE() << row.text;
    } catch (const TOvException& e) {
      EXPECT_NE(e.Message().find(row.message), std::string::npos) << e.Message();
      EXPECT_EQ(e.UnitName, "ResultsXml");
      EXPECT_EQ(e.MethodName, "LoadSearchResultFromXml");
    }
    EXPECT_EQ(target.List.size(), 2u) << row.text;
    EXPECT_EQ(target.Tasks.size(), 2u);
    EXPECT_EQ(target.Narrow, narrow);
  }
  TResults target;
  EXPECT_THROW(Load("missing.xml", target), TOvException);
}

TEST_F(ResultsXml, AnEmptyListRemovesTheFileAndSavingReplacesWhole) {
  Save("trip.xml");
  Save("trip.xml");  // over an existing file
  EXPECT_TRUE(fs::exists(folder + "trip.xml"));
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  results.List.clear();
  Save("trip.xml");
  EXPECT_FALSE(fs::exists(folder + "trip.xml"));
}

TEST(SavedResultsOptions, ListsTheFilesUpToTheirXmlEndingAndMarksTheSessionsOwn) {
  TestGlobal global;
  const std::string folder = global->UserDir;
  for (const char* name : {"trip.xml", "x\"<y>.xml", "a.b.c7.xml", "notes.txt", ".xml", "..xml"})
    std::ofstream(folder + name) << "<x/>";
  const std::string options = SavedResultsOptions(folder, "trip.xml");
  EXPECT_NE(options.find("<option value =\"trip\"selected=\"selected\">trip</option>"), std::string::npos);
  EXPECT_NE(options.find("<option value =\"a.b.c7\">a.b.c7</option>"), std::string::npos);
  EXPECT_EQ(options.find("value =\".\""), std::string::npos);
  EXPECT_NE(options.find("<option value =\"x&quot;&lt;y&gt;\">x&quot;&lt;y&gt;</option>"), std::string::npos);
  EXPECT_EQ(options.find("notes"), std::string::npos);
  EXPECT_EQ(SavedResultsOptions(folder, "").find("selected"), std::string::npos);
  EXPECT_EQ(SavedResultsOptions(folder + "none/", ""), "");
  for (const char* name : {"trip", "a b", "caf\xe9"}) EXPECT_TRUE(IsValidResultsName(name)) << name;
  for (const char* name : {"", ".", "..", ".hidden", "a/b", "a\\b", "../up"})
    EXPECT_FALSE(IsValidResultsName(name)) << name;
  EXPECT_FALSE(IsValidResultsName(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace orvane
