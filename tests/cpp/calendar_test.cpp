// The calendar operations the matchers share, checked against brute force
// and their own inverses, and at both ends of the supported years.
#include <gtest/gtest.h>

#include "dates.h"

namespace kalendo {
namespace {

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

TEST(AddMonths, ClampsTheDayToTheTargetMonth) {
  EXPECT_EQ(add_months(ymd(2024, 1, 31), 1), ymd(2024, 2, 29));
  EXPECT_EQ(add_months(ymd(2023, 1, 31), 1), ymd(2023, 2, 28));
  EXPECT_EQ(add_months(ymd(2024, 3, 31), -1), ymd(2024, 2, 29));
  EXPECT_EQ(add_months(ymd(2024, 11, 15), 3), ymd(2025, 2, 15));
  EXPECT_EQ(add_months(ymd(2024, 1, 15), -13), ymd(2022, 12, 15));
  EXPECT_EQ(add_months(ymd(0, 1, 1), -1), ymd(-1, 12, 1));
}

TEST(AddMonths, UnrepresentableShiftsReturnTheInputOrNone) {
  const Date last = ymd(kMaxYear, 12, 31);
  EXPECT_EQ(add_months(last, 1), last);
  EXPECT_EQ(add_months(ymd(2024, 6, 5), INT32_MIN), ymd(2024, 6, 5));
  EXPECT_EQ(add_months(ymd(2024, 6, 5), INT32_MAX), ymd(2024, 6, 5));
  EXPECT_FALSE(add_months_checked(last, 1));
  EXPECT_FALSE(add_months_checked(ymd(kMinYear, 1, 31), -1));
  EXPECT_FALSE(add_months_checked(ymd(2024, 6, 5), int64_t{1} << 40));
  EXPECT_EQ(add_months_checked(ymd(kMaxYear, 11, 30), 1), ymd(kMaxYear, 12, 30));
  EXPECT_EQ(add_months_checked(ymd(2024, 6, 5), 0), ymd(2024, 6, 5));
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

TEST(WeekRange, ContainsTheDateAndStartsOnTheWeekStart) {
  const Date wed = ymd(2024, 6, 5);
  EXPECT_EQ(week_range(wed, 0), (DateRange{ymd(2024, 6, 3), ymd(2024, 6, 9)}));
  EXPECT_EQ(week_range(wed, 6), (DateRange{ymd(2024, 6, 2), ymd(2024, 6, 8)}));
  EXPECT_EQ(week_range(wed, 2), (DateRange{wed, ymd(2024, 6, 11)}));
  for (int64_t z = 0; z < 60; ++z) {
    for (uint32_t ws = 0; ws < 7; ++ws) {
      const DateRange r = *week_range(Date{z}, ws);
      ASSERT_LE(r.first, Date{z});
      ASSERT_GE(r.last, Date{z});
      ASSERT_EQ(days_between(r.first, r.last), 6);
      ASSERT_EQ(r.first.weekday(), ws);
    }
  }
  // -262143-01-01 is a Thursday: only a Thursday-first week fits after it.
  EXPECT_TRUE(week_range(ymd(kMinYear, 1, 1), 3));
  EXPECT_FALSE(week_range(ymd(kMinYear, 1, 1), 0));
  EXPECT_FALSE(week_range(ymd(kMaxYear, 12, 31), 0));
  // The week's first day exists even where its last day does not.
  EXPECT_EQ(first_day_of_week(ymd(kMaxYear, 12, 31), 0), ymd(kMaxYear, 12, 31));
  EXPECT_FALSE(first_day_of_week(ymd(kMinYear, 1, 1), 0));
}

TEST(MonthAndQuarterRanges, RealLastDays) {
  EXPECT_EQ(month_range(2100, 2)->last, ymd(2100, 2, 28));
  EXPECT_EQ(month_range(2000, 2)->last, ymd(2000, 2, 29));
  EXPECT_EQ(month_range(kMaxYear, 12)->last, ymd(kMaxYear, 12, 31));
  EXPECT_EQ(month_range(kMinYear, 1)->first, ymd(kMinYear, 1, 1));
  EXPECT_FALSE(month_range(kMaxYear + 1, 1));
  EXPECT_FALSE(month_range(2024, 13));
  const std::pair<uint32_t, DateRange> quarters[] = {
      {1, {ymd(2024, 1, 1), ymd(2024, 3, 31)}},
      {2, {ymd(2024, 4, 1), ymd(2024, 6, 30)}},
      {3, {ymd(2024, 7, 1), ymd(2024, 9, 30)}},
      {4, {ymd(2024, 10, 1), ymd(2024, 12, 31)}},
  };
  for (const auto& [q, want] : quarters)
    EXPECT_EQ(quarter_range(2024, q), want);
  EXPECT_EQ(quarter_range(kMaxYear, 4)->last, ymd(kMaxYear, 12, 31));
  EXPECT_FALSE(quarter_range(2024, 0));
}

// Brute force: step one day at a time.
Date step_to(Date d, uint32_t w, int dir) {
  while (d.weekday() != w)
    d = Date{d.days + dir};
  return d;
}

TEST(WeekdayStepping, MatchesStepping) {
  const Date fri = ymd(2024, 6, 7);
  EXPECT_EQ(next_weekday(fri, 4, false), fri);
  EXPECT_EQ(next_weekday(fri, 4, true), ymd(2024, 6, 14));
  EXPECT_EQ(prev_weekday(fri, 4), ymd(2024, 5, 31));
  for (int64_t z = 0; z < 14; ++z) {
    for (uint32_t w = 0; w < 7; ++w) {
      const Date d{z};
      ASSERT_EQ(next_weekday(d, w, false), step_to(d, w, 1));
      ASSERT_EQ(next_weekday(d, w, true), step_to(Date{z + 1}, w, 1));
      ASSERT_EQ(prev_weekday(d, w), step_to(Date{z - 1}, w, -1));
    }
  }
  EXPECT_FALSE(next_weekday(ymd(kMaxYear, 12, 31), 6, true));
  EXPECT_FALSE(prev_weekday(ymd(kMinYear, 1, 1), 0));
}

TEST(NthWeekday, FindsOrRefuses) {
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, 5, 4));  // Fridays: 7, 14, 21, 28
  EXPECT_EQ(nth_weekday_of_month(2024, 6, 4, 4), ymd(2024, 6, 28));
  EXPECT_EQ(nth_weekday_of_month(2024, 6, 1, 4), ymd(2024, 6, 7));
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, 0, 4));
  EXPECT_FALSE(nth_weekday_of_month(2024, 13, 1, 4));
  EXPECT_FALSE(nth_weekday_of_month(2024, 6, UINT32_MAX, 4));
  EXPECT_FALSE(nth_weekday_of_month(kMaxYear + 1, 1, 1, 0));
  EXPECT_EQ(last_weekday_of_month(2024, 5, 4), ymd(2024, 5, 31));
  EXPECT_EQ(last_weekday_of_month(2024, 6, 4), ymd(2024, 6, 28));
  EXPECT_EQ(last_weekday_of_month(kMaxYear, 12, 0), ymd(kMaxYear, 12, 31));
  EXPECT_FALSE(last_weekday_of_month(kMinYear - 1, 12, 0));
  // Every day of a few years is the n-th and possibly the last of its kind.
  for (int64_t z = days_from_civil(2023, 1, 1); z < days_from_civil(2026, 1, 1); ++z) {
    const Date d{z};
    const Civil c = d.civil();
    const uint32_t n = (c.day - 1) / 7 + 1;
    ASSERT_EQ(nth_weekday_of_month(c.year, c.month, n, d.weekday()), d);
    const bool last = c.day + 7 > days_in_month(c.year, c.month);
    ASSERT_EQ(last_weekday_of_month(c.year, c.month, d.weekday()) == d, last);
  }
}

}  // namespace
}  // namespace kalendo
