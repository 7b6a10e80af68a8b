#include "dates.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kalendo {

// Days-from-civil over 400-year eras; y may be any value whose era count
// fits comfortably in int64.
int64_t days_from_civil(int64_t y, uint32_t m, uint32_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = floor_div(y, 400);
  const int64_t yoe = y - era * 400;                                     // [0, 399]
  const int64_t mp = (static_cast<int64_t>(m) + 9) % 12;                 // [0, 11], March first
  const int64_t doy = (153 * mp + 2) / 5 + static_cast<int64_t>(d) - 1;  // [0, 365]
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;             // [0, 146096]
  return era * 146097 + doe - 719468;
}

namespace {

// Every day of the supported years lies within this many 400-year eras of
// 1970 (and a margin): shifted by them it counts from zero.
constexpr uint32_t kCivilEras = 700;
constexpr int64_t kCivilShift = 719468 + int64_t{146097} * kCivilEras;
static_assert(kMinDays >= -kCivilShift && kMaxDays <= kCivilShift &&
                  4 * (2 * kCivilShift) + 3 <= int64_t{UINT32_MAX},
              "the shifted days of the supported years fit the 32-bit form");

}  // namespace

Civil civil_from_days(int64_t z) {
  if (z >= -kCivilShift && z <= kCivilShift) {
    // Counted from the 1st of March of a year 0 some eras back, the century,
    // the year in it and the day of the year come from multiplications and
    // shifts in 32 bits (affine forms of the calendar's cycles of 146097,
    // 1461 and 153 days), without a division by anything but constants and
    // without a floor. Every date is called for to write an answer.
    const uint32_t n1 = 4 * static_cast<uint32_t>(z + kCivilShift) + 3;
    const uint32_t century = n1 / 146097;
    const uint64_t p2 = uint64_t{2939745} * ((n1 % 146097) | 3);
    const auto year_of_century = static_cast<uint32_t>(p2 >> 32);
    const uint32_t day_of_year = static_cast<uint32_t>(p2) / 2939745 / 4;  // from March 1
    const uint32_t n3 = 2141 * day_of_year + 197913;
    const uint32_t m = n3 >> 16;  // [3, 14]: January and February end the year
    const uint32_t d = (n3 & 0xFFFF) / 2141 + 1;
    const bool jan_feb = day_of_year >= 306;
    const int64_t y =
        int64_t{100} * century + year_of_century + (jan_feb ? 1 : 0) - int64_t{400} * kCivilEras;
    return Civil{static_cast<int32_t>(y), jan_feb ? m - 12 : m, d};
  }
  // Beyond: the general form, over 400-year eras of any count.
  z += 719468;
  const int64_t era = floor_div(z, 146097);
  // Within an era every quantity is small and not negative: unsigned 32-bit
  // arithmetic, whose divisions by constants are the cheapest.
  const auto doe = static_cast<uint32_t>(z - era * 146097);                    // [0, 146096]
  const uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const uint32_t mp = (5 * doy + 2) / 153;                                     // [0, 11]
  const uint32_t d = doy - (153 * mp + 2) / 5 + 1;                             // [1, 31]
  const uint32_t m = mp < 10 ? mp + 3 : mp - 9;                                // [1, 12]
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
  return Civil{static_cast<int32_t>(y), m, d};
}

bool is_leap_year(int64_t y) {
  // Divisibility does not depend on the sign: the low bits and truncating
  // remainders answer it without a floor.
  return (y & 3) == 0 && (y % 100 != 0 || y % 400 == 0);
}

uint32_t days_in_month(int64_t y, uint32_t m) {
  static constexpr uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && is_leap_year(y)) return 29;
  return kDays[(m - 1) % 12];
}

std::optional<Date> Date::from_ymd(int64_t y, uint32_t m, uint32_t d) {
  if (y < kMinYear || y > kMaxYear || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m)) {
    return std::nullopt;
  }
  return Date{days_from_civil(y, m, d)};
}

