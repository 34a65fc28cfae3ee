// TEngineCheck: how an engine's patterns fare on one saved result page, to
// tell which pattern stopped matching when an engine changed its layout. The
// check runs the parser of a search itself (ReadResultCount, SplitBlocks,
// TElementMatcher, TResultPage) and only counts what it does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/ResultPage.h"

namespace orvane {

class TSearchEngines;

struct TPatternTally {
  int32_t Blocks = 0;  // blocks this pattern was the first to match
  int32_t EmptyTitle = 0, EmptyDescription = 0, EmptyLink = 0;
};

struct TCheckedResult {
  std::string Title, Link;
};

struct TEngineCheck {
  int Engine = -1;
  std::string Format = "html";  // for any other, no patterns: Items says what the reader found
  int32_t Page = 0;  // 0-based, as in the saved file's name
  TResultCount Count;
  int32_t Blocks = 0;
  std::vector<TPatternTally> Patterns;  // one per element pattern, in list order
  int32_t Unmatched = 0;                // blocks no element pattern matched
  int32_t Items = 0;                    // json, atom, rss: items the reader found
  int32_t Results = 0;                  // results the search would keep
  std::vector<TCheckedResult> FirstResults;  // at most three
  std::string Error;                    // what the parser raised; empty when nothing

  // The page gives the search something.
  bool Passed() const { return Error.empty() && Results > 0; }
};

constexpr size_t kCheckedResultsShown = 3;

// Never raises: a broken pattern or link ends up in Error.
TEngineCheck CheckEnginePage(const TSearchEngines& definition, int engine, int32_t page, std::string_view text);

// The check as plain text lines, the same for the same page.
std::string FormatEngineCheck(const TEngineCheck& check);

// Engine and page of a file name as the "SavePath" setting writes them,
// "<EngineName>_file_<page>.htm" (any folder before it), for any engine that
// EngineIndex knows; false for any other.
bool ParsePageFileName(std::string_view path, int& engine, int32_t& page);

}  // namespace orvane
