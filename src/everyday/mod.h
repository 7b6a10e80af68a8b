// The everyday grammar: what people type beyond the core grammar (calendar
// dates in every common spelling, for a start), and the full-mode driver
// that asks the core grammar first and this grammar after it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config.h"
#include "everyday/shapes.h"
#include "grammar/mod.h"
#include "locale.h"
#include "types.h"

namespace kalendo::everyday {

// The order of day and month in numeric dates; Unset tries both.
enum class DateOrder : uint8_t { Unset, MDY, DMY, YMD };

// The parts of the day that name an hour, in the order of kDayPartNames.
enum class DayPart : uint8_t { Morning, Lunch, Afternoon, Evening, Tonight, Night, EndOfDay };

// The option names of the parts of the day and their conventional hours.
inline constexpr std::string_view kDayPartNames[7] = {
    "morning", "lunch", "afternoon", "evening", "tonight", "night", "eod",
};
inline constexpr std::array<TimeOfDay, 7> kDayPartHours = {
    TimeOfDay::hms(9, 0, 0),  TimeOfDay::hms(12, 0, 0), TimeOfDay::hms(15, 0, 0),
    TimeOfDay::hms(19, 0, 0), TimeOfDay::hms(20, 0, 0), TimeOfDay::hms(21, 0, 0),
    TimeOfDay::hms(17, 0, 0),
};

// The countries whose holidays are known by name, in the order of
// kRegionNames.
enum class Region : uint8_t { US, GB, CA, AU, IE, NZ };
inline constexpr std::string_view kRegionNames[6] = {"US", "GB", "CA", "AU", "IE", "NZ"};

// The settings of full mode: the core's, and the everyday grammar's own.
// New settings are fields with defaults, so callers that do not know them
// keep working.
struct FullOptions {
  Options core;
  DateOrder date_order = DateOrder::Unset;
  // The hour each part of the day names; the caller may move any of them.
  std::array<TimeOfDay, 7> day_parts = kDayPartHours;
  // Zone abbreviations the caller maps itself ("IST"): reported as written.
  std::vector<std::string> zone_names;
  Region region = Region::US;  // whose holidays the names mean
};

// Returns whether a word as typed is `lower`, a word in lower case, in any
// case of ASCII letters ("To", "PLUS").
inline bool same_word_any_case(std::string_view w, std::string_view lower) {
  if (w.size() != lower.size()) return false;
  for (std::size_t i = 0; i < w.size(); ++i) {
    // Mostly typed in lower case: the byte itself matches.
    const char c = w[i];
    if (c != lower[i] && (c < 'A' || c > 'Z' || (c | 0x20) != lower[i])) return false;
  }
  return true;
}

// The lengths and last bytes of a table's words, one bit each, so that a
// word no entry can be costs one lookup instead of a pass over the table:
// a letter's bit is its place in the alphabet, any other byte shares bit
// 31, and the words of fifteen bytes or more share the last length.
class WordEnds {
 public:
  template <typename V>
  constexpr explicit WordEnds(std::span<const WordEntry<V>> table) {
    for (const WordEntry<V>& e : table)
      add(e.word);
  }
  constexpr explicit WordEnds(std::span<const std::string_view> table) {
    for (const std::string_view w : table)
      add(w);
  }

  // Whether `w` may be one of the table's words (it is none when false).
  constexpr bool may_hold(std::string_view w) const {
    return !w.empty() && (bits_[slot(w)] & bit(w.back())) != 0;
  }

 private:
  static constexpr std::size_t slot(std::string_view w) {
    return w.size() < kSlots ? w.size() : kSlots - 1;
  }
  static constexpr uint32_t bit(char c) {
    return c >= 'a' && c <= 'z' ? 1u << (c - 'a') : 1u << 31;
  }
  constexpr void add(std::string_view w) {
    if (!w.empty()) bits_[slot(w)] |= bit(w.back());
  }

  static constexpr std::size_t kSlots = 16;
  std::array<uint32_t, kSlots> bits_{};
};

// What every everyday matcher reads: the core context (the moment, the time
// of day of date results and its label) and the full-mode settings.
struct EverydayCtx {
  Ctx core;
  const FullOptions& opts;
  std::string_view text;  // the trimmed text as typed, for words the tokens drop ("at")

