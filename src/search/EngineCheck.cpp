#include "search/EngineCheck.h"

#include <algorithm>
#include <exception>

#include "base/Engines.h"
#include "base/StrUtils.h"
#include "search/DataPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

std::string Int(int64_t value) { return IntToStr(value); }

}  // namespace

std::string ResultLines(const TEngineCheck& check);

namespace {

// A data page: what the reader found, and why it found nothing.
void CheckDataPage(const TSearchEngines& definition, std::string_view text, TEngineCheck& check) {
  const TDataPage read =
      definition.Shape.Format == "json" ? ReadJsonPage(definition.Shape, text) : ReadFeedPage(text);
  check.Items = static_cast<int32_t>(read.Items.size());
  check.Count.Matched = read.Read;
  check.Count.MaxResults = static_cast<int32_t>(std::clamp<int64_t>(read.Total, 0, INT32_MAX));
  if (!read.Read) check.Error = read.Error;
}

// The results as a search keeps them: links cleaned, engine boxes dropped.
void CheckParsedResults(const TSearchEngines& definition, int engine, int32_t page, std::string_view text,
                        TEngineCheck& check) {
  const TSearchQuery query(page, "", engine, -1, nullptr, nullptr);
  TResultPage parsed(definition, query, "EngineCheck", "");
  parsed.Parse(text);
  check.Results = static_cast<int32_t>(parsed.Results.size());
  for (size_t i = 0; i < parsed.Results.size() && i < kCheckedResultsShown; ++i)
    check.FirstResults.push_back({parsed.Results[i]->Source.Title, parsed.Results[i]->Source.Link});
}

}  // namespace

TEngineCheck CheckEnginePage(const TSearchEngines& definition, int engine, int32_t page, std::string_view text) {
  TEngineCheck check;
  check.Engine = engine;
  check.Page = page;
  check.Format = definition.Shape.Format;
  try {
    if (check.Format != "html") {
      CheckDataPage(definition, text, check);
      CheckParsedResults(definition, engine, page, text, check);
      return check;
    }
    check.Count = ReadResultCount(definition, text);
    const std::vector<std::string_view> blocks = SplitBlocks(definition, text);
    check.Blocks = static_cast<int32_t>(blocks.size());
    check.Patterns.resize(definition.ElementRegexes().size());
    TElementMatcher matcher(definition);
    for (std::string_view block : blocks) {
      const TElementMatch found = matcher.Match(block);
      if (found.Pattern < 0) {
        ++check.Unmatched;
        continue;
      }
      TPatternTally& tally = check.Patterns[found.Pattern];
      ++tally.Blocks;
      tally.EmptyTitle += IsEmptyGroup(found.Title);
      tally.EmptyDescription += IsEmptyGroup(found.Description);
      tally.EmptyLink += found.Link.empty();
    }
    CheckParsedResults(definition, engine, page, text, check);
  } catch (const std::exception& e) {
    check.Error = e.what();
  }
  return check;
}

std::string FormatEngineCheck(const TEngineCheck& check) {
  std::string out = "  engine: " + EngineName(check.Engine) + ", page " + Int(check.Page) + "\n";
  if (check.Format != "html") {
    out += "  format: " + check.Format + "; " +
           (check.Count.Matched ? "read, total " + Int(check.Count.MaxResults) + ", items " + Int(check.Items)
                                : std::string("not read")) +
           "\n";
    return out + ResultLines(check);
  }
  out += "  count pattern: ";
  out += check.Count.Matched ? "matched, last shown " + Int(check.Count.LastShown) + ", total " +
                                   Int(check.Count.MaxResults)
                             : std::string("no match");
  out += "\n  result blocks: " + Int(check.Blocks) + "\n";
  for (size_t i = 0; i < check.Patterns.size(); ++i) {
    const TPatternTally& tally = check.Patterns[i];
    out += "  element pattern " + Int(static_cast<int64_t>(i) + 1) + ": ";
    if (tally.Blocks == 0) {
      out += "matched no block\n";
      continue;
    }
    out += Int(tally.Blocks) + " blocks; empty title " + Int(tally.EmptyTitle) + ", description " +
           Int(tally.EmptyDescription) + ", link " + Int(tally.EmptyLink) + "\n";
  }
  out += "  blocks no element pattern matched: " + Int(check.Unmatched) + "\n";
  return out + ResultLines(check);
}

std::string ResultLines(const TEngineCheck& check) {
  std::string out = "  results: " + Int(check.Results) + "\n";
  for (size_t i = 0; i < check.FirstResults.size(); ++i)
    out += "    " + Int(static_cast<int64_t>(i) + 1) + ". " + check.FirstResults[i].Title + "\n       " +
           check.FirstResults[i].Link + "\n";
  if (!check.Error.empty()) out += "  error: " + check.Error + "\n";
  out += check.Passed() ? "  ok\n" : "  FAILED: the page gives no results\n";
  return out;
}

bool ParsePageFileName(std::string_view path, int& engine, int32_t& page) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  constexpr std::string_view kMiddle = "_file_", kEnd = ".htm";
  const size_t middle = name.rfind(kMiddle);
  if (middle == std::string_view::npos || !name.ends_with(kEnd)) return false;
  const int index = EngineIndex(std::string(name.substr(0, middle)));
  if (index < 0) return false;
  const size_t from = middle + kMiddle.size();
  if (name.size() < from + kEnd.size()) return false;
  const std::string_view digits = name.substr(from, name.size() - from - kEnd.size());
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  int32_t number = 0;
  if (!TryStrToInt(digits, number)) return false;
  engine = index;
  page = number;
  return true;
}

}  // namespace orvane
