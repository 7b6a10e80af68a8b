// Business-day arithmetic: the one walk that counts business days, and the
// step back to the last one on or before a day.
//
// A business day is a Monday to Friday of year 1 or later that the caller's
// holiday predicate does not mark. Without a predicate every answer is
// computed in constant time; with one, each Monday-to-Friday day of year 1 or
// later on the way is asked about once, in walk order, at most
// kMaxHolidayAsks times per walk.
#pragma once

#include <cstdint>
#include <string>

#include "config.h"
#include "dates.h"
#include "grammar/mod.h"

namespace kalendo {

// No real holiday calendar needs a walk this long: a predicate that marks
// (nearly) every day would otherwise be asked tens of millions of times.
inline constexpr int64_t kMaxHolidayAsks = 1'000'000;

// Where a walk ended.
struct BusinessWalk {
  enum class Status : uint8_t {
    Ok,           // `day` is the answer
    OutOfRange,   // the supported years (or year 1 and later) ran out first
    TooManyAsks,  // the answer needs more than kMaxHolidayAsks asks
    Stopped,      // the predicate's caller asked to stop; no answer
  };
  Status status = Status::OutOfRange;
  Date day;

  bool ok() const { return status == Status::Ok; }
};

// Walks |n| business days from start, strictly after it (n > 0) or before it
// (n < 0); n = 0 is start itself. A count beyond the business days left in
// the supported years (or, backwards, in year 1 and later) is OutOfRange at
// once, without asking the predicate.
BusinessWalk walk_business_days(HolidayFn holidays, Date start, int64_t n);

// Returns the latest business day on or before d; OutOfRange when the walk
// would reach the days before year 1.
BusinessWalk last_business_day_on_or_before(Date d, HolidayFn holidays);

// The answer of a matcher whose walk did not reach its day: no match when it
// left the supported years or was stopped, a reject when it would have asked
// the holiday predicate too often.
MatchResult walk_not_finished(const BusinessWalk& walk);

// The reading of the day a walk reached, at the context's time of day, or
// walk_not_finished.
MatchResult at_business_day(const BusinessWalk& walk, std::string interpretation, float confidence,
                            const Ctx& ctx);

}  // namespace kalendo
