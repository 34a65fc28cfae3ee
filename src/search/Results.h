// TResult, TTask, TResults: the results of one session and its search tasks.
// A session owns one TResults (guarded by its data lock); query threads only
// append to a staging list inside the fetch totals' lock, every other
// operation runs on the request thread that holds the session.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/SharedText.h"
#include "search/HighLight.h"
#include "words/WordUtils.h"

namespace orvane {

class TProfile;
class TXMLManager;
struct TTask;

// A link taken apart: "http://host:8080/docs/a.pdf?x=1#top" gives Protocol
// "http", Host "host", Port "8080", Path "/docs/", Document "a.pdf", Params
// "x=1", Bookmark "top". Path always begins and ends with "/". The parts are
// views of the text taken apart (or of constants: a link without path has
// the path "/"), so a TURI must not outlive that text; taking a link apart
// allocates nothing.
class TURI {
 public:
  static TURI Parse(std::string_view url);
  // The same for a link whose scheme is already cut off: `rest` follows "://".
  static TURI Parse(std::string_view protocol, std::string_view rest);

  std::string_view Protocol() const { return Part(kProtocol); }
  std::string_view Host() const { return Part(kHost); }
  std::string_view Port() const { return Part(kPort); }
  std::string_view Path() const { return Part(kPath); }
  std::string_view Document() const { return Part(kDocument); }
  std::string_view Params() const { return Part(kParams); }
  std::string_view Bookmark() const { return Part(kBookmark); }

 private:
  enum TPart { kProtocol, kHost, kPort, kPath, kDocument, kParams, kBookmark, kParts };
  std::string_view Part(TPart part) const { return parts_[part]; }

  std::string_view parts_[kParts];
};

// What the engine sent for one result.
struct TSourceFields {
  int32_t Engine = -1;
  int32_t EngineRank = -1;
  std::string Title;
  std::string Link;
  TSharedText SearchKeywords;  // the query's, shared by its results
  int32_t ProfileMark = -1;
  TTask* Task = nullptr;  // borrowed from the owning TResults
};

// What the link tells of the page.
struct TLinkFacts {
  bool IsHomePage = false;
  bool IsNested = false;
  std::string DomainExt;
  std::string FileExt;
};

// The figures of the ranking.
struct TRankData {
  int32_t MetaRank = 101;  // 101: not boosted
  double PathFactor = 1.0;
  double LinkWordProximity = 0;
  double DescriptionWordProximity = 0;
  double TitleWordProximity = 0;
  double TitleScore = 0;
  double DescriptionScore = 0;
  double LinkScore = 0;
  int32_t TotalScore = 0;
  int32_t WordListScore = -1;  // -1: not scored
  int32_t ExactMatch = -1;
  bool DomainMatch = false;
  bool FileMatch = false;
};

// Where the extension clusters put the result (-1: nowhere).
struct TClusterPlace {
  int32_t DomainClusterIndex = -1;
  int32_t DomainGroupIndex = -1;
  int32_t FileClusterIndex = -1;
  int32_t FileGroupIndex = -1;
};

// What the filters decided and marked.
struct TFilterMarks {
  bool Visible = true;
  int32_t FilterMark = 0;  // 0 untouched, 2 found while narrowing, 1 kept
  std::vector<THighLightData> HighLights;
};

// The result's words, split after a search.
struct TResultWords {
  bool WordsSplit = false;
  TWordList TitleWords;
  TWordList DescriptionWords;
  // The word index's record of each entry of DescriptionWords and TitleWords
  // (TWordStorage lays each list's records out in a row; the session's
  // storage owns them).
  std::span<TOccurrence> DescriptionOccurrences;
  std::span<TOccurrence> TitleOccurrences;
  int32_t ListPosition = -1;  // in the result list the word table was built over
};

class TResult {
 public:
  const std::string& Description() const { return description_; }
  // Trims blanks and control characters at both ends.
  void SetDescription(const std::string& text);
  void SetDescription(std::string&& text);
  // The link taken apart, as a view of Source.Link (valid while it stays).
  // A link without a scheme is taken as http.
  TURI URI() const;

  // The total score under a profile (none: no boost weight, no penalty).
  int32_t GetTotalRank(const TProfile* profile) const;

  // The "Result" element of a saved results file: the engine, its place,
  // the flags, the task's position and the texts; nothing computed.
  void WriteXml(pugi::xml_node node) const;
  // Reads an element written so; the task is the one at "TaskId" of `tasks`
  // (none when absent or not a number). Raises std::out_of_range for a
  // TaskId outside the list. `keywords`: the first task's, which every
  // result of a file shares.
  void ReadXml(pugi::xml_node node, const std::vector<std::unique_ptr<TTask>>& tasks, const TSharedText& keywords);

  // Each group has one owner that writes it; the later stages only read it.
  TSourceFields Source;    // the parse stage (or a load of saved results)
  TLinkFacts Facts;        // the parse stage, from the link
  TRankData Rank;          // the ranking and the meta boost
  TClusterPlace Clusters;  // the extension clusters
  TFilterMarks Marks;      // the filters and the narrowing
  TResultWords Words;      // the word splitting and the word index

