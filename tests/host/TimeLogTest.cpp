#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "base/Regex.h"
#include "host/TimeLog.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::TestGlobal;

// Lets at least `ms` milliseconds pass on the monotonic clock.
void LetTimePass(int ms) {
  const TMonotonic until = MonotonicNow() + std::chrono::milliseconds(ms);
  while (MonotonicNow() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST(TimeLog, LapMeasuresFromThePreviousLapAndLogsOnlyWhenAsked) {
  TestGlobal global;
  TTimeLog timer;
  LetTimePass(60);
  const double first = timer.Lap("Hidden step ", false);
  const double second = timer.Lap("Sort results ", true);
  EXPECT_GE(first, 60);
  EXPECT_EQ(first, std::floor(first));
  EXPECT_LT(second, first);  // restarted by the silent lap
  timer.Lap("Glued", true);

  // Lines reach the file in posting order: once the last one is there, the
  // silent lap would be too.
  ASSERT_TRUE(global.LogHas("Glued"));
  const std::string log = global.LogText();
  EXPECT_EQ(log.find("Hidden step"), std::string::npos);
  static const TRegex kSortLine("^\\[[^]]+\\] \\[\\] Sort results \\d+ ms\\.\r$", TRegex::kMultiline);
  static const TRegex kGluedLine("^\\[[^]]+\\] \\[\\] Glued\\d+ ms\\.\r$", TRegex::kMultiline);
  EXPECT_TRUE(kSortLine.Matches(log)) << log;
  EXPECT_TRUE(kGluedLine.Matches(log)) << log;
}

}  // namespace
}  // namespace orvane
