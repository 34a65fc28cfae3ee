// Pages read a session's preferences and profile under Session.DataLock
// (shared) while actions of the same session replace them (exclusive), and
// every session writes the one "Preferences.ini". Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "data/XMLManager.h"
#include "host/GlobalData.h"
#include "platform/IniFile.h"
#include "words/ExtGroups.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"
#include "words/TestFolder.h"

namespace orvane {
namespace {

constexpr int kRounds = 300;

class SessionStateConcurrency : public ::testing::Test {
 protected:
  SessionStateConcurrency() {
    folder_.Write("data.xml",
                  "<d Version=\"1.1\"><predefined>"
                  "<Alpha><WordList>a1;0;0;;1|a2;0;0;;1</WordList></Alpha>"
                  "<Beta><WordList>b1;0;0;;1|b2;0;0;;1|b3;0;0;;1</WordList></Beta>"
                  "<Custom Visible=\"False\"/>"
                  "</predefined></d>");
    store_ = std::make_unique<TXMLManager>(folder_.Path());
    predefined_ = std::make_unique<TPredefined>(*store_, groups_, groups_);
  }

  testing::TTestFolder folder_;
  std::unique_ptr<TXMLManager> store_;
  TExtTypeGroups groups_;
  std::unique_ptr<TPredefined> predefined_;
};

// What an action does when the user picks a profile: every field changes
// together, so a reader must see either the old or the new set.
void SelectProfile(TSessionData& session, const TPredefined& predefined, const std::string& name) {
  std::unique_lock lock(session.DataLock);
  session.Preferences->ClearFilters(false, false);
  session.Preferences->SetProfileName(name);
  session.Preferences->SetShowOnlyWord(name + "%20word");
  session.Preferences->SetPreferenceType("0");
  predefined.CopyProfile(name, *session.Profile);
}

TEST_F(SessionStateConcurrency, PagesSeeWholeProfilesWhileActionsReplaceThem) {
  TSessionData session(1, folder_.Path(), true);
  SelectProfile(session, *predefined_, "Alpha");

  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::atomic<int> reads{0};
  std::vector<std::thread> pages;
  for (int i = 0; i < 3; ++i) {
    pages.emplace_back([&] {
      while (!done.load()) {
        std::this_thread::yield();  // let the writers in now and then
        std::shared_lock lock(session.DataLock);
        const TProfile& profile = *session.Profile;
        const TPreferences& preferences = *session.Preferences;
        const size_t expectedWords = profile.Name == "Alpha" ? 2 : 3;
        const bool whole = profile.Words.size() == expectedWords &&
                           profile.Words[0].Text[0] == static_cast<char>(std::tolower(profile.Name[0])) &&
                           preferences.ProfileName == profile.Name &&
                           preferences.ShowOnlyWord == profile.Name + " word";
        if (!whole) torn.fetch_add(1);
        reads.fetch_add(1);
      }
    });
  }
  std::thread action([&] {
    for (int i = 0; i < kRounds; ++i) SelectProfile(session, *predefined_, i % 2 ? "Alpha" : "Beta");
  });
  std::thread custom([&] {
    for (int i = 0; i < kRounds; ++i) predefined_->SetProfileVisible("Custom", i % 2 == 0);
  });
  action.join();
  custom.join();
  done.store(true);
  for (auto& page : pages) page.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

TEST_F(SessionStateConcurrency, SessionsWritingTheSharedIniLoseNoWrite) {
  constexpr int kSessions = 4;
  constexpr int kWrites = 40;
  std::vector<std::thread> threads;
  for (int s = 0; s < kSessions; ++s) {
    threads.emplace_back([&, s] {
      TSessionData session(s, folder_.Path(), true);
      TIniFile ini(folder_.File("Preferences.ini"));
      for (int i = 0; i < kWrites; ++i) {
        {
          std::unique_lock lock(session.DataLock);
          session.Preferences->SetSE(s % 3);
          session.Preferences->SetProfileName("session" + std::to_string(s));
          session.Preferences->SavePreferences();
        }
        // Keys of their own, as other settings of the same file would be.
        ini.WriteInteger("Test", "s" + std::to_string(s) + "_" + std::to_string(i), i);
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const TIniFile ini(folder_.File("Preferences.ini"));
  EXPECT_EQ(ini.ReadSection("Test").size(), static_cast<size_t>(kSessions * kWrites));
  for (int s = 0; s < kSessions; ++s) {
    EXPECT_EQ(ini.ReadInteger("Test", "s" + std::to_string(s) + "_" + std::to_string(kWrites - 1), -1),
              kWrites - 1);
  }
  const std::set<std::string> names = {"session0", "session1", "session2", "session3"};
  EXPECT_TRUE(names.count(ini.ReadString("General", "ProfileName", "")));
  // The file is still whole: a new session loads it.
  TPreferences next(folder_.Path());
  EXPECT_NO_THROW(next.LoadPreferences());
  EXPECT_GE(next.SE, 0);
  EXPECT_LE(next.SE, 2);
}

}  // namespace
}  // namespace orvane
