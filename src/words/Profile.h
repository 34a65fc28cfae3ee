// TProfile: a search profile (predefined subject). TPredefined owns the
// process-wide profiles; each session owns a copy in Session.Profile, guarded
// by Session.DataLock (pages read shared, actions replace it exclusively).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace orvane {

class TXMLManager;
class TExtTypeGroups;

// One word of a word list: a profile word, a cluster entry or a page type.
struct TWordData {
  std::string Title;  // caption of a word-cluster word
  int32_t Index = 0;  // position in its cluster's list
  int32_t Count = 0;  // results holding the word (clusters)
  std::string Text;   // lower case; a phrase is enclosed in double quotes
  std::string SearchText;
  int32_t Weight = 0;
};

struct TPredefinedWord : TWordData {
  bool SecondFlag = false;
  bool FirstFlag = false;  // count only where a word starts with it
  // Working counts of the rank explanation; a reader that shares the profile
  // with other requests should count into its own copy instead.
  int32_t TitleCount = 0;
  int32_t DescriptionCount = 0;
  int32_t LinkCount = 0;
};

class TProfile {
 public:
  // Deep copy of `source` (words, lists and every scalar).
  void Assign(const TProfile& source) { *this = source; }

  // include: add unless an equal entry is there; otherwise remove the first
  // equal entry. Exact comparison.
  void SetDomain(const std::string& name, bool include);
  void SetFileType(const std::string& name, bool include);
  void ClearDomains() { Domains.clear(); }
  void ClearFileTypes() { FileTypes.clear(); }

  // Appends the entries of a WordList text ("word;flag;flag;search;weight|...")
  // up to the first empty entry. Raises TOvException for an entry with fewer
  // than five fields or a flag or weight that does not convert.
  void SetWordList(const std::string& text);
  // The profile's element of the "profiles" section; nothing when missing.
  void ReadProfileData(const TXMLManager& store, const std::string& name);
  void ReadProfileOptions(pugi::xml_node node);
  // DomainExtensions and FileExtensions from Domains and FileTypes.
  void ExpandGroups(const TExtTypeGroups& domainGroups, const TExtTypeGroups& fileGroups);

  // The "Profile" element of a saved results file.
  void WriteProfileXml(pugi::xml_node node) const;
  void ReadProfileXml(pugi::xml_node node);
  // The same without the name, for a profile that must keep its own.
  void ReadSavedSettings(pugi::xml_node node);

  std::vector<TPredefinedWord> Words;
  bool Default = false;
  double MetaBoostWeight = 0;
  std::vector<std::string> WordStrings;  // plain lower-case words and phrases
  std::string Name;
  int32_t Index = 0;
  bool Visible = false;
  bool RunSearch = false;  // a subject profile rather than a website profile
  bool FindSearchTermsinHost = false;
  int32_t WordList = 0;  // 1: the word pane shows the automatic clusters
  double ProfileResultMatchPenalty = 0;
  double TitleRank = 0;
  double DescRank = 0;
  double UrlRank = 0;
  double TotalRank = 0;
  bool HomepageOnly = false;
  bool ExactMatch = false;
  int SortBy = 0;  // 0, 1, or 2 for the engines' order
  std::vector<std::string> Domains;
  std::vector<std::string> FileTypes;
  std::vector<std::string> DomainExtensions;
  std::vector<std::string> FileExtensions;
  bool ReadOnly = false;
};

}  // namespace orvane
