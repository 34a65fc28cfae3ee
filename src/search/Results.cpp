#include "search/Results.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_set>

#include "base/Log.h"
#include "base/StrUtils.h"
#include "search/SERanking.h"
#include "words/NodeText.h"
#include "words/Profile.h"

namespace orvane {

// ---- TURI ----

TURI TURI::Parse(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return Parse({}, url);
  return Parse(url.substr(0, scheme), url.substr(scheme + 3));
}

namespace {

// The first (or, with `last`, the last) `c` in [from, to), else nullptr.
const char* Seek(const char* from, const char* to, char c, bool last = false) {
  if (from == to) return nullptr;
  const auto size = static_cast<size_t>(to - from);
  return static_cast<const char*>(last ? memrchr(from, c, size) : std::memchr(from, c, size));
}

std::string_view Between(const char* from, const char* to) { return {from, static_cast<size_t>(to - from)}; }

}  // namespace

TURI TURI::Parse(std::string_view protocol, std::string_view rest) {
  // Every ranking takes each result's link apart again: each separator is
  // looked for once, by memchr or memrchr, over the part it may be in.
  TURI uri;
  uri.parts_[kProtocol] = protocol;
  const char* const begin = rest.data();
  const char* end = begin + rest.size();
  if (const char* hash = Seek(begin, end, '#')) {
    uri.parts_[kBookmark] = Between(hash + 1, end);
    end = hash;
  }
  if (const char* question = Seek(begin, end, '?')) {
    uri.parts_[kParams] = Between(question + 1, end);
    end = question;
  }
  const char* const slash = Seek(begin, end, '/');
  const char* const authorityEnd = slash ? slash : end;
  const char* const colon = Seek(begin, authorityEnd, ':', true);
  if (colon) uri.parts_[kPort] = Between(colon + 1, authorityEnd);
  uri.parts_[kHost] = Between(begin, colon ? colon : authorityEnd);
  if (!slash) {
    uri.parts_[kPath] = "/";
    return uri;
  }
  const char* const lastSlash = Seek(slash, end, '/', true);
  uri.parts_[kPath] = Between(slash, lastSlash + 1);
  uri.parts_[kDocument] = Between(lastSlash + 1, end);
  return uri;
}

// ---- TResult ----

TURI TResult::URI() const {
  return StartsText("http", Source.Link) ? TURI::Parse(Source.Link) : TURI::Parse("http", Source.Link);
}

void TResult::SetDescription(const std::string& text) { description_ = Trim(text); }

void TResult::SetDescription(std::string&& text) {
  description_ = std::move(text);
  TrimInPlace(description_);
}

int32_t TResult::GetTotalRank(const TProfile* profile) const {
  // A field that is no finite number counts as 0: a NaN total would compare
  // false with everything and break the order of the sort.
  auto finite = [](double value) { return std::isfinite(value) ? value : 0.0; };
  const double boostWeight = profile ? finite(profile->MetaBoostWeight) : 0.0;
  double score = std::ceil((finite(Rank.TitleScore) + finite(Rank.DescriptionScore) + finite(Rank.LinkScore)) * 100);
  if (Rank.WordListScore != -1) score += Rank.WordListScore;
  score += std::ceil((101 - Rank.MetaRank) * boostWeight);
  score = std::ceil(score * finite(Rank.PathFactor));
  if (profile && profile->RunSearch && !(Rank.DomainMatch && Rank.FileMatch) && Source.ProfileMark != -1)
    score = std::ceil((1 - finite(profile->ProfileResultMatchPenalty)) * score);
  constexpr double kLowest = std::numeric_limits<int32_t>::min(), kHighest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(finite(score), kLowest, kHighest));
}

// ---- saved results ----

void TResult::WriteXml(pugi::xml_node node) const {
  node.append_attribute("SER_ID").set_value(IntToStr(Source.Engine).c_str());
  node.append_attribute("SER_SE_Rank").set_value(IntToStr(Source.EngineRank).c_str());
  node.append_attribute("SER_Homepage").set_value(Facts.IsHomePage ? "-1" : "0");
  node.append_attribute("SER_EngineNested").set_value(Facts.IsNested ? "-1" : "0");
  // A result without a task (never the case after a search) has no TaskId,
  // and reads back without one.
  if (Source.Task) node.append_attribute("TaskId").set_value(IntToStr(Source.Task->Index).c_str());
  // The meta boost cannot be computed again without the other engines'
  // pages, so it travels with the result: a loaded search ranks as it did.
  if (Rank.MetaRank != 101) node.append_attribute("MetaRank").set_value(IntToStr(Rank.MetaRank).c_str());
  AddChildText(node, "SER_Title", Source.Title);
  AddChildText(node, "SER_Description", description_);
  AddChildText(node, "SER_Link", Source.Link);
  AddChildText(node, "DomainExtension", Facts.DomainExt);
  AddChildText(node, "FileExtension", Facts.FileExt);
}

