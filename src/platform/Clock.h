// Wall-clock and monotonic time. Wall time only appears in texts (log lines,
// HTTP dates); ages and durations use the monotonic clock.
#pragma once

#include <chrono>
#include <string>

namespace orvane {

using TDateTime = std::chrono::system_clock::time_point;
using TMonotonic = std::chrono::steady_clock::time_point;

inline TDateTime Now() { return std::chrono::system_clock::now(); }
inline TMonotonic MonotonicNow() { return std::chrono::steady_clock::now(); }
// CPU time the calling thread has used, in milliseconds: what our own work
// costs, apart from the time spent waiting.
double ThreadCpuMs();

// Local time as "YYYY-MM-DD HH:MM:SS"; the time part is left out at exactly
// midnight.
std::string DateTimeText(TDateTime when);
// RFC 7231 date, e.g. "Sun, 06 Nov 1994 08:49:37 GMT".
std::string HttpDateText(TDateTime when);

}  // namespace orvane
