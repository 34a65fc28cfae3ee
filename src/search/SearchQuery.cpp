#include "search/SearchQuery.h"

#include "base/StrUtils.h"
#include "platform/HttpClient.h"
#include "search/SearchEngines.h"

namespace orvane {

namespace {

// Plain http only to this machine.
std::string SchemeFor(const std::string& host) { return IsLoopbackHost(URLHost("http://" + host)) ? "http" : "https"; }

}  // namespace

TSearchQuery::TSearchQuery(int32_t page, std::string searchKeywords, int32_t engine, int32_t profileMark, TTask* task,
                           TResultList* results)
    : Page(page),
      SearchKeywords(std::move(searchKeywords)),
      Engine(engine),
      ProfileMark(profileMark),
      Task(task),
      Results(results) {}

std::string TSearchQuery::GetURL(const TSearchEngines* engine) const {
  TEngineShape builtIn;
  TURLValues values;
  if (engine) {
    values.Host = engine->Host;
    values.Key = engine->Key;
  } else if (Engine >= 0 && Engine < kBuiltInEngines) {
    builtIn = BuiltInShape(EngineName(Engine));
    values.Host = builtIn.DefaultHost;
  } else {
    return "";
  }
  const TEngineShape& shape = engine ? engine->Shape : builtIn;
  values.Scheme = SchemeFor(values.Host);
  values.Keywords = FieldedKeywords(Task ? Task->Keywords : std::string(), shape, engine ? engine->Seperator : "");
  values.Site = Task ? Task->SiteOnly : std::string();
  values.Page = Page;
  values.PerPage = shape.PerPage;
  const bool siteSearch = !values.Site.empty() && !shape.SiteURL.empty();
  return ExpandURLTemplate(siteSearch ? shape.SiteURL : shape.URL, values);
}

std::string TSearchQuery::HomePage(const TSearchEngines* engine) const {
  const std::string host = engine ? engine->Host : BuiltInShape(EngineName(Engine)).DefaultHost;
  return SchemeFor(host) + "://" + host + "/";
}

}  // namespace orvane
