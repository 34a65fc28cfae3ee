#include "platform/Clock.h"

#include <ctime>

namespace orvane {

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string DateTimeText(TDateTime when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[32];
  const auto subSecond = when - std::chrono::system_clock::from_time_t(seconds);
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0 && subSecond.count() == 0;
  std::strftime(buffer, sizeof buffer, midnight ? "%Y-%m-%d" : "%Y-%m-%d %H:%M:%S", &local);
  return buffer;
}

std::string HttpDateText(TDateTime when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday], utc.tm_mday,
                kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return buffer;
}

}  // namespace orvane
