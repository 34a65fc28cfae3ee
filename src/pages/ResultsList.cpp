#include "pages/ResultsList.h"

#include <algorithm>

#include "base/BigArray.h"
#include "base/Escape.h"
#include "base/LinkJudge.h"
#include "base/StrUtils.h"
#include "clusters/WordStorage.h"
#include "search/Results.h"
#include "words/Preferences.h"

namespace orvane {

namespace {

// The markup around one result's texts (link, breaks, the engine's place),
// what admin mode adds (the rank) and what one highlight adds, with room to
// spare.
constexpr size_t kMarkupPerResult = 128;
constexpr size_t kAdminMarkupPerResult = 64;
constexpr size_t kMarkupPerHighlight = 48;

// Never less room than this: with less, the heap served the next search's
// query threads worse (its parse measured a tenth slower) for a gain in the
// render too small to measure.
constexpr size_t kListRoomAtLeast = 500000;

// What the list of the visible results will take, a sixteenth more for
// entities, so that a long list gets its room at once instead of doubling.
size_t ListSizeEstimate(const TResults& results, const TPreferences& preferences) {
  const size_t markup = kMarkupPerResult + (preferences.AdminMode ? kAdminMarkupPerResult : 0);
  size_t bytes = 0;
  for (const auto& result : results.List) {
    if (!result->Marks.Visible) continue;
    // The link stands twice: as the address and as the text below.
    bytes += markup + result->Source.Title.size() + result->Description().size() + 2 * result->Source.Link.size() +
             kMarkupPerHighlight * result->Marks.HighLights.size();
  }
  return bytes + bytes / 16;
}

void AppendFontStart(std::string& out, const std::string& color) {
  out += "<font color=\"";
  out += color;
  out += "\">";
}

void HighlightWords(std::string& out, const std::string& text, uint8_t kind, const TResult& result) {
  // The records of this text, from the highest position down; one pair of
  // tags per position.
  std::vector<const THighLightData*> records;
  for (const THighLightData& record : result.Marks.HighLights)
    if (record.Kind == kind && record.Occurrence && !record.Word.empty()) records.push_back(&record);
  std::stable_sort(records.begin(), records.end(), [](const THighLightData* a, const THighLightData* b) {
    return CharPosOf(*a->Occurrence) > CharPosOf(*b->Occurrence);
  });
  struct TMark {
    size_t at;
    bool opens;
    const std::string* color;
  };
  std::vector<TMark> marks;
  int32_t lastPosition = -1;
  for (const THighLightData* record : records) {
    const int32_t position = CharPosOf(*record->Occurrence);
    if (position == lastPosition) continue;
    lastPosition = position;
    // 1-based; a place past the end inserts at the end.
    const size_t start = std::min(static_cast<size_t>(std::max(position, 1) - 1), text.size());
    const size_t end = std::min(start + record->Word.size(), text.size());
    marks.push_back({end, false, nullptr});
    marks.push_back({start, true, &record->Color});
  }
  // Each place of the original text; a word's end comes before the next
  // word's start at the same place.
  std::stable_sort(marks.begin(), marks.end(), [](const TMark& a, const TMark& b) {
    return a.at != b.at ? a.at < b.at : (!a.opens && b.opens);
  });
  size_t written = 0;
  for (const TMark& mark : marks) {
    AppendEngineText(out, std::string_view(text).substr(written, mark.at - written));
    written = mark.at;
    if (mark.opens)
      AppendFontStart(out, *mark.color);
    else
      out += "</font>";
  }
  AppendEngineText(out, std::string_view(text).substr(written));
}

void HighlightLink(std::string& out, const std::string& link, const TResult& result) {
  // Pieces of the link, each either text still to search or the word of an
  // earlier record: a later record never matches inside a font tag. A word
  // met before finds nothing more, since its every hit is a piece already.
  struct TPiece {
    size_t from, to;
    const THighLightData* record;  // none for text
  };
  std::vector<TPiece> pieces{{0, link.size(), nullptr}}, next;
  std::vector<std::string> words;
  std::string lowerLink;
  for (const THighLightData& record : result.Marks.HighLights) {
    if (record.Word.empty()) continue;
    std::string word = LowerCase(record.Word);
    if (std::find(words.begin(), words.end(), word) != words.end()) continue;
    if (lowerLink.empty()) lowerLink = LowerCase(link);
    next.clear();
    for (const TPiece& piece : pieces) {
      if (piece.record) {
        next.push_back(piece);
        continue;
      }
      const std::string_view lower = std::string_view(lowerLink).substr(piece.from, piece.to - piece.from);
      size_t from = 0;
      for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, from)) {
        if (at > from) next.push_back({piece.from + from, piece.from + at, nullptr});
        next.push_back({piece.from + at, piece.from + at + word.size(), &record});
        from = at + word.size();
      }
      if (from < lower.size()) next.push_back({piece.from + from, piece.to, nullptr});
    }
    pieces.swap(next);
    words.push_back(std::move(word));
  }
  for (const TPiece& piece : pieces) {
    if (piece.record) {
      AppendFontStart(out, piece.record->Color);
      AppendEngineText(out, piece.record->Word);
      out += "</font>";
    } else {
      AppendEngineText(out, std::string_view(link).substr(piece.from, piece.to - piece.from));
    }
  }
}

}  // namespace

