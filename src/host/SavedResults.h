// TSavedResults: the saved-results area of the route table, on one request's
// handler: keep the session's search in a file of the user's folder, open one
// again in a session of its own without asking any engine, and delete one.
#pragma once

#include "host/RequestHandler.h"

namespace orvane {

class TSavedResults : TRequestArea {
 public:
  explicit TSavedResults(TRequestHandler& handler) : TRequestArea(handler) {}

  void HandleRequest_SaveResults();
  void HandleRequest_LoadResults();
  void HandleRequest_DeleteResults();
  // The page after a load: the search the results came from, in their session.
  void RedirectToLoadedSearch();

 private:
  // The session named by "id", or a new one when it names none.
  void FindOrCreateRequestedSession();
};

}  // namespace orvane