void TResult::ReadXml(pugi::xml_node node, const std::vector<std::unique_ptr<TTask>>& tasks,
                      const TSharedText& keywords) {
  auto attribute = [&node](const char* name) { return std::string(node.attribute(name).value()); };
  auto flag = [&node](const char* name) {
    const pugi::xml_attribute value = node.attribute(name);
    return value && std::string(value.value()) != "0";
  };
  Source.Engine = StrToIntDef(attribute("SER_ID"), 0);
  Source.EngineRank = StrToIntDef(attribute("SER_SE_Rank"), 0);
  Facts.IsHomePage = flag("SER_Homepage");
  Facts.IsNested = flag("SER_EngineNested");
  Rank.MetaRank = StrToIntDef(attribute("MetaRank"), 101);
  Source.Task = nullptr;
  int32_t taskId = 0;
  if (node.attribute("TaskId") && TryStrToInt(attribute("TaskId"), taskId)) {
    if (taskId < 0 || static_cast<size_t>(taskId) >= tasks.size())
      throw std::out_of_range("TaskId " + IntToStr(taskId) + " names no task of the file");
    Source.Task = tasks[taskId].get();
  }
  Source.Title = ChildText(node, "SER_Title");
  description_ = ChildText(node, "SER_Description");
  Source.Link = ChildText(node, "SER_Link");
  Facts.DomainExt = ChildText(node, "DomainExtension");
  Facts.FileExt = ChildText(node, "FileExtension");
  Source.SearchKeywords = keywords;
}

// ---- TTask ----

void TTask::WriteXml(pugi::xml_node node) const {
  auto add = [&node](const char* name, const std::string& value) {
    node.append_child(name).text().set(value.c_str());
  };
  add("ProfileName", SearchProfile ? SearchProfile->Name : "");
  add("SE_Name", SE_Name);
  add("Keywords", Keywords);
  add("TotalDuration", FloatToStr(TotalDuration));
  add("FetchDuration", FloatToStr(FetchDuration));
  add("ParseDuration", FloatToStr(ParseDuration));
  add("FetchThreadCount", IntToStr(FetchThreadCount));
  add("ParseThreadCount", IntToStr(ParseThreadCount));
  add("RankDuration", FloatToStr(RankDuration));
  add("SiteOnly", SiteOnly);
  // Only a search with failed pages writes them, so other files stay as they were.
  for (const TFailedPages& engine : FailedPages) {
    pugi::xml_node failed = node.append_child("FailedPages");
    failed.append_attribute("Engine").set_value(engine.Engine.c_str());
    failed.append_attribute("Pages").set_value(engine.Pages);
    for (const TFailedPages::TPage& page : engine.Failed) {
      pugi::xml_node item = failed.append_child("Page");
      item.append_attribute("Index").set_value(page.Index);
      item.append_attribute("Reason").set_value(page.Reason.c_str());
    }
  }
}

void TTask::ReadXml(pugi::xml_node node, const std::function<const TProfile*(const std::string&)>& findProfile) {
  auto text = [&node](const char* name) { return std::string(node.child(name).text().get()); };
  auto number = [&text](const char* name) { return StrToFloatDef(text(name), 0.0); };
  const std::string profileName = text("ProfileName");
  Profile = SearchProfile = findProfile ? findProfile(profileName) : nullptr;
  SE_Name = text("SE_Name");
  Keywords = text("Keywords");
  TotalDuration = number("TotalDuration");
  FetchDuration = number("FetchDuration");
  ParseDuration = number("ParseDuration");
  FetchThreadCount = StrToIntDef(text("FetchThreadCount"), 0);
  ParseThreadCount = StrToIntDef(text("ParseThreadCount"), 0);
  RankDuration = number("RankDuration");
  SiteOnly = text("SiteOnly");
  FailedPages.clear();
  for (pugi::xml_node failed = node.child("FailedPages"); failed; failed = failed.next_sibling("FailedPages")) {
    TFailedPages& engine = FailedPages.emplace_back();
    engine.Engine = failed.attribute("Engine").as_string();
    engine.Pages = failed.attribute("Pages").as_int();
    for (pugi::xml_node item = failed.child("Page"); item; item = item.next_sibling("Page"))
      engine.Failed.push_back({item.attribute("Index").as_int(), item.attribute("Reason").as_string()});
  }
}

// ---- profile matching ----

