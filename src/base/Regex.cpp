#define PCRE2_CODE_UNIT_WIDTH 8
#include "base/Regex.h"

#include <pcre2.h>

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/OvException.h"

namespace orvane {

namespace {

// Layout of PCRE2's character tables (see pcre2_maketables): lower-case map,
// flip-case map, ten 32-byte class bitmaps, then the ctypes byte per code.
constexpr size_t kLowerCase = 0;
constexpr size_t kClassBits = 512;
constexpr size_t kCtypes = 512 + 320;
constexpr size_t kTablesLength = 512 + 320 + 256;
constexpr size_t kWordBits = 160;  // offset of the "word" bitmap in the class bits
constexpr uint8_t kCtypeLetter = 0x02;
constexpr uint8_t kCtypeWord = 0x10;

bool IsLatin1Letter(int c) { return (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) || c == 0xAA || c == 0xB5 || c == 0xBA; }

// Built once: the C-locale tables with the Latin-1 letters added to the word
// characters. Case maps stay ASCII-only on purpose.
const uint8_t* Latin1Tables() {
  static const std::vector<uint8_t> tables = [] {
    const uint8_t* base = pcre2_maketables(nullptr);
    std::vector<uint8_t> copy(base, base + kTablesLength);
    pcre2_maketables_free(nullptr, base);
    for (int c = 0x80; c < 0x100; ++c) {
      if (!IsLatin1Letter(c)) continue;
      copy[kClassBits + kWordBits + c / 8] |= static_cast<uint8_t>(1u << (c % 8));
      copy[kCtypes + c] |= kCtypeWord | kCtypeLetter;
    }
    (void)kLowerCase;
    return copy;
  }();
  return tables.data();
}

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  pcre2_get_error_message(code, buffer, sizeof buffer);
  return reinterpret_cast<const char*>(buffer);
}

// A JIT stack per thread: the default 32 KB is too small for long pages
// matched with dot-all patterns.
pcre2_match_context* ThreadMatchContext() {
  struct Context {
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_jit_stack* stack = pcre2_jit_stack_create(32 * 1024, 4 * 1024 * 1024, nullptr);
    Context() { pcre2_jit_stack_assign(context, nullptr, stack); }
    ~Context() {
      pcre2_jit_stack_free(stack);
      pcre2_match_context_free(context);
    }
  };
  thread_local Context context;
  return context.context;
}

// Room for the whole match only, made once per thread: ReplaceAll and
// Matches need no groups, and PCRE2 fills what fits (its result is then 0).
pcre2_match_data* WholeMatchData() {
  struct Data {
    pcre2_match_data* data = pcre2_match_data_create(1, nullptr);
    ~Data() { pcre2_match_data_free(data); }
  };
  thread_local Data data;
  return data.data;
}

}  // namespace

TMatch::TMatch(const TRegex& regex)
    : regex_(regex),
      data_(pcre2_match_data_create_from_pattern(regex.code_, nullptr)),
      offsets_(pcre2_get_ovector_pointer(data_)),
      pairs_(pcre2_get_ovector_count(data_)) {
  static_assert(std::is_same_v<PCRE2_SIZE, size_t> && PCRE2_UNSET == kUnset);
}

TMatch::~TMatch() { pcre2_match_data_free(data_); }

std::string_view TMatch::Named(const char* name) const { return Group(regex_.GroupNumber(name)); }

TRegex::TRegex(std::string_view pattern, unsigned flags) : pattern_(pattern) {
  uint32_t options = 0;
  if (flags & kCaseless) options |= PCRE2_CASELESS;
  if (flags & kMultiline) options |= PCRE2_MULTILINE;
  if (flags & kDotAll) options |= PCRE2_DOTALL;
  if (flags & kExtended) options |= PCRE2_EXTENDED;
  if (flags & kUngreedy) options |= PCRE2_UNGREEDY;
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  pcre2_set_character_tables(context, Latin1Tables());
  int error = 0;
  PCRE2_SIZE offset = 0;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(), options, &error, &offset,
                        context);
  pcre2_compile_context_free(context);
  if (!code_)
    throw TOvException("Invalid pattern at offset " + std::to_string(offset) + ": " + ErrorText(error), "Regex",
                       "Compile");
  jit_ = pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE) == 0;  // else the interpreter runs it
}

