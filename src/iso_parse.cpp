#include "iso_parse.h"

#include <algorithm>
#include <optional>

#include "unicode.h"

namespace kalendo {
namespace {

// Years are read with saturation just beyond the supported range; the range
// itself is checked last, after the trailing-input check.
constexpr int64_t kYearCap = 10'000'000;

// Reads left to right and stops at the first failure, so that the error
// reported is the first one met.
class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}

  void skip_white_space() {
    while (pos_ < s_.size()) {
      const std::size_t n = uni::white_space_len(s_, pos_);
      if (n == 0) break;
      pos_ += n;
    }
  }

  bool at_end() const { return pos_ >= s_.size(); }
  char peek() const { return s_[pos_]; }
  bool peek_digit() const { return !at_end() && peek() >= '0' && peek() <= '9'; }

  // The error for a required item that is not there.
  IsoError missing() const { return at_end() ? IsoError::TooShort : IsoError::Invalid; }

  // Expects `c` after optional white space.
  std::optional<IsoError> expect(char c) {
    skip_white_space();
    if (at_end() || peek() != c) return missing();
    ++pos_;
    return std::nullopt;
  }

  // Reads 1..max_digits digits after optional white space into *out.
  std::optional<IsoError> number(int max_digits, int64_t* out) {
    skip_white_space();
    return digits(max_digits, out);
  }

  // Reads a year: 1 to 4 digits, or a sign and any number of digits.
  std::optional<IsoError> year(int64_t* out) {
    skip_white_space();
    if (!at_end() && (peek() == '+' || peek() == '-')) {
      const bool negative = peek() == '-';
      ++pos_;
      if (auto e = digits(-1, out)) return e;
      if (negative) *out = -*out;
      return std::nullopt;
    }
    return digits(4, out);
  }

  // Reads the digits of a fraction of a second: the first nine give
  // nanoseconds, the rest are read and ignored.
  std::optional<IsoError> fraction(uint32_t* nanos) {
    if (!peek_digit()) return missing();
    uint32_t v = 0;
    int n = 0;
    while (peek_digit()) {
      if (n < 9) {
        v = v * 10 + static_cast<uint32_t>(peek() - '0');
        ++n;
      }
      ++pos_;
    }
    for (; n < 9; ++n)
      v *= 10;
    *nanos = v;
    return std::nullopt;
  }

  bool next_is(char c) const { return !at_end() && peek() == c; }
  void advance() { ++pos_; }

 private:
  // Reads up to max_digits digits (unbounded when negative), saturating.
  std::optional<IsoError> digits(int max_digits, int64_t* out) {
    if (!peek_digit()) return missing();
    int64_t v = 0;
    int n = 0;
    while (peek_digit() && (max_digits < 0 || n < max_digits)) {
      v = std::min<int64_t>(v * 10 + (peek() - '0'), kYearCap);
      ++pos_;
      ++n;
    }
    *out = v;
    return std::nullopt;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

struct Fields {
  int64_t year = 0;
  int64_t month = 0;
  int64_t day = 0;
};

// Reads year, "-", month, "-", day, checking each field's own range as it is
// read.
std::optional<IsoError> read_date(Scanner& sc, Fields* f) {
  if (auto e = sc.year(&f->year)) return e;
  if (auto e = sc.expect('-')) return e;
  if (auto e = sc.number(2, &f->month)) return e;
  if (f->month < 1 || f->month > 12) return IsoError::OutOfRange;
  if (auto e = sc.expect('-')) return e;
  if (auto e = sc.number(2, &f->day)) return e;
  if (f->day < 1 || f->day > 31) return IsoError::OutOfRange;
  return std::nullopt;
}

std::optional<IsoError> read_field(Scanner& sc, char sep, int64_t max, int64_t* out) {
  if (auto e = sc.expect(sep)) return e;
  if (auto e = sc.number(2, out)) return e;
  if (*out > max) return IsoError::OutOfRange;
  return std::nullopt;
}

std::optional<IsoError> expect_end(Scanner& sc) {
  sc.skip_white_space();
  if (!sc.at_end()) return IsoError::Trailing;
  return std::nullopt;
}

// The checks that come last: the year's range and the day's existence.
IsoResult<Date> build_date(const Fields& f) {
  const auto d =
      Date::from_ymd(f.year, static_cast<uint32_t>(f.month), static_cast<uint32_t>(f.day));
  if (!d) return IsoError::OutOfRange;
  return *d;
}

}  // namespace

std::string_view iso_error_text(IsoError e) {
  switch (e) {
    case IsoError::Invalid:
      return "input contains invalid characters";
    case IsoError::TooShort:
      return "premature end of input";
    case IsoError::Trailing:
      return "trailing input";
    case IsoError::OutOfRange:
      return "input is out of range";
  }
  return "input contains invalid characters";
}

IsoResult<DateTime> parse_iso_date_time(std::string_view s) {
  Scanner sc(s);
  Fields f;
  int64_t hour = 0, minute = 0, second = 0;
  uint32_t nanos = 0;
  if (auto e = read_date(sc, &f)) return *e;
  if (auto e = read_field(sc, 'T', 23, &hour)) return *e;
  if (auto e = read_field(sc, ':', 59, &minute)) return *e;
  if (auto e = read_field(sc, ':', 60, &second)) return *e;
  if (sc.next_is('.')) {
    sc.advance();
    if (auto e = sc.fraction(&nanos)) return *e;
  }
  if (auto e = expect_end(sc)) return *e;
  const IsoResult<Date> date = build_date(f);
  if (const auto* e = std::get_if<IsoError>(&date)) return *e;
  // A leap second is second 59 with one extra second in the fraction.
  if (second == 60) {
    second = 59;
    nanos += kNanosPerSecond;
  }
  const auto secs = static_cast<uint32_t>(hour * 3600 + minute * 60 + second);
  return DateTime{std::get<Date>(date), TimeOfDay{secs, nanos}};
}

IsoResult<Date> parse_iso_date(std::string_view s) {
  Scanner sc(s);
  Fields f;
  if (auto e = read_date(sc, &f)) return *e;
  if (auto e = expect_end(sc)) return *e;
  return build_date(f);
}

}  // namespace kalendo
