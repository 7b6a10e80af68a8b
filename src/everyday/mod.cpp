#include "everyday/mod.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "locale.h"
#include "parse.h"
#include "quote.h"
#include "tokenize.h"
#include "unicode.h"

namespace kalendo::everyday {
namespace {

// The reason the core gives when none of its rules recognised the text: the
// only core answer the everyday grammar may take over.
constexpr std::string_view kUnmatched = "no grammar rule matched ";
// The reason the core gives for an anchor the caller did not pass.
constexpr std::string_view kUnknownAnchor = "unknown anchor ";

// Offers the pieces to every everyday matcher in table order: the first
// reading or ambiguity stands; else a rejection with the last rejection's
// reason; else no match. With `intervals_first`, a text that joins two ends
// in a way no other family reads meets the intervals family early, as
// failing on it costs the others more than the intervals' reading: by a
// word ("monday to friday") first, by a mark ("mon-wed", "july 13-15")
// after the dates, or before them when `hyphened` says the shape scan met
// a word with a hyphen that is no shape ("13-15", "3-4pm", "-"), as only
// such texts pay for the question. Any other text that joins two ends
// ("3-4pm", "from 9 to 5") meets it before times, which reads no such text
// but costs the most to fail on one. The intervals' rejection still counts as the last. The
// answer is the matcher's own, which the caller writes into its outcome.
MatchResult resolve_everyday(std::span<const Piece> pieces, const EverydayCtx& ctx,
                             bool intervals_first, bool hyphened = false) {
  std::optional<std::string> reason;
  std::optional<std::string> intervals_reason;
  bool intervals_tried = false;
  const auto answers = [](const MatchResult& m) {
    return m.kind == MatchResult::Kind::Single || m.kind == MatchResult::Kind::Ambiguous;
  };
  const auto try_intervals = [&]() {
    intervals_tried = true;
    MatchResult m = intervals::try_match(pieces, ctx);
    if (m.kind == MatchResult::Kind::Reject) intervals_reason = std::move(m.reason);
    return m;
  };
  // A family's own turn, its rejection kept.
  const auto ask = [&](Matcher matcher) {
    MatchResult m = matcher(pieces, ctx);
    if (m.kind == MatchResult::Kind::Reject) reason = std::move(m.reason);
    return m;
  };
  // The families in the order of kMatchers, written out so that each turn
  // pays for its own questions only.
  static_assert(std::size(kMatchers) == 6 && kMatchers[0] == dates::try_match &&
                kMatchers[1] == open_ends::try_match && kMatchers[2] == days::try_match &&
                kMatchers[3] == times::try_match && kMatchers[4] == seasons::try_match &&
                kMatchers[5] == intervals::try_match);
  if (intervals_first && intervals::joins_by_word(pieces)) {
    if (MatchResult m = try_intervals(); answers(m)) return m;
  }
  // A text joined by a mark meets the intervals before the dates when the
  // shape scan met a hyphen in a word, else before the open ends.
  const auto by_mark = [&]() {
    return intervals_first && !intervals_tried && intervals::joins_by_mark(pieces, ctx.text);
  };
  if (hyphened && by_mark()) {
    if (MatchResult m = try_intervals(); answers(m)) return m;
  }
  if (!open_ends::leads(pieces)) {
    if (MatchResult m = ask(dates::try_match); answers(m)) return m;
  }
  if (!hyphened && by_mark()) {
    if (MatchResult m = try_intervals(); answers(m)) return m;
  }
  if (MatchResult m = ask(open_ends::try_match); answers(m)) return m;
  if (MatchResult m = ask(days::try_match); answers(m)) return m;
  if (!intervals_tried && intervals::joins_ends(pieces, ctx.text)) {
    if (MatchResult m = try_intervals(); answers(m)) return m;
  }
  if (MatchResult m = ask(times::try_match); answers(m)) return m;
  if (MatchResult m = ask(seasons::try_match); answers(m)) return m;
  if (!intervals_tried) {
    if (MatchResult m = ask(intervals::try_match); answers(m)) return m;
  }
  if (intervals_reason) reason = std::move(intervals_reason);
  if (reason) return MatchResult::reject(std::move(*reason));
  return MatchResult::no_match();
}

// Writes a matcher's answer (a reading, an ambiguity or a rejection) into
// `out` as the outcome it stands for, in place of what `out` held.
void write_answer(MatchResult& m, Outcome& out) {
  out.zone.clear();
  if (m.kind == MatchResult::Kind::Single) {
    out.kind = Outcome::Kind::Resolved;
    out.reading = std::move(m.reading);
    out.candidates.clear();
    out.reason.clear();
    return;
  }
  out.kind =
      m.kind == MatchResult::Kind::Ambiguous ? Outcome::Kind::Ambiguous : Outcome::Kind::NoParse;
  out.reading = Resolution{};
  if (m.kind == MatchResult::Kind::Ambiguous) {
    out.candidates = std::move(m.candidates);
  } else {
    out.candidates.clear();
  }
  out.reason = std::move(m.reason);
}

#if !defined(__SSE2__)
// Bytes that a signed word or a join of two ends needs: a sign, the lead
// byte of an en or em dash, or the "f" of "for".
constexpr std::array<bool, 256> kExtendBytes = [] {
  std::array<bool, 256> bytes{};
  bytes['+'] = bytes['-'] = bytes['f'] = bytes[0xE2] = true;
  return bytes;
}();
#endif

// Returns whether the byte at `at`, one of kExtendBytes, begins a sign, a
// dash or "for" as a word.
bool extends_at(std::string_view text, std::size_t at) {
  return text[at] != 'f' || (at > 0 && text[at - 1] == ' ' && text.substr(at, 4) == "for ");
}

// Returns whether the text may hold a signed word or a join of two ends
// (a dash, or "for" as a word), so that a text the core read ("3 days ago",
// "next friday") pays almost nothing to be kept as it is: sixteen bytes at
// a time where the processor has SSE2, else one table lookup a byte.
bool may_extend(std::string_view text) {
#if defined(__SSE2__)
  const auto candidates = [](__m128i x) {
    const __m128i signs =
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('+')), _mm_cmpeq_epi8(x, _mm_set1_epi8('-')));
    const __m128i others = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('f')),
                                        _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(0xE2))));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(signs, others)));
  };
  const std::size_t size = text.size();
  const char* const data = text.data();
  // Whether a candidate among the bytes at `base`, one a bit of `mask`,
  // begins a sign, a dash or "for"; a byte read twice by overlapping loads
  // is asked twice, to the same answer.
  const auto any_at = [&](std::size_t base, unsigned mask) {
    for (; mask != 0; mask &= mask - 1) {
      if (extends_at(text, base + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
    }
    return false;
  };
  if (size >= 16) {
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
      if (any_at(i, candidates(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)))))
        return true;
    }
    if (i == size) return false;
    // The tail: the last sixteen bytes, without those read already.
    const std::size_t base = size - 16;
    const unsigned mask =
        candidates(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + base)));
    return any_at(base, mask & (0xFFFFu << (i - base)));
  }
  // A shorter text in two overlapping loads of its first and last bytes, so
  // that no byte past it is read: eight each, or four, or one at a time.
  if (size >= 8) {
    uint64_t lo = 0;
    uint64_t hi = 0;
    std::memcpy(&lo, data, 8);
    std::memcpy(&hi, data + size - 8, 8);
    const unsigned mask =
        candidates(_mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo)));
    return any_at(0, mask & 0xFFu) || any_at(size - 16, mask & 0xFF00u);
  }
  if (size >= 4) {
    uint32_t lo = 0;
    uint32_t hi = 0;
    std::memcpy(&lo, data, 4);
    std::memcpy(&hi, data + size - 4, 4);
    const unsigned mask =
        candidates(_mm_set_epi64x(0, static_cast<long long>(lo | (uint64_t{hi} << 32))));
    return any_at(0, mask & 0xFu) || any_at(size - 8, mask & 0xF0u);
  }
  // One, two or three bytes ("now", "5pm", "q3"): the first, middle and
  // last cover them all in one load, and only a text with a candidate among
  // them is read again, a byte at a time.
  if (size == 0) return false;
  const auto byte = [data](std::size_t i) { return uint32_t{static_cast<unsigned char>(data[i])}; };
  const uint32_t few = byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16;
  if ((candidates(_mm_cvtsi32_si128(static_cast<int>(few))) & 0x7u) == 0) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if ((c == '+' || c == '-' || c == 'f' || c == static_cast<char>(0xE2)) && extends_at(text, i))
      return true;
  }
  return false;
