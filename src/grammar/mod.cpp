#include "grammar/mod.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>

#include "grammar/units.h"
#include "quote.h"

namespace kalendo {

MatchResult MatchResult::single(Resolution r) {
  MatchResult m;
  m.kind = Kind::Single;
  m.reading = std::move(r);
  return m;
}

MatchResult MatchResult::single(std::string interpretation, Value value, float confidence) {
  return single(Resolution{std::move(interpretation), value, confidence});
}

MatchResult MatchResult::ambiguous(std::vector<Resolution> candidates, std::string reason) {
  MatchResult m;
  m.kind = Kind::Ambiguous;
  m.candidates = std::move(candidates);
  m.reason = std::move(reason);
  return m;
}

MatchResult MatchResult::reject(std::string reason) {
  MatchResult m;
  m.kind = Kind::Reject;
  m.reason = std::move(reason);
  return m;
}

std::string lower_name(std::string_view name) {
  std::string s(name);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

MatchResult at_day(std::optional<Date> day, std::string interpretation, float confidence,
                   const Ctx& ctx) {
  if (!day) return MatchResult::no_match();
  return MatchResult::single(std::move(interpretation), Value::instant(DateTime{*day, ctx.tod}),
                             confidence);
}

namespace {

constexpr float kDecisiveGap = 0.15f;
constexpr float kAmbiguityStep = 0.1f;

// Maps a float to an integer whose order is the IEEE total order, so that
// ranking never depends on NaN quirks.
int32_t total_order_key(float f) {
  const auto bits = std::bit_cast<int32_t>(f);
  return bits ^ static_cast<int32_t>(static_cast<uint32_t>(bits >> 31) >> 1);
}

std::string comparable_reason(std::size_t n) {
  return std::to_string(n) + " grammar rules matched with comparable confidence";
}

// The days of the period unit u shifted by k periods from today's.
std::optional<DateRange> unit_period(Unit u, int k, const Options& opts, Date today) {
  const Civil c = today.civil();
  switch (u) {
    case Unit::Week:
    case Unit::Weekend: {
      // Each end is found on its own, so a week whose neighbour runs past
      // the range still exists.
      const uint32_t ws = opts.week_start;
      if (u == Unit::Week) {
        const auto first = weekday_in_week(today, ws, k, ws);
        const auto last = weekday_in_week(today, ws, k, (ws + 6) % 7);
        if (!first || !last) return std::nullopt;
        return DateRange{*first, *last};
      }
      const auto saturday = weekday_in_week(today, ws, k, kSaturday);
      const auto sunday = saturday ? add_days(*saturday, 1) : std::nullopt;
      if (!sunday) return std::nullopt;
      return DateRange{*saturday, *sunday};
    }
    case Unit::Month:
    case Unit::Quarter: {
      const int64_t months = k * unit_facts(u).months;
      const auto m = add_months_checked(*Date::from_ymd(c.year, c.month, 1), months);
      if (!m) return std::nullopt;
      const Civil mc = m->civil();
      return u == Unit::Month ? month_range(mc.year, mc.month)
                              : quarter_range(mc.year, (mc.month - 1) / 3 + 1);
    }
    case Unit::Year: {
      const auto first = Date::from_ymd(static_cast<int64_t>(c.year) + k, 1, 1);
      const auto last = Date::from_ymd(static_cast<int64_t>(c.year) + k, 12, 31);
      if (!first || !last) return std::nullopt;
      return DateRange{*first, *last};
    }
    default:
      return std::nullopt;
  }
}

std::optional<Period> unit_period_of(Unit u, int k, const Options& opts, Date today) {
  const std::string_view label = unit_facts(u).period;
  if (label.empty()) return std::nullopt;
  const auto days = unit_period(u, k, opts, today);
  if (!days) return std::nullopt;
  const std::string_view which = k < 0 ? " before this one" : (k > 0 ? " after this one" : "");
  return Period{cat(k == 0 ? "the current " : "the ", label, which), days->first, days->last, 0.9f};
}

// A month or quarter of this year, or of next year once it has passed.
// `name` is how the label names it: "March", "Q1".
std::optional<Period> named_period(std::string_view name, Date today, float confidence,
                                   std::optional<DateRange> (*range)(int64_t, uint32_t),
                                   uint32_t which) {
  const int64_t year = today.year();
  auto days = range(year, which);
  if (!days) return std::nullopt;
  if (days->last >= today) {
    return Period{cat(name, " of the current year"), days->first, days->last, confidence};
  }
  days = range(year + 1, which);
  if (!days) return std::nullopt;
  return Period{cat(name, " ", std::to_string(year + 1), " (this year's ", name, " has passed)"),
                days->first, days->last, confidence};
}

}  // namespace

std::optional<Period> period_of(TokenSpan toks, const Options& opts, Date today) {
  if (toks.size() == 1) {
    const Tok& t = toks[0];
    // march
    if (t.is(Tok::Kind::Month)) {
      return named_period(kMonthNames[t.u32() - 1], today, 0.75f, month_range, t.u32());
    }
    // q3
    if (t.is(Tok::Kind::Quarter)) {
      std::string name(1, 'Q');
      name += std::to_string(t.u32());
      return named_period(name, today, 0.85f, quarter_range, t.u32());
    }
    // week | month | quarter | year | weekend
    if (t.is(Tok::Kind::Unit)) return unit_period_of(t.unit_code(), 0, opts, today);
    return std::nullopt;
  }
  // next|last|this <unit>
  if (toks.size() == 2 && toks[0].is(Tok::Kind::Kw) && toks[1].is(Tok::Kind::Unit)) {
    int k = 0;
    switch (toks[0].keyword()) {
      case Keyword::Next:
        k = 1;
        break;
      case Keyword::Last:
        k = -1;
        break;
      case Keyword::This:
        k = 0;
        break;
      default:
        return std::nullopt;
    }
    return unit_period_of(toks[1].unit_code(), k, opts, today);
  }
  return std::nullopt;
}

float penalised(float confidence, float amount) {
  return std::max(0.05f, std::min(1.0f, confidence - amount));
}

TokenSummary summarise(TokenSpan toks) {
  TokenSummary s;
  s.size = toks.size();
  for (const Tok& t : toks) {
    s.bits |= kind_bit(t.kind);
    if (t.is(Tok::Kind::Kw)) s.bits |= kw_bit(t.keyword());
    if (t.is(Tok::Kind::Unit)) s.bits |= unit_bit(t.unit_code());
  }
  return s;
}

Outcome resolve_inner(std::string_view text, TokenSpan toks, const Ctx& ctx,
                      std::span<const Matcher> matchers) {
  // Most texts get one reading or none, so the first is held in the outcome
  // itself, ready to return, and the list is built only when a second one
  // arrives.
  Outcome out;
  Resolution& first = out.reading;
  std::vector<Resolution>& candidates = out.candidates;
  bool has_first = false;
  std::optional<MatchResult> first_ambiguity;
  std::optional<std::string> last_reason;

  // The whole table is gated; a caller's own list of matchers asks each.
  const bool gated = matchers.data() == kMatchers && matchers.size() == std::size(kMatchers);
  const TokenSummary summary = gated ? summarise(toks) : TokenSummary{};
  for (std::size_t i = 0; i < matchers.size(); ++i) {
    if (gated && !kMatcherGates[i].admits(summary)) continue;
    MatchResult m = matchers[i](toks, ctx);
    switch (m.kind) {
      case MatchResult::Kind::NoMatch:
        break;
      case MatchResult::Kind::Single: {
        if (!has_first) {
          first = std::move(m.reading);
          has_first = true;
          break;
        }
        const Value& v = m.reading.value;
        const bool duplicate =
            first.value == v || std::any_of(candidates.begin(), candidates.end(),
                                            [&](const Resolution& c) { return c.value == v; });
        if (duplicate) break;
        if (candidates.empty()) candidates.push_back(std::move(first));
        candidates.push_back(std::move(m.reading));
        break;
      }
      case MatchResult::Kind::Ambiguous:
        // Only the first matcher ambiguity can ever be reported.
        if (!first_ambiguity) first_ambiguity = std::move(m);
        break;
      case MatchResult::Kind::Reject:
        last_reason = std::move(m.reason);
        break;
    }
  }

  if (has_first && candidates.empty()) {
    out.kind = Outcome::Kind::Resolved;
    return out;
  }
  if (!has_first) {
    if (first_ambiguity) {
      out.kind = Outcome::Kind::Ambiguous;
      candidates = std::move(first_ambiguity->candidates);
      out.reason = std::move(first_ambiguity->reason);
      return out;
    }
    if (last_reason) {
      out.reason = std::move(*last_reason);
      return out;
    }
    out.reason = "no grammar rule matched ";
    append_quoted(out.reason, text);
    return out;
  }

  // The first reading moved into the list: the outcome holds none of its own.
  first = Resolution{};
  const std::size_t n = candidates.size();
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Resolution& a, const Resolution& b) {
                     return total_order_key(a.confidence) > total_order_key(b.confidence);
                   });
  const float gap = candidates[0].confidence - candidates[1].confidence;
  if (gap >= kDecisiveGap) {
    out.kind = Outcome::Kind::Resolved;
    first = std::move(candidates.front());
    candidates = {};
    return out;
  }

  const float penalty = kAmbiguityStep * static_cast<float>(n - 1);
  for (Resolution& r : candidates)
    r.confidence = penalised(r.confidence, penalty);
  out.kind = Outcome::Kind::Ambiguous;
  out.reason = comparable_reason(n);
  return out;
}

}  // namespace kalendo
