#include "check.h"

namespace kalendo {

void fail_internal(const char* what) {
  throw InternalFailure(what);
}

}  // namespace kalendo
