// TSessionView: what the pages read of one session, its stage outputs read
// only; TPageSettings: what they read of the process. Host makes both for a
// request while it holds the session's data lock shared; both borrow.
#pragma once

#include <cstdint>
#include <string>

#include "search/SearchEngines.h"

namespace orvane {

class TPredefined;
class TPreferences;
class TProfile;
class TResults;
class TSessionPanes;
struct TFetchTotals;

struct TSessionView {
  int32_t Id;
  const TResults& Results;
  const TPreferences& Preferences;
  const TProfile& Profile;
  const TSessionPanes& Panes;
  const TFetchTotals& Totals;
  const std::string& SavedResultsName;
};

struct TPageSettings {
  std::string Version;
  const TEngineList* Engines = nullptr;     // null: no added engine choices
  const TPredefined* Predefined = nullptr;  // the shared subject profiles
  std::string UserDir;                      // where saved searches are listed from
};

}  // namespace orvane
