#include "words/Profile.h"

#include <algorithm>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "words/ExtGroups.h"
#include "words/NodeText.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

void SetListEntry(std::vector<std::string>& list, const std::string& name, bool include) {
  const auto found = std::find(list.begin(), list.end(), name);
  if (include) {
    if (found == list.end()) list.push_back(name);
  } else if (found != list.end()) {
    list.erase(found);
  }
}

bool FlagField(const std::string& text) {
  bool value = false;
  if (!TryStrToBool(text, value)) {
    throw TOvException("'" + text + "' is not a valid boolean value", "Profile", "SetWordList");
  }
  return value;
}

// The extension or group name must not turn the saved element name into
// broken XML; extensions and the shipped group names are plain words.
bool IsPlainName(const std::string& text) {
  if (text.empty()) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
  });
}

std::vector<std::string> ExpandList(const std::vector<std::string>& names, const TExtTypeGroups& groups) {
  std::vector<std::string> expanded;
  if (names.empty()) return expanded;
  for (const auto& group : groups.Groups) {
    const bool chosen =
        std::any_of(names.begin(), names.end(), [&](const std::string& name) { return SameText(name, group.Name); });
    if (chosen) expanded.insert(expanded.end(), group.Extensions.begin(), group.Extensions.end());
  }
  expanded.insert(expanded.end(), names.begin(), names.end());
  for (auto& entry : expanded) entry = LowerCase(entry);
  return expanded;
}

// Characters `first` (1-based) to `first + 9` of an element name, lower case.
std::string SavedExtension(const std::string& elementName, size_t first) {
  if (elementName.size() < first) return {};
  return LowerCase(elementName.substr(first - 1, 10));
}

}  // namespace

void TProfile::SetDomain(const std::string& name, bool include) { SetListEntry(Domains, name, include); }

void TProfile::SetFileType(const std::string& name, bool include) { SetListEntry(FileTypes, name, include); }

void TProfile::SetWordList(const std::string& text) {
  if (text.empty()) return;
  std::vector<std::string> fields;
  for (const auto& entry : SplitDelimited('|', text)) {
    if (entry.empty()) break;
    SetDelimitedList(';', entry, fields);
    if (fields.size() < 5) {
      throw TOvException("Word list entry '" + entry + "' has fewer than five fields", "Profile", "SetWordList");
    }
    std::string word = fields[0];
    if (word.find('+') != std::string::npos) word = "\"" + ReplaceAll(word, "+", " ") + "\"";
    TPredefinedWord item;
    item.Text = LowerCase(word);
    item.FirstFlag = FlagField(fields[1]);
    item.SecondFlag = FlagField(fields[2]);
    item.SearchText = fields[3].empty() ? item.Text : ReplaceAll(fields[3], "+", " ");
    if (!TryStrToInt(fields[4], item.Weight)) {
      throw TOvException("'" + fields[4] + "' is not a valid integer value", "Profile", "SetWordList");
    }
    Words.push_back(std::move(item));
  }
}

void TProfile::ReadProfileData(const TXMLManager& store, const std::string& name) {
  const pugi::xml_node section = store.Section("profiles");
  if (!section) return;
  const pugi::xml_node node = section.child(name.c_str());
  if (!node) return;
  ReadProfileOptions(node);
  const std::string domains = store.ReadString(node, "Domains", false);
  const std::string fileTypes = store.ReadString(node, "FileTypes", false);
  Domains.clear();
  FileTypes.clear();
  for (const auto& item : SplitDelimited(',', domains)) {
    if (!item.empty()) SetDomain(item, true);
  }
  for (const auto& item : SplitDelimited(',', fileTypes)) {
    if (!item.empty()) SetFileType(item, true);
  }
}

void TProfile::ReadProfileOptions(pugi::xml_node node) {
  HomepageOnly = ChildBool(node, "bHomepageonly");
  ExactMatch = ChildBool(node, "bExactMatch");
  const int32_t sortBy = ChildInteger(node, "bSortByOrvane");
  SortBy = (sortBy == 0 || sortBy == 1) ? sortBy : 2;
  TitleRank = ChildFloat(node, "titleRank");
  DescRank = ChildFloat(node, "descRank");
  UrlRank = ChildFloat(node, "urlRank");
  TotalRank = ChildFloat(node, "totalRank");
  MetaBoostWeight = ChildFloat(node, "MetaBoostWeight");
}

void TProfile::ExpandGroups(const TExtTypeGroups& domainGroups, const TExtTypeGroups& fileGroups) {
  DomainExtensions = ExpandList(Domains, domainGroups);
  FileExtensions = ExpandList(FileTypes, fileGroups);
}

void TProfile::WriteProfileXml(pugi::xml_node node) const {
  AddChildText(node, "name", Name);
  for (const auto& domain : Domains) {
    if (IsPlainName(domain)) AddChildText(node, ("bDom" + domain).c_str(), "1");
  }
  for (const auto& fileType : FileTypes) {
    if (IsPlainName(fileType)) AddChildText(node, ("bType" + fileType).c_str(), "1");
  }
  AddChildText(node, "bHomepageonly", HomepageOnly ? "-1" : "0");
  AddChildText(node, "bExactMatch", ExactMatch ? "-1" : "0");
  AddChildText(node, "bSortByOrvane", IntToStr(SortBy));
  AddChildText(node, "titleRank", FloatToStr(TitleRank));
  AddChildText(node, "descRank", FloatToStr(DescRank));
  AddChildText(node, "urlRank", FloatToStr(UrlRank));
  AddChildText(node, "totalRank", FloatToStr(TotalRank));
  // Loading a file changes the named profile for every session, so the
  // meta boost weight has to travel too or it would drop to 0.
  AddChildText(node, "MetaBoostWeight", FloatToStr(MetaBoostWeight));
  AddChildText(node, "bReadonly", ReadOnly ? "-1" : "0");
}

void TProfile::ReadProfileXml(pugi::xml_node node) {
  Name = ChildText(node, "name");
  ReadSavedSettings(node);
}

void TProfile::ReadSavedSettings(pugi::xml_node node) {
  ReadProfileOptions(node);
  ReadOnly = ChildBool(node, "bReadonly");
  Domains.clear();
  FileTypes.clear();
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element || std::string(child.text().get()) != "1") continue;
    const std::string elementName = child.name();
    std::string entry;
    if (elementName.starts_with("bDom")) {
      entry = SavedExtension(elementName, 5);
      if (!entry.empty()) Domains.push_back(entry);
    } else if (elementName.starts_with("bType")) {
      entry = SavedExtension(elementName, 6);
      if (!entry.empty()) FileTypes.push_back(entry);
    }
  }
}

}  // namespace orvane
