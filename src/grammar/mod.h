// The grammar: the matcher table, arbitration between the matchers'
// answers, and the building blocks the matchers share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config.h"
#include "tokenize.h"
#include "types.h"

namespace kalendo {

// What one matcher answers for a whole token sequence.
struct MatchResult {
  enum class Kind : uint8_t {
    NoMatch,    // the matcher does not recognise the sequence
    Single,     // one reading: `reading`
    Ambiguous,  // several readings it cannot choose between, and a reason
    Reject,     // the form is recognised but cannot be satisfied: reason
  };
  Kind kind = Kind::NoMatch;
  Resolution reading;                  // Single
  std::vector<Resolution> candidates;  // Ambiguous
  std::string reason;                  // Ambiguous and Reject

  // Built in place in the caller's result: a matcher answers on every call
  // it gets, and its reading should cost no more than its text.
  static MatchResult no_match() { return {}; }
  static MatchResult single(Resolution r) { return {Kind::Single, std::move(r), {}, {}}; }
  static MatchResult single(std::string interpretation, Value value, float confidence) {
    return {Kind::Single, Resolution{std::move(interpretation), value, confidence}, {}, {}};
  }
  static MatchResult ambiguous(std::vector<Resolution> candidates, std::string reason) {
    return {Kind::Ambiguous, {}, std::move(candidates), std::move(reason)};
  }
  static MatchResult reject(std::string reason) {
    return {Kind::Reject, {}, {}, std::move(reason)};
  }
};

using Matcher = MatchResult (*)(TokenSpan toks, const Ctx& ctx);

// The reading of a single day at the context's time of day; no match when
// the day could not be built (it left the supported years).
inline MatchResult at_day(std::optional<Date> day, std::string interpretation, float confidence,
                          const Ctx& ctx) {
  if (!day) return MatchResult::no_match();
  return MatchResult::single(std::move(interpretation), Value::instant(DateTime{*day, ctx.tod}),
                             confidence);
}

// Offsets at least this many days away (ten years) are a distant horizon,
// read with less confidence.
inline constexpr int64_t kDistantDays = 3651;

// The matchers, one family per file, each recognising the whole sequence or
// nothing.
namespace relative {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);

// Returns the unit as counts word it ("day", "week"), or "" for the units
// that have no fixed length to count (weekends, business days).
std::string_view unit_word(Unit unit);

struct Shifted {
  DateTime at;
  std::string_view word;  // "day", "week", ...: the unit as counts are worded
};
// Moves a moment by count units: minutes to weeks as exact seconds, months
// to years by calendar months (clamping the day). Returns none for units
// that cannot be shifted (weekends, business days) and for counts or
// results that cannot be represented.
std::optional<Shifted> shift(DateTime moment, Unit unit, int64_t count);
// Returns "1 day", "0 days", "3 days", "-2 days".
std::string plural(int64_t count, std::string_view word);
}  // namespace relative
namespace weekday {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace ordinal {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace anchored {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}  // namespace anchored
namespace vague {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace business {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}  // namespace business
namespace ext {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
// Returns "1st", "2nd", "3rd", "4th", "11th", "21st", "111th".
std::string ord_label(uint32_t n);

struct Third {
  Date first;
  Date last;
  std::string_view label;  // "early part of", "middle part of", "late part of"
};
// Cuts [first, last] into thirds and returns the one that `part` (Early,
// Mid or Late) names. Early and middle share the first day of a two-day
// period; a one-day period is all three.
Third third_span(Date first, Date last, Keyword part);
}  // namespace ext
namespace duration {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}

// What a token sequence holds, summed up in one pass: a bit for each token
// kind, each keyword and each unit that occurs, and the length.
struct TokenSummary {
  uint64_t bits = 0;
  std::size_t size = 0;
};

constexpr uint64_t kind_bit(Tok::Kind k) {
  return uint64_t{1} << static_cast<unsigned>(k);
}
constexpr uint64_t kw_bit(Keyword k) {
  return uint64_t{1} << (16 + static_cast<unsigned>(k));
}
constexpr uint64_t unit_bit(Unit u) {
  return uint64_t{1} << (48 + static_cast<unsigned>(u));
}
static_assert(static_cast<unsigned>(Tok::Kind::Word) < 16 &&
                  static_cast<unsigned>(Keyword::Business) < 32 &&
                  static_cast<unsigned>(Unit::BusinessDay) < 16,
              "the kinds, keywords and units each keep to their own bits");

// In line: it is a few instructions a token, and every text is summed up.
inline TokenSummary summarise(TokenSpan toks) {
  TokenSummary s;
  s.size = toks.size();
  for (const Tok& t : toks) {
    s.bits |= kind_bit(t.kind);
    if (t.is(Tok::Kind::Kw)) s.bits |= kw_bit(t.keyword());
    if (t.is(Tok::Kind::Unit)) s.bits |= unit_bit(t.unit_code());
  }
  return s;
}

// One shape of the texts a matcher reads, as their summary shows it: every
// bit of `all`, one of the bits of `any`, one of the bits of `also`, none of
// the bits of `none`, and a length within [min_size, max_size].
struct GateShape {
  uint64_t all = 0;
  uint64_t any = ~uint64_t{0};
  uint64_t also = ~uint64_t{0};
  uint64_t none = 0;
  std::size_t min_size = 1;
  std::size_t max_size = SIZE_MAX;

