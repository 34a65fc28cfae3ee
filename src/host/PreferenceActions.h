// TPreferenceActions: the preferences-and-filters area of the route table,
// on one request's handler: the preference actions, the filters and the
// follow-up steps (re-filter, closing sort) the table names for them. Every
// handler here needs the request's session.
#pragma once

#include "host/RequestHandler.h"

namespace orvane {

class TPreferenceActions : TRequestArea {
 public:
  explicit TPreferenceActions(TRequestHandler& handler) : TRequestArea(handler) {}

  void HandleRequest_SavePreferences();
  void HandleRequest_SelectPredefined();
  void HandleRequest_FindNarrow();
  void HandleRequest_ChangePreferences();

  // The filters and the follow-up steps (TFollowUp flags); the caller holds
  // DataLock exclusively.
  void Filter_SelectWord();
  void Filter_SliceResults();
  void Filter_SliceStatisticsResults();
  void Filter_ShowOtherResults();
  void Filter_ChangeOrder();
  void RunFollowUps(unsigned steps);
};

}  // namespace orvane
