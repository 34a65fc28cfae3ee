// Saving a search, opening it again in a fresh session and deleting it, on a
// session the engine simulator filled.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "base/Engines.h"
#include "base/StrUtils.h"
#include "search/Results.h"
#include "search/SearchPipelineSupport.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane::test {
namespace {

namespace fs = std::filesystem;

// The list of the results frame, without the session's id.
std::string ResultList(const std::string& page) {
  const size_t start = page.find("<a class=\"regtext\"");
  const size_t end = page.rfind("<br/><br/>");
  return start == std::string::npos || end == std::string::npos ? "" : page.substr(start, end - start);
}

TEST(SavedResults, ASavedSearchOpensAgainWithoutAskingAnyEngine) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:200&se=1");
  pipeline.Get("/findnarrow?narrow=walks&id=0");
  const std::string frame = pipeline.Get("/mainframe.htm?id=0").ContentText;
  const std::string statistics = pipeline.Get("/statistics.htm?id=0").ContentText;

  const std::string saved = pipeline.Get("/saveresults?filenametosave=trip&id=0").ContentText;
  EXPECT_NE(saved.find("<option value =\"trip\"selected=\"selected\">trip</option>"), std::string::npos);
  EXPECT_TRUE(fs::exists(Global->UserDir + "trip.xml"));
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Save results to xml : trip.xml"));
  EXPECT_EQ(pipeline.Session(0)->Preferences->PreferenceType, "Data Tools");

  // A fresh start page: no session named.
  pipeline.Simulator.ClearRequests();
  const THttpResponse load = pipeline.Get("/loadresults?xmlfilename=trip");
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Load results from xml : trip.xml"));
  const TSessionPtr loaded = pipeline.Session(1);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(loaded->ResultsLoaded);
  EXPECT_EQ(load.Location, "/search?keywords=glacier%2bwalks%2bsimtotal%253a200&se=1&site=&id=1");
  // The redirect's search only shows what was loaded.
  pipeline.Get(load.Location);
  EXPECT_TRUE(pipeline.Simulator.Requests().empty());
  EXPECT_FALSE(loaded->ResultsLoaded);
  EXPECT_EQ(loaded->Results->Count(), pipeline.Session(0)->Results->Count());
  // The narrowing word is not kept: the same results as before the narrowing.
  pipeline.Get("/findnarrow?narrow=walks&id=1");
  const std::string again = ResultList(pipeline.Get("/mainframe.htm?id=1").ContentText);
  EXPECT_FALSE(again.empty());
  const size_t differs = std::mismatch(again.begin(), again.end(), ResultList(frame).begin()).first - again.begin();
  EXPECT_EQ(again, ResultList(frame)) << "from " << again.substr(differs, 300);
  auto counts = [](const std::string& page) {
    return ReplaceAll(page.substr(page.find("slice-total")), "id=1", "id=0");
  };
  EXPECT_EQ(counts(pipeline.Get("/statistics.htm?id=1").ContentText), counts(statistics));
  // The engine panel: the search asked Google, the loaded results no engine.
  EXPECT_NE(statistics.find("<tr><td>Google</td>"), std::string::npos);
  EXPECT_NE(pipeline.Get("/statistics.htm?id=1").ContentText.find("No engine was asked."), std::string::npos);

  const std::string deleted = pipeline.Get("/deleteresults?xmlfilename=trip&id=1").ContentText;
  EXPECT_FALSE(fs::exists(Global->UserDir + "trip.xml"));
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Filename : " + Global->UserDir + "trip.xmldeleted"));
  EXPECT_EQ(deleted.find("value =\"trip\""), std::string::npos);
  pipeline.Get("/deleteresults?xmlfilename=trip&id=1");
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Filename : " + Global->UserDir + "trip.xmldoes not exist"));
}

// The notice above the list and the failed pages on the statistics page come
// back with a saved search.
TEST(SavedResults, FailedPagesComeBackWithTheSearch) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:300+simfail:503@google1&se=1");
  const std::string notice = "Google: 1 of 3 pages failed (it answered 503)";
  ASSERT_NE(pipeline.Get("/mainframe.htm?id=0").ContentText.find(notice), std::string::npos);
  pipeline.Get("/saveresults?filenametosave=lost&id=0");
  const THttpResponse load = pipeline.Get("/loadresults?xmlfilename=lost");
  pipeline.Get(load.Location);
  EXPECT_NE(pipeline.Get("/mainframe.htm?id=1").ContentText.find(notice), std::string::npos);
  EXPECT_NE(pipeline.Get("/statistics.htm?id=1").ContentText.find("<td class=\"num\">2</td><td>it answered 503</td>"),
            std::string::npos);
  pipeline.Get("/deleteresults?xmlfilename=lost&id=1");
}