bool DomainMatches(std::string_view host, std::string_view domainExt,
                   const std::vector<std::string>& domainExtensions) {
  if (domainExtensions.empty()) return true;
  // A second-level entry ("co.") is compared with the host's label just
  // before its last one, taken with its trailing dot.
  std::string_view secondLevel;
  const size_t last = host.rfind('.');
  if (last != std::string_view::npos && last >= 3) {
    const size_t previous = host.rfind('.', last - 1);
    if (previous != std::string_view::npos && previous >= 1) secondLevel = host.substr(previous + 1, last - previous);
  }
  for (const std::string& entry : domainExtensions) {
    if (!entry.empty() && entry.back() == '.') {
      if (!secondLevel.empty() && entry == secondLevel) return true;
    } else if (entry == domainExt) {
      return true;
    }
  }
  return false;
}

bool FileMatches(const TResult& result, const std::vector<std::string>& fileExtensions) {
  return fileExtensions.empty() ||
         std::find(fileExtensions.begin(), fileExtensions.end(), result.Facts.FileExt) != fileExtensions.end();
}

// ---- duplicate removal ----

int32_t RemoveDuplicateLinks(TResultList& list, std::vector<TResult*>* profileMatches) {
  std::stable_sort(list.begin(), list.end(),
                   [](const auto& a, const auto& b) { return a->Source.Link < b->Source.Link; });
  std::unordered_set<TResult*> remembered;
  std::vector<bool> removed(list.size(), false);
  int32_t count = 0;
  size_t kept = 0;  // the survivor every following equal link is compared with
  for (size_t next = 1; next < list.size(); ++next) {
    TResult* a = list[kept].get();
    TResult* b = list[next].get();
    if (a->Source.Link != b->Source.Link) {
      kept = next;
      continue;
    }
    ++count;
    // Two results of the profile search are a plain duplicate: the ordinary
    // search found neither.
    const bool oneIsProfileResult = profileMatches && (a->Source.ProfileMark != -1) != (b->Source.ProfileMark != -1);
    bool dropFirst;
    if (oneIsProfileResult && a->Source.ProfileMark != -1) {
      remembered.insert(b);
      dropFirst = true;
    } else if (oneIsProfileResult) {
      remembered.insert(a);
      dropFirst = false;
    } else {
      dropFirst = a->Source.EngineRank > b->Source.EngineRank;
    }
    if (dropFirst) {
      remembered.erase(a);
      removed[kept] = true;
      kept = next;
    } else {
      remembered.erase(b);
      removed[next] = true;
    }
  }
  if (count > 0) {
    size_t index = 0;
    std::erase_if(list, [&removed, &index](const auto&) { return removed[index++]; });
    Log("Results", "Found and deleted " + IntToStr(count) + " duplicate results");
  }
  if (profileMatches) {
    // Keep list order so callers see a stable sequence.
    for (const auto& result : list)
      if (remembered.count(result.get())) profileMatches->push_back(result.get());
  }
  return count;
}

// ---- TResults ----

TResults::TResults() = default;
TResults::~TResults() = default;

TTask* TResults::AddTask(const std::string& keywords, const std::string& engineName, const TProfile* profile,
                         const std::string& site) {
  auto task = std::make_unique<TTask>();
  task->Index = static_cast<int32_t>(Tasks.size());
  task->Keywords = keywords;
  task->SE_Name = engineName;
  task->SiteOnly = site;
  task->Profile = task->SearchProfile = profile;
  Tasks.push_back(std::move(task));
  Changed();
  return Tasks.back().get();
}

void TResults::DeleteTask(size_t index) {
  if (index < Tasks.size()) Tasks.erase(Tasks.begin() + static_cast<std::ptrdiff_t>(index));
  Changed();
}

void TResults::ResetToFirstTask() {
  const TTask* first = FirstTask();
  std::erase_if(List, [first](const auto& result) { return result->Source.Task != first; });
  for (const auto& result : List) result->Source.ProfileMark = -1;
  Changed();
}

TResult* TResults::AddResult(std::unique_ptr<TResult> result) {
  List.push_back(std::move(result));
  Changed();
  return List.back().get();
}

void TResults::DeleteResult(size_t index) {
  if (index < List.size()) List.erase(List.begin() + static_cast<std::ptrdiff_t>(index));
  Changed();
}

namespace {

template <typename Predicate>
int32_t CountIf(const TResultList& list, Predicate predicate) {
  return static_cast<int32_t>(std::count_if(list.begin(), list.end(), [&](const auto& r) { return predicate(*r); }));
}

}  // namespace

int32_t TResults::VisibleCount() {
  if (VisibleCountCache == -1) VisibleCountCache = CountIf(List, [](const TResult& r) { return r.Marks.Visible; });
  return VisibleCountCache;
}

