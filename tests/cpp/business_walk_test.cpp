// Business-day walks: the constant-time answer without a predicate must be
// the answer of the day-by-day walk; a predicate is asked at most
// kMaxHolidayAsks times, and never again once its caller asks to stop. The
// walks at the ends of the calendar and the order of the days asked are
// corpus rows of tests/python/test_business.py and test_holidays.py.
#include <gtest/gtest.h>

#include <optional>

#include "grammar/business_days.h"
#include "locale.h"
#include "parse.h"

namespace kalendo {
namespace {

using Status = BusinessWalk::Status;

Date ymd(int64_t y, uint32_t m, uint32_t d) {
  return *Date::from_ymd(y, m, d);
}

std::optional<Date> day_of(const BusinessWalk& w) {
  if (w.ok()) return w.day;
  return std::nullopt;
}

// A predicate that counts what it is asked, marks no day (or every day),
// and asks its caller to stop after `stop_after` asks.
struct Recorder {
  bool every_day = false;
  int64_t stop_after = -1;
  int64_t calls = 0;

  static bool ask(void* self, Date) {
    auto* r = static_cast<Recorder*>(self);
    ++r->calls;
    return r->every_day;
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
      ASSERT_EQ(none.calls, n > 0 ? n : -n);
    }
  }
  const Date far = *day_of(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'998));
  EXPECT_EQ(day_of(walk_business_days(HolidayFn(), ymd(2024, 6, 5), 9'999'999)),
            day_of(walk_business_days(HolidayFn(), far, 1)));
}

// Year 1 is more than a million weekdays before year 9000.
const Date kLate = ymd(9000, 6, 5);

TEST(BusinessWalk, AsksAtMostTheCap) {
  // The answer on the last allowed ask is still an answer.
  Recorder exact;
  EXPECT_TRUE(walk_business_days(exact.fn(), kLate, kMaxHolidayAsks).ok());
  EXPECT_EQ(exact.calls, kMaxHolidayAsks);
  Recorder beyond;
  EXPECT_EQ(walk_business_days(beyond.fn(), kLate, kMaxHolidayAsks + 1).status,
            Status::TooManyAsks);
  EXPECT_EQ(beyond.calls, kMaxHolidayAsks);
  EXPECT_FALSE(walk_business_days(HolidayFn(), kLate, INT64_MIN).ok());
  // A predicate that marks every day, in each walk that asks it.
  for (int64_t n : {1, -1, 0}) {
    Recorder all;
    all.every_day = true;
    const BusinessWalk w = n == 0 ? last_business_day_on_or_before(kLate, all.fn())
                                  : walk_business_days(all.fn(), kLate, n);
    EXPECT_EQ(w.status, Status::TooManyAsks) << n;
    EXPECT_EQ(all.calls, kMaxHolidayAsks) << n;
  }
}

TEST(BusinessWalk, StopsAtOnceWhenAsked) {
  for (int64_t stop_after : {1, 2, 7, 4096}) {
    for (int64_t n : {1'000'000, -1'000'000, 0}) {
      Recorder r;
      r.every_day = n == 0;
      r.stop_after = stop_after;
      const BusinessWalk w = n == 0 ? last_business_day_on_or_before(kLate, r.fn())
                                    : walk_business_days(r.fn(), kLate, n);
      EXPECT_EQ(w.status, Status::Stopped) << n;
      EXPECT_EQ(r.calls, stop_after) << n;
      // A later walk of the same call asks nothing more.
      EXPECT_EQ(walk_business_days(r.fn(), kLate, 3).status, Status::Stopped);
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
  // No locale is English.
  const Options opts{TimeOfDay::hms(9, 0, 0), nullptr, 0, false};
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
    const Outcome o = parse_str(text, now, anchors, opts, all.fn());
    EXPECT_EQ(o.kind, Outcome::Kind::NoParse) << text;
    EXPECT_EQ(o.reason, reason) << text;
  }
  Recorder none;
  EXPECT_EQ(parse_str("in 1000001 business days", now, anchors, opts, none.fn()).reason, reason);
  EXPECT_EQ(parse_str("in 1000000 business days", now, anchors, opts, none.fn()).kind,
            Outcome::Kind::Resolved);
}

}  // namespace
}  // namespace kalendo
