// Matches expressions measured from now: 17:30, tomorrow, next month, in 3 days.
#include <cstdlib>

#include "grammar/mod.h"
#include "grammar/units.h"

namespace kalendo::relative {

using namespace std::string_view_literals;
namespace {

using Kind = Tok::Kind;

// <time>: the next time the clock shows it.
MatchResult bare_time(const Tok& t, const Ctx& ctx) {
  const TimeOfDay at = TimeOfDay::hms(t.u32(), t.minute, 0);
  const bool passed = ctx.now.time.secs >= at.secs;
  const auto date = passed ? add_days(ctx.today(), 1) : ctx.today();
  if (!date) return MatchResult::no_match();
  // "HH:MM", then the day: built at its full size at once.
  const uint32_t h = at.hour();
  const uint32_t m = at.minute();
  const char clock[5] = {static_cast<char>('0' + h / 10), static_cast<char>('0' + h % 10), ':',
                         static_cast<char>('0' + m / 10), static_cast<char>('0' + m % 10)};
  std::string text = cat(std::string_view(clock, 5),
                         passed ? " tomorrow (that time has already passed today)"sv : " today"sv);
  return MatchResult::single(std::move(text), Value::instant(DateTime{*date, at}), 0.9f);
}

// now | today | tomorrow | yesterday
MatchResult day_word(Keyword k, const Ctx& ctx) {
  if (k == Keyword::Now) {
    return MatchResult::single(std::string("the current moment"sv), Value::instant(ctx.now), 1.0f);
  }
  int64_t offset = 0;
  std::string_view word;
  switch (k) {
    case Keyword::Today:
      word = "today, ";
      break;
    case Keyword::Tomorrow:
      word = "tomorrow, ";
      offset = 1;
      break;
    case Keyword::Yesterday:
      word = "yesterday, ";
      offset = -1;
      break;
    default:
      return MatchResult::no_match();
  }
  const auto date = add_days(ctx.today(), offset);
  if (!date) return MatchResult::no_match();
  return MatchResult::single(cat(word, tod_label(ctx)), Value::instant(DateTime{*date, ctx.tod}),
                             0.95f);
}

// next|last|this week|month|quarter|year
MatchResult named_period(TokenSpan toks, const Ctx& ctx) {
  const Keyword k = toks[0].keyword();
  if (k != Keyword::Next && k != Keyword::Last && k != Keyword::This)
    return MatchResult::no_match();
  const Unit u = toks[1].unit_code();
  if (u != Unit::Week && u != Unit::Month && u != Unit::Quarter && u != Unit::Year) {
    return MatchResult::no_match();
  }
  auto p = period_of(toks, ctx.opts, ctx.today());
  if (!p) return MatchResult::no_match();
  return MatchResult::single(p->label.str(), Value::days(p->first, p->last), 0.9f);
}

// <n> <unit> ago | in <n> <unit> | <n> <unit> from now
MatchResult offset(int64_t n, Unit u, bool forward, const Ctx& ctx) {
  const auto r = shift(ctx.now, u, forward ? n : -n);
  if (!r) return MatchResult::no_match();
  DateTime at = r->at;
  if (unit_facts(u).lands_on_date() && ctx.tod_explicit) at.time = ctx.tod;
  const bool distant = std::llabs(days_between(ctx.today(), at.date)) >= kDistantDays;
  std::string text =
      cat(number_text(n), " ", r->word, n != 1 ? "s"sv : ""sv,
          forward ? " from now"sv : " before now"sv, distant ? " (distant horizon)"sv : ""sv);
  return MatchResult::single(std::move(text), Value::instant(at), distant ? 0.9f : 0.95f);
}

}  // namespace

std::string_view unit_word(Unit u) {
  return unit_facts(u).word;
}

std::optional<Shifted> shift(DateTime moment, Unit unit, int64_t count) {
  const UnitFacts& f = unit_facts(unit);
  int64_t total = 0;
  if (f.seconds != 0) {
    if (__builtin_mul_overflow(count, f.seconds, &total)) return std::nullopt;
    const auto at = add_seconds(moment, total);
    if (!at) return std::nullopt;
    return Shifted{*at, f.word};
  }
  if (f.months != 0) {
    if (__builtin_mul_overflow(count, f.months, &total)) return std::nullopt;
    const auto date = add_months_checked(moment.date, total);
    if (!date) return std::nullopt;
    return Shifted{DateTime{*date, moment.time}, f.word};
  }
  return std::nullopt;
}

std::string plural(int64_t count, std::string_view word) {
  return cat(number_text(count), " ", word, count != 1 ? "s"sv : ""sv);
}

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  switch (toks.size()) {
    case 1:
      if (toks[0].is(Kind::Time)) return bare_time(toks[0], ctx);
      if (toks[0].is(Kind::Kw)) return day_word(toks[0].keyword(), ctx);
      return MatchResult::no_match();
    case 2:
      if (toks[0].is(Kind::Kw) && toks[1].is(Kind::Unit)) return named_period(toks, ctx);
      return MatchResult::no_match();
    case 3:
      // <n> <unit> ago
      if (toks[0].is(Kind::Num) && toks[1].is(Kind::Unit) && toks[2].is_kw(Keyword::Ago)) {
        return offset(toks[0].value, toks[1].unit_code(), false, ctx);
      }
      // in <n> <unit>
      if (toks[0].is_kw(Keyword::In) && toks[1].is(Kind::Num) && toks[2].is(Kind::Unit)) {
        return offset(toks[1].value, toks[2].unit_code(), true, ctx);
      }
      return MatchResult::no_match();
    case 4:
      // <n> <unit> from now
      if (toks[0].is(Kind::Num) && toks[1].is(Kind::Unit) && toks[2].is_kw(Keyword::From) &&
          toks[3].is_kw(Keyword::Now)) {
        return offset(toks[0].value, toks[1].unit_code(), true, ctx);
      }
      return MatchResult::no_match();
    default:
      return MatchResult::no_match();
  }
}

}  // namespace kalendo::relative
