// The text forms the caller passes for the current moment and for anchor
// dates: "2024-06-05T14:20:10(.fraction)" and "2024-06-05", with white space
// allowed around the fields and a year of -262143..262142.
#pragma once

#include <string_view>
#include <variant>

#include "dates.h"

namespace kalendo {

enum class IsoError : uint8_t {
  Invalid,     // a character where a digit, sign, "-", "T" or ":" is required
  TooShort,    // the text ends where more is required
  Trailing,    // something other than white space follows
  OutOfRange,  // a field outside its range, or a day its month lacks
};

// Returns the caller-facing text of an error.
std::string_view iso_error_text(IsoError e);

template <typename T>
using IsoResult = std::variant<T, IsoError>;

// Parses a local date-time. Second 60 is a leap second.
IsoResult<DateTime> parse_iso_date_time(std::string_view s);
// Parses a date; a time part is trailing input.
IsoResult<Date> parse_iso_date(std::string_view s);

}  // namespace kalendo
