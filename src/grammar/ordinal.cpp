// Matches a weekday picked by its rank inside a month: the 3rd friday of
// march, first monday of june 2026, last friday of may, 2nd tuesday of next
// month.
#include "grammar/mod.h"

namespace kalendo::ordinal {

using namespace std::string_view_literals;
namespace {

using Kind = Tok::Kind;

// "{Month} {year} has no {ord} {Weekday}", the year being the last searched.
MatchResult no_such_day(uint32_t m, int64_t y, uint32_t n, uint32_t w) {
  return MatchResult::reject(
      cat(kMonthNames[m - 1], " ", number_text(y), " has no ", ord_text(n), " ", kWeekdayNames[w]));
}

// The day found in the named month, the year searched last, and whether
// this year's day had passed so that next year's was taken.
struct Found {
  std::optional<Date> day;
  int64_t year;
  bool rolled;
};

// Searches the written year, or this year and then next year once this
// year's day has passed. `find` maps a year to the day in its month.
template <typename Find>
Found find_in_year(Find find, std::optional<int64_t> written, const Ctx& ctx) {
  if (written) return {find(*written), *written, false};
  int64_t y = ctx.today().year();
  bool rolled = false;
  if (const auto d = find(y); d && *d < ctx.today()) {
    ++y;
    rolled = true;
  }
  return {find(y), y, rolled};
}

// <ordinal> <weekday> of <month> [<year>] | last <weekday> of <month> [<year>]
MatchResult in_month(std::optional<uint32_t> n, uint32_t w, uint32_t m,
                     std::optional<int64_t> written, const Ctx& ctx) {
  Found f;
  NumberText rank;
  if (n) {
    f = find_in_year([&](int64_t y) { return nth_weekday_of_month(y, m, *n, w); }, written, ctx);
    if (!f.day) return no_such_day(m, f.year, *n, w);
    rank = ord_text(*n);
  } else {
    // The last weekday always exists, unless the year leaves the range.
    f = find_in_year([&](int64_t y) { return last_weekday_of_month(y, m, w); }, written, ctx);
    if (!f.day) return MatchResult::no_match();
  }
  const std::string_view which = n ? std::string_view(rank) : "last"sv;
  const NumberText year = number_text(f.year);
  return at_day(f.day,
                cat("the ", which, " ", kWeekdayNames[w], " of ", kMonthNames[m - 1], " ", year,
                    f.rolled ? " (this year's has passed; assuming "sv : ""sv,
                    f.rolled ? std::string_view(year) : ""sv, f.rolled ? ")"sv : ""sv),
                written ? 0.9f : 0.85f, ctx);
}

// <ordinal> <weekday> of next|this month: never rolls over.
MatchResult nth_of_relative_month(uint32_t n, uint32_t w, bool next, const Ctx& ctx) {
  const Civil today = ctx.today().civil();
  auto first = Date::from_ymd(today.year, today.month, 1);
  if (next) first = add_months_checked(*first, 1);
  if (!first) return MatchResult::no_match();
  const Civil c = first->civil();
  const auto d = nth_weekday_of_month(c.year, c.month, n, w);
  if (!d) return no_such_day(c.month, c.year, n, w);
  return at_day(
      *d,
      cat("the ", ord_text(n), " ", kWeekdayNames[w], " of ", next ? "next"sv : "the current"sv,
          " month (", kMonthNames[c.month - 1], " ", number_text(c.year), ")"),
      0.85f, ctx);
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  if (toks.size() != 4 && toks.size() != 5) return MatchResult::no_match();
  const bool ranked = toks[0].is(Kind::Ordinal);
  const bool last = toks[0].is_kw(Keyword::Last);
  if ((!ranked && !last) || !toks[1].is(Kind::Weekday) || !toks[2].is_kw(Keyword::Of)) {
    return MatchResult::no_match();
  }
  const uint32_t w = toks[1].u32();
  std::optional<int64_t> year;
  if (toks.size() == 5 && toks[3].is(Kind::Month)) {
    if (!toks[4].is(Kind::Num)) return MatchResult::no_match();
    year = toks[4].value;
  }
  if (toks[3].is(Kind::Month)) {
    const auto n = ranked ? std::optional<uint32_t>(toks[0].u32()) : std::nullopt;
    return in_month(n, w, toks[3].u32(), year, ctx);
  }
  // <ordinal> <weekday> of next|this month
  if (ranked && toks.size() == 5 && toks[4].is_unit(Unit::Month) &&
      (toks[3].is_kw(Keyword::Next) || toks[3].is_kw(Keyword::This))) {
    return nth_of_relative_month(toks[0].u32(), w, toks[3].is_kw(Keyword::Next), ctx);
  }
  return MatchResult::no_match();
}

}  // namespace kalendo::ordinal