#else
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kExtendBytes[static_cast<unsigned char>(text[i])] && extends_at(text, i)) return true;
  }
  return false;
#endif
}

// Returns whether a word of the text starts with a sign before a digit
// ("-3 days", "17:00 +02:00"): the core reads such a word without its sign,
// or as a second clock time.
bool has_signed_word(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '-' && text[i] != '+') continue;
    const bool starts_word = i == 0 || text[i - 1] == ' ';
    if (starts_word && text[i + 1] >= '0' && text[i + 1] <= '9') return true;
  }
  return false;
}

// Returns whether the core read a window by skipping the word that makes
// it one ("the coming 7 days" as 7 days from now, ignoring "coming"): the
// window replaces such an answer. Only the duration rule skips words, and
// it lists them at the end of its words, in the order of the text, so a
// window's word is the last of them. Other skipped words ("call mom in 3
// days") are nothing the everyday grammar reads, and cost one comparison.
bool skips_window_word(const Outcome& core) {
  return core.kind == Outcome::Kind::Resolved &&
         core.reading.interpretation.ends_with("\"coming\")");
}

// Returns whether the core read the text by skipping words that may name a
// holiday ("christmas + 2 days" as 2 days from now, ignoring "christmas").
bool skips_holiday(const Outcome& core, std::span<const Tok> toks) {
  return core.kind == Outcome::Kind::Resolved &&
         core.reading.interpretation.find("(ignoring ") != std::string::npos &&
         holidays::may_name(toks);
}

