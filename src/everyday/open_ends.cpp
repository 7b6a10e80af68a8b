// Matches ranges with one end (until 5pm, after 2pm, since August, starting
// monday, from monday on, before friday), deadlines (by friday), and rolling
// windows counted from today or from now (last 2 days, next 3 hours, the
// past hour). The day or time after the lead word is read by the other
// families, on a span of the pieces.
#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <vector>

#include "everyday/mod.h"
#include "grammar/units.h"
#include "locale.h"

namespace kalendo::everyday::open_ends {
namespace {

using Kind = Tok::Kind;

// What the lead word makes of the moment after it.
enum class Lead : uint8_t {
  Until,     // from now to the end of it
  Through,   // from now to the end of a day or period, never a moment
  Before,    // open start, up to its start
  By,        // a deadline: the moment itself
  After,     // from its end on
  Since,     // from its most recent start on
  Starting,  // from its start on
};

// Lead words the core leaves as plain words.
constexpr WordEntry<Lead> kLeadWords[11] = {
    {"until", Lead::Until},        {"till", Lead::Until},
    {"til", Lead::Until},          {"'til", Lead::Until},
    {"untill", Lead::Until},       {"through", Lead::Through},
    {"thru", Lead::Through},       {"by", Lead::By},
    {"since", Lead::Since},        {"starting", Lead::Starting},
    {"effective", Lead::Starting},
};

// The lead words by their first byte, one bit per entry of kLeadWords: a
// word is compared only with the entries that begin like it.
constexpr std::array<uint16_t, 256> kLeadsByByte = [] {
  std::array<uint16_t, 256> bits{};
  for (std::size_t i = 0; i < std::size(kLeadWords); ++i)
    bits[static_cast<unsigned char>(kLeadWords[i].word[0])] |= static_cast<uint16_t>(1u << i);
  return bits;
}();
static_assert(std::size(kLeadWords) <= 16);

// Returns the lead a plain word names, or none.
std::optional<Lead> lead_word(std::string_view w) {
  if (w.empty()) return std::nullopt;
  for (uint32_t bits = kLeadsByByte[static_cast<unsigned char>(w[0])]; bits != 0;
       bits &= bits - 1) {
    const WordEntry<Lead>& e = kLeadWords[std::countr_zero(bits)];
    if (e.word == w) return e.value;
  }
  return std::nullopt;
}

// Longer leads, as their words: "up to 5pm", "no later than friday",
// "any time after 5". The last word may be a lead of its own ("until",
// "after"), read as that lead once the words before it are taken.
struct LeadPhrase {
  std::array<std::string_view, 3> words;
  uint8_t len;
  Lead lead;
};
constexpr LeadPhrase kLeadPhrases[8] = {
    {{"up", "to", ""}, 2, Lead::Until},
    {{"up", "until", ""}, 2, Lead::Until},
    {{"up", "till", ""}, 2, Lead::Until},
    {{"no", "later", "than"}, 3, Lead::By},
    {{"no", "earlier", "than"}, 3, Lead::Starting},
    {{"not", "earlier", "than"}, 3, Lead::Starting},
    {{"later", "than"}, 2, Lead::After},
    {{"anytime", "after"}, 2, Lead::After},
};
static_assert([] {
  for (const LeadPhrase& lp : kLeadPhrases) {
    if (lp.words[0] == "after") return false;
  }
  return true;
}());
// "any time after 5" and "not before 5" are read word by word: "after"
// and "before" are no plain words.
constexpr std::string_view kAnyTime[2] = {"any", "time"};
constexpr std::string_view kNot = "not";

// Words that end a range at now: "2020 to present", "2020 until now",
// "since march to date".
constexpr std::string_view kUpToNow[3] = {"to", "until", "till"};
constexpr std::string_view kPresent = "present";
constexpr std::string_view kDate = "date";
// The short forms of "<period> to date" in reports.
constexpr WordEntry<Unit> kToDate[4] = {
    {"ytd", Unit::Year}, {"qtd", Unit::Quarter}, {"mtd", Unit::Month}, {"wtd", Unit::Week}};

// Words after a start that say the range runs on: "from monday onwards".
constexpr std::string_view kOnwards[3] = {"onwards", "onward", "forward"};

// Words before a window that add nothing: "over the next 3 days".
constexpr std::string_view kWindowFillers[2] = {"over", "during"};

// The time of day at which the end of an open range is read: a day the
// text names without a clock time comes back at it and is taken whole
// (a text that names 23:59:59 itself gets that whole day too).
constexpr TimeOfDay kDayEnd = TimeOfDay::hms(23, 59, 59);

// The confidence of an open end or window is at most this: the reading of
// its end is exact, the lead word less so.
constexpr float kOpenConfidence = 0.9f;

// The moment after a lead word: a whole day, a range, or an instant.
struct Bound {
  DateTime first;
  DateTime last;
  float confidence = 0.0f;
};

bool word_in(const Piece& p, std::span<const std::string_view> words) {
  return !p.is_shape && p.tok.is(Kind::Word) && contains_word(words, p.tok.text);
}

// Reads a lone number 1..12 after a lead word as a clock hour, as after
// "at": "until 5" is until 17:00, "after 9" from 09:00.
MatchResult bare_hour(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (pieces.size() != 1 || pieces[0].is_shape || !pieces[0].tok.is(Kind::Num) ||
      pieces[0].tok.value < 1 || pieces[0].tok.value > 12) {
    return MatchResult::no_match();
  }
  const std::string at = "at " + std::to_string(pieces[0].tok.value);
  return times::try_match(pieces, EverydayCtx{ctx.core, ctx.opts, at});
}

// Reads pieces as a day, a period or a moment: a day without a clock time
// spans the whole day, a period keeps its ends, a moment is both ends.
std::optional<Bound> read_bound(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  if (pieces.empty()) return std::nullopt;
  EverydayCtx whole{ctx.core, ctx.opts, ctx.text};
  whole.core.tod = kDayEnd;
  whole.core.tod_explicit = true;
  std::optional<Resolution> r = resolve_day(pieces, whole);
  // A month or year ("since august 2023") is read only without a clock; a
  // year alone is left to year_on.
  if (!r && !(pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Num))) {
    if (std::optional<Resolution> period = resolve_day(pieces, ctx);
        period && period->value.is_range()) {
      r = std::move(period);
    }
  }
  if (!r) {
    MatchResult m = times::try_match(pieces, ctx);
    if (m.kind == MatchResult::Kind::NoMatch) m = bare_hour(pieces, ctx);
    if (m.kind != MatchResult::Kind::Single) return std::nullopt;
    r = std::move(m.reading);
  }
  const Value& v = r->value;
  if (v.open_start || v.open_end) return std::nullopt;
  Bound b{v.start, v.end, r->confidence};
  if (!v.is_range() && v.start.time == kDayEnd) b.first.time = TimeOfDay{};
  return b;
}

// Appends "YYYY-MM-DD HH:MM", with ":SS" when the seconds are not zero.
void append_moment(std::string& out, DateTime t) {
  append_date(out, t.date);
  out += ' ';
  append_hh_mm(out, t.time);
  if (t.time.secs % 60 != 0) {
    out += ':';
    out += static_cast<char>('0' + t.time.secs % 60 / 10);
    out += static_cast<char>('0' + t.time.secs % 10);
  }
}

// The label of an open end: a few words and a moment, in one allocation.
std::string open_label(std::string_view lead) {
  std::string text;
  text.reserve(40);
  text += lead;
  return text;
}

MatchResult from_on(DateTime start, float confidence) {
  std::string text = open_label("from ");
  append_moment(text, start);
  text += " on";
  return MatchResult::single(std::move(text), Value::from(start),
                             std::min(confidence, kOpenConfidence));
}

// since <month>: the most recent one that has begun, this one included.
std::optional<DateTime> month_since(int64_t month, Date today) {
  const int64_t year = today.year() - (static_cast<uint32_t>(month) > today.month() ? 1 : 0);
  const auto first = Date::from_ymd(year, static_cast<uint32_t>(month), 1);
  if (!first) return std::nullopt;
  return DateTime{*first, TimeOfDay{}};
}

// since|starting <year>: "since 2020" is from its first day on. Only
// four digits count as a year here.
MatchResult year_on(std::span<const Piece> rest) {
  if (rest.size() != 1 || rest[0].is_shape || !rest[0].tok.is(Kind::Num)) {
    return MatchResult::no_match();
  }
  const int64_t year = rest[0].tok.value;
  if (year < 1000 || year > 9999) return MatchResult::no_match();
  const auto first = Date::from_ymd(year, 1, 1);
  if (!first) return MatchResult::no_match();
  return from_on(DateTime{*first, TimeOfDay{}}, 0.85f);
}

// What a day that the other families place ahead is, looking back.
enum class Back : uint8_t {
  None,   // not a day that looks back
  Year,   // a month and day without a year: "march 14", "14th june", "3/14"
  Month,  // a day of the month alone: "the 10th", "the twenty first"
};

// Returns how pieces name a day without its year or month.
Back yearless(std::span<const Piece> pieces) {
  if (pieces.size() == 1 && pieces[0].is_shape) {
    const Shape& s = pieces[0].shape;
    const bool month_day =
        s.kind == Shape::Kind::Numeric && s.count == 2 && s.widths[0] <= 2 && s.widths[1] <= 2;
    return month_day ? Back::Year : Back::None;
  }
  bool month = false;
  bool ordinal = false;
  bool other = false;  // a word besides the day's number
  for (const Piece& p : pieces) {
    if (p.is_shape) return Back::None;
    if (p.tok.is(Kind::Month)) month = true;
    if (p.tok.is(Kind::Ordinal)) ordinal = true;
    if (p.tok.is(Kind::Num) && p.tok.value >= 100) return Back::None;
    other = other || !(p.tok.is(Kind::Ordinal) || p.tok.is(Kind::Num));
  }
  if (month) return Back::Year;
  return ordinal && !other ? Back::Month : Back::None;
}

// The most recent day on or before today with the month and day of `ahead`
// (Back::Year) or its day of the month (Back::Month): a leap day looks back
// to the last leap year, a 31st to the last month that has one.
std::optional<Date> looked_back(Date ahead, Back back, Date today) {
  const Civil a = ahead.civil();
  const Civil t = today.civil();
  const int steps = back == Back::Year ? 9 : 13;
  for (int k = 0; k < steps; ++k) {
    const int64_t months = t.year * 12 + (t.month - 1) - (back == Back::Year ? 12 * k : k);
    const int64_t y = back == Back::Year ? t.year - k : months / 12;
    const uint32_t m = back == Back::Year ? a.month : static_cast<uint32_t>(months % 12 + 1);
    if (a.day > days_in_month(y, m)) continue;
    const auto day = Date::from_ymd(y, m, a.day);
    if (!day) return std::nullopt;
    if (*day <= today) return day;
  }
  return std::nullopt;
}

// Returns whether pieces name a clock time and no day: "2pm", "17:30:00",
// "half past 3", "quarter past 9". Only such a time rolls to tomorrow once
// it has passed.
bool clock_only(std::span<const Piece> pieces) {
  for (const Piece& p : pieces) {
    if (p.is_shape) {
      if (p.shape.kind != Shape::Kind::Clock && p.shape.kind != Shape::Kind::Amount) return false;
      continue;
    }
    const Tok& t = p.tok;
    const bool day_word = t.is(Kind::Weekday) || t.is(Kind::Month) || t.is(Kind::Ordinal) ||
                          t.is(Kind::Anchor) || (t.is(Kind::Kw) && !t.is_kw(Keyword::Last)) ||
                          (t.is(Kind::Unit) && !t.is_unit(Unit::Quarter));
    if (day_word) return false;
  }
  return true;
}

// since <x>: looks back. A weekday or month alone is its most recent one,
// today's included; a day the other families place ahead (a date without a
// year, a clock time already passed today) is taken a year or a day earlier.
MatchResult since(std::span<const Piece> rest, const EverydayCtx& ctx) {
  const DateTime now = ctx.core.now;
  if (rest.size() == 1 && !rest[0].is_shape && rest[0].tok.is(Kind::Month)) {
    const auto start = month_since(rest[0].tok.value, ctx.today());
    if (!start) return MatchResult::no_match();
    return from_on(*start, 0.85f);
  }
  if (rest.size() == 1 && !rest[0].is_shape && rest[0].tok.is(Kind::Weekday)) {
    const auto w = static_cast<uint32_t>(rest[0].tok.value);
    const auto day =
        add_days(ctx.today(), -static_cast<int64_t>((ctx.today().weekday() + 7 - w) % 7));
    if (!day) return MatchResult::no_match();
    return from_on(DateTime{*day, TimeOfDay{}}, 0.85f);
  }
  // A holiday looks back to its most recent day: "since christmas",
  // "since easter 2024 at 5pm".
  if (rest.size() <= 4 && holidays::may_name(rest)) {
    std::array<Tok, 4> toks;
    bool tokens = rest.size() <= toks.size();
    for (std::size_t i = 0; tokens && i < rest.size(); ++i) {
      tokens = !rest[i].is_shape;
      if (tokens) toks[i] = rest[i].tok;
    }
    EverydayCtx midnight{ctx.core, ctx.opts, ctx.text};
    midnight.core.tod = TimeOfDay{};
    if (const auto named =
            tokens ? holidays::read_day(std::span(toks).first(rest.size()), midnight, true)
                   : std::nullopt) {
      if (named->kind != Outcome::Kind::Resolved || named->reading.value.is_range()) {
        return MatchResult::no_match();
      }
      const DateTime start = named->reading.value.start;
      if (start > now) return MatchResult::reject("\"since\" names a moment after now");
      return from_on(start, named->reading.confidence);
    }
  }
  const Back back = yearless(rest);
  const auto b = read_bound(rest, ctx);
  if (!b && rest.size() == 1 && rest[0].is_shape && rest[0].shape.kind == Shape::Kind::Numeric) {
    // A numeric date that reads both ways stays ambiguous, each reading
    // looked back; a reading with its year that lies ahead is no start.
    EverydayCtx whole{ctx.core, ctx.opts, ctx.text};
    whole.core.tod = TimeOfDay{};
    MatchResult m = dates::try_match(rest, whole);
    if (m.kind != MatchResult::Kind::Ambiguous) return MatchResult::no_match();
    std::vector<Resolution> readings;
    for (const Resolution& r : m.candidates) {
      auto day = std::optional(r.value.start.date);
      if (back == Back::Year) day = looked_back(*day, back, ctx.today());
      if (!day) return MatchResult::no_match();
      if (*day > ctx.today()) continue;
      readings.push_back(from_on(DateTime{*day, TimeOfDay{}}, r.confidence).reading);
    }
    if (readings.empty()) return MatchResult::reject("\"since\" names a moment after now");
    if (readings.size() == 1) return MatchResult::single(std::move(readings[0]));
    return MatchResult::ambiguous(std::move(readings), std::move(m.reason));
  }
  if (!b) {
    MatchResult m = year_on(rest);
    if (m.kind == MatchResult::Kind::Single && m.reading.value.start > now) {
      return MatchResult::reject("\"since\" names a moment after now");
    }
    return m;
  }
  DateTime start = b->first;
  if (start > now && back != Back::None) {
    const auto day = looked_back(start.date, back, ctx.today());
    if (!day) return MatchResult::no_match();
    start.date = *day;
  } else if (start > now && b->first == b->last && clock_only(rest)) {
    const auto back = add_days(start.date, -1);
    if (!back) return MatchResult::no_match();
    start.date = *back;
  }
  if (start > now) return MatchResult::reject("\"since\" names a moment after now");
  return from_on(start, b->confidence);
}

// The count of a window: <n> | a few | a couple of; none when absent.
// Sets *len to the pieces taken.
std::optional<int64_t> window_count(std::span<const Piece> p, std::size_t* len) {
  *len = 0;
  if (p.empty() || p[0].is_shape) return std::nullopt;
  const Tok& t = p[0].tok;
  if (!t.is(Kind::Num) && !t.is(Kind::Fuzzy)) return std::nullopt;
  *len = 1;
  if (t.is(Kind::Fuzzy) && p.size() > 1 && !p[1].is_shape && p[1].tok.is_kw(Keyword::Of)) *len = 2;
  return t.value;
}

// [over|during|in|within] [the] last|past|next|coming|following|preceding
// [<n>] <unit> | within the hour|minute: whole days before or after today,
// or a span of hours or minutes up to or from now. Without a count only
// "past", "coming" or a word in front make a window ("the past hour", "in
// the last hour"); "the next hour" is a moment.
MatchResult window(std::span<const Piece> p, const EverydayCtx& ctx) {
  // A word in front makes a window of "the last hour" too ("in the last
  // hour"), and "within the hour" is the next one.
  const bool led = !p.empty() && !p[0].is_shape &&
                   (p[0].tok.is_kw(Keyword::In) || word_in(p[0], kWindowFillers));
  if (led) p = p.subspan(1);
  if (led && p.size() == 1 && !p[0].is_shape &&
      (p[0].tok.is_unit(Unit::Hour) || p[0].tok.is_unit(Unit::Minute)) &&
      says_word(ctx.text, "within")) {
    // Made once: most texts never come here.
    static const auto next_one = [](Unit u) {
      std::array<Piece, 2> pieces;
      pieces[0].tok = Tok::kw(Keyword::Next);
      pieces[1].tok = Tok::unit(u);
      return pieces;
    };
    static const std::array<Piece, 2> kNextHour = next_one(Unit::Hour);
    static const std::array<Piece, 2> kNextMinute = next_one(Unit::Minute);
    p = p[0].tok.is_unit(Unit::Hour) ? std::span<const Piece>(kNextHour)
                                     : std::span<const Piece>(kNextMinute);
  }
  if (p.size() < 2 || p.size() > 4 || p[0].is_shape) return MatchResult::no_match();
  // Every window ends with its unit: other texts stop before the text is
  // searched for the words that tell the leads apart.
  if (p.back().is_shape || !p.back().tok.is(Kind::Unit)) return MatchResult::no_match();
  const Tok& lead = p[0].tok;
  const bool coming = lead.is(Kind::Word) && lead.text == "coming";
  // "following" and "preceding" read as after and before, which begin open
  // ends ("after 2 days"); only the text tells them apart.
  const bool following = lead.is_kw(Keyword::After) && says_word(ctx.text, "following");
  const bool preceding = lead.is_kw(Keyword::Before) && says_word(ctx.text, "preceding");
  if (!coming && !following && !preceding && !lead.is_kw(Keyword::Last) &&
      !lead.is_kw(Keyword::Next))
    return MatchResult::no_match();
  const bool forward = coming || following || lead.is_kw(Keyword::Next);
  std::size_t len = 0;
  const auto count = window_count(p.subspan(1), &len);
  if (1 + len + 1 != p.size() || p.back().is_shape || !p.back().tok.is(Kind::Unit))
    return MatchResult::no_match();
  if (!count) {
    // "past" reads as the keyword "last"; only the text tells them apart.
    const bool past = says_word(ctx.text, "past");
    if (!coming && !past && !led) return MatchResult::no_match();
  }
  const int64_t n = count.value_or(1);
  if (n < 1 || n > 1'000'000) return MatchResult::no_match();
  const Unit unit = p.back().tok.unit_code();
  const std::string_view word = relative::unit_word(unit);
  if (word.empty() || unit == Unit::Quarter) return MatchResult::no_match();
  std::string text = cat("the ", count ? std::to_string(n) : "", count ? " " : "", word,
                         n == 1 && count ? "" : (count ? "s" : ""));
  const DateTime now = ctx.core.now;
  if (unit == Unit::Minute || unit == Unit::Hour) {
    const auto other = add_seconds(now, (forward ? n : -n) * unit_facts(unit).seconds);
    if (!other) return MatchResult::no_match();
    text += forward ? " from now" : " before now";
    return MatchResult::single(std::move(text),
                               forward ? Value::range(now, *other) : Value::range(*other, now),
                               kOpenConfidence);
  }
  const Date today = ctx.today();
  std::optional<Date> far;
  if (unit == Unit::Day || unit == Unit::Week) {
    far = add_days(today, (forward ? n : -n) * (unit == Unit::Week ? 7 : 1));
  } else {
    far = add_months_checked(today, (forward ? n : -n) * (unit == Unit::Year ? 12 : 1));
  }
  const auto near = add_days(today, forward ? 1 : -1);
  if (!far || !near) return MatchResult::no_match();
  text += forward ? " after today" : " before today";
  return MatchResult::single(std::move(text),
                             forward ? Value::days(*near, *far) : Value::days(*far, *near),
                             kOpenConfidence);
}

// Returns whether the last word of the text is "on", in any case.
bool ends_with_on(std::string_view text) {
  return text.size() >= 3 && text[text.size() - 3] == ' ' &&
         (text[text.size() - 2] | 0x20) == 'o' && (text[text.size() - 1] | 0x20) == 'n';
}

// Returns whether pieces[i] is "as" and "of" or "from" follows it.
bool as_of_at(std::span<const Piece> p, std::size_t i) {
  return i + 1 < p.size() && !p[i].is_shape && p[i].tok.is(Kind::Word) && p[i].tok.text == "as" &&
         !p[i + 1].is_shape &&
         (p[i + 1].tok.is_kw(Keyword::Of) || p[i + 1].tok.is_kw(Keyword::From));
}

// The lead word of an open end and the pieces it takes: until|till|til|
// 'til|by|since|after|before|from|as of|as from|starting|beginning|
// effective [from|as of] ("starting from now", "effective as of monday").
std::optional<Lead> lead_at(std::span<const Piece> p, std::size_t* len) {
  if (p.empty() || p[0].is_shape) return std::nullopt;
  const Tok& t = p[0].tok;
  *len = 1;
  const auto plain = [p](std::size_t i, std::string_view w) {
    return i < p.size() && !p[i].is_shape && p[i].tok.is(Kind::Word) && p[i].tok.text == w;
  };
  // Every longer lead opens with a plain word (never "after"): a text led
  // by anything else, or by another word, compares no more.
  for (const LeadPhrase& lp : kLeadPhrases) {
    if (!t.is(Kind::Word)) break;
    if (t.text != lp.words[0]) continue;
    bool all = true;
    for (std::size_t i = 1; all && i < lp.len; ++i)
      all = plain(i, lp.words[i]) || (lp.words[i] == "after" && i < p.size() && !p[i].is_shape &&
                                      p[i].tok.is_kw(Keyword::After));
    if (all) {
      *len = lp.len;
      return lp.lead;
    }
  }
  // any time after <x> | not before <x>
  if (plain(0, kAnyTime[0]) && plain(1, kAnyTime[1]) && p.size() > 2 && !p[2].is_shape &&
      p[2].tok.is_kw(Keyword::After)) {
    *len = 3;
    return Lead::After;
  }
  // "not before friday" starts with friday, not after it.
  if (plain(0, kNot) && p.size() > 1 && !p[1].is_shape && p[1].tok.is_kw(Keyword::Before)) {
    *len = 2;
    return Lead::Starting;
  }
  if (t.is_kw(Keyword::After)) return Lead::After;
  if (t.is_kw(Keyword::Before)) return Lead::Before;
  if (t.is_kw(Keyword::From)) return Lead::Starting;
  std::optional<Lead> lead;
  if (t.is_kw(Keyword::Start)) {
    lead = Lead::Starting;
  } else if (!t.is(Kind::Word)) {
    return std::nullopt;
  } else if (as_of_at(p, 0)) {
    *len = 2;
    return Lead::Starting;
  } else {
    lead = lead_word(t.text);
  }
  if (lead == Lead::Starting) {
    if (p.size() > 1 && !p[1].is_shape && p[1].tok.is_kw(Keyword::From)) *len = 2;
    if (as_of_at(p, 1)) *len = 3;
  }
  return lead;
}

// until|till|til|'til|up to <x> | before <x> | by|no later than <x> |
// after|later than|not before|any time after <x> | since <x> |
// starting|beginning|from|as of <x> [onwards|onward] | <x> onwards|onward
MatchResult open_end(std::span<const Piece> p, const EverydayCtx& ctx) {
  std::size_t len = 0;
  auto lead = lead_at(p, &len);
  // <x> onwards|onward: a start with no lead word ("monday onwards").
  if (!lead && p.size() >= 2 && word_in(p.back(), std::span(kOnwards).first(2))) {
    lead = Lead::Starting;
    len = 0;
  }
  if (!lead) return MatchResult::no_match();
  std::span<const Piece> rest = p.subspan(len);
  const bool onwards = !rest.empty() && word_in(rest.back(), kOnwards);
  if (*lead == Lead::Starting && onwards) rest = rest.first(rest.size() - 1);
  // "from march 17" alone is the first end of an interval more often than
  // an open one: from needs on or onwards after it ("on" is a filler that
  // the tokens drop, so the text tells).
  if (!p[0].is_shape && p[0].tok.is_kw(Keyword::From) && !onwards && !ends_with_on(ctx.text)) {
    return MatchResult::no_match();
  }
  if (rest.empty()) return MatchResult::no_match();
  // A start with a length is an interval with both ends ("starting 5pm for
  // 2 days"): the tokens drop "for", and the bound would take the length
  // for a day of its own.
  if (*lead == Lead::Starting && says_word(ctx.text, "for")) return MatchResult::no_match();
  // A lone number is an hour after a lead word ("until 5", "any time
  // after 5"), but not in "up to 5" (people) or "5 onwards" (pages).
  const bool up_to = len == 2 && !p[1].is_shape && p[1].tok.is(Kind::Word) && p[1].tok.text == "to";
  if ((len == 0 || up_to) && rest.size() == 1 && !rest[0].is_shape && rest[0].tok.is(Kind::Num) &&
      rest[0].tok.value < 1000) {
    return MatchResult::no_match();
  }
  const DateTime now = ctx.core.now;
  switch (*lead) {
    case Lead::Since:
      return since(rest, ctx);
    case Lead::By: {
      // A deadline is the moment itself, at the default time of a day.
      std::optional<Resolution> r = resolve_day(rest, ctx);
      if (!r) {
        MatchResult m = times::try_match(rest, ctx);
        if (m.kind == MatchResult::Kind::NoMatch) m = bare_hour(rest, ctx);
        if (m.kind != MatchResult::Kind::Single) return MatchResult::no_match();
        r = std::move(m.reading);
      }
      if (r->value.is_range()) return MatchResult::no_match();
      std::string text;
      text.reserve(r->interpretation.size() + 16);
      text += "by ";
      text += r->interpretation;
      text += " (a deadline)";
      r->interpretation = std::move(text);
      return MatchResult::single(std::move(*r));
    }
    default:
      break;
  }
  const auto b = read_bound(rest, ctx);
  if (!b) return *lead == Lead::Starting ? year_on(rest) : MatchResult::no_match();
  const bool moment = b->first == b->last;
  const float confidence = std::min(b->confidence, kOpenConfidence);
  switch (*lead) {
    case Lead::Through:
      // Through takes in a day or a period whole; a part of the day or a
      // clock time is a moment it has no end for ("through the night").
      if (moment) return MatchResult::no_match();
      [[fallthrough]];
    case Lead::Until: {
      if (b->last <= now) return MatchResult::reject("\"until\" names a moment already past");
      std::string text = open_label("from now until ");
      append_moment(text, b->last);
      return MatchResult::single(std::move(text), Value::range(now, b->last), confidence);
    }
    case Lead::Before: {
      // A day or period ends the second before it begins; a moment is
      // the end itself ("before 5pm": up to 17:00).
      const auto end = moment ? std::optional(b->first) : add_seconds(b->first, -1);
      if (!end) return MatchResult::no_match();
      std::string text = open_label("until ");
      append_moment(text, *end);
      return MatchResult::single(std::move(text), Value::until(*end), confidence);
    }
    case Lead::After: {
      const auto start = moment ? std::optional(b->first) : add_seconds(b->last, 1);
      if (!start) return MatchResult::no_match();
      return from_on(*start, confidence);
    }
    default:
      return from_on(b->first, confidence);
  }
}

// From the start of what `start` names, looked back as after "since", until
// now.
MatchResult until_now_from(std::span<const Piece> start, const EverydayCtx& ctx) {
  MatchResult m = since(start, ctx);
  if (m.kind == MatchResult::Kind::Reject)
    return MatchResult::reject("the range would start after now");
  if (m.kind != MatchResult::Kind::Single) return m;
  const DateTime first = m.reading.value.start;
  std::string text = open_label("from ");
  append_moment(text, first);
  text += " until now";
  return MatchResult::single(std::move(text), Value::range(first, ctx.core.now),
                             m.reading.confidence);
}

// From the start of the current week, month, quarter or year until now.
MatchResult current_until_now(Unit unit, const EverydayCtx& ctx) {
  std::array<Piece, 2> current;
  current[0].tok = Tok::kw(Keyword::This);
  current[1].tok = Tok::unit(unit);
  return until_now_from(current, ctx);
}

// Returns whether a unit names a period that "to date" counts from.
bool is_to_date_unit(const Tok& t) {
  return t.is_unit(Unit::Year) || t.is_unit(Unit::Quarter) || t.is_unit(Unit::Month) ||
         t.is_unit(Unit::Week);
}

// <x> [to|until|till|-] present | <x> to|until|till now | <x> to date: from
// the start of <x>, looked back as after "since", up to now ("2020 to
// present", "since march to date").
MatchResult up_to_now(std::span<const Piece> p, const EverydayCtx& ctx) {
  const auto word = [&p](std::size_t i, std::string_view w) {
    return i < p.size() && !p[i].is_shape && p[i].tok.is(Kind::Word) && p[i].tok.text == w;
  };
  const std::size_t n = p.size();
  const bool join =
      n >= 3 && (word(n - 2, kUpToNow[0]) || word(n - 2, kUpToNow[1]) || word(n - 2, kUpToNow[2]));
  const bool present = word(n - 1, kPresent);
  const bool now = join && !p[n - 1].is_shape && p[n - 1].tok.is_kw(Keyword::Now);
  const bool to_date = join && word(n - 2, kUpToNow[0]) && word(n - 1, kDate);
  if (!present && !now && !to_date) return MatchResult::no_match();
  std::span<const Piece> start = p.first(n - (join ? 2 : 1));
  if (!start.empty() && !start[0].is_shape &&
      (start[0].tok.is_kw(Keyword::From) ||
       (start[0].tok.is(Kind::Word) && start[0].tok.text == "since"))) {
    start = start.subspan(1);
  }
  if (start.empty()) return MatchResult::no_match();
  // A unit alone is the current one: "year to date", "month to present".
  if (start.size() == 1 && !start[0].is_shape && is_to_date_unit(start[0].tok))
    return current_until_now(start[0].tok.unit_code(), ctx);
  return until_now_from(start, ctx);
}

// Returns whether the pieces begin or end as the forms above need: a word
// or the keyword of a lead in front ("until", "in the last", "after"), or
// "now", "present", "date", "onwards" or "onward" at the back. A text with
// neither ("3pm tomorrow", "friday evening") answers no match for a look.
bool may_read(std::span<const Piece> p) {
  if (const Tok& t = p.front().tok; !p.front().is_shape) {
    if (t.is(Kind::Word) || t.is_kw(Keyword::In) || t.is_kw(Keyword::Last) ||
        t.is_kw(Keyword::Next) || t.is_kw(Keyword::After) || t.is_kw(Keyword::Before) ||
        t.is_kw(Keyword::From) || t.is_kw(Keyword::Start)) {
      return true;
    }
  }
  const Piece& last = p.back();
  if (last.is_shape) return false;
  return last.tok.is_kw(Keyword::Now) ||
         (last.tok.is(Kind::Word) && (last.tok.text == kPresent || last.tok.text == kDate)) ||
         word_in(last, std::span(kOnwards).first(2));
}

}  // namespace

