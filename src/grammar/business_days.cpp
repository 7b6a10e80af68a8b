#include "grammar/business_days.h"

#include <algorithm>

namespace kalendo {
namespace {

using Status = BusinessWalk::Status;

// The first day of year 1: earlier days are never business days.
constexpr int64_t kYearOneDays = -719162;
// A Monday (1970-01-05), the origin of the weekday count below.
constexpr int64_t kMondayDays = 4;
constexpr int64_t kWorkDaysPerWeek = kSaturday - kMonday;

// Returns the number of Monday-to-Friday days up to and including day z,
// counted from an arbitrary origin; differences count the days between.
int64_t weekdays_through(int64_t z) {
  const int64_t weeks = floor_div(z - kMondayDays, 7);
  const int64_t in_week = floor_mod(z - kMondayDays, 7);  // [0, 6], 0 Monday
  return kWorkDaysPerWeek * weeks + std::min<int64_t>(in_week + 1, kWorkDaysPerWeek);
}

// Returns the day z, a Monday to Friday, with weekdays_through(z) == count.
int64_t weekday_numbered(int64_t count) {
  return kMondayDays + 7 * floor_div(count - 1, kWorkDaysPerWeek) +
         floor_mod(count - 1, kWorkDaysPerWeek);
}

BusinessWalk reached(int64_t z) {
  return {Status::Ok, Date{z}};
}

// Counts `count` business days from the day after `from` in the direction of
// `step` (+1 or -1), asking the predicate about each Monday to Friday of year
// 1 or later on the way. `from` itself need not be a supported day.
BusinessWalk step_by_day(HolidayFn holidays, int64_t from, int64_t step, int64_t count) {
  if (holidays.stop_requested()) return {Status::Stopped, {}};
  int64_t left = count;
  int64_t asks = 0;
  for (int64_t z = from + step; z >= kYearOneDays && z <= kMaxDays; z += step) {
    if (Date{z}.weekday() > kFriday) continue;
    if (asks == kMaxHolidayAsks) return {Status::TooManyAsks, {}};
    ++asks;
    const bool holiday = holidays(Date{z});
    if (holidays.stop_requested()) return {Status::Stopped, {}};
    if (!holiday && --left == 0) return reached(z);
  }
  return {};
}

// The walk over serial day numbers: `start` may be the day after the last
// supported one (the step back from it never lands there).
BusinessWalk walk(HolidayFn holidays, int64_t start, int64_t n) {
  if (n == 0) return reached(start);
  if (n == INT64_MIN) return {};
  const int64_t count = n > 0 ? n : -n;
  if (n > 0) {
    // Days before year 1 never count, so a walk from there starts at year 1.
    const int64_t from = std::max(start, kYearOneDays - 1);
    const int64_t before = weekdays_through(from);
    if (count > weekdays_through(kMaxDays) - before) return {};
    if (!holidays.present()) return reached(weekday_numbered(before + count));
    return step_by_day(holidays, from, 1, count);
  }
  const int64_t through = weekdays_through(start - 1);
  if (start <= kYearOneDays || count > through - weekdays_through(kYearOneDays - 1)) return {};
  if (!holidays.present()) return reached(weekday_numbered(through - count + 1));
  return step_by_day(holidays, start, -1, count);
}

}  // namespace

BusinessWalk walk_business_days(HolidayFn holidays, Date start, int64_t n) {
  return walk(holidays, start.days, n);
}

BusinessWalk last_business_day_on_or_before(Date d, HolidayFn holidays) {
  return walk(holidays, d.days + 1, -1);
}

MatchResult walk_not_finished(const BusinessWalk& walk) {
  if (walk.status != Status::TooManyAsks) return MatchResult::no_match();
  return MatchResult::reject(cat("the holiday calendar would be asked about more than ",
                                 std::to_string(kMaxHolidayAsks), " days"));
}

MatchResult at_business_day(const BusinessWalk& walk, std::string interpretation, float confidence,
                            const Ctx& ctx) {
  if (!walk.ok()) return walk_not_finished(walk);
  return at_day(walk.day, std::move(interpretation), confidence, ctx);
}

}  // namespace kalendo