// Reads the text without the piece that names a zone, and writes the
// reading, with the zone, into `out` in place of what it held; an
// abbreviation of several zones is a no-parse. Returns false, `out` as it
// was, when nothing reads the rest, or when `keeps` holds an answer that
// only a reading replaces and the rest reads as none.
bool resolve_zoned(std::span<const Piece> pieces, const zones::Named& named, const EverydayCtx& ctx,
                   bool keeps, Outcome& out) {
  // The zone mostly ends the text ("5pm UTC") or opens it: the rest is read
  // in place then, and copied only around a zone between other words.
  std::span<const Piece> rest;
  Pieces copied;
  if (named.rides) {
    rest = pieces;
  } else if (named.at == 0) {
    rest = pieces.subspan(named.len);
  } else if (named.at + named.len == pieces.size()) {
    rest = pieces.first(named.at);
  } else {
    copied.reserve(pieces.size() - 1);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (i < named.at || i >= named.at + named.len) copied.push_back(pieces[i]);
    }
    rest = copied;
  }
  // The matchers' answer is written straight into `out`, with no outcome
  // of its own in between.
  MatchResult m = resolve_everyday(rest, ctx, false);
  std::optional<Resolution> day;
  if (m.kind == MatchResult::Kind::NoMatch) {
    day = resolve_day(rest, ctx);
    if (!day) return false;
  }
  const bool reads = day.has_value() || m.kind != MatchResult::Kind::Reject;
  // A rejection stands as it is; an abbreviation of several zones stops
  // only a text that reads as a time without it ("3pm IST"): elsewhere it
  // may be an ordinary word.
  const bool refused = reads && !named.reject.empty();
  const bool resolved = reads && !refused && (day || m.kind == MatchResult::Kind::Single);
  if (keeps && !resolved) return false;
  if (refused) {
    out = Outcome::no_parse(named.reject);
    return true;
  }
  if (day) {
    out.kind = Outcome::Kind::Resolved;
    out.reading = std::move(*day);
    out.candidates.clear();
    out.reason.clear();
  } else {
    write_answer(m, out);
  }
  if (reads) out.zone = named.zone;
  return true;
}

