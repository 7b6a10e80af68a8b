// Matches an amount of time counted forward from now: 3 hours, in 2 days,
// couple of hours, half an hour, half year, 5 business days. Unrecognised
// words in front ("remind me in 3 hours") are named and cost confidence.
#include <cstdlib>

#include "grammar/business_days.h"
#include "grammar/mod.h"

namespace kalendo::duration {
namespace {

using Kind = Tok::Kind;

constexpr int64_t kDistantDays = 3651;
constexpr float kPenalty = 0.05f;

struct HalfAmount {
  Unit unit;
  int64_t seconds;
  std::string_view phrase;
};

// Half of the units that have an exact length; half a year is six months.
constexpr HalfAmount kHalves[] = {
    {Unit::Minute, 30, "a minute"},
    {Unit::Hour, 1800, "an hour"},
    {Unit::Day, 43200, "a day"},
    {Unit::Week, 302400, "a week"},
};

struct Reading {
  DateTime at;
  std::string label;
  float confidence;
};

std::optional<Reading> half_of(Unit u, const Ctx& ctx) {
  for (const HalfAmount& h : kHalves) {
    if (h.unit != u) continue;
    const auto at = add_seconds(ctx.now, h.seconds);
    if (!at) return std::nullopt;
    return Reading{*at, cat("half ", h.phrase), 0.95f};
  }
  if (u != Unit::Year) return std::nullopt;
  const auto date = add_months_checked(ctx.today(), 6);
  if (!date) return std::nullopt;
  return Reading{DateTime{*date, ctx.tod_explicit ? ctx.tod : ctx.now.time}, "half a year", 0.95f};
}

std::optional<Reading> count_of(int64_t n, bool fuzzy, Unit u, const Ctx& ctx) {
  const auto r = relative::shift(ctx.now, u, n);
  if (!r) return std::nullopt;
  DateTime at = r->at;
  if (u != Unit::Minute && u != Unit::Hour && ctx.tod_explicit) at.time = ctx.tod;
  return Reading{at, relative::plural(n, r->word), fuzzy ? 0.7f : 0.95f};
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  // [<word>...] [in] <n>|<fuzzy>|half [of] <unit>
  std::size_t i = 0;
  while (i < toks.size() && toks[i].is(Kind::Word))
    ++i;
  const TokenSpan ignored = toks.first(i);
  if (i < toks.size() && toks[i].is(Kind::Kw)) {
    if (!toks[i].is_kw(Keyword::In)) return MatchResult::no_match();
    ++i;
  }
  if (i >= toks.size()) return MatchResult::no_match();
  const Tok& quantity = toks[i++];
  const bool half = quantity.is(Kind::Half);
  const bool fuzzy = quantity.is(Kind::Fuzzy);
  if (!half && !fuzzy && !quantity.is(Kind::Num)) return MatchResult::no_match();
  if (!half && quantity.value < 0) return MatchResult::no_match();
  if (i < toks.size() && toks[i].is_kw(Keyword::Of)) ++i;
  if (i + 1 != toks.size() || !toks[i].is(Kind::Unit)) return MatchResult::no_match();
  const Unit unit = toks[i].unit_code();

  std::optional<Reading> r;
  if (half) {
    r = half_of(unit, ctx);
  } else if (unit == Unit::BusinessDay) {
    const BusinessWalk walk = walk_business_days(ctx.holidays, ctx.today(), quantity.value);
    if (!walk.ok()) return walk_not_finished(walk);
    r = Reading{DateTime{walk.day, ctx.tod}, relative::plural(quantity.value, "business day"),
                fuzzy ? 0.7f : 0.9f};
  } else {
    r = count_of(quantity.value, fuzzy, unit, ctx);
  }
  if (!r) return MatchResult::no_match();

  std::string text = fuzzy ? cat("approximately ", r->label) : std::move(r->label);
  text += " from now";
  float confidence = r->confidence;
  if (std::llabs(days_between(ctx.today(), r->at.date)) >= kDistantDays) {
    confidence = penalised(confidence, kPenalty);
    text += " (distant horizon)";
  }
  if (!ignored.empty()) {
    confidence = penalised(confidence, kPenalty);
    text += " (ignoring ";
    for (std::size_t k = 0; k < ignored.size(); ++k) {
      if (k != 0) text += ", ";
      text += '"';
      text += ignored[k].text;
      text += '"';
    }
    text += ')';
  }
  return MatchResult::single(std::move(text), Value::instant(r->at), confidence);
}

}  // namespace kalendo::duration
