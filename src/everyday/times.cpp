// Matches clock times in the spellings people type and the parts of the
// day, before or after any day expression: 5:30 pm, 9:45:30 pm, 330 p.m.,
// 7p, 15h30, 17.30, 5 o'clock, half past 3, half three, quarter to 5,
// twenty to eight, 3pm tomorrow, at 9am on saturday, friday @ 3pm, tonight
// at 11, tomorrow morning, first thing monday, last night, eod, around
// noon, about 3, 3ish.
#include <algorithm>
#include <cmath>
#include <string>

#include "everyday/mod.h"
#include "locale.h"

namespace kalendo::everyday::times {
namespace {

using Kind = Tok::Kind;

// Words that hedge a time, before it or after it: "around noon", "3pm-ish".
constexpr std::string_view kHedgesBefore[5] = {"about", "approximately", "approx", "roughly",
                                               "circa"};
constexpr std::string_view kHedgesAfter[4] = {"approximately", "approx", "ish", "roughly"};
constexpr WordEnds kHedgeBeforeEnds{std::span<const std::string_view>(kHedgesBefore)};
constexpr WordEnds kHedgeAfterEnds{std::span<const std::string_view>(kHedgesAfter)};

// The hour the small hours of a night end at.
constexpr uint32_t kMorning = kSmallHoursEnd;

// Room for the notes after a clock time: the part of the day ("first
// thing in the morning; that time has already passed today") and a hedge.
constexpr std::size_t kNoteRoom = 112;

// What a hedge costs in confidence.
constexpr float kHedgeCost = 0.2f;
// The confidence of a clock time or part of the day on a day the text names
// only by the clock ("17:30 today", "this evening").
constexpr float kClock = 0.9f;

// Words of a part of the day, one token each.
constexpr WordEntry<DayPart> kPartWords[11] = {
    {"morning", DayPart::Morning},     {"lunch", DayPart::Lunch},     {"lunchtime", DayPart::Lunch},
    {"afternoon", DayPart::Afternoon}, {"evening", DayPart::Evening}, {"tonight", DayPart::Tonight},
    {"tonite", DayPart::Tonight},      {"2nite", DayPart::Tonight},   {"night", DayPart::Night},
    {"eod", DayPart::EndOfDay},        {"cob", DayPart::EndOfDay},
};
constexpr WordEnds kPartEnds{std::span<const WordEntry<DayPart>>(kPartWords)};

// Spelled minutes that count to or past an hour beyond the number words:
// "twenty to eight", "twenty five past 4" (the hyphen is a space by then).
constexpr WordEntry<uint32_t> kMinuteTens[1] = {{"twenty", 20}};

// The words that count minutes to an hour: "ten to six", "five til noon".
constexpr std::string_view kToWords[3] = {"to", "till", "til"};

// The words after "first" that name the start of a morning: "first thing
// tomorrow".
constexpr std::string_view kFirstThing = "thing";
// What "first thing" costs in confidence: the hour is the morning's
// conventional one, not one the text gives.
constexpr float kFirstThingCost = 0.1f;

// The suffix that hedges a clock word: "3ish", "3pmish".
constexpr std::string_view kIshSuffix = "ish";

// Another name of noon.
constexpr std::string_view kMidday = "midday";

// The hours as words, one to twelve: "at five".
constexpr std::string_view kHourWords[12] = {"one",   "two",   "three", "four", "five",   "six",
                                             "seven", "eight", "nine",  "ten",  "eleven", "twelve"};

// The words after an hour that make it a clock hour: "5 o'clock".
constexpr std::string_view kOclock[3] = {"o'clock", "oclock", "o\u2019clock"};

struct Clock {
  uint32_t h = 0, m = 0, s = 0;
  bool bare = false;  // an hour 1..12 written without am/pm
};

struct Part {
  DayPart part = DayPart::Morning;
  std::size_t at = 0, len = 0;  // the pieces it took
  bool today = false;           // this morning, tonight: names today
  bool yesterday = false;       // last night
  bool first_thing = false;     // first thing tomorrow: the morning's start
};

const Tok* tok_at(std::span<const Piece> p, std::size_t i) {
  return i < p.size() && !p[i].is_shape ? &p[i].tok : nullptr;
}

bool word_is(const Tok* t, std::string_view w) {
  return t != nullptr && t->is(Kind::Word) && t->text == w;
}

// am|pm|a|p|p m|a m ("p.m." once its dots are spaces); `a` alone reads as
// the number 1. Returns the pieces taken, 0 when there is none.
std::size_t meridiem_at(std::span<const Piece> p, std::size_t i, bool* pm) {
  const Tok* t = tok_at(p, i);
  if (t == nullptr) return 0;
  const Tok* next = tok_at(p, i + 1);
  if (t->is(Kind::Word)) {
    if (t->text == "pm" || t->text == "am") {
      *pm = t->text == "pm";
      return 1;
    }
    if (t->text == "p" || t->text == "a") {
      *pm = t->text == "p";
      return word_is(next, "m") ? 2 : 1;
    }
  }
  if (t->is(Kind::Num) && t->value == 1 && word_is(next, "m")) {
    *pm = false;
    return 2;
  }
  return 0;
}

std::optional<Clock> with_meridiem(uint32_t h, uint32_t m, bool pm, uint32_t s = 0) {
  if (h < 1 || h > 12 || m > 59) return std::nullopt;
  return Clock{h % 12 + (pm ? 12 : 0), m, s, false};
}

// Reads digits at the front of w, at most 4.
std::size_t lead_digits(std::string_view w, uint32_t* v) {
  std::size_t n = 0;
  *v = 0;
  while (n < w.size() && n < 5 && w[n] >= '0' && w[n] <= '9')
    *v = *v * 10 + static_cast<uint32_t>(w[n++] - '0');
  return n;
}

// One word that is a whole clock time: 330pm | 7p | 3:15p | 9:45:30pm |
// 15h30 | 15h | 15h00 (the spellings the core tokenizer leaves as words).
std::optional<Clock> compact_clock(std::string_view w) {
  uint32_t a = 0;
  const std::size_t n = lead_digits(w, &a);
  if (n == 0 || n > 4) return std::nullopt;
  std::string_view rest = w.substr(n);
  // <h>h[<mm>]
  if (n <= 2 && rest.starts_with('h')) {
    uint32_t mm = 0;
    const std::size_t k = lead_digits(rest.substr(1), &mm);
    if ((k != 0 && k != 2) || k + 1 != rest.size() || a > 23 || mm > 59) return std::nullopt;
    return Clock{a, mm, 0, false};
  }
  uint32_t h = a, m = 0, sec = 0;
  if (n <= 2 && rest.starts_with(':')) {
    if (lead_digits(rest.substr(1), &m) != 2) return std::nullopt;
    rest = rest.substr(3);
    if (rest.starts_with(':')) {
      if (lead_digits(rest.substr(1), &sec) != 2 || sec > 59) return std::nullopt;
      rest = rest.substr(3);
    }
  } else if (n >= 3) {
    h = a / 100;
    m = a % 100;
  }
  if (rest == "p" || rest == "pm") return with_meridiem(h, m, true, sec);
  if (rest == "a" || rest == "am") return with_meridiem(h, m, false, sec);
  return std::nullopt;
}

// <h>.<mm>[am|pm|a|p|a.m.|p.m.]: a clock time written with a dot, which
// needs a meridiem, in the word or after it, to be told from a decimal.
std::optional<Clock> dotted_clock(std::string_view w, bool meridiem_after, bool pm_after) {
  uint32_t h = 0, m = 0;
  const std::size_t n = lead_digits(w, &h);
  if (n == 0 || n > 2 || n >= w.size() || w[n] != '.') return std::nullopt;
  if (lead_digits(w.substr(n + 1), &m) != 2) return std::nullopt;
  std::string suffix;
  for (char c : w.substr(n + 3)) {
    if (c != '.') suffix += static_cast<char>(c | 0x20);
  }
  if (suffix.empty()) {
    if (meridiem_after) return with_meridiem(h, m, pm_after);
    // <hh>.<mm>: a 24-hour time only when the hour has two digits, so that
    // "2.5" and "9.45" stay amounts, and when neither order of day and
    // month reads it as a date ("17.30", "09.45"; "14.03" is 14 March).
    if (n != 2 || w.size() != 5 || h > 23 || m > 59) return std::nullopt;
    const bool day_month = h >= 1 && m >= 1 && m <= 12;
    const bool month_day = h >= 1 && h <= 12 && m >= 1 && m <= 31;
    if (day_month || month_day) return std::nullopt;
    return Clock{h, m, 0, false};
  }
  if (meridiem_after) return std::nullopt;
  if (suffix == "p" || suffix == "pm") return with_meridiem(h, m, true);
  if (suffix == "a" || suffix == "am") return with_meridiem(h, m, false);
  return std::nullopt;
}

// Returns whether the text writes "at <n>" or "@ <n>": the tokens drop
// "at", and only after it is a bare number read as an hour.
bool after_at(std::string_view text, int64_t n) {
  const std::string digits = std::to_string(n);
  // The hour may be a word: "at five".
  if (n >= 1 && n <= 12) {
    const std::string_view word = kHourWords[n - 1];
    for (std::size_t i = 0; i + 3 + word.size() <= text.size(); ++i) {
      if (i > 0 && text[i - 1] != ' ') continue;
      bool same = (text[i] | 0x20) == 'a' && (text[i + 1] | 0x20) == 't' && text[i + 2] == ' ';
      for (std::size_t k = 0; same && k < word.size(); ++k)
        same = (text[i + 3 + k] | 0x20) == word[k];
      const std::size_t end = i + 3 + word.size();
      if (same && (end == text.size() || text[end] == ' ')) return true;
    }
  }
  for (std::size_t i = text.find(digits); i != std::string_view::npos;
       i = text.find(digits, i + 1)) {
    std::size_t j = i;
    while (j > 0 && text[j - 1] == ' ')
      --j;
    if (j > 0 && text[j - 1] == '@') return true;
    if (j == i || j < 2) continue;
    const bool word_start = j == 2 || text[j - 3] == ' ';
    if (word_start && (text[j - 2] | 0x20) == 'a' && (text[j - 1] | 0x20) == 't') return true;
  }
  return false;
}

}  // namespace

// Returns whether the text writes am or pm after a number ("1am", "1 a.m."):
// the core's clock token has taken it in, so "1am tonight" is not read
// on the evening's half of the clock.
bool meridiem_written(std::string_view text) {
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i - 1] < '0' || text[i - 1] > '9') continue;
    std::size_t j = i;
    while (j < text.size() && text[j] == ' ')
      ++j;
    if (j >= text.size()) break;
    const char c = static_cast<char>(text[j] | 0x20);
    const char next = j + 1 < text.size() ? static_cast<char>(text[j + 1] | 0x20) : ' ';
    if ((c == 'a' || c == 'p') && (next == 'm' || next == '.' || next == ' ')) return true;
  }
  return false;
}