TEST(SavedResults, TwoTasksAndACustomProfileComeBackAndTheFileStaysSelected) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:200&se=1");
  pipeline.Get("/selectpredefined?predefinedname=News&id=0");  // a second task
  pipeline.Get("/savepreferences?suffix=com&fileType=html&titlerank=6&descrank=3&urlrank=1&totalrank=10&id=0");
  const TSessionPtr saved = pipeline.Session(0);
  ASSERT_EQ(saved->Results->Tasks.size(), 2u);
  pipeline.Get("/saveresults?filenametosave=news&id=0");
  const THttpResponse load = pipeline.Get("/loadresults?xmlfilename=news");
  const TSessionPtr loaded = pipeline.Session(1);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->Results->Tasks.size(), 2u);
  EXPECT_EQ(loaded->Results->Count(), saved->Results->Count());
  EXPECT_EQ(loaded->Preferences->ProfileName, "Custom");
  EXPECT_DOUBLE_EQ(loaded->Profile->TitleRank, 0.6);
  EXPECT_EQ(loaded->Profile->Domains, (std::vector<std::string>{"com"}));
  pipeline.Get(load.Location);
  const std::string frame = pipeline.Get("/bottomframe.htm?id=1").ContentText;
  EXPECT_NE(frame.find("<option value =\"news\"selected=\"selected\">news</option>"), std::string::npos);
}

TEST(SavedResults, NamesThatCouldLeaveTheFolderTouchNothing) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:100&se=1");
  const std::string outside = pipeline.Folder.Path() + "outside.xml";
  std::ofstream(outside) << "<SearchResults Version=\"1.1\"/>";
  const std::string relative = "..%2F..%2F" + fs::path(pipeline.Folder.Path()).filename().string() + "%2Foutside";
  for (const std::string& name : {std::string("..%2Foutside"), std::string(".hidden"), std::string("a%5Cb"), relative}) {
    pipeline.Get("/saveresults?filenametosave=" + name + "&id=0");
    pipeline.Get("/deleteresults?xmlfilename=" + name + "&id=0");
    pipeline.Get("/loadresults?xmlfilename=" + name + "&id=0");
  }
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Invalid file name: ../outside"));
  for (const auto& entry : fs::directory_iterator(Global->UserDir)) ADD_FAILURE() << entry.path();
  pipeline.Get("/saveresults?filenametosave=&id=0");
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] Error filename is empty"));
  // A broken file is an error answer that leaves the session as it was.
  std::ofstream(Global->UserDir + "broken.xml") << "<SearchResults Version=\"1.1\"><Results>";
  const size_t before = pipeline.Session(0)->Results->Count();
  const std::string answer = pipeline.Get("/loadresults?xmlfilename=broken&id=0").ContentText;
  EXPECT_NE(answer.find("/default.htm"), std::string::npos);
  EXPECT_TRUE(pipeline.WaitForLog("[RequestHandler] OvException : The saved results file"));
  EXPECT_EQ(pipeline.Session(0)->Results->Count(), before);
}

