// The grammar: the matcher table, arbitration between the matchers'
// answers, and the building blocks the matchers share.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config.h"
#include "tokenize.h"
#include "types.h"

namespace kalendo {

// What one matcher answers for a whole token sequence.
struct MatchResult {
  enum class Kind : uint8_t {
    NoMatch,    // the matcher does not recognise the sequence
    Single,     // one reading: candidates holds it
    Ambiguous,  // several readings it cannot choose between, and a reason
    Reject,     // the form is recognised but cannot be satisfied: reason
  };
  Kind kind = Kind::NoMatch;
  std::vector<Resolution> candidates;
  std::string reason;

  static MatchResult no_match() { return {}; }
  static MatchResult single(Resolution r);
  static MatchResult single(std::string interpretation, Value value, float confidence);
  static MatchResult ambiguous(std::vector<Resolution> candidates, std::string reason);
  static MatchResult reject(std::string reason);
};

using Matcher = MatchResult (*)(TokenSpan toks, const Ctx& ctx);

// The matchers, one family per file, each recognising the whole sequence or
// nothing.
namespace relative {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace weekday {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace ordinal {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace anchored {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace vague {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace business {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace ext {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}
namespace duration {
MatchResult try_match(TokenSpan toks, const Ctx& ctx);
}

// The matcher table. Its order decides which of two equal readings survives,
// breaks ties between equal confidences and picks the surviving reason.
inline constexpr Matcher kMatchers[] = {
    relative::try_match,  // next week, in 3 days, tomorrow, 17:30
    weekday::try_match,   // friday, next friday
    ordinal::try_match,   // the 3rd friday of march
    anchored::try_match,  // 3 days after launch
    vague::try_match,     // early next week
    business::try_match,  // in 3 business days, end of month
    ext::try_match,       // next weekend, friday next week, march
    duration::try_match,  // 3 hours, couple of days
};

// Offers the tokens to every matcher in table order and decides the outcome:
// duplicates dropped, readings ranked by confidence, one reading when it
// leads by 0.15 or more, else an ambiguity. `text` is only quoted in the
// default no-parse reason.
Outcome resolve_inner(std::string_view text, TokenSpan toks, const Ctx& ctx,
                      std::span<const Matcher> matchers = kMatchers);

}  // namespace kalendo