namespace {

// <hour>: a number 1..12, or a clock time token (noon, 5pm), as a quarter
// or half hour counts from it.
std::optional<Clock> hour_ref(const Tok* t) {
  if (t == nullptr) return std::nullopt;
  if (t->is(Kind::Num) && t->value >= 1 && t->value <= 12) return Clock{t->u32(), 0, 0, true};
  if (t->is(Kind::Time) && t->minute == 0 && t->value < 24) return Clock{t->u32(), 0, 0, false};
  return std::nullopt;
}

// Moves a clock that counts from an hour to the hour before it: "quarter
// to 5" is 4:45, "five to noon" 11:55, "ten to one" 12:50.
void hour_before(Clock& c, uint32_t minutes) {
  c.h = (c.h + 23) % 24;
  if (c.bare && c.h == 0) c.h = 12;
  c.m = 60 - minutes;
}

// <minutes> as a count before to|past: 1..59 as a number, or "twenty"
// [<1..9>] spelled. Sets *len to the pieces taken and *spelled when the
// count is a word of the tens.
std::optional<uint32_t> minutes_at(std::span<const Piece> p, std::size_t i, std::size_t* len,
                                   bool* spelled) {
  const Tok* t = tok_at(p, i);
  if (t == nullptr) return std::nullopt;
  *spelled = false;
  if (t->is(Kind::Num) && t->value >= 1 && t->value <= 59) {
    *len = 1;
    return t->u32();
  }
  if (!t->is(Kind::Word) || t->text.empty() || t->text[0] != 't') return std::nullopt;
  const auto tens = find_word<uint32_t>(kMinuteTens, t->text);
  if (!tens) return std::nullopt;
  *spelled = true;
  *len = 1;
  uint32_t m = *tens;
  if (const Tok* unit = tok_at(p, i + 1);
      unit != nullptr && unit->is(Kind::Num) && unit->value >= 1 && unit->value <= 9) {
    m += unit->u32();
    *len = 2;
  }
  return m;
}

// Returns whether the text writes no digit before byte `end`, and false
// when `end` is past the text: a count to an hour is a clock only when
// spelled ("ten to six"), as "10 to 6" is the hours from ten to six.
bool spelled_before(std::string_view text, std::size_t end) {
  if (end >= text.size()) return false;
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] >= '0' && text[i] <= '9') return false;
  }
  return true;
}

