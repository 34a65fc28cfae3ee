// TPreferences: the user's settings and result filters of one session. Owned
// by its session and guarded by the session's data lock (pages read shared,
// actions change it exclusively). The engine choice, the new-window flag and
// the history persist in "Preferences.ini", shared by all sessions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace orvane {

class TIniFile;

class TPreferences {
 public:
  // `folder` is the data folder; nothing is written until a setter runs.
  explicit TPreferences(std::string folder);
  ~TPreferences();
  TPreferences(const TPreferences&) = delete;
  TPreferences& operator=(const TPreferences&) = delete;

  // Reads the INI file (writing SE and OpenInNewWindow back). Raises
  // TOvException when a stored value does not convert.
  void LoadPreferences();
  // Writes SE, OpenInNewWindow, ProfileName, PreferenceType and History.
  void SavePreferences();

  // Reads the stored engine first when SE is still unset (-1).
  int32_t GetSE();
  std::string GetSEName();
  // These two write the INI file at once.
  void SetSE(int32_t value);
  void SetOpenInNewWindow(bool value);
  bool GetOpenInNewWindow() const { return OpenInNewWindow; }

  // "0", "1", "2" name the pages "Clusters", "Advanced", "Data Tools".
  void SetPreferenceType(const std::string& value);
  // "%20" as sent by the pages becomes a blank.
  void SetShowOnlyWord(const std::string& value);
  void SetProfileName(const std::string& value) { ProfileName = value; }
  void SetShowOnlyDomainExtension(const std::string& value) { ShowOnlyDomainExtension = value; }
  void SetShowOnlyFileExtension(const std::string& value) { ShowOnlyFileExtension = value; }
  void SetWhatToShow(const std::string& value) { WhatToShow = value; }
  void SetShowOnlyDomainExtGroup(const std::string& value) { ShowOnlyDomainExtGroup = value; }
  void SetShowOnlyFileExtGroup(const std::string& value) { ShowOnlyFileExtGroup = value; }
  void SetAdminMode(bool value) { AdminMode = value; }
  void SetCheckAllExt(bool value) { CheckAllExt = value; }

  // Empties the filters; the engine, window flag and page stay.
  void ClearFilters(bool resetProfile, bool checkAll);

  // The "Preferences" element of a saved results file.
  void WritePreferencesXml(pugi::xml_node node) const;
  // Applies a saved element through the setters (SE is written to the INI).
  void ReadPreferencesXml(pugi::xml_node node);

  const std::string& IniFileName() const;

  std::string Folder;
  int32_t SE = -1;
  std::string SEName;
  bool OpenInNewWindow = false;
  std::string ShowOnlyDomainExtension;
  std::string ShowOnlyFileExtension;
  std::string PreferenceType;
  std::string ProfileName;
  std::vector<std::string> History;  // kept in the INI file; nothing adds to it yet
  std::string ShowOnlyWord;
  bool AdminMode = false;
  std::string WhatToShow;
  std::string ShowOnlyDomainExtGroup;
  std::string ShowOnlyFileExtGroup;
  bool CheckAllExt = false;

 private:
  std::unique_ptr<TIniFile> ini_;
};

}  // namespace orvane