void Highlight(std::string& out, const std::string& text, uint8_t kind, const TResult& result) {
  // Most results carry no highlight at all.
  if (result.Marks.HighLights.empty()) return AppendEngineText(out, text);
  if (kind == THighLightData::kLink)
    HighlightLink(out, text, result);
  else
    HighlightWords(out, text, kind, result);
}

std::string GetResultsHTML(const TResults& results, const TPreferences& preferences) {
  std::string html;
  AppendResultsHTML(html, results, preferences);
  return html;
}

void AppendResultsHTML(std::string& html, const TResults& results, const TPreferences& preferences) {
  ReserveFresh(html, html.size() + std::max(kListRoomAtLeast, ListSizeEstimate(results, preferences)));
  const TTask* firstTask = results.FirstTask();
  for (size_t i = 0; i < results.List.size(); ++i) {
    const TResult& result = *results.List[i];
    if (!result.Marks.Visible) continue;
    // A link the browser would run as script is shown as text only.
    const bool linked = IsSafeLink(result.Source.Link);
    if (!linked) {
      html += "<span class=\"regtext\">";
    } else {
      html += preferences.OpenInNewWindow ? "<a class=\"regtext\" target=\"_blank\" href=\"" : "<a class=\"regtext\" href=\"";
      AppendBrowserLink(html, result.Source.Link);
      html += "\">";
    }
    Highlight(html, result.Source.Title, THighLightData::kTitle, result);
    html += linked ? "</a><br/>" : "</span><br/>";
    Highlight(html, result.Description(), THighLightData::kDescription, result);
    html += "<div class=\"l\">";
    Highlight(html, result.Source.Link, THighLightData::kLink, result);
    html += "</div>";
    if (preferences.AdminMode) {
      html += "Orvane rank: <a href=\"#\" onclick=\"ExplainRank(";
      html += std::to_string(i);
      html += ")\">";
      html += std::to_string(result.GetTotalRank(results.Profile));
      html += "</a>";
    }
    const bool ofFirstTask = firstTask && result.Source.Task == firstTask;
    if (ofFirstTask) {
      html += "(Location ";
      html += std::to_string(result.Source.EngineRank);
      html += " on ";
      AppendEngineText(html, preferences.SEName);
      html += ")";
    }
    if (preferences.AdminMode || ofFirstTask) html += "<br/>";
    html += "<br/>";
  }
}

}  // namespace orvane