// Reads a clock time at pieces[i]; sets *len to the pieces it took.
std::optional<Clock> clock_at(std::span<const Piece> p, std::size_t i, bool bare_ok, bool meridiem,
                              std::size_t* len, std::string_view text = {}) {
  const Piece& piece = p[i];
  bool pm = false;
  if (piece.is_shape && piece.shape.kind == Shape::Kind::Amount) {
    const std::size_t k = meridiem_at(p, i + 1, &pm);
    auto c = dotted_clock(piece.shape.text, k != 0, pm);
    *len = 1 + k;
    return c;
  }
  if (piece.is_shape) {
    if (piece.shape.kind != Shape::Kind::Clock) return std::nullopt;
    *len = 1;
    const Shape& s = piece.shape;
    if (const std::size_t k = meridiem_at(p, i + 1, &pm); k != 0) {
      *len += k;
      return with_meridiem(s.hour, s.minute, pm, s.second);
    }
    return Clock{s.hour, s.minute, s.second, false};
  }
  const Tok& t = piece.tok;
  // <h:mm> am|pm | <time>
  if (t.is(Kind::Time) && t.value < 24 && t.minute < 60) {
    *len = 1;
    if (const std::size_t k = meridiem_at(p, i + 1, &pm); k != 0) {
      *len += k;
      return with_meridiem(t.u32(), t.minute, pm);
    }
    // Within a part of the day, "10:30" is read on a twelve-hour clock.
    return Clock{t.u32(), t.minute, 0, bare_ok && !meridiem && t.value >= 1 && t.value <= 12};
  }
  // midday: noon, which the core knows by that name only
  if (t.is(Kind::Word) && t.text == kMidday) {
    *len = 1;
    return Clock{12, 0, 0, false};
  }
  // 330pm | 7p | 15h30
  if (t.is(Kind::Word)) {
    if (auto c = compact_clock(t.text)) {
      *len = 1;
      return c;
    }
  }
  // <n> am|pm | <hmm> am|pm | <n> o'clock | at <n>
  if (t.is(Kind::Num) && t.value >= 0 && t.value <= 1259) {
    const auto n = t.u32();
    if (const std::size_t k = meridiem_at(p, i + 1, &pm); k != 0) {
      *len = 1 + k;
      return n >= 100 ? with_meridiem(n / 100, n % 100, pm) : with_meridiem(n, 0, pm);
    }
    const Tok* next = tok_at(p, i + 1);
    if (n >= 1 && n <= 12 && next != nullptr && next->is(Kind::Word) &&
        contains_word(std::span(kOclock), next->text)) {
      *len = 2;
      return Clock{n, 0, 0, true};
    }
    if (n <= 23 && bare_ok) {
      *len = 1;
      return Clock{n, 0, 0, n >= 1 && n <= 12};
    }
  }
  // <minutes> past|to <hour>: "ten past six", "25 past 4", "twenty to
  // eight", "five to noon"
  std::size_t mlen = 0;
  bool spelled = false;
  if (const auto minutes = minutes_at(p, i, &mlen, &spelled)) {
    const Tok* rel = tok_at(p, i + mlen);
    const bool to =
        rel != nullptr && rel->is(Kind::Word) && contains_word(std::span(kToWords), rel->text);
    if (rel != nullptr && (rel->is_kw(Keyword::Last) || to)) {
      auto c = hour_ref(tok_at(p, i + mlen + 1));
      if (!c) return std::nullopt;
      if (to) {
        // Only a spelled count of five minutes at a time, so that "nine
        // to five" and "3 to 4" stay the hours between.
        if (*minutes % 5 != 0 || *minutes >= 30 || *minutes == 15) return std::nullopt;
        if (!spelled && !spelled_before(text, text.find(cat(" ", rel->text, " "))))
          return std::nullopt;
        hour_before(*c, *minutes);
      } else {
        c->m = *minutes;
      }
      *len = mlen + 2;
      return c;
    }
    if (spelled) return std::nullopt;
  }
  // half past <hour> | half <hour>: "half three" is half past three
  if (t.is(Kind::Half)) {
    const Tok* past = tok_at(p, i + 1);
    const std::size_t at = past != nullptr && past->is_kw(Keyword::Last) ? i + 2 : i + 1;
    // "half an hour": a unit after the number makes it a length.
    const Tok* unit = tok_at(p, at + 1);
    if (auto c = hour_ref(tok_at(p, at)); c && !(unit != nullptr && unit->is(Kind::Unit))) {
      *len = at + 1 - i;
      c->m = 30;
      return c;
    }
    return std::nullopt;
  }
  // [a] quarter past|to <hour>
  std::size_t q = i;
  if (t.is(Kind::Num) && t.value == 1) ++q;
  const Tok* quarter = tok_at(p, q);
  const Tok* rel = tok_at(p, q + 1);
  if (quarter == nullptr || !quarter->is_unit(Unit::Quarter) || rel == nullptr) return std::nullopt;
  const bool before =
      word_is(rel, "to") || word_is(rel, "till") || word_is(rel, "til") || rel->is_kw(Keyword::Of);
  if (!before && !rel->is_kw(Keyword::Last)) return std::nullopt;
  auto c = hour_ref(tok_at(p, q + 2));
  if (!c) return std::nullopt;
  *len = q + 3 - i;
  if (before) {
    hour_before(*c, 15);
  } else {
    c->m = 15;
  }
  return c;
}

