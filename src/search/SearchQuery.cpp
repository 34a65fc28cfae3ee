#include "search/SearchQuery.h"

#include "base/StrUtils.h"
#include "host/GlobalData.h"
#include "search/SearchEngines.h"

namespace orvane {

namespace {

std::string HostOf(int engine) {
  switch (engine) {
    case kGoogle: return Global ? Global->GoogleHost : "www.google.com";
    case kMSN: return Global ? Global->MSNHost : "search.msn.com";
    default: return Global ? Global->YahooHost : "search.yahoo.com";
  }
}

}  // namespace

TSearchQuery::TSearchQuery(int32_t page, std::string searchKeywords, int32_t engine, int32_t profileMark, TTask* task,
                           TResultList* results)
    : Page(page),
      SearchKeywords(std::move(searchKeywords)),
      Engine(engine),
      ProfileMark(profileMark),
      Task(task),
      Results(results) {}

std::string TSearchQuery::GetURL() const {
  const std::string keywords = URLEncode(Task ? Task->Keywords : std::string());
  const std::string site = Task ? Task->SiteOnly : std::string();
  const int64_t first = static_cast<int64_t>(Page) * TSearchEngines::kResultsPerPage;
  switch (Engine) {
    case kGoogle: {
      // The site goes in as typed: the engine reads "site:" operators raw.
      const std::string query = site.empty() ? keywords : "site:" + site + " " + keywords;
      return "http://" + HostOf(Engine) + "/search?num=100&start=" + IntToStr(first) + "&q=" + query +
             "&lr=lang_en";
    }
    case kMSN:
      return "http://" + HostOf(Engine) + "/results.aspx?q=language:en " + keywords +
             "&count=100&first=" + IntToStr(first + 1) + "&FORM=PORE";
    case kYahoo:
      return "http://" + HostOf(Engine) + "/search?_adv_prop=web&ei=UTF-8&va=" + keywords +
             "&fl=1&vl=lang_en&n=100&b=" + IntToStr(first + 1);
    default:
      return "";
  }
}

std::string TSearchQuery::HomePage() const { return "http://" + HostOf(Engine) + "/"; }

TSearchEngines* TSearchQuery::EngineDefinition() const { return Global ? Global->GetEngine(Engine) : nullptr; }

}  // namespace orvane
