// TPreferences: the user's settings and filters of one session. (Placeholder
// for the preferences store; the fields named here are those the pages read.)
#pragma once

#include <string>

namespace orvane {

class TPreferences {
 public:
  explicit TPreferences(std::string folder) : Folder(std::move(folder)) {}
  void LoadPreferences() {}

  std::string Folder;
  int SE = -1;
  std::string SEName;
  bool OpenInNewWindow = false;
  std::string ShowOnlyDomainExtension;
  std::string ShowOnlyFileExtension;
  std::string PreferenceType;
  std::string ProfileName;
  std::string ShowOnlyWord;
  bool AdminMode = false;
  std::string WhatToShow;
  std::string ShowOnlyDomainExtGroup;
  std::string ShowOnlyFileExtGroup;
  bool CheckAllExt = false;
};

}  // namespace orvane