bool leads(std::span<const Piece> pieces) {
  if (pieces.size() < 2 || pieces[0].is_shape) return false;
  const Tok& t = pieces[0].tok;
  if (t.is(Kind::Kw)) {
    return t.is_kw(Keyword::After) || t.is_kw(Keyword::Before) || t.is_kw(Keyword::Start) ||
           t.is_kw(Keyword::From) || t.is_kw(Keyword::Last) || t.is_kw(Keyword::Next);
  }
  if (!t.is(Kind::Word) || t.text.empty()) return false;
  if (t.text == "coming") return true;
  const auto lead = lead_word(t.text);
  return lead && *lead != Lead::By;
}

// Compiled with every call in place: most texts meet it only to be refused
// by the first piece's looks.
[[gnu::flatten]] MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  // ytd|qtd|mtd|wtd: the current period to date.
  if (pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Word)) {
    const auto unit = find_word<Unit>(kToDate, pieces[0].tok.text);
    if (!unit) return MatchResult::no_match();
    return current_until_now(*unit, ctx);
  }
  if (pieces.size() < 2 || !may_read(pieces)) return MatchResult::no_match();
  if (MatchResult m = window(pieces, ctx); m.kind != MatchResult::Kind::NoMatch) return m;
  if (MatchResult m = up_to_now(pieces, ctx); m.kind != MatchResult::Kind::NoMatch) return m;
  return open_end(pieces, ctx);
}

}  // namespace kalendo::everyday::open_ends
