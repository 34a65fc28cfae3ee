// Word utilities: what a "word" is for ranking, highlighting and clustering,
// the keyword splitter, the site-name extractor and delimited lists. The
// objects here hold only a shared compiled pattern, so one instance may be
// used from several threads; each call keeps its own match state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// One word of a text: lower case, with its 1-based byte position. From a
// TWordList, the text is a view into the list, valid until it changes.
struct TWord {
  std::string_view Text;
  int32_t Position = 0;

  bool operator==(const TWord&) const = default;
};

// The words of one text: their places, then their texts back to back, in
// one heap block. A search of 1,000 results keeps some 20,000 words for its
// clusters, and on a fresh session each byte of them is memory new to the
// process: a string and a vector per list cost two blocks and 56 bytes in
// every result, this one block and 16. A word's place takes four bytes when
// the text is shorter than 64 KB (all but a few), eight otherwise.
class TWordList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TWord;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TWord;

    const_iterator() = default;
    const_iterator(const TWordList* list, size_t index) : list_(list), index_(index) {}
    TWord operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() { return ++index_, *this; }
    const_iterator operator++(int) { return {list_, index_++}; }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }

   private:
    const TWordList* list_ = nullptr;
    size_t index_ = 0;
  };

  TWordList() = default;
  TWordList(std::initializer_list<TWord> words);
  TWordList(const TWordList& other) { CopyFrom(other); }
  TWordList(TWordList&& other) noexcept { *this = std::move(other); }
  TWordList& operator=(const TWordList& other);
  TWordList& operator=(TWordList&& other) noexcept;

  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void clear();
  TWord operator[](size_t index) const { return wide_ ? WordAt<TEntry>(index) : WordAt<TNarrowEntry>(index); }
  TWord front() const { return (*this)[0]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  // Copies the word's text, and the list with it: lists are made whole by
  // TSeperateWords, this is for the few built word by word.
  void push_back(TWord word);

  bool operator==(const TWordList& other) const;

 private:
  friend class TSeperateWords;  // fills a list in one go
  struct TEntry {
    uint32_t End = 0;  // of the word's text, from the first text byte
    int32_t Position = 0;
  };
  struct TNarrowEntry {  // the same, for a text shorter than 64 KB
    uint16_t End = 0;
    uint16_t Position = 0;
  };
  static_assert(alignof(TEntry) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

  template <typename Entry>
  TWord WordAt(size_t index) const {
    // An array of char begins the lifetime of the entries placed in it.
    const auto* ends = reinterpret_cast<const Entry*>(block_.get());
    const uint32_t start = index == 0 ? 0 : ends[index - 1].End;
    return {std::string_view(Text() + start, ends[index].End - start), static_cast<int32_t>(ends[index].Position)};
  }
  size_t EntryBytes() const { return wide_ ? sizeof(TEntry) : sizeof(TNarrowEntry); }
  size_t BlockBytes() const { return count_ * EntryBytes() + bytes_; }
  const char* Text() const { return block_.get() + count_ * EntryBytes(); }
  // Replaces the list; `ends` and `text` may not point into it.
  void Assign(const TEntry* ends, size_t count, const char* text, size_t bytes);
  void CopyFrom(const TWordList& other);

  std::unique_ptr<char[]> block_;  // none for an empty list
  uint32_t count_ = 0;
  uint32_t bytes_ : 31 = 0;  // of the texts
  uint32_t wide_ : 1 = 0;    // the places are TEntry, not TNarrowEntry
};

// Cuts a text into lower-case words of ASCII letters, digits, "_" and "/",
// at least two characters long. Words right after "&", "." or "#" are left
// out, so entity names and the tail of a host name never become words.
class TSeperateWords {
 public:
  TSeperateWords() = default;

  // Clears `words`, then appends every word of `text` in order.
  void Separate(std::string_view text, TWordList& words) const;
  TWordList Separate(std::string_view text) const;
};

// Reduces a text to its letters and digits, lower case, for substring tests.
// The entities &gt; &nbsp; &quot; &amp; &lt; go whole.
class TClearArgument {
 public:
  TClearArgument() = default;

  std::string Clear(std::string_view text) const;
  // The same into `out`, whose old content goes: a caller that keeps `out`
  // for many texts allocates only while it grows.
  void Clear(std::string_view text, std::string& out) const;
};

// Splits the keyword text of a request at blanks and "+" (double quotes
// dropped) into `list`; a doubled blank gives an empty keyword. `joined` is
// the whole keyword text cleaned by `cleaner`, keywords run together.
void SplitKeywords(std::string_view keywords, std::vector<std::string>& list, const TClearArgument& cleaner,
                   std::string& joined);

// Plain case-sensitive substring test. An empty needle occurs nowhere:
// doubled or outer blanks in the keywords give empty keywords, and matching
// them everywhere would rank every text.
bool Occurs(std::string_view text, std::string_view needle);
// 2 when `phrase` occurs in `text`, else 1 when one of `words` does, else 0.
int32_t WordPresence(std::string_view text, std::string_view phrase, const std::vector<std::string>& words);

// Finds one needle in many texts, skipping ahead by a table made once from
// the needle (Horspool's), so a text is mostly not read byte by byte. An
// empty needle occurs nowhere, as in Occurs.
class TNeedleFinder {
 public:
  explicit TNeedleFinder(std::string_view needle = {});

  // The first position of the needle in `text`, or npos.
  size_t Find(std::string_view text) const;

 private:
  std::string needle_;
  std::array<uint32_t, 256> skip_{};
};

// Counts the non-overlapping occurrences (from the start) of every keyword
// of a list in a text, in one pass over the text for up to 64 keywords: a
// keyword is compared only where its first two bytes stand. Made once per
// list; one instance may be used from several threads.
class TKeywordCounter {
 public:
  explicit TKeywordCounter(const std::vector<std::string>& keywords = {});

  // counts[i] becomes the number for keyword i; an empty keyword counts 0.
  void Count(std::string_view text, std::vector<int32_t>& counts) const;

 private:
  // The candidates: the keywords whose first two bytes stand at `pos`.
  void CountAt(std::string_view text, size_t pos, uint64_t candidates, std::array<size_t, 64>& next,
               std::vector<int32_t>& counts) const;
  void CountEach(std::string_view text, std::vector<int32_t>& counts) const;
  // Counts from the text's start, sixteen positions at a time, where the
  // keywords' first two bytes stand; gives where it stopped (the last
  // positions are left to the byte-by-byte scan).
  size_t CountByPairs(std::string_view text, std::array<size_t, 64>& next, std::vector<int32_t>& counts) const;

  std::vector<std::string> keywords_;
  bool oneScan_ = false;
  // Bit i of first_[b]: keyword i begins with byte b. Of second_[b]: its
  // second byte is b, or it is one byte long (then it is in lastByte_ too,
  // the keywords that may stand at a text's last byte).
  std::array<uint64_t, 256> first_{}, second_{};
  uint64_t lastByte_ = 0;
  // The distinct first two bytes of the keywords, when there are few (a
  // search's two or three words): compared sixteen positions at a time.
  // `AnySecond`: a one-byte keyword, any byte may follow.
  struct TPair {
    char First = 0, Second = 0;
    bool AnySecond = false;
    bool operator==(const TPair&) const = default;
  };
  static constexpr size_t kMaxPairs = 4;
  std::vector<TPair> pairs_;
};

// The part of a result URL's host and path that can hold a keyword: without
// "www.", the first host label of a longer host, the dots, the slashes and
// every "." + extension (e.g. "http://www.example.com/" with "com" gives
// "example"). `extension` is the domain extension without its dot.
std::string ExtractSiteName(std::string_view url, std::string_view extension);
// The same into `site`, whose old content goes (see TClearArgument::Clear).
void ExtractSiteName(std::string_view url, std::string_view extension, std::string& site);

// 1-based position of the last occurrence of `pattern` in `text`; 0 when
// there is none or the pattern is empty.
size_t LastPos(std::string_view pattern, std::string_view text);

// Replaces `list` by the items of a delimited text, read loosely: an item may
// be quoted (then it holds blanks, delimiters and doubled quotes for one
// quote); outside quotes a blank or control character ends an item too and
// blanks around items are dropped. Two delimiters in a row, or one at the
// end, give an empty item.
void SetDelimitedList(char delimiter, std::string_view text, std::vector<std::string>& list,
                      char quote = '"');
std::vector<std::string> SplitDelimited(char delimiter, std::string_view text, char quote = '"');

// The inverse: items joined by `delimiter`, quoted where they hold a blank,
// control character, the quote or the delimiter, so that SetDelimitedList
// gives the same items back.
std::string DelimitedText(char delimiter, const std::vector<std::string>& list, char quote = '"');

}  // namespace orvane
