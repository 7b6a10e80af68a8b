// Matches a weekday name: friday, next friday, last monday, this sunday.
#include "grammar/mod.h"

namespace kalendo::weekday {
namespace {

using Kind = Tok::Kind;

// <weekday>: the next one after today; said on that very weekday it may
// mean today or a week from today.
MatchResult bare(uint32_t w, const Ctx& ctx) {
  const std::string_view name = kWeekdayNames[w];
  const Date today = ctx.today();
  if (today.weekday() != w) {
    return at_day(next_weekday(today, w, true), cat("the upcoming ", name), 0.7f, ctx);
  }
  const auto week_later = add_days(today, 7);
  if (!week_later) return MatchResult::no_match();
  std::vector<Resolution> candidates;
  candidates.reserve(2);
  candidates.push_back(
      {cat(name, " \u2014 today"), Value::instant(DateTime{today, ctx.tod}), 0.7f});
  candidates.push_back({cat(name, " \u2014 a week from today"),
                        Value::instant(DateTime{*week_later, ctx.tod}), 0.7f - 0.1f});
  std::string reason =
      cat("today is ", name, "; bare \"", lower_name(name), "\" could mean today or next week");
  return MatchResult::ambiguous(std::move(candidates), std::move(reason));
}

// next <weekday>: the first one after today, or today itself (or a week
// later) when said on that weekday, as next_skips_today decides.
MatchResult next(uint32_t w, const Ctx& ctx) {
  const std::string_view name = kWeekdayNames[w];
  const Date today = ctx.today();
  if (today.weekday() != w) {
    return at_day(next_weekday(today, w, true), cat("next ", name, ", ", tod_label(ctx)), 0.95f,
                  ctx);
  }
  const bool skip = ctx.opts.next_skips_today;
  std::string text = cat("next ", name, " \u2014 today is ", name, "; ",
                         skip ? "skipping today per next_skips_today=true"
                              : "today counts per next_skips_today=false");
  return at_day(skip ? add_days(today, 7) : today, std::move(text), 0.9f, ctx);
}

// this <weekday>: the one of the current week, even when it has passed.
MatchResult current(uint32_t w, const Ctx& ctx) {
  const Date today = ctx.today();
  const auto date = weekday_in_week(today, ctx.opts.week_start, 0, w);
  if (!date) return MatchResult::no_match();
  std::string_view note;
  float confidence = 0.85f;
  if (*date == today) {
    note = " (that is today)";
    confidence = 0.9f;
  } else if (*date < today) {
    note = " (already passed this week)";
    confidence = 0.75f;
  }
  return at_day(date, cat(kWeekdayNames[w], " of the current week", note), confidence, ctx);
}

}  // namespace

MatchResult try_match(TokenSpan toks, const Ctx& ctx) {
  if (toks.size() == 1 && toks[0].is(Kind::Weekday)) return bare(toks[0].u32(), ctx);
  if (toks.size() != 2 || !toks[0].is(Kind::Kw) || !toks[1].is(Kind::Weekday)) {
    return MatchResult::no_match();
  }
  const uint32_t w = toks[1].u32();
  switch (toks[0].keyword()) {
    case Keyword::Next:
      return next(w, ctx);
    case Keyword::Last:
      return at_day(prev_weekday(ctx.today(), w),
                    cat("the most recent ", kWeekdayNames[w], " before today"), 0.95f, ctx);
    case Keyword::This:
      return current(w, ctx);
    default:
      return MatchResult::no_match();
  }
}

}  // namespace kalendo::weekday
