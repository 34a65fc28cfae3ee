// The "search" action of the request handler: the search parameters, the
// choice of session, and the search itself.
#include "host/OvException.h"
#include "host/RequestHandler.h"
#include "words/StrUtils.h"

namespace orvane {

int32_t TRequestHandler::CheckSearchParams() {
  const int32_t id = GetParamInt(Request.Params, "id", -1);
  std::string keywords = GetParamStr(Request.Params, "keywords", "");
  if (keywords.empty()) throw TOvException("No search keywords", "RequestHandler", "CheckSearchParams");
  Keywords = URLDecode(keywords);
  Site = GetParamStr(Request.Params, "site", "");
  SE = GetParamStr(Request.Params, "se", "1");
  if (Site == "127.0.0.1" || LowerCase(Site) == "localhost")
    throw TOvException("Cannot search within \r\nOrvane search results", "RequestHandler", "CheckSearchParams");
  (void)id;
  return -1;
}

void TRequestHandler::HandleRequest_Search() {}

}  // namespace orvane
