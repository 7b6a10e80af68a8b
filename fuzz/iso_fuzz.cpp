// Fuzzes the text forms of the current moment and of anchor dates: any bytes
// give a value or one of the four errors, and every value written back in
// its canonical form reads as itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "iso_parse.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace kalendo;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const IsoResult<DateTime> moment = parse_iso_date_time(text);
  if (const auto* t = std::get_if<DateTime>(&moment)) {
    check(t->time.secs < 86400 && t->time.nanos < 2 * kNanosPerSecond);
    std::string canonical;
    append_date_time(canonical, *t);
    const IsoResult<DateTime> again = parse_iso_date_time(canonical);
    const auto* u = std::get_if<DateTime>(&again);
    check(u != nullptr && u->date == t->date && u->time.secs == t->time.secs &&
          (u->time.nanos >= kNanosPerSecond) == (t->time.nanos >= kNanosPerSecond));
  } else {
    check(!iso_error_text(std::get<IsoError>(moment)).empty());
  }

  const IsoResult<Date> day = parse_iso_date(text);
  if (const auto* d = std::get_if<Date>(&day)) {
    const IsoResult<Date> again = parse_iso_date(format_date(*d));
    check(std::holds_alternative<Date>(again) && std::get<Date>(again) == *d);
  }
  return 0;
}
