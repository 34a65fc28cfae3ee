// TSimQuery: the keywords one simulated engine received, split into the words
// that drive the generated results and the "sim..." control words. Plain
// value, built per request; no shared state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim {

// Where a control word applies: every engine and page unless narrowed by an
// "@" suffix such as "@msn", "@9" or "@google9".
struct TSelector {
  int Engine = -1;  // -1 any
  int Page = -1;    // 0-based page index (start / 100), -1 any
  bool Matches(int engine, int page) const;
};

struct TControls {
  int64_t Total = -1;  // -1: not given, the server default applies
  int DelayMs = 0;
  TSelector DelayWhere;
  std::string Fail;  // "", a status code such as "500", "drop" or "junk"
  TSelector FailWhere;
  int RetryAfterS = -1;       // a failing status carries Retry-After in seconds
  bool RetryAsDate = false;   // ... written as an HTTP date that far ahead
  bool GroupedCount = false;  // count group written with thousands separators
  bool BadEscape = false;     // one link per page carries a malformed "%" escape
};

struct TSimQuery {
  std::vector<std::string> Words;     // main words as typed, operators removed
  std::vector<std::string> AltWords;  // words inside "( ... OR ... )"
  std::string Site;                   // from a "site:" word
  std::string Seed;                   // lower-cased words: the key of every choice
  TControls Controls;

  // The main words joined by blanks, as the results page echoes them.
  std::string Phrase() const;
  bool Empty() const { return Words.empty() && AltWords.empty(); }
};

TSimQuery ParseKeywords(std::string_view keywords);

}  // namespace orvane::sim