// this|in <part> | tonight | last night | end of day | close of business |
// <day word> am|pm | first thing [in the morning]
// Kept inline in the matcher, which asks it at every piece, though the
// intervals ask it too.
[[gnu::always_inline]] inline std::optional<Part> part_at(std::span<const Piece> p, std::size_t i) {
  const Tok* t = tok_at(p, i);
  if (t == nullptr) return std::nullopt;
  Part out;
  out.at = i;
  // first thing [in the morning]
  if (t->is(Kind::Ordinal) && t->value == 1 && word_is(tok_at(p, i + 1), kFirstThing)) {
    out.part = DayPart::Morning;
    out.first_thing = true;
    out.len = 2;
    const Tok* in = tok_at(p, i + 2);
    if (in != nullptr && in->is_kw(Keyword::In) && word_is(tok_at(p, i + 3), kPartWords[0].word))
      out.len = 4;
    return out;
  }
  // end of day | close of business
  const Tok* of = tok_at(p, i + 1);
  const Tok* what = tok_at(p, i + 2);
  if (of != nullptr && of->is_kw(Keyword::Of) && what != nullptr &&
      ((t->is_kw(Keyword::End) && what->is_unit(Unit::Day)) ||
       (word_is(t, "close") && what->is_kw(Keyword::Business)))) {
    out.part = DayPart::EndOfDay;
    out.len = 3;
    return out;
  }
  std::size_t k = i;
  if (t->is_kw(Keyword::This) || t->is_kw(Keyword::In) || t->is_kw(Keyword::Last)) ++k;
  const Tok* w = tok_at(p, k);
  if (w == nullptr || !w->is(Kind::Word)) return std::nullopt;
  auto part = kPartEnds.may_hold(w->text) ? find_word<DayPart>(kPartWords, w->text) : std::nullopt;
  // <day> am|pm: the morning or afternoon of a day the text names by a
  // word ("friday pm", "tomorrow am"); after a number am/pm is the clock's.
  if (!part && k == i && i > 0 && (w->text == "am" || w->text == "pm")) {
    const Tok* day = tok_at(p, i - 1);
    if (day != nullptr && (day->is(Kind::Weekday) || day->is_kw(Keyword::Today) ||
                           day->is_kw(Keyword::Tomorrow) || day->is_kw(Keyword::Yesterday))) {
      part = w->text == "am" ? DayPart::Morning : DayPart::Afternoon;
    }
  }
  if (!part) return std::nullopt;
  out.part = *part;
  out.len = k + 1 - i;
  out.today = t->is_kw(Keyword::This) || *part == DayPart::Tonight;
  if (t->is_kw(Keyword::Last)) {
    if (*part != DayPart::Night) return std::nullopt;
    out.yesterday = true;
  }
  return out;
}