  Date today() const { return core.today(); }
};

using Matcher = MatchResult (*)(std::span<const Piece> pieces, const EverydayCtx& ctx);

// The families, one per file, each recognising the whole text or nothing.
namespace dates {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);

// A day of the calendar as a date reads it, without its label.
struct Day {
  Date date;
  float confidence = 0.0f;
};
// Reads pieces that are a month and a day number, in either order, and
// perhaps a year ("july 13", "13th of july 2025"), as try_match does
// without a weekday or a clock time: for the ends of an interval, which
// write their own label. None for any other form, and for a day that does
// not exist, which try_match explains.
std::optional<Day> plain_day(std::span<const Piece> pieces, Date today);
// Reads a numeric date with its year as try_match reads it alone in the
// order of day and month given: written year first ("2024-06-10"), or with
// a four-digit year last in a set order ("8/10/2012" month first). None for
// any other shape or order (an unset one may make it ambiguous), and for a
// day that does not exist, which try_match explains.
std::optional<Day> numeric_day(const Shape& s, DateOrder order);
}  // namespace dates
namespace days {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
}
namespace times {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);

// A clock time as one end of an interval reads it: "3" and "4pm" in "3-4pm".
struct EndClock {
  TimeOfDay tod;       // as read; a bare hour by the clock-hour policy
  uint32_t hour = 0;   // the hour as written
  bool free = false;   // an hour 1..12 written without am/pm
  bool bare = false;   // a bare hour ("9", "5 o'clock"): the policy chose its half
  bool plain = false;  // a number alone ("9", "13"): a clock time only beside another
};
// Reads a clock time at pieces[i], bare hours included; sets *len to the
// pieces it took.
std::optional<EndClock> clock_end(std::span<const Piece> pieces, std::size_t i, std::size_t* len);
// Reads a clock time written as four digits, "0900" or "1730", or none.
std::optional<EndClock> four_digit_end(std::string_view written);
// Returns whether two bare hours run from the morning to the afternoon by
// the clock-hour rule ("9-5", "8 to 4"): the hours of a working day.
bool working_hours(const EndClock& first, const EndClock& last);
// Appends "HH:MM", and ":SS" when the seconds are not zero.
void append_clock(std::string& out, TimeOfDay t);
// A part of the day among a clock interval's day words: "tomorrow morning"
// of "tomorrow morning 9-11", "tonight" of "tonight 8-10".
struct PartWords {
  DayPart part;
  std::size_t at = 0, len = 0;  // the pieces it takes, at the start or the end
  bool today = false;           // this evening, tonight: names today
  bool yesterday = false;       // last night
};
// The hour the small hours of a night end: "1am tonight" is the next day's.
inline constexpr uint32_t kSmallHoursEnd = 6;
// Returns the part of the day that begins or ends the pieces, or none.
std::optional<PartWords> part_words(std::span<const Piece> pieces);
// Returns the hour of the day a bare hour 1..12 names in a part of the day:
// 8 in the evening is 20, 12 at night is 0.
uint32_t hour_in_part(uint32_t h, DayPart part);
// Returns whether the text writes am or pm after a number: a clock token
// ("8am", "12:30pm") has taken it in, so the token alone does not tell.
bool meridiem_written(std::string_view text);
}  // namespace times
namespace open_ends {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
// Returns whether the text opens with a lead word of an open end or a
// window that no date opens with ("until", "since", "after", "beginning",
// "from", "next", "coming"; not "by", which the dates take too): the dates
// need not try it.
bool leads(std::span<const Piece> pieces);
}  // namespace open_ends

namespace zones {
// A zone the text names: its IANA name ("America/Los_Angeles", "UTC"), an
// offset ("+02:00"), or a caller's abbreviation ("IST"); or, for an
// abbreviation of several zones that the caller did not map, the reason.
struct Named {
  std::string zone;
  std::size_t at = 0;  // the piece that names it
  std::string reject;
  bool rides = false;   // the piece is a time that carries the zone ("17:00Z") and stays
  std::size_t len = 1;  // the pieces that name it: 2 for "pacific time"
};
// Returns the first zone the pieces of the text name, or none.
std::optional<Named> find(std::span<const Piece> pieces, std::span<const std::string> caller,
                          std::string_view text);
// Returns the IANA names the abbreviations stand for, each once: the zones,
// besides offsets and a caller's abbreviations, a text may name.
std::span<const std::string_view> zone_names();
}  // namespace zones

