// Matches expressions counted from a caller's anchor: 3 days after launch.
#include "grammar/mod.h"

namespace kalendo::anchored {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::anchored
