// TEngineRest: the engines that answered "not now" (a 429 or a 503) and the
// time until which they are left alone. Global owns the one instance for the
// life of the process; nothing of it is stored. Its own mutex guards it, so
// any query thread may ask or record.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/Clock.h"

namespace orvane {

// "14:05": hours and minutes in local time, as a person reads the clock.
std::string ClockText(TDateTime when);

class TEngineRest {
 public:
  static constexpr long kDefaultSeconds = 60;  // an answer without Retry-After
  static constexpr long kMaxSeconds = 3600;

  // True for the statuses that put an engine to rest.
  static bool AsksForRest(long status) { return status == 429 || status == 503; }

  // retryAfterSeconds: -1 when the answer gave none. A later, shorter rest
  // does not cut an earlier one short.
  void Rest(int engine, long status, long retryAfterSeconds, TDateTime now = Now());
  // "resting until 14:05 (it answered 429)" while the engine rests, else empty.
  std::string RestingReason(int engine, TDateTime now = Now()) const;

 private:
  struct TRest {
    TDateTime Until;
    long Status = 0;
  };
  mutable std::mutex lock_;
  std::map<int, TRest> rests_;  // by engine index
};

}  // namespace orvane