TRegex::~TRegex() { pcre2_code_free(code_); }

int TRegex::Run(std::string_view subject, size_t start, pcre2_match_data* data) const {
  const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
  // The JIT entry skips the option checks pcre2_match repeats on every call.
  const int rc = jit_ ? pcre2_jit_match(code_, text, subject.size(), start, 0, data, ThreadMatchContext())
                      : pcre2_match(code_, text, subject.size(), start, 0, data, ThreadMatchContext());
  if (rc >= 0) return rc;
  if (rc == PCRE2_ERROR_NOMATCH) return rc;
  throw TOvException("Pattern match failed: " + ErrorText(rc), "Regex", "Find");
}

bool TRegex::Find(std::string_view subject, size_t start, TMatch& match) const {
  match.subject_ = subject;
  if (start > subject.size()) return false;
  return Run(subject, start, match.data_) >= 0;
}

bool TRegex::Matches(std::string_view subject) const {
  // Only whether it matches: the whole-match offsets are enough room.
  return Run(subject, 0, WholeMatchData()) >= 0;
}

template <typename OnMatch>
void TRegex::ForEachMatch(std::string_view subject, OnMatch onMatch) const {
  pcre2_match_data* data = WholeMatchData();
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
  size_t searchFrom = 0;
  while (searchFrom <= subject.size() && Run(subject, searchFrom, data) >= 0) {
    const size_t start = ovector[0], end = ovector[1];
    onMatch(start, end);
    // After an empty match the search goes on one byte further, so the loop
    // always advances.
    searchFrom = end == start ? end + 1 : end;
  }
}

std::string TRegex::ReplaceAll(std::string_view subject, std::string_view replacement) const {
  std::string out;
  out.reserve(subject.size());
  size_t pos = 0;
  ForEachMatch(subject, [&](size_t start, size_t end) {
    out.append(subject.substr(pos, start - pos));
    out.append(replacement);
    pos = end;
    if (end == start) {
      // Empty match: the byte after it stays.
      if (end < subject.size()) out += subject[end];
      pos = end + 1;
    }
  });
  if (pos < subject.size()) out.append(subject.substr(pos));
  return out;
}

void TRegex::RemoveAllIn(std::string& text) const {
  // The matches are all found on the text as it stands before anything
  // moves; an empty match removes nothing.
  std::vector<std::pair<size_t, size_t>> spans;
  ForEachMatch(text, [&](size_t start, size_t end) {
    if (end > start) spans.emplace_back(start, end);
  });
  if (spans.empty()) return;
  size_t write = spans[0].first;
  for (size_t i = 0; i < spans.size(); ++i) {
    const size_t from = spans[i].second;
    const size_t to = i + 1 < spans.size() ? spans[i + 1].first : text.size();
    std::memmove(text.data() + write, text.data() + from, to - from);
    write += to - from;
  }
  text.resize(write);
}

bool TRegex::NewlineIsLineFeed() {
  static const bool lineFeed = [] {
    uint32_t newline = 0;
    return pcre2_config(PCRE2_CONFIG_NEWLINE, &newline) >= 0 && newline == PCRE2_NEWLINE_LF;
  }();
  return lineFeed;
}

int TRegex::GroupNumber(const char* name) const {
  const int number = pcre2_substring_number_from_name(code_, reinterpret_cast<PCRE2_SPTR>(name));
  return number < 0 ? -1 : number;
}

int TRegex::GroupCount() const {
  uint32_t count = 0;
  pcre2_pattern_info(code_, PCRE2_INFO_CAPTURECOUNT, &count);
  return static_cast<int>(count);
}

}  // namespace orvane
