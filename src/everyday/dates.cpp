// Matches calendar dates in the spellings people type: march 14, 3rd of
// march 2025, 2025-03-14T17:00, 3/14/25, 14.03.2025, 20250314, march 2025,
// Q3 2025, in 2025, the 14th, friday the 14th; with a clock time before or
// after and a weekday in front.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "everyday/mod.h"
#include "locale.h"

namespace kalendo::everyday::dates {
namespace {

using Kind = Tok::Kind;

// Words in front of a date that add nothing to it: "by march 3".
constexpr std::string_view kLeadWords[3] = {"by", "due", "dated"};
// Words in front of a period that say "within it", as "in" does: "during 2025".
constexpr std::string_view kWithinWords[1] = {"during"};

// Ordinal day words beyond those the core knows (first..fifth).
constexpr WordEntry<uint32_t> kDayWords[16] = {
    {"sixth", 6},       {"seventh", 7},     {"eighth", 8},     {"ninth", 9},
    {"tenth", 10},      {"eleventh", 11},   {"twelfth", 12},   {"thirteenth", 13},
    {"fourteenth", 14}, {"fifteenth", 15},  {"sixteenth", 16}, {"seventeenth", 17},
    {"eighteenth", 18}, {"nineteenth", 19}, {"twentieth", 20}, {"thirtieth", 30},
};

// Tens that an ordinal word completes: "twenty first" (hyphens are spaces
// by the time words are read).
constexpr WordEntry<uint32_t> kTens[2] = {{"twenty", 20}, {"thirty", 30}};

// The apostrophes of a two-digit year: '25 and its typographic form.
constexpr std::string_view kYearMarks[2] = {"'", "\u2019"};

// Single-reading confidences: a date, one whose year was assumed to be the
// next one, and what a contradicting weekday costs.
constexpr float kDate = 0.9f;
constexpr float kRolled = 0.85f;
constexpr float kBareYear = 0.7f;
constexpr float kContradiction = 0.3f;

constexpr std::string_view kOrderNames[4] = {"", "month-day-year", "day-month-year",
                                             "year-month-day"};

bool exists(int64_t y, uint32_t m, uint32_t d) {
  return m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, m);
}

// A month and day that exist in some year (February 29 in leap years).
bool exists_some_year(uint32_t m, uint32_t d) {
  return exists(2000, m, d);
}

// Returns the year of a two-digit year: within the hundred years from 50
// before the current year to 49 after it.
int64_t window_year(uint32_t yy, int64_t this_year) {
  const int64_t low = this_year - 50;
  return low + floor_mod(static_cast<int64_t>(yy) - low, 100);
}

// Reads the pieces left to right; every read either consumes and answers
// or leaves the position where it was.
class Reader {
 public:
  explicit Reader(std::span<const Piece> p) : p_(p) {}

  bool done() const { return i_ == p_.size(); }
  const Piece* peek(std::size_t k = 0) const { return i_ + k < p_.size() ? &p_[i_ + k] : nullptr; }
  const Tok* tok(std::size_t k = 0) const {
    const Piece* p = peek(k);
    return p != nullptr && !p->is_shape ? &p->tok : nullptr;
  }
  bool take_kind(Kind k, int64_t* value = nullptr) {
    const Tok* t = tok();
    if (t == nullptr || !t->is(k)) return false;
    if (value != nullptr) *value = t->value;
    ++i_;
    return true;
  }
  bool take_kw(Keyword k) {
    const Tok* t = tok();
    if (t == nullptr || !t->is_kw(k)) return false;
    ++i_;
    return true;
  }
  bool take_unit(Unit u) {
    const Tok* t = tok();
    if (t == nullptr || !t->is_unit(u)) return false;
    ++i_;
    return true;
  }

  // <1..99> | <ordinal> | sixth..thirtieth | twenty|thirty <ordinal>
  std::optional<uint32_t> day(bool numbers) {
    const Tok* t = tok();
    if (t == nullptr) return std::nullopt;
    if (numbers && t->is(Kind::Num) && t->value <= 99) {
      ++i_;
      return t->u32();
    }
    if (t->is(Kind::Ordinal) && t->value <= 99) {
      ++i_;
      return t->u32();
    }
    if (!t->is(Kind::Word)) return std::nullopt;
    if (const auto d = find_word<uint32_t>(kDayWords, t->text)) {
      ++i_;
      return *d;
    }
    const Tok* unit = tok(1);
    if (const auto tens = find_word<uint32_t>(kTens, t->text);
        tens && unit != nullptr && unit->is(Kind::Ordinal) && unit->value >= 1 &&
        unit->value <= 9) {
      i_ += 2;
      return *tens + unit->u32();
    }
    return std::nullopt;
  }