// Returns whether no rule of the core grammar can read the tokens, so that
// its matchers need not run. After a clock time that ends the text is set
// apart, as the core does for a whole text (`clock_apart`):
// - after|before anywhere may name an anchor: the core's to judge;
// - a leading word ("until 5pm", "call mom", "christmas eve") is skipped
//   only by the duration rule, which needs a unit; a word after any other
//   token ("monday to friday", "3pm until 5pm") by no rule;
// - a leading clock time with more after it ("3pm tomorrow") begins no rule,
//   and a day word with only numbers or clock times after it ends none;
// - words, numbers, ordinals and months ("march 14", "3 march 2025") are
//   read only as a month alone: every other rule needs a keyword, a unit, a
//   weekday, an anchor, a clock time or a quarter.
// Inlined: the one call on every text's path, where a call's cost shows.
// `tok_at(i)` is the i-th of `size` tokens, so that pieces of tokens are
// asked in place.
template <typename TokAt>
[[gnu::always_inline]] inline bool unreadable(std::size_t size, TokAt tok_at, bool clock_apart) {
  using Kind = Tok::Kind;
  std::size_t n = size;
  if (clock_apart && n >= 2) {
    const Tok& last = tok_at(n - 1);
    if (last.is(Kind::Time) && last.value < 24 && last.minute < 60) --n;
  }
  if (n == 0) return false;
  // One bit per kind of token met, and whether a word came after another
  // kind.
  const auto bit = [](Kind k) { return 1u << static_cast<unsigned>(k); };
  uint32_t kinds = 0;
  bool inner_word = false;
  for (std::size_t i = 0; i < n; ++i) {
    const Tok& t = tok_at(i);
    if (t.is_kw(Keyword::After) || t.is_kw(Keyword::Before)) return false;
    const uint32_t b = bit(t.kind);
    inner_word = inner_word || (b == bit(Kind::Word) && (kinds & ~bit(Kind::Word)) != 0);
    kinds |= b;
  }
  if (inner_word) return true;
  // A day word and then only numbers or clock times ("tomorrow 3" of
  // "tomorrow 3-4pm", "friday 10pm" of "friday 10pm-2am"): a clock after a
  // day is the core's only when it ends the text, and it was set apart.
  const Tok& lead = tok_at(0);
  if (n >= 2 && (lead.is(Kind::Weekday) || lead.is_kw(Keyword::Today) ||
                 lead.is_kw(Keyword::Tomorrow) || lead.is_kw(Keyword::Yesterday))) {
    bool only_numbers = true;
    for (std::size_t i = 1; i < n; ++i) {
      const Tok& t = tok_at(i);
      only_numbers = only_numbers && (t.is(Kind::Num) || t.is(Kind::Time));
    }
    if (only_numbers) return true;
  }
  const bool unit = (kinds & bit(Kind::Unit)) != 0;
  // words, numbers, ordinals and months only
  const bool plain =
      (kinds & ~(bit(Kind::Word) | bit(Kind::Num) | bit(Kind::Ordinal) | bit(Kind::Month))) == 0;
  if (lead.is(Kind::Word)) return !unit;
  if (lead.is(Kind::Time)) return n >= 2;
  return plain && (n >= 2 || !lead.is(Kind::Month));
}

[[gnu::always_inline]] inline bool core_cannot_read(std::span<const Tok> toks, bool clock_apart) {
  return unreadable(
      toks.size(), [toks](std::size_t i) -> const Tok& { return toks[i]; }, clock_apart);
}

// The rule of the core that alone reads a lone token: a weekday's, or the
// relative rule for a clock time, today, tomorrow, yesterday or now; none
// for any other token.
kalendo::Matcher lone_word_rule(const Tok& t) {
  if (t.is(Tok::Kind::Weekday)) return weekday::try_match;
  const bool relative_word = t.is(Tok::Kind::Time) || t.is_kw(Keyword::Today) ||
                             t.is_kw(Keyword::Tomorrow) || t.is_kw(Keyword::Yesterday) ||
                             t.is_kw(Keyword::Now);
  return relative_word ? relative::try_match : nullptr;
}

// Room for the notes a clock time, a part of the day or a hedge adds to a
// day's reading ("tomorrow, at 09:00 (first thing in the morning)").
constexpr std::size_t kDayNoteRoom = 64;

