#include "words/Preferences.h"

#include <gtest/gtest.h>

#include "base/OvException.h"
#include "platform/IniFile.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

TEST(PreferencesIni, FirstStartWithoutFileUsesDefaultsAndWritesThemBack) {
  testing::ScratchFolder folder;
  TPreferences preferences(folder.Path());
  preferences.LoadPreferences();
  EXPECT_EQ(preferences.SE, 0);
  EXPECT_EQ(preferences.SEName, "Google");
  EXPECT_TRUE(preferences.OpenInNewWindow);
  EXPECT_FALSE(preferences.AdminMode);
  const TIniFile ini(folder.Path() + "Preferences.ini");
  EXPECT_EQ(ini.ReadSection("General"), (std::vector<std::string>{"SE", "OpenInNewWindow"}));
  EXPECT_EQ(ini.ReadString("General", "OpenInNewWindow", ""), "-1");
}

TEST(PreferencesIni, ReadsStoredValuesAndRefusesOnesThatDoNotConvert) {
  testing::ScratchFolder folder;
  folder.Write("Preferences.ini", "[general]\r\nse=7\r\nOpenInNewWindow=False\r\nAdminMode=-1\r\n");
  TPreferences preferences(folder.Path());
  preferences.LoadPreferences();
  EXPECT_EQ(preferences.GetSE(), 7);  // kept, with no engine name
  EXPECT_EQ(preferences.GetSEName(), "");
  EXPECT_FALSE(preferences.OpenInNewWindow);
  EXPECT_TRUE(preferences.AdminMode);
  for (const char* file : {"[General]\nSE=Yahoo\n", "[General]\nSE=\n", "[General]\nAdminMode=on\n"}) {
    folder.Write("Preferences.ini", file);
    TPreferences broken(folder.Path());
    EXPECT_THROW(broken.LoadPreferences(), std::invalid_argument) << file;
  }
}

TEST(PreferencesIni, SaveWritesTheSettingsAndTheNextSessionStartsFromThem) {
  testing::ScratchFolder folder;
  TPreferences preferences(folder.Path());
  preferences.LoadPreferences();
  preferences.SetSE(1);
  preferences.SetOpenInNewWindow(false);
  preferences.SetProfileName("News");
  preferences.SetPreferenceType("2");
  preferences.SetShowOnlyWord("filters%20stay");
  preferences.History = {"plain", "with blank", "with|bar", ""};
  preferences.SavePreferences();
  EXPECT_EQ(TIniFile(folder.Path() + "Preferences.ini").ReadString("General", "PreferenceType", ""), "Data Tools");

  TPreferences next(folder.Path());
  next.LoadPreferences();
  EXPECT_EQ(next.SEName, "MSN");
  EXPECT_FALSE(next.OpenInNewWindow);
  EXPECT_EQ(next.History, preferences.History);
  EXPECT_EQ(next.ProfileName, "");  // written, never read back
  EXPECT_EQ(next.ShowOnlyWord, "");
}

std::vector<std::string> Filters(const TPreferences& p) {
  return {p.ShowOnlyDomainExtension, p.ShowOnlyFileExtension, p.ShowOnlyWord, p.WhatToShow,
          p.ShowOnlyDomainExtGroup, p.ShowOnlyFileExtGroup, p.ProfileName, p.PreferenceType};
}

TEST(PreferencesXml, SavedElementReadsBackAndClearFiltersKeepsProfileAndPage) {
  testing::ScratchFolder folder, other;
  TPreferences source(folder.Path());
  source.LoadPreferences();
  source.SetProfileName("News");
  source.SetShowOnlyDomainExtension("de");
  source.SetShowOnlyFileExtension("pdf");
  source.SetShowOnlyWord("two%20words");
  source.SetWhatToShow("3");
  source.SetShowOnlyDomainExtGroup("Europe");
  source.SetShowOnlyFileExtGroup("Documents");
  source.SetPreferenceType("1");
  source.SetSE(2);
  source.SetCheckAllExt(true);
  pugi::xml_document doc;
  source.WritePreferencesXml(doc.append_child("Preferences"));

  TPreferences copy(other.Path());
  copy.LoadPreferences();
  copy.ReadPreferencesXml(doc.child("Preferences"));
  EXPECT_EQ(Filters(copy),
            (std::vector<std::string>{"de", "pdf", "two words", "3", "Europe", "Documents", "News", "Advanced"}));
  EXPECT_EQ(copy.SEName, "Yahoo");
  EXPECT_TRUE(copy.CheckAllExt);
  EXPECT_EQ(TIniFile(other.Path() + "Preferences.ini").ReadString("General", "SE", ""), "2");

  copy.SetCheckAllExt(false);
  copy.ClearFilters(false, false);
  EXPECT_EQ(Filters(copy), (std::vector<std::string>{"", "", "", "", "", "", "News", "Advanced"}));
  EXPECT_FALSE(copy.CheckAllExt);
  copy.ClearFilters(true, true);
  EXPECT_EQ(copy.ProfileName, "");
  EXPECT_TRUE(copy.CheckAllExt);

  pugi::xml_document empty;
  copy.ReadPreferencesXml(empty.append_child("Preferences"));  // missing items: empty, 0, false
  EXPECT_EQ(copy.SE, 0);
  EXPECT_FALSE(copy.CheckAllExt);
  EXPECT_EQ(copy.PreferenceType, "");
}

}  // namespace
}  // namespace orvane
