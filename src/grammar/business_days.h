// Business-day arithmetic: which days are business days, the one walk that
// counts them, and the step back to the last one on or before a day.
//
// A business day is a Monday to Friday of year 1 or later that the caller's
// holiday predicate does not mark. Without a predicate every answer is
// computed in constant time; with one, each candidate day is asked about
// once, in walk order.
#pragma once

#include <cstdint>
#include <optional>

#include "config.h"
#include "dates.h"

namespace kalendo {

// Returns whether d is a business day. The predicate is asked last, so it
// only ever sees Monday-to-Friday days of year 1 or later.
bool is_business_day(Date d, HolidayFn holidays);

// Walks |n| business days from start, strictly after it (n > 0) or before it
// (n < 0); n = 0 is start itself. A count beyond the business days left in
// the supported years (or, backwards, in year 1 and later) is none at once,
// without asking the predicate.
std::optional<Date> walk_business_days(HolidayFn holidays, Date start, int64_t n);

// Returns the latest business day on or before d, or none when the walk
// would reach the days before year 1.
std::optional<Date> last_business_day_on_or_before(Date d, HolidayFn holidays);

}  // namespace kalendo
