#include "search/ResultPage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/Log.h"
#include "base/OvException.h"
#include "base/Regex.h"
#include "base/StrUtils.h"
#include "search/DataPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

const char* const kHomeDocuments[] = {"index.htm",   "index.html",   "index.asp", "default.htm",
                                      "default.html", "default.asp", "default.php"};

bool PlainNumber(std::string_view text, int32_t& value) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  return TryStrToInt(text, value);
}

}  // namespace

TResultCount ReadResultCount(const TSearchEngines& engine, std::string_view page) {
  TResultCount count;
  const TRegex* regex = engine.ResultCountRegex();
  if (!regex) return count;
  TMatch match(*regex);
  if (!regex->Find(page, match)) return count;
  count.Matched = true;
  auto readPair = [&](const char* shown, const char* total) {
    if (PlainNumber(match.Named(shown), count.LastShown)) PlainNumber(match.Named(total), count.MaxResults);
  };
  if (!match.Named("ResultCount").empty())
    readPair("ResultCount", "MaxResultCount");
  else if (!match.Named("ResultCount2").empty())
    readPair("ResultCount2", "MaxResultCount2");
  // "ResultCount3" only recognises a page without results: nothing to read.
  return count;
}

void PageNumbers(int engine, int32_t lastShown, int32_t& pageCount, int32_t& firstRank) {
  PageNumbers(BuiltInShape(EngineName(engine)), lastShown, pageCount, firstRank);
}

void PageNumbers(const TEngineShape& shape, int32_t lastShown, int32_t& pageCount, int32_t& firstRank) {
  const int32_t perPage = shape.PerPage;
  if (shape.CountIsPageNumber) {
    pageCount = lastShown;  // MSN shows the page number
  } else {
    pageCount = lastShown / perPage + (lastShown % perPage != 0 ? 1 : 0);
  }
  // A page may claim any count; the rank of an absurd one must not overflow.
  const int64_t rank = (static_cast<int64_t>(pageCount) - 1) * perPage + 1;
  firstRank = static_cast<int32_t>(std::min<int64_t>(rank, std::numeric_limits<int32_t>::max()));
}

std::vector<std::string_view> SplitBlocks(const TSearchEngines& engine, std::string_view page) {
  std::vector<std::string_view> blocks;
  const TRegex* regex = engine.ResultBlockRegex();
  if (!regex) return blocks;
  // A page holds about its count of results: one allocation, not a growing list.
  blocks.reserve(static_cast<size_t>(std::max(engine.ResultsPerPage(), 0)) + 1);
  TMatch match(*regex);
  size_t from = 0;
  size_t blockStart = std::string_view::npos;
  while (from <= page.size() && regex->Find(page, from, match)) {
    if (blockStart != std::string_view::npos) blocks.push_back(page.substr(blockStart, match.Start() - blockStart));
    blockStart = match.End();
    from = match.End() > match.Start() ? match.End() : match.End() + 1;
  }
  if (blockStart != std::string_view::npos) blocks.push_back(page.substr(blockStart));
  return blocks;
}

std::string DecodeLink(std::string_view text) {
  std::string out;
  size_t bad = 0;
  if (!TryURLDecode(text, out, &bad))
    throw TOvException("Invalid URL escape at position " + IntToStr(static_cast<int64_t>(bad) + 1) + " of " +
                           std::string(text),
                       "ResultPage", "DecodeLink");
  return out;
}

TElementMatcher::TElementMatcher(const TSearchEngines& engine) {
  const auto& regexes = engine.ElementRegexes();
  for (size_t i = 0; i < regexes.size(); ++i) {
    if (!regexes[i]) continue;  // an empty item matches nothing
    const TRegex& regex = *regexes[i];
    patterns_.push_back({static_cast<int>(i), &regex, std::make_unique<TMatch>(regex), regex.GroupNumber("Title"),
                         regex.GroupNumber("Description"), regex.GroupNumber("Link")});
  }
}

TElementMatch TElementMatcher::Match(std::string_view block) {
  TElementMatch found;
  for (TPattern& pattern : patterns_) {
    if (!pattern.Regex->Find(block, *pattern.Data)) continue;
    found.Pattern = pattern.Index;
    found.Title = pattern.Data->Group(pattern.Title);
    found.Description = pattern.Data->Group(pattern.Description);
    found.Link = pattern.Data->Group(pattern.Link);
    break;
  }
  return found;
}

