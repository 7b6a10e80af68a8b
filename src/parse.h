// The parse driver: the one entry into the parse core.
#pragma once

#include <string_view>

#include "config.h"
#include "types.h"

namespace kalendo {

// Resolves one UTF-8 text against the current moment, the caller's anchors,
// the options and the holiday predicate. Never fails: every text that is not
// understood becomes a no-parse outcome with a reason.
Outcome parse_str(std::string_view text, DateTime now, const AnchorMap& anchors,
                  const Options& opts, HolidayFn holidays);

}  // namespace kalendo
