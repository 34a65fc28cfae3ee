// The options frame's tags: the panes of the session and the state of every
// control, in a fixed order (the panes' own tags are filled after the panes
// are inserted). Reads the session only; the caller holds its DataLock.
#pragma once

#include <string>

#include "pages/SessionView.h"

namespace orvane {

void FillOptionsFrame(const TSessionView& session, const TPageSettings& settings, std::string& text);

// The level of a weight on the options frame's scale of ten: "no", "low",
// "medium", "high", or empty outside 0..10 (halves go to the even neighbour).
std::string WeightLevel(double x);

}  // namespace orvane
