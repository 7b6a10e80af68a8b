// The everyday grammar: what people type beyond the core grammar (calendar
// dates in every common spelling, for a start), and the full-mode driver
// that asks the core grammar first and this grammar after it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "config.h"
#include "everyday/shapes.h"
#include "grammar/mod.h"
#include "types.h"

namespace kalendo::everyday {

// The order of day and month in numeric dates; Unset tries both.
enum class DateOrder : uint8_t { Unset, MDY, DMY, YMD };

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
  Region region = Region::US;  // whose holidays the names mean
};

// What every everyday matcher reads: the core context (the moment, the time
// of day of date results and its label) and the full-mode settings.
struct EverydayCtx {
  Ctx core;
  const FullOptions& opts;

  Date today() const { return core.today(); }
};

using Matcher = MatchResult (*)(std::span<const Piece> pieces, const EverydayCtx& ctx);

// The families, one per file, each recognising the whole text or nothing.
namespace dates {
MatchResult try_match(std::span<const Piece> pieces, const EverydayCtx& ctx);
}

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
};

// Resolves a text in full mode: the core grammar's answer when it reads the
// whole text, else the everyday grammar's, else the core's no-parse.
Outcome parse_full(std::string_view text, DateTime now, const AnchorMap& anchors,
                   const FullOptions& opts, HolidayFn holidays);

}  // namespace kalendo::everyday
