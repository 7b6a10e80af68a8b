// Matches expressions counted from a caller's anchor date: the day after
// launch, friday before launch, 3 weeks after launch. When the text counts
// from words that name no anchor, it answers with no candidates and tells
// the caller how to pass the anchor.
#include "grammar/mod.h"
#include "grammar/units.h"

namespace kalendo::anchored {
namespace {

using Kind = Tok::Kind;

bool is_after_or_before(const Tok& t) {
  return t.is_kw(Keyword::After) || t.is_kw(Keyword::Before);
}

// <n> day|week|month|year after|before <anchor>
std::optional<Date> counted(Date a, int64_t n, Unit u, bool after) {
  const UnitFacts& f = unit_facts(u);
  int64_t amount = 0;
  if (f.months != 0) {
    if (__builtin_mul_overflow(after ? n : -n, f.months, &amount)) return std::nullopt;
    return add_months_checked(a, amount);
  }
  if (__builtin_mul_overflow(after ? n : -n, f.seconds / kSecondsPerDay, &amount)) {
    return std::nullopt;
  }
  return add_days(a, amount);
}

// A missing anchor written as plain words: "2 days after the offsite".
MatchResult missing_anchor(TokenSpan toks) {
  std::size_t k = 0;
  while (k < toks.size() && !is_after_or_before(toks[k]))
    ++k;
  if (k + 1 >= toks.size()) return MatchResult::no_match();
  std::string phrase;
  for (const Tok& t : toks.subspan(k + 1)) {
    if (!t.is(Kind::Word)) return MatchResult::no_match();
    if (!phrase.empty()) phrase += ' ';
    phrase += t.text;
  }
  return MatchResult::ambiguous(
      {}, cat("unknown anchor \"", phrase, "\" \u2014 pass it via anchors={\"", phrase,
              "\": date(...)}"));
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  if (toks.empty()) return MatchResult::no_match();
  const std::size_t n = toks.size();
  const Tok& first = toks[0];
  // The shape tried is chosen by length and first token; the last two
  // tokens are always after|before <anchor>.
  const bool tried = (n == 3 && (first.is(Kind::Weekday) || first.is(Kind::Unit))) ||
                     (n == 4 && first.is(Kind::Num));
  const bool fits =
      tried && is_after_or_before(toks[n - 2]) && toks[n - 1].is(Kind::Anchor) &&
      (n == 4 ? toks[1].is(Kind::Unit) : !first.is(Kind::Unit) || first.is_unit(Unit::Day));
  if (!fits) return missing_anchor(toks);

  const auto a = anchor_date(ctx.anchors, toks[n - 1].text);
  if (!a) return MatchResult::no_match();
  const bool after = toks[n - 2].is_kw(Keyword::After);
  const std::string_view way = after ? "after" : "before";
  const std::string a_text = format_date(*a);

  // day after|before <anchor>
  if (first.is(Kind::Unit)) {
    return at_day(add_days(*a, after ? 1 : -1), cat("the day ", way, " ", a_text), 0.95f, ctx);
  }
  // <weekday> after|before <anchor>
  if (first.is(Kind::Weekday)) {
    const uint32_t w = first.u32();
    return at_day(after ? next_weekday(*a, w, true) : prev_weekday(*a, w),
                  cat("first ", kWeekdayNames[w], " strictly ", way, " ", a_text), 0.9f, ctx);
  }
  // <n> <unit> after|before <anchor>
  const Unit u = toks[1].unit_code();
  if (!unit_facts(u).from_anchor) return MatchResult::no_match();
  const std::string_view label = unit_facts(u).word;
  const int64_t count = first.value;
  std::string text =
      cat(std::to_string(count), " ", label, count != 1 ? "s " : " ", way, " ", a_text);
  return at_day(counted(*a, count, u, after), std::move(text), 0.9f, ctx);
}

}  // namespace kalendo::anchored