// Holidays by name: "christmas", "next thanksgiving", "easter 2025 at 5pm",
// "thanksgiving weekend", and holidays as anchors ("2 days after christmas").
namespace holidays {
// Returns the region of a two-letter name ("US", "GB", ...), or none.
std::optional<Region> region_named(std::string_view name);
// Resolves a text that names a holiday as a whole word; none when it names
// none, or when nothing reads the text with the holiday in it. Sets *named
// when the text names one.
std::optional<Outcome> resolve(std::string_view text, DateTime now, const AnchorMap& anchors,
                               const FullOptions& opts, HolidayFn holidays, bool* named = nullptr);
// Reads tokens that name a holiday's day for another family ("christmas
// eve", "next christmas", "christmas 2025" in "until christmas"), at the
// context's time of day; a no-parse when the region does not keep it. A
// date that is also a holiday's name ("july 4th") is left to the dates.
// With `back`, a holiday named alone is its most recent one, today's
// included ("since christmas").
std::optional<Outcome> read_day(std::span<const Tok> toks, const EverydayCtx& ctx, bool back);
// Reads a whole text of tokens that names a holiday by one of the holiday
// forms ("christmas eve at 5pm", "easter weekend", "the week after
// thanksgiving"); none when it names none, or when no form reads it. The
// names that are also dates ("july 4th"), and the no-parse of a name the
// region does not keep, are left to `resolve`.
// With `begins`, also says whether a token may begin a name that is no
// date (may_name without the dates).
std::optional<Outcome> read_text(std::span<const Tok> toks, const EverydayCtx& ctx,
                                 bool* begins = nullptr);
std::optional<Outcome> read_text(std::span<const Piece> pieces, const EverydayCtx& ctx);
// Returns whether a word of the tokens or pieces may begin a holiday's
// name: false rules out every name, so that `resolve` need not look.
bool may_name(std::span<const Tok> toks);
bool may_name(std::span<const Piece> pieces);
// Returns whether the pieces hold a date that is also a holiday's name
// ("july 4th", "4th of july"): what may_name finds besides the words that
// read_text's `begins` reports.
bool names_by_date(std::span<const Piece> pieces);
}  // namespace holidays

// The seasons of the caller's region and the halves of a year: "this
// summer", "next winter", "autumn 2025", "h1 2025", "first half of 2025".
namespace seasons {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
}

// Intervals with both ends: "july 13-15", "mon-wed", "3-4pm", "from 9 to 5",
// "4pm for 30 mins".
namespace intervals {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
// Returns whether the text joins two words with a dash or names a length
// ("3:30-4:30pm", "16h for 30 mins"): the core reads one end of such a
// text and drops the rest.
bool may_join(std::string_view text);
// Returns whether the text joins two ends by a mark or names them by a
// lead word ("13-15", "10pm-2am", "mon–wed", "from", "between", "for"):
// the texts the intervals family reads before times. A date with hyphens
// ("2025-03-14", "2014-10") or a signed word ("-3 days") is none. Only a
// shortcut: a text it misses ("mon-wed") meets intervals last.
bool joins_ends(std::span<const Piece> pieces, std::string_view text);
// Returns whether a word joins two ends after the first piece ("monday to
// friday", "3pm until 5pm", "between 4pm and 5pm"), save in the texts that
// the open ends read whole ("june to now", "starting 5pm until 7pm"): no
// other family reads these, and the intervals family meets them first.
bool joins_by_word(std::span<const Piece> pieces);
// Returns whether a mark or "for" joins two plain ends ("mon-wed", "july
// 13-15", "4pm for 30 mins"). Leading words and keywords other than from,
// today, tomorrow and yesterday are no plain ends: the other families read
// some texts across their marks ("by 15th - june", "next week - friday").
// These texts meet the intervals family after the dates, which read some
// of them ("friday - july 13" is a date) and most texts without a mark,
// and before the other families, which read none of them.
bool joins_by_mark(std::span<const Piece> pieces, std::string_view text);
}  // namespace intervals

// The everyday matcher table, in the order ties are decided.
inline constexpr Matcher kMatchers[] = {
    dates::try_match,      // march 14, 2025-03-14, 3/14/2025, Q3 2025, the 14th
    open_ends::try_match,  // until 5pm, since august, by friday, last 2 days, the past hour
    days::try_match,       // the day after tomorrow, a week from monday, +15min
    times::try_match,      // 5:30 pm tomorrow, tonight at 11, around noon
    seasons::try_match,    // this summer, next winter, h1 2025, first half of 2025
    // Last: a text that one family reads whole is not an interval, and the
    // other families' texts pay nothing for the ends' second reading.
    intervals::try_match,  // july 13-15, 3-4pm, from 9 to 5, 4pm for 30 mins
};

// The core grammar's outcome for pieces that are all tokens, read without
// the text (its failed readings are never shown), with the holidays of the
// region's calendar as the day words it does not know; none when a piece is
// a shape.
std::optional<Outcome> core_reading(std::span<const Piece> pieces, const EverydayCtx& ctx);

// Reads pieces that name one day (or a moment) at the context's time of
// day: the core grammar's reading, else the dates' and days' one. Returns
// none when nothing reads them as a single instant.
std::optional<Resolution> resolve_day(std::span<const Piece> pieces, const EverydayCtx& ctx);

// Resolves a text in full mode: the core grammar's answer when it reads the
// whole text, else the everyday grammar's, else the core's no-parse.
Outcome parse_full(std::string_view text, DateTime now, const AnchorMap& anchors,
                   const FullOptions& opts, HolidayFn holidays);

}  // namespace kalendo::everyday
