// Matches working-day counts and period edges: next business day, in 3
// business days, end of month, start of next week, end of Q3, last business
// day of the month.
#include "grammar/business_days.h"
#include "grammar/mod.h"

namespace kalendo::business {
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
    note = cat(" (this year's Q", std::to_string(q), " has passed; assuming ", std::to_string(year),
               ")");
  }
  const auto month = month_range(year, end ? 3 * q : 3 * q - 2);
  if (!month) return MatchResult::no_match();
  std::string text = end ? "last month of Q" : "first month of Q";
  text += std::to_string(q);
  text += note;
  return MatchResult::single(std::move(text), Value::days(month->first, month->last), 0.85f);
}

// end|start of <period>: its last or first day.
MatchResult period_edge(bool end, TokenSpan period, const Ctx& ctx) {
  const auto p = period_after_of(period, ctx);
  if (!p) return MatchResult::no_match();
  std::string text = end ? "the last day of " : "the first day of ";
  text += p->label;
  return at_day(end ? p->last : p->first, std::move(text), std::min(p->confidence, kEdgeCap), ctx);
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
                         cat(std::to_string(n), " business days from today"), 0.9f, ctx);
}

// The shapes that begin with a keyword and are not settled by their length:
// end|start of <period>, last business day of <period>.
MatchResult general(TokenSpan toks, const Ctx& ctx) {
  if (toks.size() >= 2 && toks[1].is_kw(Keyword::Of) &&
      (toks[0].is_kw(Keyword::End) || toks[0].is_kw(Keyword::Start))) {
    return period_edge(toks[0].is_kw(Keyword::End), toks.subspan(2), ctx);
  }
  if (toks.size() >= 3 && toks[0].is_kw(Keyword::Last) && toks[1].is_unit(Unit::BusinessDay) &&
      toks[2].is_kw(Keyword::Of)) {
    return last_business_day(toks.subspan(3), ctx);
  }
  return MatchResult::no_match();
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  const std::size_t n = toks.size();
  if (n < 2) return MatchResult::no_match();
  const bool first_kw = toks[0].is(Kind::Kw);
  if (n == 2) {
    // next business day
    if (first_kw && toks[1].is(Kind::Unit)) {
      if (!toks[0].is_kw(Keyword::Next) || !toks[1].is_unit(Unit::BusinessDay)) {
        return MatchResult::no_match();
      }
      return at_business_day(walk_business_days(ctx.holidays, ctx.today(), 1),
                             "the next business day (skipping weekends and holidays)", 0.95f, ctx);
    }
    return first_kw ? general(toks, ctx) : MatchResult::no_match();
  }
  if (n == 3 && first_kw) {
    // in <n> business days
    if (toks[1].is(Kind::Num)) {
      if (!toks[0].is_kw(Keyword::In) || !toks[2].is_unit(Unit::BusinessDay)) {
        return MatchResult::no_match();
      }
      return count_forward(toks[1].value, ctx);
    }
    // end|start of <quarter>
    if (toks[1].is_kw(Keyword::Of) && toks[2].is(Kind::Quarter) &&
        (toks[0].is_kw(Keyword::End) || toks[0].is_kw(Keyword::Start))) {
      return quarter_edge(toks[0].is_kw(Keyword::End), toks[2].u32(), ctx);
    }
    return general(toks, ctx);
  }
  // <n> business days from now
  if (n == 4 && toks[0].is(Kind::Num)) {
    if (!toks[1].is_unit(Unit::BusinessDay) || !toks[2].is_kw(Keyword::From) ||
        !toks[3].is_kw(Keyword::Now)) {
      return MatchResult::no_match();
    }
    return count_forward(toks[0].value, ctx);
  }
  return first_kw ? general(toks, ctx) : MatchResult::no_match();
}

}  // namespace kalendo::business
