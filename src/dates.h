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

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace kalendo {

inline constexpr int32_t kMinYear = -262143;
inline constexpr int32_t kMaxYear = 262142;

inline constexpr int64_t kSecondsPerDay = 86400;
inline constexpr uint32_t kNanosPerSecond = 1'000'000'000;

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
  // Returns 0 for Monday .. 6 for Sunday.
  uint32_t weekday() const;

  friend bool operator==(Date, Date) = default;
  friend auto operator<=>(Date, Date) = default;
};

inline constexpr int64_t kMinDays = -96'465'292;  // -262143-01-01
inline constexpr int64_t kMaxDays = 95'026'236;   // +262142-12-31

// Returns d + n days, or none when the result leaves the supported range.
std::optional<Date> add_days(Date d, int64_t n);

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
// Appends HH:MM.
void append_hh_mm(std::string& out, TimeOfDay t);

std::string format_date(Date d);

}  // namespace kalendo