// today|tomorrow|yesterday alone, the day words after most clock times
// ("3pm tomorrow", "tomorrow morning"): the reading of the core's relative
// rule, written as it writes it, without the round trip through its
// matcher and outcome, and with room for the notes after it. None for any
// other token, or a day outside the supported years, which the core's own
// path answers.
std::optional<Resolution> day_word(const Tok& t, const Ctx& ctx) {
  if (t.kind != Tok::Kind::Kw) return std::nullopt;
  std::string_view word;
  int64_t offset = 0;
  switch (t.keyword()) {
    case Keyword::Today:
      word = "today, ";
      break;
    case Keyword::Tomorrow:
      word = "tomorrow, ";
      offset = 1;
      break;
    case Keyword::Yesterday:
      word = "yesterday, ";
      offset = -1;
      break;
    default:
      return std::nullopt;
  }
  const auto date = add_days(ctx.today(), offset);
  if (!date) return std::nullopt;
  Resolution r;
  r.interpretation.reserve(kDayNoteRoom);
  r.interpretation = word;
  r.interpretation += ctx.tod_explicit ? "at " : "default ";
  append_hh_mm(r.interpretation, ctx.tod);
  r.value = Value::instant(DateTime{*date, ctx.tod});
  r.confidence = 0.95f;
  return r;
}

}  // namespace

namespace {

// The work of core_reading, with `unread` set when the answer is the core's
// generic no-parse (no rule read the pieces). When no rule of the core can
// read the tokens at all, the matchers are not asked, and that no-parse
// comes without its reason, which core_reading writes for its callers and
// resolve_day never needs.
std::optional<Outcome> read_core(std::span<const Piece> pieces, const EverydayCtx& ctx,
                                 bool& unread) {
  unread = false;
  if (pieces.empty()) return std::nullopt;
  for (const Piece& p : pieces)
    if (p.is_shape) return std::nullopt;
  // A lone weekday is only the weekday rule's to read, a lone clock time,
  // today, tomorrow, yesterday or now only the relative rule's: the day
  // words of a clock time ("3pm tomorrow"), of an open end ("since 2pm")
  // or of an interval's end ("monday to friday") ask that rule alone, on
  // the piece's own token. A rule that reads nothing leaves the reason and
  // the holiday names to the reading below.
  const Tok& first = pieces[0].tok;
  const kalendo::Matcher lone_rule = pieces.size() == 1 ? lone_word_rule(first) : nullptr;
  if (lone_rule != nullptr) {
    MatchResult m = lone_rule(std::span<const Tok>(&first, 1), ctx.core);
    if (m.kind == MatchResult::Kind::Single) return Outcome::resolved(std::move(m.reading));
    if (m.kind == MatchResult::Kind::Ambiguous) {
      return Outcome::ambiguous(std::move(m.candidates), std::move(m.reason));
    }
  }
  // A lone day word's rule has read it above, and its reason stands; a
  // lone month is only the rule of named periods' to read.
  static constexpr kalendo::Matcher kPeriodRule[] = {ext::try_match};
  const kalendo::Matcher lone_rules[] = {lone_rule};
  std::span<const kalendo::Matcher> rules = kalendo::kMatchers;
  if (pieces.size() == 1 && lone_rule != nullptr) {
    rules = lone_rules;
  } else if (pieces.size() == 1 && first.is(Tok::Kind::Month)) {
    rules = kPeriodRule;
  } else {
    // Day words no rule reads ("march 14" in "since march 14", "way" of
    // "by the way", "tomorrow maybe" of "lunch tomorrow maybe"): the
    // no-parse the matchers would give, and, unless a word may begin a
    // holiday's name, the answer, told without a copy of the tokens.
    unread = unreadable(
        pieces.size(), [pieces](std::size_t i) -> const Tok& { return pieces[i].tok; }, false);
    if (unread && !holidays::may_name(pieces)) return Outcome{};
  }
  // The core reads contiguous tokens: the day words are copied, a few of
  // them inside the tokens' own buffer, those without a text built anew.
  Tokens copied;
  for (const Piece& p : pieces) {
    if (p.tok.text.empty()) {
      copied.add(p.tok.kind, p.tok.value, p.tok.minute);
    } else {
      copied.push_back(p.tok);
    }
  }
  const std::span<const Tok> toks(std::as_const(copied).begin(), copied.size());
  // No text: the reason of a failed reading is never shown, so it is not
  // worth quoting the text into it.
  Outcome o = unread ? Outcome{} : resolve_inner({}, toks, ctx.core, rules);
  // A holiday's name is a day word of the calendar the caller's region
  // keeps: "until christmas", "since easter", "christmas to new year's".
  // The caller's anchors were read as such by the core already.
  unread = unread || (o.kind == Outcome::Kind::NoParse && o.reason.starts_with(kUnmatched));
  const bool lacks_anchor = o.kind == Outcome::Kind::Ambiguous && o.candidates.empty() &&
                            o.reason.starts_with(kUnknownAnchor);
  if (unread || lacks_anchor) {
    if (std::optional<Outcome> named = holidays::read_day(toks, ctx, false)) {
      unread = named->kind == Outcome::Kind::NoParse && named->reason.starts_with(kUnmatched);
      return named;
    }
  }
  return o;
}

}  // namespace

