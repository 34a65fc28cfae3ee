#include "words/WordUtils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Regex.h"
#include "base/StrUtils.h"

namespace orvane {

namespace {

// A thread keeps the room of the texts it split up to this size.
constexpr size_t kKeptScratch = 64 << 10;

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

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The byte each byte becomes when cleared (0: removed), asked of
// CleanPattern itself, once.
const std::array<char, 256>& KeptBytes() {
  static const std::array<char, 256> kept = [] {
    std::array<char, 256> table{};
    for (int byte = 1; byte < 256; ++byte) {
      const std::string cleared = CleanPattern().ReplaceAll(LowerCase(std::string(1, static_cast<char>(byte))), "");
      table[static_cast<size_t>(byte)] = cleared.size() == 1 ? cleared[0] : '\0';
    }
    return table;
  }();
  return kept;
}

// How many bytes a clear drops at an "&": a whole entity of CleanPattern
// (in any case), else the "&" alone.
size_t EntityLength(std::string_view text) {
  static constexpr std::string_view kEntities[] = {"&gt;", "&nbsp;", "&quot;", "&amp;", "&lt;"};
  for (const std::string_view entity : kEntities)
    if (SameText(text.substr(0, entity.size()), entity)) return entity.size();
  return 1;
}

// Whether `text` holds `part` at `pos`: for the short keywords of a search,
// a loop beats a call.
bool SameBytesAt(std::string_view text, size_t pos, std::string_view part) {
  if (text.size() - pos < part.size()) return false;
  for (size_t i = 0; i < part.size(); ++i)
    if (text[pos + i] != part[i]) return false;
  return true;
}

// Whether `text` holds `extension` at `pos`, both taken in any case.
bool ExtensionAt(std::string_view text, size_t pos, std::string_view extension) {
  if (text.size() - pos < extension.size()) return false;
  for (size_t i = 0; i < extension.size(); ++i)
    if (LowerAscii(text[pos + i]) != LowerAscii(extension[i])) return false;
  return true;
}

// Copies the word starting at `pos` to `out` lower-cased, and gives its
// length, when it ends within the sixteen bytes from `pos`: one load, one
// compare per kind of byte and one store instead of a lookup per byte and a
// call to copy it (the words of titles and descriptions are short). 0 when
// fewer than sixteen bytes are left or the word runs on past them; `out` has
// room for sixteen bytes.
size_t CopyShortWord(std::string_view text, size_t pos, char* out) {
#if defined(__SSE2__)
  if (pos + 16 > text.size()) return 0;
  auto between = [](__m128i bytes, char low, char high) {
    return _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(static_cast<char>(low - 1))),
                         _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(high + 1)), bytes));
  };
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
  // Capitals and small letters alike fall between "a" and "z" once bit 5 is set.
  const __m128i letters = between(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 'z');
  const __m128i marks =
      _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('_')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('/')));
  const __m128i part = _mm_or_si128(_mm_or_si128(letters, between(bytes, '0', '9')), marks);
  const int length = std::countr_one(static_cast<unsigned>(_mm_movemask_epi8(part)));
  if (length == 16) return 0;
  const __m128i capitals = _mm_and_si128(between(bytes, 'A', 'Z'), _mm_set1_epi8(0x20));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(bytes, capitals));
  return static_cast<size_t>(length);
#else
  (void)text, (void)pos, (void)out;
  return 0;
#endif
}

}  // namespace

static_assert(sizeof(TWordList) == 16, "every result keeps two");

TWordList::TWordList(std::initializer_list<TWord> words) {
  for (const TWord& word : words) push_back(word);
}

