// Calendar arithmetic checked by sweeps, against brute force and its own
// inverses, and at both ends of the supported years.
#include <gtest/gtest.h>

#include <optional>

#include "dates.h"

namespace kalendo {
namespace {

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

const Date kFirst{kMinDays};  // -262143-01-01, a Thursday
const Date kLast{kMaxDays};   // +262142-12-31, a Monday

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
  // Some way past both ends, where the day's reading changes form.
  walk_days(kMaxDays, kMaxDays + 8'500'000);
  walk_days(kMinDays - 7'000'000, kMinDays);
  for (int64_t z = kMinDays; z <= kMaxDays; z += 997) {
    const Civil c = civil_from_days(z);
    ASSERT_EQ(days_from_civil(c.year, c.month, c.day), z);
  }
  EXPECT_EQ(Date::from_ymd(1970, 1, 1)->days, 0);
  EXPECT_EQ(ymd(2024, 6, 5).weekday(), kMonday + 2);
  EXPECT_EQ(ymd(kMinYear, 1, 1), kFirst);
  EXPECT_EQ(ymd(kMaxYear, 12, 31), kLast);
}

TEST(Dates, AddDaysAndSecondsStopAtTheEnds) {
  EXPECT_FALSE(Date::from_ymd(kMaxYear + 1, 1, 1));
  EXPECT_FALSE(Date::from_ymd(kMinYear - 1, 12, 31));
  EXPECT_FALSE(add_days(kLast, 1));
  EXPECT_EQ(add_days(kLast, 0), kLast);
  EXPECT_FALSE(add_days(kFirst, -1));
  EXPECT_FALSE(add_days(kLast, INT64_MAX));
  EXPECT_FALSE(add_days(kFirst, INT64_MIN));
  const DateTime t{ymd(2016, 12, 31), TimeOfDay{3600, 7}};
  EXPECT_EQ(add_seconds(t, -7200), (DateTime{ymd(2016, 12, 30), TimeOfDay{82800, 7}}));
  EXPECT_EQ(add_seconds(t, 86400 * 366)->date, ymd(2018, 1, 1));
  EXPECT_FALSE(add_seconds(t, INT64_MAX));
  EXPECT_FALSE(add_seconds(t, INT64_MIN));
  EXPECT_FALSE(add_seconds(DateTime{kLast, TimeOfDay{86399, 0}}, 1));
}

TEST(Dates, AddSecondsResolvesALeapSecondFirst) {
  const DateTime leap{ymd(2016, 12, 31), TimeOfDay{86399, 1'500'000'000}};
  // +1 h drops the extra second; -1 h counts from the next second.
  EXPECT_EQ(add_seconds(leap, 3600), (DateTime{ymd(2017, 1, 1), TimeOfDay{3599, 500'000'000}}));
  EXPECT_EQ(add_seconds(leap, -3600), (DateTime{ymd(2016, 12, 31), TimeOfDay{82800, 500'000'000}}));
  EXPECT_EQ(add_seconds(leap, 0), leap);
}

TEST(AddMonths, ClampsTheDayAndRefusesWhatCannotBeRepresented) {
  // clang-format off
  const std::tuple<Date, int64_t, std::optional<Date>> cases[] = {
      {ymd(2024, 1, 31), 1, ymd(2024, 2, 29)}, {ymd(2023, 1, 31), 1, ymd(2023, 2, 28)},
      {ymd(2024, 3, 31), -1, ymd(2024, 2, 29)}, {ymd(2024, 11, 15), 3, ymd(2025, 2, 15)},
      {ymd(2024, 1, 15), -13, ymd(2022, 12, 15)}, {ymd(0, 1, 1), -1, ymd(-1, 12, 1)},
      {ymd(kMaxYear, 11, 30), 1, ymd(kMaxYear, 12, 30)}, {ymd(2024, 6, 5), 0, ymd(2024, 6, 5)},
      {kLast, 1, std::nullopt}, {ymd(kMinYear, 1, 31), -1, std::nullopt},
      {ymd(2024, 6, 5), int64_t{1} << 40, std::nullopt}, {ymd(2024, 6, 5), INT32_MIN, std::nullopt},
  };
  // clang-format on
  for (const auto& [d, n, want] : cases) {
    EXPECT_EQ(add_months_checked(d, n), want) << d.days << " " << n;
    // The unchecked shift returns its input instead of none.
    if (n >= INT32_MIN && n <= INT32_MAX) {
      EXPECT_EQ(add_months(d, static_cast<int32_t>(n)), want.value_or(d)) << d.days << " " << n;
    }
  }
  EXPECT_EQ(add_months(ymd(2024, 6, 5), INT32_MAX), ymd(2024, 6, 5));
}

TEST(AddMonths, InverseHoldsWhereNoClampHappened) {
  for (int64_t z = days_from_civil(1990, 1, 1); z < days_from_civil(2010, 1, 1); z += 3) {
    const Date d{z};
    for (int32_t n : {1, -1, 7, -25, 1200}) {
      const Date there = add_months(d, n);
      if (there.day() == d.day()) {
        ASSERT_EQ(add_months(there, -n), d);
      } else {
        // A clamp lands on the last day of the target month.
        ASSERT_EQ(there.day(), days_in_month(there.year(), there.month()));
      }
    }
  }
}

TEST(Ranges, WeeksContainTheDateAndStartOnTheWeekStart) {
  for (int64_t z = 0; z < 60; ++z) {
    for (uint32_t ws = kMonday; ws <= kSunday; ++ws) {
      const DateRange r = *week_range(Date{z}, ws);
      ASSERT_LE(r.first, Date{z});
      ASSERT_EQ(days_between(r.first, r.last), 6);
      ASSERT_EQ(r.first.weekday(), ws);
    }
  }
  // Only a Thursday-first week fits after the first day; the week's first
  // day exists even where its last day does not.
  EXPECT_TRUE(week_range(kFirst, 3));
  EXPECT_FALSE(week_range(kFirst, kMonday));
  EXPECT_FALSE(week_range(kLast, kMonday));
  EXPECT_EQ(first_day_of_week(kLast, kMonday), kLast);
  EXPECT_FALSE(first_day_of_week(kFirst, kMonday));
}

// year -> leap, on both sides of year zero: divisibility does not depend on
// the sign.
const std::pair<int64_t, bool> kLeapYears[] = {
    {2024, true},   {2023, false},     {2000, true},      {1900, false},        {0, true},
    {-1, false},    {-4, true},        {-100, false},     {-400, true},         {-2000, true},
    {-1900, false}, {kMinYear, false}, {kMaxYear, false}, {kMaxYear - 2, true},
};

TEST(Dates, LeapYearsOnBothSidesOfYearZero) {
  for (const auto& [y, leap] : kLeapYears) {
    EXPECT_EQ(is_leap_year(y), leap) << y;
    EXPECT_EQ(days_in_month(y, 2), leap ? 29u : 28u) << y;
  }
}

TEST(Ranges, MonthsAndQuartersHaveTheirRealLastDays) {
  EXPECT_EQ(month_range(2100, 2)->last, ymd(2100, 2, 28));
  EXPECT_EQ(month_range(2000, 2)->last, ymd(2000, 2, 29));
  EXPECT_EQ(month_range(kMaxYear, 12)->last, kLast);
  EXPECT_EQ(month_range(kMinYear, 1)->first, kFirst);
  EXPECT_FALSE(month_range(kMaxYear + 1, 1));
  EXPECT_FALSE(month_range(2024, 13));
  for (uint32_t q = 1; q <= 4; ++q) {
    EXPECT_EQ(quarter_range(2024, q),
              (DateRange{ymd(2024, 3 * q - 2, 1), month_range(2024, 3 * q)->last}));
  }
  EXPECT_EQ(quarter_range(kMaxYear, 4)->last, kLast);
  EXPECT_FALSE(quarter_range(2024, 0));
}

// Brute force: step one day at a time.
Date step_to(Date d, uint32_t w, int dir) {
  while (d.weekday() != w)
    d = Date{d.days + dir};
  return d;
}

TEST(Weekdays, NextAndPreviousMatchStepping) {
  for (int64_t z = 0; z < 14; ++z) {
    for (uint32_t w = kMonday; w <= kSunday; ++w) {
      const Date d{z};
      ASSERT_EQ(next_weekday(d, w, false), step_to(d, w, 1));
      ASSERT_EQ(next_weekday(d, w, true), step_to(Date{z + 1}, w, 1));
      ASSERT_EQ(prev_weekday(d, w), step_to(Date{z - 1}, w, -1));
    }
  }
  EXPECT_FALSE(next_weekday(kLast, kSunday, true));
  EXPECT_FALSE(prev_weekday(kFirst, kMonday));
}

TEST(Weekdays, NthAndLastOfAMonth) {
  // Every day of a few years is the n-th and possibly the last of its kind.
  for (int64_t z = days_from_civil(2023, 1, 1); z < days_from_civil(2026, 1, 1); ++z) {
    const Date d{z};
    const Civil c = d.civil();
    const uint32_t n = (c.day - 1) / 7 + 1;
    ASSERT_EQ(nth_weekday_of_month(c.year, c.month, n, d.weekday()), d);
    const bool last = c.day + 7 > days_in_month(c.year, c.month);
    ASSERT_EQ(last_weekday_of_month(c.year, c.month, d.weekday()) == d, last);
  }
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, 5, kFriday));  // Fridays: 7, 14, 21, 28
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, 0, kFriday));
  EXPECT_FALSE(nth_weekday_of_month(2024, 13, 1, kFriday));
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, UINT32_MAX, kFriday));
  EXPECT_FALSE(nth_weekday_of_month(kMaxYear + 1, 1, 1, kMonday));
  EXPECT_EQ(last_weekday_of_month(kMaxYear, 12, kMonday), kLast);
  EXPECT_FALSE(last_weekday_of_month(kMinYear - 1, 12, kMonday));
}

}  // namespace
}  // namespace kalendo