int32_t TResults::HiddenCount() {
  if (HiddenCountCache == -1) HiddenCountCache = CountIf(List, [](const TResult& r) { return !r.Marks.Visible; });
  return HiddenCountCache;
}

int32_t TResults::NestedCount() {
  if (NestedCountCache == -1) NestedCountCache = CountIf(List, [](const TResult& r) { return r.Facts.IsNested; });
  return NestedCountCache;
}

int32_t TResults::ZeroScoreCount() {
  if (ZeroScoreCountCache == -1)
    ZeroScoreCountCache = CountIf(List, [this](const TResult& r) { return r.GetTotalRank(Profile) == 0; });
  return ZeroScoreCountCache;
}

void TResults::ResetCounts() {
  VisibleCountCache = ZeroScoreCountCache = HiddenCountCache = NestedCountCache = -1;
  Changed();
}

TResults::TListShape TResults::Shape() const {
  const TTask* first = FirstTask();
  return {changes_.load(), List.data(), List.size(), first, first ? first->Keywords : std::string()};
}

int32_t TResults::ExactMatchCount(const std::function<int32_t()>& count) const {
  // Held while counting: a second frame asking at once waits for the answer
  // instead of counting too.
  const std::lock_guard<std::mutex> lock(exactMatchLock_);
  const TListShape shape = Shape();
  if (exactMatchShape_ != shape) {
    exactMatchCount_ = count();
    exactMatchShape_ = shape;
  }
  return exactMatchCount_;
}

int32_t TResults::ProfileResultCount() const {
  return CountIf(List, [](const TResult& r) { return r.Source.ProfileMark != -1; });
}

void TResults::Rank(const TXMLManager* store) {
  if (Profile) {
    TSERanking ranking(store);
    for (const auto& result : List) ranking.RankResult(*result, *Profile);
  }
  VisibleCountCache = ZeroScoreCountCache = -1;
}

void TResults::ScoreWordList(const std::string& word, const TXMLManager* store) {
  TSERanking ranking(store);
  for (const auto& result : List)
    result->Rank.WordListScore = result->Marks.Visible && Profile
                                     ? ranking.WordListScore(*result, *Profile, word, result->Source.SearchKeywords)
                                     : 0;
  VisibleCountCache = ZeroScoreCountCache = -1;
}

void TResults::ClearWordListScores() {
  for (const auto& result : List) result->Rank.WordListScore = -1;
}

namespace {

// Orders the list by `first` (higher first), then `second` (lower first),
// ties keeping their order. The keys are sorted in a small array of their
// own, so the comparisons never reach into the results.
template <typename FirstKey, typename SecondKey>
void SortByKeys(TResultList& list, FirstKey first, SecondKey second) {
  struct TEntry {
    int32_t First, Second;
    uint32_t Index;
  };
  std::vector<TEntry> entries;
  entries.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i)
    entries.push_back({first(*list[i]), second(*list[i]), static_cast<uint32_t>(i)});
  std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    if (a.First != b.First) return a.First > b.First;
    if (a.Second != b.Second) return a.Second < b.Second;
    return a.Index < b.Index;
  });
  TResultList sorted;
  sorted.reserve(list.size());
  for (const TEntry& entry : entries) sorted.push_back(std::move(list[entry.Index]));
  list.swap(sorted);
}

}  // namespace

void TResults::Sort(int order) {
  const auto engineRank = [](const TResult& r) { return r.Source.EngineRank; };
  switch (order) {
    case kByScore:
      for (const auto& result : List) result->Rank.TotalScore = result->GetTotalRank(Profile);
      SortByKeys(List, [](const TResult& r) { return r.Rank.TotalScore; }, engineRank);
      break;
    case kByWordListScore:
      SortByKeys(List, [](const TResult& r) { return r.Rank.WordListScore; }, engineRank);
      break;
    case kByEngineRank:
      SortByKeys(List, [](const TResult&) { return 0; }, engineRank);
      break;
    default:
      break;
  }
}

void TResults::SortByDomainExt() {
  std::stable_sort(List.begin(), List.end(),
                   [](const auto& a, const auto& b) { return a->Facts.DomainExt < b->Facts.DomainExt; });
}

void TResults::SortByFileExt() {
  std::stable_sort(List.begin(), List.end(),
                   [](const auto& a, const auto& b) { return a->Facts.FileExt < b->Facts.FileExt; });
}

void TResults::RemoveDuplicates(int32_t profileIndex) {
  std::vector<TResult*> matches;
  RemoveDuplicateLinks(List, &matches);
  Changed();
  ProfileMatchCount = static_cast<int32_t>(matches.size());
  for (TResult* result : matches) result->Source.ProfileMark = profileIndex;
}

}  // namespace orvane
