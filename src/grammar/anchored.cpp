// Matches expressions counted from a caller's anchor date: the day after
// launch, friday before launch, 3 weeks after launch. When the text counts
// from words that name no anchor, it answers with no candidates and tells
// the caller how to pass the anchor.
#include "grammar/mod.h"
#include "grammar/units.h"

namespace kalendo::anchored {

using namespace std::string_view_literals;
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

// The anchor's date and the direction of the last two tokens,
// after|before <anchor>.
struct Anchor {
  Date date;
  bool after;
  std::string_view way;  // "after" or "before"
};

std::optional<Anchor> anchor_of(TokenSpan toks, const Ctx& ctx) {
  const auto a = anchor_date(ctx.anchors, toks.back().text);
  if (!a) return std::nullopt;
  const bool after = toks[toks.size() - 2].is_kw(Keyword::After);
  return Anchor{*a, after, after ? "after" : "before"};
}

// day after|before <anchor>
MatchResult day_next_to(const Anchor& a, const Ctx& ctx) {
  return at_day(add_days(a.date, a.after ? 1 : -1),
                cat("the day ", a.way, " ", format_date(a.date)), 0.95f, ctx);
}

// <weekday> after|before <anchor>
MatchResult weekday_next_to(uint32_t w, const Anchor& a, const Ctx& ctx) {
  return at_day(a.after ? next_weekday(a.date, w, true) : prev_weekday(a.date, w),
                cat("first ", kWeekdayNames[w], " strictly ", a.way, " ", format_date(a.date)),
                0.9f, ctx);
}

// <n> <unit> after|before <anchor>
MatchResult count_from(int64_t count, Unit u, const Anchor& a, const Ctx& ctx) {
  if (!unit_facts(u).from_anchor) return MatchResult::no_match();
  std::string text = cat(number_text(count), " ", unit_facts(u).word, count != 1 ? "s "sv : " "sv,
                         a.way, " ", format_date(a.date));
  return at_day(counted(a.date, count, u, a.after), std::move(text), 0.9f, ctx);
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  const std::size_t n = toks.size();
  // Every shape ends in after|before <anchor>; other texts may name an
  // anchor the caller did not pass.
  if (n < 3 || !is_after_or_before(toks[n - 2]) || !toks[n - 1].is(Kind::Anchor)) {
    return missing_anchor(toks);
  }
  const auto a = anchor_of(toks, ctx);
  if (!a) return MatchResult::no_match();
  const Tok& first = toks[0];
  // day after|before <anchor>
  if (n == 3 && first.is_unit(Unit::Day)) return day_next_to(*a, ctx);
  // <weekday> after|before <anchor>
  if (n == 3 && first.is(Kind::Weekday)) return weekday_next_to(first.u32(), *a, ctx);
  // <n> <unit> after|before <anchor>
  if (n == 4 && first.is(Kind::Num) && toks[1].is(Kind::Unit)) {
    return count_from(first.value, toks[1].unit_code(), *a, ctx);
  }
  return missing_anchor(toks);
}

}  // namespace kalendo::anchored
