#include "words/WordUtils.h"

#include <array>

#include "base/Regex.h"
#include "base/StrUtils.h"

namespace orvane {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// Entity names first, so "&amp;" goes whole before "&" alone could match \W.
const TRegex& CleanPattern() {
  static const TRegex pattern("&gt;|&nbsp;|&quot;|&amp;|&lt;|_|\\W", 0);
  return pattern;
}

// Reads a quoted item starting at text[pos] == quote; a doubled quote stands
// for one. An unclosed quote takes the rest of the text.
std::string ReadQuoted(std::string_view text, size_t& pos, char quote) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c != quote) {
      item += c;
    } else if (pos < text.size() && text[pos] == quote) {
      item += quote;
      ++pos;
    } else {
      break;
    }
  }
  return item;
}

void SkipBlanks(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

}  // namespace

void TSeperateWords::Separate(std::string_view text, TWordList& words) const {
  // The matches of "(?<!&|\\.|#)\\b[A-Za-z0-9][A-Za-z0-9_/]+" in the
  // lower-cased text, found by hand: every title and description of a search
  // goes through here. A word starts at an
  // ASCII letter or digit that follows no word character (as the pattern's
  // tables have them) and no "&", "." or "#", and runs on over letters,
  // digits, "_" and "/"; it is two characters long at least.
  static const std::array<bool, 256> kWordByte = [] {
    const TRegex word("\\w", 0);
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
      table[static_cast<size_t>(byte)] = word.Matches(std::string(1, static_cast<char>(byte)));
    return table;
  }();
  auto isStart = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
  auto isPart = [&](char c) { return isStart(c) || c == '_' || c == '/'; };
  words.clear();
  const std::string lower = LowerCase(text);
  const size_t size = lower.size();
  for (size_t pos = 0; pos < size;) {
    const char before = pos > 0 ? lower[pos - 1] : ' ';
    if (!isStart(lower[pos]) || kWordByte[static_cast<unsigned char>(before)] || before == '&' || before == '.' ||
        before == '#') {
      ++pos;
      continue;
    }
    size_t end = pos + 1;
    while (end < size && isPart(lower[end])) ++end;
    if (end - pos >= 2) words.push_back({lower.substr(pos, end - pos), static_cast<int32_t>(pos + 1)});
    pos = end;
  }
}

TWordList TSeperateWords::Separate(std::string_view text) const {
  TWordList words;
  Separate(text, words);
  return words;
}

std::string TClearArgument::Clear(std::string_view text) const {
  // What removing CleanPattern from the lower-cased text leaves, in one pass:
  // every title and description goes through here for each options frame.
  // The byte each byte becomes (0: removed) is asked of the pattern itself,
  // once.
  static const std::array<char, 256> kKept = [] {
    std::array<char, 256> kept{};
    for (int byte = 1; byte < 256; ++byte) {
      const std::string cleared = CleanPattern().ReplaceAll(LowerCase(std::string(1, static_cast<char>(byte))), "");
      kept[static_cast<size_t>(byte)] = cleared.size() == 1 ? cleared[0] : '\0';
    }
    return kept;
  }();
  static constexpr std::string_view kEntities[] = {"&gt;", "&nbsp;", "&quot;", "&amp;", "&lt;"};
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (const char kept = kKept[static_cast<unsigned char>(c)]) {
      out += kept;
      ++pos;
      continue;
    }
    size_t skip = 1;
    if (c == '&')
      for (const std::string_view entity : kEntities)
        if (SameText(text.substr(pos, entity.size()), entity)) {
          skip = entity.size();
          break;
        }
    pos += skip;
  }
  return out;
}

void SplitKeywords(std::string_view keywords, std::vector<std::string>& list, const TClearArgument& cleaner,
                   std::string& joined) {
  std::string text = ReplaceAll(keywords, " ", "+");
  text = LowerCase(ReplaceAll(text, "\"", ""));
  joined = cleaner.Clear(text);
  SetDelimitedList('+', text, list);
}

bool Occurs(std::string_view text, std::string_view needle) {
  return !needle.empty() && text.find(needle) != std::string_view::npos;
}

int32_t WordPresence(std::string_view text, std::string_view phrase, const std::vector<std::string>& words) {
  if (Occurs(text, phrase)) return 2;
  for (const auto& word : words)
    if (Occurs(text, word)) return 1;
  return 0;
}

std::string ExtractSiteName(std::string_view url, std::string_view extension) {
  const std::string s = LowerCase(url);
  std::string site;
  const size_t www = s.find("www.");
  const size_t firstDot = s.find('.');
  if (www != std::string::npos) {
    site = s.substr(www + 4);
  } else if (firstDot == std::string::npos || firstDot + 1 == LastPos(".", s)) {
    // One dot or none: the host is "name.ext", keep it all after the scheme.
    // Without "http://" the copy starts at the seventh character all the same.
    const size_t scheme = s.find("http://");
    const size_t from = scheme == std::string::npos ? 6 : scheme + 7;
    if (from < s.size()) site = s.substr(from);
  } else {
    site = s.substr(firstDot + 1);
  }
  site = ReplaceAll(site, "." + LowerCase(extension), "");
  // The dots and slashes out, in one pass.
  std::erase_if(site, [](char c) { return c == '.' || c == '/'; });
  return site;
}

size_t LastPos(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return 0;
  const size_t found = text.rfind(pattern);
  return found == std::string_view::npos ? 0 : found + 1;
}

void SetDelimitedList(char delimiter, std::string_view text, std::vector<std::string>& list, char quote) {
  list.clear();
  size_t pos = 0;
  SkipBlanks(text, pos);
  while (pos < text.size()) {
    if (text[pos] == quote) {
      list.push_back(ReadQuoted(text, pos, quote));
    } else {
      const size_t first = pos;
      while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != delimiter) ++pos;
      list.emplace_back(text.substr(first, pos - first));
    }
    SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == delimiter) {
      ++pos;
      SkipBlanks(text, pos);
      if (pos == text.size()) list.emplace_back();
    }
  }
}

std::vector<std::string> SplitDelimited(char delimiter, std::string_view text, char quote) {
  std::vector<std::string> list;
  SetDelimitedList(delimiter, text, list, quote);
  return list;
}

std::string DelimitedText(char delimiter, const std::vector<std::string>& list, char quote) {
  // A lone empty item would vanish, and so would empty items between blank
  // delimiters: those are written as a pair of quotes.
  const bool quoteEmpty = list.size() == 1 || IsBlank(delimiter);
  std::string text;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string& item = list[i];
    if (i > 0) text += delimiter;
    bool needsQuotes = item.empty() && quoteEmpty;
    for (char c : item) {
      if (IsBlank(c) || c == quote || c == delimiter) needsQuotes = true;
    }
    if (!needsQuotes) {
      text += item;
      continue;
    }
    text += quote;
    for (char c : item) {
      text += c;
      if (c == quote) text += quote;
    }
    text += quote;
  }
  return text;
}

}  // namespace orvane