  constexpr bool admits(const TokenSummary& s) const {
    return (s.bits & all) == all && (s.bits & any) != 0 && (s.bits & also) != 0 &&
           (s.bits & none) == 0 && s.size >= min_size && s.size <= max_size;
  }
};

// The same test for a shape known when compiling: the conditions it leaves
// at their defaults cost nothing (a text that reaches the gates has tokens,
// so its bits are never all clear), and the length comes first, as it rules
// out most shapes in one comparison.
template <GateShape G>
constexpr bool shape_admits(const TokenSummary& s) {
  bool ok = true;
  if constexpr (G.min_size == G.max_size) {
    ok = s.size == G.min_size;
  } else {
    if constexpr (G.min_size > 1) ok = s.size >= G.min_size;
    if constexpr (G.max_size != SIZE_MAX) ok = ok && s.size <= G.max_size;
  }
  if constexpr (G.all != 0) ok = ok && (s.bits & G.all) == G.all;
  if constexpr (G.any != ~uint64_t{0}) ok = ok && (s.bits & G.any) != 0;
  if constexpr (G.also != ~uint64_t{0}) ok = ok && (s.bits & G.also) != 0;
  if constexpr (G.none != 0) ok = ok && (s.bits & G.none) == 0;
  return ok;
}

// The tokens a matcher needs before it can answer anything but no match:
// one of its shapes. A matcher whose gate a text fails would have answered
// no match, so arbitration never misses a reading, an ambiguity or a
// rejection's reason by not asking it; and a matcher asked only for the
// shapes it reads is asked seldom in vain.
struct MatcherGate {
  static constexpr std::size_t kMaxShapes = 7;
  GateShape shapes[kMaxShapes];
  std::size_t count = 0;

