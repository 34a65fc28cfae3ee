#include "search/EngineCheck.h"

#include <algorithm>
#include <exception>

#include "base/Engines.h"
#include "base/StrUtils.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

std::string Int(int64_t value) { return IntToStr(value); }

}  // namespace

TEngineCheck CheckEnginePage(const TSearchEngines& definition, int engine, int32_t page, std::string_view text) {
  TEngineCheck check;
  check.Engine = engine;
  check.Page = page;
  try {
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
    // The results as a search keeps them: links cleaned, engine boxes dropped.
    const TSearchQuery query(page, "", engine, -1, nullptr, nullptr);
    TResultPage parsed(definition, query, "EngineCheck", "");
    parsed.Parse(text);
    check.Results = static_cast<int32_t>(parsed.Results.size());
    for (size_t i = 0; i < parsed.Results.size() && i < kCheckedResultsShown; ++i)
      check.FirstResults.push_back({parsed.Results[i]->Title, parsed.Results[i]->Link});
  } catch (const std::exception& e) {
    check.Error = e.what();
  }
  return check;
}

std::string FormatEngineCheck(const TEngineCheck& check) {
  std::string out = "  engine: " + EngineName(check.Engine) + ", page " + Int(check.Page) + "\n";
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
  out += "  results: " + Int(check.Results) + "\n";
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
  for (int index : {kGoogle, kMSN, kYahoo}) {
    const std::string prefix = EngineName(index) + std::string(kMiddle);
    if (!name.starts_with(prefix) || !name.ends_with(kEnd)) continue;
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - kEnd.size());
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    int32_t number = 0;
    if (!TryStrToInt(digits, number)) return false;
    engine = index;
    page = number;
    return true;
  }
  return false;
}

}  // namespace orvane
