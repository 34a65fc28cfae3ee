// The desktop-pages area of the route table: the pages beside the search
// workspace, each answered alone, before any session is looked up.
#pragma once

#include "host/RequestHandler.h"

namespace orvane {

// The browser's search description of this server.
void ServeOpenSearch(TRequestHandler& handler);
// The address-bar search: a redirect to the search as the form sends it.
void ServeFind(TRequestHandler& handler);
// The visible results of the session named by "id"; not found without one.
void ServeExportJson(TRequestHandler& handler);
void ServeExportCsv(TRequestHandler& handler);

}  // namespace orvane