  constexpr bool admits(const TokenSummary& s) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (shapes[i].admits(s)) return true;
    }
    return false;
  }
};

// MatcherGate::admits for a gate known when compiling, shape by shape.
template <MatcherGate G>
constexpr bool gate_admits(const TokenSummary& s) {
  return [&]<std::size_t... J>(std::index_sequence<J...>) {
    return ((J < G.count && shape_admits<G.shapes[J]>(s)) || ...);
  }
  (std::make_index_sequence<MatcherGate::kMaxShapes>{});
}

// The matcher table. Its order decides which of two equal readings survives,
// breaks ties between equal confidences and picks the surviving reason.
inline constexpr Matcher kMatchers[] = {
    relative::try_match,  // next week, in 3 days, tomorrow, 17:30
    weekday::try_match,   // friday, next friday
    ordinal::try_match,   // the 3rd friday of march
    anchored::try_match,  // 3 days after launch
    vague::try_match,     // early next week
    business::try_match,  // in 3 business days, end of month
    ext::try_match,       // next weekend, friday next week, march
    duration::try_match,  // 3 hours, couple of days
};

namespace gate_bits {
constexpr uint64_t K(Keyword k) {
  return kw_bit(k);
}
constexpr uint64_t U(Unit u) {
  return unit_bit(u);
}
constexpr uint64_t T(Tok::Kind k) {
  return kind_bit(k);
}
using enum Keyword;
using enum Tok::Kind;
constexpr uint64_t kNextLastThis = K(Next) | K(Last) | K(This);
constexpr uint64_t kParts = K(Early) | K(Mid) | K(Late);
constexpr uint64_t kAnyKeyword = ((uint64_t{1} << (static_cast<unsigned>(Business) + 1)) - 1) << 16;
constexpr uint64_t kBusinessDay = U(kalendo::Unit::BusinessDay);

// The gates of kMatchers, entry by entry, shape by shape.
inline constexpr MatcherGate kMatcherGates[] = {
    // relative
    {{
         // 17:30 | now | today | tomorrow | yesterday
         {.any = T(Time) | K(Now) | K(Today) | K(Tomorrow) | K(Yesterday), .max_size = 1},
         // next|last|this <unit>
         {.all = T(Unit), .any = kNextLastThis, .min_size = 2, .max_size = 2},
         // <n> <unit> ago | in <n> <unit>
         {.all = T(Num) | T(Unit), .any = K(Ago) | K(In), .min_size = 3, .max_size = 3},
         // <n> <unit> from now
         {.all = T(Num) | T(Unit) | K(From) | K(Now), .min_size = 4, .max_size = 4},
     },
     4},
    // weekday
    {{
         // <weekday>
         {.all = T(Weekday), .max_size = 1},
         // next|last|this <weekday>
         {.all = T(Weekday), .any = kNextLastThis, .min_size = 2, .max_size = 2},
     },
     2},
    // ordinal: <rank>|last <weekday> of <month> [<year>] | ... of next|this month
    {{
         {.all = T(Weekday) | K(Of), .any = T(Ordinal) | K(Last), .min_size = 4, .max_size = 5},
     },
     1},
    // anchored: after|before, with a known anchor or the words of an unknown one
    {{
         {.any = K(After) | K(Before), .also = T(Anchor) | T(Word), .min_size = 2},
     },
     1},
    // vague: early|mid|late|around [in] <period>; periods are made of
    // keywords, units, months and quarters alone
    {{
         {.any = kParts | K(Around),
          .also = T(Month) | T(Quarter) | T(Unit),
          .none =
              T(Num) | T(Fuzzy) | T(Half) | T(Ordinal) | T(Weekday) | T(Time) | T(Anchor) | T(Word),
          .min_size = 2,
          .max_size = 4},
     },
     1},
    // business
    {{
         // next business day
         {.all = K(Next) | kBusinessDay, .min_size = 2, .max_size = 2},
         // in <n> business days
         {.all = K(In) | T(Num) | kBusinessDay, .min_size = 3, .max_size = 3},
         // <n> business days from now
         {.all = T(Num) | kBusinessDay | K(From) | K(Now), .min_size = 4, .max_size = 4},
         // end|start of <quarter> | end|start of <period>
         {.all = K(Of), .any = K(End) | K(Start), .min_size = 3, .max_size = 4},
         // last business day of <period>
         {.all = K(Last) | kBusinessDay | K(Of), .min_size = 4, .max_size = 5},
     },
     5},
    // ext
    {{
         // <month> | <quarter> | <anchor>
         {.any = T(Month) | T(Quarter) | T(Anchor), .max_size = 1},
         // next|last|this weekend
         {.all = U(kalendo::Unit::Weekend), .min_size = 2, .max_size = 2},
         // week|month|weekend after <anchor>, <rank> <weekday> after <anchor>,
         // <n> business days after|before <anchor>
         {.all = T(Anchor), .min_size = 3, .max_size = 4},
         // <weekday> next|last|this week
         {.all = T(Weekday) | U(kalendo::Unit::Week), .min_size = 3, .max_size = 3},
         // <n> business days ago
         {.all = T(Num) | kBusinessDay | K(Ago), .min_size = 3, .max_size = 3},
         // <rank> business day of <period>
         {.all = T(Ordinal) | kBusinessDay | K(Of), .min_size = 4, .max_size = 5},
         // around early|mid|late [in] <period>
         {.all = K(Around), .any = kParts, .min_size = 3, .max_size = 5},
     },
     7},
    // duration: [<word>...] [in] <n>|<fuzzy>|half [of] <unit>, of no other
    // keyword or kind
    {{
         // <amount> <unit>
         {.all = T(Unit),
          .any = T(Num) | T(Fuzzy) | T(Half),
          .none = (kAnyKeyword & ~K(In) & ~K(Of)) | T(Ordinal) | T(Weekday) | T(Month) |
                  T(Quarter) | T(Time) | T(Anchor),
          .min_size = 2,
          .max_size = 2},
         // the longer shapes, but for "in <n> <unit>" of a unit other than
         // business days: that is left to the relative rule
         {.all = T(Unit),
          .any = T(Num) | T(Fuzzy) | T(Half),
          .also = T(Fuzzy) | T(Half) | T(Word) | K(Of) | kBusinessDay,
          .none = (kAnyKeyword & ~K(In) & ~K(Of)) | T(Ordinal) | T(Weekday) | T(Month) |
                  T(Quarter) | T(Time) | T(Anchor),
          .min_size = 3},
     },
     2},
};
}  // namespace gate_bits
using gate_bits::kMatcherGates;
static_assert(std::size(kMatcherGates) == std::size(kMatchers), "one gate a matcher");

// A whole number or a rank as text, held in place: interpretations quote
// counts, ranks and years, and each would otherwise be a string of its own.
struct NumberText {
  char bytes[24];  // only the first `size` are written
  uint8_t size = 0;