std::optional<Outcome> core_reading(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  bool unread = false;
  std::optional<Outcome> o = read_core(pieces, ctx, unread);
  if (o && unread && o->reason.empty()) {
    // As the matchers write it without a text.
    o->reason = kUnmatched;
    o->reason += "\"\"";
  }
  return o;
}

std::optional<Resolution> resolve_day(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (pieces.empty()) return std::nullopt;
  // A lone day word (the day of "till friday", "after 5pm") is its rule's
  // reading: today, tomorrow and yesterday written here as the rule writes
  // them, a weekday or clock time taken as its rule gives it; anything else
  // goes the long way.
  if (pieces.size() == 1 && !pieces[0].is_shape) {
    if (auto r = day_word(pieces[0].tok, ctx.core)) return r;
    if (const kalendo::Matcher rule = lone_word_rule(pieces[0].tok)) {
      MatchResult m = rule(std::span<const Tok>(&pieces[0].tok, 1), ctx.core);
      if (m.kind == MatchResult::Kind::Single) return std::move(m.reading);
    }
  }
  bool unread = false;
  if (std::optional<Outcome> o = read_core(pieces, ctx, unread)) {
    if (o->kind == Outcome::Kind::Resolved) return std::move(o->reading);
    if (!unread) return std::nullopt;
  }
  for (Matcher matcher : {dates::try_match, days::try_match}) {
    MatchResult m = matcher(pieces, ctx);
    if (m.kind == MatchResult::Kind::Single) return std::move(m.reading);
    if (m.kind != MatchResult::Kind::NoMatch) return std::nullopt;
  }
  return std::nullopt;
}

