// Matches an amount of time counted from now: 3 hours, couple of days.
#include "grammar/mod.h"

namespace kalendo::duration {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::duration
