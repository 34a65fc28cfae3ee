// TSearchQuery: one request to one engine for one page of 100 results, and
// where its results go. Created and freed by the search orchestration around
// the query thread that uses it; borrows the task and the result list.
#pragma once

#include <cstdint>
#include <string>

#include "base/SharedText.h"
#include "search/Results.h"

namespace orvane {

class TSearchEngines;

class TSearchQuery {
 public:
  TSearchQuery(int32_t page, std::string searchKeywords, int32_t engine, int32_t profileMark, TTask* task,
               TResultList* results);

  // The search URL of `engine` (the definition of Engine) for the task's
  // keywords (and site, when the engine has a site URL) and this page, from
  // the engine's URL template: "http" for a loopback host, "https" for any
  // other. Blanks the template leaves are sent as "%20" by the HTTP client.
  // Without a definition a built-in engine gets its default shape and host;
  // any other gives an empty URL.
  std::string GetURL(const TSearchEngines* engine) const;
  // The scheme and the engine's host: where a person answers its CAPTCHA.
  std::string HomePage(const TSearchEngines* engine) const;

  int32_t Page;  // 0-based; the page shows results Page*100+1 to Page*100+100
  TSharedText SearchKeywords;
  int32_t Engine;
  int32_t ProfileMark;
  TTask* Task;
  TResultList* Results;
  // A page asked only for the meta boost: its results keep what the boost
  // reads (link, engine, place) and none of the texts.
  bool BoostOnly = false;
};

}  // namespace orvane