 private:
  std::string description_;
};

using TResultList = std::vector<std::unique_ptr<TResult>>;

// One search of a session; the first is the search as asked, later ones
// narrow it.
// The pages of one engine that failed in a search: what the notice above the
// list and the statistics panel tell, and what a saved search keeps.
struct TFailedPages {
  struct TPage {
    int32_t Index = 0;   // page index (start / 100)
    std::string Reason;  // in plain words: "time-out after 8 s"
  };
  std::string Engine;     // the engine's name
  int32_t Pages = 0;      // pages of this engine that counted in the search
  std::vector<TPage> Failed;  // in page order
};

struct TTask {
  int32_t Index = 0;
  std::string Keywords;
  std::string SE_Name;
  double TotalDuration = 0;  // ms
  double FetchDuration = 0;  // s per page, -1 when nothing was counted
  double ParseDuration = 0;
  double RankDuration = 0;  // ms
  int32_t FetchThreadCount = 0;
  int32_t ParseThreadCount = 0;
  std::string SiteOnly;
  const TProfile* Profile = nullptr;        // borrowed
  const TProfile* SearchProfile = nullptr;  // borrowed; its name is what gets saved
  std::vector<TFailedPages> FailedPages;    // engines with failed pages, in engine order

  void WriteXml(pugi::xml_node node) const;
  // findProfile turns a saved profile name back into a profile (may be empty).
  void ReadXml(pugi::xml_node node, const std::function<const TProfile*(const std::string&)>& findProfile = {});
};

// Profile matching used by the ranking.
// `host` and `domainExt`: the result's link's host and domain extension.
bool DomainMatches(std::string_view host, std::string_view domainExt, const std::vector<std::string>& domainExtensions);
bool FileMatches(const TResult& result, const std::vector<std::string>& fileExtensions);

// Removes results with equal links from a list sorted by link, keeping the
// better engine rank (the first on a tie). When profileMatches is given, a
// result with a ProfileMark yields to a partner without one, which is
// collected there.
// Returns the number removed; logs it when not zero. Leaves the list sorted by
// link.
int32_t RemoveDuplicateLinks(TResultList& list, std::vector<TResult*>* profileMatches);

class TResults {
 public:
  enum SortOrder { kByScore = 0, kByWordListScore = 1, kByEngineRank = 2 };

  TResults();
  ~TResults();
  TResults(const TResults&) = delete;
  TResults& operator=(const TResults&) = delete;

  TTask* AddTask(const std::string& keywords, const std::string& engineName, const TProfile* profile,
                 const std::string& site);
  TTask* FirstTask() const { return Tasks.empty() ? nullptr : Tasks.front().get(); }
  TTask* LastTask() const { return Tasks.empty() ? nullptr : Tasks.back().get(); }
  void DeleteTask(size_t index);
  // Frees every result not of the first task; the rest lose their profile mark.
  void ResetToFirstTask();

  TResult* Result(size_t index) const { return List[index].get(); }
  TResult* AddResult(std::unique_ptr<TResult> result);
  size_t Count() const { return List.size(); }
  void DeleteResult(size_t index);

  // Cached until ResetCounts (or Rank, ScoreWordList) sets them back to -1.
  int32_t VisibleCount();
  int32_t HiddenCount();
  int32_t NestedCount();
  int32_t ZeroScoreCount();
  void ResetCounts();
  int32_t ProfileResultCount() const;
  // The results, visible or not, whose texts hold the first search's
  // phrase, as the options frame shows it: `count` runs once, and its
  // answer is kept while the list and the first task stay the same. Safe
  // from several readers at once.
  int32_t ExactMatchCount(const std::function<int32_t()>& count) const;

  // Scores every result under Profile with the "rank" constants of the
  // store (the built-in ones without a store).
  void Rank(const TXMLManager* store);
  // Every visible result's closeness of `word` to its keywords, with the
  // store's constants.
  void ScoreWordList(const std::string& word, const TXMLManager* store);
  void ClearWordListScores();
  // Order 0 stores every result's total score first; an unknown order leaves
  // the list as it is. Ties keep their relative order.
  void Sort(int order);
  void SortByDomainExt();
  void SortByFileExt();

  // Sorts by link and drops duplicate links; results that both searches found
  // get the profile index as their mark.
  void RemoveDuplicates(int32_t profileIndex);

  const TProfile* Profile = nullptr;  // the session's profile, borrowed
  int32_t ProfileMatchCount = 0;
  int32_t SearchProfileDicWordsResults = 0;
  int32_t DicWordsUrlCount = 0;
  int32_t SearchTermHostResults = 0;
  TResultList List;
  // Atomic: pages read the counts under the session's shared lock, and two
  // of them may fill the same cache at once (with the same value).
  std::atomic<int32_t> VisibleCountCache{-1};
  std::atomic<int32_t> ZeroScoreCountCache{-1};
  std::atomic<int32_t> HiddenCountCache{-1};
  std::atomic<int32_t> NestedCountCache{-1};
  std::string Narrow;
  std::vector<std::unique_ptr<TTask>> Tasks;

 private:
  // What a kept count was made over. Changes made through this class bump
  // `changes_`; the list's place and size, and the first search's keywords,
  // catch a caller that changes them directly.
  struct TListShape {
    uint64_t Changes = 0;
    const void* Results = nullptr;
    size_t Count = 0;
    const TTask* FirstTask = nullptr;
    std::string Keywords;
    bool operator==(const TListShape&) const = default;
  };
  TListShape Shape() const;
  void Changed() { ++changes_; }

  std::atomic<uint64_t> changes_{0};
  mutable std::mutex exactMatchLock_;
  mutable std::optional<TListShape> exactMatchShape_;  // none: nothing kept
  mutable int32_t exactMatchCount_ = 0;
};

}  // namespace orvane
