// Matches the words around a day: the day after tomorrow, offsets from
// another day (3 days from tomorrow, a week from monday), offsets from now
// in compact and signed spellings (+15min, -3 days, in 2.5 hours, 1hr ago,
// 5 minutes later), the next day or hour, and a weekday of a named week
// (wednesday of next week, next week's friday, next week friday), the
// upcoming weekday (this coming friday, friday after next), a day at now's
// clock (this time tomorrow, same time next week), the first or last day of
// a period (the last day of the month), the weekend (over the weekend), a
// hedged day (sometime tomorrow, later today), short spellings of the day
// words (tmrw, yday), and right now.
#include <algorithm>
#include <array>
#include <string>

#include "everyday/mod.h"
#include "grammar/units.h"
#include "locale.h"

namespace kalendo::everyday::days {
namespace {

using Kind = Tok::Kind;

// The unit of an amount: exact seconds, or a unit the core counts in
// calendar months. Covers the letters glued to a number ("15min", "1h").
struct AmountUnit {
  int64_t seconds;  // 0: counted by `unit` in months
  Unit unit;
  std::string_view word;  // as counts are worded
};
constexpr WordEntry<AmountUnit> kUnitWords[26] = {
    {"s", {1, Unit::Minute, "second"}},
    {"sec", {1, Unit::Minute, "second"}},
    {"secs", {1, Unit::Minute, "second"}},
    {"second", {1, Unit::Minute, "second"}},
    {"seconds", {1, Unit::Minute, "second"}},
    {"m", {60, Unit::Minute, "minute"}},
    {"min", {60, Unit::Minute, "minute"}},
    {"mins", {60, Unit::Minute, "minute"}},
    {"minute", {60, Unit::Minute, "minute"}},
    {"minutes", {60, Unit::Minute, "minute"}},
    {"h", {3600, Unit::Hour, "hour"}},
    {"hr", {3600, Unit::Hour, "hour"}},
    {"hrs", {3600, Unit::Hour, "hour"}},
    {"hour", {3600, Unit::Hour, "hour"}},
    {"hours", {3600, Unit::Hour, "hour"}},
    {"d", {kSecondsPerDay, Unit::Day, "day"}},
    {"day", {kSecondsPerDay, Unit::Day, "day"}},
    {"days", {kSecondsPerDay, Unit::Day, "day"}},
    {"w", {7 * kSecondsPerDay, Unit::Week, "week"}},
    {"wk", {7 * kSecondsPerDay, Unit::Week, "week"}},
    {"week", {7 * kSecondsPerDay, Unit::Week, "week"}},
    {"weeks", {7 * kSecondsPerDay, Unit::Week, "week"}},
    {"fortnight", {14 * kSecondsPerDay, Unit::Week, "fortnight"}},
    {"fortnights", {14 * kSecondsPerDay, Unit::Week, "fortnight"}},
    {"mo", {0, Unit::Month, "month"}},
    {"y", {0, Unit::Year, "year"}},
};

// The number words past the core's twelve: "thirty minutes", "twenty five
// minutes" (or "twenty-five"), "fifteen seconds".
constexpr WordEntry<int64_t> kNumberWords[15] = {
    {"thirteen", 13}, {"fourteen", 14}, {"fifteen", 15}, {"sixteen", 16}, {"seventeen", 17},
    {"eighteen", 18}, {"nineteen", 19}, {"twenty", 20},  {"thirty", 30},  {"forty", 40},
    {"fifty", 50},    {"sixty", 60},    {"seventy", 70}, {"eighty", 80},  {"ninety", 90},
};

// A bit per last letter of a table's words, by their length: a word whose
// length and last letter no entry has is none of them, for a look instead
// of a pass over the table ("o'clock", "tonight").
template <typename V, std::size_t N>
constexpr std::array<uint32_t, 16> last_letters(const WordEntry<V> (&table)[N]) {
  std::array<uint32_t, 16> bits{};
  for (const WordEntry<V>& e : table)
    bits[e.word.size()] |= 1u << (e.word.back() - 'a');
  return bits;
}
constexpr std::array<uint32_t, 16> kUnitLetters = last_letters(kUnitWords);
constexpr std::array<uint32_t, 16> kNumberLetters = last_letters(kNumberWords);

bool may_be(const std::array<uint32_t, 16>& bits, std::string_view w) {
  if (w.empty() || w.size() >= bits.size() || w.back() < 'a' || w.back() > 'z') return false;
  return (bits[w.size()] >> (w.back() - 'a') & 1u) != 0;
}

// The word that joins the parts of a count: "2 days and 3 hours".
constexpr std::string_view kAnd = "and";

// Words after an amount that count it from now: "5 minutes later".
constexpr WordEntry<bool> kFromNow[4] = {
    {"later", true}, {"earlier", false}, {"hence", true}, {"back", false}};
// The word after "in <amount>" that adds nothing: "in 2 hours time".
constexpr std::string_view kTime = "time";

// Short and misspelt forms of the core's day words, as typed in chat.
constexpr WordEntry<Keyword> kDaySlang[11] = {
    {"tmrw", Keyword::Tomorrow},     {"tmr", Keyword::Tomorrow},
    {"tmrow", Keyword::Tomorrow},    {"2moro", Keyword::Tomorrow},
    {"2morrow", Keyword::Tomorrow},  {"tomorow", Keyword::Tomorrow},
    {"tommorow", Keyword::Tomorrow}, {"tommorrow", Keyword::Tomorrow},
    {"yday", Keyword::Yesterday},    {"2day", Keyword::Today},
    {"tdy", Keyword::Today},
};
constexpr WordEnds kSlangEnds{std::span<const WordEntry<Keyword>>(kDaySlang)};

// The hedges before a day: "sometime tomorrow", "later today".
constexpr std::string_view kSometime = "sometime";
constexpr std::string_view kAnytime = "anytime";
constexpr std::string_view kLater = "later";
constexpr float kHedged = 0.7f;

// The words before "the weekend" that mean this one: "over the weekend".
constexpr std::string_view kWeekendLeads[2] = {"over", "during"};

// The word before "time" that keeps now's clock: "same time tomorrow".
constexpr std::string_view kSame = "same";

// The word that stresses "now": "right now".
constexpr std::string_view kRight = "right";

// The word that makes "this coming friday" the upcoming one.
constexpr std::string_view kComing = "coming";

// A count as written: sign, whole part and up to six decimals.
struct Amount {
  bool negative = false;
  bool sign = false;   // written with + or -
  bool vague = false;  // "a few", "a couple of", "several": about so many
  int64_t whole = 0;
  int64_t micro = 0;  // millionths
  std::string_view digits;
  std::optional<AmountUnit> unit;
};

std::optional<AmountUnit> unit_of_tok(const Tok& t) {
  if (t.is(Kind::Unit)) {
    const Unit u = t.unit_code();
    const UnitFacts& f = unit_facts(u);
    if (f.word.empty() || u == Unit::Quarter) return std::nullopt;
    return AmountUnit{f.seconds, u, f.word};
  }
  if (t.is(Kind::Word) && may_be(kUnitLetters, t.text))
    return find_word<AmountUnit>(kUnitWords, t.text);
  return std::nullopt;
}

// [+|-]<digits>[.<digits>][<unit letters>] as one word.
std::optional<Amount> amount_of_word(std::string_view w) {
  Amount a;
  std::size_t i = 0;
  if (!w.empty() && (w[0] == '+' || w[0] == '-')) {
    a.sign = true;
    a.negative = w[0] == '-';
    ++i;
  }
  const std::size_t start = i;
  while (i < w.size() && w[i] >= '0' && w[i] <= '9') {
    if (i - start >= 12) return std::nullopt;
    a.whole = a.whole * 10 + (w[i++] - '0');
  }
  if (i == start) return std::nullopt;
  if (i < w.size() && w[i] == '.') {
    ++i;
    int64_t scale = 100000;
    const std::size_t frac = i;
    while (i < w.size() && w[i] >= '0' && w[i] <= '9') {
      if (scale == 0) return std::nullopt;
      a.micro += (w[i++] - '0') * scale;
      scale /= 10;
    }
    if (i == frac) return std::nullopt;
  }
  a.digits = w.substr(start, i - start);
  if (i < w.size()) {
    // The longest unit word has seven letters ("minutes", "seconds").
    char letters[8];
    const std::size_t n = w.size() - i;
    if (n > sizeof letters) return std::nullopt;
    for (std::size_t k = 0; k < n; ++k) {
      const char c = static_cast<char>(w[i + k] | 0x20);
      if (c < 'a' || c > 'z') return std::nullopt;
      letters[k] = c;
    }
    a.unit = find_word<AmountUnit>(kUnitWords, std::string_view(letters, n));
    if (!a.unit) return std::nullopt;
  }
  return a;
}

// <teen> | <tens> [<one to nine>]: a count in the number words the core
// does not know ("thirty", "twenty five"). Sets *taken to the pieces read.
std::optional<Amount> number_words(std::span<const Piece> p, std::size_t i, std::size_t* taken) {
  // Every such word has five letters or more.
  if (p[i].tok.text.size() < 5 || !may_be(kNumberLetters, p[i].tok.text)) return std::nullopt;
  const auto n = find_word<int64_t>(kNumberWords, p[i].tok.text);
  if (!n) return std::nullopt;
  Amount a;
  a.whole = *n;
  *taken = 1;
  if (*n >= 20 && i + 1 < p.size() && !p[i + 1].is_shape && p[i + 1].tok.is(Kind::Num) &&
      p[i + 1].tok.value >= 1 && p[i + 1].tok.value <= 9) {
    a.whole += p[i + 1].tok.value;
    *taken = 2;
  }
  return a;
}

// <amount> [<unit>]: a number token, an amount shape or a compact word,
// and its unit glued or in the next piece. Sets *len to the pieces taken.
std::optional<Amount> amount_at(std::span<const Piece> p, std::size_t i, std::size_t* len) {
  if (i >= p.size()) return std::nullopt;
  // A word that opens with a letter is an amount only as a number word of
  // five letters or more ("thirty"): most words ("see", "lunch") are none.
  if (!p[i].is_shape && p[i].tok.is(Kind::Word)) {
    const std::string_view w = p[i].tok.text;
    if (!w.empty() && w[0] >= 'a' && w[0] <= 'z' && (w.size() < 5 || !may_be(kNumberLetters, w)))
      return std::nullopt;
  }
  std::optional<Amount> a;
  std::size_t taken = 1;
  if (p[i].is_shape) {
    if (p[i].shape.kind != Shape::Kind::Amount) return std::nullopt;
    a = amount_of_word(p[i].shape.text);
  } else if (p[i].tok.is(Kind::Num) && p[i].tok.value >= 0) {
    a = Amount{};
    a->whole = p[i].tok.value;
  } else if (p[i].tok.is(Kind::Fuzzy)) {
    // a few | a couple [of] | several
    a = Amount{};
    a->whole = p[i].tok.value;
    a->vague = true;
    if (i + 1 < p.size() && !p[i + 1].is_shape && p[i + 1].tok.is_kw(Keyword::Of)) taken = 2;
  } else if (p[i].tok.is(Kind::Word)) {
    a = amount_of_word(p[i].tok.text);
    if (a && (a->sign || !a->unit)) return std::nullopt;
    if (!a) a = number_words(p, i, &taken);
  }
  if (!a) return std::nullopt;
  *len = taken;
  if (!a->unit && i + taken < p.size() && !p[i + taken].is_shape) {
    a->unit = unit_of_tok(p[i + taken].tok);
    *len = taken + 1;
  }
  if (!a->unit) return std::nullopt;
  return a;
}

// Returns "3 days", "2.5 hours", "1 minute": the count as written.
std::string count_words(const Amount& a) {
  std::string n = a.digits.empty() ? std::to_string(a.whole) : std::string(a.digits);
  const bool one = a.whole == 1 && a.micro == 0;
  return cat(a.vague ? "approximately " : "", n, " ", a.unit->word, one ? "" : "s");
}

// The confidence of a reading counted by an amount: lower for a vague one,
// as the core counts "in a few days".
float count_confidence(const Amount& a, float confidence) {
  return a.vague ? std::min(confidence, 0.7f) : confidence;
}

// The moment an amount away from `from`, or none outside the supported
// range or when a calendar unit is given a fraction.
std::optional<DateTime> moved(DateTime from, const Amount& a, bool forward) {
  const int64_t sign = forward ? 1 : -1;
  if (a.unit->seconds == 0) {
    if (a.micro != 0) return std::nullopt;
    const auto r = relative::shift(from, a.unit->unit, sign * a.whole);
    if (!r) return std::nullopt;
    return r->at;
  }
  int64_t secs = 0, part = 0;
  if (__builtin_mul_overflow(a.whole, a.unit->seconds, &secs)) return std::nullopt;
  // A fraction must come to whole seconds: "2.5 hours", not "1.0001 s".
  if (a.micro * a.unit->seconds % 1000000 != 0) return std::nullopt;
  part = a.micro * a.unit->seconds / 1000000;
  if (__builtin_add_overflow(secs, part, &secs)) return std::nullopt;
  return add_seconds(from, sign * secs);
}

// The parts of a count after its first ("1 hour 30 minutes", "2 days and
// 3 hours", "an hour and a half"): exact seconds, each part in a smaller
// unit than the one before it. Plain values: a count of one part costs no
// text until it is read.
struct MoreParts {
  static constexpr std::size_t kMax = 3;
  int64_t seconds = 0;
  std::size_t len = 0;  // pieces taken
  std::size_t count = 0;
  std::array<Amount, kMax> parts{};
  std::array<bool, kMax> joined{};  // written after "and"
  bool half = false;                // "and a half"
};

// [and] <amount> ... | and a half: the parts of the count whose first part
// is `first`, from p[i] on; none when the first part has no exact seconds.
MoreParts more_parts(std::span<const Piece> p, std::size_t i, const Amount& first) {
  MoreParts m;
  int64_t last = first.unit->seconds;
  if (last == 0 || first.micro != 0 || first.vague) return m;
  const auto word_at = [&](std::size_t k) -> const Tok* {
    return k < p.size() && !p[k].is_shape ? &p[k].tok : nullptr;
  };
  while (i + m.len < p.size() && m.count < MoreParts::kMax) {
    std::size_t at = i + m.len;
    const Tok* joiner = word_at(at);
    const bool joined = joiner != nullptr && joiner->is(Kind::Word) && joiner->text == kAnd;
    if (joined) ++at;
    // and [a] half: half the first part's unit.
    std::size_t half = at;
    if (const Tok* t = word_at(half); t != nullptr && t->is(Kind::Num) && t->value == 1) ++half;
    if (const Tok* t = word_at(half); joined && m.count == 0 && t != nullptr && t->is(Kind::Half)) {
      if (last % 2 != 0) break;
      m.seconds = last / 2;
      m.half = true;
      m.len = half + 1 - i;
      break;
    }
    std::size_t len = 0;
    const auto a = amount_at(p, at, &len);
    if (!a || a->sign || a->vague || a->micro != 0 || a->unit->seconds == 0 ||
        a->unit->seconds >= last) {
      break;
    }
    int64_t secs = 0, sum = 0;
    if (__builtin_mul_overflow(a->whole, a->unit->seconds, &secs) ||
        __builtin_add_overflow(m.seconds, secs, &sum)) {
      break;
    }
    m.seconds = sum;
    m.parts[m.count] = *a;
    m.joined[m.count] = joined;
    ++m.count;
    m.len = at + len - i;
    last = a->unit->seconds;
  }
  return m;
}

MatchResult from_now(const Amount& a, const MoreParts& more, bool forward, const Ctx& c) {
  auto at = moved(c.now, a, forward);
  if (at && more.seconds != 0) at = add_seconds(*at, forward ? more.seconds : -more.seconds);
  if (!at) return MatchResult::no_match();
  std::string text = count_words(a);
  for (std::size_t k = 0; k < more.count; ++k) {
    text += more.joined[k] ? " and " : " ";
    text += count_words(more.parts[k]);
  }
  if (more.half) text += " and a half";
  text += forward ? " from now" : " before now";
  return MatchResult::single(std::move(text), Value::instant(*at), count_confidence(a, 0.95f));
}

// [in] [+|-]<amount> [ago|later|earlier|back|before|after|from now] |
// in <amount> time, where <amount> may have parts: [and] <amount> ... |
// and a half ("in 1 hour 30 minutes", "an hour and a half ago"). `a` is
// the amount after "in" when `in`, else the first, and takes `len` pieces.
MatchResult offset_from_now(std::span<const Piece> p, bool in, const Amount& a, std::size_t len,
                            const Ctx& c) {
  const MoreParts more = more_parts(p, (in ? 1 : 0) + len, a);
  const std::span<const Piece> tail = p.subspan((in ? 1 : 0) + len + more.len);
  bool forward = !a.negative;
  if (in && tail.size() == 1 && !tail[0].is_shape && tail[0].tok.is(Kind::Word) &&
      tail[0].tok.text == kTime) {
    if (a.negative) return MatchResult::no_match();
    return from_now(a, more, true, c);
  }
  if (tail.size() == 1 && !tail[0].is_shape) {
    const Tok& t = tail[0].tok;
    if (in) return MatchResult::no_match();
    if (t.is_kw(Keyword::Ago) || t.is_kw(Keyword::Before)) {
      forward = false;
    } else if (t.is_kw(Keyword::After)) {
      forward = true;
    } else if (const auto later =
                   t.is(Kind::Word) ? find_word<bool>(kFromNow, t.text) : std::nullopt) {
      forward = *later;
    } else {
      return MatchResult::no_match();
    }
    if (a.sign) return MatchResult::no_match();
  } else if (tail.size() == 2 && !tail[0].is_shape && !tail[1].is_shape &&
             tail[0].tok.is_kw(Keyword::From) && tail[1].tok.is_kw(Keyword::Now)) {
    if (in || a.sign) return MatchResult::no_match();
  } else if (!tail.empty()) {
    return MatchResult::no_match();
  } else if (!in && !a.sign) {
    // An amount alone ("3 days", "15h") is a duration or a clock time, not
    // an offset.
    return MatchResult::no_match();
  }
  if (in && a.negative) return MatchResult::no_match();
  return from_now(a, more, forward, c);
}

// half a|an <unit> ago|from now|later|earlier|back: half the unit's
// seconds from now, worded as the core words "in half an hour".
// Words alone: the pieces hold no shape.
MatchResult half_from_now(std::span<const Piece> p, const EverydayCtx& ctx) {
  const Ctx& c = ctx.core;
  if (p.size() < 3 || !p[0].tok.is(Kind::Half)) return MatchResult::no_match();
  std::size_t u = 1;
  if (p[1].tok.is(Kind::Num) && p[1].tok.value == 1) u = 2;
  if (u >= p.size()) return MatchResult::no_match();
  const auto unit = unit_of_tok(p[u].tok);
  if (!unit || unit->seconds == 0 || unit->seconds % 2 != 0) return MatchResult::no_match();
  const std::span<const Piece> tail = p.subspan(u + 1);
  bool forward = true;
  if (tail.size() == 2 && tail[0].tok.is_kw(Keyword::From) && tail[1].tok.is_kw(Keyword::Now)) {
    forward = true;
  } else if (tail.size() == 1 && tail[0].tok.is_kw(Keyword::Ago)) {
    forward = false;
  } else if (const auto later = tail.size() == 1 && tail[0].tok.is(Kind::Word)
                                    ? find_word<bool>(kFromNow, tail[0].tok.text)
                                    : std::nullopt) {
    forward = *later;
  } else {
    return MatchResult::no_match();
  }
  const auto at = add_seconds(c.now, (forward ? 1 : -1) * unit->seconds / 2);
  if (!at) return MatchResult::no_match();
  return MatchResult::single(cat("half ", unit->word == "hour" ? "an " : "a ", unit->word,
                                 forward ? " from now" : " before now"),
                             Value::instant(*at), 0.95f);
}

// [the] <n>|a <unit> after|before|from <day>: "3 days from tomorrow".
// `first` is the amount that opens the pieces, taking `len` of them.
MatchResult offset_from_day(std::span<const Piece> p, const std::optional<Amount>& first,
                            std::size_t len, const EverydayCtx& ctx) {
  if (p.size() < 3) return MatchResult::no_match();
  std::optional<Amount> a = first;
  const bool the_day = !p[0].is_shape && p[0].tok.is_unit(Unit::Day);
  if (the_day) {
    a = Amount{};
    a->whole = 1;
    a->unit = unit_of_tok(p[0].tok);
    len = 1;
  }
  if (!a || a->sign || len + 1 >= p.size() || p[len].is_shape) return MatchResult::no_match();
  const Tok& rel = p[len].tok;
  const bool forward = rel.is_kw(Keyword::After) || rel.is_kw(Keyword::From);
  if (!forward && !rel.is_kw(Keyword::Before)) return MatchResult::no_match();
  // One offset per text: the day it counts from is not itself an offset,
  // which also bounds the nesting of this reading.
  for (const Piece& x : p.subspan(len + 1)) {
    if (!x.is_shape && (x.tok.is_kw(Keyword::After) || x.tok.is_kw(Keyword::Before) ||
                        x.tok.is_kw(Keyword::From))) {
      return MatchResult::no_match();
    }
  }
  const auto day = resolve_day(p.subspan(len + 1), ctx);
  if (!day || day->value.is_range()) return MatchResult::no_match();
  const auto at = moved(day->value.start, *a, forward);
  if (!at) return MatchResult::no_match();
  std::string text = cat(the_day ? "the day" : count_words(*a),
                         forward && rel.is_kw(Keyword::From) ? " from " : "",
                         forward && !rel.is_kw(Keyword::From) ? " after " : "",
                         forward ? "" : " before ", day->interpretation);
  return MatchResult::single(std::move(text), Value::instant(*at),
                             count_confidence(*a, std::min(day->confidence, 0.9f)));
}

// next|following|previous|last day|hour|minute
MatchResult next_unit(std::span<const Piece> p, const Ctx& c) {
  if (p.size() != 2 || p[0].is_shape || p[1].is_shape) return MatchResult::no_match();
  const Tok& k = p[0].tok;
  const bool forward = k.is_kw(Keyword::Next) || k.is_kw(Keyword::After);
  if (!forward && !k.is_kw(Keyword::Last) && !k.is_kw(Keyword::Before))
    return MatchResult::no_match();
  const Tok& u = p[1].tok;
  if (u.is_unit(Unit::Day)) {
    const auto day = add_days(c.today(), forward ? 1 : -1);
    if (!day) return MatchResult::no_match();
    return MatchResult::single(cat(forward ? "the next day, " : "the previous day, ", tod_label(c)),
                               Value::instant(DateTime{*day, c.tod}), 0.9f);
  }
  if (!u.is_unit(Unit::Hour) && !u.is_unit(Unit::Minute)) return MatchResult::no_match();
  Amount one;
  one.whole = 1;
  one.unit = unit_of_tok(u);
  return from_now(one, {}, forward, c);
}

// right now: the core's now. Kept out of line: inlined, its reading made
// the family's common path, which never meets it, about 40 instructions
// a call dearer.
[[gnu::noinline]] MatchResult right_now(std::span<const Piece> p, const EverydayCtx& ctx) {
  if (p.size() != 2 || p[0].is_shape || p[1].is_shape || !p[1].tok.is_kw(Keyword::Now) ||
      !p[0].tok.is(Kind::Word) || p[0].tok.text != kRight) {
    return MatchResult::no_match();
  }
  const std::array<Tok, 1> toks = {p[1].tok};
  Outcome o = resolve_inner({}, toks, ctx.core);
  if (o.kind != Outcome::Kind::Resolved) return MatchResult::no_match();
  return MatchResult::single(std::move(o.reading));
}

// tmrw | yday | 2day ...: the core's tomorrow, yesterday or today.
MatchResult day_slang(std::span<const Piece> p, const EverydayCtx& ctx) {
  if (p.size() != 1 || p[0].is_shape || !p[0].tok.is(Kind::Word) ||
      !kSlangEnds.may_hold(p[0].tok.text)) {
    return MatchResult::no_match();
  }
  const auto k = find_word<Keyword>(kDaySlang, p[0].tok.text);
  if (!k) return MatchResult::no_match();
  const std::array<Tok, 1> toks = {Tok::kw(*k)};
  Outcome o = resolve_inner({}, toks, ctx.core);
  if (o.kind != Outcome::Kind::Resolved) return MatchResult::no_match();
  return MatchResult::single(std::move(o.reading));
}

// [this] coming <weekday>: the core's bare weekday, the upcoming one.
// <weekday> after next: a week after the upcoming one (today's weekday
// counts from next week's).
// Words alone: the pieces hold no shape.
MatchResult coming_weekday(std::span<const Piece> p, const EverydayCtx& ctx) {
  if (!p.empty() && p[0].tok.is_kw(Keyword::This)) p = p.subspan(1);
  if (p.size() == 2 && p[0].tok.is(Kind::Word) && p[0].tok.text == kComing &&
      p[1].tok.is(Kind::Weekday)) {
    const std::array<Tok, 1> toks = {p[1].tok};
    Outcome o = resolve_inner({}, toks, ctx.core);
    if (o.kind == Outcome::Kind::Resolved) return MatchResult::single(std::move(o.reading));
    if (o.kind == Outcome::Kind::Ambiguous)
      return MatchResult::ambiguous(std::move(o.candidates), std::move(o.reason));
    return MatchResult::no_match();
  }
  if (p.size() == 3 && p[0].tok.is(Kind::Weekday) && p[1].tok.is_kw(Keyword::After) &&
      p[2].tok.is_kw(Keyword::Next)) {
    const auto w = p[0].tok.u32();
    if (w > 6) return MatchResult::no_match();
    const Date today = ctx.today();
    const int64_t ahead = (w + 7 - today.weekday()) % 7;  // [0, 6]
    const auto day = add_days(today, (ahead == 0 ? 7 : ahead) + 7);
    if (!day) return MatchResult::no_match();
    std::string text;
    append_date(text, *day);
    text += cat(", the ", kWeekdayNames[w], " after next, ", tod_label(ctx.core));
    return MatchResult::single(std::move(text), Value::instant(DateTime{*day, ctx.core.tod}), 0.9f);
  }
  return MatchResult::no_match();
}

// <weekday> of|from next|last|this week | next|last|this week's <weekday> |
// next|last|this week <weekday>: the core's "<weekday> next week".
// Words alone: the pieces hold no shape.
MatchResult weekday_of_week(std::span<const Piece> p, const EverydayCtx& ctx) {
  // The weekday and the week's keyword, as the core reads them.
  const Tok* day = nullptr;
  const Tok* which = nullptr;
  if (p.size() == 4 && p[0].tok.is(Kind::Weekday) &&
      (p[1].tok.is_kw(Keyword::Of) || p[1].tok.is_kw(Keyword::From)) &&
      p[3].tok.is_unit(Unit::Week)) {
    day = &p[0].tok;
    which = &p[2].tok;
  } else if (p.size() == 3 &&
             ((p[1].tok.is(Kind::Word) &&
               (p[1].tok.text == "week's" || p[1].tok.text == "week\u2019s")) ||
              p[1].tok.is_unit(Unit::Week)) &&
             p[2].tok.is(Kind::Weekday)) {
    day = &p[2].tok;
    which = &p[0].tok;
  } else {
    return MatchResult::no_match();
  }
  const Keyword k = which->keyword();
  if (!which->is(Kind::Kw) || (k != Keyword::Next && k != Keyword::Last && k != Keyword::This))
    return MatchResult::no_match();
  const std::array<Tok, 3> toks = {*day, *which, Tok::unit(Unit::Week)};
  Outcome o = resolve_inner({}, toks, ctx.core);  // a failure's reason is not shown
  if (o.kind != Outcome::Kind::Resolved) return MatchResult::no_match();
  return MatchResult::single(std::move(o.reading));
}

// [the] first|last day of <period>: the core's start|end of the period
// ("the last day of the month", "first day of next month", "last day of
// february").
// Words alone: the pieces hold no shape.
MatchResult day_of_period(std::span<const Piece> p, const EverydayCtx& ctx) {
  constexpr std::size_t kMaxPeriod = 4;  // "next month", "june 2025", ...
  if (p.size() < 4 || p.size() > 3 + kMaxPeriod) return MatchResult::no_match();
  const Tok& which = p[0].tok;
  const bool first = which.is(Kind::Ordinal) && which.value == 1;
  if ((!first && !which.is_kw(Keyword::Last)) || !p[1].tok.is_unit(Unit::Day) ||
      !p[2].tok.is_kw(Keyword::Of)) {
    return MatchResult::no_match();
  }
  std::array<Tok, 2 + kMaxPeriod> toks;
  toks[0] = Tok::kw(first ? Keyword::Start : Keyword::End);
  toks[1] = Tok::kw(Keyword::Of);
  for (std::size_t k = 3; k < p.size(); ++k)
    toks[k - 1] = p[k].tok;
  Outcome o = resolve_inner({}, std::span<const Tok>(toks).first(p.size() - 1), ctx.core);
  if (o.kind != Outcome::Kind::Resolved) return MatchResult::no_match();
  return MatchResult::single(std::move(o.reading));
}

// this|same time <day> | <day> [at] [the] this|same time: the day at the
// clock of now ("this time tomorrow", "tomorrow same time"); a week, month
// or year named as next or last moves now by one ("same time next week").
// Words alone: the pieces hold no shape.
// sometime|anytime <day> | later today | later this week|month: the whole
// day, or what is left of today or of the period after today, at a lower
// confidence: a hedge, not a moment.
MatchResult hedged_day(std::span<const Piece> p, const EverydayCtx& ctx) {
  const Tok& first = p[0].tok;
  const Date today = ctx.today();
  if (first.is(Kind::Word) && first.text == kLater) {
    if (p.size() == 2 && p[1].tok.is_kw(Keyword::Today)) {
      const DateTime end{today, TimeOfDay::hms(23, 59, 59)};
      if (ctx.core.now >= end) return MatchResult::no_match();
      return MatchResult::single("later today, until 23:59:59", Value::range(ctx.core.now, end),
                                 kHedged);
    }
    if (p.size() != 3 || !p[1].tok.is_kw(Keyword::This) ||
        !(p[2].tok.is_unit(Unit::Week) || p[2].tok.is_unit(Unit::Month))) {
      return MatchResult::no_match();
    }
    const std::array<Tok, 2> toks = {p[1].tok, p[2].tok};
    const Outcome o = resolve_inner({}, toks, ctx.core);
    const auto tomorrow = add_days(today, 1);
    if (o.kind != Outcome::Kind::Resolved || !o.reading.value.is_range() || !tomorrow)
      return MatchResult::no_match();
    const Date last = o.reading.value.end.date;
    if (last < *tomorrow) return MatchResult::no_match();
    return MatchResult::single(cat("later this ", p[2].tok.is_unit(Unit::Week) ? "week" : "month",
                                   ", ", format_date(*tomorrow), " to ", format_date(last)),
                               Value::days(*tomorrow, last), kHedged);
  }
  const bool sometime = (first.is_kw(Keyword::Around) && says_word(ctx.text, kSometime)) ||
                        (first.is(Kind::Word) && first.text == kAnytime);
  if (!sometime) return MatchResult::no_match();
  auto r = resolve_day(p.subspan(1), ctx);
  if (!r) return MatchResult::no_match();
  if (r->value.is_range()) {
    r->confidence = std::min(r->confidence, 0.8f);
    return MatchResult::single(std::move(*r));
  }
  const Date day = r->value.start.date;
  return MatchResult::single(cat("sometime on ", format_date(day)), Value::days(day, day),
                             std::min(r->confidence, 0.8f));
}

// Words alone: the pieces hold no shape.
// [over|during|in] [the] weekend: the core's "this weekend", the one under
// way or the coming one.
MatchResult the_weekend(std::span<const Piece> p, const EverydayCtx& ctx) {
  if (p.size() == 2) {
    const Tok& lead = p[0].tok;
    if (!lead.is_kw(Keyword::In) &&
        !(lead.is(Kind::Word) && contains_word(std::span(kWeekendLeads), lead.text))) {
      return MatchResult::no_match();
    }
  }
  if (p.size() > 2 || !p.back().tok.is_unit(Unit::Weekend)) return MatchResult::no_match();
  const std::array<Tok, 2> toks = {Tok::kw(Keyword::This), Tok::unit(Unit::Weekend)};
  Outcome o = resolve_inner({}, toks, ctx.core);
  if (o.kind != Outcome::Kind::Resolved) return MatchResult::no_match();
  return MatchResult::single(std::move(o.reading));
}

// Words alone: the pieces hold no shape.
MatchResult same_time(std::span<const Piece> p, const EverydayCtx& ctx) {
  if (p.size() < 3) return MatchResult::no_match();
  const auto same_at = [&](std::size_t k) {
    const Tok& t = p[k].tok;
    return (t.is_kw(Keyword::This) || (t.is(Kind::Word) && t.text == kSame)) &&
           p[k + 1].tok.is(Kind::Word) && p[k + 1].tok.text == kTime;
  };
  std::span<const Piece> day;
  if (same_at(0)) {
    day = p.subspan(2);
  } else if (same_at(p.size() - 2)) {
    day = p.first(p.size() - 2);
  } else {
    return MatchResult::no_match();
  }
  const DateTime now = ctx.core.now;
  if (day.size() == 2) {
    const Tok& which = day[0].tok;
    const Tok& unit = day[1].tok;
    const bool next = which.is_kw(Keyword::Next);
    if ((next || which.is_kw(Keyword::Last)) &&
        (unit.is_unit(Unit::Week) || unit.is_unit(Unit::Month) || unit.is_unit(Unit::Year))) {
      const auto moved = relative::shift(now, unit.unit_code(), next ? 1 : -1);
      if (!moved) return MatchResult::no_match();
      return MatchResult::single(cat("the same time ", next ? "next " : "last ", moved->word, ", ",
                                     format_date(moved->at.date)),
                                 Value::instant(moved->at), 0.9f);
    }
  }
  const EverydayCtx clock{
      Ctx{ctx.core.opts, ctx.core.anchors, ctx.core.holidays, now.time, now, true}, ctx.opts,
      ctx.text};
  auto r = resolve_day(day, clock);
  if (!r || r->value.is_range()) return MatchResult::no_match();
  r->confidence = std::min(r->confidence, 0.9f);
  return MatchResult::single(std::move(*r));
}

}  // namespace

// Compiled with every call in place but the readers it asks by pointer:
// most texts meet it only to be refused by a few looks.
[[gnu::flatten]] MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (pieces.empty()) return MatchResult::no_match();
  // A lone word that opens with a letter is no amount, and every form but
  // the slang for a day ("tmrw") needs more pieces: "payday", "blorp".
  // A lone keyword ("next") is no amount and no form of its own.
  if (pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Word)) {
    const std::string_view w = pieces[0].tok.text;
    if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') return day_slang(pieces, ctx);
  } else if (pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Kw)) {
    return MatchResult::no_match();
  }
  // The amount that opens the pieces, or follows "in", read once for both
  // offsets; each reader is asked only where the pieces have what it
  // needs first, as a call that answers "no match" costs more than a look.
  const bool in = !pieces[0].is_shape && pieces[0].tok.is_kw(Keyword::In);
  std::size_t len = 0;
  const std::optional<Amount> amount = amount_at(pieces, in ? 1 : 0, &len);
  if (amount) {
    if (MatchResult m = offset_from_now(pieces, in, *amount, len, ctx.core);
        m.kind != MatchResult::Kind::NoMatch)
      return m;
  }
  // Each form is asked only where its first word stands: a clock time or a
  // number opens neither ("5:30 pm", "3 in the morning").
  const bool lead_tok = !pieces[0].is_shape;
  if (pieces.size() == 2 && lead_tok &&
      (pieces[0].tok.is_kw(Keyword::Next) || pieces[0].tok.is_kw(Keyword::After) ||
       pieces[0].tok.is_kw(Keyword::Last) || pieces[0].tok.is_kw(Keyword::Before))) {
    if (MatchResult m = next_unit(pieces, ctx.core); m.kind != MatchResult::Kind::NoMatch) return m;
  }
  if (pieces.size() == 1 && lead_tok && pieces[0].tok.is(Kind::Word)) {
    if (MatchResult m = day_slang(pieces, ctx); m.kind != MatchResult::Kind::NoMatch) return m;
  }
  // The forms of words alone, asked once whether the text has a shape, and
  // each only where the word it hangs on stands: a call that answers "no
  // match" costs more than these looks.
  const bool words_only =
      std::none_of(pieces.begin(), pieces.end(), [](const Piece& x) { return x.is_shape; });
  if (words_only) {
    const std::size_t n = pieces.size();
    const auto tok = [&](std::size_t k) -> const Tok& { return pieces[k].tok; };
    const auto is_time = [&](std::size_t k) {
      return tok(k).is(Kind::Word) && tok(k).text == kTime;
    };
    // One bit per reader below, in its order: most texts set none.
    const unsigned forms =
        (((n == 3 && tok(2).is(Kind::Weekday)) || (n == 4 && tok(0).is(Kind::Weekday))) ? 1u : 0u) |
        (n >= 3 && tok(0).is(Kind::Half) ? 2u : 0u) |
        ((n == 2 || n == 3) &&
                 (tok(0).is_kw(Keyword::This) || tok(0).is(Kind::Word) || tok(0).is(Kind::Weekday))
             ? 4u
             : 0u) |
        (n >= 3 && (is_time(1) || is_time(n - 1)) ? 8u : 0u) |
        (n >= 4 && tok(1).is_unit(Unit::Day) && tok(2).is_kw(Keyword::Of) ? 16u : 0u) |
        (n <= 2 && tok(n - 1).is_unit(Unit::Weekend) ? 32u : 0u) |
        (n >= 2 && (tok(0).is_kw(Keyword::Around) ||
                    (tok(0).is(Kind::Word) && (tok(0).text == kLater || tok(0).text == kAnytime)))
             ? 64u
             : 0u);
    static constexpr Matcher kReaders[] = {weekday_of_week, half_from_now, coming_weekday,
                                           same_time,       day_of_period, the_weekend,
                                           hedged_day};
    for (unsigned left = forms; left != 0; left &= left - 1) {
      const Matcher reader = kReaders[__builtin_ctz(left)];
      if (MatchResult m = reader(pieces, ctx); m.kind != MatchResult::Kind::NoMatch) return m;
    }
  }
  if (pieces.size() == 2 && pieces[1].tok.is_kw(Keyword::Now)) return right_now(pieces, ctx);
  // An offset from a day opens with its amount, or with "the day".
  const bool the_day = !pieces[0].is_shape && pieces[0].tok.is_unit(Unit::Day);
  if (pieces.size() < 3 || ((in || !amount) && !the_day)) return MatchResult::no_match();
  return offset_from_day(pieces, in ? std::nullopt : amount, len, ctx);
}

}  // namespace kalendo::everyday::days