  // <number of three or more digits> | '<two digits>
  // Two-digit years fall in the window around today's year, which is
  // worked out only for them.
  std::optional<int64_t> year(Date today) {
    const Tok* t = tok();
    if (t == nullptr) return std::nullopt;
    if (t->is(Kind::Num) && t->value >= 100) {
      ++i_;
      return t->value;
    }
    if (!t->is(Kind::Word)) return std::nullopt;
    for (std::string_view mark : kYearMarks) {
      const std::string_view w = t->text;
      if (w.size() == mark.size() + 2 && w.starts_with(mark)) {
        const auto yy = read_digits(w.substr(mark.size()), 99);
        if (!yy) return std::nullopt;
        ++i_;
        return window_year(static_cast<uint32_t>(*yy), today.year());
      }
    }
    return std::nullopt;
  }

 private:
  std::span<const Piece> p_;
  std::size_t i_ = 0;
};

// Returns the time of day a piece names: a clock time token, or a clock
// shape with seconds.
std::optional<TimeOfDay> clock_of(const Piece& p) {
  if (p.is_shape) {
    if (p.shape.kind != Shape::Kind::Clock) return std::nullopt;
    return TimeOfDay::hms(p.shape.hour, p.shape.minute, p.shape.second);
  }
  if (p.tok.is(Kind::Time) && p.tok.value < 24 && p.tok.minute < 60) {
    return TimeOfDay::hms(p.tok.u32(), p.tok.minute, 0);
  }
  return std::nullopt;
}

// Appends a year in plain decimal, as labels write years.
void append_year_number(std::string& out, int64_t y) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, y).ptr;
  out.append(buf, end);
}

// What a reading assumed about a date written without its year or month:
// " (<why>; assuming [<month> ]<year>)".
struct Assumed {
  std::string_view why;    // "this year's has passed", "June has no 31st"
  std::string_view month;  // empty when only the year was assumed
  int64_t year;
};

// The two digits of each number under 100, as labels write them: one copy
// instead of a division and a remainder.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> out{};
  for (std::size_t v = 0; v < 100; ++v) {
    out[2 * v] = static_cast<char>('0' + v / 10);
    out[2 * v + 1] = static_cast<char>('0' + v % 10);
  }
  return out;
}();

// Writes the two digits of `v`, under 100, at `at`; returns the byte after.
char* write_pair(char* at, uint32_t v) {
  std::memcpy(at, &kDigitPairs[2 * static_cast<std::size_t>(v)], 2);
  return at + 2;
}

// Writes "YYYY-MM-DD" as the core's labels write a date, from the fields
// the text gave (a valid date): the day number need not be turned back
// into them.
char* write_ymd(char* out, int64_t y, uint32_t m, uint32_t d) {
  const auto pair = write_pair;
  if (y >= 1000 && y <= 9999) {
    const auto year = static_cast<uint32_t>(y);
    out = pair(pair(out, year / 100), year % 100);
  } else {
    std::string year;  // a sign, or leading zeros: the core's own spelling
    append_year(year, y);
    out = std::copy(year.begin(), year.end(), out);
  }
  *out++ = '-';
  out = pair(out, m);
  *out++ = '-';
  return pair(out, d);
}