TWordList& TWordList::operator=(const TWordList& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

TWordList& TWordList::operator=(TWordList&& other) noexcept {
  block_ = std::move(other.block_);
  count_ = std::exchange(other.count_, 0);
  bytes_ = other.bytes_;
  wide_ = other.wide_;
  other.bytes_ = 0;
  return *this;
}

void TWordList::clear() {
  block_.reset();
  count_ = 0;
  bytes_ = 0;
}

void TWordList::CopyFrom(const TWordList& other) {
  std::unique_ptr<char[]> block(other.count_ ? new char[other.BlockBytes()] : nullptr);
  if (other.count_) std::memcpy(block.get(), other.block_.get(), other.BlockBytes());
  block_ = std::move(block);
  count_ = other.count_;
  bytes_ = other.bytes_;
  wide_ = other.wide_;
}

void TWordList::Assign(const TEntry* ends, size_t count, const char* text, size_t bytes) {
  if (count > UINT32_MAX || bytes >= (size_t{1} << 31)) throw std::length_error("word list too long");
  if (count == 0) return clear();
  constexpr size_t kNarrow = UINT16_MAX;
  const bool wide = bytes > kNarrow || std::any_of(ends, ends + count, [](const TEntry& entry) {
                      return entry.Position < 0 || static_cast<size_t>(entry.Position) > kNarrow;
                    });
  const size_t entryBytes = wide ? sizeof(TEntry) : sizeof(TNarrowEntry);
  std::unique_ptr<char[]> block(new char[count * entryBytes + bytes]);
  if (wide) {
    std::memcpy(block.get(), ends, count * sizeof(TEntry));
  } else {
    for (size_t i = 0; i < count; ++i) {
      const TNarrowEntry narrow{static_cast<uint16_t>(ends[i].End), static_cast<uint16_t>(ends[i].Position)};
      std::memcpy(block.get() + i * sizeof(TNarrowEntry), &narrow, sizeof(narrow));
    }
  }
  std::memcpy(block.get() + count * entryBytes, text, bytes);
  block_ = std::move(block);
  count_ = static_cast<uint32_t>(count);
  bytes_ = static_cast<uint32_t>(bytes);
  wide_ = wide;
}

void TWordList::push_back(TWord word) {
  std::vector<TEntry> ends;
  uint32_t end = 0;
  for (const TWord kept : *this) ends.push_back({end += static_cast<uint32_t>(kept.Text.size()), kept.Position});
  std::string text(Text(), bytes_);
  text.append(word.Text);
  ends.push_back({static_cast<uint32_t>(text.size()), word.Position});
  Assign(ends.data(), ends.size(), text.data(), text.size());
}

bool TWordList::operator==(const TWordList& other) const {
  if (size() != other.size()) return false;
  for (size_t i = 0; i < size(); ++i)
    if ((*this)[i] != other[i]) return false;
  return true;
}

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
  // The words go into room kept by the thread, sized for the most words a
  // text of this size can hold, and then into `words` without the spare
  // room a growing list leaves.
  thread_local std::string letters;
  thread_local std::vector<TWordList::TEntry> ends;
  const size_t size = text.size();
  if (letters.size() < size + 16) letters.resize(size + 16);  // a short word is stored sixteen bytes at a time
  if (ends.size() < size / 3 + 1) ends.resize(size / 3 + 1);
  char* out = letters.data();
  size_t count = 0;
  bool blocked = false;  // the byte before `pos` keeps a word from starting there
  for (size_t pos = 0; pos < size;) {
    const uint8_t kind = classOf(pos);
    if (!(kind & kStart) || blocked) {
      blocked = kind & kBlocks;
      ++pos;
      continue;
    }
    if (const size_t length = CopyShortWord(text, pos, out)) {
      if (length >= 2) {
        out += length;
        ends[count++] = {static_cast<uint32_t>(out - letters.data()), static_cast<int32_t>(pos + 1)};
      }
      blocked = classOf(pos + length - 1) & kBlocks;
      pos += length;
      continue;
    }
    size_t end = pos + 1;
    uint8_t kinds = kind;
    for (; end < size && (classOf(end) & kPart); ++end) kinds |= classOf(end);
    if (end - pos >= 2) {
      // Most words are lower case already.
      if (kinds & kUpper)
        for (size_t i = pos; i < end; ++i) *out++ = lower(text[i]);
      else
        out = std::copy(text.data() + pos, text.data() + end, out);
      ends[count++] = {static_cast<uint32_t>(out - letters.data()), static_cast<int32_t>(pos + 1)};
    }
    blocked = classOf(end - 1) & kBlocks;
    pos = end;
  }
  words.Assign(ends.data(), count, letters.data(), static_cast<size_t>(out - letters.data()));
  if (size > kKeptScratch) {
    letters = std::string();
    ends = std::vector<TWordList::TEntry>();
  }
}