// A saved search of an engine the data file no longer defines still loads and
// shows its results; the statistics page names the engine, and the missing
// index never reaches the preferences. One the data file moved is found by name.
TEST(SavedResults, AnEngineTheDataFileNoLongerDefinesIsNamedAndAMovedOneFoundByName) {
  const struct {
    const char* name;  // the engine name the file is edited to keep
    int index;         // and its index
    int chosen;        // the engine chosen after the load
    bool named;        // the statistics page names it as missing
  } rows[] = {
      {"Gone", 99, kGoogle, true},
      {"Gone", 5, kGoogle, true},  // an index that now belongs to another engine
      {"Yahoo", 1, kYahoo, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name + std::string(" ") + std::to_string(row.index));
    TSearchPipeline pipeline;
    pipeline.Get("/search?keywords=glacier+walks+simtotal:100&se=2");
    pipeline.Get("/saveresults?filenametosave=trip&id=0");
    const size_t count = pipeline.Session(0)->Results->Count();
    std::ifstream in(Global->UserDir + "trip.xml");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_NE(text.find("<SE_ID>1</SE_ID>"), std::string::npos);
    ASSERT_NE(text.find("<SE_Name>MSN</SE_Name>"), std::string::npos);
    text = ReplaceAll(text, "<SE_ID>1</SE_ID>", "<SE_ID>" + std::to_string(row.index) + "</SE_ID>");
    text = ReplaceAll(text, "<SE_Name>MSN</SE_Name>", "<SE_Name>" + std::string(row.name) + "</SE_Name>");
    std::ofstream(Global->UserDir + "trip.xml") << text;

    const THttpResponse load = pipeline.Get("/loadresults?xmlfilename=trip");
    EXPECT_NE(load.Location.find("&se=" + std::to_string(row.chosen + 1) + "&"), std::string::npos) << load.Location;
    pipeline.Get(load.Location);
    const TSessionPtr loaded = pipeline.Session(1);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Results->Count(), count);
    EXPECT_EQ(loaded->Preferences->SE, row.chosen);
    // The exports name the engine the results came from: a moved one's
    // results follow it, a gone one is named by the saved task.
    const std::string csv = pipeline.Get("/export.csv?id=1").ContentText;
    EXPECT_NE(csv.find(row.named ? ",Gone," : ",Yahoo,"), std::string::npos);
    EXPECT_EQ(csv.find(",MSN,"), std::string::npos);
    const std::string json = pipeline.Get("/export.json?id=1").ContentText;
    EXPECT_NE(json.find(std::string("\"engine\": \"") + (row.named ? "Gone" : "Yahoo") + "\""), std::string::npos);
    if (!row.named) {
      for (const auto& result : loaded->Results->List) EXPECT_EQ(result->Source.Engine, row.chosen);
    }
    const std::string note = "These results came from Gone, an engine the data file no longer defines.";
    EXPECT_EQ(pipeline.Get("/statistics.htm?id=1").ContentText.find(note) != std::string::npos, row.named);
    if (row.named) {
      std::ifstream ini(Global->DataDir + "Preferences.ini");
      const std::string stored((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
      EXPECT_EQ(stored.find("SE=" + std::to_string(row.index)), std::string::npos) << stored;
    }
  }
}

TEST(SavedResults, ANameWithDotsIsListedLoadedAndDeletedWhole) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=glacier+walks+simtotal:100&se=1");
  const std::string saved = pipeline.Get("/saveresults?filenametosave=a.b.c7&id=0").ContentText;
  EXPECT_NE(saved.find("<option value =\"a.b.c7\"selected=\"selected\">a.b.c7</option>"), std::string::npos);
  EXPECT_FALSE(pipeline.Get("/loadresults?xmlfilename=a.b.c7&id=0").Location.empty());
  pipeline.Get("/deleteresults?xmlfilename=a.b.c7&id=0");
  EXPECT_FALSE(fs::exists(Global->UserDir + "a.b.c7.xml"));
}

// A search that found a session empty while saved results were being loaded
// into it waits for the load, then searches in a session of its own: the
// query threads must never see the session's tasks replaced under them.
TEST(SavedResults, ASearchNeverTakesASessionBeingLoaded) {
  TSearchPipeline pipeline;
  pipeline.Get("/search?keywords=first+simtotal:100&se=1");  // session 0, not empty
  TSessionPtr loading;
  {
    std::lock_guard guard(Global->SessionLock);
    loading = Global->CreateSession();  // session 1, empty: a search may pick it
  }
  std::unique_lock searchGuard(loading->SearchLock);
  std::thread search([&] { pipeline.Get("/search?keywords=alpha+walks+simtotal:100&se=1"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the search now waits for the load
  {
    std::unique_lock guard(loading->DataLock);
    loading->Results->AddTask("beta", "Google", nullptr, "");
    loading->SearchPending = false;
    loading->ResultsLoaded = true;
  }
  searchGuard.unlock();
  search.join();
  EXPECT_EQ(loading->Results->FirstTask()->Keywords, "beta");
  EXPECT_EQ(loading->Results->Tasks.size(), 1u);
  const TSessionPtr own = pipeline.Session(2);
  ASSERT_TRUE(own);
  EXPECT_EQ(own->Results->FirstTask()->Keywords, "alpha walks simtotal:100");
}

}  // namespace
}  // namespace orvane::test
