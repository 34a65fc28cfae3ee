// TResultPage: one downloaded result page of an engine taken apart into
// results with the engine's patterns. Made and owned by a query thread for
// one page; reads the engine definition and the query, shares nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Regex.h"
#include "search/Results.h"

namespace orvane {

class TSearchEngines;
class TSearchQuery;
struct TEngineShape;

struct TResultCount {
  int32_t LastShown = 0;   // last result shown on the page (MSN: the page number)
  int32_t MaxResults = 0;  // the engine's total
  bool Matched = false;    // the count pattern matched the page at all
};

struct TBlockFields {
  std::string Title, Description, Link;
  bool Parsed = false;  // a pattern matched and gave a link
};

// Reads the count groups; a group that is not a plain decimal number leaves
// the values read so far and stops the reading.
TResultCount ReadResultCount(const TSearchEngines& engine, std::string_view page);
// Number of pages the engine has and the rank of this page's first result.
void PageNumbers(int engine, int32_t lastShown, int32_t& pageCount, int32_t& firstRank);
void PageNumbers(const TEngineShape& shape, int32_t lastShown, int32_t& pageCount, int32_t& firstRank);
// The text after each match of the block pattern up to the next match.
std::vector<std::string_view> SplitBlocks(const TSearchEngines& engine, std::string_view page);
// The first element pattern that matches a block and its groups as matched
// (the link not yet decoded).
struct TElementMatch {
  int Pattern = -1;  // index into the engine's ElementRegexes; -1: none matched
  std::string_view Title, Description, Link;  // views into the block
};
// The engine's element patterns with their match data and group numbers made
// once, for all the blocks of a page. Used by one thread at a time.
class TElementMatcher {
 public:
  explicit TElementMatcher(const TSearchEngines& engine);
  // The groups of the first pattern that matches the block.
  TElementMatch Match(std::string_view block);

 private:
  struct TPattern {
    int Index;
    const TRegex* Regex;
    std::unique_ptr<TMatch> Data;
    int Title, Description, Link;  // group numbers, -1 when the pattern has none
  };
  std::vector<TPattern> patterns_;
};
// A title or description group that stands for nothing: empty, or the lone
// "<" a pattern catches when the element is missing.
inline bool IsEmptyGroup(std::string_view text) { return text.empty() || text == "<"; }
// What ParseBlock reads, before it is copied: the title and description are
// views into the block.
struct TBlockText {
  std::string_view Title, Description;
  std::string Link;
  std::string LinkTitle;  // the link as decoded, when the block has no title
  bool Parsed = false;
  std::string_view ShownTitle() const { return LinkTitle.empty() ? Title : std::string_view(LinkTitle); }
};
TBlockText ReadBlock(TElementMatcher& matcher, std::string_view block);
// Title, description and the URL-decoded link of the first element pattern
// that matches. Raises on a link with a broken "%" escape.
TBlockFields ParseBlock(const TSearchEngines& engine, std::string_view block);
// Cleans the link in place; false when the result must be dropped (an
// engine-internal link, a redirect without target, nothing left).
bool NormaliseLink(int engine, std::string& link);
bool NormaliseLink(const TEngineShape& shape, std::string& link);
std::string StripTags(std::string_view text);
std::string CleanDescription(std::string_view text);
// StripTags and CleanDescription in buffers kept from text to text, so that
// only the copy a result keeps is allocated. A view it gives lasts until the
// next call of the same function.
class TTextCleaner {
 public:
  std::string_view Title(std::string_view text);
  std::string_view Description(std::string_view text);

 private:
  std::string title_, translated_, formatted_, description_;
};
// "+" to a blank and "%" with two hex digits to that byte; raises on a "%"
// without two hex digits.
std::string DecodeLink(std::string_view text);
bool IsHomePage(const TURI& uri);
// Domain extension of a link ("uk", "com:8080"); tells whether it has a path.
std::string DomainExtension(std::string_view link, bool& hasPath);
// "pdf", "Html"; empty when the link names no file of that kind.
std::string FileExtension(std::string_view link);

class TResultPage {
 public:
  static constexpr int32_t kMaxPages = 10;

  // logModule: where parse failures are logged; failedBlockFolder: where a
  // block that did not parse is saved for inspection (empty: not saved).
  TResultPage(const TSearchEngines& engine, const TSearchQuery& query, std::string logModule,
              std::string failedBlockFolder);

  // Raises "Current page number is too high" for an engine that claims more
  // than ten pages; Results then stays empty.
  void Parse(std::string_view page);

  TResultCount Count;
  int32_t PageCount = 0;
  int32_t FirstRank = 0;
  TResultList Results;  // in page order

 private:
  // A "json", "atom" or "rss" engine's page: no patterns.
  void ParseData(std::string_view page);
  std::unique_ptr<TResult> MakeResult(TBlockText fields, bool nested, int32_t rank);
  void SaveFailedBlock(std::string_view block, int32_t number) const;

  const TSearchEngines& engine_;
  const TSearchQuery& query_;
  const std::string logModule_;
  const std::string failedBlockFolder_;
  TTextCleaner cleaner_;
};

// Writes text plus a line break, replacing the file; failures are ignored.
void SaveDebugPage(const std::string& fileName, std::string_view text);

}  // namespace orvane
