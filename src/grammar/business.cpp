// Matches working-day counts and period edges: in 3 business days, end of month.
#include "grammar/mod.h"

namespace kalendo::business {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::business
