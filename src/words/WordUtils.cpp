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
  // digits, "_" and "/"; it is two characters long at least. Each byte's
  // part in that is looked up once, for its lower-case form.
  enum : uint8_t { kStart = 1, kPart = 2, kBlocks = 4, kUpper = 8 };
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  static const std::array<uint8_t, 256> kClass = [&] {
    const TRegex word("\\w", 0);
    std::array<uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
      const char c = lower(static_cast<char>(byte));
      const bool start = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
      const bool blocks = word.Matches(std::string(1, c)) || c == '&' || c == '.' || c == '#';
      table[static_cast<size_t>(byte)] = (start ? kStart | kPart : 0) | (c == '_' || c == '/' ? kPart : 0) |
                                         (blocks ? kBlocks : 0) | (c != static_cast<char>(byte) ? kUpper : 0);
    }
    return table;
  }();
  auto classOf = [&](size_t pos) { return kClass[static_cast<unsigned char>(text[pos])]; };
  words.clear();
  const size_t size = text.size();
  bool blocked = false;  // the byte before `pos` keeps a word from starting there
  for (size_t pos = 0; pos < size;) {
    const uint8_t kind = classOf(pos);
    if (!(kind & kStart) || blocked) {
      blocked = kind & kBlocks;
      ++pos;
      continue;
    }
    size_t end = pos + 1;
    uint8_t kinds = kind;
    for (; end < size && (classOf(end) & kPart); ++end) kinds |= classOf(end);
    if (end - pos >= 2) {
      TWord& word = words.emplace_back();
      word.Text.assign(text.data() + pos, end - pos);
      // Most words are lower case already.
      if (kinds & kUpper)
        for (char& c : word.Text) c = lower(c);
      word.Position = static_cast<int32_t>(pos + 1);
    }
    blocked = classOf(end - 1) & kBlocks;
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