TBlockText ReadBlock(TElementMatcher& matcher, std::string_view block) {
  const TElementMatch found = matcher.Match(block);
  TBlockText fields;
  if (found.Pattern >= 0) {
    fields.Title = found.Title;
    fields.Description = found.Description;
    fields.Link = DecodeLink(found.Link);
  }
  fields.Parsed = !fields.Link.empty();
  if (fields.Parsed) {
    if (IsEmptyGroup(fields.Title)) fields.LinkTitle = fields.Link;
    if (fields.Description == "<") fields.Description = {};
  }
  return fields;
}

TBlockFields ParseBlock(const TSearchEngines& engine, std::string_view block) {
  TElementMatcher matcher(engine);
  TBlockText text = ReadBlock(matcher, block);
  TBlockFields fields;
  fields.Title = text.ShownTitle();
  fields.Description = text.Description;
  fields.Link = std::move(text.Link);
  fields.Parsed = text.Parsed;
  return fields;
}

namespace {

// Bytes that end a line under one of PCRE2's newline conventions.
bool IsLineBreak(char c) { return c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\x85' || c == '\0'; }

// Room for `size` bytes at the start of a buffer kept from text to text: its
// size only grows, and what it holds beyond a view handed out is stale.
char* Room(std::string& buffer, size_t size) {
  if (buffer.size() < size) buffer.resize(size);
  return buffer.data();
}

// Copies the bytes before the next "<" (all up to `end` when there is none)
// to `out`, which has room for as many bytes as lie from `at` to `end`;
// gives how many. The words between tags are short, so sixteen bytes are
// looked at and copied in one go rather than a call to memchr and memcpy for
// each.
size_t CopyToTag(const char* at, const char* end, char* out) {
  size_t copied = 0;
#if defined(__SSE2__)
  const __m128i open = _mm_set1_epi8('<');
  for (; end - at - static_cast<ptrdiff_t>(copied) >= 16; copied += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + copied));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + copied), chunk);  // bytes past the "<" are overwritten later
    const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, open)));
    if (hits) return copied + static_cast<size_t>(__builtin_ctz(hits));
  }
#endif
  for (; at + copied != end && at[copied] != '<'; ++copied) out[copied] = at[copied];
  return copied;
}

// What <.*?> removes: each "<" up to the next ">". A "<" without a ">" after
// it ends the matches, as it does the pattern's. Where "." stops at line
// breaks and a tag holds one, which "<" matches depends on the newline
// convention: npos, and the caller asks the pattern itself. Otherwise the
// length of what is left, written to `out` (room for the whole text).
size_t RemoveTags(std::string_view text, bool stopAtLineBreaks, char* out) {
  const char* const end = text.data() + text.size();
  const char* at = text.data();
  char* written = out;
  while (at != end) {
    const size_t words = CopyToTag(at, end, written);
    at += words;
    written += words;
    if (at == end) break;
    // Tags are short too: a plain walk to the ">".
    const char* close = at + 1;
    while (close != end && *close != '>') ++close;
    if (close == end) {
      std::memcpy(written, at, static_cast<size_t>(end - at));
      written += end - at;
      break;
    }
    if (stopAtLineBreaks && std::any_of(at + 1, close, IsLineBreak)) return std::string_view::npos;
    at = close + 1;
  }
  return static_cast<size_t>(written - out);
}

// What ".*?<note>.*?<end>" (caseless, "." stopping at line feeds) replaced by
// nothing leaves: on each line, from where the last cut ended, everything up
// to the first `end` after the first `note`. Written to `out` (room for the
// whole text); its length.
size_t CutNotes(std::string_view text, std::string_view note, std::string_view end, char* out) {
  char* written = out;
  size_t from = 0;
  while (from < text.size()) {
    const std::string_view line = text.substr(0, std::min(text.find('\n', from), text.size()));
    const size_t at = FindText(line, note, from);
    const size_t stop = at == std::string_view::npos ? at : FindText(line, end, at + note.size());
    if (stop != std::string_view::npos) {
      from = stop + end.size();
      continue;
    }
    const size_t next = std::min(line.size() + 1, text.size());
    std::memcpy(written, text.data() + from, next - from);
    written += next - from;
    from = next;
  }
  return static_cast<size_t>(written - out);
}

// A block is full of "<" but has few "q": look at each "q" as the one in
// the tag.
bool HasBlockquote(std::string_view block) {
  static constexpr std::string_view kTag = "<blockquote";
  constexpr size_t kQ = kTag.find('q');
  for (size_t q = block.find('q', kQ); q != std::string_view::npos; q = block.find('q', q + 1))
    if (block.substr(q - kQ, kTag.size()) == kTag) return true;
  return false;
}

}  // namespace

