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

TEST(NowGrammar, AcceptedForms) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"2024-06-05T14:20:10", "2024-06-05T14:20:10"}, {" 2024-5-1T10:00:00.123456789999 ", "2024-05-01T10:00:00"},
      {" 2024 - 06 - 05 T 10 : 00 : 00", "2024-06-05T10:00:00"}, {"2024-6-5T1:2:3", "2024-06-05T01:02:03"},
      {"2024-06-05T10:00:00\u3000", "2024-06-05T10:00:00"}, {"\u00a0+2024-06-05T10:00:00", "2024-06-05T10:00:00"},
      {"+10000-01-01T00:00:00", "+10000-01-01T00:00:00"}, {"987-1-31T23:59:59", "0987-01-31T23:59:59"},
      {"-1-6-5T10:0:0", "-0001-06-05T10:00:00"}, {"+262142-12-31T23:59:59", "+262142-12-31T23:59:59"},
      {"-262143-01-01T00:00:00", "-262143-01-01T00:00:00"}, {"2024-02-29T12:00:00", "2024-02-29T12:00:00"},
      {"2016-12-31T23:59:60", "2016-12-31T23:59:60"}, {"2024-06-05T10:00:60.5", "2024-06-05T10:00:60"},
  };
  // clang-format on
  for (const auto& [text, want] : cases)
    EXPECT_EQ(shown(parse_iso_date_time(text)), want) << text;
}

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

TEST(AnchorDateGrammar, DatesOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {" 2025-3-14 ", "2025-03-14"},           {"+2025-03-14", "2025-03-14"},
      {"2025 -03- 14\u3000", "2025-03-14"},    {"2024-13-01", "input is out of range"},
      {"2025-02-29", "input is out of range"}, {"2024-05-25T00:00:00", "trailing input"},
      {"2025-03-14x", "trailing input"},       {"2024/05/25", "input contains invalid characters"},
      {"2024-05", "premature end of input"},   {"", "premature end of input"},
  };
  for (const auto& [text, want] : cases) {
    const IsoResult<Date> r = parse_iso_date(text);
    const std::string got = std::holds_alternative<Date>(r) ? format_date(std::get<Date>(r))
                                                            : err(std::get<IsoError>(r));
    EXPECT_EQ(got, want) << text;
  }
}

}  // namespace
}  // namespace kalendo