// Returns whether pieces[i] is a number beside a month name: the day of a
// date ("july 4 evening", "4 july in the morning"), not a clock hour.
bool day_of_month(std::span<const Piece> p, std::size_t i) {
  const Tok* t = tok_at(p, i);
  if (t == nullptr || !t->is(Kind::Num) || t->value < 1 || t->value > 31) return false;
  const Tok* before = i > 0 ? tok_at(p, i - 1) : nullptr;
  const Tok* after = tok_at(p, i + 1);
  return (before != nullptr && before->is(Kind::Month)) ||
         (after != nullptr && after->is(Kind::Month));
}

// Returns whether an hour of 1..12 without am/pm falls in the afternoon:
// the part of the day decides, else 1 to 6, and 12 for noon. A night runs
// past midnight, so its hours before the morning are the small hours.
bool afternoon_hour(uint32_t h, const std::optional<Part>& part) {
  if (!part) return (h >= 1 && h <= 6) || h == 12;
  switch (part->part) {
    case DayPart::Morning:
      return false;
    case DayPart::Lunch:
      return h <= 6;
    case DayPart::Tonight:
    case DayPart::Night:
      return h >= kMorning;
    default:
      return true;
  }
}

// Returns whether a word of the pieces glues a mark to a clock: "@"
// ("@", "@5pm") or "ish" after a digit ("3ish", "3pmish").
bool glued_marks(std::span<const Piece> p) {
  for (const Piece& x : p) {
    if (x.is_shape || !x.tok.is(Kind::Word) || x.tok.text.empty()) continue;
    const std::string_view w = x.tok.text;
    if (w[0] == '@') return true;
    if (w.size() > kIshSuffix.size() && w[0] >= '0' && w[0] <= '9' && w.ends_with(kIshSuffix))
      return true;
  }
  return false;
}