std::string_view TTextCleaner::Title(std::string_view text) {
  char* const out = Room(title_, text.size());
  return {out, RemoveTags(text, false, out)};
}

std::string_view TTextCleaner::Description(std::string_view text) {
  // Engine notes that are not part of the page's own description. A note
  // cannot be there without its words and its "]" or ":", and looking for
  // those is far cheaper than trying the pattern at every line.
  static const TRegex translate(".*?translate this page.*?]", TRegex::kCaseless);
  static const TRegex fileFormat(".*?file format:.*?<br>", TRegex::kCaseless);
  static const TRegex tag("<.*?>", TRegex::kCaseless);
  // `mark`: a byte that is no letter and that the note cannot be without.
  const auto cut = [](std::string_view text, const TRegex& regex, std::string_view note, std::string_view end,
                      char mark, std::string& buffer) -> std::string_view {
    if (text.find(mark) == std::string_view::npos || !ContainsText(text, note)) return text;
    if (TRegex::NewlineIsLineFeed()) {
      char* const out = Room(buffer, text.size());
      return {out, CutNotes(text, note, end, out)};
    }
    buffer = regex.ReplaceAll(text, "");
    return buffer;
  };
  text = cut(text, translate, "translate this page", "]", ']', translated_);
  text = cut(text, fileFormat, "file format:", "<br>", ':', formatted_);
  char* const out = Room(description_, text.size());
  const size_t length = RemoveTags(text, true, out);
  if (length != std::string_view::npos) return {out, length};
  description_ = tag.ReplaceAll(text, "");
  return description_;
}

std::string StripTags(std::string_view text) { return std::string(TTextCleaner().Title(text)); }

std::string CleanDescription(std::string_view text) { return std::string(TTextCleaner().Description(text)); }

bool NormaliseLink(int engine, std::string& link) { return NormaliseLink(BuiltInShape(EngineName(engine)), link); }

bool NormaliseLink(const TEngineShape& shape, std::string& link) {
  // Most links hold neither; they only need the trimming.
  if (link.find('<') != std::string::npos || link.find('"') != std::string::npos)
    link = ReplaceAll(StripTags(link), "\"", "");
  TrimInPlace(link);
  return ApplyLinkRules(shape, link);
}

bool IsHomePage(const TURI& uri) {
  if (uri.Path() != "/") return false;
  return uri.Document().empty() || std::any_of(std::begin(kHomeDocuments), std::end(kHomeDocuments),
                                               [&uri](const char* name) { return uri.Document() == name; });
}

std::string DomainExtension(std::string_view link, bool& hasPath) {
  // Only a "//" before any "/" ends a scheme; one inside the path of a link
  // without scheme must not cut the host away.
  const size_t scheme = link.find("//");
  if (scheme != std::string_view::npos && link.substr(0, scheme).find('/') == std::string_view::npos)
    link.remove_prefix(scheme + 2);
  const size_t slash = link.find('/');
  hasPath = slash != std::string_view::npos;
  if (hasPath) link = link.substr(0, slash);
  const size_t dot = link.rfind('.');
  // Host names are case-insensitive; the clusters compare extensions as bytes.
  return LowerCase(dot == std::string_view::npos ? link : link.substr(dot + 1));
}

std::string FileExtension(std::string_view link) {
  const size_t dot = link.rfind('.');
  if (dot == std::string_view::npos || link.find('?') != std::string_view::npos) return "";
  const size_t slash = link.rfind('/');
  if (slash != std::string_view::npos && dot < slash) return "";
  const std::string_view ext = link.substr(dot + 1);
  return ext.size() == 3 || ext.size() == 4 ? std::string(ext) : "";
}

void SaveDebugPage(const std::string& fileName, std::string_view text) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (out) out << text << '\n';
}

// ---- TResultPage ----

TResultPage::TResultPage(const TSearchEngines& engine, const TSearchQuery& query, std::string logModule,
                         std::string failedBlockFolder)
    : engine_(engine), query_(query), logModule_(std::move(logModule)), failedBlockFolder_(std::move(failedBlockFolder)) {}

namespace {

// A link that would run script or carry its own document is never a result,
// whatever the definition says.
bool ScriptLink(std::string_view link) {
  const std::string lower = LowerCase(link.substr(0, 16));
  return lower.starts_with("javascript:") || lower.starts_with("data:") || lower.starts_with("vbscript:");
}

}  // namespace

