// Internal invariants. A broken invariant is a fault of the system, never of
// the input: it throws InternalFailure, which the binding turns into the
// module's InternalError instead of letting the process crash.
#pragma once

#include <stdexcept>

namespace kalendo {

struct InternalFailure : std::logic_error {
  using std::logic_error::logic_error;
};

[[noreturn]] void fail_internal(const char* what);

}  // namespace kalendo

#define KALENDO_CHECK(cond)                                            \
  do {                                                                 \
    if (!(cond)) ::kalendo::fail_internal("broken invariant: " #cond); \
  } while (0)
