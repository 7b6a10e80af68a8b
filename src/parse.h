// The parse driver: the one entry into the parse core.
#pragma once

#include <string_view>

#include "config.h"
#include "tokenize.h"
#include "types.h"

namespace kalendo {

// Resolves one UTF-8 text against the current moment, the caller's anchors,
// the options and the holiday predicate. Never fails: every text that is not
// understood becomes a no-parse outcome with a reason.
Outcome parse_str(std::string_view text, DateTime now, const AnchorMap& anchors,
                  const Options& opts, HolidayFn holidays);

// The two steps of parse_str on trimmed, non-empty text, for full mode,
// which reads the same tokens again when the core grammar gives up:
// the tokens, with the anchor names replaced by markers ...
Tokens tokenize_text(std::string_view trimmed, const AnchorMap& anchors, const Options& opts);
// ... and the core grammar's outcome for them.
Outcome resolve_tokens(std::string_view trimmed, TokenSpan toks, DateTime now,
                       const AnchorMap& anchors, const Options& opts, HolidayFn holidays);

}  // namespace kalendo
