// Matches the extended phrases: a bare month or quarter, a bare anchor,
// weekends, a weekday of a named week, weeks, months and weekends next to an
// anchor, the n-th weekday after an anchor, doubly hedged parts of a period,
// and the business-day counts: 3 business days ago, 2 business days after
// launch, first business day of next month.
#include "grammar/business_days.h"
#include "grammar/mod.h"

namespace kalendo::ext {

using namespace std::string_view_literals;
namespace {

using Kind = Tok::Kind;

MatchResult whole_days(std::optional<Date> first, std::optional<Date> last, std::string text,
                       float confidence) {
  if (!first || !last) return MatchResult::no_match();
  return MatchResult::single(std::move(text), Value::days(*first, *last), confidence);
}

std::optional<Date> plus(std::optional<Date> d, int64_t days) {
  return d ? add_days(*d, days) : std::nullopt;
}

// <month>: held at 0.7, since "may" and "march" are ordinary words too.
// Said during that month it may mean this one or next year's.
MatchResult bare_month(const Tok& t, const Ctx& ctx) {
  const uint32_t m = t.u32();
  const Civil today = ctx.today().civil();
  if (m != today.month) {
    auto p = period_of(TokenSpan(&t, 1), ctx.opts, ctx.today());
    if (!p) return MatchResult::no_match();
    return MatchResult::single(p->label.str(), Value::days(p->first, p->last), 0.7f);
  }
  const auto current = month_range(today.year, m);
  const auto next_year = month_range(static_cast<int64_t>(today.year) + 1, m);
  if (!current || !next_year) return MatchResult::no_match();
  const std::string_view name = kMonthNames[m - 1];
  const std::string later = cat(name, " ", number_text(static_cast<int64_t>(today.year) + 1));
  std::vector<Resolution> candidates;
  candidates.reserve(2);
  candidates.push_back(
      {cat(name, " \u2014 the current month"), Value::days(current->first, current->last), 0.6f});
  candidates.push_back({later, Value::days(next_year->first, next_year->last), 0.55f});
  std::string reason = cat("\"", lower_name(name), "\" said during ", name,
                           " could mean the current month or ", later);
  return MatchResult::ambiguous(std::move(candidates), std::move(reason));
}

// <quarter>: this year's, or next year's once it has passed.
MatchResult bare_quarter(const Tok& t, const Ctx& ctx) {
  auto p = period_of(TokenSpan(&t, 1), ctx.opts, ctx.today());
  if (!p) return MatchResult::no_match();
  return MatchResult::single(p->label.str(), Value::days(p->first, p->last), p->confidence);
}

// <anchor>
MatchResult bare_anchor(const Tok& t, const Ctx& ctx) {
  return at_day(anchor_date(ctx.anchors, t.text), cat("the date of \"", t.text, "\""), 0.95f, ctx);
}

// The Saturday of the configured week `weeks` weeks from the current one;
// found directly, so that it exists whenever that day does.
std::optional<Date> saturday_of_week(const Ctx& ctx, int64_t weeks) {
  return weekday_in_week(ctx.today(), ctx.opts.week_start, weeks, kSaturday);
}

// next|last|this weekend: "next weekend" said before this week's Saturday
// may mean the coming one or the one after it.
MatchResult weekend(const Tok& kw, const Tok& unit, const Ctx& ctx) {
  if (!unit.is_unit(Unit::Weekend)) return MatchResult::no_match();
  const auto sat = saturday_of_week(ctx, 0);
  switch (kw.keyword()) {
    case Keyword::This:
      return whole_days(sat, plus(sat, 1), "the weekend of the current week (Sat-Sun)", 0.9f);
    case Keyword::Last: {
      const auto last_sat = saturday_of_week(ctx, -1);
      return whole_days(last_sat, plus(last_sat, 1), "the weekend of the previous week (Sat-Sun)",
                        0.9f);
    }
    case Keyword::Next:
      break;
    default:
      return MatchResult::no_match();
  }
  const auto coming_end = plus(sat, 1);
  const auto after_first = plus(sat, 7);
  const auto after_last = plus(sat, 8);
  if (!sat || !coming_end || !after_first || !after_last) return MatchResult::no_match();
  if (ctx.today() >= *sat) {
    return whole_days(after_first, after_last, "the weekend of next week (Sat-Sun)", 0.9f);
  }
  std::vector<Resolution> candidates;
  candidates.reserve(2);
  candidates.push_back({"the coming weekend (Sat-Sun)", Value::days(*sat, *coming_end), 0.65f});
  candidates.push_back({"the weekend after the coming one (Sat-Sun)",
                        Value::days(*after_first, *after_last), 0.55f});
  return MatchResult::ambiguous(
      std::move(candidates),
      "\"next weekend\" said midweek can mean the coming weekend or the one after it");
}

// <weekday> next|last|this week
MatchResult weekday_of_week(TokenSpan toks, const Ctx& ctx) {
  if (!toks[1].is(Kind::Kw) || !toks[2].is_unit(Unit::Week)) return MatchResult::no_match();
  int64_t shift = 0;  // in weeks
  std::string_view which;
  switch (toks[1].keyword()) {
    case Keyword::Next:
      shift = 1;
      which = "next";
      break;
    case Keyword::Last:
      shift = -1;
      which = "last";
      break;
    case Keyword::This:
      which = "the current";
      break;
    default:
      return MatchResult::no_match();
  }
  const uint32_t w = toks[0].u32();
  const auto d = weekday_in_week(ctx.today(), ctx.opts.week_start, shift, w);
  if (!d) return MatchResult::no_match();
  std::string_view note;
  float confidence = 0.95f;
  if (shift == 0) {
    confidence = 0.85f;
    if (*d < ctx.today()) {
      note = " (already passed this week)";
      confidence = 0.75f;
    }
  }
  return at_day(d, cat(kWeekdayNames[w], " of ", which, " week", note), confidence, ctx);
}

// week|month after|before <anchor> | weekend after <anchor>
MatchResult period_by_anchor(TokenSpan toks, const Ctx& ctx) {
  const Unit u = toks[0].unit_code();
  const bool after = toks[1].is_kw(Keyword::After);
  if (!(after || toks[1].is_kw(Keyword::Before)) || !toks[2].is(Kind::Anchor)) {
    return MatchResult::no_match();
  }
  const auto a = anchor_date(ctx.anchors, toks[2].text);
  if (!a) return MatchResult::no_match();
  const std::string a_text = format_date(*a);
  if (u == Unit::Weekend) {
    if (!after) return MatchResult::no_match();
    const auto sat = next_weekday(*a, kSaturday, true);
    return whole_days(sat, plus(sat, 1), cat("the first weekend (Sat-Sun) after ", a_text), 0.9f);
  }
  const std::string way = after ? "after" : "before";
  if (u == Unit::Week) {
    const auto first = plus(first_day_of_week(*a, ctx.opts.week_start), after ? 7 : -7);
    return whole_days(first, plus(first, 6),
                      cat("the calendar week ", way, " the one containing ", a_text), 0.9f);
  }
  if (u == Unit::Month) {
    const Civil c = a->civil();
    const auto m = add_months_checked(*Date::from_ymd(c.year, c.month, 1), after ? 1 : -1);
    const auto days = m ? month_range(m->year(), m->month()) : std::nullopt;
    if (!days) return MatchResult::no_match();
    return whole_days(days->first, days->last,
                      cat("the calendar month ", way, " the one containing ", a_text), 0.9f);
  }
  return MatchResult::no_match();
}

// <ordinal> <weekday> after <anchor>
MatchResult nth_weekday_after(TokenSpan toks, const Ctx& ctx) {
  if (!toks[2].is_kw(Keyword::After) || !toks[3].is(Kind::Anchor)) return MatchResult::no_match();
  const uint32_t n = toks[0].u32();
  const uint32_t w = toks[1].u32();
  const auto a = anchor_date(ctx.anchors, toks[3].text);
  if (!a || n == 0) return MatchResult::no_match();
  return at_day(
      plus(next_weekday(*a, w, true), 7 * (static_cast<int64_t>(n) - 1)),
      cat("the ", ord_text(n), " ", kWeekdayNames[w], " strictly after ", format_date(*a)), 0.9f,
      ctx);
}

// around early|mid|late [in] <period>
MatchResult doubly_hedged(TokenSpan toks, const Ctx& ctx) {
  if (toks.size() < 2 || !toks[0].is_kw(Keyword::Around) || !toks[1].is(Kind::Kw)) {
    return MatchResult::no_match();
  }
  const Keyword part = toks[1].keyword();
  if (part != Keyword::Early && part != Keyword::Mid && part != Keyword::Late) {
    return MatchResult::no_match();
  }
  TokenSpan period = toks.subspan(2);
  if (!period.empty() && period[0].is_kw(Keyword::In)) period = period.subspan(1);
  const auto p = period_of(period, ctx.opts, ctx.today());
  if (!p) return MatchResult::no_match();
  const Third t = third_span(p->first, p->last, part);
  return MatchResult::single(cat("the ", t.label, " ", p->label, " (doubly hedged)"),
                             Value::days(t.first, t.last), std::min(p->confidence, 0.7f));
}

// <n> business days ago
MatchResult business_days_ago(TokenSpan toks, const Ctx& ctx) {
  if (!toks[1].is_unit(Unit::BusinessDay) || !toks[2].is_kw(Keyword::Ago)) {
    return MatchResult::no_match();
  }
  const int64_t n = toks[0].value;
  return at_business_day(walk_business_days(ctx.holidays, ctx.today(), -n),
                         cat(number_text(n), " business days before today"), 0.9f, ctx);
}

// <n> business days after|before <anchor>
MatchResult business_days_from_anchor(TokenSpan toks, const Ctx& ctx) {
  const bool after = toks[2].is_kw(Keyword::After);
  if (!toks[1].is_unit(Unit::BusinessDay) || !(after || toks[2].is_kw(Keyword::Before)) ||
      !toks[3].is(Kind::Anchor)) {
    return MatchResult::no_match();
  }
  const auto a = anchor_date(ctx.anchors, toks[3].text);
  if (!a) return MatchResult::no_match();
  const int64_t n = toks[0].value;
  return at_business_day(
      walk_business_days(ctx.holidays, *a, after ? n : -n),
      cat(number_text(n), " business days ", after ? "after "sv : "before "sv, format_date(*a)),
      0.9f, ctx);
}

// <ordinal> business day of <period>: the period's first day counts itself.
MatchResult nth_business_day(TokenSpan toks, const Ctx& ctx) {
  if (!toks[1].is_unit(Unit::BusinessDay) || !toks[2].is_kw(Keyword::Of)) {
    return MatchResult::no_match();
  }
  const auto p = period_of(toks.subspan(3), ctx.opts, ctx.today());
  const uint32_t n = toks[0].u32();
  if (!p || n == 0) return MatchResult::no_match();
  const auto before_first = add_days(p->first, -1);
  if (!before_first) return MatchResult::no_match();
  const BusinessWalk walk = walk_business_days(ctx.holidays, *before_first, n);
  if (!walk.ok()) return walk_not_finished(walk);
  if (walk.day > p->last) {
    return MatchResult::reject(cat(p->label, " has fewer than ", number_text(n), " business days"));
  }
  return at_day(walk.day, cat("the ", ord_text(n), " business day of ", p->label),
                std::min(p->confidence, 0.85f), ctx);
}

}  // namespace

std::string ord_label(uint32_t n) {
  return std::string(std::string_view(ord_text(n)));
}

Third third_span(Date first, Date last, Keyword part) {
  const int64_t len = days_between(first, last) + 1;
  const int64_t t1 = len / 3;
  const int64_t t2 = 2 * len / 3;
  switch (part) {
    case Keyword::Early:
      return {first, Date{first.days + std::max<int64_t>(t1, 1) - 1}, "early part of"};
    case Keyword::Mid:
      return {Date{first.days + t1}, Date{first.days + std::max(t1 + 1, t2) - 1}, "middle part of"};
    default:
      return {Date{first.days + t2}, last, "late part of"};
  }
}

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  const std::size_t n = toks.size();
  if (n == 0) return MatchResult::no_match();
  const Tok& first = toks[0];
  // <month>
  if (n == 1 && first.is(Kind::Month)) return bare_month(first, ctx);
  // <quarter>
  if (n == 1 && first.is(Kind::Quarter)) return bare_quarter(first, ctx);
  // <anchor>
  if (n == 1 && first.is(Kind::Anchor)) return bare_anchor(first, ctx);
  // next|last|this weekend
  if (n == 2 && first.is(Kind::Kw) && toks[1].is(Kind::Unit)) return weekend(first, toks[1], ctx);
  // week|month after|before <anchor> | weekend after <anchor>
  if (n == 3 && first.is(Kind::Unit)) return period_by_anchor(toks, ctx);
  // <weekday> next|last|this week
  if (n == 3 && first.is(Kind::Weekday)) return weekday_of_week(toks, ctx);
  // <n> business days ago
  if (n == 3 && first.is(Kind::Num)) return business_days_ago(toks, ctx);
  // <n> business days after|before <anchor>
  if (n == 4 && first.is(Kind::Num)) return business_days_from_anchor(toks, ctx);
  // <ordinal> <weekday> after <anchor>
  if (n == 4 && first.is(Kind::Ordinal) && toks[1].is(Kind::Weekday)) {
    return nth_weekday_after(toks, ctx);
  }
  // <ordinal> business day of <period>
  if (n >= 3 && first.is(Kind::Ordinal)) return nth_business_day(toks, ctx);
  // around early|mid|late [in] <period>
  return doubly_hedged(toks, ctx);
}

}  // namespace kalendo::ext
