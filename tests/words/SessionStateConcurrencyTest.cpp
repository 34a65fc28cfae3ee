// Pages read a session's preferences and profile under Session.DataLock
// (shared) while actions of the same session replace them (exclusive), and
// every session writes the one "Preferences.ini". Meant for ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "data/XMLManager.h"
#include "host/GlobalData.h"
#include "platform/IniFile.h"
#include "words/ExtGroups.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

// An action choosing a profile: every field changes together.
void SelectProfile(TSessionData& session, const TPredefined& predefined, const std::string& name) {
  std::unique_lock lock(session.DataLock);
  session.Preferences->ClearFilters(false, false);
  session.Preferences->SetProfileName(name);
  session.Preferences->SetShowOnlyWord(name + "%20word");
  predefined.CopyProfile(name, *session.Profile);
}

TEST(SessionStateConcurrency, PagesSeeWholeProfilesWhileActionsReplaceThemAndSessionsShareTheIni) {
  testing::ScratchFolder folder;
  folder.Write("data.xml",
               "<d Version=\"1.1\"><predefined><a><WordList>a1;0;0;;1|a2;0;0;;1</WordList></a>"
               "<b><WordList>b1;0;0;;1|b2;0;0;;1|b3;0;0;;1</WordList></b><Custom/></predefined></d>");
  const TXMLManager store(folder.Path());
  const TExtTypeGroups groups;
  TPredefined predefined(store, groups, groups);
  TSessionData session(1, folder.Path(), true);
  SelectProfile(session, predefined, "a");

  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 2; ++i) {
    threads.emplace_back([&] {
      while (!done.load()) {
        std::this_thread::yield();  // let the writers in now and then
        std::shared_lock lock(session.DataLock);
        const TProfile& profile = *session.Profile;
        const bool whole = profile.Words.size() == (profile.Name == "a" ? 2u : 3u) &&
                           profile.Words[0].Text[0] == profile.Name[0] &&
                           session.Preferences->ProfileName == profile.Name &&
                           session.Preferences->ShowOnlyWord == profile.Name + " word";
        if (!whole) torn.fetch_add(1);
      }
    });
  }
  constexpr int kSessions = 3, kWrites = 30;
  std::vector<std::thread> writers;
  writers.emplace_back([&] {
    for (int i = 0; i < 300; ++i) SelectProfile(session, predefined, i % 2 ? "a" : "b");
  });
  writers.emplace_back([&] {
    for (int i = 0; i < 300; ++i) predefined.SetProfileVisible("Custom", i % 2 == 0);
  });
  for (int s = 0; s < kSessions; ++s) {
    writers.emplace_back([&, s] {
      TSessionData other(10 + s, folder.Path(), true);
      TIniFile ini(folder.Path() + "Preferences.ini");
      for (int i = 0; i < kWrites; ++i) {
        {
          std::unique_lock lock(other.DataLock);
          other.Preferences->SetSE(s);
          other.Preferences->SavePreferences();
        }
        ini.WriteInteger("Test", "s" + std::to_string(s) + "_" + std::to_string(i), i);  // keys of its own
      }
    });
  }
  for (auto& writer : writers) writer.join();
  done.store(true);
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(torn.load(), 0);
  const TIniFile ini(folder.Path() + "Preferences.ini");
  EXPECT_EQ(ini.ReadSection("Test").size(), static_cast<size_t>(kSessions * kWrites));  // no write lost
  TPreferences next(folder.Path());
  ASSERT_NO_THROW(next.LoadPreferences());  // the file is still whole
  EXPECT_TRUE(next.SE >= 0 && next.SE < kSessions);
}

}  // namespace
}  // namespace orvane
