// How a request that another site makes through the user's browser is
// recognised. Which documents it may not ask for, the route table says
// (ChangesStateOrStartsWork, host/Routes.h).
#pragma once

#include <string>

#include "host/HttpTypes.h"

namespace orvane {

// Judged by Origin, else Sec-Fetch-Site, else the origin of Referer: each
// must name this server (http://127.0.0.1:PORT or http://localhost:PORT). A
// request with none of them is a typed address or a bookmark and passes.
bool ComesFromAnotherSite(const THttpRequest& request, int port);

}  // namespace orvane
