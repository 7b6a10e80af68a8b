#include "dates.h"

#include <gtest/gtest.h>

namespace kalendo {
namespace {

// Walks every day of [from, to] checking that each follows the previous one
// on the calendar, converts back to itself and moves the weekday by one.
void walk_days(int64_t from, int64_t to) {
  Civil prev = civil_from_days(from);
  uint32_t weekday = Date{from}.weekday();
  for (int64_t z = from + 1; z <= to; ++z) {
    const Civil c = civil_from_days(z);
    const bool next_day = c.year == prev.year && c.month == prev.month && c.day == prev.day + 1;
    const bool next_month = c.year == prev.year && c.month == prev.month + 1 && c.day == 1 &&
                            prev.day == days_in_month(prev.year, prev.month);
    const bool next_year =
        c.year == prev.year + 1 && c.month == 1 && c.day == 1 && prev.month == 12 && prev.day == 31;
    ASSERT_TRUE(next_day || next_month || next_year) << z;
    ASSERT_EQ(days_from_civil(c.year, c.month, c.day), z);
    weekday = (weekday + 1) % 7;
    ASSERT_EQ(Date{z}.weekday(), weekday);
    prev = c;
  }
}

TEST(Dates, DaySuccessionAroundYearZeroAndAtBothEnds) {
  walk_days(days_from_civil(-2000, 1, 1), days_from_civil(2400, 12, 31));
  walk_days(kMinDays, kMinDays + 3 * 146097);
  walk_days(kMaxDays - 3 * 146097, kMaxDays);
}

TEST(Dates, RoundTripAcrossTheWholeRange) {
  for (int64_t z = kMinDays; z <= kMaxDays; z += 997) {
    const Civil c = civil_from_days(z);
    ASSERT_EQ(days_from_civil(c.year, c.month, c.day), z);
    ASSERT_GE(c.year, kMinYear);
    ASSERT_LE(c.year, kMaxYear);
  }
  EXPECT_EQ(civil_from_days(kMinDays).year, kMinYear);
  EXPECT_EQ(civil_from_days(kMaxDays).year, kMaxYear);
  EXPECT_EQ(civil_from_days(kMaxDays).day, 31u);
}

TEST(Dates, KnownDays) {
  EXPECT_EQ(Date::from_ymd(1970, 1, 1)->days, 0);
  EXPECT_EQ(Date::from_ymd(2024, 6, 5)->weekday(), 2u);  // a Wednesday
  EXPECT_EQ(Date::from_ymd(2000, 2, 29)->weekday(), 1u);
  EXPECT_FALSE(Date::from_ymd(2100, 2, 29));
  EXPECT_FALSE(Date::from_ymd(2023, 2, 29));
  EXPECT_FALSE(Date::from_ymd(2024, 13, 1));
  EXPECT_FALSE(Date::from_ymd(kMaxYear + 1, 1, 1));
  EXPECT_FALSE(Date::from_ymd(kMinYear - 1, 12, 31));
  EXPECT_EQ(Date::from_ymd(kMinYear, 1, 1)->days, kMinDays);
  EXPECT_EQ(Date::from_ymd(kMaxYear, 12, 31)->days, kMaxDays);
}

TEST(Dates, AddDaysStopsAtTheEnds) {
  const Date last{kMaxDays};
  EXPECT_FALSE(add_days(last, 1));
  EXPECT_EQ(add_days(last, 0), last);
  EXPECT_FALSE(add_days(Date{kMinDays}, -1));
  EXPECT_FALSE(add_days(last, INT64_MAX));
  EXPECT_FALSE(add_days(Date{kMinDays}, INT64_MIN));
}

DateTime moment(const char* ymd_unused, uint32_t secs, uint32_t nanos) {
  (void)ymd_unused;
  return DateTime{*Date::from_ymd(2016, 12, 31), TimeOfDay{secs, nanos}};
}

TEST(Dates, AddSecondsResolvesALeapSecondFirst) {
  const DateTime leap = moment("2016-12-31", 86399, 1'500'000'000);
  // +1 h drops the extra second: 00:59:59.5 the next day.
  const DateTime later = *add_seconds(leap, 3600);
  EXPECT_EQ(later.date, *Date::from_ymd(2017, 1, 1));
  EXPECT_EQ(later.time, (TimeOfDay{3599, 500'000'000}));
  // -1 h counts from the next second: 23:00:00.5.
  const DateTime earlier = *add_seconds(leap, -3600);
  EXPECT_EQ(earlier.date, *Date::from_ymd(2016, 12, 31));
  EXPECT_EQ(earlier.time, (TimeOfDay{82800, 500'000'000}));
  EXPECT_EQ(*add_seconds(leap, 0), leap);
}

TEST(Dates, AddSecondsCarriesDaysBothWays) {
  const DateTime t = moment("2016-12-31", 3600, 7);
  EXPECT_EQ(add_seconds(t, -7200)->date, *Date::from_ymd(2016, 12, 30));
  EXPECT_EQ(add_seconds(t, -7200)->time, (TimeOfDay{82800, 7}));
  EXPECT_EQ(add_seconds(t, 86400 * 366)->date, *Date::from_ymd(2018, 1, 1));
  EXPECT_FALSE(add_seconds(t, INT64_MAX));
  EXPECT_FALSE(add_seconds(t, INT64_MIN));
  EXPECT_FALSE(add_seconds(DateTime{Date{kMaxDays}, TimeOfDay{86399, 0}}, 1));
}

TEST(Dates, YearTexts) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0000"},   {7, "0007"},          {9999, "9999"},      {10000, "+10000"},
      {-1, "-0001"}, {-262143, "-262143"}, {262142, "+262142"},
  };
  for (const auto& [year, text] : cases) {
    std::string out;
    append_year(out, year);
    EXPECT_EQ(out, text);
  }
}

}  // namespace
}  // namespace kalendo
