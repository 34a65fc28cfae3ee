// The route table: every document the server answers by name, with what each
// phase of the request handler does for it. Document names are matched here
// alone; a document outside the table is served as the file of its name.
// The table is constant: any thread may read it.
#pragma once

#include <span>
#include <string>

namespace orvane {

class TRequestHandler;

// One step of a route, run on the request's handler.
using TRouteStep = void (*)(TRequestHandler&);

enum class TDispatch {
  kPhases,  // the session named by "id", then the action, filter and page phases
  kSearch,  // the session the search parameters choose or a new one, then the phases
  kAlone,   // answered by the page step alone: no session, no phases, no timing lines
};

// The steps that follow a route's filter, in this order, on the request's
// session under its DataLock.
enum TFollowUp : unsigned {
  kRebuildWords = 1,  // clear the highlights, rebuild the word clusters
  // Re-filter, then rebuild the word clusters unless one word is shown
  // alone without a narrowing text.
  kRefilter = 2,
  // Within kRefilter: a narrowing text cleared on a subject profile runs the
  // word-list filter in place of the word clusters.
  kNarrowWordList = 4,
  kClosingSort = 8,
  kSubjectPane = 16,  // rebuild the predefined-subject pane
};

struct TRoute {
  const char* Document;  // lower-case, without the leading "/"
  TDispatch Dispatch = TDispatch::kPhases;
  // Changes a session, a stored file or the preferences, or starts work:
  // refused when another site asks for it.
  bool ChangesState = false;
  TRouteStep Action = nullptr;
  bool ActionNeedsSession = false;  // skipped when the request has no session
  TRouteStep Filter = nullptr;      // needs a session; runs under its DataLock
  unsigned FollowUp = 0;            // TFollowUp flags
  // The page phase serves this file, or else runs Page; with neither, the
  // document is served as a file of its own name.
  const char* PageFile = nullptr;
  TRouteStep Page = nullptr;
};

std::span<const TRoute> Routes();
// Null when the document is not in the table.
const TRoute* FindRoute(const std::string& doc);

// The name the table knows a requested document by: lower-cased, without its
// leading "/", at most 1000 characters after it.
std::string DocumentName(const std::string& document);

bool ChangesStateOrStartsWork(const std::string& doc);

}  // namespace orvane
