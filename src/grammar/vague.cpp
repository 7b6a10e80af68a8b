// Matches a rough part of a period: early next week, sometime in march.
#include "grammar/mod.h"

namespace kalendo::vague {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::vague