// The reading of day `d` of month `m` of year `y`: "2025-03-14, default
// 09:00" or "..., at 17:00:30" (the core's label, with the seconds the text
// gave), what was assumed, and the check of a weekday the text named with
// it; none when the year is out of range. The common label, date and time,
// is written on the stack and copied once: every date the grammar reads
// ends here.
std::optional<Resolution> day_reading(int64_t y, uint32_t m, uint32_t d, const Assumed* assumed,
                                      float confidence, std::optional<uint32_t> weekday,
                                      const Ctx& c) {
  const std::optional<Date> day = Date::from_ymd(y, m, d);
  if (!day) return std::nullopt;
  char head[64];
  char* at = write_ymd(head, y, m, d);
  const std::string_view joint = c.tod_explicit ? ", at " : ", default ";
  at = std::copy(joint.begin(), joint.end(), at);
  const uint32_t hour = c.tod.hour() % 100, minute = c.tod.minute();
  at = write_pair(at, hour);
  *at++ = ':';
  at = write_pair(at, minute);
  if (c.tod_explicit && c.tod.secs % 60 != 0) {
    *at++ = ':';
    *at++ = static_cast<char>('0' + c.tod.secs % 60 / 10);
    *at++ = static_cast<char>('0' + c.tod.secs % 10);
  }
  const std::string_view written(head, static_cast<std::size_t>(at - head));
  const Value at_time = Value::instant(DateTime{*day, c.tod});
  const bool contradicted = weekday && day->weekday() != *weekday;
  if (assumed == nullptr && !contradicted)
    return Resolution{std::string(written), at_time, confidence};
  std::string text;
  text.reserve(written.size() + 96);
  text += written;
  if (assumed != nullptr) {
    text += " (";
    text += assumed->why;
    text += "; assuming ";
    if (!assumed->month.empty()) {
      text += assumed->month;
      text += ' ';
    }
    append_year_number(text, assumed->year);
    text += ')';
  }
  if (contradicted) {
    confidence = penalised(confidence, kContradiction);
    text += " (";
    text.append(written.substr(0, written.find(',')));
    text += " is a ";
    text += kWeekdayNames[day->weekday()];
    text += ", not a ";
    text += kWeekdayNames[*weekday];
    text += ')';
  }
  return Resolution{std::move(text), at_time, confidence};
}

MatchResult one(std::optional<Resolution> r) {
  if (!r) return MatchResult::no_match();
  return MatchResult::single(std::move(*r));
}

// The next month and day on or after today, today included; February 29
// waits for the next leap year.
std::optional<Resolution> next_occurrence(uint32_t m, uint32_t d, std::optional<uint32_t> weekday,
                                          int64_t this_year, const Ctx& c) {
  const Date today = c.today();
  for (int64_t y = this_year; y <= this_year + 8; ++y) {
    if (!exists(y, m, d)) continue;
    const auto day = Date::from_ymd(y, m, d);
    if (!day) return std::nullopt;
    if (*day < today) continue;
    if (y == this_year) return day_reading(y, m, d, nullptr, kDate, weekday, c);
    const Assumed rolled{"this year's has passed", {}, y};
    return day_reading(y, m, d, &rolled, kRolled, weekday, c);
  }
  return std::nullopt;
}

std::string month_day_name(uint32_t m, uint32_t d) {
  return cat(kMonthNames[m - 1], " ", std::to_string(d));
}

// Appends month_day_name(m, d).
void append_month_day(std::string& out, uint32_t m, uint32_t d) {
  out += kMonthNames[m - 1];
  out += ' ';
  char digits[10];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, d).ptr);
}

// <month> <day> [<year>] and its other orders, once read.
MatchResult named_day(uint32_t m, uint32_t d, std::optional<int64_t> y,
                      std::optional<uint32_t> weekday, int64_t this_year, const Ctx& c) {
  if (y) {
    if (!exists(*y, m, d)) {
      return MatchResult::reject(
          cat(month_day_name(m, d), ", ", std::to_string(*y), " does not exist"));
    }
    return one(day_reading(*y, m, d, nullptr, kDate, weekday, c));
  }
  if (!exists_some_year(m, d))
    return MatchResult::reject(cat(month_day_name(m, d), " does not exist"));
  return one(next_occurrence(m, d, weekday, this_year, c));
}

// The days of a month, a quarter or a year as a range.
MatchResult period(std::optional<DateRange> days, std::string label, float confidence) {
  if (!days) return MatchResult::no_match();
  return MatchResult::single(std::move(label), Value::days(days->first, days->last), confidence);
}

MatchResult month_of_year(uint32_t m, int64_t y) {
  return period(month_range(y, m), cat(kMonthNames[m - 1], " ", std::to_string(y)), kDate);
}

MatchResult quarter_of_year(uint32_t q, int64_t y) {
  return period(quarter_range(y, q), cat("Q", std::to_string(q), " ", std::to_string(y)), kDate);
}

MatchResult whole_year(int64_t y, float confidence) {
  const auto first = Date::from_ymd(y, 1, 1);
  const auto last = Date::from_ymd(y, 12, 31);
  if (!first || !last) return MatchResult::no_match();
  return period(DateRange{*first, *last}, cat("the year ", std::to_string(y)), confidence);
}

