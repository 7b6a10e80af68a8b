// Matches expressions measured from now: 17:30, tomorrow, next month, in 3 days.
#include "grammar/mod.h"

namespace kalendo::relative {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::relative
