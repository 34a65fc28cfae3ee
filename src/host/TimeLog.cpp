#include "host/TimeLog.h"

#include "base/StrUtils.h"
#include "host/GlobalData.h"

namespace orvane {

double TTimeLog::Lap(const std::string& caption, bool doLog) {
  const TMonotonic now = MonotonicNow();
  const double elapsed = std::chrono::duration<double, std::milli>(now - start_).count();
  const double ms = static_cast<double>(RoundHalfEven(elapsed));
  if (doLog) Log("", caption + FloatToStr(ms) + " ms.");
  start_ = now;
  return ms;
}

}  // namespace orvane