void TResultPage::ParseData(std::string_view page) {
  TDataPage read = engine_.Shape.Format == "json" ? ReadJsonPage(engine_.Shape, page) : ReadFeedPage(page);
  Results.clear();
  if (!read.Read) {
    Log(logModule_, engine_.Name + ": " + read.Error + "; no results from this page");
    return;
  }
  const int64_t perPage = engine_.Shape.PerPage;
  const int64_t first = static_cast<int64_t>(query_.Page) * perPage;
  // Without a total the page's own items tell how far the results go.
  const int64_t total = read.Total >= 0 ? read.Total : first + static_cast<int64_t>(read.Items.size());
  const int64_t shown = std::min(total, first + perPage);
  Count.Matched = true;
  Count.MaxResults = static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
  Count.LastShown = static_cast<int32_t>(shown);
  const int64_t pages = std::min<int64_t>((shown + perPage - 1) / perPage, engine_.Shape.MaxPages);
  // A page past the end is empty, unlike the last page an HTML engine shows
  // instead: then every page up to the end is still to be asked.
  PageCount = static_cast<int32_t>(first >= total ? pages + 1 : pages);
  FirstRank = static_cast<int32_t>(first + 1);
  int32_t rank = FirstRank;
  for (TDataItem& item : read.Items) {
    TBlockText fields;
    fields.Title = item.Title;
    fields.Description = item.Description;
    fields.Link = std::move(item.Link);
    fields.Parsed = true;
    if (!NormaliseLink(engine_.Shape, fields.Link) || ScriptLink(fields.Link)) continue;
    if (IsEmptyGroup(fields.Title)) fields.LinkTitle = fields.Link;
    Results.push_back(MakeResult(std::move(fields), false, rank++));
  }
  if (read.Items.empty() && total > first) Log(logModule_, engine_.Name + ": the list holds no result with a link");
}

void TResultPage::Parse(std::string_view page) {
  if (engine_.Shape.Format != "html") return ParseData(page);
  Count = ReadResultCount(engine_, page);
  PageNumbers(engine_.Shape, Count.LastShown, PageCount, FirstRank);
  if (PageCount > kMaxPages) throw TOvException("Current page number is too high", "SEQueryThread", "FetchParse");

  const std::vector<std::string_view> blocks = SplitBlocks(engine_, page);
  TElementMatcher matcher(engine_);
  TResultList parsed;
  parsed.reserve(blocks.size());
  int32_t rank = FirstRank;
  for (size_t i = 0; i < blocks.size(); ++i) {
    TBlockText fields = ReadBlock(matcher, blocks[i]);
    if (!fields.Parsed) {
      const int32_t number = query_.Page * engine_.Shape.PerPage + static_cast<int32_t>(i);
      SaveFailedBlock(blocks[i], number);
      Log(logModule_, "Failed to parse result " + IntToStr(number));
    }
    if (!NormaliseLink(engine_.Shape, fields.Link)) continue;
    // Google indents further results of the same site after a blockquote.
    const bool nested = engine_.Shape.NestedAfterBlockquote && i >= 1 && HasBlockquote(blocks[i - 1]);
    parsed.push_back(MakeResult(std::move(fields), nested, rank++));
  }
  Results = std::move(parsed);
}

std::unique_ptr<TResult> TResultPage::MakeResult(TBlockText fields, bool nested, int32_t rank) {
  auto result = std::make_unique<TResult>();
  result->Source.Engine = query_.Engine;
  result->Source.Task = query_.Task;
  result->Source.SearchKeywords = query_.SearchKeywords;
  result->Source.ProfileMark = query_.ProfileMark;
  result->Facts.IsNested = nested;
  result->Source.EngineRank = rank;
  if (query_.BoostOnly) {
    result->Source.Link = std::move(fields.Link);
    return result;
  }
  result->SetDescription(Trim(cleaner_.Description(fields.Description)));
  result->Source.Title = std::string(cleaner_.Title(fields.ShownTitle()));  // sized to the text
  result->Source.Link = std::move(fields.Link);

  // Engines often give links without a scheme; parse them as http.
  const std::string& link = result->Source.Link;
  result->Facts.IsHomePage = IsHomePage(result->URI());
  bool hasPath = false;
  result->Facts.DomainExt = DomainExtension(link, hasPath);
  const std::string fileExt = hasPath ? FileExtension(link) : std::string();
  result->Facts.FileExt = fileExt.empty() ? "other" : LowerCase(fileExt);
  return result;
}

void TResultPage::SaveFailedBlock(std::string_view block, int32_t number) const {
  if (failedBlockFolder_.empty()) return;
  SaveDebugPage(failedBlockFolder_ + engine_.Name + "_file_" + IntToStr(number) + ".htm", block);
}

}  // namespace orvane
