// Matches a rough part of a period, or the whole period held loosely: early
// next week, mid march, late in the month, sometime next week, around Q3.
#include "grammar/mod.h"

namespace kalendo::vague {

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  // early|mid|late|around [in] <period>
  if (toks.empty() || !toks[0].is(Tok::Kind::Kw)) return MatchResult::no_match();
  const Keyword k = toks[0].keyword();
  if (k != Keyword::Early && k != Keyword::Mid && k != Keyword::Late && k != Keyword::Around) {
    return MatchResult::no_match();
  }
  TokenSpan period = toks.subspan(1);
  if (toks.size() >= 2 && toks[1].is_kw(Keyword::In)) period = toks.subspan(2);
  auto p = period_of(period, ctx.opts, ctx.today());
  if (!p) return MatchResult::no_match();
  if (k == Keyword::Around) {
    return MatchResult::single(p->label.str(), Value::days(p->first, p->last),
                               std::min(p->confidence, 0.8f));
  }
  const ext::Third t = ext::third_span(p->first, p->last, k);
  return MatchResult::single(cat("the ", t.label, " ", p->label), Value::days(t.first, t.last),
                             std::min(p->confidence, 0.75f));
}

}  // namespace kalendo::vague
