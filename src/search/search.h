// The scan over running text: finds the date expressions inside a sentence
// or a document ("let's meet next friday at 5pm at the cafe") and resolves
// each one as the whole-text resolver would resolve it alone.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "config.h"
#include "everyday/mod.h"
#include "types.h"

namespace kalendo::search {

// A window never holds more words than this: the longest expressions
// ("the third friday of next month at 5:30 pm") fit, and the bound keeps a
// scan linear in the text whatever the words.
inline constexpr std::size_t kMaxWindowWords = 10;

// One expression found in the text. Offsets count code points of the text
// as given (so they index the caller's string, whatever lower-casing does to
// its length); the byte offsets index its UTF-8 form.
struct Found {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t byte_start = 0;
  std::size_t byte_end = 0;
  Outcome outcome;
};

// What every window is resolved with: the settings of a whole-text call.
struct Request {
  DateTime now;
  const AnchorMap& anchors;
  const everyday::FullOptions& opts;
  bool strict = false;  // the core grammar alone, as parse_str answers
  HolidayFn holidays;
};

// Returns the expressions of `text` in text order, never overlapping: each
// window starts at a word that can begin an expression and takes the longest
// span that resolves and that its context lets count as a date. Never
// fails; stops early (with what it found so far) when the holiday
// predicate asks the call to end.
std::vector<Found> find_dates(std::string_view text, const Request& request);

}  // namespace kalendo::search
