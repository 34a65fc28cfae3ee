#include <mutex>
#include <shared_mutex>

#include "base/StrUtils.h"
#include "host/DesktopPages.h"
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

void ServeExport(TRequestHandler& handler, bool json) {
  THttpResponse& response = handler.Response;
  TSessionPtr session;
  {
    std::lock_guard guard(Global->SessionLock);
    session = Global->FindSession(GetParamInt(handler.Request.Params, "id", -1));
  }
  response.CacheControl = "no-cache";
  if (!session) {
    response.SetResponseNo(404);
    response.ContentType = "text/plain; charset=utf-8";
    response.ContentText = "No such search: it has expired, or it was never made.\n";
    return;
  }
  std::shared_lock guard(session->DataLock);
  response.ContentType = json ? "application/json; charset=utf-8" : "text/csv; charset=utf-8";
  response.ContentText = json ? ExportResultsJson(*session->Results) : ExportResultsCsv(*session->Results);
}

}  // namespace

void ServeOpenSearch(TRequestHandler& handler) {
  handler.Response.ContentType = "application/opensearchdescription+xml";
  handler.Response.ContentText = OpenSearchDescription(Global->GetAddress());
}

void ServeFind(TRequestHandler& handler) {
  // The address bar sends the typed words once encoded, in UTF-8; the
  // search wants them in Latin-1 and encoded twice, as the form sends them.
  std::string typed, keywords;
  FindParam(handler.Request.Params, "q", typed);
  if (!Utf8ToLatin1(typed, keywords)) keywords = typed;
  keywords = Trim(keywords);
  handler.Response.Redirect(keywords.empty() ? "/default.htm"
                                             : "/search?keywords=" + URLEncode(URLEncode(keywords)));
}

void ServeExportJson(TRequestHandler& handler) { ServeExport(handler, true); }

void ServeExportCsv(TRequestHandler& handler) { ServeExport(handler, false); }

}  // namespace orvane
