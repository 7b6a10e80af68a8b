// kalendo.h must read as C++17 without a warning under -pedantic: C++
// callers of the C interface need not move to C++20.
#include "kalendo/kalendo.h"

static_assert(__cplusplus >= 201703L && __cplusplus < 202002L);
static_assert(KALENDO_VERSION >= 400);