namespace {

// Full mode past the core's answer, for a text the core did not read, read
// without an anchor it names, or read in part (a sign or a second end it
// dropped): the everyday grammar's turn. `core` is the core's answer as
// resolve_tokens gave it, its generic no-parse without the quoted text.
// Returns true when the core's answer stands, which the caller completes;
// else the everyday grammar's answer has replaced it in `core`.
// `core_extends` says whether a text the core read may hold a sign or a
// join (may_extend), as the caller found out.
// Apart from parse_full, so that a text the core read returns through a
// small frame, and compiled with this file's calls in place.
[[gnu::noinline, gnu::flatten]] bool read_past_core(std::string_view trimmed, Tokens& toks,
                                                    Outcome& core, bool unmatched,
                                                    bool lacks_anchor, bool core_extends,
                                                    DateTime now, const AnchorMap& anchors,
                                                    const FullOptions& opts, HolidayFn holidays) {
  // The everyday grammar's context, built where it is asked for: most
  // texts that lack an anchor or that the core read leave before.
  const auto context = [&]() {
    return EverydayCtx{Ctx{opts.core, anchors, holidays, opts.core.default_time, now, false}, opts,
                       trimmed};
  };
  // The holidays are read on the core's tokens; only a text that holds a
  // date that is also a holiday's name, or numeric shapes, is read again.
  bool names_holiday = false;
  if (lacks_anchor && holidays::may_name(std::span<const Tok>(std::as_const(toks)))) {
    if (!has_shape(trimmed)) {
      if (auto named = holidays::read_text(std::span<const Tok>(std::as_const(toks)), context())) {
        core = std::move(*named);
        return false;
      }
    }
    if (auto named = holidays::resolve(trimmed, now, anchors, opts, holidays, &names_holiday)) {
      core = std::move(*named);
      return false;
    }
  }
  // The core took a holiday's name for an anchor where no anchored form of
  // its own reads it ("after christmas"): that is no reading of the text,
  // and a family that reads the whole text with the holiday replaces it.
  const bool anchorless = lacks_anchor && names_holiday;
  if (lacks_anchor && !anchorless) {
    return true;
  }
  const bool read = !unmatched && !anchorless && core.kind != Outcome::Kind::NoParse;
  // A text read here lacks no anchor, and the caller asked may_extend.
  const bool extends = read && core_extends;
  const bool replaceable =
      (read && skips_window_word(core)) || (extends && has_signed_word(trimmed));
  // A dash between two words or a length ("3:30-4:30pm", "16h for 30
  // mins"): the core read one end and dropped the other.
  const bool joined = extends && !replaceable && intervals::may_join(trimmed);
  if (!unmatched && !replaceable && !joined && !anchorless) {
    return true;
  }
  const EverydayCtx everyday_ctx = context();
  // Only a reading replaces a core answer; a failure of the everyday
  // grammar leaves it.
  const bool keeps_core = replaceable || anchorless;
  // Numeric shapes are looked for only now: a text the core read pays
  // nothing for them. A text with one is split into pieces at once; one of
  // words is its core tokens, moved into pieces below. Either way a text of
  // a few pieces keeps them on the stack.
  PieceBuffer held;
  const ShapeScan scan = scan_shaped(trimmed, held);
  const bool shaped = scan.shaped;

  // A text of words that names a holiday meets the holiday forms first: its
  // day is no other family's to read in part ("1 week after new year's
  // day" is the core's form with the holiday as its anchor).
  // Whether a word may begin a holiday's name that is no date: asked here
  // of a text of words, and else after the matchers.
  bool begins_name = true;
  if (!keeps_core && !shaped) {
    if (auto named = holidays::read_text(std::span<const Tok>(std::as_const(toks)), everyday_ctx,
                                         &begins_name)) {
      core = std::move(*named);
      return false;
    }
  }

  if (!shaped) {
    for (Tok& t : toks)
      held.emplace(false, std::move(t), Shape{});
  }
  const std::span<const Piece> pieces = held.items();
  if (pieces.empty()) {
    return true;
  }
  if (joined) {
    // Only a whole interval replaces the core's reading.
    MatchResult m = intervals::try_match(pieces, everyday_ctx);
    if (m.kind == MatchResult::Kind::Single && m.reading.value.is_range()) {
      write_answer(m, core);
      return false;
    }
    return true;
  }
  // A zone needs words beside it, unless it rides on a time ("17:00Z").
  if (pieces.size() >= 2 || (pieces[0].is_shape && !pieces[0].shape.zone.empty())) {
    if (const auto named = zones::find(pieces, opts.zone_names, trimmed)) {
      return !resolve_zoned(pieces, *named, everyday_ctx, keeps_core, core);
    }
  }
  // So does a text of words that the shape scan found none in.
  if (!keeps_core && shaped) {
    if (auto named = holidays::read_text(pieces, everyday_ctx)) {
      core = std::move(*named);
      return false;
    }
  }
  MatchResult everyday = resolve_everyday(pieces, everyday_ctx, true, scan.hyphened);
  if (everyday.kind == MatchResult::Kind::Single || everyday.kind == MatchResult::Kind::Ambiguous) {
    if (keeps_core && everyday.kind != MatchResult::Kind::Single) {
      return true;
    }
    write_answer(everyday, core);
    return false;
  }
  if (keeps_core) {
    return true;
  }
  // Holiday names after the matchers, so that calendar dates pay nothing
  // for them; a rejection of the matchers yields to a holiday's reading.
  if (begins_name ? holidays::may_name(pieces) : holidays::names_by_date(pieces)) {
    if (auto named = holidays::resolve(trimmed, now, anchors, opts, holidays)) {
      core = std::move(*named);
      return false;
    }
  }
  if (everyday.kind == MatchResult::Kind::Reject) {
    write_answer(everyday, core);
    return false;
  }
  return true;
}

}  // namespace

