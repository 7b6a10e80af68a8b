#include "iso_parse.h"

#include <gtest/gtest.h>

namespace kalendo {
namespace {

constexpr auto kInvalid = IsoError::Invalid;
constexpr auto kShort = IsoError::TooShort;
constexpr auto kTrailing = IsoError::Trailing;
constexpr auto kRange = IsoError::OutOfRange;

std::string shown(const IsoResult<DateTime>& r) {
  if (const auto* e = std::get_if<IsoError>(&r)) return std::string(iso_error_text(*e));
  std::string out;
  append_date_time(out, std::get<DateTime>(r));
  return out;
}

std::string err(IsoError e) {
  return std::string(iso_error_text(e));
}

// The accepted spellings and the errors of anchor dates are the binding's
// tables (test_arguments.py); these are the errors read left to right, which
// that table samples, and the fraction the answers drop.
TEST(NowGrammar, FirstFailureReadingLeftToRight) {
  // clang-format off
  const std::pair<const char*, IsoError> cases[] = {
      {"", kShort}, {"x", kInvalid}, {"2024-05-01 10:00:00", kInvalid}, {"2024-05-01t10:00:00", kInvalid},
      {"2024/05/01T10:00:00", kInvalid}, {"12024-01-01T00:00:00", kInvalid}, {"2024-06-05T100:00:00", kInvalid},
      {"+ 2024-06-05T10:00:00", kInvalid}, {"2024-05-01T10:00:00.abc", kInvalid}, {"2024-06-05", kShort},
      {"2024-06-05T", kShort}, {"2024-06-05T10:00:", kShort}, {"2024-05-01T10:00:00.", kShort}, {"+", kShort},
      {"2024-05-01T10:00:00Z", kTrailing}, {"2024-05-01T10:00:00+02:00", kTrailing},
      {"2024-05-01T10:00:00 .5", kTrailing}, {"2024-06-05T10:00:00:00", kTrailing},
      {"+300000-01-01T10:00:00Z", kTrailing}, {"2024-13-01T10:00", kRange}, {"2024-00-10T10:00:00", kRange},
      {"2024-06-00T10:00:00", kRange}, {"2024-05-01T24:00:00", kRange}, {"2024-05-01T10:60:00", kRange},
      {"2024-05-01T10:00:61", kRange}, {"2024-02-30T10:00", kShort}, {"2024-02-30T10:00:00", kRange},
      {"2023-02-29T00:00:00", kRange}, {"2024-06-31T10:00:00", kRange}, {"+262143-01-01T00:00:00", kRange},
      {"-262144-12-31T23:59:59", kRange}, {"+99999999999999999999999-01-01T00:00:00", kRange},
  };
  // clang-format on
  for (const auto& [text, want] : cases) {
    EXPECT_EQ(shown(parse_iso_date_time(text)), err(want)) << text;
  }
}

TEST(NowGrammar, FractionKeepsNineDigits) {
  const auto r = std::get<DateTime>(parse_iso_date_time("2024-06-05T10:00:00.123456789999"));
  EXPECT_EQ(r.time.nanos, 123456789u);
  const auto short_fraction = std::get<DateTime>(parse_iso_date_time("2024-06-05T10:00:00.25"));
  EXPECT_EQ(short_fraction.time.nanos, 250000000u);
  const auto leap = std::get<DateTime>(parse_iso_date_time("2016-12-31T23:59:60.5"));
  EXPECT_EQ(leap.time.secs, 86399u);
  EXPECT_EQ(leap.time.nanos, 1'500'000'000u);
}

}  // namespace
}  // namespace kalendo
