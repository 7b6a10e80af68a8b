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
}
namespace days {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
}
namespace times {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
}

namespace zones {
// A zone the text names: its IANA name ("America/Los_Angeles", "UTC"), an
// offset ("+02:00"), or a caller's abbreviation ("IST"); or, for an
// abbreviation of several zones that the caller did not map, the reason.
struct Named {
  std::string zone;
  std::size_t at = 0;  // the piece that names it
  std::string reject;
  bool rides = false;  // the piece is a time that carries the zone ("17:00Z") and stays
};
// Returns the first zone the pieces name, or none.
std::optional<Named> find(std::span<const Piece> pieces, std::span<const std::string> caller);
}  // namespace zones

// Holidays by name: "christmas", "next thanksgiving", "easter 2025 at 5pm",
// "thanksgiving weekend", and holidays as anchors ("2 days after christmas").
namespace holidays {
// Returns the region of a two-letter name ("US", "GB", ...), or none.
std::optional<Region> region_named(std::string_view name);
// Resolves a text that names a holiday as a whole word; none when it names
// none, or when nothing reads the text with the holiday in it.
std::optional<Outcome> resolve(std::string_view text, DateTime now, const AnchorMap& anchors,
                               const FullOptions& opts, HolidayFn holidays);
}  // namespace holidays

// The everyday matcher table, in the order ties are decided.
inline constexpr Matcher kMatchers[] = {
    dates::try_match,  // march 14, 2025-03-14, 3/14/2025, Q3 2025, the 14th
    days::try_match,   // the day after tomorrow, a week from monday, +15min
    times::try_match,  // 5:30 pm tomorrow, tonight at 11, around noon
};

// Reads pieces that name one day (or a moment) at the context's time of
// day: the core grammar's reading, else the dates' and days' one. Returns
// none when nothing reads them as a single instant.
std::optional<Resolution> resolve_day(std::span<const Piece> pieces, const EverydayCtx& ctx);

// Resolves a text in full mode: the core grammar's answer when it reads the
// whole text, else the everyday grammar's, else the core's no-parse.
Outcome parse_full(std::string_view text, DateTime now, const AnchorMap& anchors,
                   const FullOptions& opts, HolidayFn holidays);

}  // namespace kalendo::everyday