TWordList TSeperateWords::Separate(std::string_view text) const {
  TWordList words;
  Separate(text, words);
  return words;
}

std::string TClearArgument::Clear(std::string_view text) const {
  std::string out;
  Clear(text, out);
  return out;
}

void TClearArgument::Clear(std::string_view text, std::string& out) const {
  // What removing CleanPattern from the lower-cased text leaves, in one pass:
  // every title and description goes through here for each ranking and
  // options frame. Each byte becomes at most one byte, so `out` is sized
  // once and cut back at the end.
  const std::array<char, 256>& kept = KeptBytes();
  out.resize(text.size());
  char* to = out.data();
  for (size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (c == '&') [[unlikely]] {
      pos += EntityLength(text.substr(pos));
      continue;
    }
    // Written either way, kept only when not removed: no branch per byte.
    *to = kept[static_cast<unsigned char>(c)];
    to += *to != '\0';
    ++pos;
  }
  out.resize(static_cast<size_t>(to - out.data()));
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

TNeedleFinder::TNeedleFinder(std::string_view needle) : needle_(needle) {
  const auto size = static_cast<uint32_t>(needle_.size());
  skip_.fill(size);
  // How far the window may move when this byte ends it; the needle's last
  // byte is left out, so no window is ever passed over.
  for (uint32_t i = 0; i + 1 < size; ++i) skip_[static_cast<unsigned char>(needle_[i])] = size - 1 - i;
}

size_t TNeedleFinder::Find(std::string_view text) const {
  const size_t size = needle_.size();
  if (size == 0 || text.size() < size) return std::string_view::npos;
  const char last = needle_.back();
  for (size_t pos = 0; pos <= text.size() - size;) {
    const char end = text[pos + size - 1];
    if (end == last && SameBytesAt(text, pos, needle_)) return pos;
    pos += skip_[static_cast<unsigned char>(end)];
  }
  return std::string_view::npos;
}

TKeywordCounter::TKeywordCounter(const std::vector<std::string>& keywords)
    : keywords_(keywords), oneScan_(keywords.size() <= 64) {
  if (!oneScan_) return;
  for (size_t i = 0; i < keywords_.size(); ++i) {
    const std::string& keyword = keywords_[i];
    if (keyword.empty()) continue;
    const uint64_t bit = uint64_t{1} << i;
    first_[static_cast<unsigned char>(keyword[0])] |= bit;
    if (keyword.size() > 1) {
      second_[static_cast<unsigned char>(keyword[1])] |= bit;
      continue;
    }
    for (uint64_t& mask : second_) mask |= bit;
    lastByte_ |= bit;
  }
  for (const std::string& keyword : keywords_) {
    if (keyword.empty()) continue;
    const TPair pair{keyword[0], keyword.size() > 1 ? keyword[1] : '\0', keyword.size() == 1};
    if (std::find(pairs_.begin(), pairs_.end(), pair) == pairs_.end()) pairs_.push_back(pair);
  }
  if (pairs_.size() > kMaxPairs) pairs_.clear();
}

void TKeywordCounter::Count(std::string_view text, std::vector<int32_t>& counts) const {
  counts.assign(keywords_.size(), 0);
  if (!oneScan_) return CountEach(text, counts);
  // Where the next occurrence of each keyword may begin, past the last one
  // counted.
  std::array<size_t, 64> next;
  std::fill_n(next.begin(), keywords_.size(), 0);
  auto byteAt = [&text](size_t pos) { return static_cast<unsigned char>(text[pos]); };
  const size_t size = text.size();
  // Both bytes are looked up every time: a branch on the first alone would
  // guess wrong at every other letter, and no step waits for the one before.
  for (size_t pos = CountByPairs(text, next, counts); pos + 1 < size; ++pos)
    if (const uint64_t candidates = first_[byteAt(pos)] & second_[byteAt(pos + 1)]) [[unlikely]]
      CountAt(text, pos, candidates, next, counts);
  if (size > 0)
    if (const uint64_t candidates = first_[byteAt(size - 1)] & lastByte_)
      CountAt(text, size - 1, candidates, next, counts);
}

void TKeywordCounter::CountAt(std::string_view text, size_t pos, uint64_t candidates, std::array<size_t, 64>& next,
                              std::vector<int32_t>& counts) const {
  for (; candidates; candidates &= candidates - 1) {
    const auto i = static_cast<size_t>(std::countr_zero(candidates));
    const std::string& keyword = keywords_[i];
    if (pos < next[i] || !SameBytesAt(text, pos, keyword)) continue;
    ++counts[i];
    next[i] = pos + keyword.size();
  }
}

size_t TKeywordCounter::CountByPairs(std::string_view text, std::array<size_t, 64>& next,
                                     std::vector<int32_t>& counts) const {
  size_t pos = 0;
#if defined(__SSE2__)
  if (pairs_.empty()) return pos;
  // Each chunk's sixteen positions and the bytes after them; a hit is then
  // checked against the tables as the byte-by-byte scan does.
  for (; pos + 17 <= text.size(); pos += 16) {
    const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
    const __m128i seconds = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos + 1));
    __m128i hits = _mm_setzero_si128();
    for (const TPair& pair : pairs_) {
      __m128i hit = _mm_cmpeq_epi8(firsts, _mm_set1_epi8(pair.First));
      if (!pair.AnySecond) hit = _mm_and_si128(hit, _mm_cmpeq_epi8(seconds, _mm_set1_epi8(pair.Second)));
      hits = _mm_or_si128(hits, hit);
    }
    for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(hits)); bits; bits &= bits - 1) {
      const size_t at = pos + static_cast<size_t>(std::countr_zero(bits));
      const uint64_t candidates =
          first_[static_cast<unsigned char>(text[at])] & second_[static_cast<unsigned char>(text[at + 1])];
      CountAt(text, at, candidates, next, counts);
    }
  }
