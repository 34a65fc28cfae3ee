#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"

namespace orvane {
namespace {

TDateTime LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

TEST(Clock, DateTimeTextLeavesOutTheTimeOnlyAtExactMidnight) {
  using std::chrono::milliseconds;
  const struct { TDateTime when; const char* text; } rows[] = {
      {LocalTime(2024, 2, 29, 0, 0, 0), "2024-02-29"},
      {LocalTime(2024, 2, 29, 0, 0, 1), "2024-02-29 00:00:01"},
      {LocalTime(2024, 2, 29, 0, 0, 0) + milliseconds(1), "2024-02-29 00:00:00"},
      {LocalTime(2024, 2, 28, 23, 59, 59) + milliseconds(999), "2024-02-28 23:59:59"},
      {LocalTime(2009, 12, 31, 13, 5, 9), "2009-12-31 13:05:09"},
  };
  for (const auto& row : rows) EXPECT_EQ(DateTimeText(row.when), row.text);
}

TEST(Clock, HttpDateIsGmtWithEnglishNames) {
  const struct { std::time_t seconds; const char* text; } rows[] = {
      {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
      {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
      {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
      {1735689599, "Tue, 31 Dec 2024 23:59:59 GMT"},
  };
  for (const auto& row : rows) EXPECT_EQ(HttpDateText(std::chrono::system_clock::from_time_t(row.seconds)), row.text);
}

}  // namespace
}  // namespace orvane
