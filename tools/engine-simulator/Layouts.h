// The three result page layouts (Google-like, MSN-like, Yahoo-like, all of our
// own design) and the odd pages a failing engine sends. Pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Corpus.h"
#include "ResultList.h"
#include "SimQuery.h"

namespace orvane::sim {

struct TViewEntry {
  TDoc Doc;
  std::string Href;  // what the title links to (a redirect, a "/url?q=" box)
  int Rank = 0;      // 0 for a box the parser rejects
  bool Nested = false;
  bool NoSnippet = false;
  bool Untitled = false;
};

struct TPageView {
  const TSimQuery* Query = nullptr;
  std::string Keywords;  // as received, for the search box
  TEngineTotal Total;
  int First = 0, Last = 0, Page = 0, PageSize = 100;
  bool GroupedCount = false;
  std::vector<TViewEntry> Entries;
};

std::string HtmlEscape(std::string_view text);
// "1234567" -> "1,234,567".
std::string Grouped(int64_t value);

std::string RenderGoogle(const TPageView& view);
std::string RenderMSN(const TPageView& view);
std::string RenderYahoo(const TPageView& view);
std::string RenderJunk();
std::string RenderError(int status);
// What an engine shows instead of results when it wants a person: Google's
// "unusual traffic" CAPTCHA, MSN's challenge, Yahoo's consent form.
std::string RenderBlockPage(int engine);

}  // namespace orvane::sim
