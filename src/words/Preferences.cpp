#include "words/Preferences.h"

#include <stdexcept>

#include "base/Engines.h"
#include "base/StrUtils.h"
#include "platform/IniFile.h"
#include "words/NodeText.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

constexpr const char* kGeneral = "General";
constexpr char kHistoryDelimiter = ' ';
constexpr char kHistoryQuote = '|';

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + "/" + name;
}

// A stored value that does not convert is a conversion error, not one of
// our own: the request is answered with the error page and no session is
// added for it.
int32_t ToInteger(const std::string& text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) throw std::invalid_argument("'" + text + "' is not a valid integer value");
  return value;
}

bool ToBool(const std::string& text) {
  bool value = false;
  if (!TryStrToBool(text, value)) throw std::invalid_argument("'" + text + "' is not a valid boolean value");
  return value;
}

const char* BoolText(bool value) { return value ? "-1" : "0"; }

}  // namespace


TPreferences::TPreferences(std::string folder)
    : Folder(std::move(folder)), ini_(std::make_unique<TIniFile>(JoinPath(Folder, "Preferences.ini"))) {}

TPreferences::~TPreferences() = default;

const std::string& TPreferences::IniFileName() const { return ini_->FileName; }

void TPreferences::LoadPreferences() {
  SetSE(ToInteger(ini_->ReadString(kGeneral, "SE", "0")));
  SetOpenInNewWindow(ToBool(ini_->ReadString(kGeneral, "OpenInNewWindow", "-1")));
  AdminMode = ToBool(ini_->ReadString(kGeneral, "AdminMode", "0"));
  SetDelimitedList(kHistoryDelimiter, ini_->ReadString("History", "List", ""), History, kHistoryQuote);
}

void TPreferences::SavePreferences() {
  // Each write is a whole-file replace of its own, so a failure leaves the
  // previous file intact; nothing is reported, as with the profile service.
  ini_->WriteInteger(kGeneral, "SE", GetSE());
  ini_->WriteString(kGeneral, "OpenInNewWindow", BoolText(OpenInNewWindow));
  ini_->WriteString(kGeneral, "ProfileName", ProfileName);
  ini_->WriteString(kGeneral, "PreferenceType", PreferenceType);
  ini_->WriteString("History", "List", DelimitedText(kHistoryDelimiter, History, kHistoryQuote));
}

int32_t TPreferences::GetSE() {
  if (SE == -1) SetSE(ToInteger(ini_->ReadString(kGeneral, "SE", "0")));
  return SE;
}

std::string TPreferences::GetSEName() {
  GetSE();
  return SEName;
}

void TPreferences::SetSE(int32_t value) {
  SE = value;
  SEName = EngineName(value);
  ini_->WriteInteger(kGeneral, "SE", value);
}

void TPreferences::SetOpenInNewWindow(bool value) {
  OpenInNewWindow = value;
  ini_->WriteString(kGeneral, "OpenInNewWindow", BoolText(value));
}

void TPreferences::SetPreferenceType(const std::string& value) {
  if (value == "0") {
    PreferenceType = "Clusters";
  } else if (value == "1") {
    PreferenceType = "Advanced";
  } else if (value == "2") {
    PreferenceType = "Data Tools";
  } else {
    PreferenceType = value;
  }
}

void TPreferences::SetShowOnlyWord(const std::string& value) { ShowOnlyWord = ReplaceAll(value, "%20", " "); }

void TPreferences::ClearFilters(bool resetProfile, bool checkAll) {
  if (resetProfile) ProfileName.clear();
  ShowOnlyDomainExtension.clear();
  ShowOnlyFileExtension.clear();
  ShowOnlyWord.clear();
  WhatToShow.clear();
  ShowOnlyDomainExtGroup.clear();
  ShowOnlyFileExtGroup.clear();
  if (checkAll) CheckAllExt = true;
}

void TPreferences::WritePreferencesXml(pugi::xml_node node) const {
  AddChildText(node, "showonlydomainextension", ShowOnlyDomainExtension);
  AddChildText(node, "showonlyfileextension", ShowOnlyFileExtension);
  AddChildText(node, "ShowOnlyWord", ShowOnlyWord);
  AddChildText(node, "WhatToShow", WhatToShow);
  AddChildText(node, "ShowOnlyDomainExtGroup", ShowOnlyDomainExtGroup);
  AddChildText(node, "ShowOnlyFileExtGroup", ShowOnlyFileExtGroup);
  AddChildText(node, "ProfileName", ProfileName);
  AddChildText(node, "prefPage", PreferenceType);
  AddChildText(node, "SE_ID", IntToStr(SE));
  AddChildText(node, "CheckAllExt", BoolText(CheckAllExt));
}

void TPreferences::ReadPreferencesXml(pugi::xml_node node) {
  SetShowOnlyDomainExtension(ChildText(node, "showonlydomainextension"));
  SetShowOnlyFileExtension(ChildText(node, "showonlyfileextension"));
  SetShowOnlyWord(ChildText(node, "ShowOnlyWord"));
  SetWhatToShow(ChildText(node, "WhatToShow"));
  SetShowOnlyDomainExtGroup(ChildText(node, "ShowOnlyDomainExtGroup"));
  SetShowOnlyFileExtGroup(ChildText(node, "ShowOnlyFileExtGroup"));
  SetProfileName(ChildText(node, "ProfileName"));
  SetPreferenceType(ChildText(node, "prefPage"));
  SetSE(ChildInteger(node, "SE_ID"));
  SetCheckAllExt(ChildBool(node, "CheckAllExt"));
}

}  // namespace orvane
