// The shape scanner: reads the numeric shapes of a text (dates, date-times,
// clock times with seconds) from its original characters, before the core
// tokenizer turns "." and "-" into spaces, and hands every other stretch of
// words to the core tokenizer.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "everyday/in_place.h"
#include "tokenize.h"

namespace kalendo::everyday {

// One numeric shape as written: up to three runs of digits joined by one
// separator, and the clock time an ISO date-time carries.
struct Shape {
  enum class Kind : uint8_t {
    Numeric,   // 3/14, 14.03.2025, 3-14-2025, 2014/12/28, 2/2013, 2014-10
    Compact,   // 20250314: parts[0] year, parts[1] month, parts[2] day
    DateTime,  // 2025-03-14T17:00[:30][Z|+02:00]: the date parts and the time
    Clock,     // 17:00:30, 17:00Z, 17:00+0200: a clock time with seconds or a zone
    Amount,    // +15min, -3, 2.5, 5.30pm, -0500, +02:00: a signed or dotted
               // number with its letters, read by the matchers from `text`
  };
  Kind kind = Kind::Numeric;
  char sep = 0;       // '/', '.' or '-' for Numeric
  uint8_t count = 0;  // number of parts for Numeric: 2 or 3
  uint32_t parts[3] = {};
  uint8_t widths[3] = {};  // digits written per part
  uint32_t hour = 0, minute = 0, second = 0;
  std::string_view zone;  // Clock, DateTime: the zone suffix as written ("Z", "+02:00"), or ""
  std::string_view text;  // the characters as written
};

// One unit of everyday input: a core token, or a shape.
struct Piece {
  bool is_shape = false;
  Tok tok;      // when !is_shape
  Shape shape;  // when is_shape
};

using Pieces = std::vector<Piece>;

// The pieces of one text, the first few kept in place.
using PieceBuffer = InPlace<Piece>;

// Splits trimmed text at ASCII white space; words that are numeric shapes
// become shapes, every run of other words goes through the core tokenizer
// (without anchors). Never fails.
Pieces scan(std::string_view text);

// Returns the next word of the text from byte `at` on (a run of bytes that
// are not ASCII white space) and moves `at` past it; an empty view once no
// word is left.
inline std::string_view next_word(std::string_view text, std::size_t& at) {
  const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (at < text.size() && space(text[at]))
    ++at;
  const std::size_t start = at;
  while (at < text.size() && !space(text[at]))
    ++at;
  return text.substr(start, at - start);
}

// Returns whether a word of the text is `word` (lower-case), in any case.
inline bool says_word(std::string_view text, std::string_view word) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string_view::npos) end = text.size();
    if (end - at == word.size()) {
      bool same = true;
      for (std::size_t i = 0; i < word.size(); ++i)
        same = same && (text[at + i] | 0x20) == word[i];
      if (same) return true;
    }
    at = end + 1;
  }
  return false;
}

// Returns whether any word of the text is a numeric shape: when none is,
// the core tokenizer's tokens of the whole text are the pieces already.
bool has_shape(std::string_view text);

// What scan_shaped learnt of a text.
struct ShapeScan {
  bool shaped = false;    // a word is a numeric shape, and `out` holds the pieces
  bool hyphened = false;  // a word that is no shape has a hyphen ("13-15", "3-4pm",
                          // "mon-wed", "-"): it may join two ends
};

// Scans the text into `out` as `scan` does when a word of it is a numeric
// shape, and says whether one is; else leaves `out` as it was. Reads each
// shape once, where has_shape and scan would read it twice. A text without
// any mark of a shape (a sign, dot, slash, hyphen or colon) is not read,
// and is not hyphened.
ShapeScan scan_shaped(std::string_view text, PieceBuffer& out);

}  // namespace kalendo::everyday
