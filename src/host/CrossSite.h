// Which requests another site must not be able to make through the user's
// browser, and how such a request is recognised. Every document that changes
// a session, a stored file or the preferences, or that starts work, is in
// one table here.
#pragma once

#include <string>

#include "host/HttpTypes.h"

namespace orvane {

// `doc` is the lower-cased document name without its leading "/".
bool ChangesStateOrStartsWork(const std::string& doc);

// Judged by Origin, else Sec-Fetch-Site, else the origin of Referer: each
// must name this server (http://127.0.0.1:PORT or http://localhost:PORT). A
// request with none of them is a typed address or a bookmark and passes.
bool ComesFromAnotherSite(const THttpRequest& request, int port);

}  // namespace orvane
