// The template engine on arbitrary templates and arbitrary session texts.
// User text inserted where HTML is read must never bring a raw "<" with it.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "pages/TemplateEngine.h"
#include "search/Results.h"
#include "words/Preferences.h"
#include "words/Profile.h"

using namespace orvane;

namespace {

// The text that `tag` became between two fixed ends.
void CheckNoMarkup(const TPageContext& context, const std::string& page, const std::string& tag) {
  static const std::string kStart = "[[", kEnd = "]]";
  const std::string out = ReplaceTags(context, page, kStart + tag + kEnd);
  if (out.size() < kStart.size() + kEnd.size() || out.compare(0, kStart.size(), kStart) != 0 ||
      out.compare(out.size() - kEnd.size(), kEnd.size(), kEnd) != 0)
    std::abort();
  if (out.find('<', kStart.size()) < out.size() - kEnd.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TGlobal& global = fuzz::FuzzGlobal();
  const std::vector<std::string> texts = fuzz::Pieces(data, size, 6);
  // One session for every input: making one reads and writes the
  // preferences file, which would cost more than the templates.
  static TSessionData session(1, global.DataDir, false);
  session.Results->List.clear();
  session.Results->Tasks.clear();
  session.Preferences->ClearFilters(true, false);
  auto first = std::make_unique<TTask>();
  first->Keywords = texts[1];
  first->SiteOnly = texts[2];
  session.Results->Tasks.push_back(std::move(first));
  auto result = std::make_unique<TResult>();
  result->Source.Title = texts[3];
  result->Source.Link = texts[4];
  result->SetDescription(texts[5]);
  session.Results->AddResult(std::move(result));
  session.Results->Narrow = texts[2];
  TPreferences& preferences = *session.Preferences;
  const TSessionView view = session.View();
  const TPageContext context{session.Id, &view, 0, "0 / 1 = 0", "", Global->PageSettings()};

  CheckNoMarkup(context, "results.htm", "<ov:Keywords/>");
  CheckNoMarkup(context, "results.htm", "<ov:Narrow/>");
  CheckNoMarkup(context, "mainframe.htm", "<ov:ShowOnly/>");
  session.Results->Narrow.clear();
  const std::string& caption = texts[3];
  for (std::string* filter : {&preferences.ShowOnlyDomainExtGroup, &preferences.ShowOnlyFileExtGroup,
                              &preferences.ShowOnlyDomainExtension, &preferences.ShowOnlyFileExtension,
                              &preferences.ShowOnlyWord}) {
    *filter = caption;
    CheckNoMarkup(context, "mainframe.htm", "<ov:ShowOnly/>");
    filter->clear();
  }
  // Any template on every page kind: no crash, no hang.
  for (const char* page : {"mainframe.htm", "bottomframe.htm", "statistics.htm", "explainrank.htm", "default.htm"})
    ReplaceTags(context, page, texts[0]);
  return 0;
}
