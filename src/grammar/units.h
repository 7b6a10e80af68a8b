// What the grammar knows about each unit: how counts and periods name it,
// and its length, exact in seconds or in calendar months.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dates.h"
#include "words.h"

namespace kalendo {

struct UnitFacts {
  std::string_view word;    // as counts word it ("3 days"); empty: no length to count
  std::string_view period;  // as period labels name it; empty: not a period
  std::string_view half;    // what "half" is half of ("half an hour"); empty: none
  int64_t seconds;          // exact length; 0 when counted in months or not at all
  int64_t months;           // length in calendar months; 0 when exact or none
  bool from_anchor;         // "<n> <unit> after <anchor>" counts in it

  // Offsets in a unit of a day or longer land on a date, so a time of day
  // the text names applies to them.
  constexpr bool lands_on_date() const { return seconds == 0 || seconds >= kSecondsPerDay; }
};

// One row per Unit, in the order of its codes.
inline constexpr UnitFacts kUnitFacts[] = {
    {"minute", "", "a minute", 60, 0, false},
    {"hour", "", "an hour", 3600, 0, false},
    {"day", "", "a day", kSecondsPerDay, 0, true},
    {"week", "calendar week", "a week", 7 * kSecondsPerDay, 0, true},
    {"month", "calendar month", "", 0, 1, true},
    {"quarter", "calendar quarter", "", 0, 3, false},
    {"year", "calendar year", "a year", 0, 12, true},
    {"", "weekend (Sat-Sun)", "", 0, 0, false},
    {"", "", "", 0, 0, false},
};
static_assert(std::size(kUnitFacts) == static_cast<std::size_t>(Unit::BusinessDay) + 1);

constexpr const UnitFacts& unit_facts(Unit u) {
  return kUnitFacts[static_cast<std::size_t>(u)];
}

}  // namespace kalendo
