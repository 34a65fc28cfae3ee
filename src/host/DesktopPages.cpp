#include <mutex>
#include <shared_mutex>

#include "base/StrUtils.h"
#include "host/RequestHandler.h"
#include "pages/Export.h"
#include "search/Results.h"

namespace orvane {

namespace {

std::string OpenSearchDescription(const std::string& address) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<OpenSearchDescription xmlns=\"http://a9.com/-/spec/opensearch/1.1/\">\n"
         "  <ShortName>Orvane</ShortName>\n"
         "  <Description>Meta-search on this machine: ranked, clustered and sliced</Description>\n"
         "  <InputEncoding>UTF-8</InputEncoding>\n"
         "  <Url type=\"text/html\" method=\"get\" template=\"http://" +
         address + "/find?q={searchTerms}\"/>\n</OpenSearchDescription>\n";
}

}  // namespace

void TRequestHandler::ServeOpenSearch() {
  Response.ContentType = "application/opensearchdescription+xml";
  Response.ContentText = OpenSearchDescription(Global->GetAddress());
}

void TRequestHandler::ServeFind() {
  // The address bar sends the typed words once encoded, in UTF-8; the
  // search wants them in Latin-1 and encoded twice, as the form sends them.
  std::string typed, keywords;
  FindParam(Request.Params, "q", typed);
  if (!Utf8ToLatin1(typed, keywords)) keywords = typed;
  keywords = Trim(keywords);
  Response.Redirect(keywords.empty() ? "/default.htm" : "/search?keywords=" + URLEncode(URLEncode(keywords)));
}

void TRequestHandler::ServeExport(bool json) {
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->FindSession(GetParamInt(Request.Params, "id", -1));
  }
  Response.CacheControl = "no-cache";
  if (!session) {
    Response.SetResponseNo(404);
    Response.ContentType = "text/plain; charset=utf-8";
    Response.ContentText = "No such search: it has expired, or it was never made.\n";
    return;
  }
  std::shared_lock guard(session->DataLock);
  Response.ContentType = json ? "application/json; charset=utf-8" : "text/csv; charset=utf-8";
  Response.ContentText = json ? ExportResultsJson(*session->Results) : ExportResultsCsv(*session->Results);
}

}  // namespace orvane