std::optional<Date> Date::from_days(int64_t days) {
  if (days < kMinDays || days > kMaxDays) return std::nullopt;
  return Date{days};
}

uint32_t Date::weekday() const {
  // 1970-01-01 was a Thursday (3).
  return static_cast<uint32_t>(floor_mod(days + 3, 7));
}

std::optional<Date> add_days(Date d, int64_t n) {
  int64_t r = 0;
  if (__builtin_add_overflow(d.days, n, &r)) return std::nullopt;
  return Date::from_days(r);
}

std::optional<Date> add_months_checked(Date d, int64_t n) {
  if (n == 0) return d;
  const Civil c = d.civil();
  // Month index = year * 12 + (month - 1) + n; the year range keeps the
  // first two terms far from overflow, so only n needs bounding.
  if (n > INT32_MAX || n < INT32_MIN) return std::nullopt;
  const int64_t index = static_cast<int64_t>(c.year) * 12 + (c.month - 1) + n;
  const int64_t year = floor_div(index, 12);
  const auto month = static_cast<uint32_t>(floor_mod(index, 12) + 1);
  if (year < kMinYear || year > kMaxYear) return std::nullopt;
  return Date::from_ymd(year, month, std::min(c.day, days_in_month(year, month)));
}

Date add_months(Date d, int32_t n) {
  // The most negative n is refused like every unrepresentable shift.
  if (n == INT32_MIN) return d;
  return add_months_checked(d, n).value_or(d);
}

std::optional<Date> first_day_of_week(Date d, uint32_t week_start) {
  const int64_t offset = floor_mod(static_cast<int64_t>(d.weekday()) - week_start, 7);  // [0, 6]
  return add_days(d, -offset);
}

std::optional<Date> weekday_in_week(Date d, uint32_t week_start, int64_t weeks, uint32_t w) {
  const int64_t into_week = floor_mod(static_cast<int64_t>(d.weekday()) - week_start, 7);  // [0, 6]
  const int64_t target = floor_mod(static_cast<int64_t>(w) - week_start, 7);               // [0, 6]
  int64_t shift = 0;
  if (__builtin_mul_overflow(weeks, 7, &shift)) return std::nullopt;
  return add_days(d, shift + target - into_week);
}

std::optional<DateRange> week_range(Date d, uint32_t week_start) {
  const auto first = first_day_of_week(d, week_start);
  if (!first) return std::nullopt;
  const auto last = add_days(*first, 6);
  if (!last) return std::nullopt;
  return DateRange{*first, *last};
}

std::optional<DateRange> month_range(int64_t y, uint32_t m) {
  // Every month has a first day: only the year and the month need checking.
  if (m < 1 || m > 12 || y < kMinYear || y > kMaxYear) return std::nullopt;
  const int64_t first = days_from_civil(y, m, 1);
  return DateRange{Date{first}, Date{first + days_in_month(y, m) - 1}};
}

std::optional<DateRange> quarter_range(int64_t y, uint32_t q) {
  if (q < 1 || q > 4 || y < kMinYear || y > kMaxYear) return std::nullopt;
  const uint32_t last_month = 3 * q;
  return DateRange{Date{days_from_civil(y, last_month - 2, 1)},
                   Date{days_from_civil(y, last_month, 1) + days_in_month(y, last_month) - 1}};
}

std::optional<Date> next_weekday(Date d, uint32_t w, bool skip_today) {
  const int64_t wd = d.weekday();
  const int64_t ahead = skip_today ? floor_mod(w - wd - 1, 7) + 1  // [1, 7]
                                   : floor_mod(w - wd, 7);         // [0, 6]
  return add_days(d, ahead);
}

std::optional<Date> prev_weekday(Date d, uint32_t w) {
  const int64_t back = floor_mod(static_cast<int64_t>(d.weekday()) - w - 1, 7) + 1;  // [1, 7]
  return add_days(d, -back);
}