// Returns the pieces without "@" and with "3ish" read as "3"; sets *ish
// when a word carried the hedge. Empty when nothing is left.
Pieces respell(std::span<const Piece> p, bool* ish) {
  Pieces out;
  out.reserve(p.size());
  for (const Piece& x : p) {
    std::string_view w = x.is_shape || !x.tok.is(Kind::Word) ? std::string_view{} : x.tok.text;
    if (w.starts_with('@')) {
      w.remove_prefix(1);
    } else if (!w.empty() && w[0] >= '0' && w[0] <= '9' && w.ends_with(kIshSuffix)) {
      w.remove_suffix(kIshSuffix.size());
      *ish = true;
    } else {
      out.push_back(x);
      continue;
    }
    if (w.empty()) continue;
    for (Tok& t : tokenize(w, {}, EN))
      out.push_back(Piece{false, std::move(t), {}});
  }
  return out;
}

}  // namespace

std::optional<PartWords> part_words(std::span<const Piece> pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::optional<Part> part = part_at(pieces, i);
    if (!part || (part->at != 0 && part->at + part->len != pieces.size())) continue;
    // The parts that name a half of the day; the rest are moments of it.
    if (part->first_thing || part->part == DayPart::Lunch || part->part == DayPart::EndOfDay)
      return std::nullopt;
    return PartWords{part->part, part->at, part->len, part->today, part->yesterday};
  }
  return std::nullopt;
}

uint32_t hour_in_part(uint32_t h, DayPart part) {
  const std::optional<Part> in{Part{part}};
  if (h >= 1 && h < 12) return h + (afternoon_hour(h, in) ? 12 : 0);
  if (h == 12 && (part == DayPart::Tonight || part == DayPart::Night)) return 0;
  return h;
}

void append_clock(std::string& out, TimeOfDay t) {
  append_hh_mm(out, t);
  if (t.secs % 60 != 0) {
    out += ':';
    out += static_cast<char>('0' + t.secs % 60 / 10);
    out += static_cast<char>('0' + t.secs % 10);
  }
}

std::optional<EndClock> four_digit_end(std::string_view written) {
  uint32_t v = 0;
  if (written.size() != 4 || lead_digits(written, &v) != 4) return std::nullopt;
  if (v / 100 > 23 || v % 100 > 59) return std::nullopt;
  EndClock out;
  out.hour = v / 100;
  out.tod = TimeOfDay::hms(v / 100, v % 100, 0);
  return out;
}

bool working_hours(const EndClock& first, const EndClock& last) {
  // Ten also counts minutes to an hour ("10 to 5" is 16:50 to some), so it
  // does not start one alone.
  return first.bare && last.bare && first.hour >= 7 && first.hour <= 11 && first.hour != 10 &&
         last.hour >= 1 && last.hour <= 6;
}

// Compiled with its calls in place, as try_match below: the intervals read
// both ends of every clock interval here.
[[gnu::flatten]] std::optional<EndClock> clock_end(std::span<const Piece> p, std::size_t i,
                                                   std::size_t* len) {
  auto c = clock_at(p, i, true, false, len);
  if (!c) return std::nullopt;
  EndClock out;
  out.hour = c->h;
  out.free = c->bare && c->h >= 1 && c->h <= 12;
  // "9:30" keeps its hour as written; "9" and "9 o'clock" take the policy.
  out.bare = out.free && (p[i].is_shape || !p[i].tok.is(Kind::Time));
  out.plain = !p[i].is_shape && p[i].tok.is(Kind::Num) && *len == 1;
  const uint32_t h = out.bare ? c->h % 12 + (afternoon_hour(c->h, std::nullopt) ? 12 : 0) : c->h;
  out.tod = TimeOfDay::hms(h, c->m, c->s);
  return out;
}