  operator std::string_view() const { return {bytes, size}; }
};

// Returns "42", "0", "-7": what std::to_string writes.
inline NumberText number_text(int64_t n) {
  NumberText t;
  uint64_t v = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  char digits[20];
  int k = 0;
  do {
    digits[k++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (n < 0) t.bytes[t.size++] = '-';
  while (k > 0)
    t.bytes[t.size++] = digits[--k];
  return t;
}

// Returns "1st", "2nd", "3rd", "4th", "11th", "21st", "111th".
inline NumberText ord_text(uint32_t n) {
  NumberText t = number_text(n);
  const uint32_t tens = n % 100;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    switch (n % 10) {
      case 1:
        suffix = "st";
        break;
      case 2:
        suffix = "nd";
        break;
      case 3:
        suffix = "rd";
        break;
      default:
        break;
    }
  }
  t.bytes[t.size++] = suffix[0];
  t.bytes[t.size++] = suffix[1];
  return t;
}

// Copies a piece of an interpretation to `out`. Pieces are words and
// numbers, nearly all shorter than 16 bytes: two overlapping fixed-size
// copies move them without a call.
inline void copy_piece(char* out, std::string_view v) {
  const char* s = v.data();
  const std::size_t n = v.size();
  if (n >= 8 && n <= 16) {
    std::memcpy(out, s, 8);
    std::memcpy(out + n - 8, s + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(out, s, 4);
    std::memcpy(out + n - 4, s + n - 4, 4);
  } else if (n > 16) {
    std::memcpy(out, s, n);
  } else {
    for (std::size_t i = 0; i < n; ++i)
      out[i] = s[i];
  }
}

// Returns the parts joined, built with one allocation: interpretations are
// made of a few fixed words and names, and every call makes one or two.
template <typename... Parts>
std::string cat(const Parts&... parts) {
  const std::string_view views[] = {std::string_view(parts)...};
  std::size_t size = 0;
  for (std::string_view v : views)
    size += v.size();
  // Sized once and filled by copies: appending piece by piece would check
  // the capacity on every piece.
  std::string out(size, '\0');
  char* p = out.data();
  for (std::string_view v : views) {
    copy_piece(p, v);
    p += v.size();
  }
  return out;
}

// Returns a display name in lower case, as reasons quote what was typed
// ("friday", "june").
std::string lower_name(std::string_view name);

// Names as interpretations write them, by weekday (0 Monday) and month - 1.
inline constexpr std::string_view kWeekdayNames[7] = {
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday",
};
inline constexpr std::string_view kMonthNames[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

// A period's label, held in place: a label is a few words, a name and a
// year, and most are quoted inside a longer interpretation rather than
// returned, so a string of its own would be an allocation spent.
struct PeriodLabel {
  static constexpr std::size_t kCapacity = 64;  // the longest label is 51 bytes
  char bytes[kCapacity];                        // only the first `size` are written
  uint8_t size = 0;

  operator std::string_view() const { return {bytes, size}; }
  std::string str() const { return std::string(bytes, size); }
};

// Returns the parts joined as a label, piece by piece as cat copies them.
template <typename... Parts>
PeriodLabel label_cat(const Parts&... parts) {
  PeriodLabel out;
  for (std::string_view v : {std::string_view(parts)...}) {
    v = v.substr(0, PeriodLabel::kCapacity - out.size);
    copy_piece(out.bytes + out.size, v);
    out.size = static_cast<uint8_t>(out.size + v.size());
  }
  return out;
}

// A whole calendar period named by a few tokens: "next week", "march", "q3".
struct Period {
  PeriodLabel label;
  Date first;
  Date last;
  float confidence = 0.0f;
};

// Names the period of: one Month, one Quarter, one period Unit (the current
// one), or Next/Last/This followed by a period Unit. Returns none for every
// other sequence and for periods outside the supported years.
std::optional<Period> period_of(TokenSpan toks, const Options& opts, Date today);

// Lowers a confidence by `amount`, within [0.05, 1], in single precision.
float penalised(float confidence, float amount);

// Offers the tokens to every matcher in table order and decides the outcome
// (kMatchers itself asks only the matchers whose gates the tokens pass):
// duplicates dropped, readings ranked by confidence, one reading when it
// leads by 0.15 or more, else an ambiguity. `text` is only quoted in the
// default no-parse reason.
Outcome resolve_inner(std::string_view text, TokenSpan toks, const Ctx& ctx,
                      std::span<const Matcher> matchers = kMatchers);

// The core grammar's outcome for the tokens of a whole text, in both modes:
// a clock time that ends a longer text is the time of day of the answer
// ("tomorrow 5pm"), a lone one the expression itself. In line, as it costs
// less than a call on every text's path.
[[gnu::always_inline]] inline Outcome resolve_whole(std::string_view text, TokenSpan toks,
                                                    DateTime now, const AnchorMap& anchors,
                                                    const Options& opts, HolidayFn holidays) {
  Ctx ctx{opts, anchors, holidays, opts.default_time, now, false};
  TokenSpan to_resolve = toks;
  if (toks.size() >= 2) {
    const Tok& last = toks.back();
    if (last.is(Tok::Kind::Time) && last.value < 24 && last.minute < 60) {
      ctx.tod = TimeOfDay::hms(last.u32(), last.minute, 0);
      ctx.tod_explicit = true;
      to_resolve = to_resolve.first(toks.size() - 1);
    }
  }
  return resolve_inner(text, to_resolve, ctx);
}

}  // namespace kalendo
