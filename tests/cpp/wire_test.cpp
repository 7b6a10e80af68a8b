#include <gtest/gtest.h>

#include "quote.h"
#include "types.h"

namespace kalendo {
namespace {

// The JSON writer's pieces the Python tests cannot reach or cannot see byte
// for byte: a NaN, raw bytes that are not UTF-8, and the quoting of reasons.
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
  // Short texts are written in a buffer sized for six bytes an input byte;
  // longer ones are appended piece by piece: both sides of the bound, at
  // their worst, read the same.
  for (const std::size_t n : {158, 159, 160, 161, 400}) {
    std::string text(n, '\x01');
    std::string want = "\"";
    for (std::size_t i = 0; i < n; ++i)
      want += "\\u0001";
    if (n % 2 == 0) {
      text += "\"\xff";
      want += "\\\"\uFFFD";
    }
    want += '"';
    std::string out = "kept";
    append_json_string(out, text);
    EXPECT_EQ(out, "kept" + want) << n;
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
