#include <gtest/gtest.h>

#include "host/HttpTypes.h"

namespace orvane {
namespace {

TEST(ParseParams, DecodesQueryPiecesInOrder) {
  const std::string form = "application/x-www-form-urlencoded";
  const struct { const char *target, *method; std::string contentType; const char* body; TParams expected; } rows[] = {
      {"/results.htm?id=3&x=a+b%2Bc", "GET", "", "", {"id=3", "x=a b+c"}},
      {"/results.htm", "GET", "", "", {}},
      {"/a?&x=&&", "GET", "", "", {"", "x=", "", ""}},
      // An encoded "&" or "=" is data, not a separator.
      {"/a?q=a%26b%3Dc", "GET", "", "", {"q=a&b=c"}},
      {"/a?q=100%&r=%zz&s=%4&t=%%41", "GET", "", "", {"q=100%", "r=%zz", "s=%4", "t=%A"}},
      {"/a?k=%e9t%E9", "GET", "", "", {"k=\xe9t\xe9"}},
      {"/a?c=3", "POST", form, "a=1&b=2", {"a=1", "b=2", "c=3"}},
      {"/a", "POST", form, "a=1+2", {"a=1 2"}},
      {"/a?c=3", "POST", form + "; charset=UTF-8", "a=1", {"a=1", "c=3"}},
      {"/a?c=3", "POST", "multipart/form-data", "a=1", {"c=3"}},
      {"/a?c=3", "GET", form, "a=1", {"c=3"}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ParseParams(row.target, row.method, row.contentType, row.body), row.expected) << row.target;
}

TEST(FindParam, MatchesWholeNamesWithoutCaseAndFirstWins) {
  const TParams params = {"", "idx=9", "Id=first", "id=second", "flag", "empty=", "RankId=a=b"};
  const struct { const char* name; bool found; const char* value; } rows[] = {
      {"id", true, "first"}, {"ID", true, "first"}, {"flag", true, ""}, {"empty", true, ""},
      {"rankid", true, "a=b"}, {"i", false, ""}, {"missing", false, ""}, {"", true, ""},
  };
  for (const auto& row : rows) {
    std::string value = "untouched";
    EXPECT_EQ(FindParam(params, row.name, value), row.found) << row.name;
    EXPECT_EQ(value, row.found ? row.value : "untouched") << row.name;
  }
}

TEST(GetParamInt, TrimsButRejectsTrailingText) {
  const struct { const char* entry; int32_t expected; } rows[] = {
      {"n=12", 12},      {"n=  12 ", 12},  {"n=\t-7\r\n", -7}, {"n=12x", -1},
      {"n=", -1},        {"n", -1},        {"n=1.5", -1},      {"n=99999999999", -1},
      {"n=2147483647", 2147483647},        {"other=5", -1},
  };
  for (const auto& row : rows) EXPECT_EQ(GetParamInt({row.entry}, "n", -1), row.expected) << row.entry;
}

TEST(GetParamStr, PresentButEmptyIsNotTheFallback) {
  const struct { TParams params; const char* expected; } rows[] = {
      {{"s="}, ""}, {{"s"}, ""}, {{"s=  a b  "}, "a b"}, {{"S=x", "s=y"}, "x"}, {{"t=x"}, "fallback"}, {{}, "fallback"},
  };
  for (const auto& row : rows) EXPECT_EQ(GetParamStr(row.params, "s", "fallback"), row.expected);
}

}  // namespace
}  // namespace orvane
