// TRegex: one compiled PCRE2 pattern (JIT where available). Compiled once and
// then shared read-only between threads; every match uses its own TMatch.
// All patterns of the system use Latin-1 character tables in which the
// Latin-1 letters count as word characters for \w, \W and \b; case folding
// stays ASCII-only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace orvane {

class TRegex;

// The offsets of one match. Reusable across matches of the same pattern.
class TMatch {
 public:
  explicit TMatch(const TRegex& regex);
  ~TMatch();
  TMatch(const TMatch&) = delete;
  TMatch& operator=(const TMatch&) = delete;

  // Group 0 is the whole match. An unset group is empty with Start npos.
  // Inline over the offsets kept here: they are read for every block of
  // every page.
  std::string_view Group(int number) const {
    if (!IsSet(number)) return {};
    const size_t start = offsets_[2 * number], end = offsets_[2 * number + 1];
    if (end < start) return {};  // \K can make a match end before it starts
    return subject_.substr(start, end - start);
  }
  std::string_view Named(const char* name) const;
  bool IsSet(int number) const {
    return number >= 0 && static_cast<size_t>(number) < pairs_ && offsets_[2 * number] != kUnset;
  }
  size_t Start(int number = 0) const { return IsSet(number) ? offsets_[2 * number] : std::string_view::npos; }
  size_t End(int number = 0) const { return IsSet(number) ? offsets_[2 * number + 1] : std::string_view::npos; }

 private:
  friend class TRegex;
  static constexpr size_t kUnset = ~size_t{0};  // PCRE2's mark of a group that took no part

  const TRegex& regex_;
  pcre2_real_match_data_8* data_;
  const size_t* offsets_;  // the match data's offset pairs, where they stay while it lives
  size_t pairs_;
  std::string_view subject_;
};

class TRegex {
 public:
  enum Flags : unsigned {
    kCaseless = 1,
    kMultiline = 2,
    kDotAll = 4,
    kExtended = 8,
    kUngreedy = 16,
    // The options of every engine pattern of the data file.
    kStandard = kCaseless | kMultiline | kDotAll | kExtended,
  };

  // Raises TOvException with PCRE2's message when the pattern does not compile.
  explicit TRegex(std::string_view pattern, unsigned flags = kStandard);
  ~TRegex();
  TRegex(const TRegex&) = delete;
  TRegex& operator=(const TRegex&) = delete;

  // Finds the first match at or after `start`. The subject must outlive the
  // match's views.
  bool Find(std::string_view subject, size_t start, TMatch& match) const;
  bool Find(std::string_view subject, TMatch& match) const { return Find(subject, 0, match); }
  bool Matches(std::string_view subject) const;

  // Replaces every match by `replacement` taken literally.
  std::string ReplaceAll(std::string_view subject, std::string_view replacement) const;
  // Removes every match, closing up the text where it stands: a long text
  // needs no second block.
  void RemoveAllIn(std::string& text) const;

  // Whether "." without kDotAll stops at "\n" alone (PCRE2's newline
  // convention is LF), so hand-written short cuts can tell lines apart.
  static bool NewlineIsLineFeed();

  // Group number of a named group, or -1.
  int GroupNumber(const char* name) const;
  int GroupCount() const;
  const std::string& Pattern() const { return pattern_; }

 private:
  friend class TMatch;
  // PCRE2's result code (>= 0 a match); raises on errors other than no match.
  int Run(std::string_view subject, size_t start, pcre2_real_match_data_8* data) const;
  // Calls onMatch(start, end) for each match from the start on.
  template <typename OnMatch>
  void ForEachMatch(std::string_view subject, OnMatch onMatch) const;

  std::string pattern_;
  pcre2_real_code_8* code_ = nullptr;
  bool jit_ = false;
};

}  // namespace orvane
