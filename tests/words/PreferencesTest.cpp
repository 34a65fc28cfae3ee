#include "words/Preferences.h"

#include <gtest/gtest.h>

#include "host/OvException.h"
#include "platform/IniFile.h"
#include "words/TestFolder.h"

namespace orvane {
namespace {

TEST(PreferencesIni, FirstStartWithoutFileUsesDefaultsAndWritesThemBack) {
  testing::TTestFolder folder;
  TPreferences preferences(folder.Path());
  preferences.LoadPreferences();
  EXPECT_EQ(preferences.SE, 0);
  EXPECT_EQ(preferences.SEName, "Google");
  EXPECT_TRUE(preferences.OpenInNewWindow);
  EXPECT_FALSE(preferences.AdminMode);
  EXPECT_TRUE(preferences.History.empty());

  const TIniFile ini(folder.File("Preferences.ini"));
  EXPECT_EQ(ini.ReadString("General", "SE", "missing"), "0");
  EXPECT_EQ(ini.ReadString("General", "OpenInNewWindow", "missing"), "-1");
  EXPECT_FALSE(ini.ValueExists("General", "AdminMode"));
  EXPECT_FALSE(ini.ValueExists("General", "ProfileName"));
}

TEST(PreferencesIni, ReadsStoredValues) {
  struct Case {
    const char* file;
    int32_t se;
    const char* seName;
    bool newWindow;
    bool admin;
    std::vector<std::string> history;
  };
  const Case cases[] = {
      {"[General]\r\nSE=2\r\nOpenInNewWindow=False\r\nAdminMode=TRUE\r\n", 2, "Yahoo", false, true, {}},
      {"[general]\nse=1\nopeninnewwindow=0\nadminmode=-1\n", 1, "MSN", false, true, {}},
      {"[General]\nSE=7\n", 7, "", true, false, {}},
      {"[History]\nList=one |two words| three\n", 0, "Google", true, false, {"one", "two words", "three"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    testing::TTestFolder folder;
    folder.Write("Preferences.ini", c.file);
    TPreferences preferences(folder.Path());
    preferences.LoadPreferences();
    EXPECT_EQ(preferences.GetSE(), c.se);
    EXPECT_EQ(preferences.GetSEName(), c.seName);
    EXPECT_EQ(preferences.GetOpenInNewWindow(), c.newWindow);
    EXPECT_EQ(preferences.AdminMode, c.admin);
    EXPECT_EQ(preferences.History, c.history);
  }
}

TEST(PreferencesIni, ValueThatDoesNotConvertFailsTheLoading) {
  for (const char* file : {"[General]\nSE=Yahoo\n", "[General]\nSE=\n", "[General]\nOpenInNewWindow=yes\n",
                           "[General]\nAdminMode=on\n"}) {
    SCOPED_TRACE(file);
    testing::TTestFolder folder;
    folder.Write("Preferences.ini", file);
    TPreferences preferences(folder.Path());
    EXPECT_THROW(preferences.LoadPreferences(), TOvException);
  }
}

TEST(PreferencesIni, SaveWritesTheSettingsAndTheNextSessionStartsFromThem) {
  testing::TTestFolder folder;
  {
    TPreferences preferences(folder.Path());
    preferences.LoadPreferences();
    preferences.SetSE(1);
    preferences.SetOpenInNewWindow(false);
    preferences.SetProfileName("News");
    preferences.SetPreferenceType("2");
    preferences.History = {"plain", "with blank", "with|bar", ""};
    preferences.SetShowOnlyWord("filters%20stay");
    preferences.SavePreferences();
  }
  const TIniFile ini(folder.File("Preferences.ini"));
  EXPECT_EQ(ini.ReadString("General", "ProfileName", ""), "News");
  EXPECT_EQ(ini.ReadString("General", "PreferenceType", ""), "Data Tools");

  TPreferences next(folder.Path());
  next.LoadPreferences();
  EXPECT_EQ(next.SE, 1);
  EXPECT_EQ(next.SEName, "MSN");
  EXPECT_FALSE(next.OpenInNewWindow);
  EXPECT_EQ(next.History, (std::vector<std::string>{"plain", "with blank", "with|bar", ""}));
  EXPECT_EQ(next.ProfileName, "");  // written, never read back
  EXPECT_EQ(next.ShowOnlyWord, "");
}

TEST(PreferencesSetters, PreferencePageNumbersAndEncodedBlanks) {
  TPreferences preferences("/nonexistent/");
  const std::pair<const char*, const char*> pages[] = {
      {"0", "Clusters"}, {"1", "Advanced"}, {"2", "Data Tools"}, {"Advanced", "Advanced"}, {"3", "3"}, {"", ""}};
  for (const auto& [given, stored] : pages) {
    preferences.SetPreferenceType(given);
    EXPECT_EQ(preferences.PreferenceType, stored) << given;
  }
  preferences.SetShowOnlyWord("new%20york%20city");
  EXPECT_EQ(preferences.ShowOnlyWord, "new york city");
}

void SetAllFilters(TPreferences& preferences) {
  preferences.SetProfileName("News");
  preferences.SetShowOnlyDomainExtension("de");
  preferences.SetShowOnlyFileExtension("pdf");
  preferences.SetShowOnlyWord("word");
  preferences.SetWhatToShow("3");
  preferences.SetShowOnlyDomainExtGroup("Europe");
  preferences.SetShowOnlyFileExtGroup("Documents");
  preferences.SetPreferenceType("1");
}

TEST(PreferencesSetters, ClearFiltersEmptiesTheFiltersOnly) {
  TPreferences preferences("/nonexistent/");
  SetAllFilters(preferences);
  preferences.ClearFilters(false, false);
  EXPECT_EQ(preferences.ProfileName, "News");
  EXPECT_FALSE(preferences.CheckAllExt);
  EXPECT_EQ(preferences.PreferenceType, "Advanced");
  for (const std::string* filter :
       {&preferences.ShowOnlyDomainExtension, &preferences.ShowOnlyFileExtension, &preferences.ShowOnlyWord,
        &preferences.WhatToShow, &preferences.ShowOnlyDomainExtGroup, &preferences.ShowOnlyFileExtGroup}) {
    EXPECT_EQ(*filter, "");
  }
  SetAllFilters(preferences);
  preferences.ClearFilters(true, true);
  EXPECT_EQ(preferences.ProfileName, "");
  EXPECT_TRUE(preferences.CheckAllExt);
}

TEST(PreferencesXml, SavedElementReadsBackIntoAnotherSession) {
  testing::TTestFolder folder;
  TPreferences source(folder.Path());
  source.LoadPreferences();
  SetAllFilters(source);
  source.SetShowOnlyWord("two words");
  source.SetSE(2);
  source.SetCheckAllExt(true);
  pugi::xml_document doc;
  source.WritePreferencesXml(doc.append_child("Preferences"));
  EXPECT_STREQ(doc.child("Preferences").first_child().name(), "showonlydomainextension");
  EXPECT_STREQ(doc.child("Preferences").child_value("CheckAllExt"), "-1");

  testing::TTestFolder other;
  TPreferences copy(other.Path());
  copy.LoadPreferences();
  copy.ReadPreferencesXml(doc.child("Preferences"));
  EXPECT_EQ(copy.ShowOnlyDomainExtension, "de");
  EXPECT_EQ(copy.ShowOnlyFileExtension, "pdf");
  EXPECT_EQ(copy.ShowOnlyWord, "two words");
  EXPECT_EQ(copy.WhatToShow, "3");
  EXPECT_EQ(copy.ShowOnlyDomainExtGroup, "Europe");
  EXPECT_EQ(copy.ShowOnlyFileExtGroup, "Documents");
  EXPECT_EQ(copy.ProfileName, "News");
  EXPECT_EQ(copy.PreferenceType, "Advanced");
  EXPECT_EQ(copy.SE, 2);
  EXPECT_EQ(copy.SEName, "Yahoo");
  EXPECT_TRUE(copy.CheckAllExt);
  EXPECT_EQ(TIniFile(other.File("Preferences.ini")).ReadString("General", "SE", ""), "2");
}

TEST(PreferencesXml, MissingElementsReadAsEmptyZeroOrFalse) {
  testing::TTestFolder folder;
  TPreferences preferences(folder.Path());
  preferences.LoadPreferences();
  SetAllFilters(preferences);
  preferences.SetSE(2);
  preferences.SetCheckAllExt(true);
  pugi::xml_document doc;
  doc.load_string("<Preferences><ShowOnlyWord>a%20b</ShowOnlyWord><prefPage>0</prefPage></Preferences>");
  preferences.ReadPreferencesXml(doc.child("Preferences"));
  EXPECT_EQ(preferences.ShowOnlyWord, "a b");
  EXPECT_EQ(preferences.PreferenceType, "Clusters");
  EXPECT_EQ(preferences.ProfileName, "");
  EXPECT_EQ(preferences.ShowOnlyDomainExtension, "");
  EXPECT_EQ(preferences.SE, 0);
  EXPECT_FALSE(preferences.CheckAllExt);
}

}  // namespace
}  // namespace orvane
