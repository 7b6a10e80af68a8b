#include <gtest/gtest.h>

#include "quote.h"
#include "types.h"

namespace kalendo {
namespace {

DateTime at(int64_t y, uint32_t mo, uint32_t d, uint32_t h, uint32_t mi, uint32_t s) {
  return DateTime{*Date::from_ymd(y, mo, d), TimeOfDay::hms(h, mi, s)};
}

std::string json(const Outcome& o) {
  std::string out;
  write_json(to_wire(o), out);
  return out;
}

TEST(Wire, FloatsAreShortestRoundTripWithPointZero) {
  struct Case {
    float f;
    const char* text;
  };
  // clang-format off
  const Case cases[] = {{0.95f, "0.95"}, {1.0f, "1.0"}, {0.7f - 0.1f, "0.59999996"},
                        {0.9f - 0.1f, "0.79999995"}, {0.05f, "0.05"}, {0.85f - 0.2f, "0.65000004"},
                        {0.0f, "0.0"}, {2.0f, "2.0"}};
  // clang-format on
  for (const Case& c : cases) {
    std::string out;
    append_json_float(out, c.f);
    EXPECT_EQ(out, c.text);
  }
  std::string nan;
  append_json_float(nan, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(nan, "null");
}

TEST(Wire, StringEscapes) {
  // clang-format off
  const std::pair<std::string_view, const char*> cases[] = {
      {"a\"b\\c\b\t\n\f\r\x1b\x01\x7f/\u2014\u00e9", "\"a\\\"b\\\\c\\b\\t\\n\\f\\r\\u001b\\u0001\x7f/\u2014\u00e9\""},
      {std::string_view("x\0y", 3), "\"x\\u0000y\""},
      {"a\xff" "b\xc3", "\"a\uFFFDb\uFFFD\""},  // stray bytes become U+FFFD
  };
  // clang-format on
  for (const auto& [text, want] : cases) {
    std::string out;
    append_json_string(out, text);
    EXPECT_EQ(out, want);
  }
}

TEST(Wire, InstantAndRangeObjects) {
  EXPECT_EQ(json(Outcome::resolved(
                {"next Friday, default 09:00", Value::instant(at(2024, 6, 7, 9, 0, 0)), 0.95f})),
            "{\"kind\":\"instant\",\"when\":\"2024-06-07T09:00:00\",\"confidence\":0.95,"
            "\"interpretation\":\"next Friday, default 09:00\"}");
  EXPECT_EQ(
      json(Outcome::resolved(
          {"m", Value::days(*Date::from_ymd(2024, 7, 1), *Date::from_ymd(2024, 7, 31)), 0.9f})),
      "{\"kind\":\"range\",\"start\":\"2024-07-01T00:00:00\",\"end\":\"2024-07-31T23:59:59\","
      "\"confidence\":0.9,\"interpretation\":\"m\"}");
}

TEST(Wire, AmbiguousAndNoParse) {
  EXPECT_EQ(json(Outcome::ambiguous({}, "why")),
            "{\"kind\":\"ambiguous\",\"candidates\":[],\"reason\":\"why\"}");
  EXPECT_EQ(json(Outcome::ambiguous({{"a", Value::instant(at(2024, 6, 5, 9, 0, 0)), 0.7f},
                                     {"b", Value::instant(at(2024, 6, 12, 9, 0, 0)), 0.6f}},
                                    "r")),
            "{\"kind\":\"ambiguous\",\"candidates\":[{\"kind\":\"instant\",\"when\":"
            "\"2024-06-05T09:00:00\",\"confidence\":0.7,\"interpretation\":\"a\"},{\"kind\":"
            "\"instant\",\"when\":\"2024-06-12T09:00:00\",\"confidence\":0.6,\"interpretation\":"
            "\"b\"}],\"reason\":\"r\"}");
  EXPECT_EQ(json(Outcome::no_parse("empty input")),
            "{\"kind\":\"no_parse\",\"reason\":\"empty input\"}");
}

TEST(Wire, DateTimeTexts) {
  struct Case {
    DateTime t;
    const char* text;
  };
  // clang-format off
  const Case cases[] = {
      {at(987, 1, 31, 23, 59, 59), "0987-01-31T23:59:59"}, {at(0, 1, 1, 0, 0, 0), "0000-01-01T00:00:00"},
      {at(-1, 6, 5, 10, 0, 0), "-0001-06-05T10:00:00"}, {at(10000, 1, 1, 0, 0, 0), "+10000-01-01T00:00:00"},
      {at(kMaxYear, 12, 31, 23, 59, 59), "+262142-12-31T23:59:59"},
      {at(kMinYear, 1, 1, 0, 0, 0), "-262143-01-01T00:00:00"},
      // A fraction is dropped; a leap second shows as second 60.
      {DateTime{*Date::from_ymd(2024, 6, 5), TimeOfDay{36930, 250'000'000}}, "2024-06-05T10:15:30"},
      {DateTime{*Date::from_ymd(2016, 12, 31), TimeOfDay{86399, 1'500'000'000}}, "2016-12-31T23:59:60"},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::string out;
    append_date_time(out, c.t);
    EXPECT_EQ(out, c.text);
  }
}

TEST(Quote, EscapesLikeTheCallerWouldReadIt) {
  struct Case {
    std::string_view text;
    const char* quoted;
  };
  // clang-format off
  const Case cases[] = {
      {"blorp", "\"blorp\""}, {"say \"hi\"", "\"say \\\"hi\\\"\""}, {"a\\b", "\"a\\\\b\""},
      {std::string_view("a\0b", 3), "\"a\\0b\""}, {"\t\r\n", "\"\\t\\r\\n\""}, {"it's", "\"it's\""},
      {"\x1b[31m", "\"\\u{1b}[31m\""}, {"\x01", "\"\\u{1}\""}, {"x\x7fy", "\"x\\u{7f}y\""},
      {"a\u0085b", "\"a\\u{85}b\""}, {"cafe\u0301", "\"cafe\\u{301}\""}, {"a\u200bb", "\"a\\u{200b}b\""},
      {"\u00a0", "\"\\u{a0}\""}, {"\U0001F600 \u660e\u65e5", "\"\U0001F600 \u660e\u65e5\""},
      {"\U000E0001", "\"\\u{e0001}\""}, {"\xff", "\"\\u{fffd}\""}, {"\xef\xbf\xbd", "\"\xef\xbf\xbd\""},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::string out;
    append_quoted(out, c.text);
    EXPECT_EQ(out, c.quoted);
  }
}

}  // namespace
}  // namespace kalendo
