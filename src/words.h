// The word codes: what a unit word or a keyword of the language stands for.
// The word tables map words to these codes and the tokens carry them, so
// both include this header and neither includes the other.
#pragma once

#include <cstdint>

namespace kalendo {

enum class Unit : uint8_t {
  Minute,
  Hour,
  Day,
  Week,
  Month,
  Quarter,
  Year,
  Weekend,
  BusinessDay,  // made from "business"/"working" followed by a day unit
};

enum class Keyword : uint8_t {
  Next,
  Last,
  This,
  After,
  Before,
  Around,
  Early,
  Mid,
  Late,
  End,
  Start,
  Of,
  In,
  Ago,
  From,
  Now,
  Today,
  Tomorrow,
  Yesterday,
  Business,
};

}  // namespace kalendo
