// The options frame's tags: the panes of the session and the state of every
// control, in a fixed order (the panes' own tags are filled after the panes
// are inserted). Reads the session only; the caller holds its DataLock.
#pragma once

#include <string>

namespace orvane {

class TSessionData;

void FillOptionsFrame(const TSessionData& session, std::string& text);

}  // namespace orvane
