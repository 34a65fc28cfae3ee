#include "search/EngineRest.h"

#include <algorithm>
#include <ctime>

namespace orvane {

std::string ClockText(TDateTime when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm parts{};
  localtime_r(&seconds, &parts);
  char text[8];
  std::strftime(text, sizeof text, "%H:%M", &parts);
  return text;
}

void TEngineRest::Rest(int engine, long status, long retryAfterSeconds, TDateTime now) {
  const long seconds = retryAfterSeconds < 0 ? kDefaultSeconds : std::min(retryAfterSeconds, kMaxSeconds);
  const TDateTime until = now + std::chrono::seconds(seconds);
  std::lock_guard guard(lock_);
  TRest& rest = rests_[engine];
  if (until > rest.Until) rest = {until, status};
}

std::string TEngineRest::RestingReason(int engine, TDateTime now) const {
  std::lock_guard guard(lock_);
  const auto found = rests_.find(engine);
  if (found == rests_.end() || found->second.Until <= now) return "";
  return "resting until " + ClockText(found->second.Until) + " (it answered " + std::to_string(found->second.Status) +
         ")";
}

}  // namespace orvane
