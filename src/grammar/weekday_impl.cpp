// Matches a weekday name: friday, next friday, this sunday.
#include "grammar/mod.h"

namespace kalendo::weekday {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::weekday
