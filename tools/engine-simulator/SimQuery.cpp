#include "SimQuery.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "base/StrUtils.h"

namespace orvane::sim {

namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// "msn", "9", "google9": engine letters first, page digits after.
TSelector ParseSelector(std::string_view text) {
  TSelector selector;
  size_t letters = 0;
  while (letters < text.size() && std::isalpha(static_cast<unsigned char>(text[letters]))) ++letters;
  const std::string name = LowerCase(text.substr(0, letters));
  if (name == "google") selector.Engine = 0;
  if (name == "msn") selector.Engine = 1;
  if (name == "yahoo") selector.Engine = 2;
  if (name == "wikipedia") selector.Engine = 3;
  if (name == "arxiv") selector.Engine = 4;
  if (name == "searxng") selector.Engine = 5;
  if (name == "brave") selector.Engine = 6;
  int32_t page = 0;
  if (TryStrToInt(text.substr(letters), page)) selector.Page = page;
  return selector;
}

// Splits "value@selector".
void SplitValue(std::string_view text, std::string_view& value, TSelector& selector) {
  const size_t at = text.find('@');
  value = text.substr(0, at);
  if (at != std::string_view::npos) selector = ParseSelector(text.substr(at + 1));
}

// Returns true when the word was a control word.
bool TakeControl(const std::string& word, TControls& controls) {
  const std::string lower = LowerCase(word);
  if (lower == "simsep" || lower == "simsep:1") {
    controls.GroupedCount = true;
    return true;
  }
  if (lower == "simbadescape" || lower == "simbadescape:1") {
    controls.BadEscape = true;
    return true;
  }
  const size_t colon = lower.find(':');
  if (colon == std::string::npos || lower.compare(0, 3, "sim") != 0) return false;
  const std::string name = lower.substr(0, colon);
  const std::string_view rest = std::string_view(lower).substr(colon + 1);
  if (name == "simtotal") {
    if (rest == "none") controls.Total = 0;
    std::string digits;
    for (char c : rest)
      if (c >= '0' && c <= '9') digits += c;
    if (!digits.empty() && digits.size() < 12) controls.Total = std::stoll(digits);
    return true;
  }
  if (name == "simdelay") {
    std::string_view value;
    SplitValue(rest, value, controls.DelayWhere);
    int32_t ms = 0;
    if (TryStrToInt(value, ms) && ms > 0) controls.DelayMs = ms;
    return true;
  }
  if (name == "simfail") {
    std::string_view value;
    SplitValue(rest, value, controls.FailWhere);
    static const char* const kModes[] = {"drop", "junk", "hang", "length", "huge", "binary", "loop", "captcha"};
    const bool known = std::find(std::begin(kModes), std::end(kModes), value) != std::end(kModes);
    if (known || (AllDigits(value) && value.size() == 3)) controls.Fail = value;
    return true;
  }
  if (name == "simretry" || name == "simretrydate") {
    int32_t seconds = 0;
    if (TryStrToInt(rest, seconds) && seconds >= 0) {
      controls.RetryAfterS = seconds;
      controls.RetryAsDate = name == "simretrydate";
    }
    return true;
  }
  return false;
}

}  // namespace

bool TSelector::Matches(int engine, int page) const {
  return (Engine < 0 || Engine == engine) && (Page < 0 || Page == page);
}

std::string TSimQuery::Phrase() const {
  std::string phrase;
  for (const auto& word : Words.empty() ? AltWords : Words) {
    if (!phrase.empty()) phrase += ' ';
    phrase += word;
  }
  return phrase;
}

TSimQuery ParseKeywords(std::string_view keywords) {
  // Brackets and quotes become blanks around their own tokens.
  std::string spaced;
  for (char c : keywords) {
    if (c == '(' || c == ')') {
      spaced += ' ';
      spaced += c;
      spaced += ' ';
    } else if (c == '"') {
      spaced += ' ';
    } else {
      spaced += c;
    }
  }
  TSimQuery query;
  int depth = 0;
  size_t i = 0;
  while (i < spaced.size()) {
    while (i < spaced.size() && static_cast<unsigned char>(spaced[i]) <= ' ') ++i;
    size_t end = i;
    while (end < spaced.size() && static_cast<unsigned char>(spaced[end]) > ' ') ++end;
    if (end == i) break;
    std::string word = spaced.substr(i, end - i);
    i = end;
    if (word == "(") {
      ++depth;
      continue;
    }
    if (word == ")") {
      if (depth > 0) --depth;
      continue;
    }
    if (word == "OR" || word == "|" || word == "AND" || word[0] == '-') continue;
    if (TakeControl(word, query.Controls)) continue;
    const std::string lower = LowerCase(word);
    if (lower.compare(0, 5, "site:") == 0) {
      query.Site = lower.substr(5);
      continue;
    }
    if (lower.compare(0, 9, "language:") == 0) continue;
    if (word[0] == '+') word.erase(0, 1);
    if (word.empty()) continue;
    (depth > 0 ? query.AltWords : query.Words).push_back(word);
  }
  for (const auto* list : {&query.Words, &query.AltWords}) {
    for (const auto& word : *list) query.Seed += LowerCase(word) + ' ';
    query.Seed += '|';
  }
  return query;
}

}  // namespace orvane::sim
