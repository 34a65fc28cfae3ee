#include "words/Predefined.h"

#include <exception>

#include "base/Log.h"
#include "base/OvException.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

// An attribute keeps its default when absent and must convert when present.
template <typename T>
T Attribute(pugi::xml_node node, const char* name, T fallback, bool (*convert)(std::string_view, T&),
            const char* kind) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return fallback;
  T value{};
  if (!convert(attribute.value(), value))
    throw TOvException(std::string("'") + attribute.value() + "' is not a valid " + kind + " value", "Predefined",
                       "Create");
  return value;
}

bool BoolAttribute(pugi::xml_node node, const char* name, bool fallback) {
  return Attribute(node, name, fallback, TryStrToBool, "boolean");
}

int32_t IntegerAttribute(pugi::xml_node node, const char* name, int32_t fallback) {
  return Attribute(node, name, fallback, TryStrToInt, "integer");
}

double FloatAttribute(pugi::xml_node node, const char* name, double fallback) {
  return Attribute(node, name, fallback, TryStrToFloat, "floating point");
}

// Every word and phrase as plain text: the word list without the quotes of
// its phrases, then the single words.
void FillWordStrings(TProfile& profile, const std::string& singleWords) {
  profile.WordStrings.clear();
  for (const auto& word : profile.Words) {
    if (word.Text.find(' ') != std::string::npos && word.Text.size() >= 2) {
      profile.WordStrings.push_back(word.Text.substr(1, word.Text.size() - 2));
    } else {
      profile.WordStrings.push_back(word.Text);
    }
  }
  for (const auto& item : SplitDelimited(',', singleWords)) {
    // An empty entry would match every result.
    if (!item.empty()) profile.WordStrings.push_back(ReplaceAll(LowerCase(item), "+", " "));
  }
}

}  // namespace

TPredefined::TPredefined(const TXMLManager& store, const TExtTypeGroups& domainGroups,
                         const TExtTypeGroups& fileGroups) {
  section_ = store.Section("predefined");
  if (!section_) return;
  int32_t index = 0;
  try {
    for (pugi::xml_node node = section_.first_child(); node; node = node.next_sibling()) {
      if (node.type() != pugi::node_element) continue;
      auto profile = std::make_unique<TProfile>();
      profile->Name = node.name();
      profile->Index = index++;
      profile->SetWordList(store.ReadString(node, "WordList", false));
      profile->Visible = BoolAttribute(node, "Visible", true);
      profile->Default = BoolAttribute(node, "Default", false);
      profile->RunSearch = BoolAttribute(node, "RunSearch", true);
      profile->FindSearchTermsinHost = BoolAttribute(node, "FindSearchTermsinHost", false);
      profile->WordList = IntegerAttribute(node, "WordList", 1);
      profile->ProfileResultMatchPenalty = FloatAttribute(node, "ProfileResultMatchPenalty", 1.0);
      FillWordStrings(*profile, store.ReadString(node, "SingalWordList", false));
      profile->ReadProfileData(store, profile->Name);
      profile->ExpandGroups(domainGroups, fileGroups);
      Profiles.push_back(std::move(profile));
    }
  } catch (const std::exception& e) {
    Log("Predefined", "Loading profiles stopped at profile " + IntToStr(index - 1) + ": " + e.what());
  }
}

TProfile* TPredefined::Find(const std::string& name) const {
  for (const auto& profile : Profiles) {
    if (profile->Name == name) return profile.get();
  }
  return nullptr;
}

TProfile* TPredefined::FindProfile(const std::string& name) { return Find(name); }

const TProfile* TPredefined::FindProfile(const std::string& name) const { return Find(name); }

std::string TPredefined::DefaultProfileName() const {
  std::shared_lock lock(lock_);
  for (const auto& profile : Profiles) {
    if (profile->Default) return profile->Name;
  }
  return {};
}

void TPredefined::SetProfileVisible(const std::string& name, bool visible) {
  std::unique_lock lock(lock_);
  if (TProfile* profile = Find(name)) profile->Visible = visible;
}

bool TPredefined::CopyProfile(const std::string& name, TProfile& target) const {
  std::shared_lock lock(lock_);
  const TProfile* profile = Find(name);
  if (!profile) return false;
  target.Assign(*profile);
  return true;
}

bool TPredefined::ReadProfileXml(const std::string& name, pugi::xml_node node) {
  std::unique_lock lock(lock_);
  TProfile* profile = Find(name);
  if (!profile) return false;
  // The file's "name" may be missing or differ: the profile keeps its own,
  // or it could no longer be found, and tasks read it without our lock.
  profile->ReadSavedSettings(node);
  return true;
}

}  // namespace orvane