// <day>: the next day with that number on or after today, in this month or
// the first later month that has it.
MatchResult day_of_month(uint32_t d, std::optional<uint32_t> weekday, const Ctx& c) {
  if (d < 1 || d > 31) return MatchResult::no_match();
  const Civil today = c.today().civil();
  auto first = Date::from_ymd(today.year, today.month, 1);
  // With a weekday, the first such day that falls on it: within a 400-year
  // cycle every day number of 28 and more meets every weekday.
  const int limit = weekday ? 4800 : 12;
  for (int k = 0; k < limit && first; ++k, first = add_months_checked(*first, 1)) {
    const Civil fc = first->civil();
    if (!exists(fc.year, fc.month, d)) continue;
    const auto day = Date::from_ymd(fc.year, fc.month, d);
    if (!day) return MatchResult::no_match();
    if (*day < c.today() || (weekday && day->weekday() != *weekday)) continue;
    if (k == 0) return one(day_reading(fc.year, fc.month, d, nullptr, kDate, weekday, c));
    std::string why;
    if (weekday) {
      why = cat("the next ", kWeekdayNames[*weekday], " the ", ext::ord_label(d));
    } else if (exists(today.year, today.month, d)) {
      why = "this month's has passed";
    } else {
      why = cat(kMonthNames[today.month - 1], " has no ", ext::ord_label(d));
    }
    const Assumed next_month{why, kMonthNames[fc.month - 1], fc.year};
    return one(day_reading(fc.year, fc.month, d, &next_month, kRolled, weekday, c));
  }
  return MatchResult::no_match();
}

// <day> of next|this|last month: that day of the month named, even when
// it has passed ("the 3rd of this month").
MatchResult day_of_named_month(std::span<const Piece> p, std::optional<uint32_t> weekday,
                               const Ctx& c) {
  if (p.size() < 4 || !p.back().tok.is_unit(Unit::Month) || !p[p.size() - 3].tok.is_kw(Keyword::Of))
    return MatchResult::no_match();
  const Tok& which = p[p.size() - 2].tok;
  const int64_t step = which.is_kw(Keyword::Next) ? 1 : which.is_kw(Keyword::Last) ? -1 : 0;
  if (step == 0 && !which.is_kw(Keyword::This)) return MatchResult::no_match();
  Reader r(p.first(p.size() - 3));
  const auto d = r.day(false);
  if (!d || !r.done()) return MatchResult::no_match();
  const Civil today = c.today().civil();
  const auto this_first = Date::from_ymd(today.year, today.month, 1);
  const auto first = this_first ? add_months_checked(*this_first, step) : std::nullopt;
  if (!first) return MatchResult::no_match();
  const Civil fc = first->civil();
  if (!exists(fc.year, fc.month, *d)) {
    return MatchResult::reject(cat(kMonthNames[fc.month - 1], " ", std::to_string(fc.year),
                                   " has no ", ext::ord_label(*d)));
  }
  return one(day_reading(fc.year, fc.month, *d, nullptr, kDate, weekday, c));
}

// The readings of a numeric date under one order, or none when the fields
// do not make a date in that order.
struct Reading {
  uint32_t m;
  uint32_t d;
  std::optional<int64_t> y;  // none: the next occurrence
};

std::optional<Reading> read_in_order(const Shape& s, DateOrder order, int64_t this_year) {
  const uint32_t* p = s.parts;
  const auto year_of = [&](int k) -> int64_t {
    return s.widths[k] == 2 ? window_year(p[k], this_year) : static_cast<int64_t>(p[k]);
  };
  Reading r{};
  switch (order) {
    case DateOrder::YMD:
      if (s.count == 3) {
        if (s.widths[2] > 2) return std::nullopt;
        r = {p[1], p[2], year_of(0)};
        break;
      }
      [[fallthrough]];
    case DateOrder::MDY:
    case DateOrder::Unset:
      r = {p[0], p[1], s.count == 3 ? std::optional(year_of(2)) : std::nullopt};
      break;
    case DateOrder::DMY:
      r = {p[1], p[0], s.count == 3 ? std::optional(year_of(2)) : std::nullopt};
      break;
  }
  if (r.y ? !exists(*r.y, r.m, r.d) : !exists_some_year(r.m, r.d)) return std::nullopt;
  return r;
}

std::optional<Resolution> resolve_reading(const Reading& r, std::optional<uint32_t> weekday,
                                          int64_t this_year, const Ctx& c) {
  if (r.y) return day_reading(*r.y, r.m, r.d, nullptr, kDate, weekday, c);
  return next_occurrence(r.m, r.d, weekday, this_year, c);
}

