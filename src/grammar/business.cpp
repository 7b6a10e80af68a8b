// Matches working-day counts and period edges: next business day, in 3
// business days, end of month, start of next week, end of Q3, last business
// day of the month.
#include "grammar/business_days.h"
#include "grammar/mod.h"

namespace kalendo::business {

using namespace std::string_view_literals;
namespace {

using Kind = Tok::Kind;

constexpr float kEdgeCap = 0.85f;

// Names the period of the tokens after "of"; a lone unit means the current
// one ("end of month" is the end of this month).
std::optional<Period> period_after_of(TokenSpan toks, const Ctx& ctx) {
  if (toks.size() == 1 && toks[0].is(Kind::Unit)) {
    const Tok rewritten[2] = {Tok::kw(Keyword::This), toks[0]};
    return period_of(rewritten, ctx.opts, ctx.today());
  }
  return period_of(toks, ctx.opts, ctx.today());
}

// end|start of <quarter>: the quarter's last or first month, this year's or,
// once the quarter has passed, next year's.
MatchResult quarter_edge(bool end, uint32_t q, const Ctx& ctx) {
  int64_t year = ctx.today().year();
  std::string note;
  const auto quarter = quarter_range(year, q);
  if (!quarter) return MatchResult::no_match();
  if (quarter->last < ctx.today()) {
    ++year;
    note = cat(" (this year's Q", number_text(q), " has passed; assuming ", number_text(year), ")");
  }
  const auto month = month_range(year, end ? 3 * q : 3 * q - 2);
  if (!month) return MatchResult::no_match();
  std::string text = cat(end ? "last month of Q"sv : "first month of Q"sv, number_text(q), note);
  return MatchResult::single(std::move(text), Value::days(month->first, month->last), 0.85f);
}

// end|start of <period>: its last or first day.
MatchResult period_edge(bool end, TokenSpan period, const Ctx& ctx) {
  const auto p = period_after_of(period, ctx);
  if (!p) return MatchResult::no_match();
  return at_day(end ? p->last : p->first,
                cat(end ? "the last day of "sv : "the first day of "sv, p->label),
                std::min(p->confidence, kEdgeCap), ctx);
}

// last business day of <period>: may step back out of the period when none
// of its days is a business day.
MatchResult last_business_day(TokenSpan period, const Ctx& ctx) {
  const auto p = period_after_of(period, ctx);
  if (!p) return MatchResult::no_match();
  return at_business_day(last_business_day_on_or_before(p->last, ctx.holidays),
                         cat("the last business day of ", p->label),
                         std::min(p->confidence, kEdgeCap), ctx);
}

// in <n> business days | <n> business days from now
MatchResult count_forward(int64_t n, const Ctx& ctx) {
  if (n < 0) return MatchResult::no_match();
  return at_business_day(walk_business_days(ctx.holidays, ctx.today(), n),
                         cat(number_text(n), " business days from today"), 0.9f, ctx);
}

bool is_edge(const Tok& t) {
  return t.is_kw(Keyword::End) || t.is_kw(Keyword::Start);
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  const std::size_t n = toks.size();
  if (n < 2) return MatchResult::no_match();
  const Tok& first = toks[0];
  // next business day
  if (n == 2 && first.is_kw(Keyword::Next) && toks[1].is_unit(Unit::BusinessDay)) {
    return at_business_day(walk_business_days(ctx.holidays, ctx.today(), 1),
                           "the next business day (skipping weekends and holidays)", 0.95f, ctx);
  }
  // in <n> business days
  if (n == 3 && first.is_kw(Keyword::In) && toks[1].is(Kind::Num) &&
      toks[2].is_unit(Unit::BusinessDay)) {
    return count_forward(toks[1].value, ctx);
  }
  // <n> business days from now
  if (n == 4 && first.is(Kind::Num) && toks[1].is_unit(Unit::BusinessDay) &&
      toks[2].is_kw(Keyword::From) && toks[3].is_kw(Keyword::Now)) {
    return count_forward(first.value, ctx);
  }
  // end|start of <quarter>
  if (n == 3 && is_edge(first) && toks[1].is_kw(Keyword::Of) && toks[2].is(Kind::Quarter)) {
    return quarter_edge(first.is_kw(Keyword::End), toks[2].u32(), ctx);
  }
  // end|start of <period>
  if (is_edge(first) && toks[1].is_kw(Keyword::Of)) {
    return period_edge(first.is_kw(Keyword::End), toks.subspan(2), ctx);
  }
  // last business day of <period>
  if (n >= 3 && first.is_kw(Keyword::Last) && toks[1].is_unit(Unit::BusinessDay) &&
      toks[2].is_kw(Keyword::Of)) {
    return last_business_day(toks.subspan(3), ctx);
  }
  return MatchResult::no_match();
}

}  // namespace kalendo::business
