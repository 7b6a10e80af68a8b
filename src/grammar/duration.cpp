// Matches an amount of time counted forward from now: 3 hours, in 2 days,
// couple of hours, half an hour, half year, 5 business days. Unrecognised
// words in front ("remind me in 3 hours") are named and cost confidence.
#include <cstdlib>

#include "grammar/business_days.h"
#include "grammar/mod.h"
#include "grammar/units.h"

namespace kalendo::duration {

using namespace std::string_view_literals;
namespace {

using Kind = Tok::Kind;

constexpr float kPenalty = 0.05f;

// The moment an amount lands on, and the amount as the interpretation words
// it, in pieces: "half " "" "" "an hour" or "" "3" " " "hour" "s".
struct Reading {
  DateTime at;
  float confidence;
  std::string_view head;
  NumberText count;
  std::string_view gap;
  std::string_view word;
  std::string_view plural_s;
};

Reading counted(DateTime at, float confidence, int64_t n, std::string_view word) {
  return Reading{at, confidence, "", number_text(n), " ", word, n != 1 ? "s" : ""};
}

// Half of a unit with an exact length is half its seconds; half a year is
// six months. Other units have no half.
std::optional<Reading> half_of(Unit u, const Ctx& ctx) {
  const UnitFacts& f = unit_facts(u);
  if (f.half.empty()) return std::nullopt;
  if (f.seconds != 0) {
    const auto at = add_seconds(ctx.now, f.seconds / 2);
    if (!at) return std::nullopt;
    return Reading{*at, 0.95f, "half ", {}, "", f.half, ""};
  }
  const auto date = add_months_checked(ctx.today(), f.months / 2);
  if (!date) return std::nullopt;
  return Reading{DateTime{*date, ctx.tod_explicit ? ctx.tod : ctx.now.time},
                 0.95f,
                 "half ",
                 {},
                 "",
                 f.half,
                 ""};
}

std::optional<Reading> count_of(int64_t n, bool fuzzy, Unit u, const Ctx& ctx) {
  const auto r = relative::shift(ctx.now, u, n);
  if (!r) return std::nullopt;
  DateTime at = r->at;
  if (unit_facts(u).lands_on_date() && ctx.tod_explicit) at.time = ctx.tod;
  return counted(at, fuzzy ? 0.7f : 0.95f, n, r->word);
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  // in <n> <unit>, a plain count of a unit that shifts now: the relative
  // rule, earlier in the table, reads this very shape as the same moment by
  // the same shift, or fails exactly when this rule would, and arbitration
  // drops an equal reading; so it is left to that rule. Business days are
  // counted here only.
  if (toks.size() == 3 && toks[0].is_kw(Keyword::In) && toks[1].is(Kind::Num) &&
      toks[2].is(Kind::Unit) && !toks[2].is_unit(Unit::BusinessDay)) {
    return MatchResult::no_match();
  }
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
    r = counted(DateTime{walk.day, ctx.tod}, fuzzy ? 0.7f : 0.9f, quantity.value, "business day");
  } else {
    r = count_of(quantity.value, fuzzy, unit, ctx);
  }
  if (!r) return MatchResult::no_match();

  float confidence = r->confidence;
  const bool distant = std::llabs(days_between(ctx.today(), r->at.date)) >= kDistantDays;
  if (distant) confidence = penalised(confidence, kPenalty);
  std::string text = cat(fuzzy ? "approximately "sv : ""sv, r->head, r->count, r->gap, r->word,
                         r->plural_s, " from now", distant ? " (distant horizon)"sv : ""sv);
  if (!ignored.empty()) {
    confidence = penalised(confidence, kPenalty);
    // The words ignored, quoted and parted by commas, in brackets: room for
    // them all is made once.
    std::size_t extra = std::string_view(" (ignoring )").size();
    for (std::size_t k = 0; k < ignored.size(); ++k)
      extra += (k != 0 ? 2 : 0) + ignored[k].text.size() + 2;
    text.reserve(text.size() + extra);
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