std::string quoted(std::string_view text) {
  return cat("\"", text, "\"");
}

// 3/14 | 3/14/2025 | 14.03.2025 | 3-14-25 | 2014/12/28 | 2/2013 | 2014-10
MatchResult numeric(const Shape& s, std::optional<uint32_t> weekday, const Ctx& c,
                    DateOrder order) {
  const int64_t this_year = c.today().year();
  const uint32_t* p = s.parts;
  if (s.count == 2 && (s.widths[0] == 4 || s.widths[1] == 4)) {
    // <year>-<month> | <month>/<year>: the month's days
    if (weekday) return MatchResult::no_match();
    const bool year_first = s.widths[0] == 4;
    const uint32_t m = year_first ? p[1] : p[0];
    if (m < 1 || m > 12) return MatchResult::reject(cat(quoted(s.text), " is not a valid month"));
    return month_of_year(m, year_first ? p[0] : p[1]);
  }
  if (s.count == 3 && s.widths[0] == 4) {
    // <year>-<month>-<day>, whatever the order
    if (!exists(p[0], p[1], p[2])) {
      return MatchResult::reject(cat(quoted(s.text), " is not a valid date"));
    }
    return one(day_reading(p[0], p[1], p[2], nullptr, kDate, weekday, c));
  }
  if (order != DateOrder::Unset) {
    const auto r = read_in_order(s, order, this_year);
    if (!r) {
      return MatchResult::reject(cat(quoted(s.text), " is not a valid date in ",
                                     kOrderNames[static_cast<int>(order)], " order"));
    }
    return one(resolve_reading(*r, weekday, this_year, c));
  }
  // Unset: month first and day first, ranked by the separator's custom.
  auto month_first = read_in_order(s, DateOrder::MDY, this_year);
  auto day_first = read_in_order(s, DateOrder::DMY, this_year);
  if (s.sep == '.') std::swap(month_first, day_first);
  auto& a = month_first;  // the likelier reading
  auto& b = day_first;
  if (!a && !b) return MatchResult::reject(cat(quoted(s.text), " is not a valid date"));
  if (!a || !b || (a->m == b->m && a->d == b->d))
    return one(resolve_reading(a ? *a : *b, weekday, this_year, c));
  auto ra = resolve_reading(*a, weekday, this_year, c);
  auto rb = resolve_reading(*b, weekday, this_year, c);
  if (!ra || !rb) return one(ra ? std::move(ra) : std::move(rb));
  // A weekday that only one reading falls on decides between them.
  if (weekday) {
    const bool a_fits = ra->value.start.date.weekday() == *weekday;
    const bool b_fits = rb->value.start.date.weekday() == *weekday;
    if (a_fits != b_fits) return one(a_fits ? std::move(ra) : std::move(rb));
  }
  // "<text>" could be <month> <day> or <month> <day>; date_order chooses
  std::string reason;
  reason.reserve(s.text.size() + 64);
  reason += '"';
  reason += s.text;
  reason += "\" could be ";
  append_month_day(reason, a->m, a->d);
  reason += " or ";
  append_month_day(reason, b->m, b->d);
  reason += "; date_order chooses";
  ra->confidence = penalised(ra->confidence, 0.1f);
  rb->confidence = penalised(rb->confidence, 0.2f);
  std::vector<Resolution> both;
  both.reserve(2);
  both.push_back(std::move(*ra));
  both.push_back(std::move(*rb));
  return MatchResult::ambiguous(std::move(both), std::move(reason));
}

// A date shape: numeric, compact or ISO date-time.
MatchResult shaped(const Shape& s, std::optional<uint32_t> weekday, const Ctx& c, DateOrder order) {
  switch (s.kind) {
    case Shape::Kind::Numeric:
      return numeric(s, weekday, c, order);
    case Shape::Kind::Compact:
    case Shape::Kind::DateTime:
      if (!exists(s.parts[0], s.parts[1], s.parts[2])) {
        return MatchResult::reject(cat(quoted(s.text), " is not a valid date"));
      }
      return one(day_reading(s.parts[0], s.parts[1], s.parts[2], nullptr, kDate, weekday, c));
    case Shape::Kind::Clock:
    case Shape::Kind::Amount:
      break;
  }
  return MatchResult::no_match();
}

