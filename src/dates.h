// Calendar dates, times of day and date-times: proleptic Gregorian, no time
// zones.
//
// A Date is a serial day count (days since 1970-01-01); year, month and day
// are a view computed on demand. The supported years are kMinYear..kMaxYear;
// the checked constructors return an empty optional outside them, so every
// Date that exists is inside the range. Day arithmetic on serial numbers
// cannot overflow int64 for any count below 2^62; leaving the year range is
// what callers must check (add_days does).
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace kalendo {

inline constexpr int32_t kMinYear = -262143;
inline constexpr int32_t kMaxYear = 262142;

inline constexpr int64_t kSecondsPerDay = 86400;
inline constexpr uint32_t kNanosPerSecond = 1'000'000'000;

// Floor division and its remainder for a positive divisor, for negative
// numerators too: the one idiom for negative values.
constexpr int64_t floor_div(int64_t a, int64_t b) {
  return a / b - (a % b < 0 ? 1 : 0);
}
constexpr int64_t floor_mod(int64_t a, int64_t b) {
  return a - floor_div(a, b) * b;
}

struct Civil {
  int32_t year;
  uint32_t month;  // [1, 12]
  uint32_t day;    // [1, 31]
};

// Returns the serial day number of a civil date (no range check).
int64_t days_from_civil(int64_t y, uint32_t m, uint32_t d);
// Returns the civil date of a serial day number (no range check).
Civil civil_from_days(int64_t z);

bool is_leap_year(int64_t y);
// Returns the number of days of month m (1..12) in year y.
uint32_t days_in_month(int64_t y, uint32_t m);

struct Date {
  int64_t days = 0;  // since 1970-01-01

  // Returns the date, or none when it does not exist or its year is outside
  // the supported range.
  static std::optional<Date> from_ymd(int64_t y, uint32_t m, uint32_t d);
  static std::optional<Date> from_days(int64_t days);

  Civil civil() const { return civil_from_days(days); }
  int32_t year() const { return civil().year; }
  uint32_t month() const { return civil().month; }
  uint32_t day() const { return civil().day; }
  // Returns 0 for Monday .. 6 for Sunday (kMonday .. kSunday).
  uint32_t weekday() const;

  friend bool operator==(Date, Date) = default;
  friend auto operator<=>(Date, Date) = default;
};

// Weekdays as Date::weekday() numbers them; a week_start uses them too.
inline constexpr uint32_t kMonday = 0;
inline constexpr uint32_t kFriday = 4;
inline constexpr uint32_t kSaturday = 5;
inline constexpr uint32_t kSunday = 6;

inline constexpr int64_t kMinDays = -96'465'292;  // -262143-01-01
inline constexpr int64_t kMaxDays = 95'026'236;   // +262142-12-31

// Returns d + n days, or none when the result leaves the supported range.
std::optional<Date> add_days(Date d, int64_t n);

// An inclusive range of dates.
struct DateRange {
  Date first;
  Date last;

  friend bool operator==(DateRange, DateRange) = default;
};

// Shifts by n calendar months, clamping the day to the target month's
// length (31 January + 1 month is the end of February). Returns the input
// unchanged when the result cannot be represented.
Date add_months(Date d, int32_t n);
// The same shift, or none when the result cannot be represented; matchers
// use this one so that an impossible shift is never mistaken for no shift.
std::optional<Date> add_months_checked(Date d, int64_t n);

// Returns the first day of the week that contains d and begins on
// week_start, or none before the start of the range.
std::optional<Date> first_day_of_week(Date d, uint32_t week_start);
// Returns the day of weekday w (0..6) in the week `weeks` weeks from the one
// that contains d (weeks begin on week_start), or none when that day is
// outside the range. The rest of its week need not exist, so the partial
// weeks at both ends of the range still have the days they do have.
std::optional<Date> weekday_in_week(Date d, uint32_t week_start, int64_t weeks, uint32_t w);
// Returns the week (first, first + 6 days) that contains d and begins on
// week_start (0 Monday .. 6 Sunday), or none at the ends of the range.
std::optional<DateRange> week_range(Date d, uint32_t week_start);
// Returns the days of month m (1..12) of year y, or none outside the range.
std::optional<DateRange> month_range(int64_t y, uint32_t m);
// Returns the days of quarter q (1..4) of year y, or none outside the range.
std::optional<DateRange> quarter_range(int64_t y, uint32_t q);

// Returns the first day on or after d (strictly after d when skip_today)
// whose weekday is w: 0..6 days later, or 1..7 with skip_today.
std::optional<Date> next_weekday(Date d, uint32_t w, bool skip_today);
// Returns the last day strictly before d whose weekday is w: 1..7 days back.
std::optional<Date> prev_weekday(Date d, uint32_t w);
// Returns the n-th weekday w of month m of year y, or none when the month
// has no such day (n = 0, a fifth that does not exist, an invalid month or a
// year outside the range).
std::optional<Date> nth_weekday_of_month(int64_t y, uint32_t m, uint32_t n, uint32_t w);
// Returns the last weekday w of month m of year y: 0..6 days before the
// month's end; none when the month cannot be built.
std::optional<Date> last_weekday_of_month(int64_t y, uint32_t m, uint32_t w);

// Returns last - first in days.
inline int64_t days_between(Date first, Date last) {
  return last.days - first.days;
}

// A time of day: seconds of the day and a fraction in nanoseconds. A leap
// second is carried as second 59 with a fraction of one second or more
// (nanos in [1e9, 2e9)), so that every other field stays in its usual range.
struct TimeOfDay {
  uint32_t secs = 0;   // [0, 86399]
  uint32_t nanos = 0;  // [0, 2e9)

  static constexpr TimeOfDay hms(uint32_t h, uint32_t m, uint32_t s) {
    return TimeOfDay{h * 3600 + m * 60 + s, 0};
  }
  uint32_t hour() const { return secs / 3600; }
  uint32_t minute() const { return secs / 60 % 60; }
  // Returns the second of the minute as written: 60 during a leap second.
  uint32_t second() const { return secs % 60 + (nanos >= kNanosPerSecond ? 1 : 0); }

  friend bool operator==(TimeOfDay, TimeOfDay) = default;
  friend auto operator<=>(TimeOfDay, TimeOfDay) = default;
};

struct DateTime {
  Date date;
  TimeOfDay time;

  friend bool operator==(DateTime, DateTime) = default;
  friend auto operator<=>(DateTime, DateTime) = default;
};

// Returns t + secs seconds, or none when the result leaves the supported
// range. A leap second is first resolved: adding a positive count drops the
// extra second, adding a negative count carries it into the next minute, and
// adding zero keeps it.
std::optional<DateTime> add_seconds(DateTime t, int64_t secs);

// Appends the year as dates are written: four digits with leading zeros for
// 0..9999, otherwise an explicit sign and at least four digits.
void append_year(std::string& out, int64_t year);
// Appends YYYY-MM-DD.
void append_date(std::string& out, Date d);
// Appends YYYY-MM-DDTHH:MM:SS; the fraction is dropped, a leap second shows
// as second 60.
void append_date_time(std::string& out, DateTime t);
// Writes the same text to `out` (room for 24 bytes) and returns its length.
std::size_t write_date_time(char* out, DateTime t);

// The two digits of each number below 100, "00" to "99": dates, clocks and
// labels are written a pair at a time.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Writes v (below 100) as two digits and returns the end.
inline char* write_digit_pair(char* out, uint32_t v) {
  std::memcpy(out, &kDigitPairs[2 * v], 2);
  return out + 2;
}
// Writes YYYY-MM-DD of a civil date to `out` (room for 24 bytes) and returns
// its length: for a caller that has the fields at hand.
std::size_t write_civil_date(char* out, Civil c);
// Appends HH:MM.
void append_hh_mm(std::string& out, TimeOfDay t);

std::string format_date(Date d);

}  // namespace kalendo
