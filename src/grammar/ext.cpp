// Matches the extended phrases: next weekend, friday next week, the week after launch.
#include "grammar/mod.h"

namespace kalendo::ext {

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::ext