#else
  (void)text, (void)next, (void)counts;
#endif
  return pos;
}

void TKeywordCounter::CountEach(std::string_view text, std::vector<int32_t>& counts) const {
  for (size_t i = 0; i < keywords_.size(); ++i) {
    const std::string& keyword = keywords_[i];
    if (keyword.empty()) continue;
    for (size_t at = text.find(keyword); at != std::string_view::npos; at = text.find(keyword, at + keyword.size()))
      ++counts[i];
  }
}

std::string ExtractSiteName(std::string_view url, std::string_view extension) {
  std::string site;
  ExtractSiteName(url, extension, site);
  return site;
}

void ExtractSiteName(std::string_view url, std::string_view extension, std::string& site) {
  // "www.", "http://" and the dots are looked for in the link as it is (the
  // words in any case); only the kept part is lower-cased, on its way out.
  const size_t size = url.size();
  const size_t www = FindText(url, "www.");
  const size_t firstDot = url.find('.');
  size_t from = size;  // where the kept part begins
  if (www != std::string_view::npos) {
    from = www + 4;
  } else if (firstDot == std::string_view::npos || firstDot == url.rfind('.')) {
    // One dot or none: the host is "name.ext", keep it all after the scheme.
    // Without "http://" the copy starts at the seventh character all the same.
    const size_t scheme = FindText(url, "http://");
    from = std::min(size, scheme == std::string_view::npos ? 6 : scheme + 7);
  } else {
    from = firstDot + 1;
  }
  // Left to right: every "." + extension goes (each hit taken after the
  // previous one, as a replace-all finds them), then the other dots and the
  // slashes.
  site.resize(size - from);
  size_t to = 0;
  for (size_t pos = from; pos < size;) {
    const char c = url[pos];
    if (c == '.' && ExtensionAt(url, pos + 1, extension)) {
      pos += 1 + extension.size();
      continue;
    }
    if (c != '.' && c != '/') site[to++] = LowerAscii(c);
    ++pos;
  }
  site.resize(to);
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
