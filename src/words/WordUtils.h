// Word utilities: what a "word" is for ranking, highlighting and clustering,
// the keyword splitter, the site-name extractor and delimited lists. The
// objects here hold only a shared compiled pattern, so one instance may be
// used from several threads; each call keeps its own match state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// One word of a text: lower case, with its 1-based byte position.
struct TWord {
  std::string Text;
  int32_t Position = 0;

  bool operator==(const TWord&) const = default;
};
using TWordList = std::vector<TWord>;

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