// The forms that name whole periods: months, quarters and years. A year
// alone must have four digits.
MatchResult period_forms(Reader r, Date today, bool after_in) {
  int64_t v = 0;
  // <month> [of] <year>
  if (r.take_kind(Kind::Month, &v)) {
    r.take_kw(Keyword::Of);
    const auto y = r.year(today);
    if (!y || !r.done()) return MatchResult::no_match();
    return month_of_year(static_cast<uint32_t>(v), *y);
  }
  // q3 [of] <year>
  if (r.take_kind(Kind::Quarter, &v)) {
    r.take_kw(Keyword::Of);
    const auto y = r.year(today);
    if (!y || !r.done()) return MatchResult::no_match();
    return quarter_of_year(static_cast<uint32_t>(v), *y);
  }
  // <ordinal> quarter [of] <year>
  if (const Tok* t = r.tok(); t && t->is(Kind::Ordinal) && t->value >= 1 && t->value <= 4) {
    r.take_kind(Kind::Ordinal, &v);
    if (!r.take_unit(Unit::Quarter)) return MatchResult::no_match();
    r.take_kw(Keyword::Of);
    const auto y = r.year(today);
    if (!y || !r.done()) return MatchResult::no_match();
    return quarter_of_year(static_cast<uint32_t>(v), *y);
  }
  // [year] <year> [q3]
  const bool year_word = r.take_unit(Unit::Year);
  const auto y = r.year(today);
  if (!y || (!year_word && (*y < 1000 || *y > 9999))) return MatchResult::no_match();
  if (!year_word && r.take_kind(Kind::Quarter, &v)) {
    if (!r.done()) return MatchResult::no_match();
    return quarter_of_year(static_cast<uint32_t>(v), *y);
  }
  if (!r.done()) return MatchResult::no_match();
  return whole_year(*y, year_word || after_in ? kDate : kBareYear);
}

// The forms that name one day, after any weekday.
MatchResult day_forms(Reader r, std::optional<uint32_t> weekday, const Ctx& c) {
  int64_t v = 0;
  // <month> <day> [of] [<year>]
  if (r.take_kind(Kind::Month, &v)) {
    const auto d = r.day(true);
    if (!d) return MatchResult::no_match();
    std::optional<int64_t> y;
    if (!r.done()) {
      r.take_kw(Keyword::Of);
      y = r.year(c.today());
      if (!y || !r.done()) return MatchResult::no_match();
    }
    return named_day(static_cast<uint32_t>(v), *d, y, weekday, c.today().year(), c);
  }
  // <day> [of] <month> [<year>] | <day>
  const auto d = r.day(true);
  if (!d) return MatchResult::no_match();
  r.take_kw(Keyword::Of);
  if (!r.take_kind(Kind::Month, &v)) return MatchResult::no_match();
  std::optional<int64_t> y;
  if (!r.done()) {
    r.take_kw(Keyword::Of);
    y = r.year(c.today());
    if (!y || !r.done()) return MatchResult::no_match();
  }
  return named_day(static_cast<uint32_t>(v), *d, y, weekday, c.today().year(), c);
}

bool is_lead_word(const Piece& p) {
  return !p.is_shape && p.tok.is(Kind::Word) && contains_word(std::span(kLeadWords), p.tok.text);
}

// Every ordinal day word ends in "th", so other words skip the table.
constexpr bool ends_th(std::string_view w) {
  return w.size() > 2 && w[w.size() - 2] == 't' && w[w.size() - 1] == 'h';
}
static_assert(std::all_of(std::begin(kDayWords), std::end(kDayWords),
                          [](const WordEntry<uint32_t>& e) { return ends_th(e.word); }));

// Returns whether a piece may carry the date the forms above read: a
// shape, a month, a quarter, an ordinal, spelled or not ("the 14th",
// "tenth"), or a year (a number of three digits or more, "'25"). Every
// form needs one; a text without any ("5:30 pm", "tomorrow morning")
// answers no match for a look.
bool dated(const Piece& p) {
  if (p.is_shape) return true;
  const Tok& t = p.tok;
  switch (t.kind) {
    case Kind::Month:
    case Kind::Quarter:
    case Kind::Ordinal:
      return true;
    case Kind::Num:
      return t.value >= 100;
    case Kind::Word:
      return t.text.starts_with(kYearMarks[0]) || t.text.starts_with(kYearMarks[1]) ||
             (ends_th(t.text) && find_word<uint32_t>(kDayWords, t.text));
    default:
      return false;
  }
}

}  // namespace