std::optional<Date> nth_weekday_of_month(int64_t y, uint32_t m, uint32_t n, uint32_t w) {
  const auto month = month_range(y, m);
  if (!month || n == 0) return std::nullopt;
  const int64_t first_w = floor_mod(w - static_cast<int64_t>(month->first.weekday()), 7);  // [0, 6]
  const int64_t offset = first_w + 7 * (static_cast<int64_t>(n) - 1);
  if (offset > days_between(month->first, month->last)) return std::nullopt;
  return Date{month->first.days + offset};
}

std::optional<Date> last_weekday_of_month(int64_t y, uint32_t m, uint32_t w) {
  const auto month = month_range(y, m);
  if (!month) return std::nullopt;
  const int64_t back = floor_mod(static_cast<int64_t>(month->last.weekday()) - w, 7);  // [0, 6]
  return Date{month->last.days - back};
}

std::optional<DateTime> add_seconds(DateTime t, int64_t secs) {
  int64_t sod = t.time.secs;
  uint32_t nanos = t.time.nanos;
  if (nanos >= kNanosPerSecond && secs != 0) {
    nanos -= kNanosPerSecond;
    // A negative shift counts from the second after the leap second.
    if (secs < 0) sod += 1;
  }
  int64_t total = 0;
  if (__builtin_add_overflow(sod, secs, &total)) return std::nullopt;
  const int64_t day_shift = floor_div(total, kSecondsPerDay);
  const auto date = add_days(t.date, day_shift);
  if (!date) return std::nullopt;
  return DateTime{*date, TimeOfDay{static_cast<uint32_t>(floor_mod(total, kSecondsPerDay)), nanos}};
}

namespace {

// Writes the year as dates are written: four digits with leading zeros for
// 0..9999, otherwise an explicit sign and at least four digits.
char* write_year(char* out, int64_t year) {
  if (year >= 1000 && year <= 9999) {
    // Every year people write: four digits, no sign.
    const auto y = static_cast<uint32_t>(year);
    return write_digit_pair(write_digit_pair(out, y / 100), y % 100);
  }
  const bool plain = year >= 0 && year <= 9999;
  if (!plain) *out++ = year < 0 ? '-' : '+';
  uint64_t v = year < 0 ? 0 - static_cast<uint64_t>(year) : static_cast<uint64_t>(year);
  char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < 4)
    buf[n++] = '0';
  while (n > 0)
    *out++ = buf[--n];
  return out;
}

char* write_2(char* out, uint32_t v) {
  return write_digit_pair(out, v % 100);
}

char* write_civil(char* out, Civil c) {
  out = write_year(out, c.year);
  *out++ = '-';
  out = write_2(out, c.month);
  *out++ = '-';
  return write_2(out, c.day);
}

char* write_date(char* out, Date d) {
  return write_civil(out, d.civil());
}

}  // namespace

std::size_t write_civil_date(char* out, Civil c) {
  return static_cast<std::size_t>(write_civil(out, c) - out);
}

void append_year(std::string& out, int64_t year) {
  char buf[24];
  out.append(buf, write_year(buf, year));
}

void append_date(std::string& out, Date d) {
  char buf[24];
  out.append(buf, write_date(buf, d));
}

std::size_t write_date_time(char* out, DateTime t) {
  char* p = write_date(out, t.date);
  // The hour is below 24 and the second at most 60 (a leap second).
  const uint32_t minutes = t.time.secs / 60;
  *p++ = 'T';
  p = write_digit_pair(p, minutes / 60);
  *p++ = ':';
  p = write_digit_pair(p, minutes % 60);
  *p++ = ':';
  p = write_digit_pair(p, t.time.second());
  return static_cast<std::size_t>(p - out);
}

void append_date_time(std::string& out, DateTime t) {
  char buf[24];
  out.append(buf, write_date_time(buf, t));
}

void append_hh_mm(std::string& out, TimeOfDay t) {
  char buf[5];
  write_2(buf, t.hour());
  buf[2] = ':';
  write_2(buf + 3, t.minute());
  out.append(buf, 5);
}

std::string format_date(Date d) {
  std::string s;
  append_date(s, d);
  return s;
}

}  // namespace kalendo
