// TTimeLog: a step timer; each lap measures from the previous one and may
// become a log line "<caption><ms> ms." (callers end captions with a blank).
// Not shared: every handler or caller owns its own.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace orvane {

class TTimeLog {
 public:
  TTimeLog() { Start(); }
  void Start() { start_ = MonotonicNow(); }
  // Whole milliseconds since the last Start or Lap (halves to even).
  double Lap(const std::string& caption, bool doLog);

 private:
  TMonotonic start_;
};

}  // namespace orvane