// <month> <day> [[of] <year>] | <day> [of] <month> [[of] <year>]: the
// day these name, as try_match reads them without a weekday or a clock
// time. None for any other form, and for a day that does not exist, whose
// reason only try_match gives.
namespace {

// The next month and day on or after today, as next_occurrence finds it:
// this year's unless it has passed (told by the fields, without the date),
// else the first later year that has it.
std::optional<Day> upcoming_day(uint32_t month, uint32_t d, Date today) {
  const Civil now = today.civil();
  if (exists(now.year, month, d) && (month > now.month || (month == now.month && d >= now.day))) {
    if (now.year < kMinYear || now.year > kMaxYear) return std::nullopt;
    // As many days on from today as the days of this year between them.
    static constexpr uint16_t kDaysBefore[12] = {0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};
    const bool leap = is_leap_year(now.year);
    const auto day_of_year = [leap](uint32_t m, uint32_t day) {
      return int64_t{kDaysBefore[m - 1]} + day + (leap && m > 2 ? 1 : 0);
    };
    return Day{Date{today.days + day_of_year(month, d) - day_of_year(now.month, now.day)}, kDate};
  }
  for (int64_t year = int64_t{now.year} + 1; year <= int64_t{now.year} + 8; ++year) {
    if (!exists(year, month, d)) continue;
    const auto day = Date::from_ymd(year, month, d);
    if (!day) return std::nullopt;
    return Day{*day, kRolled};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Day> numeric_day(const Shape& s, DateOrder order) {
  if (s.kind != Shape::Kind::Numeric || s.count != 3) return std::nullopt;
  int64_t y = 0;
  uint32_t m = 0, d = 0;
  if (s.widths[0] == 4) {
    // <year>-<month>-<day>, whatever the order
    y = s.parts[0];
    m = s.parts[1];
    d = s.parts[2];
  } else if (s.widths[2] == 4 && s.widths[0] <= 2 && s.widths[1] <= 2 &&
             (order == DateOrder::MDY || order == DateOrder::DMY)) {
    // <month>/<day>/<year> | <day>/<month>/<year>, in the order given
    y = s.parts[2];
    m = s.parts[order == DateOrder::MDY ? 0 : 1];
    d = s.parts[order == DateOrder::MDY ? 1 : 0];
  } else {
    return std::nullopt;
  }
  if (!exists(y, m, d)) return std::nullopt;
  const auto day = Date::from_ymd(y, m, d);
  if (!day) return std::nullopt;
  return Day{*day, kDate};
}

std::optional<Day> plain_day(std::span<const Piece> pieces, Date today) {
  // <month> <day> | <day> <month>, the commonest, read at once.
  if (pieces.size() == 2 && !pieces[0].is_shape && !pieces[1].is_shape) {
    const bool month_first = pieces[0].tok.is(Kind::Month);
    const Tok& month = pieces[month_first ? 0 : 1].tok;
    const Tok& number = pieces[month_first ? 1 : 0].tok;
    if (month.is(Kind::Month) && (number.is(Kind::Num) || number.is(Kind::Ordinal)) &&
        number.value <= 99) {
      return upcoming_day(month.u32(), number.u32(), today);
    }
  }
  for (const Piece& p : pieces) {
    if (p.is_shape || !(p.tok.is(Kind::Month) || p.tok.is(Kind::Num) || p.tok.is(Kind::Ordinal) ||
                        p.tok.is_kw(Keyword::Of))) {
      return std::nullopt;
    }
  }
  Reader r(pieces);
  int64_t m = 0;
  std::optional<uint32_t> d;
  if (r.take_kind(Kind::Month, &m)) {
    d = r.day(true);
  } else {
    d = r.day(true);
    r.take_kw(Keyword::Of);
    if (!r.take_kind(Kind::Month, &m)) return std::nullopt;
  }
  if (!d) return std::nullopt;
  std::optional<int64_t> y;
  if (!r.done()) {
    r.take_kw(Keyword::Of);
    y = r.year(today);
    if (!y || !r.done()) return std::nullopt;
  }
  const auto month = static_cast<uint32_t>(m);
  if (y) {
    if (!exists(*y, month, *d)) return std::nullopt;
    const auto day = Date::from_ymd(*y, month, *d);
    if (!day) return std::nullopt;
    return Day{*day, kDate};
  }
  return upcoming_day(month, *d, today);
}

// Compiled with every call in place: every text the core does not read
// meets it first, and most are refused by a few looks.
[[gnu::flatten]] MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (std::none_of(pieces.begin(), pieces.end(), dated)) return MatchResult::no_match();
  // by|due|dated|in|during ...: words that add nothing
  bool after_in = false;
  bool during = false;
  while (!pieces.empty()) {
    const Piece& p = pieces.front();
    const bool within =
        !p.is_shape && p.tok.is(Kind::Word) && contains_word(std::span(kWithinWords), p.tok.text);
    if (!p.is_shape && (p.tok.is_kw(Keyword::In) || within)) {
      after_in = true;
      during = during || within;
    } else if (!is_lead_word(p)) {
      break;
    }
    pieces = pieces.subspan(1);
  }
  if (pieces.empty()) return MatchResult::no_match();
  // during <month>: the month the core reads alone ("during july"; "in
  // july" is left to the core, whose search finds the month word); the
  // <ordinal> quarter: the core's q1..q4 ("the third quarter").
  const bool quarter = pieces.size() == 2 && !pieces[0].is_shape && !pieces[1].is_shape &&
                       pieces[0].tok.is(Kind::Ordinal) && pieces[0].tok.value >= 1 &&
                       pieces[0].tok.value <= 4 && pieces[1].tok.is_unit(Unit::Quarter);
  if (quarter ||
      (during && pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Month))) {
    const std::array<Piece, 1> q = {Piece{false, Tok::quarter(pieces[0].tok.u32()), {}}};
    std::optional<Outcome> o = core_reading(quarter ? std::span<const Piece>(q) : pieces, ctx);
    if (!o || o->kind == Outcome::Kind::NoParse) return MatchResult::no_match();
    if (o->kind == Outcome::Kind::Ambiguous)
      return MatchResult::ambiguous(std::move(o->candidates), std::move(o->reason));
    return MatchResult::single(std::move(o->reading));
  }

  // <time> <date> | <date> <time>
  Ctx c = ctx.core;
  if (pieces.size() >= 2) {
    if (const auto t = clock_of(pieces.back())) {
      c.tod = *t;
      c.tod_explicit = true;
      pieces = pieces.first(pieces.size() - 1);
    } else if (const auto t2 = clock_of(pieces.front())) {
      c.tod = *t2;
      c.tod_explicit = true;
      pieces = pieces.subspan(1);
    }
  }

  // <weekday> <date>
  std::optional<uint32_t> weekday;
  if (pieces.size() >= 2 && !pieces.front().is_shape && pieces.front().tok.is(Kind::Weekday)) {
    weekday = pieces.front().tok.u32();
    pieces = pieces.subspan(1);
  }

  if (pieces.size() == 1 && pieces[0].is_shape) {
    const Shape& s = pieces[0].shape;
    if (s.kind == Shape::Kind::DateTime) {
      // The date-time's own clock time; a second one is not read.
      if (c.tod_explicit) return MatchResult::no_match();
      c.tod = TimeOfDay::hms(s.hour, s.minute, s.second);
      c.tod_explicit = true;
    }
    return shaped(s, weekday, c, ctx.opts.date_order);
  }
  for (const Piece& p : pieces) {
    if (p.is_shape) return MatchResult::no_match();
  }

  if (MatchResult m = day_of_named_month(pieces, weekday, c); m.kind != MatchResult::Kind::NoMatch)
    return m;
  // <ordinal>: a day of the month alone ("the 14th", "friday the 14th")
  if (pieces.size() == 1 && pieces[0].tok.is(Kind::Ordinal)) {
    return day_of_month(pieces[0].tok.u32(), weekday, c);
  }
  if (pieces.size() <= 2 && !pieces[0].tok.is(Kind::Num)) {
    Reader r(pieces);
    if (const auto d = r.day(false); d && r.done()) return day_of_month(*d, weekday, c);
  }

  if (MatchResult m = day_forms(Reader(pieces), weekday, c); m.kind != MatchResult::Kind::NoMatch) {
    return m;
  }
  if (weekday || c.tod_explicit) return MatchResult::no_match();
  // the <number>: a name ("the 1975"); a year goes without "the", or with
  // the word ("the year 1975").
  if (pieces.size() == 1 && pieces[0].tok.is(Kind::Num) && ctx.text.size() > 4 &&
      (ctx.text[0] | 0x20) == 't' && (ctx.text[1] | 0x20) == 'h' && (ctx.text[2] | 0x20) == 'e' &&
      ctx.text[3] == ' ') {
    return MatchResult::no_match();
  }
  return period_forms(Reader(pieces), c.today(), after_in);
}

}  // namespace kalendo::everyday::dates