Outcome parse_full(std::string_view text, DateTime now, const AnchorMap& anchors,
                   const FullOptions& opts, HolidayFn holidays) {
  const std::string_view trimmed = uni::trim_white_space(text);
  // The core grammar, as strict mode runs it, keeping its tokens: a text
  // without numeric shapes needs no second tokenization. Without anchors,
  // as mostly, the tokenizer is asked straight, as strict mode asks it.
  const Locale& locale = opts.core.locale != nullptr ? *opts.core.locale : EN;
  Tokens toks = trimmed.empty()   ? Tokens()
                : anchors.empty() ? tokenize(trimmed, {}, locale)
                                  : tokenize_text(trimmed, anchors, opts.core);
  // Every path returns `core`, so that the answer is built in place.
  // Without the text: the only reason that quotes it is the generic
  // no-parse, which the everyday grammar usually replaces, so it is written
  // only when it is the answer.
  // A text no core rule can read skips the core's matchers: its answer is
  // the generic no-parse they would give, a no-parse whose reason is
  // written only if it stands (every path past the core writes or replaces
  // it), so that the texts the everyday grammar reads build none.
  // The tokens are read through a constant view, as strict mode reads them:
  // a writable view marks them as holding texts, for a pass to destroy them.
  const Tokens& read_toks = toks;
  const bool cannot_read = !trimmed.empty() && core_cannot_read(read_toks, true);
  Outcome core = trimmed.empty() ? Outcome::no_parse("empty input")
                 : cannot_read   ? Outcome{}
                                 : resolve_whole({}, read_toks, now, anchors, opts.core, holidays);
  if (trimmed.empty()) return core;
  // The core answer stands whenever a rule of the core read the text, or
  // refused it for a reason of its own, and the text holds no sign or join
  // the core may have dropped: a few comparisons, and the answer is
  // returned in place, as strict mode returns it.
  const bool unmatched =
      cannot_read || (core.kind == Outcome::Kind::NoParse && core.reason.starts_with(kUnmatched));
  const bool lacks_anchor = core.kind == Outcome::Kind::Ambiguous && core.candidates.empty() &&
                            core.reason.starts_with(kUnknownAnchor);
  // Whether a text the core read may hold a sign or a join: asked once,
  // and handed on.
  const bool read = !unmatched && !lacks_anchor && core.kind != Outcome::Kind::NoParse;
  const bool extends = read && may_extend(trimmed);
  // The words the core skipped end its interpretation, quoted: one
  // comparison tells a reading that skipped none.
  const bool skipped = read && core.reading.interpretation.ends_with("\")");
  if (!unmatched && !lacks_anchor &&
      (core.kind == Outcome::Kind::NoParse || (!extends && !skipped))) {
    return core;
  }
  // A holiday's name the core skipped: the holiday's reading replaces the
  // core's, which read the rest of the text as if from now. Only a reading
  // does: a name the region does not keep leaves the core's answer, as it
  // does for the texts no holiday form reads.
  if (skipped && skips_holiday(core, read_toks)) {
    if (auto named = holidays::resolve(trimmed, now, anchors, opts, holidays);
        named && named->kind != Outcome::Kind::NoParse) {
      core = std::move(*named);
      return core;
    }
  }
  // The core's answer stands: its generic no-parse quotes the text (the
  // core was given none), written here once, with room for the quoted text
  // as it mostly is, with nothing to escape: one allocation.
  if (read_past_core(trimmed, toks, core, unmatched, lacks_anchor, extends, now, anchors, opts,
                     holidays) &&
      unmatched) {
    core.reason.reserve(kUnmatched.size() + trimmed.size() + 2);
    core.reason = kUnmatched;
    append_quoted(core.reason, trimmed);
  }
  return core;
}

}  // namespace kalendo::everyday
