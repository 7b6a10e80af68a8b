#include "grammar/mod.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>

#include "grammar/units.h"
#include "quote.h"

namespace kalendo {

using namespace std::string_view_literals;

std::string lower_name(std::string_view name) {
  std::string s(name);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
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

// Returns the range [first, last] of serial days, or none when either end
// leaves the supported range.
std::optional<DateRange> days_within(int64_t first, int64_t last) {
  if (first < kMinDays || last > kMaxDays) return std::nullopt;
  return DateRange{Date{first}, Date{last}};
}

// The days of the period unit u shifted by k (-1, 0 or 1) periods from
// today's, computed on serial days and month numbers directly: every period
// word of the grammar comes here.
std::optional<DateRange> unit_period(Unit u, int k, const Options& opts, Date today) {
  switch (u) {
    case Unit::Week:
    case Unit::Weekend: {
      // Each end is checked on its own, so a week whose neighbour runs past
      // the range still exists.
      const int64_t ws = opts.week_start;
      const int64_t into_week = floor_mod(static_cast<int64_t>(today.weekday()) - ws, 7);
      const int64_t week_first = today.days + 7 * static_cast<int64_t>(k) - into_week;
      if (u == Unit::Week) return days_within(week_first, week_first + 6);
      const int64_t saturday = week_first + floor_mod(kSaturday - ws, 7);
      return days_within(saturday, saturday + 1);
    }
    case Unit::Month:
    case Unit::Quarter: {
      const Civil c = today.civil();
      const int64_t index =
          static_cast<int64_t>(c.year) * 12 + (c.month - 1) + k * unit_facts(u).months;
      const int64_t y = floor_div(index, 12);
      auto m = static_cast<uint32_t>(floor_mod(index, 12) + 1);
      if (y < kMinYear || y > kMaxYear) return std::nullopt;
      if (u == Unit::Quarter) m = (m - 1) / 3 * 3 + 1;
      const uint32_t last_month = u == Unit::Month ? m : m + 2;
      const int64_t first = days_from_civil(y, m, 1);
      const int64_t last =
          u == Unit::Month ? first + days_in_month(y, m) - 1
                           : days_from_civil(y, last_month, 1) + days_in_month(y, last_month) - 1;
      return DateRange{Date{first}, Date{last}};
    }
    case Unit::Year: {
      const int64_t y = static_cast<int64_t>(today.year()) + k;
      if (y < kMinYear || y > kMaxYear) return std::nullopt;
      return DateRange{Date{days_from_civil(y, 1, 1)}, Date{days_from_civil(y, 12, 31)}};
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
  return Period{label_cat(k == 0 ? "the current "sv : "the "sv, label, which), days->first,
                days->last, 0.9f};
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
    return Period{label_cat(name, " of the current year"), days->first, days->last, confidence};
  }
  days = range(year + 1, which);
  if (!days) return std::nullopt;
  return Period{label_cat(name, " ", number_text(year + 1), " (this year's ", name, " has passed)"),
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
      NumberText name = number_text(t.u32());
      std::memmove(name.bytes + 1, name.bytes, name.size);
      name.bytes[0] = 'Q';
      ++name.size;
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

Outcome resolve_inner(std::string_view text, TokenSpan toks, const Ctx& ctx,
                      std::span<const Matcher> matchers) {
  // Most texts get one reading or none, so the first is held in the outcome
  // itself, ready to return, and the list is built only when a second one
  // arrives.
  Outcome out;
  Resolution& first = out.reading;
  std::vector<Resolution>& candidates = out.candidates;
  bool has_first = false;
  // Only the first matcher ambiguity can ever be reported, and a rejection's
  // reason only when no ambiguity came: the reason waits in the outcome, the
  // ambiguity's candidates beside it.
  std::vector<Resolution> ambiguity;
  bool has_ambiguity = false;
  bool has_reason = false;

  // Takes one matcher's answer. Most matchers asked decline, so a no match
  // is passed over where the answer arrives and only the others come here.
  const auto take = [&](MatchResult& m) {
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
        if (has_ambiguity) break;
        has_ambiguity = true;
        ambiguity = std::move(m.candidates);
        out.reason = std::move(m.reason);
        break;
      case MatchResult::Kind::Reject:
        if (has_ambiguity) break;
        has_reason = true;
        out.reason = std::move(m.reason);
        break;
    }
  };

  // The whole table is gated, entry by entry with the gate's constants in
  // the code; a caller's own list of matchers asks each.
  if (matchers.data() == kMatchers && matchers.size() == std::size(kMatchers)) {
    const TokenSummary summary = summarise(toks);
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (
          [&] {
            if (!gate_admits<kMatcherGates[I]>(summary)) return;
            MatchResult m = kMatchers[I](toks, ctx);
            if (m.kind == MatchResult::Kind::Single && !has_first) {
              // The common answer, taken here: the first reading.
              first = std::move(m.reading);
              has_first = true;
            } else if (m.kind != MatchResult::Kind::NoMatch) {
              take(m);
            }
          }(),
          ...);
    }
    (std::make_index_sequence<std::size(kMatchers)>{});
  } else {
    for (const Matcher matcher : matchers) {
      MatchResult m = matcher(toks, ctx);
      take(m);
    }
  }

  if (has_first && candidates.empty()) {
    out.kind = Outcome::Kind::Resolved;
    if (has_ambiguity || has_reason) out.reason = std::string();
    return out;
  }
  if (!has_first) {
    if (has_ambiguity) {
      out.kind = Outcome::Kind::Ambiguous;
      candidates = std::move(ambiguity);
      return out;
    }
    if (has_reason) return out;
    constexpr std::string_view kNoRule = "no grammar rule matched ";
    out.reason.reserve(kNoRule.size() + text.size() + 2);
    out.reason.append(kNoRule);
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
