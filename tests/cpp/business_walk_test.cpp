// Business-day walks: the constant-time answer without a predicate must be
// the answer of the day-by-day walk; a predicate is asked only about
// Monday-to-Friday days of year 1 or later, once each, in walk order, at
// most kMaxHolidayAsks times, and never again once its caller asks to stop.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "grammar/business_days.h"
#include "locale.h"
#include "parse.h"

namespace kalendo {
namespace {

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

std::optional<Date> day_of(const BusinessWalk& w) {
  if (w.ok()) return w.day;
  return std::nullopt;
}

// A predicate that counts and records what it is asked, marks listed days
// (or every day), and asks its caller to stop after `stop_after` asks.
struct Recorder {
  std::vector<Date> asked;
  std::vector<Date> holidays;
  bool every_day = false;
  bool record = true;
  int64_t calls = 0;
  int64_t stop_after = -1;

  static bool ask(void* self, Date d) {
    auto* r = static_cast<Recorder*>(self);
    ++r->calls;
    if (r->record) r->asked.push_back(d);
    if (r->every_day) return true;
    for (Date h : r->holidays) {
      if (h == d) return true;
    }
    return false;
  }
  static bool stop(void* self) {
    const auto* r = static_cast<const Recorder*>(self);
    return r->stop_after >= 0 && r->calls >= r->stop_after;
  }
  HolidayFn fn() { return HolidayFn(ask, this, stop); }
};

TEST(BusinessWalk, ArithmeticAgreesWithStepping) {
  for (int64_t z = days_from_civil(2024, 5, 27); z < days_from_civil(2024, 6, 10); ++z) {
    for (int64_t n : {1, 2, 4, 5, 6, 9, 10, 11, 23, 260, 261, -1, -4, -5, -6, -11, -261}) {
      Recorder none;
      const auto fast = walk_business_days(HolidayFn(), Date{z}, n);
      const auto slow = walk_business_days(none.fn(), Date{z}, n);
      ASSERT_TRUE(fast.ok() && slow.ok()) << z << " " << n;
      ASSERT_EQ(fast.day, slow.day) << z << " " << n;
      ASSERT_EQ(none.asked.size(), static_cast<std::size_t>(n > 0 ? n : -n));
    }
  }
}

// Walks with no holidays: the answer is the same with and without a
// predicate, and a count beyond the range is refused without asking.
struct WalkCase {
  Date start;
  int64_t n;
  std::optional<Date> want;
};

const WalkCase kWalks[] = {
    {ymd(2024, 6, 5), 3, ymd(2024, 6, 10)},
    {ymd(2024, 6, 5), -3, ymd(2024, 5, 31)},
    {ymd(2024, 6, 8), 0, ymd(2024, 6, 8)},
    {ymd(2024, 6, 8), 1, ymd(2024, 6, 10)},
    {ymd(2024, 6, 9), -1, ymd(2024, 6, 7)},
    {ymd(2024, 6, 5), INT64_MAX, std::nullopt},
    {ymd(2024, 6, 5), -INT64_MAX, std::nullopt},
    {ymd(2024, 6, 5), INT64_MIN, std::nullopt},
    {ymd(2024, 6, 5), 100'000'000, std::nullopt},
    // The last supported day is a Monday.
    {ymd(kMaxYear, 12, 28), 1, ymd(kMaxYear, 12, 31)},
    {ymd(kMaxYear, 12, 31), 1, std::nullopt},
    // 0001-01-01 is a Monday, and days before year 1 never count.
    {ymd(0, 6, 5), 1, ymd(1, 1, 1)},
    {ymd(kMinYear, 1, 1), 1, ymd(1, 1, 1)},
    {ymd(1, 1, 1), -1, std::nullopt},
    {ymd(1, 1, 3), -3, std::nullopt},
    {ymd(1, 1, 3), -2, ymd(1, 1, 1)},
};

TEST(BusinessWalk, KnownWalks) {
  for (const WalkCase& c : kWalks) {
    Recorder r;
    r.record = false;
    const auto asked = walk_business_days(r.fn(), c.start, c.n);
    EXPECT_EQ(day_of(walk_business_days(HolidayFn(), c.start, c.n)), c.want)
        << c.start.days << " " << c.n;
    EXPECT_EQ(day_of(asked), c.want) << c.start.days << " " << c.n;
    if (!c.want) {
      EXPECT_EQ(r.calls, 0) << c.start.days << " " << c.n;
    }
  }
  const Date far = *day_of(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'998));
  EXPECT_EQ(day_of(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'999)),
            day_of(walk_business_days(HolidayFn(), far, 1)));
}

TEST(BusinessWalk, AsksWeekdaysOnceInWalkOrder) {
  Recorder r;
  r.holidays = {ymd(2024, 6, 7)};
  EXPECT_EQ(day_of(walk_business_days(r.fn(), ymd(2024, 6, 5), 3)), ymd(2024, 6, 11));
  EXPECT_EQ(r.asked, (std::vector<Date>{ymd(2024, 6, 6), ymd(2024, 6, 7), ymd(2024, 6, 10),
                                        ymd(2024, 6, 11)}));
  Recorder back;
  back.holidays = {ymd(2024, 6, 3)};
  EXPECT_EQ(day_of(walk_business_days(back.fn(), ymd(2024, 6, 5), -3)), ymd(2024, 5, 30));
  EXPECT_EQ(back.asked, (std::vector<Date>{ymd(2024, 6, 4), ymd(2024, 6, 3), ymd(2024, 5, 31),
                                           ymd(2024, 5, 30)}));
  Recorder year_zero;
  EXPECT_EQ(day_of(walk_business_days(year_zero.fn(), ymd(0, 6, 5), 1)), ymd(1, 1, 1));
  EXPECT_EQ(year_zero.asked, std::vector<Date>{ymd(1, 1, 1)});
}

TEST(LastBusinessDay, StepsBackOverWeekendsAndHolidays) {
  Recorder r;
  r.holidays = {ymd(2024, 6, 28)};
  EXPECT_EQ(day_of(last_business_day_on_or_before(ymd(2024, 6, 30), r.fn())), ymd(2024, 6, 27));
  EXPECT_EQ(r.asked, (std::vector<Date>{ymd(2024, 6, 28), ymd(2024, 6, 27)}));
  EXPECT_EQ(day_of(last_business_day_on_or_before(ymd(2024, 2, 29), HolidayFn())),
            ymd(2024, 2, 29));
  EXPECT_EQ(day_of(last_business_day_on_or_before(ymd(0, 12, 31), HolidayFn())), std::nullopt);
  EXPECT_EQ(day_of(last_business_day_on_or_before(ymd(1, 1, 2), HolidayFn())), ymd(1, 1, 2));
  EXPECT_EQ(day_of(last_business_day_on_or_before(ymd(kMaxYear, 12, 31), HolidayFn())),
            ymd(kMaxYear, 12, 31));
}

// Year 1 is more than a million weekdays before year 9000.
const Date kLate = ymd(9000, 6, 5);

TEST(BusinessWalk, AsksAtMostTheCap) {
  const Date start = kLate;
  // The answer on the last allowed ask is still an answer.
  Recorder exact;
  exact.record = false;
  EXPECT_TRUE(walk_business_days(exact.fn(), start, kMaxHolidayAsks).ok());
  EXPECT_EQ(exact.calls, kMaxHolidayAsks);
  Recorder beyond;
  beyond.record = false;
  EXPECT_EQ(walk_business_days(beyond.fn(), start, kMaxHolidayAsks + 1).status,
            BusinessWalk::Status::TooManyAsks);
  EXPECT_EQ(beyond.calls, kMaxHolidayAsks);
  // A predicate that marks every day, in each walk that asks it.
  for (int64_t n : {1, -1, 0}) {
    Recorder all;
    all.every_day = true;
    all.record = false;
    const BusinessWalk w = n == 0 ? last_business_day_on_or_before(start, all.fn())
                                  : walk_business_days(all.fn(), start, n);
    EXPECT_EQ(w.status, BusinessWalk::Status::TooManyAsks) << n;
    EXPECT_EQ(all.calls, kMaxHolidayAsks) << n;
  }
}

TEST(BusinessWalk, StopsAtOnceWhenAsked) {
  for (int64_t stop_after : {1, 2, 7, 4096}) {
    for (int64_t n : {1'000'000, -1'000'000, 0}) {
      Recorder r;
      r.every_day = n == 0;
      r.record = false;
      r.stop_after = stop_after;
      const BusinessWalk w = n == 0 ? last_business_day_on_or_before(kLate, r.fn())
                                    : walk_business_days(r.fn(), kLate, n);
      EXPECT_EQ(w.status, BusinessWalk::Status::Stopped) << n;
      EXPECT_EQ(r.calls, stop_after) << n;
      // A later walk of the same call asks nothing more.
      EXPECT_EQ(walk_business_days(r.fn(), kLate, 3).status, BusinessWalk::Status::Stopped);
      EXPECT_EQ(r.calls, stop_after) << n;
    }
  }
  // Nor does any later matcher of the same parse.
  Recorder r;
  r.stop_after = 3;
  const Options opts{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  parse_str("in 2000 business days", DateTime{kLate, {}}, {}, opts, r.fn());
  EXPECT_EQ(r.calls, 3);
}

// Every phrase that walks with the predicate turns the cap into a no-parse
// that says why, whichever matcher reads it.
TEST(BusinessWalk, CapIsANoParseInEveryPhrase) {
  const Options opts{TimeOfDay::hms(9, 0, 0), &EN, 0, false};
  const AnchorMap anchors = {{"launch", kLate}};
  const DateTime now{kLate, TimeOfDay::hms(10, 0, 0)};
  const std::string reason = "the holiday calendar would be asked about more than 1000000 days";
  for (const char* text :
       {"next business day", "in 2 business days", "2 business days from now",
        "remind me in 2 business days", "couple of business days", "3 business days ago",
        "2 business days after launch", "2 business days before launch",
        "last business day of next month", "1st business day of next month"}) {
    Recorder all;
    all.every_day = true;
    all.record = false;
    const Outcome o = parse_str(text, now, anchors, opts, all.fn());
    EXPECT_EQ(o.kind, Outcome::Kind::NoParse) << text;
    EXPECT_EQ(o.reason, reason) << text;
  }
  Recorder none;
  none.record = false;
  EXPECT_EQ(parse_str("in 1000001 business days", now, anchors, opts, none.fn()).reason, reason);
  EXPECT_EQ(parse_str("in 1000000 business days", now, anchors, opts, none.fn()).kind,
            Outcome::Kind::Resolved);
}

}  // namespace
}  // namespace kalendo
