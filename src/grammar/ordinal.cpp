// Matches a ranked weekday of a month: the 3rd friday of march.
#include "grammar/mod.h"

namespace kalendo::ordinal {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::ordinal