// Compiled with every call in place: the texts of a clock time ask many
// small readers that mostly answer at once, each costing less than a call.
[[gnu::flatten]] MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx) {
  // Words of letters alone name a time only by a part of the day, midday
  // or the tens of a spelled count ("tonight", "eod", the "twenty" of
  // "twenty past noon"): other such words ("see you soon") are no clock and
  // no part. Every other form needs a number, a clock, a keyword, a mark or
  // a digit.
  if (!pieces.empty() && !pieces[0].is_shape && pieces[0].tok.is(Kind::Word) &&
      std::all_of(pieces.begin(), pieces.end(), [](const Piece& x) {
        if (x.is_shape || !x.tok.is(Kind::Word)) return false;
        const std::string_view w = x.tok.text;
        return !w.empty() &&
               std::all_of(w.begin(), w.end(), [](char c) { return c >= 'a' && c <= 'z'; }) &&
               !kPartEnds.may_hold(w) && w != kMidday && !find_word<uint32_t>(kMinuteTens, w);
      })) {
    return MatchResult::no_match();
  }
  // A lone keyword ("next") is no clock, and no part without a word after it.
  if (pieces.size() == 1 && !pieces[0].is_shape && pieces[0].tok.is(Kind::Kw))
    return MatchResult::no_match();
  // friday @ 3pm | @5pm | 3ish | 3pmish: copied only for such a text.
  Pieces respelled;
  bool ish = false;
  if (glued_marks(pieces)) {
    respelled = respell(pieces, &ish);
    if (respelled.empty()) return MatchResult::no_match();
    pieces = respelled;
  }
  // around|about ... | ... approximately|ish
  std::string_view hedge = ish ? kIshSuffix : std::string_view{};
  if (const Tok* t = tok_at(pieces, 0); hedge.empty() && t != nullptr && pieces.size() >= 2) {
    if (t->is_kw(Keyword::Around)) {
      hedge = "around";
    } else if (t->is(Kind::Word) && kHedgeBeforeEnds.may_hold(t->text) &&
               contains_word(std::span(kHedgesBefore), t->text)) {
      hedge = t->text;
    }
    if (!hedge.empty()) pieces = pieces.subspan(1);
  }
  if (const Tok* t = tok_at(pieces, pieces.size() - 1);
      hedge.empty() && t != nullptr && pieces.size() >= 2 && t->is(Kind::Word) &&
      kHedgeAfterEnds.may_hold(t->text) && contains_word(std::span(kHedgesAfter), t->text)) {
    hedge = t->text;
    pieces = pieces.first(pieces.size() - 1);
  }

  std::optional<Part> part;
  for (std::size_t i = 0; i < pieces.size() && !part; ++i)
    part = part_at(pieces, i);

  std::optional<Clock> clock;
  std::size_t clock_at_i = 0, clock_len = 0;
  const bool meridiem = part.has_value() && meridiem_written(ctx.text);
  for (std::size_t i = 0; i < pieces.size() && !clock; ++i) {
    if (part && i >= part->at && i < part->at + part->len) continue;
    if (day_of_month(pieces, i)) continue;
    // A bare hour after "at", or hedged alone ("about 3", "3ish").
    const Tok* t = tok_at(pieces, i);
    const bool bare_ok =
        part.has_value() ||
        (t != nullptr && t->is(Kind::Num) &&
         ((!hedge.empty() && t->value >= 1 && t->value <= 12) || after_at(ctx.text, t->value)));
    clock = clock_at(pieces, i, bare_ok, meridiem, &clock_len, ctx.text);
    clock_at_i = i;
  }
  if (!clock && !part) return MatchResult::no_match();
  if (clock && part && clock_at_i < part->at + part->len && clock_at_i + clock_len > part->at) {
    return MatchResult::no_match();
  }

  // The time of day: the clock's, in the half of the day its part names.
  TimeOfDay tod = part ? ctx.opts.day_parts[static_cast<int>(part->part)] : TimeOfDay{};
  // The night runs past midnight: twelve is midnight, and a clock in the
  // small hours ("12:30 tonight", "1am tonight") is on the next day.
  const bool night = part && (part->part == DayPart::Tonight || part->part == DayPart::Night);
  if (clock) {
    if (clock->bare && clock->h >= 1 && clock->h < 12) {
      clock->h = clock->h % 12 + (afternoon_hour(clock->h, part) ? 12 : 0);
    } else if (clock->bare && clock->h == 12 && night) {
      clock->h = 0;
    }
    tod = TimeOfDay::hms(clock->h, clock->m, clock->s);
  }
  const bool small_hours = night && clock && clock->h < kMorning;

  // The pieces left name the day: read in place when they stand together
  // before or after the clock and the part ("tomorrow morning at 9"),
  // copied only when those stand between day words.
  std::size_t lo = pieces.size(), hi = 0;  // the span the clock and part take
  if (clock) {
    lo = clock_at_i;
    hi = clock_at_i + clock_len;
  }
  if (part) {
    lo = std::min(lo, part->at);
    hi = std::max(hi, part->at + part->len);
  }
  const bool together = !(clock && part) || hi - lo == clock_len + part->len;
  std::span<const Piece> rest;
  std::vector<Piece> copied;
  if (together && lo == 0) {
    rest = pieces.subspan(hi);
    // <part> of <day>: "the evening of july 4"
    if (part && !clock && rest.size() > 1 && tok_at(rest, 0) != nullptr &&
        rest[0].tok.is_kw(Keyword::Of)) {
      rest = rest.subspan(1);
    }
  } else if (together && hi == pieces.size()) {
    rest = pieces.first(lo);
  } else {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      const bool in_clock = clock && i >= clock_at_i && i < clock_at_i + clock_len;
      const bool in_part = part && i >= part->at && i < part->at + part->len;
      if (!in_clock && !in_part) copied.push_back(pieces[i]);
    }
    rest = copied;
  }

  Resolution r;
  std::string_view part_name = part ? kDayPartNames[static_cast<int>(part->part)] : "";
  if (part && part->part == DayPart::EndOfDay) part_name = "end of day";
  if (part && part->first_thing) part_name = "first thing in the morning";
  if (rest.empty()) {
    // Today, or tomorrow when the time has passed, unless the words name
    // today (this evening, tonight) or yesterday (last night).
    const bool passed = ctx.core.now.time.secs >= tod.secs;
    int64_t offset = 0;
    std::string text;
    if (part && part->yesterday) {
      offset = small_hours ? 0 : -1;
    } else if (small_hours && part->today) {
      offset = 1;
    } else if (passed && !(part && part->today)) {
      offset = 1;
    }
    const auto day = add_days(ctx.today(), offset);
    if (!day) return MatchResult::no_match();
    if (part) {
      // Written in place, in one allocation, hedge included.
      text.reserve(kNoteRoom);
      text = offset < 0 ? "yesterday, at " : offset > 0 ? "tomorrow, at " : "today, at ";
      append_clock(text, tod);
      const bool rolled = offset > 0 && !small_hours;
      text += " (";
      text += part_name;
      text += rolled ? "; that time has already passed today)" : ")";
    } else {
      append_clock(text, tod);
      text += offset > 0 ? " tomorrow (that time has already passed today)" : " today";
    }
    r = Resolution{std::move(text), Value::instant(DateTime{*day, tod}), kClock};
  } else {
    if (part && (part->yesterday || part->today)) return MatchResult::no_match();
    EverydayCtx day_ctx{ctx.core, ctx.opts, ctx.text};
    day_ctx.core.tod = tod;
    day_ctx.core.tod_explicit = true;
    auto day = resolve_day(rest, day_ctx);
    if (!day || day->value.is_range()) return MatchResult::no_match();
    r = std::move(*day);
    // A reading that kept the moment's own clock ("in 3 days") took no time.
    if (r.value.start.time != tod) return MatchResult::no_match();
    // "friday night at 1am": the night of that day, in the next day's small hours.
    if (small_hours) {
      const auto next = add_days(r.value.start.date, 1);
      if (!next) return MatchResult::no_match();
      r.value = Value::instant(DateTime{*next, tod});
    }
    if (part) {
      r.interpretation += " (";
      r.interpretation += part_name;
      r.interpretation += small_hours ? ", into the next day)" : ")";
    }
  }
  if (part && part->first_thing) {
    // Kept to hundredths, as the confidences are written: 0.95 - 0.1 is 0.85.
    r.confidence = std::round(penalised(r.confidence, kFirstThingCost) * 100.0f) / 100.0f;
  }
  if (!hedge.empty()) {
    r.interpretation += " (approximately: \"";
    r.interpretation += hedge;
    r.interpretation += "\")";
    r.confidence = penalised(r.confidence, kHedgeCost);
  }
  return MatchResult::single(std::move(r));
}

}  // namespace kalendo::everyday::times
