// Business-day walks: the constant-time answer without a predicate must be
// the answer of the day-by-day walk, and a predicate is asked only about
// Monday-to-Friday days of year 1 or later, once each, in walk order.
#include <gtest/gtest.h>

#include <vector>

#include "grammar/business_days.h"

namespace kalendo {
namespace {

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

// A predicate that records what it is asked and marks listed days.
struct Recorder {
  std::vector<Date> asked;
  std::vector<Date> holidays;

  static bool ask(void* self, Date d) {
    auto* r = static_cast<Recorder*>(self);
    r->asked.push_back(d);
    for (Date h : r->holidays) {
      if (h == d) return true;
    }
    return false;
  }
  HolidayFn fn() { return HolidayFn(ask, this); }
};

TEST(BusinessWalk, ArithmeticAgreesWithStepping) {
  for (int64_t z = days_from_civil(2024, 5, 27); z < days_from_civil(2024, 6, 10); ++z) {
    for (int64_t n : {1, 2, 4, 5, 6, 9, 10, 11, 23, 260, 261, -1, -4, -5, -6, -11, -261}) {
      Recorder none;
      const auto fast = walk_business_days(HolidayFn(), Date{z}, n);
      const auto slow = walk_business_days(none.fn(), Date{z}, n);
      ASSERT_EQ(fast, slow) << z << " " << n;
      ASSERT_EQ(none.asked.size(), static_cast<std::size_t>(n > 0 ? n : -n));
    }
  }
}

TEST(BusinessWalk, KnownDays) {
  const Date wed = ymd(2024, 6, 5);
  EXPECT_EQ(walk_business_days(HolidayFn(), wed, 3), ymd(2024, 6, 10));
  EXPECT_EQ(walk_business_days(HolidayFn(), wed, -3), ymd(2024, 5, 31));
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(2024, 6, 8), 0), ymd(2024, 6, 8));
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(2024, 6, 8), 1), ymd(2024, 6, 10));
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(2024, 6, 9), -1), ymd(2024, 6, 7));
}

TEST(BusinessWalk, AsksWeekdaysOnceInWalkOrder) {
  Recorder r;
  r.holidays = {ymd(2024, 6, 7)};
  EXPECT_EQ(walk_business_days(r.fn(), ymd(2024, 6, 5), 3), ymd(2024, 6, 11));
  EXPECT_EQ(r.asked, (std::vector<Date>{ymd(2024, 6, 6), ymd(2024, 6, 7), ymd(2024, 6, 10),
                                        ymd(2024, 6, 11)}));
  Recorder back;
  back.holidays = {ymd(2024, 6, 3)};
  EXPECT_EQ(walk_business_days(back.fn(), ymd(2024, 6, 5), -3), ymd(2024, 5, 30));
  EXPECT_EQ(back.asked, (std::vector<Date>{ymd(2024, 6, 4), ymd(2024, 6, 3), ymd(2024, 5, 31),
                                           ymd(2024, 5, 30)}));
}

TEST(BusinessWalk, CountsBeyondTheRangeAreRefusedWithoutAsking) {
  Recorder r;
  EXPECT_FALSE(walk_business_days(r.fn(), ymd(2024, 6, 5), INT64_MAX));
  EXPECT_FALSE(walk_business_days(r.fn(), ymd(2024, 6, 5), -INT64_MAX));
  EXPECT_FALSE(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 100'000'000));
  EXPECT_TRUE(r.asked.empty());
  // The last supported day is a Monday: one business day after the Friday
  // before it, and none after it.
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(kMaxYear, 12, 28), 1), ymd(kMaxYear, 12, 31));
  EXPECT_FALSE(walk_business_days(HolidayFn(), ymd(kMaxYear, 12, 31), 1));
  EXPECT_FALSE(walk_business_days(r.fn(), ymd(kMaxYear, 12, 31), 1));
  const Date far = *walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'998);
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'999),
            walk_business_days(HolidayFn(), far, 1));
}

TEST(BusinessWalk, DaysBeforeYearOneNeverCount) {
  Recorder r;
  // 0001-01-01 is a Monday: a walk from year 0 jumps there without asking.
  EXPECT_EQ(walk_business_days(r.fn(), ymd(0, 6, 5), 1), ymd(1, 1, 1));
  EXPECT_EQ(r.asked, std::vector<Date>{ymd(1, 1, 1)});
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(kMinYear, 1, 1), 1), ymd(1, 1, 1));
  EXPECT_FALSE(walk_business_days(HolidayFn(), ymd(1, 1, 1), -1));
  EXPECT_FALSE(walk_business_days(r.fn(), ymd(1, 1, 3), -3));
  EXPECT_EQ(walk_business_days(HolidayFn(), ymd(1, 1, 3), -2), ymd(1, 1, 1));
}

TEST(LastBusinessDay, StepsBackOverWeekendsAndHolidays) {
  Recorder r;
  r.holidays = {ymd(2024, 6, 28)};
  EXPECT_EQ(last_business_day_on_or_before(ymd(2024, 6, 30), r.fn()), ymd(2024, 6, 27));
  EXPECT_EQ(r.asked, (std::vector<Date>{ymd(2024, 6, 28), ymd(2024, 6, 27)}));
  EXPECT_EQ(last_business_day_on_or_before(ymd(2024, 2, 29), HolidayFn()), ymd(2024, 2, 29));
  EXPECT_FALSE(last_business_day_on_or_before(ymd(0, 12, 31), HolidayFn()));
  EXPECT_EQ(last_business_day_on_or_before(ymd(1, 1, 2), HolidayFn()), ymd(1, 1, 2));
}

}  // namespace
}  // namespace kalendo
