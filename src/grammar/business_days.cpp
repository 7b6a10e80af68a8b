#include "grammar/business_days.h"

#include <algorithm>

namespace kalendo {
namespace {

// The first day of year 1: earlier days are never business days.
constexpr int64_t kYearOneDays = -719162;
// A Monday (1970-01-05), the origin of the weekday count below.
constexpr int64_t kMondayDays = 4;

// Returns the number of Monday-to-Friday days up to and including day z,
// counted from an arbitrary origin; differences count the days between.
int64_t weekdays_through(int64_t z) {
  const int64_t weeks = floor_div(z - kMondayDays, 7);
  const int64_t in_week = floor_mod(z - kMondayDays, 7);  // [0, 6], 0 Monday
  return 5 * weeks + std::min<int64_t>(in_week + 1, 5);
}

// Returns the day z, a Monday to Friday, with weekdays_through(z) == count.
int64_t weekday_numbered(int64_t count) {
  return kMondayDays + 7 * floor_div(count - 1, 5) + floor_mod(count - 1, 5);
}

}  // namespace

bool is_business_day(Date d, HolidayFn holidays) {
  return d.weekday() < 5 && d.days >= kYearOneDays && !holidays(d);
}

std::optional<Date> walk_business_days(HolidayFn holidays, Date start, int64_t n) {
  if (n == 0) return start;
  if (n == INT64_MIN) return std::nullopt;
  const int64_t count = n > 0 ? n : -n;
  if (n > 0) {
    // Days before year 1 never count, so a walk from there starts at year 1.
    const int64_t from = std::max(start.days, kYearOneDays - 1);
    const int64_t before = weekdays_through(from);
    if (count > weekdays_through(kMaxDays) - before) return std::nullopt;
    if (!holidays.present()) return Date{weekday_numbered(before + count)};
    int64_t left = count;
    for (int64_t z = from + 1; z <= kMaxDays; ++z) {
      if (is_business_day(Date{z}, holidays) && --left == 0) return Date{z};
    }
    return std::nullopt;
  }
  const int64_t through = weekdays_through(start.days - 1);
  if (start.days <= kYearOneDays || count > through - weekdays_through(kYearOneDays - 1)) {
    return std::nullopt;
  }
  if (!holidays.present()) return Date{weekday_numbered(through - count + 1)};
  int64_t left = count;
  for (int64_t z = start.days - 1; z >= kYearOneDays; --z) {
    if (is_business_day(Date{z}, holidays) && --left == 0) return Date{z};
  }
  return std::nullopt;
}

std::optional<Date> last_business_day_on_or_before(Date d, HolidayFn holidays) {
  for (int64_t z = d.days; z >= kYearOneDays; --z) {
    // Weekends are skipped without a look at the predicate.
    const int64_t weekend_days = std::max<int64_t>(static_cast<int64_t>(Date{z}.weekday()) - 4, 0);
    z -= weekend_days;
    if (z < kYearOneDays) break;
    if (!holidays(Date{z})) return Date{z};
  }
  return std::nullopt;
}

}  // namespace kalendo
